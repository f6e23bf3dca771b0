#pragma once

#include "harvest/HarvestLine.h"

#include <QHash>
#include <QString>

#include <memory>

// A plain-text record of what was saved, so a repeat run fetches only what is
// new: one line per saved file, its address, a tab and the file name it was
// saved under. Lines are appended as each file is saved, so an interrupted run
// keeps its record. Recording happens on one thread at a time.
class DownloadArchive {
public:
    explicit DownloadArchive(const QString& path);
    // The window's record for a download folder, read: one file per folder
    // under the program's data folder, never inside the picture folder.
    static std::shared_ptr<DownloadArchive> ForFolder(const QString& folder);

    // Reads the record; a missing file is an empty one. False, with error set,
    // when the file exists but cannot be read.
    bool Load(QString& error);
    // The name an address was saved under; empty when it was not.
    QString SavedName(const QString& address) const;
    // Appends one line; false when the record could not be written.
    bool Record(const QString& address, const QString& name);
    QString Path() const;
    // The lines whose addresses the record does not hold.
    HarvestLines Unsaved(const HarvestLines& lines) const;

private:
    QString path;
    QHash<QString, QString> saved;
};
