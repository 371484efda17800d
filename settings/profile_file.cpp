#include "settings/profile_file.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QFile>
#include <QStringDecoder>
#include <QStringEncoder>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <optional>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "settings/atomic_file.h"

namespace qcal::settings {

// One line of the file as byte offsets, so that lines we do not touch are copied back unchanged
// even when they are not valid text.
struct Line {
    qsizetype begin = 0;  // first byte of the text
    qsizetype end = 0;    // one past the text, before the line break
    qsizetype next = 0;   // first byte of the following line (== end on a last line without a break)
};

// A key line of a section, with its name as spelled in the file.
struct ParsedKey {
    Line line;
    QString name;
    QString value;
};

// The first section of a name: its key lines, and its last line that is not blank (a new key goes
// after it, leaving blank separator lines before the next section).
struct ParsedSection {
    bool found = false;
    Line lastContent;
    std::vector<ParsedKey> keys;

    // The first line for key: the one a read returns.
    const ParsedKey* Find(const QString& key) const
    {
        for (const ParsedKey& k : keys) {
            if (k.name.compare(key, Qt::CaseInsensitive) == 0)
                return &k;
        }
        return nullptr;
    }
};

// The file parsed once: its bytes and where its sections start. The lines of a section are found
// and decoded only when that section is asked for.
struct Document {
    QByteArray bytes;
    bool utf8 = false;
    qsizetype bodyStart = 0;  // after the byte-order mark
    QByteArray lineBreak = "\r\n";
    std::vector<Line> headers;  // every line that opens a section, in file order
    // The section read last: a load reads all its keys from one section. (A Profile and its
    // document are used by one thread.)
    mutable QString lastName;
    mutable std::shared_ptr<const ParsedSection> last;
};

namespace {

constexpr char kUtf8Bom[] = "\xEF\xBB\xBF";
constexpr qsizetype kUtf8BomSize = 3;

// Walks the lines of a part of a buffer. CR LF, LF and a lone CR all end a line. (Neither byte
// occurs inside a GBK or UTF-8 character, so splitting the bytes is safe.) The next CR and the next
// LF are each searched once, so a part with only one kind of break is not scanned again per line.
class LineScanner {
public:
    LineScanner(const QByteArray& bytes, qsizetype from, qsizetype to)
        : data_(bytes.constData()), pos_(from), size_(to)
    {
    }

    bool Next(Line& line)
    {
        if (pos_ >= size_)
            return false;
        const qsizetype end = std::min(Find('\r', cr_), Find('\n', lf_));
        line.begin = pos_;
        line.end = end;
        if (end >= size_)
            line.next = end;
        else if (data_[end] == '\r' && end + 1 < size_ && data_[end + 1] == '\n')
            line.next = end + 2;
        else
            line.next = end + 1;
        pos_ = line.next;
        return true;
    }

private:
    qsizetype Find(char c, qsizetype& cached)
    {
        if (cached < pos_) {
            const void* hit = std::memchr(data_ + pos_, c, static_cast<size_t>(size_ - pos_));
            cached = hit ? static_cast<const char*>(hit) - data_ : size_;
        }
        return cached;
    }

