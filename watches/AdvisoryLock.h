#pragma once

#include <QString>

// An advisory lock (flock) on a file of a folder, held while the object lives.
// The system lets go of it however its process ends, so a lock is never left
// behind by a process that was killed; nothing else (a process number, a
// file's being there) counts as a sign that another holds it. The file is made
// when missing and removed by its holder as it lets go. Locks of two objects
// exclude each other as those of two processes do.
class AdvisoryLock {
public:
    // Takes the lock of folder/name, waiting up to waitMilliseconds for
    // another holder to let go (0: not at all).
    AdvisoryLock(const QString& folder, const QString& name, int waitMilliseconds = 0);
    ~AdvisoryLock();
    AdvisoryLock(const AdvisoryLock&) = delete;
    AdvisoryLock& operator=(const AdvisoryLock&) = delete;

    bool IsHeld() const { return file >= 0; }
    // Not held because another holds it.
    bool HeldElsewhere() const { return elsewhere; }
    // Why the lock could not be taken at all; empty when it was, or is held elsewhere.
    QString Error() const { return error; }

private:
    enum class Attempt { Held, Busy, Again, Failed };
    Attempt TryOnce();

    int folder = -1;
    int file = -1;
    QByteArray name;
    bool elsewhere = false;
    QString error;
};
