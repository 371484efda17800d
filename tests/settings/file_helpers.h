#pragma once
// Small helpers of the store tests: GBK bytes, and whole files read and written as bytes.

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QStringEncoder>

#include <vector>

namespace qcal::settings::test {

inline QByteArray Gbk(const QString& s)
{
    QStringEncoder enc("GBK", QStringConverter::Flag::Stateless);
    return enc.encode(s);
}

inline QByteArray Bytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

inline bool PutBytes(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

// Where each line of a file lies, found the plain way, byte by byte: CR LF, LF and a lone CR end
// a line; a leading UTF-8 byte-order mark is not part of the first.
struct LineSpan {
    qsizetype begin;  // first byte of the text
    qsizetype end;    // one past the text
    qsizetype next;   // first byte of the following line
};

inline std::vector<LineSpan> SplitLines(const QByteArray& b)
{
    std::vector<LineSpan> lines;
    qsizetype i = b.startsWith("\xEF\xBB\xBF") ? 3 : 0;
    while (i < b.size()) {
        qsizetype j = i;
        while (j < b.size() && b[j] != '\r' && b[j] != '\n')
            ++j;
        qsizetype k = j;
        if (k < b.size())
            k += (b[k] == '\r' && k + 1 < b.size() && b[k + 1] == '\n') ? 2 : 1;
        lines.push_back({i, j, k});
        i = k;
    }
    return lines;
}

} // namespace qcal::settings::test
