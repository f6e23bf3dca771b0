#pragma once

#include "follow/FollowResult.h"
#include "follow/FollowSummary.h"
#include "follow/FollowTarget.h"
#include "follow/FollowedEntry.h"
#include "harvest/Harvest.h"

#include <QSet>

#include <optional>
#include <vector>

// The image and link lines of a harvest over one or more gallery pages, each
// page's lines after the previous page's, in the page's own order: a
// thumbnail whose viewer page gave pictures is replaced by them, where it
// stood; one whose
// viewer page gave nothing stays, saying why. A page's lines already listed
// on an earlier page, and taken pictures listed anywhere before, are left out.
class FollowedList {
public:
    struct Page {
        QString address;
        StatedReferrer referrer;
        std::vector<DeepEntry> images; // in the page's order
        std::vector<DeepEntry> links;
        QString title = QString();
    };

    // results: one per target.
    void AddPage(const Page& page, const std::vector<FollowTarget>& targets,
                 const std::vector<FollowResult>& results);
    const std::vector<FollowedEntry>& Images() const;
    const std::vector<FollowedEntry>& Links() const;
    // The first page's address and title.
    QString FirstPage() const { return firstPage.value_or(QString()); }
    QString Title() const { return firstTitle; }
    // What following the pages' viewer pages came to.
    const FollowSummary& Summary() const;
    // The lines as a browser window's harvest: lines in list order, maps,
    // details and, for lines from viewer pages and next pages, their sources.
    Harvest ToHarvest() const;

private:
    std::vector<FollowedEntry> images;
    std::vector<FollowedEntry> links;
    QSet<QString> listedImages;
    QSet<QString> listedLinks;
    std::optional<QString> firstPage;
    QString firstTitle;
    FollowSummary summary;
};
