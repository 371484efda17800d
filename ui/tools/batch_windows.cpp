#include <algorithm>

#include <QGuiApplication>
#include <QLineEdit>
#include <QScreen>

#include "ui/main/form1.h"
#include "ui/main/module1.h"
#include "ui/tools/form3.h"
#include "ui/tools/form4.h"
#include "ui/tools/side_windows.h"

namespace qcal::ui {

namespace {

// Just below the main window, where its figures stay in sight; kept on the screen.
void PlaceBeside(QWidget& window, const Form1& main)
{
    const QRect frame = main.frameGeometry();
    QPoint at(frame.center().x() - window.width() / 2, frame.bottom() + 1);
    if (const QScreen* screen = main.screen()) {
        const QRect room = screen->availableGeometry();
        at.setX(std::clamp(at.x(), room.left(), std::max(room.left(), room.right() - window.width())));
        at.setY(std::clamp(at.y(), room.top(), std::max(room.top(), room.bottom() - window.height())));
    }
    window.move(at);
}

template <typename Window>
void Open(Form1& main, int formNumber)
{
    QPointer<QWidget>& slot = main.SideWindow(formNumber);
    // A window closed by Clear lives on until its deferred deletion without the delete-on-close
    // mark; a fresh one takes its place.
    auto* window = qobject_cast<Window*>(slot.data());
    if (!window || !window->testAttribute(Qt::WA_DeleteOnClose)) {
        window = new Window(main);
        PlaceBeside(*window, main);
        slot = window;
    }
    window->show();
    window->raise();
    window->activateWindow();
    window->Text(1)->setFocus(Qt::OtherFocusReason);
    Module1::SelectAllText(window->Text(1));
}

} // namespace

void OpenBatchBuy(Form1& main) { Open<Form4>(main, 4); }
void OpenBatchSell(Form1& main) { Open<Form3>(main, 3); }

void RepostBatchSell(Form1& main)
{
    if (auto* window = qobject_cast<BatchWindow*>(main.SideWindow(3).data()))
        window->Repost();
}

void ClearBatchFields(Form1& main)
{
    for (int formNumber : {3, 4}) {
        if (auto* window = qobject_cast<BatchWindow*>(main.SideWindow(formNumber).data()))
            window->ClearFields();
    }
}

} // namespace qcal::ui
