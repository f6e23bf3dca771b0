#pragma once

#include <QByteArray>
#include <QHash>

class FollowedList;
class QJsonObject;
class QString;

// What a harvest listed as one JSON object on one line:
//   {"page": ..., "outcome": "ok", "url": ...,
//    "images": [{"name", "address", "width", "height", "sizeEstimated", "source", "from"}],
//    "links": [{"name", "address"}]}
// where "page" is the address as given, "url" where it led, and "from" the
// page an image was listed on or taken from; a thumbnail kept because its
// viewer page gave nothing adds "followError" saying why, and "cssCut": true
// is added when a Deep Scan stopped reading CSS backgrounds early. A page that
// failed is {"page": ..., "outcome": "failed", "reason": ...}, with its lists
// when it gave any. With a shard, each object has "shard": "K/N".
// A harvest that followed thumbnails adds
//   "followed": {"pages", "pictures", "failed", "withoutPicture",
//                "failures": [{"page", "reason"}]}
// with every viewer page that failed or showed no picture. Given keptFor
// (--similar), every image and link adds "alikeOf": the address of the better
// picture it looks like, or null when it is the one kept.
class JsonReport {
public:
    static QByteArray Write(const FollowedList& lines, const QString& url, bool styleWalkCut,
                            const QJsonObject& outcome, bool followed,
                            const QHash<QString, QString>* keptFor = nullptr);
    // The fields every line has: the page, its outcome and the shard, if any;
    // reason: empty when the page was harvested whole.
    static QJsonObject Outcome(const QString& page, const QString& reason, const QString& shard);
    static QByteArray Line(const QJsonObject& object);
};
