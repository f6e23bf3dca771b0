#pragma once

#include "follow/FollowOptions.h"
#include "names/NameTemplate.h"

#include <QByteArray>
#include <QSize>
#include <QString>

// The harvest choices a watch was made with, used by each of its checks.
// Stored as one JSON object with a version, so later versions add choices
// without changing the database: a choice a stored value lacks keeps its
// default, and one this version does not know is passed over.
struct WatchChoices {
    static constexpr int Version = 1;

    bool deep = false;   // Deep Scan instead of the plain scan
    bool scroll = false; // scroll to the page's end before scanning
    QSize minimumSize;   // leave out pictures known to be smaller
    bool followThumbnails = false;
    // Following and next pages: other sites, match, take all, next pages, page limit.
    FollowOptions follow;
    bool images = true; // which of the page's lists are downloaded
    bool links = true;
    QString match;                           // only names containing this text; empty: all
    QString names = NameTemplate::Default(); // the name template
    bool writeInfo = false;                  // an info file beside each picture
    bool markOrigin = true;                  // the origin attributes on each file
    bool similar = false;                    // of look-alikes, only the best
    bool windowLogins = true;                // checks use the window's logins
    bool fromNow = false;                    // the first good check only notes what the page holds

    // The choices in a few words, as a check will use them.
    QString Text() const;

    QByteArray ToJson() const;
    // The choices a stored value gives; a value that is no JSON object gives the defaults.
    static WatchChoices FromJson(const QByteArray& json);

    bool operator==(const WatchChoices& other) const { return ToJson() == other.ToJson(); }
};
