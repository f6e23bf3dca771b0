#pragma once

#include "watches/AdvisoryLock.h"

#include <QString>

// Keeps two checks of one watch apart, in one process or in several: a check
// goes on only while it holds its watch's lock, and one that finds the lock
// held leaves the watch to the check that holds it. The lock is a file named
// by the address's SHA-1 ("<40 hex digits>.lock") in the data folder's
// "Watching" folder.
class WatchCheckLock {
public:
    // Takes the lock of the watch of address, waiting for no other check.
    explicit WatchCheckLock(const QString& address, const QString& folder = DefaultFolder());

    bool IsHeld() const { return lock.IsHeld(); }
    // Why the check does not go on: another check of the watch runs, or the
    // lock could not be taken. Empty while held.
    QString Refusal() const;

    static QString DefaultFolder();

private:
    AdvisoryLock lock;
};
