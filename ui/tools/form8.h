#pragma once
// The averaging-down and same-day round-trip window (补仓与做T): on a holding taken from the main
// window or typed, how many shares bought at today's price bring the cost per share to a target
// (or what cost a number of shares gives), and what selling part of the holding and buying it
// back the same day gains and does to the cost. Opened from 其它功能 without blocking.

#include "core/average_down.h"
#include "ui/tools/side_window.h"

namespace qcal::ui {

class Form8 : public SideWindow {
    Q_OBJECT
public:
    explicit Form8(Form1& main);

    // Text(1) … Text(18) as position::Field names them; Command(1) "计 算" of 补仓, Command(2)
    // "计 算" of 做T, Command(3) "返 回".

    // The holding of the main window, when it holds a computed buy: its shares, cost per share and
    // the money it paid. Run each time the window is opened from the main window.
    void Form_Activate() override;

private:
    void EnterHolding(qcal::position::Field field);
    void EnterInput(qcal::position::Field field, QWidget* next);
    void Run(qcal::Outcome (*compute)(qcal::PositionFields&, const qcal::FeeSettings&));
    qcal::PositionFields Fields() const;
    void SetFields(const qcal::PositionFields& fields);

    qcal::InvestedBasis investedFor_;  // what the money invested in Text18 belongs to
};

} // namespace qcal::ui
