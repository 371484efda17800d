// QCAL.INI as the main window uses it, and the two options it keeps: always on top and remember-buy.

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <memory>

#include <sys/stat.h>
#include <unistd.h>

#include "core/captions.h"
#include "core/messages.h"
#include "settings/profile_file.h"
#include "support/ui_fixture.h"
#include "ui/main/form1.h"
#include "ui/main/module1.h"

using qcal::ui::Form1;

namespace {

QString U(const char* utf8) { return QString::fromUtf8(utf8); }
QString U(std::string_view utf8) { return QString::fromUtf8(utf8.data(), qsizetype(utf8.size())); }

QByteArray Gbk(const QString& s)
{
    QStringEncoder enc("GBK", QStringConverter::Flag::Stateless);
    return enc.encode(s);
}

} // namespace

class TestSettings : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> dir_;
    QString Ini() const { return dir_->filePath("QCAL.INI"); }
    // The saves are written in the background: every look at the file waits for them first.
    QString Stored(const char* key) const
    {
        qcal::ui::Module1::FinishPendingSaves();
        return qcal::settings::ReadProfileString(Ini(), "TIP", U(key));
    }
    // Each replacement of the file gives it a new inode; an untouched file keeps its own.
    ino_t Inode() const
    {
        qcal::ui::Module1::FinishPendingSaves();
        struct stat st {};
        return ::stat(QFile::encodeName(Ini()).constData(), &st) == 0 ? st.st_ino : 0;
    }
    QByteArray Bytes() const
    {
        qcal::ui::Module1::FinishPendingSaves();
        QFile f(Ini());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
    }
    void PutFile(const char* utf8Lines)
    {
        QFile f(Ini());
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(Gbk(U(utf8Lines)));
    }
    static void ShowActive(Form1& form)
    {
        form.show();
        form.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&form));
    }
    // On the box's indicator: a check box takes clicks only on its indicator and caption.
    static void Click(QCheckBox* box) { QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(8, box->height() / 2)); }
    static void Type(QLineEdit* field, const QString& text)
    {
        field->setFocus();
        field->selectAll();
        QTest::keyClicks(field, text);
        QTest::keyClick(field, Qt::Key_Return);
    }

