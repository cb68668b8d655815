#include "platform/AtomicFile.h"

#include <QFile>
#include <QFileInfo>

#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::atomic<unsigned> g_counter{0};

bool WriteAll(int fd, const char* data, qsizetype size)
{
    while (size > 0) {
        const ssize_t written = ::write(fd, data, static_cast<size_t>(size));
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += written;
        size -= written;
    }
    return true;
}

// Makes a rename in the folder durable.
void SyncFolder(const QByteArray& folder)
{
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

} // namespace

namespace AtomicFile {

bool Write(const QString& path, const QByteArray& data)
{
    const QByteArray target = QFile::encodeName(path);
    const QByteArray folder = QFile::encodeName(QFileInfo(path).absolutePath());

    // A fresh name beside the target; O_EXCL keeps two writers from sharing one.
    int fd = -1;
    QByteArray temp;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temp = target + ".tmp-" + QByteArray::number(::getpid()) + "-" + QByteArray::number(g_counter++);
        fd = ::open(temp.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST)
            return false;
    }
    if (fd < 0)
        return false;

    // Keep the permissions of the file being replaced.
    struct stat old {};
    if (::stat(target.constData(), &old) == 0)
        ::fchmod(fd, old.st_mode & 07777);

    bool ok = WriteAll(fd, data.constData(), data.size());
    ok = ok && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    if (ok)
        ok = ::rename(temp.constData(), target.constData()) == 0;
    if (!ok) {
        ::unlink(temp.constData());
        return false;
    }
    SyncFolder(folder);
    return true;
}

bool MoveAside(const QString& path, QString* newPath, const QDateTime& nowUtc)
{
    const QByteArray source = QFile::encodeName(path);
    struct stat st {};
    if (::lstat(source.constData(), &st) != 0)
        return errno == ENOENT;

    const QString base = path + ".unreadable-" + nowUtc.toUTC().toString("yyyyMMddHHmmss");
    for (int n = 1; n < 1000; ++n) {
        const QString candidate = n == 1 ? base : base + "-" + QString::number(n);
        const QByteArray target = QFile::encodeName(candidate);
        // link + unlink instead of rename, so an earlier moved-aside file is never replaced.
        if (::link(source.constData(), target.constData()) == 0) {
            ::unlink(source.constData());
            SyncFolder(QFile::encodeName(QFileInfo(path).absolutePath()));
            if (newPath)
                *newPath = candidate;
            return true;
        }
        if (errno == EEXIST)
            continue;
        // Hard links not possible here (another file system type): rename when the name is free.
        struct stat taken {};
        if (::lstat(target.constData(), &taken) == 0)
            continue;
        if (::rename(source.constData(), target.constData()) == 0) {
            SyncFolder(QFile::encodeName(QFileInfo(path).absolutePath()));
            if (newPath)
                *newPath = candidate;
            return true;
        }
        return false;
    }
    return false;
}

} // namespace AtomicFile
