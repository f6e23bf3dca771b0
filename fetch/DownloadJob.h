#pragma once

#include "core/Limits.h"
#include "fetch/DownloadCounts.h"
#include "transfer/RefererPolicy.h"
#include "transfer/TransferRules.h"

#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QUrl>

// One file of a download job: where it comes from, where it goes and how far it got.
struct DownloadEntry {
    enum class State { Waiting, Running, Paused, Saved, Failed };

    QString Source;      // address to fetch
    QString Destination; // full path of the file to write
    QString Name;        // file name of the destination, checked before writing
    // The folders between the job's folder and the file, "" for none; made as
    // needed, never through a link.
    QString Subfolder;
    // The page the file was listed on and the policy it states, where that is
    // not the rules' page: pictures taken from viewer pages, files of several
    // pages in one run. An empty address stands for the rules' page.
    QUrl Page;
    RefererPolicy Policy;
    qint64 Size = -1; // bytes, when known
    // What the file's info tells of where it came from: the page the job was
    // started from, its title, the viewer page's title and the picture's size.
    QUrl GalleryPage;
    QString PageTitle;
    QString ViewerTitle;
    int Width = 0;
    int Height = 0;
    State Status = State::Waiting;
};

// The files one download command hands to its worker, in the order they are
// fetched, and the rules every request follows. An entry whose name is not a
// plain file name is refused by the worker.
struct DownloadJob {
    QList<DownloadEntry> Entries;
    TransferRules Rules;
    // How many files are fetched at once; 1 fetches them one after another, in order.
    int Parallel = 1;
    // The most connections open to one host at once, whatever Parallel is.
    int PerSite = Limits::DefaultPerSiteConnections;
    // A file a run before left half-fetched is continued where it stopped.
    bool ContinuePartial = true;
    // Files known to be smaller than MinBytes or larger than MaxBytes (by the
    // length announced, or by the bytes received) are left out; 0: no bound.
    qint64 MinBytes = 0;
    qint64 MaxBytes = 0;
    // Each saved file is marked with its address and page (extended
    // attributes), and with WriteInfo gets "NAME.EXT.json" beside it.
    bool MarkOrigin = true;
    bool WriteInfo = false;
    // A file already in the folder under an entry's name, with the size the
    // server announces for it, is already saved: its body is not fetched.
    bool SameSizeIsSaved = false;

    int Count() const { return int(Entries.size()); }
    // The address of each entry, in order.
    QStringList Sources() const;
    // Listed files not fetched because a record says they are saved: the
    // worker counts them and the report lists them, under the name saved.
    struct NotFetchedFile {
        QString name;
        QString destination;
        QString source;
        DownloadCounts::Kind kind;
        QString reason;
    };
    QList<NotFetchedFile> NotFetched;

    // Appends one file: name saved into folder (and its subfolder), fetched from source.
    void Add(const QString& folder, const QString& name, const QString& source,
             const QString& subfolder = QString());

    // A job with the same rules and settings and no files yet.
    DownloadJob WithoutFiles() const;

    // The Referer header for a request to target while fetching entry, or empty for none.
    QString RefererFor(const DownloadEntry& entry, const QUrl& target) const;

    // Appends one listed line under the name it is saved as (DeepNameRule::SavedName:
    // decoded where the list shows it encoded, and made safe) so that no two
    // addresses of the job write the same file: a source already in the job is
    // left out, and a name another source already took gets " (2)", " (3)", ...
    // before its extension; a name is cut to the usual limit of 255 bytes
    // (FittedName). Files that were in the folder before the job are
    // never replaced (see DownloadTransfer).
    // A subfolder ("a/b") puts the file there, inside folder.
    void AddListed(const QString& folder, const QString& name, const QString& source,
                   const QString& subfolder = QString());
    // The same for a line listed on page, which states policy.
    void AddListedFrom(const QString& folder, const QString& name, const QString& source,
                       const QUrl& page, const RefererPolicy& policy,
                       const QString& subfolder = QString());

    // Notes a listed line saved before as name in folder, unless its source is in the job.
    void AddNotFetched(const QString& folder, const QString& name, const QString& source,
                       DownloadCounts::Kind kind, const QString& reason);
    // Takes the entry at index out of the files to fetch and notes it as not
    // fetched, as name beside where it was to go.
    void NotFetchedInstead(int index, const QString& name, DownloadCounts::Kind kind,
                           const QString& reason);

    // True when an entry of the job writes destination.
    bool HasDestination(const QString& destination) const {
        return takenDestinations.contains(destination);
    }

    // True for a name that stays inside the folder it is joined to: not empty,
    // not "." or "..", without a path separator or NUL.
    static bool IsPlainFileName(const QString& name);

private:
    static QString Join(const QString& folder, const QString& name);

    QSet<QString> takenDestinations;
    QSet<QString> takenSources;
};
