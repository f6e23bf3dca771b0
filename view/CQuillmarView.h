#pragma once

#include "core/CommandTable.h"
#include "core/CommandTarget.h"
#include "follow/FollowOptions.h"
#include "harvest/Harvest.h"
#include "harvest/HarvestLine.h"
#include "view/ViewBookmarks.h"
#include "view/ViewDownloads.h"

#include <QPointer>
#include <QStringList>
#include <QWidget>

#include <memory>

class CBrowserEngine;
struct FollowProgress;
class DownloadReport;
class PageFollow;
class PageScroller;
class QPrinter;
class ViewInput;

// The view inside every browser window: hosts the engine, scans the page after
// every load and carries the per-window harvest state. It writes no window
// control itself: it announces what the frame's controls should show through
// its signals, and reads what they hold through the ViewInput it is given.
class CQuillmarView : public QWidget, public CommandTarget {
    Q_OBJECT
public:
    static const char* const NoFolderText;
    static const char* const OpenNewViewText;
    static const char* const NotAnAddressText;

    // startAddress: the page the window opens instead of the about page.
    explicit CQuillmarView(const QString& startAddress = QString(), QWidget* parent = nullptr);
    ~CQuillmarView() override;

    // Wiring by the frame that shows the view: where commands read their input
    // and where downloads are reported.
    void SetInput(ViewInput* input);
    void SetDownloadReport(DownloadReport* report) { downloads.SetReport(report); }

    CBrowserEngine* Engine() const;

    // The frame tells the view when its window becomes the active one, and
    // when another does: the active window's scan, folder and address take the
    // frame's controls.
    void SetActive(bool active);
    // True for the view of the active browser window of its frame.
    bool IsActive() const;
    void RecordLocation();
    // Loads the start page, once. The frame calls it as it opens the window, so
    // the engine loads while the window is being shown; a view shown without
    // it loads when first shown.
    void OnInitialUpdate();
    // atLoad: the scan right after a load, which the page's own scan from when
    // it was shown may answer.
    void ScanPage(bool atLoad = false);
    // Scans the page shown again, for a change of scan mode, keeping the
    // selection of the lines it lists again.
    void Rescan();
    // True from the start of a load until its page scan has been listed.
    bool LoadInProgress() const;

    // This window's last scan.
    const Harvest& LastHarvest() const;
    void SetLastHarvest(const Harvest& scan);
    QString DownloadFolder() const { return downloads.Folder(); }
    // True once the window has a folder of its own to download to.
    bool DownloadFolderChosen() const { return downloads.FolderChosen(); }
    // The folder shown for this window and downloaded to; unless chosen, the
    // first download still asks for one.
    void SetDownloadFolder(const QString& folder, bool chosen) {
        downloads.SetFolder(folder, chosen);
    }
    // The addresses this window has shown, oldest first.
    const QStringList& History() const;
    void SetHistory(const QStringList& addresses);

    // Follows the thumbnails of the page shown, announcing "Following N of M
    // pages..." on the progress meter and the message line; ends at once on
    // Stop or when the window loads another page, and gives the window its new
    // lists.
    void FollowThumbnails(const FollowOptions& options);
    bool IsFollowing() const;

    // Commands, with the frame's input as arguments.
    void Go(const QString& address);
    // The window's folder and download commands.
    ViewDownloads& WindowDownloads() { return downloads; }

    // The command handlers; those that need the frame's input read it from the ViewInput.
    void OnBack();
    void OnForward();
    void OnReload();
    void OnStop();
    void OnGo();
    void OnSendMail();
    void OnPrint();
    void OnSetDownloadFolder();
    void OnDownloadImages();
    void OnDownloadImageLinks();
    void OnAddBookmark();
    void OnOpenBookmarks();
    void OnShowHistory();
    void OnMakePage();
    // Scrolls the page to its end so late pictures load, then rescans it.
    void OnScrollAndScan();

    static const CommandTable<CQuillmarView>& Commands();
    bool HandlesCommand(int id) const override;
    void OnCommand(int id) override;
    bool IsCommandEnabled(int id) const override;

signals:
    void messageChanged(const QString& text);
    // The address of the page shown, to show from its start.
    void addressChanged(const QString& address);
    // An address put in the address box as if typed.
    void addressTyped(const QString& address);
    void folderChanged(const QString& folder);
    void downloadButtonsEnabled(bool enable);
    // The folder picker is open: the folder and download buttons stay off.
    void folderPickerOpen(bool open);
    void listsCleared();
    // A scan to fill the lists and counters with, replacing what they show.
    void harvestShown(const Harvest& harvest);
    // The lines of the scan just shown to select again.
    void selectionShown(const HarvestLines& images, const HarvestLines& links);
    void progressChanged(int progress, int maximum);
    void progressCleared();
    // Stop was asked for: whatever runs for this window ends.
    void stopRequested();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    // Announces this window's last scan for the frame's lists and counters,
    // with the lines selected when the window was last shown.
    void ShowOwnScan();
    void OnLoadStarted();
    void OnLoadFinished();
    void OnTitleChange();
    void ShowScanResult(const PageSnapshot& page, const ScanMode& mode);
    // Notes the lines selected in the frame's lists while they show this window.
    void KeepSelection();
    void ShowOwnOrFreshScan();
    void PrintFinished();
    void ShowFollowProgress(const FollowProgress& progress);
    void FollowEnded();

    QString startAddress;
    ViewDownloads downloads;
    ViewBookmarks bookmarks;
    Harvest harvest; // this window's last scan
    QStringList linkHistory;
    CBrowserEngine* engine;
    ViewInput* input = nullptr;
    std::unique_ptr<QPrinter> printer; // set while the engine prints
    QPointer<PageScroller> scroller;   // set while Scroll and Scan scrolls
    QPointer<PageFollow> follow;       // set while Follow Thumbnails runs
    ScanMode harvestMode;              // the settings the last scan was made under
    quint64 scanRequests = 0;
    HarvestLines keptImages; // the selection of this page's lines when the lists last showed them
    HarvestLines keptLinks;
    bool initialUpdateDone = false;
    bool active = false;
    bool listsShown = false;        // the frame's lists show this window's scan
    bool followPageChanged = false; // another page loaded while following
    bool loadInProgress = false;
    bool closed = false;    // the window is going; its late scan results are dropped
    quint64 loadEvents = 0; // load starts and finishes seen so far
};
