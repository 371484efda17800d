#include "ui/common/application.h"

#include <QApplication>
#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include "settings/ini_location.h"

namespace qcal::ui {

void PrepareApplication(QApplication& app)
{
    QApplication::setApplicationName(QStringLiteral("qcal"));
    // Every window's icon; the same picture as the menu entry's.
    QIcon icon;
    icon.addFile(QStringLiteral(":/icons/qcal-48.png"));
    icon.addFile(QStringLiteral(":/icons/qcal-256.png"));
    QApplication::setWindowIcon(icon);
    QGuiApplication::setDesktopFileName(QString::fromLatin1(settings::kDesktopFileId));
    // Every text the program shows is Simplified Chinese, whatever the system's language.
    static QTranslator qtTexts;
    if (qtTexts.load(QLocale(QLocale::Chinese, QLocale::China), QStringLiteral("qtbase"), QStringLiteral("_"),
                     QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        app.installTranslator(&qtTexts);
}

} // namespace qcal::ui
