#pragma once
// How the main window opens its side windows: one opener for all of them.

#include "ui/tools/side_window.h"

namespace qcal::ui {

// Creates the window on first use (or anew when a closed one still awaits its deletion), keeps
// it in the main window's slot, places it, shows it without blocking, makes it the active window
// and runs its Form_Activate. A window that takes the main window's place hides the main window
// once it is up, so the program is never without a window.
SideWindow* OpenSideWindow(MainLink& main, SideWindowId id);

// Empties the six batch fields (and their accepted values) of Form3 and Form4 when they exist.
void ClearBatchFields(MainLink& main);

} // namespace qcal::ui
