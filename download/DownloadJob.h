#pragma once

#include "download/DownloadCounts.h"
#include "download/RefererPolicy.h"

#include <QByteArray>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QUrl>

// The files one download command hands to its worker. Every list holds Count
// entries, in the order the files are fetched; Add keeps them in step. An entry
// whose name is not a plain file name is refused by the worker.
struct DownloadJob {
    QStringList Destinations; // full path of the file to write
    QStringList Sources;      // address to fetch
    int Count = 0;
    QStringList Names; // file name of each destination, checked before writing
    // The page the files were listed from and the Referer policy it states;
    // every request and every redirect hop carries the Referer they give.
    QUrl Page;
    RefererPolicy PagePolicy;
    // The browser's cookies as cookie-file lines for the transfer library's own
    // cookie engine, which sends each request and redirect only its own.
    QList<QByteArray> CookieLines;
    // The files were listed from a local page, so file: sources are allowed.
    bool FileSourcesAllowed = false;
    // How many files are fetched at once; 1 fetches them one after another, in order.
    int Parallel = 1;
    // The page each file was listed on and the policy it states, where that is
    // not Page: pictures taken from viewer pages, files of several pages in one
    // run. An empty address stands for Page. Kept in step by Add.
    QList<QUrl> EntryPages;
    QList<RefererPolicy> EntryPolicies;
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

    // Appends one file: name saved into folder, fetched from source.
    void Add(const QString& folder, const QString& name, const QString& source);

    // A job with the same page, cookies and settings and no files yet.
    DownloadJob WithoutFiles() const;

    // The Referer header for a request to target while fetching the listed
    // address source, or empty for none.
    QString RefererFor(const QString& source, const QUrl& target) const;
    // Whether the listed address source may be a file: source: only when
    // listed on a local page.
    bool FileSourceAllowed(const QString& source) const;

    // Appends one listed line under the name it is saved as (DeepNameRule::SavedName:
    // decoded where the list shows it encoded, and made safe) so that no two
    // addresses of the job write the same file: a source already in the job is
    // left out, and a name another source already took gets " (2)", " (3)", ...
    // before its extension; a name is cut to the usual limit of 255 bytes
    // (FittedName). Files that were in the folder before the job are
    // never replaced (see DownloadTransfer).
    void AddListed(const QString& folder, const QString& name, const QString& source);
    // The same for a line listed on page, which states policy.
    void AddListedFrom(const QString& folder, const QString& name, const QString& source,
                       const QUrl& page, const RefererPolicy& policy);

    // Notes a listed line saved before as name in folder, unless its source is in the job.
    void AddNotFetched(const QString& folder, const QString& name, const QString& source,
                       DownloadCounts::Kind kind, const QString& reason);

    // True when an entry of the job writes destination.
    bool HasDestination(const QString& destination) const {
        return takenDestinations.contains(destination);
    }

    // name with " (number)" before its extension: "large.jpg", 2 -> "large (2).jpg".
    static QString NumberedName(const QString& name, int number);
    // Where the extension of name starts: at its last dot, unless that starts a
    // hidden name; the size of name when it has none.
    static qsizetype ExtensionStart(const QString& name);

    // True for a name that stays inside the folder it is joined to: not empty,
    // not "." or "..", without a path separator or NUL.
    static bool IsPlainFileName(const QString& name);

private:
    static QString Join(const QString& folder, const QString& name);

    QSet<QString> takenDestinations;
    QSet<QString> takenSources;
};
