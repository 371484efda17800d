#include "settings/rule_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "core/messages.h"
#include "settings/statement_text.h"

namespace qcal::settings {

namespace {

// A rule table is a few dozen lines; a file this large is something else and is not read whole.
constexpr qint64 kMaxRuleFileBytes = 64 * 1024 * 1024;

std::string Native(const QString& path) { return QDir::toNativeSeparators(path).toStdString(); }

}  // namespace

QString RuleFilePath(const QString& iniDirectory)
{
    return QDir(iniDirectory).filePath(QString::fromUtf16(kRuleFileName));
}

RuleFileLoad LoadRuleFile(const QString& path)
{
    RuleFileLoad load;
    const QFileInfo info(path);
    if (!info.exists())
        return load;
    QFile file(path);
    if (!info.isFile() || info.size() > kMaxRuleFileBytes || !file.open(QIODevice::ReadOnly)) {
        load.problem = msg::RuleFileUnreadable(Native(path));
        return load;
    }
    const QByteArray bytes = file.readAll();
    const RuleFileReading reading = ReadRuleFile(DecodeStatement(bytes).utf8);
    if (!reading.table) {
        load.problem = msg::RuleFileUnusable(Native(path), reading.error.line, reading.error.message);
        return load;
    }
    load.table = RuleTable::BuiltIn().With(*reading.table);
    return load;
}

}  // namespace qcal::settings
