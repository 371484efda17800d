#pragma once
// A small INI-style profile file of our own: read or write one key of one section, the way the
// Windows profile calls do, so that QCAL.INI files written here and written there read the same.
//
// - Texts are GBK on disk. A file that starts with a UTF-8 byte-order mark is read as UTF-8 and
//   stays UTF-8 (with its mark) when written back.
// - Section and key names compare case-insensitively; blanks and tabs around keys and values are
//   ignored on read; a line "[name]" opens a section, a line starting with ";" is a comment.
//   The first section of a name is the section; within it the first occurrence of a key wins.
// - A write changes only the line of that key (or adds one at the end of the section, or adds the
//   section at the end of the file); every other line stays byte for byte as it was, and the
//   file keeps its line-ending style (new files get CRLF).
// - Writes are atomic (a temporary file renamed over the old one); where the directory does not
//   allow that but the file is writable, the file is written in place.

#include <QString>

namespace qcal::settings {

// The longest value a read returns, in bytes of GBK: the platform's receive buffer holds
// 1000 bytes with the terminator.
inline constexpr int kMaxValueBytes = 999;

// The value of key in section, blanks around it removed, cut to kMaxValueBytes bytes of GBK
// (never inside a double-byte character). A missing file, section or key reads as empty, like
// an empty value: the callers treat both the same way.
QString ReadProfileString(const QString& path, const QString& section, const QString& key);

// Stores value under key in section, creating the file and the section when needed. Line breaks
// in value are dropped, since a second line would read back as another key or section.
// Returns false when the file could not be read or written.
bool WriteProfileString(const QString& path, const QString& section, const QString& key, const QString& value);

} // namespace qcal::settings
