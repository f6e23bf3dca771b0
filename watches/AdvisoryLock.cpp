#include "watches/AdvisoryLock.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QThread>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int PollMilliseconds = 20;

QString SystemError(const QString& what) {
    return what + QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(errno));
}

} // namespace

AdvisoryLock::AdvisoryLock(const QString& folderPath, const QString& fileName, int waitMilliseconds)
    : name(QFile::encodeName(fileName)) {
    QDir().mkpath(folderPath);
    folder = ::open(QFile::encodeName(folderPath).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder < 0) {
        error = SystemError(folderPath);
        return;
    }
    QElapsedTimer waited;
    waited.start();
    for (Attempt attempt = TryOnce(); attempt != Attempt::Held; attempt = TryOnce()) {
        if (attempt == Attempt::Failed)
            return;
        if (attempt == Attempt::Busy && waited.elapsed() >= waitMilliseconds) {
            elsewhere = true;
            return;
        }
        if (attempt == Attempt::Busy)
            QThread::msleep(PollMilliseconds);
    }
}

AdvisoryLock::Attempt AdvisoryLock::TryOnce() {
    const QString shown = QFile::decodeName(name);
    const int opened = ::openat(folder, name.constData(),
                                O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600);
    if (opened < 0) {
        error = SystemError(shown);
        return Attempt::Failed;
    }
    struct stat own {};
    if (::fstat(opened, &own) != 0 || !S_ISREG(own.st_mode)) {
        error = shown + QStringLiteral(": not a plain file");
        ::close(opened);
        return Attempt::Failed;
    }
    if (::flock(opened, LOCK_EX | LOCK_NB) != 0) {
        const int reason = errno;
        ::close(opened);
        if (reason == EWOULDBLOCK)
            return Attempt::Busy;
        if (reason == EINTR)
            return Attempt::Again;
        errno = reason;
        error = SystemError(shown);
        return Attempt::Failed;
    }
    // A holder that let go just before removed the file this one locked: only
    // the file under the name now counts.
    struct stat named {};
    if (::fstatat(folder, name.constData(), &named, AT_SYMLINK_NOFOLLOW) != 0 ||
        named.st_ino != own.st_ino || named.st_dev != own.st_dev) {
        ::close(opened);
        return Attempt::Again;
    }
    file = opened;
    return Attempt::Held;
}

AdvisoryLock::~AdvisoryLock() {
    // Removed while still held, so no one takes the lock of a file no longer named.
    if (file >= 0) {
        ::unlinkat(folder, name.constData(), 0);
        ::close(file);
    }
    if (folder >= 0)
        ::close(folder);
}
