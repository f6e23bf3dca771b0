#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

// The folders of one job, each opened once when the job starts. A link in the
// chosen path is resolved then, as the user meant it; from then on files are
// created relative to the open folder, so a folder swapped for a link while
// the job runs cannot send them anywhere else.
class DownloadFolders {
public:
    explicit DownloadFolders(const QStringList& folders);
    ~DownloadFolders();
    DownloadFolders(const DownloadFolders&) = delete;
    DownloadFolders& operator=(const DownloadFolders&) = delete;

    // The open folder, or -1 with Error(folder) when it could not be opened.
    int Handle(const QString& folder) const;
    QString Error(const QString& folder) const;

private:
    QHash<QString, int> handles;
    QHash<QString, QString> errors;
};
