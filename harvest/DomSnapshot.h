#pragma once

#include <QString>

#include <optional>
#include <vector>

// What the scan script reads from one document of a page.
struct DomLink {
    QString href;    // absolute address; null when the element has none
    QString tagName; // upper case, "A" or "AREA"
};

struct DomImage {
    QString src; // absolute address; null when the element has none
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
        QString(); // the contents of its <meta name="referrer">, joined by commas
};
