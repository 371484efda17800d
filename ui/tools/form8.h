#pragma once
// The averaging-down and same-day round-trip window (补仓与做T): on a holding taken from the main
// window or typed, how many shares bought at today's price bring the cost per share to a target
// (or what cost a number of shares gives), and what selling part of the holding and buying it
// back the same day gains and does to the cost. Opened from 其它功能 without blocking.

#include <span>

#include "core/average_down.h"
#include "ui/tools/side_window.h"

namespace qcal::ui {

class Form8 : public SideWindow {
    Q_OBJECT
public:
    explicit Form8(MainLink& main);

    // Text(1) … Text(18) as position::Field names them; Command(1) "计 算" of 补仓, Command(2)
    // "计 算" of 做T, Command(3) "返 回".

    // The holding of the main window, when it holds a computed buy: the shares still held, their
    // cost per share and the money still to recover. Run each time the window is opened from the
    // main window.
    void Form_Activate() override;

    // A holding taken from the main window follows it; whatever was computed is computed again
    // under the settings now in force, or cleared.
    void MainChanged() override;

private:
    using Compute = qcal::Outcome (*)(qcal::PositionFields&, const qcal::FeeSettings&);
    // What each frame shows, so that it can be computed again: nothing, or the computation that filled it.
    struct Shown {
        Compute averageDown = nullptr;
        Compute roundTrip = nullptr;
    };

    void EnterHolding(qcal::position::Field field);
    void EnterInput(qcal::position::Field field, QWidget* next);
    void Run(Compute compute);
    // Computes again what the frames show, silently; a frame that no longer computes is cleared.
    void RunAgain();
    void TakeMainHolding();
    // An input typed over: the figures computed from its old value go.
    void InputEdited(qcal::position::Field field);
    void ClearResults(std::span<const qcal::position::Field> results);
    void ShowNote();
    qcal::PositionFields Fields() const;
    void SetFields(const qcal::PositionFields& fields);

    qcal::InvestedBasis investedFor_;  // what the money invested in Text18 belongs to
    Shown shown_;
};

} // namespace qcal::ui
