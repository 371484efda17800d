#include "ui/tools/form6.h"

#include <QCheckBox>
#include <QLineEdit>

#include "core/captions.h"
#include "ui/common/field_keys.h"
#include "ui/common/text.h"
#include "settings/topmost.h"
#include "ui/common/message_box.h"

namespace qcal::ui {

namespace {

using namespace qcal::mini;

// The fields take a quantity of fifteen digits with its separators, and the break-even it gives.
constexpr int kFieldWidth = 1800;
constexpr int kClientWidth = 960 + kFieldWidth + 120;
constexpr int kClientHeight = 1935;

constexpr ControlSpec kControls[] = {
    {"Label1", Kind::Label, nullptr, 120, 180, 840, 315, qcal::caption::kBuyPrice, {}},
    {"Text1", Kind::TextBox, nullptr, 960, 180, kFieldWidth, 315, {}, "每股买入的价格"},
    {"Label2", Kind::Label, nullptr, 120, 600, 840, 315, qcal::caption::kBuyQuantity, {}},
    {"Text2", Kind::TextBox, nullptr, 960, 600, kFieldWidth, 315, {}, "买入股票的数量"},
    {"Label3", Kind::Label, nullptr, 120, 1020, 840, 315, "保 本 价", {}},
    {"Text3", Kind::ResultBox, nullptr, 960, 1020, kFieldWidth, 315, {}, "扣除买入卖出的各种费用后保证不亏损的每股价格"},
    {"Check1", Kind::CheckBox, nullptr, 960, 1470, 1380, 315, "置顶", "勾上后，本窗口会置于所有窗口之上"},
};

} // namespace

Form6::Form6(MainLink& main) : SideWindow(main, {"Form6", "迷你小窗口", kControls, kClientWidth, kClientHeight, true})
{
    check1_ = findChild<QCheckBox*>(QStringLiteral("Check1"));
    for (int i : {Price, Quantity})
        SelectAllOnFocus(Text(i));
    OnFieldKeys(Text(Price), {[this] { Text1_KeyPress(); }, nullptr, Text(Quantity)});
    OnFieldKeys(Text(Quantity), {[this] { Text2_KeyPress(); }, Text(Price), nullptr});
    // A change of the value from code counts as a click too, as it does for the main window's box.
    connect(check1_, &QCheckBox::toggled, this, [this] { Check1_Click(); });
    for (int i = 1; i <= mini::kFieldCount; ++i)
        Text(i)->clear();
}

void Form6::Form_Activate() { Text(Price)->setFocus(); }

qcal::MiniFields Form6::Fields() const
{
    return {S(Text(Price)->text()), S(Text(Quantity)->text()), S(Text(mini::BreakEven)->text())};
}

void Form6::SetFields(const qcal::MiniFields& fields)
{
    SetTextIfChanged(Text(Price), fields.price);
    SetTextIfChanged(Text(Quantity), fields.quantity);
    SetTextIfChanged(Text(mini::BreakEven), fields.breakEven);
}

void Form6::Text1_KeyPress()
{
    auto fields = Fields();
    const auto outcome = qcal::ConfirmMiniPrice(fields);
    if (!outcome.ok()) {
        Refuse(this, outcome.message, Text(Price));
        return;
    }
    SetFields(fields);
    Text(Quantity)->setFocus();
}

// The focus stays in the quantity, so that another quantity can be tried at once. After a
// refusal of a field the quantity, where Enter was pressed, is selected; a rate is corrected in
// the main window, which is hidden meanwhile.
void Form6::Text2_KeyPress()
{
    auto fields = Fields();
    const auto outcome = qcal::ComputeMini(fields, View().fees);
    if (!outcome.ok()) {
        Refuse(this, outcome.message, outcome.Focus() == FocusTarget::Field ? Text(Quantity) : nullptr);
        return;
    }
    SetFields(fields);
}

void Form6::MainChanged()
{
    if (Text(mini::BreakEven)->text().isEmpty())
        return;
    auto fields = Fields();
    if (!qcal::ComputeMini(fields, View().fees).ok()) {
        fields = Fields();
        fields.breakEven.clear();
    }
    SetFields(fields);
}

// This window's own on-top state; nothing is saved and the main window's box is not touched.
void Form6::Check1_Click()
{
    if (check1_->isChecked())
        qcal::settings::SetTopmost(this);
    else
        qcal::settings::ClearTopmost(this);
}

} // namespace qcal::ui
