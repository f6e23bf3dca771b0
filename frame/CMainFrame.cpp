#include "frame/CMainFrame.h"

#include "controls/CAddressEdit.h"
#include "controls/CAnimation.h"
#include "controls/CBitmapButton.h"
#include "controls/CDigitClock.h"
#include "controls/CDigitCounter.h"
#include "controls/CProgressMeter.h"
#include "controls/ControlTexts.h"
#include "core/CommandIds.h"
#include "core/CommandRouter.h"
#include "core/DataFolder.h"
#include "core/Prompts.h"
#include "core/StringTable.h"
#include "downloads/DownloadReport.h"
#include "engine/BrowserProfile.h"
#include "engine/CBrowserEngine.h"
#include "fetch/DownloadRegistry.h"
#include "frame/CChildFrame.h"
#include "frame/CDocTemplate.h"
#include "frame/CExportCookiesDialog.h"
#include "frame/CFollowDialog.h"
#include "frame/CHarvestList.h"
#include "frame/CMinimumSizeDialog.h"
#include "frame/CQuillmarDoc.h"
#include "frame/DownloadCommands.h"
#include "frame/DownloadTotalsPane.h"
#include "frame/FollowCommands.h"
#include "frame/FrameMenus.h"
#include "frame/FullTextToolTip.h"
#include "frame/HoverPrompts.h"
#include "frame/LineToolTips.h"
#include "frame/ListLineMenu.h"
#include "frame/LockKeyIndicators.h"
#include "frame/ScanCommands.h"
#include "frame/ThumbnailsBinding.h"
#include "frame/WatchBinding.h"
#include "harvest/Harvest.h"
#include "transfer/EngineCookieJar.h"
#include "view/CQuillmarView.h"

#include <QAbstractEventDispatcher>
#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QShortcut>
#include <QStatusBar>
#include <QTimerEvent>
#include <QToolBar>
#include <QWebEnginePage>
#include <QWebEngineProfile>

namespace {

const QString ActivityClip = QStringLiteral(":/animation/activity.gif");
const QString BookmarkFileName = QStringLiteral("QuillmarLinks.txt");

// Bar positions are given as left, top, right, bottom in bar pixels.
QRect BarRect(int left, int top, int right, int bottom) {
    return QRect(left, top, right - left, bottom - top);
}

} // namespace

CMainFrame::CMainFrame(QWidget* parent)
    : QMainWindow(parent), downloads(&DownloadReport::For(*this)) {
    m_bookmarkPath = ChooseBookmarkPath(
        QDir::toNativeSeparators(QCoreApplication::applicationFilePath()), DataFolder::Path());
    recentFiles.Load();
}

CMainFrame::~CMainFrame() {
    QObject::disconnect(QAbstractEventDispatcher::instance(), nullptr, this, nullptr);
    if (onlineTimerId != 0)
        killTimer(onlineTimerId);
    if (m_animation)
        m_animation->Close();
    recentFiles.Save();
    // The browser windows go first, while the frame and the controls their
    // views may still touch are whole.
    if (mdiArea) {
        disconnect(mdiArea, nullptr, this, nullptr);
        qDeleteAll(mdiArea->subWindowList());
    }
}

// Every command the menus and keys offer, from the table of each command
// owner on the route.
QList<CommandEntry> CMainFrame::CommandEntries() {
    return CQuillmarView::Commands().Entries() + CChildFrame::Commands().Entries() +
           Commands().Entries() + ScanCommands::Commands().Entries() +
           FollowCommands::Commands().Entries() + DownloadCommands::Commands().Entries() +
           ThumbnailsBinding::Commands().Entries() + WatchBinding::Commands().Entries() +
           ApplicationCommands::Commands().Entries();
}

