#include "ui/tools/batch_window.h"

#include <QLineEdit>
#include <QPushButton>

#include "core/captions.h"
#include "ui/common/field_keys.h"
#include "ui/common/text.h"
#include "ui/common/field_checks.h"
#include "ui/common/message_box.h"

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

} // namespace

BatchControls MakeBatchControls(const std::array<const char*, kBatchCount>& frameCaptions,
                                std::string_view priceCaption, std::string_view quantityCaption)
{
    static const char* const kFrames[kBatchCount] = {"Frame1_0", "Frame1_1", "Frame1_2"};
    static const char* const kTexts[kBatchFieldCount] = {"Text1", "Text2", "Text3", "Text4", "Text5", "Text6"};
    static const char* const kLabels[4 * kBatchCount] = {"Label1_0", "Label1_1", "Label1_2", "Label1_3",
                                                         "Label1_4", "Label1_5", "Label1_6", "Label1_7",
                                                         "Label1_8", "Label1_9", "Label1_10", "Label1_11"};
    BatchControls rows{};
    std::size_t n = 0;
    for (int f = 0; f < kBatchCount; ++f) {
        rows[n++] = {kFrames[f], Kind::Frame, nullptr, kFrameLeft + f * kFrameStep, kFrameTop, kFrameWidth,
                     kFrameHeight, frameCaptions[static_cast<std::size_t>(f)], {}};
        for (int r = 0; r < 2; ++r) {
            const int top = kRowTops[r];
            const int label = f * 4 + r * 2;
            const int field = r == 0 ? BatchPriceField(f + 1) : BatchQuantityField(f + 1);
            rows[n++] = {kLabels[label], Kind::Label, kFrames[f], kCaptionLeft, top, kCaptionWidth, kRowHeight,
                         r == 0 ? priceCaption : quantityCaption, {}};
            rows[n++] = {kTexts[field - 1], Kind::TextBox, kFrames[f], kFieldLeft, top, kFieldWidth, kRowHeight, {}, {}};
            rows[n++] = {kLabels[label + 1], Kind::Label, kFrames[f], kUnitLeft, top, kUnitWidth, kRowHeight,
                         r == 0 ? caption::kUnitYuan : caption::kUnitShares, {}};
        }
    }
    rows[n++] = {"Command1", Kind::Button, nullptr, kCommand1Left, kButtonTop, kButtonWidth, kButtonHeight, "确 定", {}};
    rows[n++] = {"Command2", Kind::Button, nullptr, kCommand2Left, kButtonTop, kButtonWidth, kButtonHeight, "清 空", {}};
    return rows;
}

BatchWindow::BatchWindow(MainLink& main, const BatchSide& side)
    : SideWindow(main, {side.objectName, side.caption, side.controls, kClientWidth, kClientHeight, false}), side_(side)
{
    for (int i = 1; i <= kBatchFieldCount; ++i) {
        SelectAllOnFocus(Text(i));
        // Down walks Text1 → Text6, up walks back; neither leaves the six fields.
        OnFieldKeys(Text(i), {[this, i] { EnterField(i); }, Text(i - 1), Text(i + 1)});
    }
    PressOnEnter(Command1());
    PressOnEnter(Command2());
    connect(Command1(), &QPushButton::clicked, this, [this] { Command1_Click(); });
    connect(Command2(), &QPushButton::clicked, this, [this] { Command2_Click(); });
    ClearFields();
}

QString BatchWindow::Tag(int index) const
{
    const QLineEdit* field = Text(index);
    return field ? field->property(kTagProperty).toString() : QString();
}

void BatchWindow::ClearFields()
{
    for (int i = 1; i <= kBatchFieldCount; ++i) {
        Text(i)->clear();
        Text(i)->setProperty(kTagProperty, QString());
    }
}

void BatchWindow::Form_Activate() { FocusAndSelectAll(Text(BatchPriceField(1))); }

