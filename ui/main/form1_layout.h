#pragma once
// Where every control of the main window sits: the table BuildControls lays out.

#include <span>

#include "ui/common/layout.h"

namespace qcal::ui::form1 {

// Client area of the main window, in twips.
inline constexpr int kClientWidth = 9660;
inline constexpr int kClientHeight = 6150;

std::span<const ControlSpec> Controls();

// The row of the table that created the control of that name (its first caption and tool tip),
// or nullptr.
const ControlSpec* FindControl(const char* name);

} // namespace qcal::ui::form1
