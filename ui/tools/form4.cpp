#include "ui/tools/form4.h"

#include "core/captions.h"
#include "ui/main/module1.h"

namespace qcal::ui {

namespace {

const BatchControls kControls = MakeBatchControls({"第一批买入", "第二批买入", "第三批买入"}, caption::kBuyPrice, caption::kBuyQuantity);

const BatchSide kBuy{
    "Form4",
    "睿衡算股多批买入",
    kControls,
    Module1::CheckBuyPrice,
    Module1::CheckBuyQuantity,
    qcal::PostBuyBatches,
    qcal::MarkBuyBatch,
    qcal::UnlockBuyBatch,
};

} // namespace

Form4::Form4(Form1& main) : BatchWindow(main, kBuy) {}

} // namespace qcal::ui