qcal::BatchFields BatchWindow::Fields() const
{
    qcal::BatchFields fields;
    for (int i = 1; i <= kBatchFieldCount; ++i) {
        fields.text[i] = S(Text(i)->text());
        fields.tag[i] = S(Tag(i));
    }
    return fields;
}

void BatchWindow::SetTags(const qcal::BatchFields& fields)
{
    for (int i = 1; i <= kBatchFieldCount; ++i)
        Text(i)->setProperty(kTagProperty, Q(fields.tag[i]));
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
    qcal::MainWindowState state = Main().Snapshot();
    const qcal::BatchResult result = side_.post(fields, state);
    if (!result.ok()) {
        // The main window's lists cannot be reached from here: the message says which to correct;
        // a batch the exchange would not take is selected.
        Refuse(this, result, result.reason == qcal::Reason::NotTradableBuy ||
                                     result.reason == qcal::Reason::NotTradableSell ? Text(result.field) : nullptr);
        return false;
    }
    // Read after the post: on "上海A股" the quantity tags hold the batch fees by now, which are
    // above 0 exactly when the batch has a quantity.
    const bool mark = !markOnlyWithQuantity || qcal::QuantityTagSum(fields) > 0;
    if (mark)
        side_.mark(state);
    SetTags(fields);
    if (result.posted || mark)
        Main().Apply(state);
    return true;
}

// OK: with no accepted quantity nothing is posted or marked, and the window still goes. When the
// figures cannot be computed the window stays, so that the batch at fault can be corrected.
void BatchWindow::Command1_Click()
{
    StoreBatchInputs();
    if (!PostBatches(true))
        return;
    HideAndHandBack();
}

void BatchWindow::Command2_Click()
{
    ClearFields();
    qcal::MainWindowState state = Main().Snapshot();
    side_.unlock(state);
    Main().Apply(state);
}

void BatchWindow::EnterField(int index)
{
    if (IsBatchQuantityField(index))
        EnterQuantity(index);
    else
        EnterPrice(index);
}

void BatchWindow::EnterPrice(int index)
{
    side_.checkPrice(Text(index));
    if (Module1::InputValid != 1)
        return;
    Module1::InputValid = 0;
    StoreBatchInputs();
    FocusAndSelectAll(Text(index + 1));
}

// A quantity posts the batches entered so far and marks the main window. The focus moves on only
// when the post went through; otherwise it stays on this quantity, after the message.
void BatchWindow::EnterQuantity(int index)
{
    side_.checkQuantity(Text(index));
    if (Module1::InputValid != 1)
        return;
    Module1::InputValid = 0;
    StoreBatchInputs();
    if (!PostBatches(false)) {
        FocusAndSelectAll(Text(index));
        return;
    }
    FocusAndSelectAll(index < kBatchFieldCount ? static_cast<QWidget*>(Text(index + 1)) : Command1());
}

namespace {

const BatchControls kSellControls =
    MakeBatchControls({"第一批卖出", "第二批卖出", "第三批卖出"}, caption::kSellPrice, caption::kSellQuantity);
const BatchControls kBuyControls =
    MakeBatchControls({"第一批买入", "第二批买入", "第三批买入"}, caption::kBuyPrice, caption::kBuyQuantity);

const BatchSide kSell{"Form3",           "睿衡算股多批卖出",  kSellControls,        Module1::CheckSellPrice,
                      Module1::CheckSellQuantity, qcal::PostSellBatches, qcal::MarkSellBatch, qcal::UnlockSellBatch};
const BatchSide kBuy{"Form4",          "睿衡算股多批买入", kBuyControls,        Module1::CheckBuyPrice,
                     Module1::CheckBuyQuantity, qcal::PostBuyBatches, qcal::MarkBuyBatch, qcal::UnlockBuyBatch};

} // namespace

Form3::Form3(MainLink& main) : BatchWindow(main, kSell) {}
Form4::Form4(MainLink& main) : BatchWindow(main, kBuy) {}

} // namespace qcal::ui
