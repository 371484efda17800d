#pragma once
// The main window's keys of QCAL.INI: their names, sections and defaults, and the broker's fee
// settings as the file holds them. The window restores its controls from them and the command line
// charges by them, so both read the same file the same way.

#include <QString>

#include "core/fee_settings.h"
#include "settings/profile_file.h"

namespace qcal::settings {

// The keys in the order a new file lists them. They are the file's names, fixed for every file ever
// written, whatever the window calls the same things.
enum class IniKey {
    Notice,
    Commission,
    StampDuty,
    Market,
    OnTop,
    RememberBuy,
    StoredBuyPrice,
    StoredBuyQuantity,
    CurrentRules,   // newer than the others: at the end, so that an older reader of the file ignores it
    WaiveMinimum,
    SecurityCodeKey,
    SharesMinimumKey,  // section 券商费率 from here on
    FundsRateKey,
    FundsMinimumKey,
    BondsRateKey,
    BondsMinimumKey,
    FeesOnTopKey,
    Count
};
inline constexpr int kIniKeyCount = static_cast<int>(IniKey::Count);

struct IniKeySpec {
    QString name;
    QString fallback;  // what a missing or empty key stands for
    QString section;
};
const IniKeySpec& SpecOf(IniKey key);
// The main window's section; the broker's terms are in a section of their own after it, which an
// older reader of the file never sees.
QString MainSection();

QString ReadKey(const Profile& stored, IniKey key);
// The check boxes know only 0 and 1; anything else is the default, unticked.
bool StoredFlag(const QString& value);

// The broker's terms; a file without the section, or a value the terms dialog would refuse, gives
// the default terms.
BrokerTerms StoredBrokerTerms(const Profile& stored);

// The fee settings the main window shows after loading the file: the commission list's text, the
// stamp duty and market lists' (as stored: the window falls back to its default entry for a text
// its list lacks), the choice of rules (a missing key: the current rules on a first start, with no
// file, else the program's own), 免五 and the broker's terms.
FeeSettings StoredFeeSettings(const Profile& stored);

} // namespace qcal::settings
