#pragma once
// The About window: why the program was written, where it is shared, and a banner that opens the
// user guide installed beside the program.

#include <QWidget>

#include "ui/tools/side_window.h"

#include <functional>

class QLabel;
class QTextBrowser;
class QUrl;
class QPushButton;

namespace qcal::ui {

// The banner across the top of the About window, 210 × 90 pixels, drawn in code.
class Banner : public QWidget {
    Q_OBJECT
public:
    explicit Banner(QWidget* parent);
    static constexpr int kWidth = 210;
    static constexpr int kHeight = 90;

signals:
    void clicked();

protected:
    void paintEvent(class QPaintEvent* event) override;
    void mouseReleaseEvent(class QMouseEvent* event) override;
};

class Form2 : public SideWindow {
    Q_OBJECT
public:
    explicit Form2(MainLink& main);

    Banner* Image1() const { return image1_; }
    QLabel* Label(int index) const;  // Label(1) the note, Label(2) the notice
    QPushButton* Command1() const { return Command(1); }

    // Where the banner leads: guide.html beside the program (a copy run from its own folder), or
    // the one installed with the program in share/doc/qcal.
    static QString GuidePath();

    // Opens a page in the system's browser; false when there is none to open it. Tests put their
    // own in its place.
    static std::function<bool(const QUrl&)>& BrowserOpener();

    // The guide in a window of the program's own, when no browser shows it; nullptr until then.
    QTextBrowser* GuideViewer() const { return guide_; }

private:
    void Image1_Click();
    void ShowGuideHere();

    Banner* image1_ = nullptr;
    QTextBrowser* guide_ = nullptr;
    QLabel* note_ = nullptr;    // Label1
    QLabel* notice_ = nullptr;  // Label2
};

} // namespace qcal::ui
