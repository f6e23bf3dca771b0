#pragma once

#include "follow/FollowResult.h"

#include <QString>

#include <vector>

// What following a run's viewer pages came to: each page followed gave
// pictures, failed or showed none, and why each failed.
class FollowSummary {
public:
    struct Failure {
        QString page;
        QString reason;
    };

    void Add(const std::vector<FollowResult>& results);
    int Pages() const;
    int Pictures() const;
    int Failed() const;
    int WithoutPicture() const;
    // The pages that failed or showed no picture, in the order followed.
    const std::vector<Failure>& Failures() const;
    // "Followed 41 pages: 38 pictures taken, 2 failed, 1 without a picture."
    // (parts of none left out, but the pictures); for no page, that there was
    // no thumbnail to follow.
    QString Text() const;

    // The reason of a viewer page that loaded but showed no picture.
    static const QString& NoPictureReason();

private:
    int pages = 0;
    int pictures = 0;
    int failed = 0;
    int withoutPicture = 0;
    std::vector<Failure> failures;
};
