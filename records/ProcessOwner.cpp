#include "records/ProcessOwner.h"

#include "core/DataFolder.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QUuid>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString LockFolder() {
    return DataFolder::Path() + QStringLiteral("/Running");
}

QByteArray LockPath(const QString& owner) {
    return QFile::encodeName(LockFolder() + QLatin1Char('/') + owner + QStringLiteral(".lock"));
}

} // namespace

ProcessOwner::ProcessOwner() : name(QUuid::createUuid().toString(QUuid::WithoutBraces)) {
    QDir().mkpath(LockFolder());
    lock = ::open(LockPath(name).constData(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                  0600);
    // Without its lock the owner passes for ended: others may take its claims,
    // which costs at most a second fetch.
    if (lock >= 0 && ::flock(lock, LOCK_EX | LOCK_NB) != 0) {
        ::close(lock);
        lock = -1;
    }
}

ProcessOwner::~ProcessOwner() {
    if (lock < 0)
        return;
    ::unlink(LockPath(name).constData());
    ::close(lock);
}

QString ProcessOwner::This() {
    static const ProcessOwner process;
    return process.Name();
}

bool ProcessOwner::IsOwnerName(const QString& owner) {
    static const QRegularExpression form(
        QStringLiteral("^[0-9a-f]{8}-[0-9a-f]{4}-[0-9a-f]{4}-[0-9a-f]{4}-[0-9a-f]{12}$"));
    return form.match(owner).hasMatch();
}

bool ProcessOwner::IsRunning(const QString& owner) {
    if (!IsOwnerName(owner))
        return false;
    const QByteArray path = LockPath(owner);
    const int probe = ::open(path.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (probe < 0)
        return false;
    struct stat info {};
    bool running = false;
    if (::fstat(probe, &info) == 0 && S_ISREG(info.st_mode)) {
        if (::flock(probe, LOCK_SH | LOCK_NB) == 0)
            // An owner that ended without a word (killed) leaves its file behind.
            ::unlink(path.constData());
        else
            running = errno == EWOULDBLOCK;
    }
    ::close(probe);
    return running;
}
