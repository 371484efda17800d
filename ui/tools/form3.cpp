#include "ui/tools/form3.h"

#include "core/captions.h"
#include "ui/main/module1.h"

namespace qcal::ui {

namespace {

const BatchControls kControls = MakeBatchControls({"第一批卖出", "第二批卖出", "第三批卖出"}, caption::kSellPrice, caption::kSellQuantity);

const BatchSide kSell{
    "Form3",
    "睿衡算股多批卖出",
    kControls,
    Module1::CheckSellPrice,
    Module1::CheckSellQuantity,
    qcal::PostSellBatches,
    qcal::MarkSellBatch,
    qcal::UnlockSellBatch,
};

} // namespace

Form3::Form3(Form1& main) : BatchWindow(main, kSell) {}

} // namespace qcal::ui
