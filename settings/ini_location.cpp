#include "settings/ini_location.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <unistd.h>

namespace qcal::settings {

bool IsInstalledCopy(const QString& programDirectory)
{
    const QString entry = QStringLiteral("../share/applications/%1.desktop").arg(QLatin1String(kDesktopFileId));
    return QFileInfo::exists(QDir(programDirectory).filePath(entry));
}

QString ChooseIniDirectory(const QString& programDirectory, const QString& configDirectory)
{
    if (IsInstalledCopy(programDirectory))
        return configDirectory;
    const QString beside = QDir(programDirectory).filePath(QString::fromLatin1(kIniFileName));
    if (QFileInfo::exists(beside))
        return programDirectory;
    // access() rather than the permission bits: it also knows read-only file systems.
    if (::access(QFile::encodeName(programDirectory).constData(), W_OK) == 0)
        return programDirectory;
    return configDirectory;
}

QString DefaultIniDirectory()
{
    if (const QString chosen = qEnvironmentVariable("QCAL_SETTINGS_DIR"); !chosen.isEmpty())
        return chosen;
    return ChooseIniDirectory(QCoreApplication::applicationDirPath(),
                              QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation));
}

} // namespace qcal::settings
