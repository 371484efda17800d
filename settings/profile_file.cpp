#include "settings/profile_file.h"

#include <QByteArray>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>
#include <QStringEncoder>

#include <optional>
#include <vector>

namespace qcal::settings {
namespace {

constexpr char kUtf8Bom[] = "\xEF\xBB\xBF";
constexpr qsizetype kUtf8BomSize = 3;

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

Document Split(QByteArray bytes)
{
    Document doc;
    doc.bytes = std::move(bytes);
    const QByteArray& b = doc.bytes;
    doc.utf8 = b.startsWith(kUtf8Bom);

    const qsizetype firstBreak = b.indexOf('\n');
    if (firstBreak > 0 && b[firstBreak - 1] != '\r')
        doc.lineBreak = "\n";

    qsizetype pos = doc.utf8 ? kUtf8BomSize : 0;
    while (pos < b.size()) {
        Line line;
        line.begin = pos;
        const qsizetype nl = b.indexOf('\n', pos);
        if (nl < 0) {
            line.end = line.next = b.size();
        } else {
            line.end = (nl > pos && b[nl - 1] == '\r') ? nl - 1 : nl;
            line.next = nl + 1;
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

}  // namespace

QString ReadProfileString(const QString& path, const QString& section, const QString& key)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const Document doc = Split(file.readAll());
    const Location loc = Locate(doc, section, key);
    if (loc.key < 0)
        return {};
    return CutToBytes(loc.value, kMaxValueBytes);
}

bool WriteProfileString(const QString& path, const QString& section, const QString& key, const QString& value)
{
    if (TrimBlanks(section).isEmpty() || TrimBlanks(key).isEmpty())
        return false;
    const std::optional<Document> loaded = Load(path);
    if (!loaded)
        return false;
    const Document& doc = *loaded;

    QString clean = value;
    clean.remove(u'\r');
    clean.remove(u'\n');

    const Location loc = Locate(doc, section, key);
    const QByteArray& b = doc.bytes;
    QByteArray out;
    if (loc.key >= 0) {
        const Line& line = doc.lines[loc.key];
        out = b.left(line.begin) + Encode(doc.utf8, loc.keyName + u'=' + clean) + b.mid(line.end);
    } else if (loc.header >= 0) {
        const Line& after = doc.lines[loc.lastContent];
        QByteArray insert = Encode(doc.utf8, key + u'=' + clean) + doc.lineBreak;
        if (after.next == after.end)  // the last line of the file, without a line break
            insert.prepend(doc.lineBreak);
        out = b.left(after.next) + insert + b.mid(after.next);
    } else {
        out = b;
        const qsizetype bodyStart = doc.utf8 ? kUtf8BomSize : 0;
        if (out.size() > bodyStart && !out.endsWith('\n'))
            out += doc.lineBreak;
        out += Encode(doc.utf8, u'[' + section + u']') + doc.lineBreak;
        out += Encode(doc.utf8, key + u'=' + clean) + doc.lineBreak;
    }

    QSaveFile file(path);
    // A directory that forbids new files still lets us keep a writable QCAL.INI up to date.
    file.setDirectWriteFallback(true);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (file.write(out) != out.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

}  // namespace qcal::settings
