#pragma once
// What a side window may ask of the main window: the view it publishes (the holding and the fee
// settings), taking control back, the slots the windows are kept in, and the two ways figures go
// into it (a multi-batch post, the converter's shares). The main window implements it; nothing of
// its widgets is reached from a side window.

#include <iterator>

#include <QPointer>
#include <QString>
#include <QWidget>

#include "core/main_state.h"

namespace qcal::settings {
class SettingsFile;
}

namespace qcal::ui {

class MainFeed;

// The side windows, by their form numbers.
enum SideWindowId : int {
    AboutWindow = 2,        // Form2
    BatchSellWindow = 3,    // Form3
    BatchBuyWindow = 4,     // Form4
    ConverterWindow = 5,    // Form5
    MiniWindow = 6,         // Form6
    TargetWindow = 7,       // Form7
    AverageDownWindow = 8,  // Form8
    JournalWindow = 9,      // Form9
};
inline constexpr SideWindowId kSideWindows[] = {AboutWindow, BatchSellWindow, BatchBuyWindow,    ConverterWindow,
                                                MiniWindow,  TargetWindow,    AverageDownWindow, JournalWindow};
inline constexpr int kLastSideWindow = JournalWindow;
static_assert(std::size(kSideWindows) == kLastSideWindow - AboutWindow + 1, "every side window is listed once");

class MainLink {
public:
    // The main window's holding and fee settings, and their changes.
    virtual const MainFeed& Feed() const = 0;
    // The main window itself: where it is, whether it is shown.
    virtual QWidget& Window() = 0;
    // A side window hands control back: show, raise, activate and run Form_Activate.
    virtual void ComeBack() = 0;
    // One slot per side window, where the opener keeps it.
    virtual QPointer<QWidget>& SideWindow(SideWindowId id) = 0;
    // The trade journal's file: beside the settings file, so that both move together.
    virtual QString JournalPath() const = 0;
    // The session's writer of QCAL.INI: what a side window remembers goes through it, so that it
    // is queued with the main window's saves and never written while the file is locked.
    virtual qcal::settings::SettingsFile& Settings() const = 0;

    // The calculation state, for a multi-batch window's post, and the state it leaves.
    virtual qcal::MainWindowState Snapshot() const = 0;
    virtual void Apply(const qcal::MainWindowState& state) = 0;

    // Whether the buy side holds a multi-batch buy or a holding, which takes no other purchase.
    virtual bool BuySideLocked() const = 0;
    // The converter's shares at its price into the buy fields, as typed; computed when the main
    // window becomes active again.
    virtual void CarryIntoBuy(const QString& price, const QString& shares) = 0;

protected:
    ~MainLink() = default;
};

} // namespace qcal::ui
