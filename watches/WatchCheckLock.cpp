#include "watches/WatchCheckLock.h"

#include "core/DataFolder.h"

#include <QCryptographicHash>

namespace {

QString LockName(const QString& address) {
    return QString::fromLatin1(
               QCryptographicHash::hash(address.toUtf8(), QCryptographicHash::Sha1).toHex()) +
           QStringLiteral(".lock");
}

} // namespace

WatchCheckLock::WatchCheckLock(const QString& address, const QString& folder)
    : lock(folder, LockName(address)) {}

QString WatchCheckLock::Refusal() const {
    if (lock.HeldElsewhere())
        return QStringLiteral("another check of this watch is running: left to it");
    return lock.IsHeld() ? QString() : QStringLiteral("cannot lock the watch: ") + lock.Error();
}

QString WatchCheckLock::DefaultFolder() {
    return DataFolder::Path() + QStringLiteral("/Watching");
}
