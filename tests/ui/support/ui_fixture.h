#pragma once
// Shared fixture of the window tests (Qt Test, headless).
//
// Linking this library makes every test run on the offscreen platform unless QT_QPA_PLATFORM
// is set already. Typical use inside a QTEST_MAIN test class:
//
//     void TestForm1::enterWalk()
//     {
//         qcal::test::MainWindow w;                 // Form1 on a fresh temporary QCAL.INI directory,
//         qcal::ui::Form1& form = w.Open();         // shown, active, Form_Activate run
//         qcal::test::TypeInto(form.Text(1), "10");
//         qcal::test::PressEnter(form.Text(1));
//         QCOMPARE(form.Text(1)->text(), QString("10.00"));
//         QCOMPARE(w.Focused(), form.Text(2));
//     }
//
// Message boxes: every MainWindow (or a BoxCatcher of your own) polls every 10 ms for a modal
// window, records each QMessageBox (title, text, icon), clicks its OK button and lets the
// trigger return. Take the boxes after the trigger returned and assert on them:
//
//         qcal::test::PressEnter(form.Text(1));
//         const auto boxes = w.boxes.Take();
//         QCOMPARE(boxes.size(), 1);
//         QCOMPARE(boxes[0].text, qcal::test::Str(qcal::msg::kBuyPriceRange));
//
// A box that the test never took fails the test when the catcher goes out of scope, and a
// modal window other than a message box is closed after a few seconds and fails it too.
// For a box that comes later (a check queued after a focus change) use WaitFor(count).

#include <memory>
#include <string_view>

#include <QList>
#include <QMessageBox>
#include <QObject>
#include <QString>
#include <QTemporaryDir>
#include <QTimer>

class QLineEdit;
class QWidget;

namespace qcal::ui {
class Form1;
}

namespace qcal::test {

QString Str(std::string_view utf8);

struct CaughtBox {
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    int buttonCount = 0;       // standard buttons the box offered
    QString okText;            // what its OK button read
};

class BoxCatcher : public QObject {
public:
    explicit BoxCatcher(int giveUpMs = 4000);
    ~BoxCatcher() override;

    // The boxes recorded so far, oldest first; they count as expected from then on.
    QList<CaughtBox> Take();
    // Processes events until `count` boxes are recorded (not yet taken), or timeoutMs passed.
    bool WaitFor(int count, int timeoutMs = 3000);
    int Pending() const { return static_cast<int>(boxes_.size()); }

private:
    void Poll();

    QTimer timer_;
    QList<CaughtBox> boxes_;
    QList<QString> stray_;  // modal windows that were not message boxes
    QWidget* lastModal_ = nullptr;
    int modalTicks_ = 0;
    int giveUpTicks_;
};

// A main window on its own temporary directory, so that no test reads or writes a real QCAL.INI.
// The directory holds a QCAL.INI that chooses the program's own rules (kOwnRulesIni), as most
// tests expect; a test of the very first start asks for an empty directory instead.
class MainWindow {
public:
    enum class Start { OwnRules, FirstStart };
    static constexpr std::string_view kOwnRulesIni = "[TIP]\r\n现行规则=0\r\n";  // UTF-8; GBK on disk
    explicit MainWindow(Start start = Start::OwnRules);
    ~MainWindow();

    // Creates Form1 (if not yet), shows it, makes it active and runs Form_Activate as the entry does.
    qcal::ui::Form1& Open();
    // Creates Form1 without showing it.
    qcal::ui::Form1& Create();
    qcal::ui::Form1& form() { return *form_; }
    QString Directory() const { return dir_.path(); }
    // The value QCAL.INI holds for key of section TIP, once every queued save has been written.
    QString Stored(std::string_view key) const;

    // The widget that has the focus inside the main window (whether or not the window is active).
    QWidget* Focused() const;
    // True when `field` has the focus and its whole text is selected.
    bool FocusedWithAllSelected(const QLineEdit* field) const;

private:
    QTemporaryDir dir_;

public:
    BoxCatcher boxes;

private:
    std::unique_ptr<qcal::ui::Form1> form_;
};

// The main window's settings panel: commission and stamp duty per mille, and the market.
void UseRates(qcal::ui::Form1& form, const char* commission, const char* stampDuty, std::string_view market);

// Makes the window active and waits for it (offscreen nothing becomes active by itself).
bool Activate(QWidget* window);

// Types into the widget as key presses; Chinese and other non-Latin-1 characters included.
void Type(QWidget* widget, const QString& text);
// Gives the field the focus, selects its text and types over it.
void TypeInto(QLineEdit* field, const QString& text);
// Return in the widget (keypad = true: the keypad's Enter).
void PressEnter(QWidget* widget, bool keypad = false);

} // namespace qcal::test
