#pragma once

#include <QObject>
#include <QSet>
#include <QStringList>

#include "transfer/TransferLoop.h"

#include <curl/curl.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

class TransferRules;
class PictureTransfer;

// Fetches pictures into memory on a thread of its own, at most MaxParallel at
// once, in the order last asked for: the owner re-orders the queue as the
// user scrolls, so the pictures in view come first. Pictures out of view
// never take the last free slot: slow servers below or above the view do not
// keep the cells in it waiting.
class PictureFetcher : public QObject {
    Q_OBJECT
public:
    explicit PictureFetcher(QObject* parent = nullptr, int timeLimitSeconds = MaxSeconds);
    ~PictureFetcher() override;

    // Drops the queue and every running fetch; what follows is fetched under
    // rules (the page, its Referer policy, the browser's cookies).
    void Reset(const TransferRules& rules);
    // Replaces the queue: addresses are fetched in this order, after those
    // already running; an address is fetched once until the next reset.
    // inView: those of the addresses, all at their start, that are in view.
    void Queue(const QStringList& addresses, const QSet<QString>& inView);

    static constexpr int MaxParallel = 6;
    // A fetch, redirects included, is given up after this long, however slowly
    // the picture still arrives.
    static constexpr int MaxSeconds = 30;

signals:
    // Emitted on the fetching thread.
    void Fetched(const QString& address, const QByteArray& data);
    void Failed(const QString& address, const QString& reason);

private:
    struct Slot;

    void Run();
    void TakeRequests();
    void StartNext(Slot& slot);
    const QString* NextQueued();
    int FreeSlots() const;
    void Collect();
    void DropRunning();
    bool IsRunning(const QString& address) const;
    void Fail(const QString& address, const QString& reason);
    Slot* SlotOf(CURL* handle);

    const int timeLimitSeconds;
    TransferLoop loop;
    std::vector<std::unique_ptr<Slot>> workSlots;
    std::shared_ptr<const TransferRules> rules; // of the fetching thread

    // Handed from the owner's thread to the fetching thread.
    std::mutex mutex;
    QStringList requested;
    QSet<QString> requestedInView;
    std::shared_ptr<const TransferRules> requestedRules; // non-null: reset with these
    bool queueChanged = false;

    QStringList queue;     // of the fetching thread
    QSet<QString> inView;  // of the fetching thread
    QSet<QString> settled; // fetched or failed since the last reset; never fetched again
    std::atomic<bool> stopRequested{false};
    std::thread worker;
};
