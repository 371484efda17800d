#include "ui/tools/batch_window.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>

#include "core/messages.h"
#include "ui/common/layout.h"
#include "ui/common/window_fit.h"
#include "ui/main/form1.h"
#include "ui/main/module1.h"

namespace qcal::ui {

namespace {

// Three frames side by side, each a price row above a quantity row; OK and Clear centred below.
constexpr int kClientWidth = 8085;
constexpr int kClientHeight = 2265;
constexpr int kFrameLeft = 120;
constexpr int kFrameStep = 2655;
constexpr int kFrameTop = 120;
constexpr int kFrameWidth = 2535;
constexpr int kFrameHeight = 1395;
constexpr int kRowTops[2] = {375, 855};
constexpr int kRowHeight = 330;
constexpr int kCaptionLeft = 135, kCaptionWidth = 840;
constexpr int kFieldLeft = 990, kFieldWidth = 1200;
constexpr int kUnitLeft = 2235, kUnitWidth = 240;
constexpr int kButtonTop = 1635, kButtonWidth = 975, kButtonHeight = 495;
constexpr int kCommand1Left = 2835, kCommand2Left = 4275;

constexpr int kControlCount = 3 * 7 + 2;

// The frames are Frame1_0 … Frame1_2, the fields Text1 … Text6 (price, quantity of each batch),
// the labels Label1_0 … Label1_11 (per batch: price caption, its unit, quantity caption, its unit).
std::array<ControlSpec, kControlCount> Layout(const BatchSide& side)
{
    static const char* const kFrames[3] = {"Frame1_0", "Frame1_1", "Frame1_2"};
    static const char* const kTexts[6] = {"Text1", "Text2", "Text3", "Text4", "Text5", "Text6"};
    static const char* const kLabels[12] = {"Label1_0", "Label1_1", "Label1_2", "Label1_3",
                                            "Label1_4", "Label1_5", "Label1_6", "Label1_7",
                                            "Label1_8", "Label1_9", "Label1_10", "Label1_11"};
    std::array<ControlSpec, kControlCount> rows{};
    std::size_t n = 0;
    for (int f = 0; f < 3; ++f) {
        rows[n++] = {kFrames[f], Kind::Frame, nullptr, kFrameLeft + f * kFrameStep, kFrameTop, kFrameWidth,
                     kFrameHeight, side.frameCaptions[static_cast<std::size_t>(f)], nullptr};
        for (int r = 0; r < 2; ++r) {
            const int top = kRowTops[r];
            const int label = f * 4 + r * 2;
            rows[n++] = {kLabels[label], Kind::Label, kFrames[f], kCaptionLeft, top, kCaptionWidth, kRowHeight,
                         r == 0 ? side.priceCaption : side.quantityCaption, nullptr};
            rows[n++] = {kTexts[f * 2 + r], Kind::TextBox, kFrames[f], kFieldLeft, top, kFieldWidth, kRowHeight,
                         nullptr, nullptr};
            rows[n++] = {kLabels[label + 1], Kind::Label, kFrames[f], kUnitLeft, top, kUnitWidth, kRowHeight,
                         r == 0 ? "元" : "股", nullptr};
        }
    }
    rows[n++] = {"Command1", Kind::Button, nullptr, kCommand1Left, kButtonTop, kButtonWidth, kButtonHeight, "确 定",
                 nullptr};
    rows[n++] = {"Command2", Kind::Button, nullptr, kCommand2Left, kButtonTop, kButtonWidth, kButtonHeight, "清 空",
                 nullptr};
    return rows;
}

QString FromStd(const std::string& text) { return QString::fromStdString(text); }

} // namespace

BatchWindow::BatchWindow(Form1& main, const BatchSide& side)
    : QWidget(nullptr, Qt::Window), main_(main), side_(side)
{
    // No parent: hiding the main window (About, converter, mini window) must not take this one
    // with it. The main window deletes it at exit.
    setObjectName(QString::fromLatin1(side.objectName));
    setWindowTitle(QString::fromUtf8(side.caption));
    setAttribute(Qt::WA_DeleteOnClose);
    setFont(SimSunFont());
    const auto rows = Layout(side);
    BuildControls(this, rows);
    setFixedSize(TwipsToPx(this, kClientWidth), TwipsToPx(this, kClientHeight));
    FitToScreen(this);

    for (int i = 1; i <= 6; ++i) {
        text_[i] = findChild<QLineEdit*>(QStringLiteral("Text%1").arg(i));
        text_[i]->installEventFilter(this);
        SelectAllOnFocus(text_[i]);
    }
    command1_ = findChild<QPushButton*>(QStringLiteral("Command1"));
    command2_ = findChild<QPushButton*>(QStringLiteral("Command2"));
    command1_->installEventFilter(this);
    command2_->installEventFilter(this);
    connect(command1_, &QPushButton::clicked, this, [this] { Command1_Click(); });
    connect(command2_, &QPushButton::clicked, this, [this] { Command2_Click(); });
    Form_Load();
}

QLineEdit* BatchWindow::Text(int index) const { return index >= 1 && index <= 6 ? text_[index] : nullptr; }
QPushButton* BatchWindow::Command1() const { return command1_; }
QPushButton* BatchWindow::Command2() const { return command2_; }

QString BatchWindow::Tag(int index) const
{
    const QLineEdit* field = Text(index);
    return field ? field->property(kTagProperty).toString() : QString();
}

void BatchWindow::Form_Load() { ClearFields(); }

void BatchWindow::ClearFields()
{
    for (int i = 1; i <= 6; ++i) {
        text_[i]->clear();
        text_[i]->setProperty(kTagProperty, QString());
    }
}

qcal::BatchFields BatchWindow::Fields() const
{
    qcal::BatchFields fields;
    for (int i = 1; i <= 6; ++i) {
        fields.text[i] = text_[i]->text().toStdString();
        fields.tag[i] = Tag(i).toStdString();
    }
    return fields;
}

void BatchWindow::SetTags(const qcal::BatchFields& fields)
{
    for (int i = 1; i <= 6; ++i)
        text_[i]->setProperty(kTagProperty, FromStd(fields.tag[i]));
}

void BatchWindow::StoreBatchInputs()
{
    qcal::BatchFields fields = Fields();
    qcal::StoreBatchInputs(fields);
    SetTags(fields);
}

bool BatchWindow::PostBatches(bool markOnlyWithQuantity)
{
    qcal::BatchFields fields = Fields();
    qcal::MainWindowState state = main_.Snapshot();
    const qcal::BatchResult result = side_.post(fields, state);
    if (!result.ok()) {
        ReportFailure(result.failure);
        return false;
    }
    // Read after the post: on "上海A股" the quantity tags hold the batch fees by now, which are
    // above 0 exactly when the batch has a quantity.
    const bool mark = !markOnlyWithQuantity || qcal::QuantityTagSum(fields) > 0;
    if (mark)
        side_.mark(state);
    SetTags(fields);
    if (result.posted || mark)
        main_.Apply(state);
    return true;
}

void BatchWindow::ReportFailure(qcal::CalcFailure failure)
{
    switch (failure) {
    case qcal::CalcFailure::CommissionRate:
        Module1::ShowMessage(this, qcal::msg::kCommission);
        break;
    case qcal::CalcFailure::StampDutyRate:
        Module1::ShowMessage(this, qcal::msg::kInputError);
        break;
    default:
        Module1::ShowMessage(this, qcal::msg::kOutOfRange);
        break;
    }
}

// OK: with no accepted quantity nothing is posted or marked, and the window still goes. When the
// figures cannot be computed the window stays, so that the batch at fault can be corrected.
void BatchWindow::Command1_Click()
{
    StoreBatchInputs();
    if (!PostBatches(true))
        return;
    hide();
    HandBack();
}

// The main window becomes the active one again, unless another side window (About, converter,
// mini window) has it hidden: that window brings it back when it closes.
void BatchWindow::HandBack()
{
    if (main_.isVisible())
        main_.ComeBack();
}

void BatchWindow::Command2_Click()
{
    ClearFields();
    qcal::MainWindowState state = main_.Snapshot();
    side_.unlock(state);
    main_.Apply(state);
}

void BatchWindow::FocusAndSelect(QWidget* target)
{
    target->setFocus(Qt::OtherFocusReason);
    if (auto* field = qobject_cast<QLineEdit*>(target))
        Module1::SelectAllText(field);
}

void BatchWindow::EnterPrice(int index)
{
    side_.checkPrice(text_[index]);
    if (Module1::InputValid != 1)
        return;
    Module1::InputValid = 0;
    StoreBatchInputs();
    FocusAndSelect(text_[index + 1]);
}

// A quantity posts the batches entered so far and marks the main window. The focus moves on only
// when the post went through; otherwise it stays on this quantity, after the message.
void BatchWindow::EnterQuantity(int index)
{
    side_.checkQuantity(text_[index]);
    if (Module1::InputValid != 1)
        return;
    Module1::InputValid = 0;
    StoreBatchInputs();
    if (!PostBatches(false)) {
        Module1::Reselect(text_[index]);
        return;
    }
    FocusAndSelect(index < 6 ? static_cast<QWidget*>(text_[index + 1]) : command1_);
}

// Enter in a field: odd fields are prices, even fields quantities.
void BatchWindow::EnterField(int index)
{
    switch (index) {
    case 1:
    case 3:
    case 5:
        EnterPrice(index);
        break;
    case 2:
    case 4:
    case 6:
        EnterQuantity(index);
        break;
    default:
        break;
    }
}

// Down walks Text1 → Text6, up walks back; neither leaves the six fields.
void BatchWindow::MoveFocus(int index, bool down)
{
    if (down && index < 6)
        text_[index + 1]->setFocus(Qt::TabFocusReason);
    else if (!down && index > 1)
        text_[index - 1]->setFocus(Qt::BacktabFocusReason);
}

bool BatchWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyPress)
        return QWidget::eventFilter(watched, event);
    const int key = static_cast<QKeyEvent*>(event)->key();
    const bool enter = key == Qt::Key_Return || key == Qt::Key_Enter;

    // Enter on a focused button presses it, as the focus after the last quantity invites.
    if (auto* button = qobject_cast<QPushButton*>(watched)) {
        if (enter) {
            button->click();
            return true;
        }
        return QWidget::eventFilter(watched, event);
    }

    int index = 0;
    for (int i = 1; i <= 6; ++i)
        if (watched == text_[i])
            index = i;
    if (index == 0)
        return QWidget::eventFilter(watched, event);

    if (enter) {
        EnterField(index);
        return true;
    }
    if (key == Qt::Key_Down || key == Qt::Key_Up) {
        MoveFocus(index, key == Qt::Key_Down);
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

// Closing by the user hands control back to the main window; Clear and Exit close it from code.
void BatchWindow::closeEvent(QCloseEvent* event)
{
    const bool byUser = event->spontaneous() && isVisible();
    QWidget::closeEvent(event);
    if (byUser) {
        hide();
        HandBack();
    }
}

} // namespace qcal::ui
