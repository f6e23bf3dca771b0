#pragma once

#include "thumbnails/PictureFetcher.h"
#include "thumbnails/Thumbnail.h"
#include "thumbnails/ThumbnailCache.h"

#include <QHash>
#include <QObject>
#include <QSet>
#include <QStringList>
#include <QThreadPool>

#include <memory>

class TransferRules;

// Turns addresses into thumbnails: from the disk cache when it has them, else
// fetched and decoded small off the user-interface thread, then kept in the
// cache. Addresses are taken in the order last asked for. A decode that never
// returns does not hold the loader: it is waited for at most ExitWaitMs.
class ThumbnailLoader : public QObject {
    Q_OBJECT
public:
    explicit ThumbnailLoader(const ThumbnailCache& cache = ThumbnailCache(),
                             QObject* parent = nullptr);
    ~ThumbnailLoader() override;

    // Forgets every address; what follows is fetched under rules.
    void Reset(const TransferRules& rules);
    // The addresses whose thumbnails are wanted, those in view, then those
    // near it, each most wanted first; those already made or on their way are
    // left as they are.
    void Want(const QStringList& inView, const QStringList& nearby);

    // Fetching waits while this many fetched pictures wait to be decoded, so a
    // fast server does not pile whole pictures up in memory.
    static constexpr int MaxDecoding = 4;
    // How long the loader, as it goes, waits for the decodes under way.
    static constexpr int ExitWaitMs = 1000;

signals:
    // Once per address asked for: the thumbnail, or a note saying why there is none.
    void Ready(const QString& address, const Thumbnail& thumbnail);

private:
    enum class Stage { LookingUp, Queued, Decoding, Done };
    class Outbox;

    void LookUp(const QString& address, int priority);
    void Missing(const QString& address);
    void Decode(const QString& address, const QByteArray& data);
    void Finish(const QString& address, const Thumbnail& thumbnail);
    void QueueFetches();
    void ScheduleQueueFetches();

    ThumbnailCache cache;
    std::shared_ptr<Outbox> outbox; // where the pool's tasks hand their results
    std::unique_ptr<QThreadPool> pool;
    PictureFetcher fetcher;
    QHash<QString, Stage> stages;
    QStringList wanted;
    QSet<QString> wantedInView;
    bool fetchQueueDirty = false;
    int decoding = 0;   // fetched pictures held in memory until decoded
    int generation = 0; // counts resets; a decode of an earlier harvest ends unnoticed
};