bool CMainFrame::Create() {
    setWindowTitle(StringTable::text(IDR_MAINFRAME));
    mdiArea = new QMdiArea(this);
    setCentralWidget(mdiArea);
    router = new CommandRouter([this] { return CommandRoute(); }, this);
    menus = new FrameMenus(*this, *mdiArea, *router, CommandEntries());
    scanCommands = new ScanCommands(*this, *menus->Action(ID_SCAN_DEEP), &CMinimumSizeDialog::Ask);
    followCommands = new FollowCommands(*this, &CFollowDialog::Ask);
    downloadCommands = new DownloadCommands(*this);
    menus->ShowRecentFiles(recentFiles.Entries());

    m_navBar = AddBar();
    addToolBarBreak();
    m_harvestBar = AddBar();
    NameControl(m_navBar, ID_VIEW_TOOLBAR);
    NameControl(m_harvestBar, IDR_HARVESTBAR);
    AddAddressKey();
    CreateNavBarControls(AddPanel(m_navBar));
    CreateHarvestBarControls(AddPanel(m_harvestBar));
    if (resourcesMissing)
        return false;
    thumbnails = new ThumbnailsBinding(*this, *m_imageList, *m_linkList, *scanCommands);
    watches = new WatchBinding(*this,
                               [this](const QString& address) { OpenAddressInNewWindow(address); });
    CreateStatusBar();
    StartOnlineTimer();
    BindDownloads();

    connect(mdiArea, &QMdiArea::subWindowActivated, this, &CMainFrame::UpdateUserInterface);
    connect(mdiArea, &QMdiArea::subWindowActivated, this, &CMainFrame::ActivateView);
    connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock, this,
            &CMainFrame::UpdateUserInterface);
    UpdateUserInterface();
    return true;
}

QString CMainFrame::BookmarkPathFor(const QString& programPath) {
    const int separator = programPath.lastIndexOf(QDir::separator());
    if (separator <= 0)
        return QString();
    return programPath.left(separator) + QDir::separator() + BookmarkFileName;
}

QString CMainFrame::ChooseBookmarkPath(const QString& programPath, const QString& dataFolder) {
    const QString beside = BookmarkPathFor(programPath);
    if (!beside.isEmpty() && QFileInfo::exists(beside))
        return beside;
    return QDir::toNativeSeparators(dataFolder) + QDir::separator() + BookmarkFileName;
}

QString CMainFrame::FormatElapsed(qint64 seconds) {
    // A clock set back must not show a negative span.
    const qint64 span = qMax<qint64>(seconds, 0);
    return QStringLiteral("%1:%2:%3")
        .arg(span / 3600 % 24, 2, 10, QLatin1Char('0'))
        .arg(span / 60 % 60, 2, 10, QLatin1Char('0'))
        .arg(span % 60, 2, 10, QLatin1Char('0'));
}

void CMainFrame::ShowOnlineTime(qint64 now) {
    m_onlineClock->SetText(FormatElapsed(now - m_startTime));
}

QMdiArea* CMainFrame::MdiArea() const {
    return mdiArea;
}

CChildFrame* CMainFrame::ActiveChildFrame() const {
    return mdiArea ? qobject_cast<CChildFrame*>(mdiArea->currentSubWindow()) : nullptr;
}

QWidget* CMainFrame::ActiveViewWidget() const {
    const CChildFrame* child = ActiveChildFrame();
    return child ? child->View() : nullptr;
}

CommandRouter& CMainFrame::Router() const {
    return *router;
}

QAction* CMainFrame::CommandAction(int id) const {
    return menus->Action(id);
}

QWidget* CMainFrame::ControlById(int id) const {
    return controlsById.value(id);
}

DownloadReport& CMainFrame::Downloads() const {
    return *downloads;
}

void CMainFrame::ShowMessage(const QString& text) {
    m_messageLine->setText(text);
}

