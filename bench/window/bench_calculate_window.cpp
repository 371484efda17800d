// Calculate through the real main window, shown offscreen, with QCAL.INI on the disk of the build
// directory: once with a setting that changes every time (so a save is queued), once with nothing
// changed (so none is). Each click is timed until its figures are painted: the events it posted
// are processed. Reported as the median of repetitions, in milliseconds.

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QWindow>

#include <benchmark/benchmark.h>

#include "ui/main/form1.h"
#include "ui/main/module1.h"

namespace {

struct Window {
    // Beside the benchmark program, so that the file lands on the build directory's disk.
    QTemporaryDir dir{QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("bench-ini-XXXXXX"))};
    qcal::ui::Form1 form{dir.path()};
    QPushButton* calculate = form.findChild<QPushButton*>(QStringLiteral("Command1"));

    Window()
    {
        form.Text(1)->setText(QStringLiteral("10"));
        form.Text(2)->setText(QStringLiteral("1000"));
        form.Text(11)->setText(QStringLiteral("11"));
        form.Text(12)->setText(QStringLiteral("1000"));
        form.show();
        QElapsedTimer waited;
        waited.start();
        while (!form.windowHandle()->isExposed() && waited.elapsed() < 5000)
            QApplication::processEvents(QEventLoop::AllEvents, 10);
        Click();
        qcal::ui::Module1::FinishPendingSaves();
    }

    // The click, and the painting of what it changed.
    void Click()
    {
        calculate->click();
        QApplication::processEvents();
    }
};

void CalculateChanged(benchmark::State& state)
{
    Window w;
    bool flip = false;
    for (auto _ : state) {
        flip = !flip;
        w.form.Combo(1)->setEditText(flip ? QStringLiteral("3.0") : QStringLiteral("2.5"));
        w.Click();
    }
}

void CalculateUnchanged(benchmark::State& state)
{
    Window w;
    for (auto _ : state)
        w.Click();
}

BENCHMARK(CalculateChanged)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(9)->ReportAggregatesOnly(true);
BENCHMARK(CalculateUnchanged)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(9)->ReportAggregatesOnly(true);

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
