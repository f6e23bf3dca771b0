#pragma once

#include <QString>
#include <QtGlobal>

// What one check of a watch came to. A check fails when it cannot load the
// page, or when the page gives no picture where it gave some at the last good
// check (a login that ran out, a page made anew): the watch keeps its
// pictures, is marked failing with the reason and time, and is tried again.
struct WatchCheck {
    qint64 time = 0;
    int pictures = 0; // the pictures the page gave
    int newCount = 0; // of them, saved now and not seen before
    QString failure;  // why the check failed; empty when it did not

    bool Failed() const { return !failure.isEmpty(); }

    // The check that loaded the page (loadFailure empty, else why not) and
    // found pictures on it, newCount of them new, where the last good check
    // found picturesBefore.
    static WatchCheck Judge(qint64 time, const QString& loadFailure, int pictures,
                            int picturesBefore, int newCount);
};
