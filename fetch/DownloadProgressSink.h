#pragma once

#include <QString>

// What a download worker reports while it runs. The worker calls these on its
// own thread, in the order things happen; implementations that show the reports
// in windows pass them on to the user-interface thread in that order.
class DownloadProgressSink {
public:
    virtual ~DownloadProgressSink() = default;

    virtual void AnimationStarted() = 0;
    virtual void AnimationStopped() = 0;
    virtual void FilesLeft(int count) = 0;
    virtual void Message(const QString& text) = 0;
    // One entry of the job is done: saved under its destination, or not, with
    // a short reason.
    virtual void FileFinished(int index, const QString& name, bool saved,
                              const QString& reason) = 0;
    // Bytes of one entry received so far, of total (0 when unknown).
    virtual void FileProgress(int /*index*/, qint64 /*received*/, qint64 /*total*/) {}
    // The job stops because the program ends: what it has not finished is to
    // be continued by a later run. Comes before AnimationStopped.
    virtual void Interrupted() {}
    // One entry failed for a passing reason and waits before try nextTry of tries.
    virtual void FileRetrying(int /*index*/, int /*nextTry*/, int /*tries*/) {}

    // The reason given for an entry that ended unsaved because its job was cancelled.
    static QString CancelledReason() { return QStringLiteral("cancelled"); }
};
