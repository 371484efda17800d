// Calculate through the real main window, offscreen, with QCAL.INI on the disk of the build
// directory: once with a setting that changes every time (so the file is written), once with
// nothing changed (so it is not). Reported as the median of repetitions, in milliseconds.

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include "ui/main/form1.h"

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
        calculate->click();
    }
};

void CalculateChanged(benchmark::State& state)
{
    Window w;
    bool flip = false;
    for (auto _ : state) {
        flip = !flip;
        w.form.Combo(1)->setEditText(flip ? QStringLiteral("3.0") : QStringLiteral("2.5"));
        w.calculate->click();
    }
}

void CalculateUnchanged(benchmark::State& state)
{
    Window w;
    for (auto _ : state)
        w.calculate->click();
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
