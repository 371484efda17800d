#pragma once
// Small helpers of the store tests: GBK bytes, and whole files read and written as bytes.

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QStringEncoder>

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

} // namespace qcal::settings::test
