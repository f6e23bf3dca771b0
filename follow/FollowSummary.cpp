#include "follow/FollowSummary.h"

namespace {

QString counted(int count, const char* one, const char* many) {
    return QStringLiteral("%1 %2").arg(count).arg(QLatin1String(count == 1 ? one : many));
}

} // namespace

void FollowSummary::Add(const std::vector<FollowResult>& results) {
    for (const FollowResult& result : results) {
        ++pages;
        pictures += int(result.taken.size());
        if (result.failure.isEmpty())
            continue;
        if (result.failure == StoppedReason())
            ++stopped;
        else
            ++(result.failure == NoPictureReason() ? withoutPicture : failed);
        failures.push_back({result.viewer, result.failure});
    }
}

int FollowSummary::Pages() const {
    return pages;
}

int FollowSummary::Pictures() const {
    return pictures;
}

int FollowSummary::Failed() const {
    return failed;
}

int FollowSummary::WithoutPicture() const {
    return withoutPicture;
}

int FollowSummary::Stopped() const {
    return stopped;
}

const std::vector<FollowSummary::Failure>& FollowSummary::Failures() const {
    return failures;
}

QString FollowSummary::Text() const {
    if (stopped > 0)
        return StoppedText();
    if (pages == 0)
        return QStringLiteral("No thumbnails to follow on this page.");
    return QStringLiteral("Followed %1: %2.").arg(counted(pages, "page", "pages"), Outcomes());
}

QString FollowSummary::StoppedText() const {
    if (pages == stopped)
        return QStringLiteral("Following stopped before any page was followed.");
    return QStringLiteral("Following stopped: %1 of %2 followed, %3.")
        .arg(pages - stopped)
        .arg(counted(pages, "page", "pages"), Outcomes());
}

QString FollowSummary::Outcomes() const {
    QString text = counted(pictures, "picture taken", "pictures taken");
    if (failed > 0)
        text += QStringLiteral(", %1 failed").arg(failed);
    if (withoutPicture > 0)
        text += QStringLiteral(", %1 without a picture").arg(withoutPicture);
    return text;
}

const QString& FollowSummary::NoPictureReason() {
    static const QString reason = QStringLiteral("no picture found");
    return reason;
}

const QString& FollowSummary::StoppedReason() {
    static const QString reason = QStringLiteral("stopped");
    return reason;
}
