#pragma once
// The multi-batch buy window: up to three buy batches averaged into the main window's buy side.

#include "ui/tools/batch_window.h"

namespace qcal::ui {

class Form4 : public BatchWindow {
    Q_OBJECT
public:
    explicit Form4(Form1& main);
};

} // namespace qcal::ui
