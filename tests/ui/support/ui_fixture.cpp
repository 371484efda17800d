#include "support/ui_fixture.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QStringEncoder>
#include <QTest>

#include "settings/profile_file.h"
#include "ui/main/form1.h"
#include "ui/main/module1.h"

namespace qcal::test {

namespace {

// Runs before QTEST_MAIN creates the application: headless unless the caller chose a platform.
const bool kOffscreen = [] {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    return true;
}();

constexpr int kPollMs = 10;

} // namespace

QString Str(std::string_view utf8) { return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size())); }

// BoxCatcher -----------------------------------------------------------------------------------

BoxCatcher::BoxCatcher(int giveUpMs) : giveUpTicks_(giveUpMs / kPollMs)
{
    (void)kOffscreen;
    timer_.setInterval(kPollMs);
    connect(&timer_, &QTimer::timeout, this, &BoxCatcher::Poll);
    timer_.start();
}

BoxCatcher::~BoxCatcher()
{
    timer_.stop();
    for (const QString& stray : stray_)
        QTest::qFail(qPrintable(QStringLiteral("a modal window other than a message box stayed up: ") + stray),
                     __FILE__, __LINE__);
    for (const CaughtBox& box : boxes_)
        QTest::qFail(qPrintable(QStringLiteral("unexpected message box: \"") + box.text + QStringLiteral("\"")),
                     __FILE__, __LINE__);
}

void BoxCatcher::Poll()
{
    QWidget* modal = QApplication::activeModalWidget();
    if (!modal) {
        lastModal_ = nullptr;
        modalTicks_ = 0;
        return;
    }
    if (auto* box = qobject_cast<QMessageBox*>(modal)) {
        if (!box->isVisible())
            return;
        CaughtBox caught;
        caught.title = box->windowTitle();
        caught.text = box->text();
        caught.icon = box->icon();
        caught.buttonCount = static_cast<int>(box->buttons().size());
        if (QAbstractButton* ok = box->button(QMessageBox::Ok))
            caught.okText = ok->text();
        boxes_.append(caught);
        if (QAbstractButton* ok = box->button(QMessageBox::Ok))
            ok->click();
        else
            box->reject();
        return;
    }
    // Some other modal window: give the test a few seconds, then close it and remember it.
    if (modal != lastModal_) {
        lastModal_ = modal;
        modalTicks_ = 0;
    }
    if (++modalTicks_ >= giveUpTicks_) {
        stray_.append(modal->objectName() + QStringLiteral(" (") + QString::fromLatin1(modal->metaObject()->className()) +
                      QStringLiteral(")"));
        modal->close();
        lastModal_ = nullptr;
        modalTicks_ = 0;
    }
}

QList<CaughtBox> BoxCatcher::Take()
{
    QList<CaughtBox> taken;
    taken.swap(boxes_);
    return taken;
}

bool BoxCatcher::WaitFor(int count, int timeoutMs)
{
    return QTest::qWaitFor([this, count] { return boxes_.size() >= count; }, timeoutMs);
}

// MainWindow -----------------------------------------------------------------------------------

MainWindow::MainWindow(Start start)
{
    if (start == Start::FirstStart)
        return;
    QFile ini(QDir(dir_.path()).filePath(QStringLiteral("QCAL.INI")));
    if (ini.open(QIODevice::WriteOnly))
        ini.write(QStringEncoder("GBK").encode(Str(kOwnRulesIni)));
}

MainWindow::~MainWindow()
{
    if (form_)
        form_->hide();
    form_.reset();
}

qcal::ui::Form1& MainWindow::Create()
{
    if (!form_)
        form_ = std::make_unique<qcal::ui::Form1>(dir_.path());
    return *form_;
}

qcal::ui::Form1& MainWindow::Open()
{
    qcal::ui::Form1& form = Create();
    form.show();
    Activate(&form);
    form.Form_Activate();
    return form;
}

QString MainWindow::Stored(std::string_view key) const
{
    qcal::ui::Module1::FinishPendingSaves();
    return qcal::settings::ReadProfileString(dir_.filePath(QStringLiteral("QCAL.INI")), QStringLiteral("TIP"), Str(key));
}

QWidget* MainWindow::Focused() const { return form_ ? form_->focusWidget() : nullptr; }

bool MainWindow::FocusedWithAllSelected(const QLineEdit* field) const
{
    if (Focused() != field)
        return false;
    // An empty field has nothing to select (its selection start is -1).
    return field->text().isEmpty() || (field->selectionStart() == 0 && field->selectedText() == field->text());
}

// Input ----------------------------------------------------------------------------------------

void UseRates(qcal::ui::Form1& form, const char* commission, const char* stampDuty, std::string_view market)
{
    form.Combo(qcal::ui::CommissionCombo)->setEditText(QString::fromUtf8(commission));
    form.Combo(qcal::ui::StampDutyCombo)->setCurrentText(QString::fromUtf8(stampDuty));
    form.Combo(qcal::ui::MarketCombo)->setCurrentText(Str(market));
}

bool Activate(QWidget* window)
{
    window->activateWindow();
    return QTest::qWaitForWindowActive(window);
}

void Type(QWidget* widget, const QString& text)
{
    for (const QChar ch : text) {
        if (ch.unicode() < 0x100)
            QTest::keyClick(widget, static_cast<char>(ch.unicode()));
        else
            QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(ch), Qt::NoModifier);
    }
}

void TypeInto(QLineEdit* field, const QString& text)
{
    field->setFocus(Qt::OtherFocusReason);
    field->selectAll();
    if (text.isEmpty())
        QTest::keyClick(field, Qt::Key_Delete);
    else
        Type(field, text);
}

void PressEnter(QWidget* widget, bool keypad)
{
    if (keypad)
        QTest::keyClick(widget, Qt::Key_Enter, Qt::KeypadModifier);
    else
        QTest::keyClick(widget, Qt::Key_Return);
}

} // namespace qcal::test
