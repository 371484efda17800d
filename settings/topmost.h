#pragma once
// Moves a window into or out of the window system's always-on-top layer,
// without moving or resizing it and without leaving it hidden.

class QWidget;

namespace qcal::settings {

void SetTopmost(QWidget* window);
void ClearTopmost(QWidget* window);

} // namespace qcal::settings
