#pragma once

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

#include <optional>
#include <utility>
#include <vector>

// What the scan script reads from one document of a page.
struct DomLink {
    QString href;    // absolute address; null when the element has none
    QString tagName; // upper case, "A" or "AREA"
};

struct DomImage {
    DomImage() = default;
    // Implicit, so {address} builds one as before the Deep Scan details.
    DomImage(QString address) : src(std::move(address)) {}

    QString src; // absolute address; null when the element has none
    // Deep Scan only:
    QString source; // where the address came from: "img", "srcset", "lazy", "css", ...
    int width = 0;  // natural size of the picture at src; 0 when unknown
    int height = 0;
    bool sizeEstimated = false; // the size is that of a candidate the engine did not load
    bool shown = false;         // the element shows a picture
    // Deep Scan only, for following thumbnails: the largest box the page
    // draws it in (CSS pixels), the srcset width of the chosen candidate and
    // the pages its link or image map leads to.
    int shownWidth = 0;
    int shownHeight = 0;
    int candidateWidth = 0;
    QStringList linkTargets;
};

struct DomDocument {
    std::vector<DomDocument> frames; // reachable frame documents, in index order
    std::vector<DomLink> links;      // document.links, in collection order
    std::vector<DomImage> images;    // document.images, in collection order
};

// One snapshot of the page shown: its document type, its DOM tree and the
// referrer policy it states.
struct PageSnapshot {
    QString contentType;                 // document.contentType; empty when unknown
    std::optional<DomDocument> document; // absent when the DOM could not be read
    QString referrerPolicy =
        QString(); // the policies it applied (header, then referrer metas), joined by commas
    // (address, policy) for elements with a referrer policy of their own
    QList<QPair<QString, QString>> elementReferrerPolicies = {};
    bool styleWalkCut = false;    // Deep Scan ran out of time reading CSS backgrounds
    QString nextPage = QString(); // Deep Scan: the page's first rel="next" address; empty for none
    QString title = QString();    // document.title
};
