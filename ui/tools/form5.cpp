#include "ui/tools/form5.h"

#include <QLineEdit>
#include <QPushButton>

#include "ui/common/field_keys.h"
#include "ui/common/text.h"
#include "ui/common/message_box.h"

namespace qcal::ui {

namespace {

using namespace qcal::converter;

constexpr int kClientWidth = 3480;
constexpr int kClientHeight = 3720;

// Caption label, field and unit label of each row; the rows 480 twips apart.
constexpr ControlSpec kControls[] = {
    {"Label1", Kind::Label, nullptr, 240, 360, 960, 315, "总 金 额", {}},
    {"Text1", Kind::TextBox, nullptr, 1200, 360, 1575, 315, {}, "准备用来买入股票的总金额"},
    {"Label6", Kind::Label, nullptr, 2880, 360, 300, 315, "元", {}},
    {"Label2", Kind::Label, nullptr, 240, 840, 960, 315, "股票价格", {}},
    {"Text2", Kind::TextBox, nullptr, 1200, 840, 1575, 315, {}, "每股买入的价格"},
    {"Label7", Kind::Label, nullptr, 2880, 840, 300, 315, "元", {}},
    {"Label3", Kind::Label, nullptr, 240, 1320, 960, 315, "可买入数", {}},
    {"Text3", Kind::ResultBox, nullptr, 1200, 1320, 1575, 315, {}, "扣除各项费用后可以买入的整手股数"},
    {"Label8", Kind::Label, nullptr, 2880, 1320, 300, 315, "股", {}},
    {"Label4", Kind::Label, nullptr, 240, 1800, 960, 315, "实付金额", {}},
    {"Text4", Kind::ResultBox, nullptr, 1200, 1800, 1575, 315, {}, "买入这些股票实际要付的金额，含各项费用"},
    {"Label9", Kind::Label, nullptr, 2880, 1800, 300, 315, "元", {}},
    {"Label5", Kind::Label, nullptr, 240, 2280, 960, 315, "剩余金额", {}},
    {"Text5", Kind::ResultBox, nullptr, 1200, 2280, 1575, 315, {}, "买入后剩下的金额"},
    {"Label10", Kind::Label, nullptr, 2880, 2280, 300, 315, "元", {}},
    {"Command1", Kind::Button, nullptr, 480, 2880, 975, 495, "返 回", "返回主窗口，本窗口的数据保留"},
    {"Command2", Kind::Button, nullptr, 1920, 2880, 975, 495, "加入计算", "把股票价格和可买入数填入主窗口的买入计算"},
};

} // namespace

constexpr const char* kUnitLabels[] = {"Label8"};

Form5::Form5(MainLink& main)
    : SideWindow(main, {"Form5", "总金额换算股票", kControls, kClientWidth, kClientHeight, true, kUnitLabels})
{
    for (int i : {Amount, Price})
        SelectAllOnFocus(Text(i));
    OnFieldKeys(Text(Amount), {[this] { Text1_KeyPress(); }, nullptr, Text(Price)});
    OnFieldKeys(Text(Price), {[this] { Text2_KeyPress(); }, Text(Amount), nullptr});
    connect(Command(1), &QPushButton::clicked, this, [this] { Command1_Click(); });
    connect(Command(2), &QPushButton::clicked, this, [this] { Command2_Click(); });
    ClearFields();
}

void Form5::ClearFields()
{
    for (int i = 1; i <= converter::kFieldCount; ++i)
        Text(i)->clear();
}

void Form5::Form_Activate() { Text(Amount)->setFocus(); }

qcal::ConverterFields Form5::Fields() const
{
    return {S(Text(Amount)->text()), S(Text(Price)->text()), S(Text(Shares)->text()), S(Text(Payment)->text()),
            S(Text(Left)->text())};
}

void Form5::SetFields(const qcal::ConverterFields& fields)
{
    SetTextIfChanged(Text(Amount), fields.amount);
    SetTextIfChanged(Text(Price), fields.price);
    SetTextIfChanged(Text(Shares), fields.shares);
    SetTextIfChanged(Text(Payment), fields.payment);
    SetTextIfChanged(Text(Left), fields.left);
}

void Form5::Text1_KeyPress()
{
    auto fields = Fields();
    const auto outcome = qcal::ConfirmAmount(fields);
    if (!outcome.ok()) {
        Report(outcome, Amount);
        return;
    }
    SetFields(fields);
    Text(Price)->setFocus();
}

void Form5::Text2_KeyPress()
{
    auto fields = Fields();
    const auto outcome = qcal::ConfirmPrice(fields);
    if (!outcome.ok()) {
        Report(outcome, Price);
        return;
    }
    SetFields(fields);
    Command(2)->setFocus();
    ConvertAmount();
}

void Form5::ConvertAmount()
{
    auto fields = Fields();
    const auto outcome = qcal::ConvertAmount(fields, View().fees);
    SetFields(fields);
    if (!outcome.ok())
        Report(outcome);
}

void Form5::MainChanged()
{
    if (Text(Shares)->text().isEmpty())
        return;
    auto fields = Fields();
    if (!qcal::ConvertAmount(fields, View().fees).ok()) {
        fields = Fields();
        fields.shares.clear();
        fields.payment.clear();
        fields.left.clear();
    }
    SetFields(fields);
}

// "返 回": hidden, not unloaded, so the texts are there at the next opening.
void Form5::Command1_Click() { HideAndHandBack(); }

// "加入计算": the texts go over exactly as shown; the main window computes the buy side when it
// becomes active again.
void Form5::Command2_Click()
{
    const auto refusal = qcal::CarryRefusal(Fields(), Main().BuySideLocked());
    if (!refusal.ok()) {
        Refuse(this, refusal.message, nullptr);
        return;
    }
    Main().CarryIntoBuy(Text(Price)->text(), Text(Shares)->text());
    close();
}

} // namespace qcal::ui
