#pragma once
// The target-price window: for a purchase, the sell price that reaches a wanted yield or profit
// (or limits a loss), the sale there and the break-even on the exchange's tick, a ladder of
// outcomes around the buy price and the chart of profit against price. Opened from 其它功能 without
// blocking; the main window stays in sight.

#include "core/target.h"
#include "ui/tools/side_window.h"

class QTableWidget;

namespace qcal::ui {

class ProfitChart;

class Form7 : public SideWindow {
    Q_OBJECT
public:
    explicit Form7(MainLink& main);

    // Text(1) … Text(10) as target::Field names them; Command(1) "计 算", Command(2) "返 回".
    QTableWidget* Grid1() const { return grid_; }
    ProfitChart* Picture1() const { return chart_; }

    // The holding of the main window, when it holds a computed buy: the price it was bought at, the
    // shares still held and the money still to recover. Run each time the window is opened from
    // the main window.
    void Form_Activate() override;

    // A purchase taken from the main window follows it; figures on screen are computed again under
    // the settings now in force, or cleared.
    void MainChanged() override;

    // The ladder's column of marks: "保本价" or "目标价" on the break-even's and the target's rows.
    static constexpr int kMarkColumn = 5;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void Text1_KeyPress();
    void Text2_KeyPress();
    void Text3_KeyPress();
    void Text4_KeyPress();
    void Command1_Click();

    void Compute(qcal::TargetBy by);
    // The same without a message: what cannot be computed any more is cleared.
    void ComputeAgain();
    void TakeMainPurchase();
    void ShowLadder(const qcal::TargetResult& result);
    void ClearResults();
    qcal::TargetFields Fields() const;
    void SetFields(const qcal::TargetFields& fields);

    QTableWidget* grid_ = nullptr;
    ProfitChart* chart_ = nullptr;
    qcal::TargetBy lastBy_ = qcal::TargetBy::Yield;  // the target typed last
    qcal::PaidBasis paidFor_;  // what the money paid in Text10 belongs to
    bool computed_ = false;    // results are on screen
    QSize layoutSize_;  // the client size of the layout table: the grid and the chart take what is more
};

} // namespace qcal::ui
