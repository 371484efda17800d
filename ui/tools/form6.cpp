#include "ui/tools/form6.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QLineEdit>

#include "ui/common/layout.h"
#include "ui/common/window_fit.h"
#include "ui/main/form1.h"
#include "ui/main/module1.h"

namespace qcal::ui {

namespace {

constexpr int kClientWidth = 2460;
constexpr int kClientHeight = 1935;

constexpr ControlSpec kControls[] = {
    {"Label1", Kind::Label, nullptr, 120, 180, 840, 315, "买入价格", nullptr},
    {"Text1", Kind::TextBox, nullptr, 960, 180, 1380, 315, nullptr, "每股买入的价格"},
    {"Label2", Kind::Label, nullptr, 120, 600, 840, 315, "买入数量", nullptr},
    {"Text2", Kind::TextBox, nullptr, 960, 600, 1380, 315, nullptr, "买入股票的数量"},
    {"Label3", Kind::Label, nullptr, 120, 1020, 840, 315, "保 本 价", nullptr},
    {"Text3", Kind::ResultBox, nullptr, 960, 1020, 1380, 315, nullptr,
     "扣除买入卖出的各种费用后保证不亏损的每股价格"},
    {"Check1", Kind::CheckBox, nullptr, 960, 1470, 1380, 315, "置顶", "勾上后，本窗口会置于所有窗口之上"},
};

std::string ToStd(const QLineEdit* field) { return field->text().toStdString(); }

} // namespace

Form6::Form6(Form1& main) : QWidget(nullptr, Qt::Window), main_(main)
{
    setObjectName(QStringLiteral("Form6"));
    setWindowTitle(QStringLiteral("迷你小窗口"));
    setAttribute(Qt::WA_DeleteOnClose);
    BuildControls(this, kControls);
    setFixedSize(TwipsToPx(this, kClientWidth), TwipsToPx(this, kClientHeight));
    FitToScreen(this);
    for (int i = 1; i <= 3; ++i)
        text_[i] = findChild<QLineEdit*>(QStringLiteral("Text%1").arg(i));
    check1_ = findChild<QCheckBox*>(QStringLiteral("Check1"));
    for (int i = 1; i <= 2; ++i)
        SelectAllOnFocus(text_[i]);
    OnFieldKeys(text_[1], [this] { Text1_KeyPress(); }, nullptr, text_[2]);
    OnFieldKeys(text_[2], [this] { Text2_KeyPress(); }, text_[1], nullptr);
    // A change of the value from code counts as a click too, as it does for the main window's box.
    connect(check1_, &QCheckBox::toggled, this, [this] { Check1_Click(); });
    Form_Load();
}

QLineEdit* Form6::Text(int index) const { return index >= 1 && index <= 3 ? text_[index] : nullptr; }
QCheckBox* Form6::Check1() const { return check1_; }

void Form6::Form_Load()
{
    for (int i = 1; i <= 3; ++i)
        text_[i]->clear();
}

void Form6::Form_Activate() { text_[1]->setFocus(); }

qcal::MiniFields Form6::Fields() const { return {ToStd(text_[1]), ToStd(text_[2]), ToStd(text_[3])}; }

void Form6::SetFields(const qcal::MiniFields& fields)
{
    SetTextIfChanged(text_[1], fields.price);
    SetTextIfChanged(text_[2], fields.quantity);
    SetTextIfChanged(text_[3], fields.breakEven);
}

void Form6::Text1_KeyPress()
{
    auto fields = Fields();
    const auto outcome = qcal::ConfirmMiniPrice(fields);
    if (!outcome.ok()) {
        Module1::Refuse(text_[1], outcome.message);
        return;
    }
    SetFields(fields);
    text_[2]->setFocus();
}

// The focus stays in the quantity, so that another quantity can be tried at once.
void Form6::Text2_KeyPress()
{
    auto fields = Fields();
    const auto outcome = qcal::ComputeMini(fields, main_.Fees());
    if (!outcome.ok()) {
        Module1::ShowMessage(this, outcome.message);
        if (outcome.failure != MiniFailure::CommissionRate && outcome.failure != MiniFailure::StampDutyRate)
            Module1::Reselect(text_[2]);
        return;
    }
    SetFields(fields);
}

// This window's own on-top state; nothing is saved and the main window's box is not touched.
void Form6::Check1_Click()
{
    if (check1_->isChecked())
        Module1::SetTopmost(this);
    else
        Module1::ClearTopmost(this);
}

void Form6::closeEvent(QCloseEvent* event)
{
    Form_Unload();
    QWidget::closeEvent(event);
}

// Hidden first, so that whatever the main window does on coming back happens with this one gone;
// Exit unloads it too, and then the main window stays closed (ComeBack does nothing).
void Form6::Form_Unload()
{
    const bool shown = isVisible();
    hide();
    if (shown)
        main_.ComeBack();
}

} // namespace qcal::ui
