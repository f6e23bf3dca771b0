#include "fetch/DownloadCounts.h"

#include "fetch/DownloadProgressSink.h"

void DownloadCounts::Add(Kind kind) {
    switch (kind) {
    case Kind::Saved:
        ++saved;
        break;
    case Kind::AlreadySaved:
        ++alreadySaved;
        break;
    case Kind::Skipped:
        ++skipped;
        break;
    case Kind::Failed:
        ++failed;
        break;
    case Kind::Cancelled:
        ++cancelled;
        break;
    case Kind::LeftOut:
        ++leftOut;
        break;
    }
}

DownloadCounts::Kind DownloadCounts::KindOf(bool saved, const QString& reason) {
    if (saved)
        return reason == AlreadySavedReason() ? Kind::AlreadySaved : Kind::Saved;
    if (reason.startsWith(LeftOutMark()))
        return Kind::LeftOut;
    return reason == DownloadProgressSink::CancelledReason() ? Kind::Cancelled : Kind::Failed;
}

QString DownloadCounts::Text() const {
    QString text = QStringLiteral("%1 saved, %2 already saved, %3 skipped, %4 failed")
                       .arg(saved)
                       .arg(alreadySaved)
                       .arg(skipped)
                       .arg(failed);
    if (cancelled > 0)
        text += QStringLiteral(", %1 cancelled").arg(cancelled);
    if (leftOut > 0)
        text += QStringLiteral(", %1 left out").arg(leftOut);
    return text;
}

namespace {

const QString completed = QStringLiteral("Download complete");

} // namespace

QString DownloadCounts::CompletionMessage() const {
    if (alreadySaved + skipped + failed + cancelled + leftOut == 0)
        return completed;
    return completed + QStringLiteral(": ") + Text();
}

bool DownloadCounts::IsCompletionMessage(const QString& text) {
    return text == completed || text.startsWith(completed + QStringLiteral(": "));
}