private slots:
    void init()
    {
        dir_ = std::make_unique<QTemporaryDir>();
        QVERIFY(dir_->isValid());
    }

    void firstStartUsesTheDefaultsAndWritesNothing()
    {
        qcal::test::BoxCatcher boxes;
        Form1 form(dir_->path());
        ShowActive(form);
        form.Form_Activate();
        QCOMPARE(form.Combo(1)->currentText(), U("2.7"));
        QCOMPARE(form.Combo(2)->currentText(), U("3"));
        QCOMPARE(form.Combo(3)->currentText(), U("上海A股"));
        QVERIFY(!form.Check(1)->isChecked());
        QVERIFY(!form.Check(2)->isChecked());
        // Today's rules at the very first start, and the settings frame says so.
        QVERIFY(form.Check(3)->isChecked());
        QVERIFY(!form.Check(4)->isChecked());
        QCOMPARE(form.Label(27)->text(), U("2023-08-28起的费率：印花税只在卖出时收0.5‰，过户费双向0.01‰，"
                                            "佣金每笔最低5.00元。"));
        QVERIFY(!form.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        QVERIFY(form.Text(1)->text().isEmpty());
        QVERIFY(form.Text(2)->text().isEmpty());
        QCOMPARE(QApplication::focusWidget(), form.Text(1));
        QVERIFY(!QFile::exists(Ini()));
        QCOMPARE(boxes.Take().size(), 0);
    }

    void firstCalculationWritesTheWholeFileInGbk()
    {
        qcal::test::BoxCatcher boxes;
        Form1 form(dir_->path());
        ShowActive(form);
        Type(form.Text(1), "10");
        Type(form.Text(2), "1000");
        qcal::ui::Module1::FinishPendingSaves();
        QFile f(Ini());
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), Gbk(U("[TIP]\r\n"
                                    "注意=本文件是自动生成，请不要随便修改本文件！\r\n"
                                    "手续费=2.7\r\n"
                                    "印花税=3\r\n"
                                    "证交所=上海A股\r\n"
                                    "窗口置顶=0\r\n"
                                    "记忆买入=0\r\n"
                                    "买入价格=\r\n"
                                    "买入数量=\r\n"
                                    "现行规则=1\r\n"
                                    "免五=0\r\n"
                                    "证券代码=\r\n")));
        QCOMPARE(boxes.Take().size(), 0);
    }

    void bothOptionsStoredAsOneAreRestoredAndKept()
    {
        PutFile("[TIP]\r\n手续费=3.0\r\n印花税=1\r\n证交所=深圳A股\r\n窗口置顶=1\r\n记忆买入=1\r\n"
                "买入价格=9.45\r\n买入数量=1,000\r\n");
        Form1 form(dir_->path());
        QVERIFY(form.Check(1)->isChecked());
        QVERIFY(form.Check(2)->isChecked());
        QVERIFY(form.Action("CKZD")->isChecked());
        QVERIFY(form.Action("JYMR")->isChecked());
        QVERIFY(form.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        QVERIFY(form.Action("SZAG")->isChecked());
        QCOMPARE(form.Combo(1)->currentText(), U("3.0"));
        QCOMPARE(form.Combo(2)->currentText(), U("1"));
        QCOMPARE(form.Text(1)->text(), U("9.45"));
        QCOMPARE(form.Text(2)->text(), U("1,000"));
        // Restoring the first box saved everything; nothing that was not yet read may have changed.
        QCOMPARE(Stored("记忆买入"), U("1"));
        QCOMPARE(Stored("窗口置顶"), U("1"));
        QCOMPARE(Stored("手续费"), U("3.0"));
        QCOMPARE(Stored("印花税"), U("1"));
        QCOMPARE(Stored("证交所"), U("深圳A股"));
        QCOMPARE(Stored("买入价格"), U("9.45"));
        QCOMPARE(Stored("买入数量"), U("1,000"));

        ShowActive(form);
        QVERIFY(form.isVisible());
    }

    void valuesTheControlsCannotHoldFallBackToTheDefaults_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("commission");
        QTest::addColumn<QString>("market");
        QTest::addColumn<QString>("stampDuty");
        QTest::addColumn<bool>("onTop");
        QTest::addColumn<bool>("remember");
        QTest::newRow("strays") << U("印花税=9\r\n证交所=纽约\r\n窗口置顶=2\r\n记忆买入=yes\r\n")
                                << "2.7" << U("上海A股") << "3" << false << false;
        QTest::newRow("empty commission") << U("手续费=\r\n") << "2.7" << U("上海A股") << "3" << false << false;
        QTest::newRow("free commission kept") << U("手续费=abc\r\n证交所=基金、权证\r\n印花税=0\r\n")
                                              << "abc" << U("基金、权证") << "0" << false << false;
        QTest::newRow("case matters") << U("证交所=上海a股\r\n记忆买入=1\r\n") << "2.7" << U("上海A股") << "3"
                                      << false << true;
    }
    void valuesTheControlsCannotHoldFallBackToTheDefaults()
    {
        QFETCH(QString, file);
        PutFile(("[TIP]\r\n" + file).toUtf8().constData());
        qcal::test::BoxCatcher boxes;
        Form1 form(dir_->path());
        QTEST(form.Combo(1)->currentText(), "commission");
        QTEST(form.Combo(3)->currentText(), "market");
        QTEST(form.Combo(2)->currentText(), "stampDuty");
        QTEST(form.Check(1)->isChecked(), "onTop");
        QTEST(form.Check(2)->isChecked(), "remember");
        QCOMPARE(boxes.Take().size(), 0);
    }

    void rememberBuyStoresTheInputsAndTheNextStartComputes()
    {
        {
            Form1 form(dir_->path());
            ShowActive(form);
            Type(form.Text(1), "9.45");
            form.Text(2)->setText("1,000");  // as the quantity check formats it
            Click(form.Check(2));
            QVERIFY(form.Check(2)->isChecked());
            QVERIFY(form.Action("JYMR")->isChecked());
            QCOMPARE(Stored("买入价格"), U("9.45"));
            QCOMPARE(Stored("买入数量"), U("1,000"));
            QCOMPARE(Stored("记忆买入"), U("1"));
        }
        Form1 next(dir_->path());
        QCOMPARE(next.Text(1)->text(), U("9.45"));
        QCOMPARE(next.Text(2)->text(), U("1,000"));
        QVERIFY(next.Check(2)->isChecked());
        ShowActive(next);
        next.Form_Activate();
        QCOMPARE(next.Text(3)->text(), U("9,450.00"));
        QCOMPARE(QApplication::focusWidget(), next.Text(11));
    }

    void rememberBuyOffEmptiesTheStoredInputsAtOnce()
    {
        PutFile("[TIP]\r\n记忆买入=1\r\n买入价格=9.45\r\n买入数量=1,000\r\n");
        {
            Form1 form(dir_->path());
            QVERIFY(form.Check(2)->isChecked());
            ShowActive(form);
            Click(form.Check(2));
            QVERIFY(!form.Action("JYMR")->isChecked());
            QCOMPARE(Stored("买入价格"), QString());
            QCOMPARE(Stored("买入数量"), QString());
            QCOMPARE(Stored("记忆买入"), U("0"));
            QCOMPARE(form.Text(1)->text(), U("9.45"));  // the fields themselves are not touched
        }
        Form1 next(dir_->path());
        QVERIFY(next.Text(1)->text().isEmpty());
        QVERIFY(next.Text(2)->text().isEmpty());
    }

    void handEditedZeroStillLoadsTheBuyInputs()
    {
        PutFile("[TIP]\r\n记忆买入=0\r\n买入价格=8.88\r\n买入数量=500\r\n");
        Form1 form(dir_->path());
        QVERIFY(!form.Check(2)->isChecked());
        QCOMPARE(form.Text(1)->text(), U("8.88"));
        QCOMPARE(form.Text(2)->text(), U("500"));
        QCOMPARE(Stored("买入价格"), U("8.88"));  // loading writes nothing
    }

    void menuAndBoxMirrorEachOther_data()
    {
        QTest::addColumn<int>("box");
        QTest::addColumn<QString>("item");
        QTest::addColumn<QString>("key");
        QTest::newRow("on top") << 1 << "CKZD" << U("窗口置顶");
        QTest::newRow("remember buy") << 2 << "JYMR" << U("记忆买入");
    }
    void menuAndBoxMirrorEachOther()
    {
        QFETCH(int, box);
        QFETCH(QString, item);
        QFETCH(QString, key);
        qcal::test::BoxCatcher boxes;
        Form1 form(dir_->path());
        ShowActive(form);
        QAction* action = form.Action(item.toLatin1().constData());
        const auto stored = [&] {
            qcal::ui::Module1::FinishPendingSaves();
            return qcal::settings::ReadProfileString(Ini(), "TIP", key);
        };

        Click(form.Check(box));
        QVERIFY(action->isChecked());
        QCOMPARE(stored(), U("1"));
        Click(form.Check(box));
        QVERIFY(!action->isChecked());
        QCOMPARE(stored(), U("0"));

        action->trigger();
        QVERIFY(form.Check(box)->isChecked());
        QVERIFY(action->isChecked());
        QCOMPARE(stored(), U("1"));
        action->trigger();
        QVERIFY(!form.Check(box)->isChecked());
        QVERIFY(!action->isChecked());
        QCOMPARE(stored(), U("0"));
        QCOMPARE(form.windowFlags().testFlag(Qt::WindowStaysOnTopHint), false);
        QCOMPARE(boxes.Take().size(), 0);
    }

    void onTopNeverMovesResizesOrHidesTheWindow()
    {
        Form1 form(dir_->path());
        ShowActive(form);
        const QRect before = form.geometry();
        const QPoint pos = form.pos();

        form.Action("CKZD")->trigger();
        QVERIFY(form.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        QVERIFY(form.Check(1)->isChecked());
        QVERIFY(form.isVisible());
        QVERIFY(QTest::qWaitForWindowActive(&form));
        QCOMPARE(form.geometry(), before);
        QCOMPARE(form.pos(), pos);

        form.Action("CKZD")->trigger();
        QVERIFY(!form.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        QVERIFY(form.isVisible());
        QCOMPARE(form.geometry(), before);
        QCOMPARE(Stored("窗口置顶"), U("0"));
    }

    void clearSavesTheEmptyInputs()
    {
        PutFile("[TIP]\r\n记忆买入=1\r\n买入价格=9.45\r\n买入数量=1,000\r\n");
        Form1 form(dir_->path());
        ShowActive(form);
        QTest::mouseClick(form.findChild<QPushButton*>("Command4"), Qt::LeftButton);
        QVERIFY(form.Text(1)->text().isEmpty());
        QVERIFY(form.Check(2)->isChecked());
        QCOMPARE(Stored("买入价格"), QString());
        QCOMPARE(Stored("买入数量"), QString());
        QCOMPARE(Stored("记忆买入"), U("1"));
        QCOMPARE(Stored("手续费"), U("2.7"));
    }

    void aStartThatRestoresBothOptionsWritesNothing()
    {
        // Restoring the boxes runs their saves; with the file holding all of it already, they
        // write nothing, so a settings file that cannot be written shows no message at start.
        PutFile("[TIP]\r\n注意=本文件是自动生成，请不要随便修改本文件！\r\n手续费=3.0\r\n印花税=1\r\n"
                "证交所=深圳A股\r\n窗口置顶=1\r\n记忆买入=1\r\n买入价格=9.45\r\n买入数量=1,000\r\n"
                "现行规则=0\r\n免五=0\r\n");
        const ino_t before = Inode();
        qcal::test::BoxCatcher boxes;
        Form1 form(dir_->path());
        QVERIFY(form.Check(1)->isChecked());
        QVERIFY(form.Check(2)->isChecked());
        QCOMPARE(Inode(), before);
        QCOMPARE(boxes.Take().size(), 0);
    }

    void aCalculationWritesOnlyWhenASettingChanged()
    {
        qcal::test::BoxCatcher boxes;
        Form1 form(dir_->path());
        ShowActive(form);
        Type(form.Text(1), "10");
        Type(form.Text(2), "1000");
        const ino_t first = Inode();
        QVERIFY(first != 0);
        QTest::mouseClick(form.findChild<QPushButton*>("Command1"), Qt::LeftButton);
        QCOMPARE(Inode(), first);
        form.Combo(1)->setEditText("3.0");
        QTest::mouseClick(form.findChild<QPushButton*>("Command1"), Qt::LeftButton);
        QVERIFY(Inode() != first);
        QCOMPARE(Stored("手续费"), U("3.0"));
        QCOMPARE(boxes.Take().size(), 0);
    }

    void aFailedWriteIsToldOncePerSessionAndChangesNothing()
    {
        // A file made read-only: left alone by every user, root included (its mode says so).
        PutFile("[TIP]\r\n手续费=3.0\r\n");
        QVERIFY(QFile::setPermissions(Ini(), QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
        const QByteArray before = Bytes();
        Form1 form(dir_->path());
        ShowActive(form);
        form.Text(1)->setText("9.45");
        const QString told = U(qcal::msg::SettingsUnsaved(Ini().toStdString()));
        QVERIFY(told.startsWith(U(qcal::msg::kWriteError).trimmed()));
        {
            qcal::test::BoxCatcher boxes;
            Click(form.Check(2));  // SaveBuyInputs and SaveSettings: one action, one write
            qcal::ui::Module1::FinishPendingSaves();
            const auto taken = boxes.Take();
            QCOMPARE(taken.size(), 1);
            for (const auto& box : taken) {
                QCOMPARE(box.text, told);
                QCOMPARE(box.title, U(qcal::msg::kTitle));
            }
        }
        QVERIFY(form.Check(2)->isChecked());
        QVERIFY(form.Action("JYMR")->isChecked());
        QCOMPARE(form.Text(1)->text(), U("9.45"));
        {
            // Told once a session: the next actions fail as quietly as they keep their settings.
            qcal::test::BoxCatcher boxes;
            Click(form.Check(1));
            form.Combo(1)->setEditText("2.5");
            form.Text(2)->setText("1000");
            QTest::mouseClick(form.findChild<QPushButton*>("Command1"), Qt::LeftButton);
            qcal::ui::Module1::FinishPendingSaves();
            QCOMPARE(boxes.Take().size(), 0);
        }
        QVERIFY(form.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        QCOMPARE(Bytes(), before);

        // Writable again: the next save brings every setting of the session to the file at once.
        QVERIFY(QFile::setPermissions(Ini(), QFile::ReadOwner | QFile::WriteOwner));
        {
            qcal::test::BoxCatcher boxes;
            Click(form.Check(1));
            Click(form.Check(1));
            QCOMPARE(Stored("窗口置顶"), U("1"));
            QCOMPARE(Stored("记忆买入"), U("1"));
            QCOMPARE(Stored("手续费"), U("2.5"));
            QCOMPARE(Stored("买入价格"), U("9.45"));
            QCOMPARE(Stored("买入数量"), U("1,000"));
            QCOMPARE(boxes.Take().size(), 0);
        }
        // A save that succeeded ends the quiet: the next failure is told again.
        QVERIFY(QFile::setPermissions(Ini(), QFile::ReadOwner));
        {
            qcal::test::BoxCatcher boxes;
            Click(form.Check(1));
            QVERIFY(boxes.WaitFor(1, 5000));
            QCOMPARE(boxes.Take().size(), 1);
        }
        QVERIFY(QFile::setPermissions(Ini(), QFile::ReadOwner | QFile::WriteOwner));
    }

    // A file that is there but cannot be read (or holds what a read would cut) is never replaced
    // by the defaults: the session runs on them, says so once, and leaves the file alone.
    void anUnreadableFileIsToldOnceAndNeverWritten_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("folder") << "folder";
        QTest::newRow("link loop") << "loop";
        QTest::newRow("a value over 999 bytes") << "long";
        QTest::newRow("no read permission") << "mode000";
    }
    void anUnreadableFileIsToldOnceAndNeverWritten()
    {
        QFETCH(QString, kind);
        const QByteArray stored = Gbk(U("[TIP]\r\n手续费=3.0\r\n证交所=深圳A股\r\n现行规则=1\r\n"));
        if (kind == "folder") {
            QVERIFY(QDir(dir_->path()).mkdir("QCAL.INI"));
        } else if (kind == "loop") {
            QVERIFY(QFile::link(dir_->filePath("b.ini"), Ini()));
            QVERIFY(QFile::link(Ini(), dir_->filePath("b.ini")));
        } else {
            QFile f(Ini());
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(stored);
            if (kind == "long")
                f.write(Gbk(U("印花税=1") + QString(1000, u'0') + U("\r\n")));
            f.close();
            if (kind == "mode000") {
                QVERIFY(QFile::setPermissions(Ini(), {}));
                if (::access(QFile::encodeName(Ini()).constData(), R_OK) == 0)
                    QSKIP("permissions do not stop this user (root): tests/settings runs this case as nobody");
            }
        }
        const QByteArray before = Bytes();
        {
            qcal::test::BoxCatcher boxes;
            Form1 form(dir_->path());
            QCOMPARE(form.Combo(1)->currentText(), U("2.7"));
            QCOMPARE(form.Combo(3)->currentText(), U("上海A股"));
            QVERIFY(!form.Check(3)->isChecked());
            QCOMPARE(boxes.Take().size(), 0);  // not before the window is on screen
            ShowActive(form);
            form.Form_Activate();
            const auto taken = boxes.Take();
            QCOMPARE(taken.size(), 1);
            QCOMPARE(taken[0].text, U(qcal::msg::SettingsUnreadable(Ini().toStdString())));

            // Nothing is written, and no save complains about it.
            Click(form.Check(1));
            form.Text(1)->setText("10");
            form.Text(2)->setText("1000");
            QTest::mouseClick(form.findChild<QPushButton*>("Command1"), Qt::LeftButton);
            form.Form_Activate();
            qcal::ui::Module1::FinishPendingSaves();
            QCOMPARE(boxes.Take().size(), 0);
        }
        QCOMPARE(Bytes(), before);
        QCOMPARE(QFileInfo(Ini()).isDir(), kind == "folder");
        QCOMPARE(QFileInfo(Ini()).isSymLink(), kind == "loop");
        QFile::setPermissions(Ini(), QFile::ReadOwner | QFile::WriteOwner);
    }

    // Closing the window writes what the last click queued before the program goes.
    void closingFinishesThePendingSave()
    {
        {
            Form1 form(dir_->path());
            ShowActive(form);
            Click(form.Check(1));
            QTest::mouseClick(form.findChild<QPushButton*>("Command2"), Qt::LeftButton);
            QVERIFY(!form.isVisible());
            // Read before anything else could wait for the writer.
            QCOMPARE(qcal::settings::ReadProfileString(Ini(), "TIP", U("窗口置顶")), U("1"));
        }
    }
};

QTEST_MAIN(TestSettings)
#include "test_settings.moc"