void CMainFrame::AttachView(QWidget* widget) {
    auto* view = qobject_cast<CQuillmarView*>(widget);
    if (!view)
        return;
    view->SetInput(this);
    view->SetDownloadReport(downloads);
    m_folderLabel->setText(view->DownloadFolder());
    // Every view's announcements are shown; a view announces list, count and
    // address changes only while its window is the active one.
    connect(view, &CQuillmarView::messageChanged, m_messageLine, &QLabel::setText);
    connect(view, &CQuillmarView::addressChanged, this, &CMainFrame::ShowAddress);
    connect(view, &CQuillmarView::addressTyped, m_addressBox, &QLineEdit::setText);
    connect(view, &CQuillmarView::folderChanged, m_folderLabel, &QLabel::setText);
    connect(view, &CQuillmarView::downloadButtonsEnabled, this, &CMainFrame::EnableDownloadButtons);
    connect(view, &CQuillmarView::folderPickerOpen, this, &CMainFrame::ShowFolderPickerOpen);
    connect(view, &CQuillmarView::listsCleared, this, &CMainFrame::ClearLists);
    connect(view, &CQuillmarView::harvestShown, this, &CMainFrame::ShowHarvest);
    connect(view, &CQuillmarView::selectionShown, this,
            [this](const HarvestLines& images, const HarvestLines& links) {
                m_imageList->SelectLines(images);
                m_linkList->SelectLines(links);
            });
    connect(view, &CQuillmarView::harvestShown, thumbnails,
            [thumbnails = thumbnails, view](const Harvest& harvest) {
                thumbnails->ShowHarvest(*view, harvest);
            });
    connect(view, &CQuillmarView::listsCleared, thumbnails, &ThumbnailsBinding::ClearHarvest);
    connect(view, &CQuillmarView::progressChanged, m_progressMeter, &CProgressMeter::SetProgress);
    connect(view, &CQuillmarView::progressCleared, m_progressMeter,
            [meter = m_progressMeter] { meter->SetLevel(0); });
    // Escape in the page stops a load, as the Stop button does; once the page
    // has loaded, Escape is the page's own again (closing its pop-ups).
    auto* stop = new QShortcut(QKeySequence(Qt::Key_Escape), view, nullptr, nullptr,
                               Qt::WidgetWithChildrenShortcut);
    stop->setEnabled(false);
    connect(stop, &QShortcut::activated, view, &CQuillmarView::OnStop);
    connect(view->Engine(), &CBrowserEngine::loadStarted, stop, [stop] { stop->setEnabled(true); });
    connect(view->Engine(), &CBrowserEngine::loadFinished, stop,
            [stop] { stop->setEnabled(false); });
}

// No window activated (the area lost its last) changes nothing: the window
// current before stays the active one.
void CMainFrame::ActivateView(QMdiSubWindow* window) {
    if (!window)
        return;
    auto* view = qobject_cast<CQuillmarView*>(window->widget());
    if (activeView && activeView != view)
        activeView->SetActive(false);
    activeView = view;
    if (view)
        view->SetActive(true);
}

// Disabling the focused button would pass the focus on for good: it comes back
// once the picker has closed, so a keyboard user goes on where they were.
void CMainFrame::ShowFolderPickerOpen(bool open) {
    if (open)
        focusBeforePicker = QApplication::focusWidget();
    m_folderButton->setEnabled(!open);
    EnableDownloadButtons(!open);
    if (!open && focusBeforePicker)
        focusBeforePicker->setFocus(Qt::OtherFocusReason);
}

QString CMainFrame::TypedAddress() const {
    return m_addressBox->text();
}

HarvestLines CMainFrame::SelectedImages() const {
    return m_imageList->SelectedLines();
}

HarvestLines CMainFrame::SelectedLinks() const {
    return m_linkList->SelectedLines();
}

QString CMainFrame::BookmarkPath() const {
    return m_bookmarkPath;
}

void CMainFrame::SetBookmarkPath(const QString& path) {
    m_bookmarkPath = path;
}

qint64 CMainFrame::StartTime() const {
    return m_startTime;
}

void CMainFrame::SetStartTime(qint64 seconds) {
    m_startTime = seconds;
}

void CMainFrame::BindDownloads() {
    connect(downloads, &DownloadReport::filesLeftChanged, m_filesLeft, &CDigitCounter::SetNumber);
    connect(downloads, &DownloadReport::messageChanged, m_messageLine, &QLabel::setText);
    connect(downloads, &DownloadReport::runningJobsChanged, this, &CMainFrame::ShowRunningJobs);
}

// The animation restarts with every job that starts and stops with the last.
void CMainFrame::ShowRunningJobs(int running) {
    if (running > animationJobs)
        m_animation->Play();
    else if (running == 0)
        m_animation->Stop();
    animationJobs = running;
}

void CMainFrame::ShowAddress(const QString& address) {
    m_addressBox->setText(address);
    // Show the start of a long address, as browsers do.
    m_addressBox->setCursorPosition(0);
}

void CMainFrame::EnableDownloadButtons(bool enable) {
    m_getImagesButton->setEnabled(enable);
    m_getLinksButton->setEnabled(enable);
}

void CMainFrame::ClearLists() {
    m_imageList->ResetContent();
    m_linkList->ResetContent();
    m_linkSelCount->SetNumber(0);
    m_imageSelCount->SetNumber(0);
}

