#pragma once
// Where every control of the main window sits: the table BuildControls lays out.

#include <span>

#include "ui/common/controls.h"

namespace qcal::ui::form1 {

// Client area of the main window, in twips.
inline constexpr int kClientWidth = 10965;
inline constexpr int kClientHeight = 7690;

std::span<const ControlSpec> Controls();

} // namespace qcal::ui::form1
