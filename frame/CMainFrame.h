#pragma once

#include "core/CommandTable.h"
#include "core/CommandTarget.h"
#include "frame/ApplicationCommands.h"
#include "frame/RecentFileList.h"
#include "view/ViewInput.h"

#include <QHash>
#include <QMainWindow>
#include <QPointer>
#include <QString>

class CAddressEdit;
class CAnimation;
class CBitmapButton;
class CChildFrame;
class CDigitClock;
class CDigitCounter;
class CHarvestList;
class CProgressMeter;
class CQuillmarView;
class CommandRouter;
class DownloadReport;
struct Harvest;
class DownloadCommands;
class FollowCommands;
class FrameMenus;
class ScanCommands;
class ThumbnailsBinding;
class WatchBinding;
class LockKeyIndicators;
class QLabel;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QRect;
class QStatusBar;
class QToolBar;

// The one top-level window: the browser windows in its client area, every
// control of the program on its two bars. Its controls are its own: they show
// what the browser views announce and what the download report holds.
class CMainFrame : public QMainWindow, public CommandTarget, public ViewInput {
    Q_OBJECT
public:
    explicit CMainFrame(QWidget* parent = nullptr);
    ~CMainFrame() override;

    // Creates the bars, their controls and the status bar and starts the
    // online timer; false when any of it fails.
    bool Create();

    QMdiArea* MdiArea() const;
    CChildFrame* ActiveChildFrame() const;
    // The active browser window's view widget, or nullptr.
    QWidget* ActiveViewWidget() const;
    CommandRouter& Router() const;
    // The action of a command the frame offers, whose keys other windows of the frame may share.
    QAction* CommandAction(int id) const;
    // The control (or bar widget) with this id, for tests and the router.
    QWidget* ControlById(int id) const;
    // This run's downloads, which the files-left counter, the animation and
    // the message line follow.
    DownloadReport& Downloads() const;
    // One line into the message line, for the frame's own commands.
    void ShowMessage(const QString& text);
    // Wires a new browser window's view to the frame's controls and report;
    // other widgets are left alone.
    void AttachView(QWidget* view);

    QString TypedAddress() const override;
    HarvestLines SelectedImages() const override;
    HarvestLines SelectedLinks() const override;
    QString BookmarkPath() const override;
    void SetBookmarkPath(const QString& path);

    // The bookmark file beside the program at programPath; empty when the path
    // is empty or has no separator after its first character.
    static QString BookmarkPathFor(const QString& programPath);
    // The bookmark file in use: the one beside the program where it exists
    // (portable use), otherwise the one in the user's data folder.
    static QString ChooseBookmarkPath(const QString& programPath, const QString& dataFolder);

    // An online time span as "HH:MM:SS"; days are dropped.
    static QString FormatElapsed(qint64 seconds);
    // Shows the time since the online timer started in the online clock; now in
    // seconds since the epoch.
    void ShowOnlineTime(qint64 now);
    // Seconds since the epoch when the online timer started.
    qint64 StartTime() const;
    void SetStartTime(qint64 seconds);

    // Brings the controls' and menu items' states and the menu bar up to date
    // with the active browser window; runs whenever the event loop goes idle.
    void UpdateUserInterface();

    // Closes as File > Exit does, without asking: running downloads are
    // interrupted and kept for the next start to offer.
    void CloseWithoutQuestions();

    // What runs the application's commands (New, Print Setup, About).
    void SetApplicationHandlers(ApplicationCommands::Handlers handlers);

