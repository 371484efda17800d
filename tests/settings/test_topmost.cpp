#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QWidget>
#include <QWindow>

#include <memory>

#include "settings/topmost.h"

namespace qcal::settings {
namespace {

// The file tests need no application object; these do, once for the whole executable.
QApplication& App()
{
    static int argc = 1;
    static char name[] = "qcal_settings_tests";
    static char* argv[] = {name, nullptr};
    static std::unique_ptr<QApplication> app = [] {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        return std::make_unique<QApplication>(argc, argv);
    }();
    return *app;
}

// Activation arrives through the event loop.
bool BecomesActive(QWidget& w)
{
    QElapsedTimer t;
    t.start();
    while (QApplication::activeWindow() != &w && t.elapsed() < 2000)
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    return QApplication::activeWindow() == &w;
}

bool OnTop(const QWidget& w) { return w.windowFlags().testFlag(Qt::WindowStaysOnTopHint); }

TEST(Topmost, SwitchingKeepsAShownWindowShownInPlaceAndActive)
{
    App();
    QWidget w;
    w.setGeometry(123, 77, 410, 290);
    w.show();
    QApplication::processEvents();
    const QRect before = w.geometry();
    const QPoint pos = w.pos();
    QWidget other;  // holds the activation, so that we see SetTopmost take it
    other.setGeometry(600, 400, 100, 100);
    other.show();
    other.activateWindow();
    ASSERT_TRUE(BecomesActive(other));

    // The same native window all along: switching the layer never recreates it (no flash).
    const WId native = w.winId();
    QWindow* handle = w.windowHandle();
    SetTopmost(&w);
    QApplication::processEvents();
    EXPECT_TRUE(OnTop(w));
    EXPECT_TRUE(handle->flags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(w.isVisible());
    EXPECT_EQ(w.geometry(), before);
    EXPECT_EQ(w.pos(), pos);
    EXPECT_TRUE(BecomesActive(w));
    EXPECT_EQ(w.winId(), native);
    EXPECT_EQ(w.windowHandle(), handle);

    SetTopmost(&w);  // already on top: nothing happens
    EXPECT_EQ(w.winId(), native);

    ClearTopmost(&w);
    QApplication::processEvents();
    EXPECT_FALSE(OnTop(w));
    EXPECT_FALSE(handle->flags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(w.isVisible());
    EXPECT_EQ(w.geometry(), before);
    EXPECT_EQ(w.winId(), native);
}

TEST(Topmost, AHiddenWindowStaysHiddenAndUnplaced)
{
    App();
    QWidget w;
    SetTopmost(&w);
    EXPECT_TRUE(OnTop(w));
    EXPECT_FALSE(w.isVisible());
    EXPECT_FALSE(w.testAttribute(Qt::WA_Moved)) << "the window system should still place it";

    w.resize(300, 200);
    ClearTopmost(&w);
    EXPECT_FALSE(OnTop(w));
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(w.size(), QSize(300, 200));

    SetTopmost(nullptr);
    ClearTopmost(nullptr);
}

} // namespace
} // namespace qcal::settings
