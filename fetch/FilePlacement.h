#pragma once

#include <QSet>
#include <QString>

class DownloadFile;
struct DownloadEntry;
struct DownloadJob;

// Names a job's finished files on collision: the first name, from the one
// wanted on, that neither replaces a file nor takes a name another entry of
// the job writes, each cut to the folder's limit on name length ("name (N).ext"
// after the first). A file there already with the same bytes, which the job
// did not write, is as good as saved. savedDestinations holds every file the
// job has saved; the worker's transfers share it.
class FilePlacement {
public:
    FilePlacement(const DownloadJob& job, QSet<QString>& savedDestinations);

    enum class Result { Placed, AlreadySaved, Failed };
    // Gives the finished file of entry its name (in name), or the reason it has none.
    Result Place(DownloadFile& file, const DownloadEntry& entry, const QString& wanted,
                 QString& name, QString& reason) const;

    // Whether the job has saved a file as destination already.
    bool HasSaved(const QString& destination) const;

    // How far "name (N).ext" is counted before a file is given up.
    static constexpr int MaxNumberedNames = 1000;

private:
    bool IsTakenByJob(const DownloadEntry& entry, const QString& destination) const;
    static QString DestinationFor(const DownloadEntry& entry, const QString& candidate);

    const DownloadJob& job;
    QSet<QString>& savedDestinations;
};
