#pragma once

#include "fetch/DownloadHandle.h"

#include <QString>

// How running downloads are told in words: bytes, speeds and times in short
// units, a file's or job's progress, and a pause, such as
// "12 of 40 files, 5.0 MB of 80 MB, 3.2 MB/s, about 20 s left".
struct DownloadProgressText {
    // "512 B", "3.2 MB", "140 MB": powers of 1000, three figures at most.
    static QString Bytes(qint64 bytes);
    // "about 20 s left", "about 3 min left", "about 2 h 5 min left".
    static QString TimeLeft(qint64 seconds);
    // "1.2 MB of 4.0 MB", or "1.2 MB" while the total is unknown.
    static QString Amount(qint64 received, qint64 total);
    // "3.2 MB/s, about 20 s left": what is known of it, empty at a standstill.
    static QString Pace(qint64 bytesPerSecond, qint64 secondsLeft);
    // Running downloads: files done (saved or there already) of all, the
    // failed ones apart, their bytes, then their pace; or that they are paused.
    static QString Totals(const DownloadHandle::Totals& totals, int failed, bool paused);
    // The message line once every running download is paused.
    static QString Paused(int done, int total, int failed);
};
