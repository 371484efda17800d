#include "ui/common/application.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace qcal::ui {

void PrepareApplication(QApplication& app)
{
    QApplication::setApplicationName(QStringLiteral("qcal"));
    // Every text the program shows is Simplified Chinese, whatever the system's language.
    static QTranslator qtTexts;
    if (qtTexts.load(QLocale(QLocale::Chinese, QLocale::China), QStringLiteral("qtbase"), QStringLiteral("_"),
                     QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        app.installTranslator(&qtTexts);
}

} // namespace qcal::ui
