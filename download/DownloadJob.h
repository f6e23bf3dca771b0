#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// The files one download command hands to its worker. Every list holds Count
// entries, in the order the files are fetched; Add keeps them in step. An entry
// whose name is not a plain file name is refused by the worker.
struct DownloadJob {
    QStringList Destinations; // full path of the file to write
    QStringList Sources;      // address to fetch
    int Count = 0;
    QStringList Names;               // file name of each destination, checked before writing
    QStringList Referers;            // address of the page the file was found on, or empty
    QList<QByteArray> CookieHeaders; // value of the Cookie header for the source, or empty

    // Appends one file: name saved into folder, fetched from source.
    void Add(const QString& folder, const QString& name, const QString& source,
             const QString& referer = QString(), const QByteArray& cookieHeader = QByteArray());

    // True for a name that stays inside the folder it is joined to: not empty,
    // not "." or "..", without a path separator or NUL.
    static bool IsPlainFileName(const QString& name);
};
