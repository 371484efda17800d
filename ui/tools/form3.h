#pragma once
// The multi-batch sell window: up to three sell batches averaged into the main window's sell side.

#include "ui/tools/batch_window.h"

namespace qcal::ui {

class Form3 : public BatchWindow {
    Q_OBJECT
public:
    explicit Form3(Form1& main);
};

} // namespace qcal::ui
