#pragma once
// A statement file's bytes as the UTF-8 text the reader takes (core/statement.h): the encoding found
// or chosen, GBK decoded with Qt's converter for code page 936. Files are read in pieces of 1 MiB,
// twice (once to tell the encoding, once to read), so that no file is ever in memory whole.

#include <QByteArrayView>
#include <QIODevice>
#include <QString>

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "core/statement.h"

namespace qcal::settings {

enum class EncodingChoice { Detect, Utf8, Gbk };

// The user's choice by name: "" or "auto" detects; "utf-8", "utf8"; "gbk", "cp936" (any case).
std::optional<EncodingChoice> EncodingChoiceFromName(std::string_view name);

struct TextEncoding {
    statement::Encoding encoding = statement::Encoding::Utf8;
    bool chosen = false;          // the caller's choice, not a guess
    bool sure = true;             // a guess the window need not ask about (always true when chosen)
    std::size_t undecodable = 0;  // bytes or pairs that became U+FFFD
};

struct StatementText {
    std::string utf8;
    TextEncoding encoding;
};

// Bytes already in memory, as text.
StatementText DecodeStatement(QByteArrayView bytes, EncodingChoice choice = EncodingChoice::Detect);

struct StatementFile {
    bool readable = false;
    std::string message;  // when not readable: why, for the user
    TextEncoding encoding;
    statement::Statement statement;
};

// Reads and decodes a statement from a file or any seekable device (opened for reading).
StatementFile ReadStatementFile(const QString& path, EncodingChoice choice = EncodingChoice::Detect,
                                const statement::ReadOptions& options = {});
StatementFile ReadStatement(QIODevice& device, EncodingChoice choice = EncodingChoice::Detect,
                            const statement::ReadOptions& options = {});

} // namespace qcal::settings
