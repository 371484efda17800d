#pragma once
// Windows laid out in twips keep their size, unless the screen is smaller than the layout (a high
// scale factor on a small screen). Then the controls go into a scroll area, and the window can be
// resized up to the screen's size: nothing is cut off, everything can be reached.

#include <QPoint>
#include <QSize>

class QWidget;

namespace qcal::ui {

// What a window manager adds around a window (title bar, borders), at most: a window placed so
// that its size plus this fits the screen is whole on it.
QSize FrameAllowance();

// Moves the window's frame to `at`, or as near as keeps it whole on its screen's available area.
void MoveOnScreen(QWidget* window, QPoint at);

// Call once the window has its fixed size. room: the space the window may take; by default the
// available area of its screen, less what a window manager's frame takes.
void FitToScreen(QWidget* window);
void FitToScreen(QWidget* window, QSize room);

} // namespace qcal::ui
