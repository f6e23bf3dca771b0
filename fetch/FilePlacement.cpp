#include "fetch/FilePlacement.h"

#include "fetch/DownloadCounts.h"
#include "fetch/DownloadFile.h"
#include "fetch/DownloadJob.h"
#include "names/FittedName.h"

FilePlacement::FilePlacement(const DownloadJob& job, QSet<QString>& savedDestinations)
    : job(job), savedDestinations(savedDestinations) {}

FilePlacement::Result FilePlacement::Place(DownloadFile& file, const DownloadEntry& entry,
                                           const QString& wanted, QString& name,
                                           QString& reason) const {
    const qsizetype limit = file.NameLimit();
    QString candidate = FittedName::Of(wanted, 1, limit);
    for (int number = 2; number <= MaxNumberedNames; ++number) {
        const QString destination = DestinationFor(entry, candidate);
        if (!IsTakenByJob(entry, destination)) {
            switch (file.PlaceAs(candidate)) {
            case DownloadFile::Placement::Placed:
                savedDestinations.insert(destination);
                name = candidate;
                return Result::Placed;
            case DownloadFile::Placement::Failed:
                reason = file.Error();
                return Result::Failed;
            case DownloadFile::Placement::Taken:
                if (!savedDestinations.contains(destination) && file.HoldsSameBytesAs(candidate)) {
                    file.Discard();
                    name = candidate;
                    reason = DownloadCounts::AlreadySavedReason();
                    return Result::AlreadySaved;
                }
                break;
            }
        }
        candidate = FittedName::Of(wanted, number, limit);
    }
    reason = QStringLiteral("cannot save file: no free name");
    return Result::Failed;
}

bool FilePlacement::IsTakenByJob(const DownloadEntry& entry, const QString& destination) const {
    return destination != entry.Destination &&
           (job.HasDestination(destination) || savedDestinations.contains(destination));
}

QString FilePlacement::DestinationFor(const DownloadEntry& entry, const QString& candidate) {
    return entry.Destination.chopped(entry.Name.size()) + candidate;
}

bool FilePlacement::HasSaved(const QString& destination) const {
    return savedDestinations.contains(destination);
}
