#pragma once

#include <QHash>
#include <QList>
#include <QString>

struct DownloadEntry;

// The folders of one job, each opened once when the job starts. A link in the
// chosen path is resolved then, as the user meant it; an entry's subfolders
// are made and opened one by one inside it, never through a link, so a name
// template cannot lead outside the chosen folder. From then on files are
// created relative to the open folder, so a folder swapped for a link while
// the job runs cannot send them anywhere else.
class DownloadFolders {
public:
    // Whether an entry's missing subfolders are made, or left missing (a
    // folder that is not there has no partial files to clear away).
    enum class Missing { Make, Leave };

    explicit DownloadFolders(const QList<DownloadEntry>& entries, Missing missing = Missing::Make);
    ~DownloadFolders();
    DownloadFolders(const DownloadFolders&) = delete;
    DownloadFolders& operator=(const DownloadFolders&) = delete;

    // The folder an entry's file is written to: its destination's.
    static QString FolderOf(const DownloadEntry& entry);
    // The open folder, or -1 with Error(folder) when it could not be opened.
    int Handle(const QString& folder) const;
    QString Error(const QString& folder) const;

private:
    void Open(const QString& folder);
    void OpenInside(int base, const QString& folder, const QString& subfolder, Missing missing);

    QHash<QString, int> handles;
    QHash<QString, QString> errors;
};
