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
    // Pages a stop left unfollowed.
    int Stopped() const;
    // The pages that failed or showed no picture, in the order followed.
    const std::vector<Failure>& Failures() const;
    // "Followed 41 pages: 38 pictures taken, 2 failed, 1 without a picture."
    // (parts of none left out, but the pictures); for no page, that there was
    // no thumbnail to follow.
    QString Text() const;
    // For a follow that was stopped: what it had done by then. "Following
    // stopped: 12 of 30 pages followed, 11 pictures taken, 1 failed." (parts
    // of none left out, but the pictures).
    QString StoppedText() const;

    // The reason of a viewer page that loaded but showed no picture.
    static const QString& NoPictureReason();
    // The reason of a viewer page a stop left unfollowed.
    static const QString& StoppedReason();

private:
    // "11 pictures taken, 1 failed, 2 without a picture"
    QString Outcomes() const;

    int pages = 0;
    int pictures = 0;
    int failed = 0;
    int withoutPicture = 0;
    int stopped = 0;
    std::vector<Failure> failures;
};