    static const CommandTable<CMainFrame>& Commands();
    bool HandlesCommand(int id) const override;
    void OnCommand(int id) override;
    bool IsCommandEnabled(int id) const override;

protected:
    void timerEvent(QTimerEvent* event) override;
    // Quitting while files download asks first; No keeps them running.
    void closeEvent(QCloseEvent* event) override;
    QMenu* createPopupMenu() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Navigation bar
    QToolBar* m_navBar = nullptr;
    CAddressEdit* m_addressBox = nullptr;
    CProgressMeter* m_progressMeter = nullptr;
    CBitmapButton* m_goButton = nullptr;
    CBitmapButton* m_stopButton = nullptr;
    CBitmapButton* m_forwardButton = nullptr;
    CBitmapButton* m_backButton = nullptr;
    CBitmapButton* m_mailButton = nullptr;
    CBitmapButton* m_printButton = nullptr;
    CBitmapButton* m_historyButton = nullptr;
    CAnimation* m_animation = nullptr;
    // Harvest bar
    QToolBar* m_harvestBar = nullptr;
    CBitmapButton* m_folderButton = nullptr;
    QLabel* m_folderLabel = nullptr;
    CHarvestList* m_imageList = nullptr;
    CDigitCounter* m_imageCount = nullptr;
    CBitmapButton* m_getImagesButton = nullptr;
    CHarvestList* m_linkList = nullptr;
    CDigitCounter* m_linkCount = nullptr;
    CBitmapButton* m_getLinksButton = nullptr;
    CDigitCounter* m_imageSelCount = nullptr;
    CDigitCounter* m_linkSelCount = nullptr;
    CDigitCounter* m_filesLeft = nullptr;
    CDigitClock* m_onlineClock = nullptr;
    QLabel* m_messageLine = nullptr;
    CBitmapButton* m_addBookmarkButton = nullptr;
    CBitmapButton* m_openBookmarksButton = nullptr;
    CBitmapButton* m_makePageButton = nullptr;
    QString m_bookmarkPath;
    QStatusBar* m_statusBar = nullptr;
    qint64 m_startTime = 0; // seconds since the epoch when the online timer started

    QList<CommandTarget*> CommandRoute() const;
    static bool IsRecentFile(int id);
    static QList<CommandEntry> CommandEntries();
    void OnExit();
    void ToggleStatusBar();
    void ExportCookies();
    void CountSelectedImages();
    void CountSelectedLinks();
    void CascadeWindows();
    void TileWindows();
    QToolBar* AddBar();
    QWidget* AddPanel(QToolBar* bar);
    void FitPanel(QWidget* panel);
    void LetMessageLineTakeTheBar(QWidget* panel);
    void CreateNavBarControls(QWidget* panel);
    void CreateHarvestBarControls(QWidget* panel);
    void CreateStatusBar();
    void StartOnlineTimer();
    template <typename Control> Control* AddControl(QWidget* panel, int id, const QRect& rect);
    CBitmapButton* AddBitmapButton(QWidget* panel, int id, const QRect& rect, int upBitmap,
                                   int downBitmap);
    CDigitCounter* AddCounter(QWidget* panel, int id, const QRect& rect);
    QLabel* AddStatic(QWidget* panel, int id, const QRect& rect);
    // A harvest list whose menu's Download runs downloadCommand.
    CHarvestList* AddList(QWidget* panel, int id, const QRect& rect, int downloadCommand);
    void RegisterControl(int id, QWidget* control);
    void AddAddressKey();
    void ToggleBars();
    void OpenNewWindow();
    void OpenAddressInNewWindow(const QString& address);
    void OpenWatchedPage(const QString& address);
    void BindDownloads();
    void ShowAddress(const QString& address);
    void ClearLists();
    void ShowHarvest(const Harvest& harvest);
    void EnableDownloadButtons(bool enable);
    void ShowFolderPickerOpen(bool open);
    void ShowRunningJobs(int running);
    // Tells the view of the window activated, and the one active before, of the change.
    void ActivateView(QMdiSubWindow* window);

    QMdiArea* mdiArea = nullptr;
    CommandRouter* router = nullptr;
    FrameMenus* menus = nullptr;
    ScanCommands* scanCommands = nullptr;
    FollowCommands* followCommands = nullptr;
    DownloadCommands* downloadCommands = nullptr;
    ThumbnailsBinding* thumbnails = nullptr;
    WatchBinding* watches = nullptr;
    ApplicationCommands applicationCommands;
    LockKeyIndicators* lockIndicators = nullptr;
    RecentFileList recentFiles;
    QHash<int, QWidget*> controlsById;
    DownloadReport* downloads;
    QPointer<QWidget> focusBeforePicker;
    QPointer<CQuillmarView> activeView;
    int animationJobs = 0; // running jobs when the animation was last told
    int onlineTimerId = 0;
    bool resourcesMissing = false;
    bool asksBeforeClosing = true;
};
