#pragma once
// The column mapping a user gave for a statement whose headers were not recognised, remembered in
// QCAL.INI (section 交割单, after the others) under a key made from the header's cells, so that the
// next file with the same header is read with it at once.

#include <optional>
#include <string>
#include <vector>

#include <QString>

#include "core/statement.h"
#include "settings/profile_file.h"
#include "settings/statement_text.h"

namespace qcal::settings {

inline constexpr char kStatementSection[] = "交割单";

// The key of a header: "列" and a fingerprint of its cells (blanks around them ignored), since the
// cells themselves may hold what a key cannot ('=', '[', a line of any length).
QString StatementHeaderKey(const std::vector<std::string>& columns);

// The entry that remembers the mapping for that header, for the session's settings writer
// (settings_file.h), which queues it with the other saves and leaves a locked file alone.
ProfileEntry ColumnMapEntry(const std::vector<std::string>& columns, const statement::ColumnMap& map);

// Stores the mapping for that header in one replacement of the file; false when it could not.
bool RememberColumnMap(const QString& iniPath, const std::vector<std::string>& columns,
                       const statement::ColumnMap& map);

// The mapping stored for that header, when one is and it still reads as a mapping.
std::optional<statement::ColumnMap> RememberedColumnMap(const QString& iniPath, const std::vector<std::string>& columns);

// Reads a statement file; when its needed columns are not found by name and a mapping is
// remembered for its header, reads it again with that mapping, and keeps that reading when it
// succeeds (`map` is then the mapping used; a mapping that no longer fits leaves the first reading).
struct RememberingRead {
    StatementFile file;
    std::optional<statement::ColumnMap> map;
};
RememberingRead ReadStatementRemembering(const QString& path, const QString& iniPath,
                                         EncodingChoice choice = EncodingChoice::Detect,
                                         const statement::Limits& limits = {});

} // namespace qcal::settings
