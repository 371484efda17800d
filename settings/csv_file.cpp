#include "settings/csv_file.h"

#include <QByteArray>
#include <QStringEncoder>

#include "settings/atomic_file.h"

namespace qcal::settings {

CsvWrite WriteCsvFile(const QString& path, std::string_view utf8, CsvEncoding encoding)
{
    QByteArray bytes;
    if (encoding == CsvEncoding::Utf8WithMark) {
        bytes = QByteArray("\xEF\xBB\xBF") + QByteArray(utf8.data(), static_cast<qsizetype>(utf8.size()));
    } else {
        QStringEncoder gbk("GBK", QStringConverter::Flag::Stateless);
        bytes = gbk.encode(QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size())));
        // A character GBK lacks would come out as "?": a silent change of the user's text.
        if (gbk.hasError())
            return CsvWrite::NotEncodable;
    }
    return ReplaceFileContent(path, bytes) ? CsvWrite::Ok : CsvWrite::Failed;
}

} // namespace qcal::settings