void CMainFrame::ShowHarvest(const Harvest& harvest) {
    ClearLists();
    m_imageList->AddStrings(harvest.imageLines);
    m_linkList->AddStrings(harvest.linkLines);
    // Only Deep Scan knows more of a line than its name and address.
    if (!harvest.imageDetails.empty())
        LineToolTips::Show(*m_imageList, harvest.imageDetails, harvest.sources);
    if (!harvest.linkDetails.empty())
        LineToolTips::Show(*m_linkList, harvest.linkDetails);
    m_imageCount->SetNumber(PageScan::AddressCount(harvest.imageMap));
    m_linkCount->SetNumber(PageScan::AddressCount(harvest.linkMap));
}

QList<CommandTarget*> CMainFrame::CommandRoute() const {
    QList<CommandTarget*> route;
    if (CChildFrame* child = ActiveChildFrame()) {
        if (auto* view = dynamic_cast<CommandTarget*>(child->View()))
            route.append(view);
        if (CQuillmarDoc* document = child->Document())
            route.append(document);
        route.append(child);
    }
    route.append(const_cast<CMainFrame*>(this));
    if (scanCommands)
        route.append(scanCommands);
    if (followCommands)
        route.append(followCommands);
    if (downloadCommands)
        route.append(downloadCommands);
    if (thumbnails)
        route.append(thumbnails);
    if (watches)
        route.append(watches);
    route.append(const_cast<ApplicationCommands*>(&applicationCommands));
    return route;
}

void CMainFrame::SetApplicationHandlers(ApplicationCommands::Handlers handlers) {
    applicationCommands.SetHandlers(std::move(handlers));
}

const CommandTable<CMainFrame>& CMainFrame::Commands() {
    static const CommandTable<CMainFrame> table = {
        {{ID_APP_EXIT, "E&xit"}, &CMainFrame::OnExit},
        {{ID_VIEW_TOOLBAR, "&Toolbar", {}, CommandEntry::Style::Checkable},
         &CMainFrame::ToggleBars},
        {{ID_VIEW_STATUS_BAR, "&Status Bar", {}, CommandEntry::Style::Checkable},
         &CMainFrame::ToggleStatusBar},
        {{ID_FILE_EXPORT_COOKIES, "&Export Cookies..."}, &CMainFrame::ExportCookies},
        {{ID_WINDOW_NEW, "&New Window"}, &CMainFrame::OpenNewWindow},
        {{ID_WINDOW_CASCADE, "&Cascade"}, &CMainFrame::CascadeWindows},
        {{ID_WINDOW_TILE_HORZ, "&Tile"}, &CMainFrame::TileWindows},
        {{ID_IMAGE_LIST}, &CMainFrame::CountSelectedImages},
        {{ID_LINK_LIST}, &CMainFrame::CountSelectedLinks},
    };
    return table;
}

bool CMainFrame::IsRecentFile(int id) {
    return id >= ID_FILE_MRU_FILE1 && id < ID_FILE_MRU_FILE1 + RecentFileList::MaxEntries;
}

bool CMainFrame::HandlesCommand(int id) const {
    return Commands().Handles(id) || IsRecentFile(id);
}

bool CMainFrame::IsCommandEnabled(int id) const {
    switch (id) {
    case ID_WINDOW_NEW:
        return ActiveChildFrame() && ActiveChildFrame()->Document();
    case ID_WINDOW_CASCADE:
    case ID_WINDOW_TILE_HORZ:
        return !mdiArea->subWindowList().isEmpty();
    default:
        return !IsRecentFile(id) || id - ID_FILE_MRU_FILE1 < recentFiles.Entries().size();
    }
}

void CMainFrame::OnCommand(int id) {
    // A browser window does not load documents from files: a recent file
    // opens one more browser window, as New does.
    if (IsRecentFile(id))
        router->Execute(ID_FILE_NEW);
    else
        Commands().Run(*this, id);
}

void CMainFrame::OnExit() {
    close();
}

void CMainFrame::ToggleStatusBar() {
    m_statusBar->setVisible(m_statusBar->isHidden());
}

// The cookies of the active window's profile, which is every window's.
void CMainFrame::ExportCookies() {
    const auto* view = qobject_cast<CQuillmarView*>(ActiveViewWidget());
    QWebEngineProfile* profile =
        view ? view->Engine()->Page()->profile() : BrowserProfile::Current();
    const QString host = view ? QUrl(view->Engine()->Location()).host() : QString();
    const QString saved = CExportCookiesDialog::Run(
        this, *EngineCookieJar::ForProfile(profile ? profile : QWebEngineProfile::defaultProfile()),
        host);
    if (!saved.isEmpty())
        m_messageLine->setText(saved);
}

