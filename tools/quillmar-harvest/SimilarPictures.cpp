#include "SimilarPictures.h"

#include "ToolLogins.h"
#include "app/InterruptWatch.h"
#include "thumbnails/AlikeGroups.h"
#include "thumbnails/ThumbnailLoader.h"
#include "thumbnails/ThumbnailMaker.h"
#include "transfer/TransferRules.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QSet>

SimilarPictures::SimilarPictures(const std::vector<FollowedEntry>& lines, QObject* parent)
    : QObject(parent) {
    QHash<QString, size_t> originOf; // page and its stated policy -> index in origins
    QSet<QString> listed;
    for (const FollowedEntry& line : lines) {
        const QString& address = line.entry.address;
        if (listed.contains(address))
            continue;
        listed.insert(address);
        addresses.append(address);
        if (ThumbnailMaker::IsSkipped(ThumbnailMaker::TypeOfName(line.entry.name)))
            continue;
        const QString key = line.from + QLatin1Char('\n') + line.referrer.policy;
        auto known = originOf.constFind(key);
        if (known == originOf.constEnd()) {
            known = originOf.insert(key, origins.size());
            origins.push_back({line, {}});
        }
        origins[*known].addresses.append(address);
    }
}

SimilarPictures::~SimilarPictures() = default;

void SimilarPictures::Start() {
    // Even a run with nothing to look at ends inside the caller's event loop.
    QMetaObject::invokeMethod(this, &SimilarPictures::StartNextOrigins, Qt::QueuedConnection);
}

void SimilarPictures::StartNextOrigins() {
    while (waiting.size() < MaxPagesAtOnce && nextOrigin < origins.size()) {
        const Origin& origin = origins[nextOrigin++];
        auto* loader = new ThumbnailLoader(ThumbnailCache(), this);
        waiting.insert(loader, int(origin.addresses.size()));
        connect(loader, &ThumbnailLoader::Ready, this,
                [this, loader](const QString& address, const Thumbnail& thumbnail) {
                    Looked(loader, address, thumbnail);
                });
        loader->Reset(RulesOf(origin.page));
        // All are "in view": every fetching slot may take them.
        loader->Want(origin.addresses, {});
    }
    if (waiting.isEmpty())
        Decide();
}

void SimilarPictures::Looked(ThumbnailLoader* loader, const QString& address,
                             const Thumbnail& thumbnail) {
    looked.insert(address, thumbnail);
    if (--waiting[loader] > 0)
        return;
    waiting.remove(loader);
    loader->deleteLater(); // it is emitting
    StartNextOrigins();
}

// The rules a download of the line follows: its page's Referer, the engine's cookies.
TransferRules SimilarPictures::RulesOf(const FollowedEntry& line) const {
    TransferRules rules;
    rules.Page = QUrl(line.from);
    rules.PagePolicy = RefererPolicy(line.referrer.policy, line.referrer.elements);
    rules.CookieLines = ToolLogins::CookieLines();
    rules.FileSourcesAllowed = rules.Page.isLocalFile();
    return rules;
}

void SimilarPictures::Decide() {
    std::vector<AlikeGroups::Picture> pictures;
    for (const QString& address : std::as_const(addresses)) {
        const Thumbnail thumbnail = looked.value(address);
        pictures.push_back({thumbnail.hash, thumbnail.size, thumbnail.type, thumbnail.bytes});
    }
    const AlikeGroups groups(pictures);
    for (int index = 0; index < int(addresses.size()); ++index) {
        if (groups.BestOf(index) != index)
            keptFor.insert(addresses[index], addresses[groups.BestOf(index)]);
    }
    emit finished();
}

QHash<QString, QString> SimilarPictures::Among(const std::vector<FollowedEntry>& lines,
                                               InterruptWatch& interrupts) {
    SimilarPictures similar(lines);
    const QObject whileLooking; // ends the connections below with this call
    connect(&similar, &SimilarPictures::finished, &whileLooking, &QCoreApplication::quit);
    connect(&interrupts, &InterruptWatch::interrupted, &whileLooking, &QCoreApplication::quit);
    similar.Start();
    QCoreApplication::exec();
    return similar.KeptFor();
}
