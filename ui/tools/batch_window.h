#pragma once
// What the multi-batch buy window (Form4) and the multi-batch sell window (Form3) share: three
// batch frames of a price and a quantity each, OK and Clear, the Enter and arrow keys, and the
// posting into the main window. The two windows differ only in their texts, their field checks
// and the side of the main window they post into (a BatchSide).
//
// Each field's accepted value (what the computations read) is kept on the field itself, in its
// dynamic property "Tag" (a QString): empty after load and clear, otherwise what the last capture
// accepted, or the batch's transfer fee after a post on "上海A股".

#include <array>

#include "core/batch.h"
#include "ui/tools/side_window.h"

class QLineEdit;
class QPushButton;

namespace qcal::ui {


// Frames Frame1_0 … Frame1_2, each a price row (Text1, Text3, Text5) above a quantity row (Text2,
// Text4, Text6) with caption and unit labels (Label1_0 … Label1_11); OK and Clear centred below.
inline constexpr int kBatchControlCount = kBatchCount * 7 + 2;
using BatchControls = std::array<ControlSpec, kBatchControlCount>;
BatchControls MakeBatchControls(const std::array<const char*, kBatchCount>& frameCaptions,
                                std::string_view priceCaption, std::string_view quantityCaption);

struct BatchSide {
    const char* objectName;
    std::string_view caption;
    const BatchControls& controls;
    void (*checkPrice)(QLineEdit*);
    void (*checkQuantity)(QLineEdit*);
    qcal::BatchResult (*post)(qcal::BatchFields&, qcal::MainWindowState&);
    void (*mark)(qcal::MainWindowState&);
    void (*unlock)(qcal::MainWindowState&);
};

class BatchWindow : public SideWindow {
    Q_OBJECT
public:
    static constexpr const char* kTagProperty = "Tag";

    QPushButton* Command1() const { return Command(1); }  // 确 定
    QPushButton* Command2() const { return Command(2); }  // 清 空

    // The field's accepted value.
    QString Tag(int index) const;

    void StoreBatchInputs();
    // Empties the six fields and their accepted values; the main window is not touched.
    void ClearFields();

    void Form_Activate() override;
    void Command1_Click();
    void Command2_Click();

protected:
    BatchWindow(MainLink& main, const BatchSide& side);

private:
    // The averaging of this window into the main window, and the marking after it; false (after
    // the message) when the figures are beyond what can be computed, the main window unchanged.
    bool PostBatches(bool markOnlyWithQuantity);
    void EnterField(int index);
    void EnterPrice(int index);
    void EnterQuantity(int index);
    qcal::BatchFields Fields() const;
    void SetTags(const qcal::BatchFields& fields);

    const BatchSide& side_;
};

// The multi-batch sell window: up to three sell batches averaged into the main window's sell side.
class Form3 : public BatchWindow {
    Q_OBJECT
public:
    explicit Form3(MainLink& main);
};

// The multi-batch buy window: up to three buy batches averaged into the main window's buy side.
class Form4 : public BatchWindow {
    Q_OBJECT
public:
    explicit Form4(MainLink& main);
};

} // namespace qcal::ui
