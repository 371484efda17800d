#pragma once
// A small INI-style profile file of our own: read or write keys of one section, the way the
// Windows profile calls do, so that QCAL.INI files written here and written there read the same.
//
// - Texts are GBK on disk. A file that starts with a UTF-8 byte-order mark is read as UTF-8 and
//   stays UTF-8 (with its mark) when written back.
// - A line ends at CR LF, LF or a lone CR alike, the last line of the file included.
// - Section and key names compare case-insensitively; blanks and tabs around keys and values are
//   ignored on read; a line "[name]" opens a section, a line starting with ";" is a comment.
//   The first section of a name is the section; within it the first occurrence of a key wins.
// - A write changes only the line of that key (or adds one at the end of the section, or adds the
//   section at the end of the file); every other line stays byte for byte as it was, and the
//   file keeps its line-ending style (new files get CRLF).
// - A write replaces the whole file atomically (see atomic_file.h): after a crash at any moment
//   the file holds the old or the new content. A write that would leave the file as it is
//   touches nothing, and a write succeeds only when every key it wrote reads back.
// - A file is read once per load or write and parsed once: the lines are found by their bytes and
//   only section headers and the lines of the section asked for are decoded, so that a large file
//   of foreign sections costs one pass, and a write sends the untouched bytes out as they came in.

#include <memory>
#include <span>

#include <QString>

namespace qcal::settings {

// The longest value a read returns, in bytes of GBK: the platform's receive buffer holds
// 1000 bytes with the terminator.
inline constexpr int kMaxValueBytes = 999;

struct Document;

// What a load found at the path.
enum class FileState {
    Missing,     // nothing there (a dangling symbolic link included: a write creates its target)
    Read,
    Unreadable,  // something is there that cannot be read as a file: no permission, a folder,
                 // a symbolic-link loop, a device; writing would throw away what it holds
};

// The file as read once, for reading many keys without going back to the disk.
class Profile {
public:
    // A missing or unreadable file reads as an empty one; State() tells which it was.
    static Profile Load(const QString& path);

    FileState State() const { return state_; }

    // The value of key in section, blanks around it removed, cut to kMaxValueBytes bytes of GBK
    // (never inside a double-byte character). A missing section or key reads as empty, like an
    // empty value: the callers treat both the same way.
    QString Read(const QString& section, const QString& key) const;

    // True when the stored value is longer than Read returns: saving what was read would cut it.
    bool IsCut(const QString& section, const QString& key) const;

private:
    std::shared_ptr<const Document> doc_;
    FileState state_ = FileState::Missing;
};

// Whether a read returns value whole (it is not longer than kMaxValueBytes bytes of GBK).
bool ReadsWhole(const QString& value);

struct ProfileEntry {
    QString key;
    QString value;
};

QString ReadProfileString(const QString& path, const QString& section, const QString& key);

// Stores every entry under its key in section, in one replacement of the file, creating the file
// and the section when needed; keys new to the section are added in the order given (a key given
// twice is written once, with its last value). Line breaks in a value are dropped, since a second
// line would read back as another key or section.
// Returns false, with the file unchanged, when it could not be read or written.
bool WriteProfileStrings(const QString& path, const QString& section, std::span<const ProfileEntry> entries);

bool WriteProfileString(const QString& path, const QString& section, const QString& key, const QString& value);

} // namespace qcal::settings