    const char* data_;
    qsizetype pos_;
    qsizetype size_;
    qsizetype cr_ = -1;
    qsizetype lf_ = -1;
};

// The line that starts at begin (a header, or the first line: short, walked byte by byte).
Line LineFrom(const QByteArray& b, qsizetype begin)
{
    Line line;
    line.begin = begin;
    qsizetype i = begin;
    while (i < b.size() && b[i] != '\r' && b[i] != '\n')
        ++i;
    line.end = i;
    if (i >= b.size())
        line.next = i;
    else
        line.next = (b[i] == '\r' && i + 1 < b.size() && b[i + 1] == '\n') ? i + 2 : i + 1;
    return line;
}

// Finds the headers without walking every line: a line opens a section when its first byte that is
// not a blank or a tab is "[", so each "[" is looked at, back to the start of its line. Blanks,
// tabs, "[" and the line breaks never occur inside a GBK or UTF-8 character, so the bytes decide
// as the decoded text would; a "[" that ends a double-byte character has that character before it.
Document Parse(QByteArray bytes)
{
    Document doc;
    doc.bytes = std::move(bytes);
    const QByteArray& b = doc.bytes;
    const char* data = b.constData();
    doc.utf8 = b.startsWith(kUtf8Bom);
    doc.bodyStart = doc.utf8 ? kUtf8BomSize : 0;

    // New lines follow the file's first line break.
    const Line first = LineFrom(b, doc.bodyStart);
    if (first.next > first.end)
        doc.lineBreak = b.mid(first.end, first.next - first.end);

    qsizetype pos = doc.bodyStart;
    while (pos < b.size()) {
        const void* hit = std::memchr(data + pos, '[', static_cast<size_t>(b.size() - pos));
        if (!hit)
            break;
        const qsizetype bracket = static_cast<const char*>(hit) - data;
        qsizetype start = bracket;
        while (start > doc.bodyStart && (data[start - 1] == ' ' || data[start - 1] == '\t'))
            --start;
        if (start > doc.bodyStart && data[start - 1] != '\r' && data[start - 1] != '\n') {
            pos = bracket + 1;
            continue;
        }
        doc.headers.push_back(LineFrom(b, start));
        pos = doc.headers.back().next;
    }
    return doc;
}

QString Decode(bool utf8, QByteArrayView text, QStringDecoder& gbk)
{
    if (utf8)
        return QString::fromUtf8(text);
    // A lead byte cut off at the end of a line must not swallow the next line's first byte.
    gbk.resetState();
    return gbk.decode(text);
}

QByteArrayView Text(const Document& doc, const Line& line)
{
    return QByteArrayView(doc.bytes.constData() + line.begin, line.end - line.begin);
}

QByteArray Encode(bool utf8, const QString& text)
{
    if (utf8)
        return text.toUtf8();
    QStringEncoder gbk("GBK", QStringConverter::Flag::Stateless);
    return gbk.encode(text);
}

bool IsBlank(QChar c) { return c == u' ' || c == u'\t'; }

// Only blanks and tabs: an ideographic space is part of a value.
QString TrimBlanks(QStringView s)
{
    qsizetype from = 0;
    qsizetype to = s.size();
    while (from < to && IsBlank(s[from]))
        ++from;
    while (to > from && IsBlank(s[to - 1]))
        --to;
    return s.mid(from, to - from).toString();
}

struct Parsed {
    enum Kind { Other, Section, Key } kind = Other;
    QString name;   // section name or key
    QString value;  // of a key
};

Parsed Classify(const QString& text)
{
    Parsed p;
    const QString t = TrimBlanks(text);
    if (t.startsWith(u'[')) {
        const qsizetype close = t.indexOf(u']');
        p.kind = Parsed::Section;
        p.name = TrimBlanks(QStringView(t).mid(1, close < 0 ? -1 : close - 1));
        return p;
    }
    if (t.startsWith(u';'))
        return p;
    const qsizetype eq = t.indexOf(u'=');
    if (eq <= 0)
        return p;
    p.name = TrimBlanks(QStringView(t).left(eq));
    if (p.name.isEmpty())
        return p;
    p.kind = Parsed::Key;
    p.value = TrimBlanks(QStringView(t).mid(eq + 1));
    return p;
}

bool SameName(const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) == 0; }

// The name as ASCII bytes, or empty when it is not plain ASCII.
QByteArray AsciiName(const QString& name)
{
    const bool ascii = std::all_of(name.begin(), name.end(), [](QChar c) { return c.unicode() < 0x80; });
    return ascii ? name.toLatin1() : QByteArray();
}

bool SameAsciiLetter(char a, char b)
{
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
    return lower(a) == lower(b);
}

// Whether the header line opens the section called name. Most headers and names are plain ASCII,
// compared on the bytes as Classify would read them; anything else is decoded.
bool HeaderIs(const Document& doc, const Line& line, const QString& name, const QByteArray& asciiName,
              QStringDecoder& gbk)
{
    const QByteArrayView text = Text(doc, line);
    const bool ascii = std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    if (!ascii || asciiName.isEmpty() || name.isEmpty())
        return SameName(Classify(ascii ? QString::fromLatin1(text) : Decode(doc.utf8, text, gbk)).name, name);
    // "[", blanks, the name, blanks, then "]" or the end of the line.
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    qsizetype i = 0;
    while (blank(text[i]))
        ++i;
    ++i;  // the "[" that made it a header
    const qsizetype close = text.indexOf(']', i);
    qsizetype end = close < 0 ? text.size() : close;
    while (i < end && blank(text[i]))
        ++i;
    while (end > i && blank(text[end - 1]))
        --end;
    return end - i == asciiName.size() &&
           std::equal(text.begin() + i, text.begin() + end, asciiName.begin(), SameAsciiLetter);
}

ParsedSection Scan(const Document& doc, const QString& name)
{
    ParsedSection section;
    QStringDecoder gbk("GBK", QStringConverter::Flag::Stateless);
    const auto& headers = doc.headers;
    const QByteArray ascii = AsciiName(name);
    const auto header = std::find_if(headers.begin(), headers.end(),
                                     [&](const Line& h) { return HeaderIs(doc, h, name, ascii, gbk); });
    if (header == headers.end())
        return section;
    section.found = true;
    section.lastContent = *header;
    const qsizetype end = header + 1 == headers.end() ? doc.bytes.size() : (header + 1)->begin;
    LineScanner scanner(doc.bytes, header->next, end);
    Line line;
    while (scanner.Next(line)) {
        const QString text = Decode(doc.utf8, Text(doc, line), gbk);
        if (!TrimBlanks(text).isEmpty())
            section.lastContent = line;
        Parsed p = Classify(text);
        if (p.kind == Parsed::Key)
            section.keys.push_back({line, std::move(p.name), std::move(p.value)});
    }
    return section;
}

// The whole value of key in section, as the file holds it; nullopt when the key is missing.
std::optional<QString> StoredValue(const Document& doc, const QString& section, const QString& key)
{
    if (!doc.last || doc.lastName != section) {
        doc.last = std::make_shared<const ParsedSection>(Scan(doc, section));
        doc.lastName = section;
    }
    const ParsedKey* k = doc.last->Find(key);
    return k ? std::optional<QString>(k->value) : std::nullopt;
}

// Cuts value to at most maxBytes bytes of GBK, at a character boundary.
QString CutToBytes(const QString& value, qsizetype maxBytes)
{
    QStringEncoder gbk("GBK", QStringConverter::Flag::Stateless);
    if (QByteArray(gbk.encode(value)).size() <= maxBytes)
        return value;
    qsizetype used = 0;
    qsizetype i = 0;
    while (i < value.size()) {
        const qsizetype len =
            (value[i].isHighSurrogate() && i + 1 < value.size() && value[i + 1].isLowSurrogate()) ? 2 : 1;
        const qsizetype bytes = QByteArray(gbk.encode(QStringView(value).mid(i, len))).size();
        if (used + bytes > maxBytes)
            break;
        used += bytes;
        i += len;
    }
    return value.left(i);
}

struct LoadedFile {
    FileState state = FileState::Missing;
    QByteArray bytes;
};

// The whole file in one read. Opened without blocking and read only when it is a regular file: a
// pipe or a device in its place must not hang the program or feed it forever.
LoadedFile ReadFile(const QString& path)
{
    const QByteArray native = QFile::encodeName(path);
    int fd = -1;
    do
        fd = ::open(native.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    while (fd < 0 && errno == EINTR);
    if (fd < 0)
        return {errno == ENOENT ? FileState::Missing : FileState::Unreadable, {}};

    LoadedFile file{FileState::Unreadable, {}};
    struct stat st {};
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
        QByteArray bytes(static_cast<qsizetype>(st.st_size) + 1, Qt::Uninitialized);
        qsizetype filled = 0;
        for (;;) {
            if (filled == bytes.size())
                bytes.resize(bytes.size() * 2);
            const ssize_t n = ::read(fd, bytes.data() + filled, static_cast<size_t>(bytes.size() - filled));
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0)
                break;
            if (n == 0) {
                bytes.resize(filled);
                file = {FileState::Read, std::move(bytes)};
                break;
            }
            filled += n;
        }
    }
    ::close(fd);
    return file;
}

