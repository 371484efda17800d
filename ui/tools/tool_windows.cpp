#include <QPointer>

#include "ui/main/form1.h"
#include "ui/tools/form2.h"
#include "ui/tools/form5.h"
#include "ui/tools/form6.h"
#include "ui/tools/side_windows.h"

namespace qcal::ui {

namespace {

// The side window of that slot, created on first use. The windows are top-level (no parent, so
// that hiding the main window leaves them alone); they go with the main window all the same.
template <class Form>
Form* SideWindowOf(Form1& main, int formNumber)
{
    QPointer<QWidget>& slot = main.SideWindow(formNumber);
    // A window that was just closed is still there until its deferred deletion; it no longer
    // carries the delete-on-close mark, and a fresh one takes its place.
    auto* existing = qobject_cast<Form*>(slot.data());
    if (existing && existing->testAttribute(Qt::WA_DeleteOnClose))
        return existing;
    auto* form = new Form(main);
    // Where the main window was, since it makes way for this one.
    form->move(main.geometry().center() - form->rect().center());
    slot = form;
    return form;
}

void ShowSideWindow(QWidget* window)
{
    window->show();
    window->raise();
    window->activateWindow();
}

} // namespace

void OpenAbout(Form1& main)
{
    Form2* about = SideWindowOf<Form2>(main, 2);
    ShowSideWindow(about);
    main.hide();
}

void OpenConverter(Form1& main)
{
    Form5* converter = SideWindowOf<Form5>(main, 5);
    main.hide();
    ShowSideWindow(converter);
    converter->Form_Activate();
}

void OpenMini(Form1& main)
{
    Form6* mini = SideWindowOf<Form6>(main, 6);
    main.hide();
    ShowSideWindow(mini);
    mini->Form_Activate();
}

} // namespace qcal::ui
