#include <QApplication>

#include "app/smoke_test.h"
#include "ui/common/application.h"
#include "ui/main/form1.h"
#include "ui/common/field_checks.h"

int main(int argc, char* argv[])
{
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
