#pragma once

#include <QByteArray>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

// The files one download command hands to its worker. Every list holds Count
// entries, in the order the files are fetched; Add keeps them in step. An entry
// whose name is not a plain file name is refused by the worker.
struct DownloadJob {
    QStringList Destinations; // full path of the file to write
    QStringList Sources;      // address to fetch
    int Count = 0;
    QStringList Names;    // file name of each destination, checked before writing
    QStringList Referers; // Referer header sent for each source, or empty for none
    // The browser's cookies as cookie-file lines for the transfer library's own
    // cookie engine, which sends each request and redirect only its own.
    QList<QByteArray> CookieLines;
    // The files were listed from a local page, so file: sources are allowed.
    bool FileSourcesAllowed = false;

    // Appends one file: name saved into folder, fetched from source.
    void Add(const QString& folder, const QString& name, const QString& source,
             const QString& referer = QString());

    // Appends one listed line so that no two addresses of the job write the same
    // file: a source already in the job is left out, and a name another source
    // already took gets " (2)", " (3)", ... before its extension. Files that were
    // in the folder before the job are replaced as ever.
    void AddListed(const QString& folder, const QString& name, const QString& source,
                   const QString& referer = QString());

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
