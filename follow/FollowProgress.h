#pragma once

#include <QString>

// How far a follow is on the gallery page at hand.
struct FollowProgress {
    int done = 0;         // its viewer pages followed
    int total = 0;        // its viewer pages to follow
    int galleryPage = 1;  // counted from 1
    int galleryPages = 1; // at most, the first included

    // "Following 12 of 30 pages (gallery page 1 of up to 3)..."; without the
    // part in brackets when there are no next pages to come. Until the first
    // page is done, that the first pages are loading: "Following 30 pages:
    // loading the first 4...".
    QString Text() const;
};
