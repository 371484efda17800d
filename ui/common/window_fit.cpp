#include "ui/common/window_fit.h"

#include <algorithm>

#include <QMainWindow>
#include <QScreen>
#include <QScrollArea>
#include <QVBoxLayout>
#include <QWidget>

namespace qcal::ui {

namespace {

// A title bar and borders, which the window manager adds around the window.
constexpr QSize kFrameAllowance(16, 40);

QScrollArea* MakeScrollArea(QWidget* content)
{
    auto* scroll = new QScrollArea;
    scroll->setObjectName(QStringLiteral("Scroll"));
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidget(content);
    content->show();
    return scroll;
}

// The window's controls move into one client widget of the window's fixed size.
QWidget* GatherControls(QWidget* window)
{
    auto* client = new QWidget;
    client->setObjectName(QStringLiteral("Client"));
    client->setFixedSize(window->size());
    for (QObject* child : window->children()) {
        auto* widget = qobject_cast<QWidget*>(child);
        if (!widget || widget->isWindow())
            continue;
        const bool shown = !widget->isHidden();
        widget->setParent(client);
        widget->setVisible(shown);
    }
    return client;
}

} // namespace

QSize FrameAllowance() { return kFrameAllowance; }

void MoveOnScreen(QWidget* window, QPoint at)
{
    if (const QScreen* screen = window->screen()) {
        // A window's position is that of its frame: the title bar and borders count.
        const QRect room = screen->availableGeometry();
        const QSize whole = window->size() + kFrameAllowance;
        at.setX(std::clamp(at.x(), room.left(), std::max(room.left(), room.right() + 1 - whole.width())));
        at.setY(std::clamp(at.y(), room.top(), std::max(room.top(), room.bottom() + 1 - whole.height())));
    }
    window->move(at);
}

void FitToScreen(QWidget* window)
{
    const QScreen* screen = window->screen();
    if (!screen)
        return;
    FitToScreen(window, screen->availableGeometry().size() - kFrameAllowance);
}

void FitToScreen(QWidget* window, QSize room)
{
    const QSize wanted = window->size();
    if (wanted.width() <= room.width() && wanted.height() <= room.height())
        return;
    QScrollArea* scroll = nullptr;
    if (auto* main = qobject_cast<QMainWindow*>(window)) {
        scroll = MakeScrollArea(main->takeCentralWidget());
        main->setCentralWidget(scroll);
    } else {
        scroll = MakeScrollArea(GatherControls(window));
        auto* layout = new QVBoxLayout(window);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addWidget(scroll);
    }
    // The window may be on screen already: a child added now must be shown itself.
    scroll->show();
    window->setMinimumSize(0, 0);
    window->setMaximumSize(room);
    window->resize(wanted.boundedTo(room));
}

} // namespace qcal::ui
