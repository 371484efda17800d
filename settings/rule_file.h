#pragma once
// The user's rule table: the file 费率表.txt in the folder of QCAL.INI, rows that replace or add to
// the built-in rates by date (the format is described in core/rule_table.h). It is read once at
// start. A file that cannot be used leaves the built-in table in force for the session and is told
// once, with its name and the line at fault; a missing file is no trouble at all.

#include <string>

#include <QString>

#include "core/rule_table.h"

namespace qcal::settings {

inline constexpr char16_t kRuleFileName[] = u"费率表.txt";

struct RuleFileLoad {
    RuleTable table = RuleTable::BuiltIn();
    std::string problem;  // the message for the user, empty when the table is as the files give it
};

// The rule file of a settings folder.
QString RuleFilePath(const QString& iniDirectory);

// The built-in table with the file's rows, in GBK or UTF-8.
RuleFileLoad LoadRuleFile(const QString& path);

} // namespace qcal::settings
