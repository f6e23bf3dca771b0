#pragma once

#include <QByteArray>
#include <QHash>

class FollowedList;
class QString;

// What a harvest listed as one JSON object on one line:
//   {"url": ..., "images": [{"name", "address", "width", "height", "sizeEstimated",
//                 "source", "from"}],
//    "links": [{"name", "address"}]}
// where "from" is the page an image was listed on or taken from; a thumbnail
// kept because its viewer page gave nothing adds "followError" saying why, and
// "cssCut": true is added when a Deep Scan stopped reading CSS backgrounds early.
// A harvest that followed thumbnails adds
//   "followed": {"pages", "pictures", "failed", "withoutPicture",
//                "failures": [{"page", "reason"}]}
// with every viewer page that failed or showed no picture. Given keptFor
// (--similar), every image and link adds "alikeOf": the address of the better
// picture it looks like, or null when it is the one kept.
class JsonReport {
public:
    static QByteArray Write(const FollowedList& lines, const QString& url, bool styleWalkCut,
                            bool followed, const QHash<QString, QString>* keptFor = nullptr);
};
