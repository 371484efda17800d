// Opens the main window on a temporary directory, types the worked example (buy 1,000 at 10,
// sell at 11) the way a user would, then either saves the window as a PNG or holds it on screen
// for an outside screen grab.
//
//   qcal_shot_main --png out.png     render the window into out.png and exit
//   qcal_shot_main --hold 8000       print the window's geometry (WxH+X+Y), stay up 8 s

#include <cstdio>

#include <QApplication>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "support/ui_fixture.h"
#include "ui/main/form1.h"
#include "ui/main/module1.h"

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    const qsizetype png = args.indexOf(QStringLiteral("--png"));
    const qsizetype hold = args.indexOf(QStringLiteral("--hold"));
    if ((png < 0 || png + 1 >= args.size()) && (hold < 0 || hold + 1 >= args.size())) {
        std::fprintf(stderr, "usage: qcal_shot_main --png FILE | --hold MS\n");
        return 2;
    }

    QTemporaryDir dir;
    qcal::ui::Module1::InputValid = 0;
    qcal::ui::Form1 form(dir.path());
    form.show();
    qcal::test::Activate(&form);
    form.Form_Activate();

    const auto enter = [&](int field, const char* text) {
        if (text)
            qcal::test::TypeInto(form.Text(field), QString::fromLatin1(text));
        qcal::test::PressEnter(form.Text(field));
    };
    enter(1, "10");
    enter(2, "1000");
    enter(11, "11");
    enter(12, nullptr);
    QTest::qWait(200);

    if (png >= 0) {
        if (!form.grab().save(args[png + 1]))
            return 1;
        return 0;
    }
    const QRect frame = form.frameGeometry();
    std::printf("%dx%d+%d+%d\n", frame.width(), frame.height(), frame.x(), frame.y());
    std::fflush(stdout);
    QTimer::singleShot(args[hold + 1].toInt(), &app, &QApplication::quit);
    return app.exec();
}
