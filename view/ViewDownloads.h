#pragma once

#include "harvest/HarvestLine.h"
#include "harvest/PageScan.h"

#include <QPointer>
#include <QString>
#include <QStringList>

class CQuillmarView;
class DownloadReport;
class NameTemplate;
struct QueuedJob;

// The downloads of one browser window: its folder, the folder picker and the
// download commands. It starts each download through Downloads and tells the
// window's controls what it did through the view's signals.
class ViewDownloads {
public:
    explicit ViewDownloads(CQuillmarView& view);

    void SetReport(DownloadReport* report);
    QString Folder() const { return folder; }
    // True once the window has a folder of its own to download to.
    bool FolderChosen() const { return chosen; }
    void SetFolder(const QString& shown, bool isChosen);
    bool FolderPickerOpen() const { return pickerOpen; }

    // Set Download Folder: a folder of the user's choice, remembered for the next window.
    void ChooseFolder();
    // Downloads the selected lines of map, asking for a folder first when the
    // window has none; emptyMessage when map lists nothing.
    void DownloadSelected(const HarvestLines& selected, const HarvestMap& map,
                          const QString& emptyMessage);
    // The names ("folder/name") the first count image lines would be saved
    // under by names, in the order a download takes them.
    QStringList PreviewNames(const NameTemplate& names, int count) const;
    // Continues a download an earlier run of the program left unfinished,
    // reported in this window; its requests carry the browser's cookies of now.
    bool Resume(const QueuedJob& queued);

private:
    bool Start(const HarvestLines& selected, const HarvestMap& map);
    bool BrowseForFolder();
    bool EnsureFolder();
    // False when the question was closed unanswered.
    bool AskCancelDownload();

    CQuillmarView& view;
    QString folder;
    bool chosen = false;
    bool pickerOpen = false; // the folder and download buttons stay off meanwhile
    QPointer<DownloadReport> report;
};
