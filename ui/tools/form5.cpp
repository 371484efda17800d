#include "ui/tools/form5.h"

#include <QCloseEvent>
#include <QLineEdit>
#include <QPushButton>

#include "ui/common/layout.h"
#include "ui/common/window_fit.h"
#include "ui/main/form1.h"
#include "ui/main/module1.h"

namespace qcal::ui {

namespace {

constexpr int kClientWidth = 3480;
constexpr int kClientHeight = 3720;

// Caption label, field and unit label of each row; the rows 480 twips apart.
constexpr ControlSpec kControls[] = {
    {"Label1", Kind::Label, nullptr, 240, 360, 960, 315, "总 金 额", nullptr},
    {"Text1", Kind::TextBox, nullptr, 1200, 360, 1575, 315, nullptr, "准备用来买入股票的总金额"},
    {"Label6", Kind::Label, nullptr, 2880, 360, 300, 315, "元", nullptr},
    {"Label2", Kind::Label, nullptr, 240, 840, 960, 315, "股票价格", nullptr},
    {"Text2", Kind::TextBox, nullptr, 1200, 840, 1575, 315, nullptr, "每股买入的价格"},
    {"Label7", Kind::Label, nullptr, 2880, 840, 300, 315, "元", nullptr},
    {"Label3", Kind::Label, nullptr, 240, 1320, 960, 315, "可买入数", nullptr},
    {"Text3", Kind::ResultBox, nullptr, 1200, 1320, 1575, 315, nullptr, "扣除各项费用后可以买入的整手股数"},
    {"Label8", Kind::Label, nullptr, 2880, 1320, 300, 315, "股", nullptr},
    {"Label4", Kind::Label, nullptr, 240, 1800, 960, 315, "实付金额", nullptr},
    {"Text4", Kind::ResultBox, nullptr, 1200, 1800, 1575, 315, nullptr, "买入这些股票实际要付的金额，含各项费用"},
    {"Label9", Kind::Label, nullptr, 2880, 1800, 300, 315, "元", nullptr},
    {"Label5", Kind::Label, nullptr, 240, 2280, 960, 315, "剩余金额", nullptr},
    {"Text5", Kind::ResultBox, nullptr, 1200, 2280, 1575, 315, nullptr, "买入后剩下的金额"},
    {"Label10", Kind::Label, nullptr, 2880, 2280, 300, 315, "元", nullptr},
    {"Command1", Kind::Button, nullptr, 480, 2880, 975, 495, "返 回", "返回主窗口，本窗口的数据保留"},
    {"Command2", Kind::Button, nullptr, 1920, 2880, 975, 495, "加入计算", "把股票价格和可买入数填入主窗口的买入计算"},
};

std::string ToStd(const QLineEdit* field) { return field->text().toStdString(); }

} // namespace

Form5::Form5(Form1& main) : QWidget(nullptr, Qt::Window), main_(main)
{
    setObjectName(QStringLiteral("Form5"));
    setWindowTitle(QStringLiteral("总金额换算股票"));
    setAttribute(Qt::WA_DeleteOnClose);
    BuildControls(this, kControls);
    setFixedSize(TwipsToPx(this, kClientWidth), TwipsToPx(this, kClientHeight));
    FitToScreen(this);
    for (int i = 1; i <= 5; ++i)
        text_[i] = findChild<QLineEdit*>(QStringLiteral("Text%1").arg(i));
    for (int i = 1; i <= 2; ++i)
        command_[i] = findChild<QPushButton*>(QStringLiteral("Command%1").arg(i));
    for (int i = 1; i <= 2; ++i)
        SelectAllOnFocus(text_[i]);
    OnFieldKeys(text_[1], [this] { Text1_KeyPress(); }, nullptr, text_[2]);
    OnFieldKeys(text_[2], [this] { Text2_KeyPress(); }, text_[1], nullptr);
    connect(command_[1], &QPushButton::clicked, this, [this] { Command1_Click(); });
    connect(command_[2], &QPushButton::clicked, this, [this] { Command2_Click(); });
    Form_Load();
}

QLineEdit* Form5::Text(int index) const { return index >= 1 && index <= 5 ? text_[index] : nullptr; }
QPushButton* Form5::Command(int index) const { return index >= 1 && index <= 2 ? command_[index] : nullptr; }

void Form5::Form_Load() { ClearFields(); }

void Form5::ClearFields()
{
    for (int i = 1; i <= 5; ++i)
        text_[i]->clear();
}

void Form5::Form_Activate() { text_[1]->setFocus(); }

qcal::ConverterFields Form5::Fields() const
{
    return {ToStd(text_[1]), ToStd(text_[2]), ToStd(text_[3]), ToStd(text_[4]), ToStd(text_[5])};
}

void Form5::SetFields(const qcal::ConverterFields& fields)
{
    SetTextIfChanged(text_[1], fields.amount);
    SetTextIfChanged(text_[2], fields.price);
    SetTextIfChanged(text_[3], fields.shares);
    SetTextIfChanged(text_[4], fields.payment);
    SetTextIfChanged(text_[5], fields.left);
}

void Form5::Text1_KeyPress()
{
    auto fields = Fields();
    const auto outcome = qcal::ConfirmAmount(fields);
    if (!outcome.ok()) {
        Module1::Refuse(text_[1], outcome.message);
        return;
    }
    SetFields(fields);
    text_[2]->setFocus();
}

void Form5::Text2_KeyPress()
{
    auto fields = Fields();
    const auto outcome = qcal::ConfirmPrice(fields);
    if (!outcome.ok()) {
        Module1::Refuse(text_[2], outcome.message);
        return;
    }
    SetFields(fields);
    command_[2]->setFocus();
    ConvertAmount();
}

void Form5::ConvertAmount()
{
    auto fields = Fields();
    const auto outcome = qcal::ConvertAmount(fields, main_.Fees());
    SetFields(fields);
    if (outcome.ok())
        return;
    Module1::ShowMessage(this, outcome.message);
    switch (outcome.failure) {
    case ConvertFailure::TooSmall:
        text_[1]->setFocus();
        break;
    case ConvertFailure::Amount:
    case ConvertFailure::AmountTooLarge:
        Module1::Reselect(text_[1]);
        break;
    case ConvertFailure::Price:
        Module1::Reselect(text_[2]);
        break;
    case ConvertFailure::CommissionRate:
    case ConvertFailure::StampDutyRate:
    case ConvertFailure::None:
        break;
    }
}

// "返 回": hidden, not unloaded, so the texts are there at the next opening.
void Form5::Command1_Click()
{
    hide();
    main_.ComeBack();
}

// "加入计算": the texts go over exactly as shown; the main window computes the buy side when it
// becomes active again.
void Form5::Command2_Click()
{
    const bool buySideLocked = main_.Text(1)->isReadOnly() || main_.Text(2)->isReadOnly();
    const auto refusal = qcal::CarryRefusal(Fields(), buySideLocked);
    if (!refusal.empty()) {
        Module1::ShowMessage(this, refusal);
        return;
    }
    main_.Text(1)->setText(text_[2]->text());
    main_.Text(2)->setText(text_[3]->text());
    close();
}

void Form5::closeEvent(QCloseEvent* event)
{
    Form_Unload();
    QWidget::closeEvent(event);
}

// Only a window the user is looking at hands control back: the main window's Clear also unloads a
// converter that "返 回" had hidden, and Exit unloads every window (ComeBack then does nothing).
// Hidden first, so that whatever the main window does on coming back happens with this one gone.
void Form5::Form_Unload()
{
    const bool shown = isVisible();
    hide();
    if (shown)
        main_.ComeBack();
}

} // namespace qcal::ui
