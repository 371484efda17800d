// QCAL.INI: the five settings of the main window and, while remember-buy is on, the last buy inputs.

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QString>

#include "core/messages.h"
#include "settings/profile_file.h"
#include "ui/main/form1.h"
#include "ui/main/module1.h"

namespace qcal::ui::Module1 {
namespace {

const QString kSection = QStringLiteral("TIP");

const QString kNoticeKey = QStringLiteral("注意");
const QString kNotice = QStringLiteral("本文件是自动生成，请不要随便修改本文件！");
const QString kCommissionKey = QStringLiteral("手续费");
const QString kStampDutyKey = QStringLiteral("印花税");
const QString kMarketKey = QStringLiteral("证交所");
const QString kOnTopKey = QStringLiteral("窗口置顶");
const QString kRememberBuyKey = QStringLiteral("记忆买入");
const QString kBuyPriceKey = QStringLiteral("买入价格");
const QString kBuyQuantityKey = QStringLiteral("买入数量");

// What a missing or empty key stands for.
const QString kDefaultCommission = QStringLiteral("2.7");
const QString kDefaultStampDuty = QStringLiteral("3");
const QString kDefaultMarket = QStringLiteral("上海A股");

bool Write(Form1& form, const QString& key, const QString& value)
{
    return qcal::settings::WriteProfileString(form.IniPath(), kSection, key, value);
}

// A failed write is told at once, and the save carries on with the next key.
void WriteOrTell(Form1& form, const QString& key, const QString& value)
{
    if (!Write(form, key, value))
        ShowMessage(&form, qcal::msg::kWriteError);
}

QString Read(Form1& form, const QString& key)
{
    return qcal::settings::ReadProfileString(form.IniPath(), kSection, key);
}

QString Flag(const QCheckBox* box) { return box->isChecked() ? QStringLiteral("1") : QStringLiteral("0"); }

// The check boxes know only 0 and 1; anything else in the file is taken as the default, unticked.
bool StoredFlag(const QString& value) { return value == u"1"; }

// Selects the entry whose text is value, or the default entry when the file holds something the
// list does not offer.
void SelectEntry(QComboBox* list, const QString& value, const QString& fallback)
{
    int index = value.isEmpty() ? -1 : list->findText(value, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (index < 0)
        index = list->findText(fallback, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (index >= 0)
        list->setCurrentIndex(index);
}

}  // namespace

void SaveSettings(Form1& form)
{
    Write(form, kNoticeKey, kNotice);  // nobody reads it back: a failure here is not worth a message
    WriteOrTell(form, kCommissionKey, form.Combo(1)->currentText());
    WriteOrTell(form, kStampDutyKey, form.Combo(2)->currentText());
    WriteOrTell(form, kMarketKey, form.Combo(3)->currentText());
    WriteOrTell(form, kOnTopKey, Flag(form.Check(1)));
    WriteOrTell(form, kRememberBuyKey, Flag(form.Check(2)));
}

void SaveBuyInputs(Form1& form)
{
    // With the option off the stored inputs are emptied, so turning it off forgets them at once.
    const bool remember = form.Check(2)->isChecked();
    WriteOrTell(form, kBuyPriceKey, remember ? form.Text(1)->text() : QString());
    WriteOrTell(form, kBuyQuantityKey, remember ? form.Text(2)->text() : QString());
}

void LoadBuyInputs(Form1& form)
{
    // Whatever the file holds is loaded, whatever "记忆买入" says: the saves keep the two in step.
    form.Text(1)->setText(Read(form, kBuyPriceKey));
    form.Text(2)->setText(Read(form, kBuyQuantityKey));
}

void LoadSettings(Form1& form)
{
    // Everything is read before anything is applied: ticking Check1 or Check2 saves the settings
    // at once, and that save must not overwrite a key that has not been read yet.
    const QString commission = Read(form, kCommissionKey);
    const QString stampDuty = Read(form, kStampDutyKey);
    const QString market = Read(form, kMarketKey);
    const bool onTop = StoredFlag(Read(form, kOnTopKey));
    const bool rememberBuy = StoredFlag(Read(form, kRememberBuyKey));

    // The commission is free text; its checks run when it is next used.
    form.Combo(1)->setCurrentText(commission.isEmpty() ? kDefaultCommission : commission);
    SelectEntry(form.Combo(2), stampDuty, kDefaultStampDuty);
    SelectEntry(form.Combo(3), market, kDefaultMarket);
    form.Check(1)->setChecked(onTop);
    form.Check(2)->setChecked(rememberBuy);
}

}  // namespace qcal::ui::Module1
