#include "settings/topmost.h"

#include <QWidget>

namespace qcal::settings {

// Placeholder until the always-on-top layer is wired in.
void SetTopmost(QWidget*) {}
void ClearTopmost(QWidget*) {}

} // namespace qcal::settings
