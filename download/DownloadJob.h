#pragma once

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

    // Appends one file: name saved into folder, fetched from source.
    void Add(const QString& folder, const QString& name, const QString& source);

    // A job with the same page, cookies and settings and no files yet.
    DownloadJob WithoutFiles() const;

    // The Referer header for a request to target while fetching source, or empty for none.
    QString RefererFor(const QString& source, const QUrl& target) const;

    // Appends one listed line under its safe name (SafeFileName) so that no two
    // addresses of the job write the same file: a source already in the job is
    // left out, and a name another source already took gets " (2)", " (3)", ...
    // before its extension. Files that were in the folder before the job are
    // never replaced (see DownloadTransfer).
    void AddListed(const QString& folder, const QString& name, const QString& source);

    // True when an entry of the job writes destination.
    bool HasDestination(const QString& destination) const {
        return takenDestinations.contains(destination);
    }

    // name with " (number)" before its extension: "large.jpg", 2 -> "large (2).jpg".
    static QString NumberedName(const QString& name, int number);

    // True for a name that stays inside the folder it is joined to: not empty,
    // not "." or "..", without a path separator or NUL.
    static bool IsPlainFileName(const QString& name);

private:
    static QString Join(const QString& folder, const QString& name);

    QSet<QString> takenDestinations;
    QSet<QString> takenSources;
};