// What a read gives back after value was written: its text as the file's encoding holds it
// (GBK turns what it cannot hold into "?"), without the blanks around it, cut to the read's limit.
QString AsReadBack(bool utf8, const QString& value)
{
    const QByteArray stored = Encode(utf8, value);
    const QString decoded =
        utf8 ? QString::fromUtf8(stored) : QStringDecoder("GBK", QStringConverter::Flag::Stateless).decode(stored);
    return CutToBytes(TrimBlanks(decoded), kMaxValueBytes);
}

QString WithoutLineBreaks(QString value)
{
    value.remove(u'\r');
    value.remove(u'\n');
    return value;
}

// Whether a line we are about to write reads back as key = value: a key that holds "=", starts
// with "[" or ";", or cannot be encoded would make the line something else.
bool ReadsBackAs(const Document& doc, const QByteArray& line, const QString& key, const QString& value)
{
    QStringDecoder gbk("GBK", QStringConverter::Flag::Stateless);
    const Parsed p = Classify(Decode(doc.utf8, line, gbk));
    return p.kind == Parsed::Key && SameName(p.name, key) &&
           CutToBytes(p.value, kMaxValueBytes) == AsReadBack(doc.utf8, value);
}

// A change to the file's bytes: [begin, end) becomes bytes.
struct Edit {
    qsizetype begin = 0;
    qsizetype end = 0;
    QByteArray bytes;
};

}  // namespace

Profile Profile::Load(const QString& path)
{
    Profile profile;
    LoadedFile file = ReadFile(path);
    profile.state_ = file.state;
    profile.doc_ = std::make_shared<const Document>(Parse(std::move(file.bytes)));
    return profile;
}

