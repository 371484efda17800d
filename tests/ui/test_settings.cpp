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

#include "core/captions.h"
#include "core/messages.h"
#include "settings/profile_file.h"
#include "support/ui_fixture.h"
#include "ui/main/form1.h"

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
    QString Stored(const char* key) const { return qcal::settings::ReadProfileString(Ini(), "TIP", U(key)); }
    // Each replacement of the file gives it a new inode; an untouched file keeps its own.
    ino_t Inode() const
    {
        struct stat st {};
        return ::stat(QFile::encodeName(Ini()).constData(), &st) == 0 ? st.st_ino : 0;
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
        QCOMPARE(form.Label(27)->text(), U(qcal::caption::kRulesNoteCurrent));
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
                                    "免五=0\r\n")));
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
        const auto stored = [&] { return qcal::settings::ReadProfileString(Ini(), "TIP", key); };

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

    void aFailedWriteIsToldOncePerActionAndChangesNothing()
    {
        // A directory in the file's place: no user, root included, can write it.
        QVERIFY(QDir(dir_->path()).mkdir("QCAL.INI"));
        Form1 form(dir_->path());
        ShowActive(form);
        form.Text(1)->setText("9.45");
        {
            qcal::test::BoxCatcher boxes;
            Click(form.Check(2));  // SaveBuyInputs and SaveSettings: one action, one write
            const auto taken = boxes.Take();
            QCOMPARE(taken.size(), 1);
            for (const auto& box : taken) {
                QCOMPARE(box.text, U(qcal::msg::kWriteError));
                QCOMPARE(box.title, U(qcal::msg::kTitle));
            }
        }
        QVERIFY(form.Check(2)->isChecked());
        QVERIFY(form.Action("JYMR")->isChecked());
        QCOMPARE(form.Text(1)->text(), U("9.45"));
        {
            qcal::test::BoxCatcher boxes;
            Click(form.Check(1));
            QCOMPARE(boxes.Take().size(), 1);
        }
        QVERIFY(form.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        QVERIFY(QFileInfo(Ini()).isDir());
    }
};

QTEST_MAIN(TestSettings)
#include "test_settings.moc"
