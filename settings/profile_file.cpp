#include "settings/profile_file.h"

#include <QByteArray>
#include <QFile>
#include <QStringDecoder>
#include <QStringEncoder>

#include <optional>
#include <vector>

#include "settings/atomic_file.h"

namespace qcal::settings {

// One line of the file as byte offsets, so that lines we do not touch are copied back unchanged
// even when they are not valid text.
struct Line {
    qsizetype begin = 0;  // first byte of the text
    qsizetype end = 0;    // one past the text, before the line break
    qsizetype next = 0;   // first byte of the following line (== end on a last line without a break)
};

struct Document {
    QByteArray bytes;
    bool utf8 = false;
    QByteArray lineBreak = "\r\n";
    std::vector<Line> lines;
};

namespace {

constexpr char kUtf8Bom[] = "\xEF\xBB\xBF";
constexpr qsizetype kUtf8BomSize = 3;

// Where the line that starts at pos ends: CR LF, LF and a lone CR all end a line. (GBK never uses
// either byte inside a character, so splitting the bytes is safe.)
Line NextLine(const QByteArray& b, qsizetype pos)
{
    Line line;
    line.begin = pos;
    qsizetype i = pos;
    while (i < b.size() && b[i] != '\n' && b[i] != '\r')
        ++i;
    line.end = i;
    if (i < b.size())
        line.next = (b[i] == '\r' && i + 1 < b.size() && b[i + 1] == '\n') ? i + 2 : i + 1;
    else
        line.next = i;
    return line;
}

Document Split(QByteArray bytes)
{
    Document doc;
    doc.bytes = std::move(bytes);
    const QByteArray& b = doc.bytes;
    doc.utf8 = b.startsWith(kUtf8Bom);

    qsizetype pos = doc.utf8 ? kUtf8BomSize : 0;
    bool styleKnown = false;
    while (pos < b.size()) {
        const Line line = NextLine(b, pos);
        if (!styleKnown && line.next > line.end) {
            // New lines follow the file's first line break.
            doc.lineBreak = b.mid(line.end, line.next - line.end);
            styleKnown = true;
        }
        doc.lines.push_back(line);
        pos = line.next;
    }
    return doc;
}

QString Decode(const Document& doc, const Line& line, QStringDecoder& gbk)
{
    const QByteArrayView text(doc.bytes.constData() + line.begin, line.end - line.begin);
    if (doc.utf8)
        return QString::fromUtf8(text);
    // A lead byte cut off at the end of a line must not swallow the next line's first byte.
    gbk.resetState();
    return gbk.decode(text);
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

// Where a key sits: the first section of that name, its first line for the key, and its last line
// that is not blank (a new key goes after it, leaving blank separator lines before the next section).
struct Location {
    qsizetype header = -1;
    qsizetype key = -1;
    qsizetype lastContent = -1;
    QString keyName;  // as spelled in the file
    QString value;
};

Location Locate(const Document& doc, const QString& section, const QString& key)
{
    Location loc;
    QStringDecoder gbk("GBK", QStringConverter::Flag::Stateless);
    for (qsizetype i = 0; i < qsizetype(doc.lines.size()); ++i) {
        const QString text = Decode(doc, doc.lines[i], gbk);
        const Parsed p = Classify(text);
        if (p.kind == Parsed::Section) {
            if (loc.header >= 0)
                break;  // the section ended
            if (SameName(p.name, section))
                loc.header = loc.lastContent = i;
            continue;
        }
        if (loc.header < 0)
            continue;
        if (!TrimBlanks(text).isEmpty())
            loc.lastContent = i;
        if (p.kind == Parsed::Key && loc.key < 0 && SameName(p.name, key)) {
            loc.key = i;
            loc.keyName = p.name;
            loc.value = p.value;
        }
    }
    return loc;
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

// nullopt when the file exists but cannot be read: writing it then would throw its content away.
std::optional<Document> Load(const QString& path)
{
    QFile file(path);
    if (!file.exists())
        return Document{};
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    QByteArray bytes = file.readAll();
    if (file.error() != QFile::NoError)
        return std::nullopt;
    return Split(std::move(bytes));
}

QString ReadValue(const Document& doc, const QString& section, const QString& key)
{
    const Location loc = Locate(doc, section, key);
    return loc.key < 0 ? QString() : CutToBytes(loc.value, kMaxValueBytes);
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

// The file's bytes with key set to value in section.
QByteArray WithEntry(const Document& doc, const QString& section, const QString& key, const QString& value)
{
    const Location loc = Locate(doc, section, key);
    const QByteArray& b = doc.bytes;
    if (loc.key >= 0) {
        const Line& line = doc.lines[loc.key];
        return b.left(line.begin) + Encode(doc.utf8, loc.keyName + u'=' + value) + b.mid(line.end);
    }
    if (loc.header >= 0) {
        const Line& after = doc.lines[loc.lastContent];
        QByteArray insert = Encode(doc.utf8, key + u'=' + value) + doc.lineBreak;
        if (after.next == after.end)  // the last line of the file, without a line break
            insert.prepend(doc.lineBreak);
        return b.left(after.next) + insert + b.mid(after.next);
    }
    QByteArray out = b;
    const qsizetype bodyStart = doc.utf8 ? kUtf8BomSize : 0;
    if (out.size() > bodyStart && !out.endsWith('\n') && !out.endsWith('\r'))
        out += doc.lineBreak;
    out += Encode(doc.utf8, u'[' + section + u']') + doc.lineBreak;
    out += Encode(doc.utf8, key + u'=' + value) + doc.lineBreak;
    return out;
}

QString WithoutLineBreaks(QString value)
{
    value.remove(u'\r');
    value.remove(u'\n');
    return value;
}

}  // namespace

Profile Profile::Load(const QString& path)
{
    Profile profile;
    std::optional<Document> doc = qcal::settings::Load(path);
    profile.doc_ = std::make_shared<const Document>(doc ? std::move(*doc) : Document{});
    return profile;
}

QString Profile::Read(const QString& section, const QString& key) const
{
    return doc_ ? ReadValue(*doc_, section, key) : QString();
}

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
    const std::optional<Document> loaded = Load(path);
    if (!loaded)
        return false;

    Document doc = *loaded;
    for (const ProfileEntry& entry : entries)
        doc = Split(WithEntry(doc, section, entry.key, WithoutLineBreaks(entry.value)));

    // Whatever the file looked like, a write that says it succeeded must read back.
    for (const ProfileEntry& entry : entries) {
        if (ReadValue(doc, section, entry.key) != AsReadBack(doc.utf8, WithoutLineBreaks(entry.value)))
            return false;
    }
    if (doc.bytes == loaded->bytes) {
        // Nothing to change: the file is not touched, and nothing can fail.
        RemoveStaleTemporariesOf(path);
        return true;
    }
    return ReplaceFileContent(path, doc.bytes);
}

bool WriteProfileString(const QString& path, const QString& section, const QString& key, const QString& value)
{
    const ProfileEntry entry{key, value};
    return WriteProfileStrings(path, section, std::span<const ProfileEntry>(&entry, 1));
}

}  // namespace qcal::settings
