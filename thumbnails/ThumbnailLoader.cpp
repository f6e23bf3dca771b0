#include "thumbnails/ThumbnailLoader.h"

#include "thumbnails/ThumbnailMaker.h"
#include "transfer/TransferRules.h"

#include <QMetaObject>
#include <QTimer>

#include <functional>
#include <limits>
#include <mutex>
#include <thread>

// Closed as the loader goes, so a task that outlives it hands its result to no one.
class ThumbnailLoader::Outbox {
public:
    explicit Outbox(ThumbnailLoader* loader) : loader(loader) {}

    void Post(std::function<void()> deliver) {
        std::lock_guard<std::mutex> lock(mutex);
        if (loader)
            QMetaObject::invokeMethod(loader, std::move(deliver), Qt::QueuedConnection);
    }
    void Close() {
        std::lock_guard<std::mutex> lock(mutex);
        loader = nullptr;
    }

private:
    std::mutex mutex;
    ThumbnailLoader* loader;
};

namespace {

// A pool whose tasks did not end in time goes once they have; nothing waits for that.
void DeleteWhenDone(std::unique_ptr<QThreadPool> pool) {
    pool->moveToThread(nullptr);
    std::thread([pool = std::move(pool)] { pool->waitForDone(); }).detach();
}

} // namespace

ThumbnailLoader::ThumbnailLoader(const ThumbnailCache& cache, QObject* parent)
    : QObject(parent), cache(cache), outbox(std::make_shared<Outbox>(this)),
      pool(std::make_unique<QThreadPool>()) {
    qRegisterMetaType<Thumbnail>();
    connect(&fetcher, &PictureFetcher::Fetched, this, &ThumbnailLoader::Decode);
    connect(&fetcher, &PictureFetcher::Failed, this,
            [this](const QString& address, const QString& reason) {
                Thumbnail failed;
                failed.note = reason;
                Finish(address, failed);
            });
    pool->start([cache] { cache.Trim(); });
}

// A decoder may never return (a plugin caught in a loop); closing the window
// or the program does not wait for it.
ThumbnailLoader::~ThumbnailLoader() {
    outbox->Close();
    pool->clear();
    if (!pool->waitForDone(ExitWaitMs))
        DeleteWhenDone(std::move(pool));
}

void ThumbnailLoader::Reset(const TransferRules& rules) {
    pool->clear();
    fetcher.Reset(rules);
    stages.clear();
    wanted.clear();
    wantedInView.clear();
    decoding = 0;
    ++generation;
}

void ThumbnailLoader::Want(const QStringList& inView, const QStringList& nearby) {
    wanted = inView + nearby;
    wantedInView = QSet<QString>(inView.begin(), inView.end());
    int priority = int(wanted.size());
    for (const QString& address : std::as_const(wanted)) {
        if (!stages.contains(address))
            LookUp(address, priority);
        --priority;
    }
    QueueFetches();
}

// Earlier addresses get higher priorities, so the cells in view are read first.
void ThumbnailLoader::LookUp(const QString& address, int priority) {
    stages.insert(address, Stage::LookingUp);
    const ThumbnailCache reader = cache;
    pool->start(
        [this, reader, address, outbox = outbox] {
            const std::optional<Thumbnail> found = reader.Find(address);
            outbox->Post([this, address, found] {
                if (found)
                    Finish(address, *found);
                else
                    Missing(address);
            });
        },
        priority);
}

void ThumbnailLoader::Missing(const QString& address) {
    if (stages.value(address) != Stage::LookingUp)
        return;
    stages.insert(address, Stage::Queued);
    ScheduleQueueFetches();
}

// Many misses and decodes end together: the fetch queue is rebuilt once for all of them.
void ThumbnailLoader::ScheduleQueueFetches() {
    if (fetchQueueDirty)
        return;
    fetchQueueDirty = true;
    QTimer::singleShot(0, this, &ThumbnailLoader::QueueFetches);
}

void ThumbnailLoader::QueueFetches() {
    fetchQueueDirty = false;
    QStringList queue;
    for (const QString& address : std::as_const(wanted)) {
        if (decoding < MaxDecoding && stages.value(address) == Stage::Queued)
            queue.append(address);
    }
    fetcher.Queue(queue, wantedInView);
}

void ThumbnailLoader::Decode(const QString& address, const QByteArray& data) {
    if (!stages.contains(address) || stages.value(address) == Stage::Done)
        return;
    stages.insert(address, Stage::Decoding);
    if (++decoding == MaxDecoding)
        QueueFetches();
    const ThumbnailCache writer = cache;
    // Decoding goes before reading the cache: it holds a whole picture in memory.
    pool->start(
        [this, writer, address, data, started = generation, outbox = outbox] {
            const Thumbnail made = ThumbnailMaker::Make(data);
            writer.Store(address, made);
            outbox->Post([this, address, made, started] {
                if (started != generation)
                    return;
                --decoding;
                ScheduleQueueFetches();
                Finish(address, made);
            });
        },
        std::numeric_limits<int>::max());
}

void ThumbnailLoader::Finish(const QString& address, const Thumbnail& thumbnail) {
    if (!stages.contains(address) || stages.value(address) == Stage::Done)
        return;
    stages.insert(address, Stage::Done);
    emit Ready(address, thumbnail);
}