void CMainFrame::CountSelectedImages() {
    m_imageSelCount->SetNumber(m_imageList->GetSelCount());
}

void CMainFrame::CountSelectedLinks() {
    m_linkSelCount->SetNumber(m_linkList->GetSelCount());
}

void CMainFrame::CascadeWindows() {
    mdiArea->cascadeSubWindows();
}

void CMainFrame::TileWindows() {
    mdiArea->tileSubWindows();
}

void CMainFrame::UpdateUserInterface() {
    router->UpdateStates();
    menus->ShowWindowMenus(!mdiArea->subWindowList().isEmpty());
    menus->Action(ID_VIEW_TOOLBAR)->setChecked(!m_navBar->isHidden());
    menus->Action(ID_VIEW_STATUS_BAR)->setChecked(!m_statusBar->isHidden());
}

void CMainFrame::CloseWithoutQuestions() {
    asksBeforeClosing = false;
    close();
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    if (asksBeforeClosing && DownloadRegistry::Instance().DownloadRunning() &&
        !Prompts::current().askYesNo(this, downloads->QuitQuestion(),
                                     StringTable::text(IDR_MAINFRAME))) {
        event->ignore();
        return;
    }
    // Quitting keeps what was fetched, for the next start to continue.
    DownloadRegistry::Instance().RequestInterruptAll();
    QMainWindow::closeEvent(event);
}

void CMainFrame::timerEvent(QTimerEvent* event) {
    if (event->timerId() != onlineTimerId) {
        QMainWindow::timerEvent(event);
        return;
    }
    // Computed from the start time, not counted, so a late tick shows the true time.
    ShowOnlineTime(QDateTime::currentSecsSinceEpoch());
    lockIndicators->Refresh();
}

QMenu* CMainFrame::createPopupMenu() {
    // The bars are fixed; there is nothing to offer on them.
    return nullptr;
}

QToolBar* CMainFrame::AddBar() {
    auto* bar = new QToolBar(this);
    bar->setMovable(false);
    bar->setFloatable(false);
    addToolBar(Qt::TopToolBarArea, bar);
    if (!controlsById.contains(ID_VIEW_TOOLBAR))
        controlsById.insert(ID_VIEW_TOOLBAR, bar);
    return bar;
}

QWidget* CMainFrame::AddPanel(QToolBar* bar) {
    auto* panel = new QWidget(bar);
    bar->addWidget(panel);
    return panel;
}

// The message line's own 195 pixels cut a message as common as "Download
// complete: 8 saved, 0 already saved, 0 skipped, 1 failed"; the bar is wider, and nothing sits to
// the line's right, so the panel takes the bar's width and the line all of it.
void CMainFrame::LetMessageLineTakeTheBar(QWidget* panel) {
    m_messageLine->setMinimumWidth(m_messageLine->width());
    panel->setMinimumSize(panel->size());
    panel->setMaximumSize(QWIDGETSIZE_MAX, panel->height());
    panel->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    panel->installEventFilter(this);
}

bool CMainFrame::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Resize && watched == m_messageLine->parentWidget()) {
        const int right = m_messageLine->parentWidget()->width() - 3;
        m_messageLine->resize(right - m_messageLine->x(), m_messageLine->height());
    }
    return QMainWindow::eventFilter(watched, event);
}

void CMainFrame::FitPanel(QWidget* panel) {
    // The controls keep their positions; the panel just holds them all.
    const QRect used = panel->childrenRect();
    panel->setFixedSize(used.right() + 3, used.bottom() + 2);
}

template <typename Control>
Control* CMainFrame::AddControl(QWidget* panel, int id, const QRect& rect) {
    auto* control = new Control(panel);
    control->setGeometry(rect);
    RegisterControl(id, control);
    control->show();
    return control;
}

void CMainFrame::RegisterControl(int id, QWidget* control) {
    control->setObjectName(QString::number(id));
    control->setProperty("commandId", id);
    controlsById.insert(id, control);
    ApplyControlTexts(control, id);
    if (qobject_cast<QAbstractButton*>(control) || CommandRouter::IsAlwaysEnabled(id))
        router->AddControl(id, control);
}

