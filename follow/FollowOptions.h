#pragma once

#include <QSize>
#include <QString>

// The choices of one Follow Thumbnails run.
struct FollowOptions {
    bool otherSites = false; // also follow links to other sites
    QString match;           // only link addresses containing this text, ignoring case; empty: all
    bool takeAll = false;    // every picture of a viewer page instead of its main picture
    int nextPages = 0;       // further gallery pages reached through rel="next"
    int pageLimit = 500;     // pages loaded per run, gallery pages included
    QSize minimumSize;       // pictures known to be smaller are never taken
    static constexpr int MaxHiddenPages = 4;       // viewer pages loaded at once
    static constexpr int PageMilliseconds = 10000; // to load and settle one viewer page
};
