#pragma once

#include "core/CommandTarget.h"
#include "harvest/DeepPageScan.h"
#include "harvest/HarvestLine.h"
#include "harvest/PageScan.h"

#include <QPointer>
#include <QStringList>
#include <QWidget>

#include <memory>

class CBrowserEngine;
class CHarvestList;
class CMainFrame;
class PageScroller;
class CQuillmarDoc;
class QMdiSubWindow;
class QPrinter;

// The view inside every browser window: hosts the engine, refills the frame's
// lists after every load and carries the per-window harvest state.
class CQuillmarView : public QWidget, public CommandTarget {
    Q_OBJECT
public:
    static const char* const NoFolderText;
    static const char* const OpenNewViewText;
    static const char* const NotAnAddressText;

    explicit CQuillmarView(CQuillmarDoc* document, QWidget* parent = nullptr);
    ~CQuillmarView() override;

    // The main frame's active browser view, or nullptr.
    static CQuillmarView* ActiveView();

    CMainFrame* GetMainFrame() const;
    CQuillmarDoc* GetDocument() const;
    CBrowserEngine* Engine() const;

    void ShowMessage(const QString& text);
    void ShowAddress(const QString& text);
    void EnableDownloadButtons(bool enable);
    void ClearLists();
    void UpdateCounts();
    void RecordLocation();
    // True for the view of the active browser window.
    bool IsActive() const;
    // Fills the frame's lists and counters with this window's last scan.
    void ShowOwnScan();
    void AddToHistory(const QString& address);
    void ScanPage();
    // Scans the page shown again, for a change of scan mode.
    void Rescan();
    // Scrolls the page to its end so late pictures load, then rescans it.
    void OnScrollAndScan();
    // True from download begin until that load's page scan has been listed.
    bool LoadInProgress() const;

    void OnBack();
    void OnForward();
    void OnStop();
    void OnGo();
    void OnSendMail();
    void OnPrint();
    void OnImageSelChange();
    void OnLinkSelChange();

    // Download commands and the download folder.
    void OnSetDownloadFolder();
    void OnDownloadImages();
    void OnDownloadImageLinks();
    bool BrowseForDownloadFolder();
    bool EnsureDownloadFolder();
    void AskCancelDownload();
    void DownloadSelected(CHarvestList& list, const HarvestMap& map, const QString& emptyMessage);
    bool StartDownload(CHarvestList& list, const HarvestMap& map);

    // Bookmarks and history
    void OnAddBookmark();
    void OnOpenBookmarks();
    void OnShowHistory();

    // Image page generator: runs its dialog and, when asked to, opens the
    // saved page in this window.
    void OnMakePage();

    bool HandlesCommand(int id) const override;
    void OnCommand(int id) override;
    bool IsCommandEnabled(int id) const override;

    QString DownloadFolder;
    bool FolderChosen = false;
    HarvestMap imageMap;
    HarvestMap linkMap;
    HarvestLines imageLines; // this window's last scan, in the order found
    HarvestLines linkLines;
    std::vector<DeepEntry> imageDetails; // sizes and sources of a Deep Scan; else empty
    std::vector<DeepEntry> linkDetails;
    QStringList m_linkHistory;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    // Makes Enter in the address box answer even when no browser window is
    // open; does nothing when this frame is already attached.
    static void AttachToFrame(CMainFrame& frame);

    void OnInitialUpdate();
    void OnDownloadBegin();
    void OnDownloadComplete();
    void OnProgressChange(int progress, int maximum);
    void OnTitleChange();
    void OnSubWindowActivated(QMdiSubWindow* window);
    void ShowScanResult(const PageSnapshot& page, bool deep);
    void PrintFinished();

    CQuillmarDoc* document;
    CBrowserEngine* engine;
    std::unique_ptr<QPrinter> printer; // set while the engine prints
    QPointer<PageScroller> scroller;   // set while Scroll and Scan scrolls
    bool initialUpdateDone = false;
    bool loadInProgress = false;
    bool closed = false;           // the window is going; its late scan results are dropped
    bool folderPickerOpen = false; // the folder and download buttons stay off meanwhile
    quint64 loadEvents = 0;        // download begin and complete events seen so far
};
