#include <QApplication>

#include "app/command_line.h"
#include "app/smoke_test.h"
#include "ui/common/application.h"
#include "ui/main/form1.h"
#include "ui/common/field_checks.h"

int main(int argc, char* argv[])
{
    // Chosen before any QApplication exists: the command line must run without a display.
    if (qcal::app::WantsCommandLine(argc, argv))
        return qcal::app::RunCommandLine(argc, argv);
    QApplication app(argc, argv);
    qcal::ui::PrepareApplication(app);
    qcal::ui::Module1::InputValid = 0;
    qcal::ui::Form1 form;
    // Armed before show(), so that the check cannot miss the first paint.
    if (qEnvironmentVariableIsSet("QCAL_SMOKE_TEST"))
        qcal::app::RunSmokeTest(app, form);
    form.show();
    form.Form_Activate();
    return app.exec();
}
