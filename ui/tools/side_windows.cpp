#include "ui/tools/side_windows.h"

#include "ui/common/window_fit.h"
#include "ui/tools/form2.h"
#include "ui/tools/batch_window.h"
#include "ui/tools/form5.h"
#include "ui/tools/form6.h"
#include "ui/tools/form7.h"
#include "ui/tools/form8.h"
#include "ui/tools/form9.h"

namespace qcal::ui {

namespace {

SideWindow* Create(MainLink& main, SideWindowId id)
{
    switch (id) {
    case AboutWindow: return new Form2(main);
    case BatchSellWindow: return new Form3(main);
    case BatchBuyWindow: return new Form4(main);
    case ConverterWindow: return new Form5(main);
    case MiniWindow: return new Form6(main);
    case TargetWindow: return new Form7(main);
    case AverageDownWindow: return new Form8(main);
    case JournalWindow: return new Form9(main);
    }
    return nullptr;
}

// A window that takes the main window's place goes where the main window was; the batch windows
// go just below it, where its figures stay in sight. Either way, on the screen.
void Place(SideWindow& window, const QWidget& main)
{
    QPoint at = main.geometry().center() - window.rect().center();
    if (!window.TakesMainPlace())
        at = QPoint(main.frameGeometry().center().x() - window.width() / 2, main.frameGeometry().bottom() + 1);
    MoveOnScreen(&window, at);
}

SideWindow* Existing(MainLink& main, SideWindowId id)
{
    // A closed window lives on until its deferred deletion without the delete-on-close mark.
    auto* window = qobject_cast<SideWindow*>(main.SideWindow(id).data());
    return window && window->testAttribute(Qt::WA_DeleteOnClose) ? window : nullptr;
}

} // namespace

SideWindow* OpenSideWindow(MainLink& main, SideWindowId id)
{
    SideWindow* window = Existing(main, id);
    if (!window) {
        window = Create(main, id);
        FitToScreen(window);
        Place(*window, main.Window());
        main.SideWindow(id) = window;
    }
    window->show();
    window->raise();
    window->activateWindow();
    if (window->TakesMainPlace() && window->isVisible())
        main.Window().hide();
    window->Form_Activate();
    return window;
}

void ClearBatchFields(MainLink& main)
{
    for (SideWindowId id : {BatchSellWindow, BatchBuyWindow}) {
        if (auto* window = qobject_cast<BatchWindow*>(main.SideWindow(id).data()))
            window->ClearFields();
    }
}

} // namespace qcal::ui
