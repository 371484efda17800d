#include "app/smoke_test.h"

#include <cstdio>
#include <cstdlib>

#include <QApplication>
#include <QEvent>
#include <QGlyphRun>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTextLayout>
#include <QTimer>

#include "ui/main/form1.h"

namespace qcal::app {
namespace {

[[noreturn]] void Fail(SmokeFailure code, const QString& why)
{
    std::fprintf(stderr, "qcal smoke test: %s\n", qPrintable(why));
    std::fflush(stderr);
    std::_Exit(code);
}

// Whether painting text in font draws a real glyph for every character. Qt's font fallback picks
// another face for what the first one lacks; where no installed face has a character, shaping
// leaves glyph 0 (the empty box).
bool DrawsEveryGlyph(const QString& text, const QFont& font)
{
    QTextLayout layout(text, font);
    layout.beginLayout();
    layout.createLine();
    layout.endLayout();
    for (const QGlyphRun& run : layout.glyphRuns()) {
        for (const quint32 glyph : run.glyphIndexes()) {
            if (glyph == 0)
                return false;
        }
    }
    return true;
}

// Runs once, right after the main window's first paint: every caption must have had its glyphs,
// and the worked example must compute and save without a message.
void CheckPaintedWindow(QApplication& app, qcal::ui::Form1& form)
{
    for (const QLabel* label : form.findChildren<QLabel*>()) {
        if (!DrawsEveryGlyph(label->text(), label->font()))
            Fail(kGlyphsMissing, QStringLiteral("no installed font draws \"%1\"").arg(label->text()));
    }
    form.Text(qcal::BuyPrice)->setText(QStringLiteral("10"));
    form.Text(qcal::BuyQuantity)->setText(QStringLiteral("1000"));
    form.findChild<QPushButton*>(QStringLiteral("Command1"))->click();
    form.repaint();  // the figures too, at once
    app.quit();
}

// Sees the main window's paint events; after the first one has been handled, runs the check.
class FirstPaint : public QObject {
public:
    FirstPaint(QApplication& app, qcal::ui::Form1& form) : QObject(&form), app_(app), form_(form) {}

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == &form_ && event->type() == QEvent::Paint && !seen_) {
            seen_ = true;
            // Queued, so that it runs once this paint has finished.
            QTimer::singleShot(0, &form_, [this] { CheckPaintedWindow(app_, form_); });
        }
        return false;
    }

private:
    QApplication& app_;
    qcal::ui::Form1& form_;
    bool seen_ = false;
};

} // namespace

void RunSmokeTest(QApplication& app, qcal::ui::Form1& form)
{
    auto* watch = new QTimer(&app);
    QObject::connect(watch, &QTimer::timeout, &app, [] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()))
            Fail(kMessageShown, QStringLiteral("message box: ") + box->text());
    });
    watch->start(20);
    QTimer::singleShot(30'000, &app, [] { Fail(kNeverPainted, QStringLiteral("the main window was never painted")); });
    form.installEventFilter(new FirstPaint(app, form));
}

} // namespace qcal::app
