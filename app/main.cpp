#include <cstdio>

#include <QApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include "ui/common/application.h"
#include "ui/main/form1.h"
#include "ui/main/module1.h"

namespace {

// For the install check of scripts/test only (QCAL_SMOKE_TEST set): computes the worked example
// once, which saves the settings, and quits; a message box at any point fails it (exit code 3),
// since an installed copy must never tell its user it could not save.
void RunSmokeTest(QApplication& app, qcal::ui::Form1& form)
{
    auto* watch = new QTimer(&app);
    QObject::connect(watch, &QTimer::timeout, &app, [] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            std::fprintf(stderr, "message box: %s\n", qPrintable(box->text()));
            std::fflush(stderr);
            std::_Exit(3);
        }
    });
    watch->start(20);
    QTimer::singleShot(0, &form, [&form, &app] {
        form.Text(qcal::BuyPrice)->setText(QStringLiteral("10"));
        form.Text(qcal::BuyQuantity)->setText(QStringLiteral("1000"));
        form.findChild<QPushButton*>(QStringLiteral("Command1"))->click();
        app.quit();
    });
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    qcal::ui::PrepareApplication(app);
    qcal::ui::Module1::InputValid = 0;
    qcal::ui::Form1 form;
    form.show();
    form.Form_Activate();
    if (qEnvironmentVariableIsSet("QCAL_SMOKE_TEST"))
        RunSmokeTest(app, form);
    return app.exec();
}
