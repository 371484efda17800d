// QCAL.INI: the settings of the main window and, while remember-buy is on, the last buy inputs, in
// section TIP; the broker's terms in section 券商费率 after it.

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QString>

#include <array>
#include <optional>
#include <vector>

#include "core/broker_terms.h"
#include "core/fees.h"
#include "core/messages.h"
#include "ui/common/text.h"
#include "settings/main_settings.h"
#include "settings/profile_file.h"
#include "ui/main/form1.h"
#include "ui/common/message_box.h"
#include "ui/main/module1.h"

namespace qcal::ui::Module1 {
namespace {

// The file's keys are shared with the command line (settings/main_settings.h).
using Key = qcal::settings::IniKey;
using enum qcal::settings::IniKey;
constexpr int kKeyCount = qcal::settings::kIniKeyCount;
const qcal::settings::IniKeySpec& Spec(Key key) { return qcal::settings::SpecOf(key); }

// The saves of the action in progress: every key a save asks for while a batch is open waits
// here, and the outermost batch writes them all in one replacement of the file.
struct Pending {
    int depth = 0;
    Form1* form = nullptr;
    std::array<std::optional<QString>, kKeyCount> values;
    std::optional<QString>& operator[](Key key) { return values[static_cast<std::size_t>(key)]; }
};
Pending pending;

// While the stored settings are restored, the click behaviour of the restored boxes runs but saves
// nothing: what is on screen is what the file holds, and a first start writes no file.
bool restoring = false;

void Write(Key key, const QString& value)
{
    if (!restoring)
        pending[key] = value;
}

QString Read(const qcal::settings::Profile& stored, Key key) { return qcal::settings::ReadKey(stored, key); }

QString Flag(const QCheckBox* box) { return box->isChecked() ? QStringLiteral("1") : QStringLiteral("0"); }

using qcal::settings::StoredFlag;

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

SaveBatch::SaveBatch(Form1& form)
{
    if (pending.depth++ == 0)
        pending.form = &form;
}

SaveBatch::~SaveBatch()
{
    if (--pending.depth > 0)
        return;
    std::vector<qcal::settings::ProfileEntry> entries;
    for (int key = 0; key < kKeyCount; ++key) {
        if (pending[Key(key)]) {
            const auto& spec = Spec(Key(key));
            entries.push_back({spec.name, *pending[Key(key)], spec.section});
        }
    }
    Form1* form = pending.form;
    pending = Pending{};
    if (form)
        form->Settings().Save(entries);
}

void SaveSettings(Form1& form)
{
    const SaveBatch batch(form);
    Write(Notice, Spec(Notice).fallback);
    Write(Commission, form.Combo(CommissionCombo)->currentText());
    Write(StampDuty, form.Combo(StampDutyCombo)->currentText());
    Write(Market, form.Combo(MarketCombo)->currentText());
    Write(OnTop, Flag(form.Check(OnTopCheck)));
    Write(RememberBuy, Flag(form.Check(RememberBuyCheck)));
    Write(CurrentRules, Flag(form.Check(CurrentRulesCheck)));
    Write(WaiveMinimum, Flag(form.Check(WaiveMinimumCheck)));
    Write(SecurityCodeKey, form.Text(qcal::SecurityCode)->text());
}

void SaveBrokerTerms(Form1& form)
{
    const SaveBatch batch(form);
    const qcal::BrokerTerms& terms = form.Terms();
    Write(SharesMinimumKey, Q(terms.sharesMinimum));
    Write(FundsRateKey, Q(terms.fundsCommission));
    Write(FundsMinimumKey, Q(terms.fundsMinimum));
    Write(BondsRateKey, Q(terms.bondsCommission));
    Write(BondsMinimumKey, Q(terms.bondsMinimum));
    Write(FeesOnTopKey, terms.feesOnTop ? QStringLiteral("1") : QStringLiteral("0"));
}

void SaveBuyInputs(Form1& form)
{
    const SaveBatch batch(form);
    // With the option off the stored inputs are emptied, so turning it off forgets them at once.
    const bool remember = form.Check(RememberBuyCheck)->isChecked();
    Write(StoredBuyPrice, remember ? form.Text(qcal::BuyPrice)->text() : QString());
    Write(StoredBuyQuantity, remember ? form.Text(qcal::BuyQuantity)->text() : QString());
}

std::unique_ptr<qcal::settings::SettingsFile> OpenSettingsFile(Form1& form)
{
    auto file = std::make_unique<qcal::settings::SettingsFile>(form.IniPath(), qcal::settings::MainSection());
    // One message for the whole action, however many keys it could not write, and none again
    // until a save has succeeded.
    file->OnFirstFailure([&form] { ShowMessage(&form, qcal::msg::SettingsUnsaved(S(form.IniPath()))); });
    return file;
}

qcal::settings::Profile ReadSettingsFile(Form1& form)
{
    qcal::settings::SettingsFile& file = form.Settings();
    const qcal::settings::Profile stored = file.Load();
    for (int key = 0; key < kKeyCount; ++key) {
        // Restoring a cut value would save it cut over the whole one.
        if (stored.IsCut(Spec(Key(key)).section, Spec(Key(key)).name))
            file.Lock();
    }
    return file.Locked() ? qcal::settings::Profile() : stored;
}

void TellSettingsTrouble(Form1& form)
{
    if (form.Settings().TakeLockNotice())
        ShowMessage(&form, qcal::msg::SettingsUnreadable(S(form.IniPath())));
}

void FinishPendingSaves() { qcal::settings::SettingsFile::FinishAll(); }

void LoadBuyInputs(Form1& form, const qcal::settings::Profile& stored)
{
    // Whatever the file holds is loaded, whatever "记忆买入" says: the saves keep the two in step.
    form.Text(qcal::BuyPrice)->setText(Read(stored, StoredBuyPrice));
    form.Text(qcal::BuyQuantity)->setText(Read(stored, StoredBuyQuantity));
}

void LoadSettings(Form1& form, const qcal::settings::Profile& stored)
{
    // The values come from the file as it was read once, before anything is applied; the saves
    // that restoring a check box runs are one action, written when the restore is complete.
    const SaveBatch batch(form);
    restoring = true;
    const QString commission = Read(stored, Commission);

    // The commission is free text; its checks run when it is next used.
    form.Combo(CommissionCombo)->setCurrentText(commission.isEmpty() ? Spec(Commission).fallback : commission);
    SelectEntry(form.Combo(StampDutyCombo), Read(stored, StampDuty), Spec(StampDuty).fallback);
    SelectEntry(form.Combo(MarketCombo), Read(stored, Market), Spec(Market).fallback);
    form.Check(OnTopCheck)->setChecked(StoredFlag(Read(stored, OnTop)));
    form.Check(RememberBuyCheck)->setChecked(StoredFlag(Read(stored, RememberBuy)));
    // A first start, with no settings file yet, charges by today's rules; a file written before the
    // choice existed (no key) keeps the program's own rules it was used with, as does an unknown value.
    const QString rules = Read(stored, CurrentRules);
    const bool firstStart = stored.State() == qcal::settings::FileState::Missing && !form.Settings().Locked();
    form.Check(CurrentRulesCheck)->setChecked(rules.isEmpty() ? firstStart : StoredFlag(rules));
    form.Check(WaiveMinimumCheck)->setChecked(StoredFlag(Read(stored, WaiveMinimum)));
    form.Text(qcal::SecurityCode)->setText(Read(stored, SecurityCodeKey));
    form.SetTerms(qcal::settings::StoredBrokerTerms(stored));
    restoring = false;
}

}  // namespace qcal::ui::Module1
