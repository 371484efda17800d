#include <QApplication>

#include "ui/main/form1.h"
#include "ui/main/module1.h"

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    // Names the configuration directory of an installed copy (~/.config/qcal).
    QApplication::setApplicationName(QStringLiteral("qcal"));
    qcal::ui::Module1::InputValid = 0;
    qcal::ui::Form1 form;
    form.show();
    form.Form_Activate();
    return app.exec();
}
