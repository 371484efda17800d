#include "settings/topmost.h"

#include <QPoint>
#include <QSize>
#include <QWidget>

namespace qcal::settings {
namespace {

void SetStaysOnTop(QWidget* widget, bool onTop)
{
    if (!widget)
        return;
    QWidget* window = widget->window();
    if (window->windowFlags().testFlag(Qt::WindowStaysOnTopHint) == onTop)
        return;

    // Changing a window flag recreates the native window and hides it; the user must not see the
    // window vanish, jump or change size because of a check box.
    const bool wasVisible = window->isVisible();
    const bool normal = !(window->windowState() & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen));
    const QPoint pos = window->pos();
    const QSize size = window->size();
    // A window not yet shown keeps the placement the window system would give it.
    const bool keepPos = wasVisible || window->testAttribute(Qt::WA_Moved);
    const bool keepSize = wasVisible || window->testAttribute(Qt::WA_Resized);

    window->setWindowFlag(Qt::WindowStaysOnTopHint, onTop);

    if (normal) {
        if (keepSize)
            window->resize(size);
        if (keepPos)
            window->move(pos);
    }
    if (wasVisible) {
        window->show();
        // Moving a window into or out of the top layer also brings it forward and activates it.
        if (!(window->windowState() & Qt::WindowMinimized)) {
            window->raise();
            window->activateWindow();
        }
    }
}

}  // namespace

void SetTopmost(QWidget* window) { SetStaysOnTop(window, true); }
void ClearTopmost(QWidget* window) { SetStaysOnTop(window, false); }

}  // namespace qcal::settings
