#include "records/ProcessOwner.h"

#include "core/DataFolder.h"

#include <QDir>
#include <QFileInfo>
#include <QLockFile>
#include <QUuid>

namespace {

QString LockPath(const QString& owner) {
    return DataFolder::Path() + QStringLiteral("/Running/") + owner + QStringLiteral(".lock");
}

} // namespace

QString ProcessOwner::This() {
    static const QString owner = [] {
        const QString name = QUuid::createUuid().toString(QUuid::WithoutBraces);
        QDir().mkpath(QFileInfo(LockPath(name)).path());
        static QLockFile held(LockPath(name));
        held.setStaleLockTime(0);
        held.tryLock(0);
        return name;
    }();
    return owner;
}

bool ProcessOwner::IsRunning(const QString& owner) {
    if (owner.isEmpty())
        return false;
    QLockFile probe(LockPath(owner));
    probe.setStaleLockTime(0);
    // Taken (and let go of at once) only when its process has ended.
    return !probe.tryLock(0);
}