CBitmapButton* CMainFrame::AddBitmapButton(QWidget* panel, int id, const QRect& rect, int upBitmap,
                                           int downBitmap) {
    auto* button = AddControl<CBitmapButton>(panel, id, rect);
    if (!button->LoadBitmaps(upBitmap, downBitmap))
        resourcesMissing = true;
    return button;
}

CDigitCounter* CMainFrame::AddCounter(QWidget* panel, int id, const QRect& rect) {
    auto* counter = AddControl<CDigitCounter>(panel, id, rect);
    counter->SetNumber(0);
    return counter;
}

QLabel* CMainFrame::AddStatic(QWidget* panel, int id, const QRect& rect) {
    auto* label = AddControl<QLabel>(panel, id, rect);
    label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    label->setTextFormat(Qt::PlainText);
    // Screen readers read a static's text as its name; the table says what it is.
    label->setAccessibleName(QString());
    label->setAccessibleDescription(StringTable::name(id));
    return label;
}

CHarvestList* CMainFrame::AddList(QWidget* panel, int id, const QRect& rect, int downloadCommand) {
    auto* list = AddControl<CHarvestList>(panel, id, rect);
    connect(list, &QListWidget::itemSelectionChanged, this, [this, id] { router->Execute(id); });
    new ListLineMenu(
        *list, [this](const QString& address) { OpenAddressInNewWindow(address); },
        [this, downloadCommand] { router->Execute(downloadCommand); },
        [this] { router->Execute(ID_VIEW_THUMBNAILS); });
    return list;
}

void CMainFrame::CreateNavBarControls(QWidget* panel) {
    m_printButton = AddBitmapButton(panel, ID_FILE_PRINT, BarRect(2, 1, 22, 21), 199, 197);
    m_mailButton = AddBitmapButton(panel, ID_SEND_MAIL, BarRect(22, 1, 42, 21), 196, 195);
    m_historyButton = AddBitmapButton(panel, ID_HISTORY, BarRect(42, 1, 62, 21), 205, 206);
    m_backButton = AddBitmapButton(panel, ID_BACK, BarRect(62, 1, 82, 21), 193, 190);
    m_forwardButton = AddBitmapButton(panel, ID_FORWARD, BarRect(82, 1, 102, 21), 191, 192);
    m_stopButton = AddBitmapButton(panel, ID_STOP, BarRect(102, 1, 122, 21), 189, 194);
    m_goButton = AddBitmapButton(panel, ID_GO, BarRect(122, 1, 142, 21), 187, 188);

    m_addressBox = AddControl<CAddressEdit>(panel, ID_ADDRESS_BOX, BarRect(145, 0, 530, 23));
    connect(m_addressBox, &CAddressEdit::goRequested, this, [this] {
        router->Execute(ID_GO);
        // Without a browser window Go has nowhere to go.
        if (!ActiveViewWidget())
            m_messageLine->setText(QString::fromLatin1(CQuillmarView::OpenNewViewText));
    });

    m_progressMeter =
        AddControl<CProgressMeter>(panel, ID_PROGRESS_METER, BarRect(535, 1, 590, 20));
    m_progressMeter->SetBackgroundColour(QColor(0, 0, 0));
    m_progressMeter->SetHighlightColour(QColor(0, 255, 0));
    m_progressMeter->SetShadowColour(QColor(0, 100, 0));
    m_progressMeter->SetSegmentColour(QColor(255, 255, 0));

    m_animation = AddControl<CAnimation>(panel, ID_ANIMATION, BarRect(595, 0, 625, 23));
    m_animation->setAlignment(Qt::AlignCenter);
    if (!m_animation->Open(ActivityClip))
        resourcesMissing = true;
    FitPanel(panel);
}

