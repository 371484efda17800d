#include "settings/statement_settings.h"

#include <cstdint>
#include <cstdio>

#include "settings/profile_file.h"

namespace qcal::settings {

namespace {

std::string_view Stripped(std::string_view cell)
{
    while (!cell.empty() && (cell.front() == ' ' || cell.front() == '\t'))
        cell.remove_prefix(1);
    while (!cell.empty() && (cell.back() == ' ' || cell.back() == '\t'))
        cell.remove_suffix(1);
    return cell;
}

} // namespace

QString StatementHeaderKey(const std::vector<std::string>& columns)
{
    // FNV-1a over the cells, each closed by a byte no UTF-8 text holds.
    std::uint64_t hash = 14695981039346656037ull;
    const auto mix = [&hash](unsigned char byte) {
        hash ^= byte;
        hash *= 1099511628211ull;
    };
    for (const std::string& cell : columns) {
        for (const char c : Stripped(cell))
            mix(static_cast<unsigned char>(c));
        mix(0xFF);
    }
    char hex[17];
    std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(hash));
    return QStringLiteral("列") + QString::fromLatin1(hex);
}

ProfileEntry ColumnMapEntry(const std::vector<std::string>& columns, const statement::ColumnMap& map)
{
    return {StatementHeaderKey(columns), QString::fromStdString(statement::ToText(map)),
            QString::fromUtf8(kStatementSection)};
}

bool RememberColumnMap(const QString& iniPath, const std::vector<std::string>& columns, const statement::ColumnMap& map)
{
    const ProfileEntry entry = ColumnMapEntry(columns, map);
    return WriteProfileString(iniPath, entry.section, entry.key, entry.value);
}

std::optional<statement::ColumnMap> RememberedColumnMap(const QString& iniPath, const std::vector<std::string>& columns)
{
    const QString text =
        ReadProfileString(iniPath, QString::fromUtf8(kStatementSection), StatementHeaderKey(columns));
    if (text.isEmpty())
        return std::nullopt;
    return statement::ColumnMapFromText(text.toStdString());
}

RememberingRead ReadStatementRemembering(const QString& path, const QString& iniPath, EncodingChoice choice,
                                         const statement::Limits& limits)
{
    statement::ReadOptions options;
    options.limits = limits;
    RememberingRead read{ReadStatementFile(path, choice, options), std::nullopt};
    const statement::Problem problem = read.file.statement.problem;
    if (!read.file.readable || (problem != statement::Problem::MissingColumns &&
                                problem != statement::Problem::NoHeader && problem != statement::Problem::BadMapping))
        return read;
    if (auto map = RememberedColumnMap(iniPath, read.file.statement.columns)) {
        options.map = map;
        StatementFile again = ReadStatementFile(path, choice, options);
        if (again.readable && again.statement.Ok()) {
            read.file = std::move(again);
            read.map = std::move(map);
        }
    }
    return read;
}

} // namespace qcal::settings
