#pragma once

#include <QByteArray>

class PageHarvester;

// What a harvest listed as one JSON object:
//   {"url": ..., "images": [{"name", "address", "width", "height", "source"}],
//    "links": [{"name", "address"}]}
// with "cssCut": true added when a Deep Scan stopped reading CSS backgrounds early.
class JsonReport {
public:
    static QByteArray Write(const PageHarvester& harvester, const QString& url);
};