void CMainFrame::CreateHarvestBarControls(QWidget* panel) {
    m_folderButton =
        AddBitmapButton(panel, ID_SET_DOWNLOAD_FOLDER, BarRect(2, 1, 22, 21), 172, 173);
    m_folderLabel = AddStatic(panel, ID_FOLDER_LABEL, BarRect(27, 1, 452, 20));
    m_messageLine = AddStatic(panel, ID_MESSAGE_LINE, BarRect(457, 1, 652, 20));
    FullTextToolTip::Install(m_messageLine);
    m_imageList = AddList(panel, ID_IMAGE_LIST, BarRect(2, 22, 202, 82), ID_DOWNLOAD_IMAGES);
    m_imageCount = AddCounter(panel, ID_IMAGE_COUNT, BarRect(202, 22, 232, 42));
    m_imageSelCount = AddCounter(panel, ID_IMAGE_SEL_COUNT, BarRect(202, 42, 232, 62));
    m_getImagesButton =
        AddBitmapButton(panel, ID_DOWNLOAD_IMAGES, BarRect(232, 22, 252, 42), 170, 171);
    m_linkList = AddList(panel, ID_LINK_LIST, BarRect(252, 22, 452, 82), ID_DOWNLOAD_LINKS);
    m_linkCount = AddCounter(panel, ID_LINK_COUNT, BarRect(452, 22, 482, 42));
    m_linkSelCount = AddCounter(panel, ID_LINK_SEL_COUNT, BarRect(452, 42, 482, 62));
    m_getLinksButton =
        AddBitmapButton(panel, ID_DOWNLOAD_LINKS, BarRect(482, 22, 502, 42), 170, 171);
    m_filesLeft = AddCounter(panel, ID_FILES_LEFT, BarRect(505, 22, 535, 42));
    m_onlineClock = AddControl<CDigitClock>(panel, ID_ONLINE_CLOCK, BarRect(537, 22, 614, 42));
    m_onlineClock->SetText(QStringLiteral("00:00:00"));
    m_openBookmarksButton =
        AddBitmapButton(panel, ID_OPEN_BOOKMARKS, BarRect(545, 47, 565, 67), 168, 169);
    m_addBookmarkButton =
        AddBitmapButton(panel, ID_ADD_BOOKMARK, BarRect(565, 47, 585, 67), 166, 167);
    m_makePageButton = AddBitmapButton(panel, ID_MAKE_PAGE, BarRect(585, 47, 605, 67), 164, 165);
    FitPanel(panel);
    LetMessageLineTakeTheBar(panel);
}

void CMainFrame::CreateStatusBar() {
    m_statusBar = statusBar();
    controlsById.insert(ID_VIEW_STATUS_BAR, m_statusBar);
    // A normal widget: hidden while a prompt is shown, back when it is cleared.
    m_statusBar->addWidget(new QLabel(StringTable::text(IDS_IDLE_MESSAGE), m_statusBar), 1);
    new DownloadTotalsPane(*m_statusBar, *downloads);
    lockIndicators = new LockKeyIndicators(*m_statusBar);
    auto* prompts = new HoverPrompts(*m_statusBar);
    for (QWidget* control : std::as_const(controlsById))
        if (!control->statusTip().isEmpty())
            prompts->Watch(*control);
}

void CMainFrame::StartOnlineTimer() {
    onlineTimerId = startTimer(1000);
    // Without a timer the clock just stays at "00:00:00".
    if (onlineTimerId != 0)
        m_startTime = QDateTime::currentSecsSinceEpoch();
}

// Ctrl+L, as in other browsers: the address ready to be typed over.
void CMainFrame::AddAddressKey() {
    auto* toAddress = new QAction(this);
    toAddress->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_L));
    addAction(toAddress);
    connect(toAddress, &QAction::triggered, this, [this] {
        m_addressBox->setFocus(Qt::ShortcutFocusReason);
        m_addressBox->selectAll();
    });
}

void CMainFrame::ToggleBars() {
    const bool show = m_navBar->isHidden();
    m_navBar->setVisible(show);
    m_harvestBar->setVisible(show);
}

void CMainFrame::OpenAddressInNewWindow(const QString& address) {
    CChildFrame* child = ActiveChildFrame();
    if (child && child->Document())
        child->Document()->Template().OpenNewDocument(*this, address);
}

// In a new browser window, also when none is open.
void CMainFrame::OpenWatchedPage(const QString& address) {
    if (ActiveChildFrame()) {
        OpenAddressInNewWindow(address);
        return;
    }
    router->Execute(ID_FILE_NEW);
    if (auto* view = qobject_cast<CQuillmarView*>(ActiveViewWidget()))
        view->Engine()->Navigate(address);
}

void CMainFrame::OpenNewWindow() {
    CChildFrame* child = ActiveChildFrame();
    if (child && child->Document())
        child->Document()->Template().CreateNewFrame(*child->Document(), *this);
}

#include "moc_CMainFrame.cpp"
