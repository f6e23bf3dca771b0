#include "thumbnails/ThumbnailLoader.h"

#include "download/DownloadJob.h"
#include "thumbnails/ThumbnailMaker.h"

#include <QMetaObject>
#include <QTimer>

#include <limits>

ThumbnailLoader::ThumbnailLoader(const ThumbnailCache& cache, QObject* parent)
    : QObject(parent), cache(cache) {
    qRegisterMetaType<Thumbnail>();
    connect(&fetcher, &PictureFetcher::Fetched, this, &ThumbnailLoader::Decode);
    connect(&fetcher, &PictureFetcher::Failed, this,
            [this](const QString& address, const QString& reason) {
                Finish(address, Thumbnail{{}, {}, {}, reason});
            });
    pool.start([cache] { cache.Trim(); });
}

// Tasks post their results to this object: they must end before it goes.
ThumbnailLoader::~ThumbnailLoader() {
    pool.clear();
    pool.waitForDone();
}

void ThumbnailLoader::Reset(const DownloadJob& rules) {
    pool.clear();
    fetcher.Reset(rules);
    stages.clear();
    wanted.clear();
    decoding = 0;
    ++generation;
}

void ThumbnailLoader::Want(const QStringList& addresses) {
    wanted = addresses;
    int priority = addresses.size();
    for (const QString& address : addresses) {
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
    pool.start(
        [this, reader, address] {
            const std::optional<Thumbnail> found = reader.Find(address);
            QMetaObject::invokeMethod(this, [this, address, found] {
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
    fetcher.Queue(queue);
}

void ThumbnailLoader::Decode(const QString& address, const QByteArray& data) {
    if (!stages.contains(address) || stages.value(address) == Stage::Done)
        return;
    stages.insert(address, Stage::Decoding);
    if (++decoding == MaxDecoding)
        QueueFetches();
    const ThumbnailCache writer = cache;
    // Decoding goes before reading the cache: it holds a whole picture in memory.
    pool.start(
        [this, writer, address, data, started = generation] {
            const Thumbnail made = ThumbnailMaker::Make(data);
            writer.Store(address, made);
            QMetaObject::invokeMethod(this, [this, address, made, started] {
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
