#pragma once

#include "download/DownloadProgressSink.h"
#include "download/DownloadWorker.h"

#include <QDir>
#include <QMutex>
#include <QMutexLocker>
#include <QStringList>
#include <QTest>

#include <atomic>
#include <memory>
#include <thread>

// Everything a worker reported, one line per report in order, readable while
// the worker runs.
struct WorkerReports {
    mutable QMutex mutex;
    QStringList events;

    void Add(const QString& event) {
        QMutexLocker guard(&mutex);
        events.append(event);
    }
    // A copy with a buffer of its own: a shared copy would let the worker's
    // next append reuse the buffer this thread has just read.
    QStringList All() const {
        QMutexLocker guard(&mutex);
        return QStringList(events.cbegin(), events.cend());
    }
    // Every report but progress, which comes as the network pleases.
    QStringList Events() const {
        QStringList all = All();
        all.removeIf([](const QString& event) { return event.startsWith("progress "); });
        return all;
    }
    // The reports starting with prefix, without it.
    QStringList Matching(const QString& prefix) const {
        QStringList found;
        for (const QString& event : All()) {
            if (event.startsWith(prefix))
                found.append(event.mid(prefix.size()));
        }
        return found;
    }
    QList<int> FilesLeft() const {
        QList<int> counts;
        for (const QString& count : Matching(QStringLiteral("files left ")))
            counts.append(count.toInt());
        return counts;
    }
    QStringList Messages() const { return Matching(QStringLiteral("message ")); }
    QStringList Failures() const { return Matching(QStringLiteral("failed ")); }
    bool Ended() const { return Events().contains(QStringLiteral("animation stopped")); }
};

class RecordingSink : public DownloadProgressSink {
public:
    explicit RecordingSink(std::shared_ptr<WorkerReports> reports) : reports(std::move(reports)) {}

    void AnimationStarted() override { reports->Add(QStringLiteral("animation started")); }
    void AnimationStopped() override { reports->Add(QStringLiteral("animation stopped")); }
    void FilesLeft(int count) override { reports->Add(QStringLiteral("files left %1").arg(count)); }
    void Message(const QString& text) override { reports->Add(QStringLiteral("message ") + text); }
    void FileFinished(int, const QString& name, bool saved, const QString& reason) override {
        reports->Add(saved ? QStringLiteral("saved ") + name
                           : QStringLiteral("failed %1: %2").arg(name, reason));
    }
    void FileProgress(int index, qint64 received, qint64 total) override {
        reports->Add(QStringLiteral("progress %1 %2 %3").arg(index).arg(received).arg(total));
    }

private:
    std::shared_ptr<WorkerReports> reports;
};

// One worker running a job on a thread of its own while the test's event loop
// serves the requests.
class WorkerRun {
public:
    explicit WorkerRun(DownloadJob job)
        : reports(std::make_shared<WorkerReports>()),
          worker(std::move(job), std::make_unique<RecordingSink>(reports)) {}
    ~WorkerRun() {
        worker.RequestCancel();
        if (thread.joinable())
            thread.join();
    }

    void Start() {
        thread = std::thread([this] {
            saved = worker.Run();
            done = true;
        });
    }
    bool Done() const { return done; }
    // Serves this thread's event loop until the worker has ended.
    bool WaitDone(int timeoutMs = 30000) {
        return QTest::qWaitFor([this] { return Done(); }, timeoutMs);
    }
    bool RunToEnd(int timeoutMs = 30000) {
        Start();
        return WaitDone(timeoutMs);
    }

    std::shared_ptr<WorkerReports> reports;
    DownloadWorker worker;
    std::thread thread;
    std::atomic<int> saved{-1};
    std::atomic<bool> done{false};
};

// Every file in folder, hidden ones included, sorted by name.
inline QStringList FilesIn(const QString& folder) {
    return QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}
