#pragma once

#include "download/DownloadProgressSink.h"
#include "download/DownloadWorker.h"

#include <QDir>
#include <QMutex>
#include <QMutexLocker>
#include <QStringList>

#include <atomic>
#include <memory>
#include <thread>

// A copy with a buffer of its own: a shared copy would let the worker's next
// append reuse the buffer the test thread has just read.
template <typename T> QList<T> OwnCopy(const QList<T>& list) {
    return QList<T>(list.cbegin(), list.cend());
}

// Everything a worker reported, in order, readable while the worker runs.
struct WorkerReports {
    mutable QMutex mutex;
    QStringList events;
    QList<int> filesLeft;
    QStringList messages;
    QStringList failures; // "index: reason"

    QStringList Events() const {
        QMutexLocker guard(&mutex);
        return OwnCopy(events);
    }
    QList<int> FilesLeft() const {
        QMutexLocker guard(&mutex);
        return OwnCopy(filesLeft);
    }
    QStringList Messages() const {
        QMutexLocker guard(&mutex);
        return OwnCopy(messages);
    }
    QStringList Failures() const {
        QMutexLocker guard(&mutex);
        return OwnCopy(failures);
    }
    bool Ended() const { return Events().contains(QStringLiteral("animation stopped")); }
};

class RecordingSink : public DownloadProgressSink {
public:
    explicit RecordingSink(std::shared_ptr<WorkerReports> reports) : reports(std::move(reports)) {}

    void AnimationStarted() override { Add(QStringLiteral("animation started")); }
    void AnimationStopped() override { Add(QStringLiteral("animation stopped")); }
    void FilesLeft(int count) override {
        QMutexLocker guard(&reports->mutex);
        reports->filesLeft.append(count);
        reports->events.append(QStringLiteral("files left %1").arg(count));
    }
    void Message(const QString& text) override {
        QMutexLocker guard(&reports->mutex);
        reports->messages.append(text);
        reports->events.append(QStringLiteral("message ") + text);
    }
    void FileFinished(int index, const QString& name, bool saved, const QString& reason) override {
        QMutexLocker guard(&reports->mutex);
        reports->events.append(QStringLiteral("%1 %2").arg(saved ? "saved" : "failed", name));
        if (!saved)
            reports->failures.append(QStringLiteral("%1: %2").arg(index).arg(reason));
    }

private:
    void Add(const QString& event) {
        QMutexLocker guard(&reports->mutex);
        reports->events.append(event);
    }

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
