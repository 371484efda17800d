#include "settings/atomic_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <climits>
#include <fstream>
#include <stdexcept>
#include <string>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qcal::settings {
namespace {

// Our temporaries are "<name>.~XXXXXX.tmp": a pattern that a user's own copy is unlikely to have.
constexpr char kTemporaryInfix[] = ".~";
constexpr int kTemporaryInfixLength = 2;
constexpr char kTemporarySuffix[] = ".tmp";
constexpr int kTemporarySuffixLength = 4;
constexpr int kRandomLength = 6;

std::string Native(const QString& path) { return QFile::encodeName(path).toStdString(); }

// The file a write really replaces: the end of a chain of symbolic links, so that the links survive
// and a dangling one gets its target. Empty when the chain loops or cannot be read.
QString Target(const QString& path)
{
    constexpr int kMaxLinks = 40;  // as the kernel allows before ELOOP
    QString current = QFileInfo(path).absoluteFilePath();
    for (int hop = 0; hop <= kMaxLinks; ++hop) {
        const std::string native = Native(current);
        struct stat st {};
        if (::lstat(native.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
            return current;
        std::string target(PATH_MAX, '\0');
        const ssize_t n = ::readlink(native.c_str(), target.data(), target.size());
        if (n <= 0 || n >= static_cast<ssize_t>(target.size()))
            return QString();
        target.resize(static_cast<size_t>(n));
        current = QFileInfo(QFileInfo(current).absoluteDir(), QFile::decodeName(target.c_str())).absoluteFilePath();
    }
    return QString();
}

bool WriteAll(int fd, QByteArrayView bytes)
{
    const char* data = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, data, static_cast<size_t>(left));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data += n;
        left -= n;
    }
    return true;
}

// The process's file-creation mask, read without changing it: setting and restoring it with umask()
// would let another thread create a file with no mask at all in between.
mode_t CurrentUmask()
{
    // Not QFile: it takes the reported size of 0 for the end of the file.
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("Umask:", 0) == 0) {
            try {
                return static_cast<mode_t>(std::stoul(line.substr(6), nullptr, 8) & 0777);
            } catch (const std::exception&) {
                break;
            }
        }
    }
    return 022;
}

mode_t PermissionsFor(const std::string& target)
{
    struct stat st {};
    if (::stat(target.c_str(), &st) == 0)
        return st.st_mode & 07777;
    return 0666 & ~CurrentUmask();
}

} // namespace

// A leftover of a writer that died is unlocked; a live writer holds its lock until it renamed.
void RemoveStaleTemporaries(const QString& directory, const QString& baseName)
{
    const QDir dir(directory);
    const QStringList candidates =
        dir.entryList({baseName + QString::fromLatin1(kTemporaryInfix) + u'*' + QString::fromLatin1(kTemporarySuffix)},
                      QDir::Files | QDir::Hidden | QDir::System);
    for (const QString& name : candidates) {
        if (!IsTemporaryOf(name, baseName))
            continue;
        const std::string path = Native(dir.filePath(name));
        const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
        if (fd < 0)
            continue;
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0)
            ::unlink(path.c_str());
        ::close(fd);
    }
}

namespace {

// A temporary file of our name pattern, locked, still the one at its name; -1 when none could be made.
int OpenTemporary(const QString& target, std::string& name)
{
    for (int attempt = 0; attempt < 3; ++attempt) {
        name = Native(target) + kTemporaryInfix + std::string(kRandomLength, 'X') + kTemporarySuffix;
        const int fd = ::mkostemps(name.data(), kTemporarySuffixLength, O_CLOEXEC);
        if (fd < 0)
            return -1;
        // Between creating and locking, another instance's clean-up could have taken it for a
        // leftover; then the name no longer leads to this file and we start again.
        struct stat mine {}, there {};
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0 && ::fstat(fd, &mine) == 0 && ::stat(name.c_str(), &there) == 0 &&
            mine.st_ino == there.st_ino && mine.st_dev == there.st_dev)
            return fd;
        ::close(fd);
    }
    return -1;
}

void SyncDirectory(const QString& directory)
{
    const int fd = ::open(Native(directory).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fsync(fd);  // the rename is done either way; this only hurries it to the disk
    ::close(fd);
}

} // namespace

bool IsTemporaryOf(const QString& fileName, const QString& baseName)
{
    const qsizetype randomStart = baseName.size() + kTemporaryInfixLength;
    if (fileName.size() != randomStart + kRandomLength + kTemporarySuffixLength ||
        !fileName.startsWith(baseName + QString::fromLatin1(kTemporaryInfix)) ||
        !fileName.endsWith(QString::fromLatin1(kTemporarySuffix)))
        return false;
    for (qsizetype i = randomStart; i < randomStart + kRandomLength; ++i) {
        const QChar c = fileName[i];
        if (!(c.isDigit() || (c.unicode() < 128 && c.isLetter())))
            return false;
    }
    return true;
}

void RemoveStaleTemporariesOf(const QString& path)
{
    const QFileInfo target(Target(path));
    RemoveStaleTemporaries(target.absolutePath(), target.fileName());
}

bool ReplaceFileContent(const QString& path, const QByteArray& bytes)
{
    const QByteArrayView whole(bytes);
    return ReplaceFileContent(path, std::span<const QByteArrayView>(&whole, 1));
}

bool ReplaceFileContent(const QString& path, std::span<const QByteArrayView> pieces)
{
    const QString target = Target(path);
    if (target.isEmpty())
        return false;
    const QString directory = QFileInfo(target).absolutePath();
    if (!QDir().mkpath(directory))
        return false;
    const std::string targetName = Native(target);
    // A file made read-only, or another user's, is not ours to replace, although the directory
    // would let a rename do it. Root passes every access() test, so the mode is read as well.
    struct stat old {};
    const bool exists = ::stat(targetName.c_str(), &old) == 0;
    if (exists && (!S_ISREG(old.st_mode) || (old.st_mode & 0222) == 0 || ::access(targetName.c_str(), W_OK) != 0))
        return false;
    RemoveStaleTemporaries(directory, QFileInfo(target).fileName());

    std::string temporary;
    const int fd = OpenTemporary(target, temporary);
    if (fd < 0)
        return false;
    // Root saving a user's file leaves it the user's: otherwise their next session could not write
    // it. (Others cannot give a file away; theirs becomes their own, as any editor's save does.)
    bool written = true;
    if (exists && (old.st_uid != ::geteuid() || old.st_gid != ::getegid()))
        written = ::fchown(fd, old.st_uid, old.st_gid) == 0 || ::geteuid() != 0;
    written = written && ::fchmod(fd, PermissionsFor(targetName)) == 0;
    for (const QByteArrayView piece : pieces)
        written = written && WriteAll(fd, piece);
    written = written && ::fsync(fd) == 0 && ::rename(temporary.c_str(), targetName.c_str()) == 0;
    if (!written)
        ::unlink(temporary.c_str());
    // Closed only now: the lock marks the temporary as live until it has its final name.
    ::close(fd);
    if (written)
        SyncDirectory(directory);
    return written;
}

} // namespace qcal::settings