QString Profile::Read(const QString& section, const QString& key) const
{
    const std::optional<QString> value = doc_ ? StoredValue(*doc_, section, key) : std::nullopt;
    return value ? CutToBytes(*value, kMaxValueBytes) : QString();
}

bool Profile::IsCut(const QString& section, const QString& key) const
{
    const std::optional<QString> value = doc_ ? StoredValue(*doc_, section, key) : std::nullopt;
    return value && !ReadsWhole(*value);
}

bool ReadsWhole(const QString& value) { return CutToBytes(value, kMaxValueBytes).size() == value.size(); }

QString ReadProfileString(const QString& path, const QString& section, const QString& key)
{
    return Profile::Load(path).Read(section, key);
}

bool WriteProfileStrings(const QString& path, const QString& section, std::span<const ProfileEntry> entries)
{
    if (TrimBlanks(section).isEmpty())
        return false;
    for (const ProfileEntry& entry : entries) {
        if (TrimBlanks(entry.key).isEmpty())
            return false;
    }
    LoadedFile file = ReadFile(path);
    if (file.state == FileState::Unreadable)
        return false;
    const Document doc = Parse(std::move(file.bytes));
    const QByteArray& b = doc.bytes;
    const ParsedSection found = Scan(doc, section);

    // Keys the section has are changed on their own line; the others are collected, in order,
    // for one insertion.
    std::vector<Edit> edits;
    std::vector<ProfileEntry> added;
    for (const ProfileEntry& entry : entries) {
        const QString value = WithoutLineBreaks(entry.value);
        if (const ParsedKey* k = found.Find(entry.key)) {
            QByteArray line = Encode(doc.utf8, k->name + u'=' + value);
            if (!ReadsBackAs(doc, line, entry.key, value))
                return false;
            const auto same = std::find_if(edits.begin(), edits.end(), [&](const Edit& e) { return e.begin == k->line.begin; });
            if (same != edits.end())
                same->bytes = std::move(line);
            else
                edits.push_back({k->line.begin, k->line.end, std::move(line)});
            continue;
        }
        const auto same = std::find_if(added.begin(), added.end(), [&](const ProfileEntry& a) { return SameName(a.key, entry.key); });
        if (same != added.end())
            same->value = value;
        else
            added.push_back({entry.key, value});
    }

    if (!added.empty()) {
        Edit insert;
        if (found.found) {
            insert.begin = found.lastContent.next;
            if (found.lastContent.next == found.lastContent.end)  // the last line of the file, without a line break
                insert.bytes = doc.lineBreak;
        } else {
            insert.begin = b.size();
            if (b.size() > doc.bodyStart && !b.endsWith('\n') && !b.endsWith('\r'))
                insert.bytes = doc.lineBreak;
            const QByteArray header = Encode(doc.utf8, u'[' + section + u']');
            QStringDecoder gbk("GBK", QStringConverter::Flag::Stateless);
            const Parsed p = Classify(Decode(doc.utf8, header, gbk));
            if (p.kind != Parsed::Section || !SameName(p.name, section))
                return false;
            insert.bytes += header + doc.lineBreak;
        }
        insert.end = insert.begin;
        for (const ProfileEntry& entry : added) {
            const QByteArray line = Encode(doc.utf8, entry.key + u'=' + entry.value);
            if (!ReadsBackAs(doc, line, entry.key, entry.value))
                return false;
            insert.bytes += line + doc.lineBreak;
        }
        edits.push_back(std::move(insert));
    }

    const bool changes = std::any_of(edits.begin(), edits.end(), [&](const Edit& e) {
        return QByteArrayView(b.constData() + e.begin, e.end - e.begin) != QByteArrayView(e.bytes);
    });
    if (!changes) {
        // Nothing to change: the file is not touched, and nothing can fail.
        RemoveStaleTemporariesOf(path);
        return true;
    }

    // The new content as pieces of the old bytes and the changed lines, written without a copy
    // of the whole.
    std::sort(edits.begin(), edits.end(), [](const Edit& x, const Edit& y) { return x.begin < y.begin; });
    std::vector<QByteArrayView> pieces;
    qsizetype cursor = 0;
    for (const Edit& e : edits) {
        pieces.emplace_back(b.constData() + cursor, e.begin - cursor);
        pieces.emplace_back(e.bytes);
        cursor = e.end;
    }
    pieces.emplace_back(b.constData() + cursor, b.size() - cursor);
    return ReplaceFileContent(path, pieces);
}

bool WriteProfileString(const QString& path, const QString& section, const QString& key, const QString& value)
{
    const ProfileEntry entry{key, value};
    return WriteProfileStrings(path, section, std::span<const ProfileEntry>(&entry, 1));
}

}  // namespace qcal::settings
