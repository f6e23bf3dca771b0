#include "records/SavedCheck.h"

#include "records/DownloadArchive.h"

namespace {

using Claimed = DownloadArchive::Claimed;

SavedCheck::Settled SettledBy(const DownloadArchive::Claim& claim, DownloadCounts::Kind kind) {
    if (claim.claimed == Claimed::Elsewhere)
        return {DownloadCounts::Kind::Skipped, QString(), true};
    return {kind, claim.savedName, false};
}

} // namespace

QHash<QString, SavedCheck::Settled>
SavedCheck::Claim(const QStringList& addresses, DownloadArchive* archive, DownloadArchive* folder) {
    QHash<QString, Settled> settled;
    QStringList left = addresses;
    if (archive) {
        const QList<DownloadArchive::Claim> claims = archive->ClaimAll(addresses);
        left.clear();
        for (qsizetype i = 0; i < addresses.size(); ++i) {
            if (claims[i].claimed == Claimed::Taken)
                left.append(addresses[i]);
            else
                settled.insert(addresses[i], SettledBy(claims[i], DownloadCounts::Kind::Skipped));
        }
    }
    if (!folder)
        return settled;
    const QList<DownloadArchive::Claim> claims = folder->ClaimAll(left);
    QStringList released;
    for (qsizetype i = 0; i < left.size(); ++i) {
        if (claims[i].claimed == Claimed::Taken)
            continue;
        settled.insert(left[i], SettledBy(claims[i], DownloadCounts::Kind::AlreadySaved));
        released.append(left[i]);
    }
    if (archive && !released.isEmpty())
        archive->Write({}, released);
    return settled;
}
