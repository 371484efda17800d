#pragma once
// A CSV text written to a file in the encoding the user chose: UTF-8 with a byte-order mark (the
// default: the mark makes a spreadsheet read the Chinese as UTF-8), or GBK on request. The file is replaced
// whole (atomic_file.h): an export that fails leaves whatever was there.

#include <string_view>

#include <QString>

namespace qcal::settings {

enum class CsvEncoding { Utf8WithMark, Gbk };

enum class CsvWrite {
    Ok,
    NotEncodable,  // GBK has no code for some character; nothing was written
    Failed,        // the file could not be written
};

CsvWrite WriteCsvFile(const QString& path, std::string_view utf8, CsvEncoding encoding);

} // namespace qcal::settings
