#include "settings/topmost.h"

#include <QPoint>
#include <QSize>
#include <QWidget>
#include <QWindow>

namespace qcal::settings {
namespace {

// A window the window system already shows is told through its handle: the platform changes the
// stacking layer in place (on X11 the window manager's "above" state), without destroying and
// mapping the window again, so it neither flashes nor moves.
void SetOnShownWindow(QWidget* window, bool onTop)
{
    QWindow* handle = window->windowHandle();
    const Qt::WindowFlags flags = window->windowFlags() ^ Qt::WindowStaysOnTopHint;
    // The widget keeps its own copy of the flags; this updates it without recreating anything.
    window->overrideWindowFlags(flags);
    handle->setFlags(flags);
    if (onTop || !(window->windowState() & Qt::WindowMinimized)) {
        // Moving a window into or out of the top layer also brings it forward and activates it.
        window->raise();
        window->activateWindow();
    }
}

// Before the window exists on screen a flag is only a note for when it is created.
void SetOnHiddenWindow(QWidget* window, bool onTop)
{
    const QPoint pos = window->pos();
    const QSize size = window->size();
    const bool keepPos = window->testAttribute(Qt::WA_Moved);
    const bool keepSize = window->testAttribute(Qt::WA_Resized);
    window->setWindowFlag(Qt::WindowStaysOnTopHint, onTop);
    if (keepSize)
        window->resize(size);
    if (keepPos)
        window->move(pos);
}

void SetStaysOnTop(QWidget* widget, bool onTop)
{
    if (!widget)
        return;
    QWidget* window = widget->window();
    if (window->windowFlags().testFlag(Qt::WindowStaysOnTopHint) == onTop)
        return;
    if (window->isVisible() && window->windowHandle())
        SetOnShownWindow(window, onTop);
    else
        SetOnHiddenWindow(window, onTop);
}

}  // namespace

void SetTopmost(QWidget* window) { SetStaysOnTop(window, true); }
void ClearTopmost(QWidget* window) { SetStaysOnTop(window, false); }

}  // namespace qcal::settings
