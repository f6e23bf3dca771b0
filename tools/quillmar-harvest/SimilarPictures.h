#pragma once

#include "follow/FollowedEntry.h"
#include "thumbnails/Thumbnail.h"

#include <QHash>
#include <QObject>
#include <QStringList>

#include <memory>
#include <vector>

class InterruptWatch;
class ThumbnailLoader;
class TransferRules;

// Finds which of a run's pictures look alike, and the best of each group.
// Each picture is looked at once: from the thumbnail cache when it knows it,
// else fetched under the rules of the page it was listed on (its Referer, the
// browser's cookies) and decoded small; the fetched bytes stay with the run,
// so downloading the picture writes them rather than fetching it again.
// Videos and pictures that cannot be fetched or decoded are alike to none.
class SimilarPictures : public QObject {
    Q_OBJECT
public:
    explicit SimilarPictures(const std::vector<FollowedEntry>& lines, QObject* parent = nullptr);
    ~SimilarPictures() override;

    // finished() follows once every picture was looked at.
    void Start();
    // For each picture that a better one looks like: the better one's address.
    const QHash<QString, QString>& KeptFor() const { return keptFor; }

    // Looks at lines while the event loop runs, until done or interrupted;
    // KeptFor of them.
    static QHash<QString, QString> Among(const std::vector<FollowedEntry>& lines,
                                         InterruptWatch& interrupts);

    // Pages whose pictures are fetched at once.
    static constexpr int MaxPagesAtOnce = 4;

signals:
    void finished();

private:
    // The pictures listed on one page, fetched under its rules.
    struct Origin {
        FollowedEntry page; // from and referrer of its lines
        QStringList addresses;
    };

    void StartNextOrigins();
    void Looked(ThumbnailLoader* loader, const QString& address, const Thumbnail& thumbnail);
    TransferRules RulesOf(const FollowedEntry& line) const;
    void Decide();

    QStringList addresses; // each once, in list order
    std::vector<Origin> origins;
    size_t nextOrigin = 0;
    QHash<ThumbnailLoader*, int> waiting; // running loaders and the pictures they still owe
    QHash<QString, Thumbnail> looked;
    QHash<QString, QString> keptFor;
};
