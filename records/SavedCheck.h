#pragma once

#include "fetch/DownloadCounts.h"

#include <QHash>
#include <QString>
#include <QStringList>

class DownloadArchive;

// Which of a job's addresses are not its to fetch: the one check by which the
// window and quillmar-harvest skip the files their records count as saved.
class SavedCheck {
public:
    // What the records say of an address that is not the job's to fetch.
    struct Settled {
        DownloadCounts::Kind kind; // AlreadySaved for the folder's record, else Skipped
        QString savedName;         // the name a record saved it under; empty when elsewhere
        bool elsewhere = false;    // another job or run is fetching it

        // The name it is reported under: the saved one, or the listed one
        // while another fetches it.
        QString NameOr(const QString& listed) const { return elsewhere ? listed : savedName; }
    };
    // Claims the addresses in archive (an explicit record, which may be null),
    // then those it leaves in the folder's record (which may be null), each
    // record in one transaction; an address the folder's record settles is let
    // go of in archive again. The addresses left out of the answer are the
    // job's to fetch.
    static QHash<QString, Settled> Claim(const QStringList& addresses, DownloadArchive* archive,
                                         DownloadArchive* folder);
};
