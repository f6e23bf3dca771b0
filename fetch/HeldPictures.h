#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>

#include <deque>
#include <mutex>
#include <optional>

// Pictures this run has fetched whole into memory (for the Thumbnails
// window), kept so that a download of one is written from these bytes rather
// than fetched a second time, where the download would have sent the same
// requests (TransferRules::RequestMark). Only whole answers are kept, at most
// MaxBytes of them: the oldest go first. Any thread.
class HeldPictures {
public:
    struct Picture {
        QByteArray data;
        QByteArray type; // the answer's Content-Type, empty when it gave none
        // The mark of each request that fetched it, the redirects' included.
        QList<QByteArray> requests;
    };

    static HeldPictures& OfThisRun();

    void Keep(const QString& address, const Picture& picture);
    std::optional<Picture> Find(const QString& address) const;

    static constexpr qint64 MaxBytes = 200 * 1024 * 1024;

private:
    void DropOldest();

    mutable std::mutex mutex;
    QHash<QString, Picture> pictures;
    std::deque<QString> order; // oldest first
    qint64 bytes = 0;
};
