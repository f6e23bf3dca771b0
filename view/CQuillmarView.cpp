#include "view/CQuillmarView.h"

#include "bookmarks/LinkHistory.h"
#include "core/CommandIds.h"
#include "core/Prompts.h"
#include "core/Settings.h"
#include "engine/CBrowserEngine.h"
#include "fetch/DownloadRegistry.h"
#include "follow/PageFollow.h"
#include "transfer/EngineCookieJar.h"
#include "view/PageScroller.h"
#include "view/ViewInput.h"

#include <QCloseEvent>
#include <QHash>
#include <QPointer>
#include <QPrinter>
#include <QUrl>
#include <QVBoxLayout>
#include <QWebEnginePage>

#include <algorithm>

namespace {

// The Scan menu's settings as they are now; all windows share them.
ScanMode CurrentScanMode() {
    const bool deep = Settings::DeepScan();
    return {deep, deep ? Settings::MinimumPictureSize() : QSize()};
}

bool operator==(const ScanMode& a, const ScanMode& b) {
    return a.deep == b.deep && a.minimumSize == b.minimumSize;
}

} // namespace

const char* const CQuillmarView::NoFolderText = "No download directory selected.";
const char* const CQuillmarView::OpenNewViewText = "Open new view.";
const char* const CQuillmarView::NotAnAddressText = "Not a valid address.";

CQuillmarView::CQuillmarView(const QString& startAddress, QWidget* parent)
    : QWidget(parent), startAddress(startAddress), downloads(*this), bookmarks(*this),
      engine(new CBrowserEngine(this)) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(engine);
    setFocusProxy(engine);

    connect(engine, &CBrowserEngine::loadStarted, this, &CQuillmarView::OnLoadStarted);
    connect(engine, &CBrowserEngine::loadFinished, this, &CQuillmarView::OnLoadFinished);
    connect(engine, &CBrowserEngine::progressChange, this, &CQuillmarView::progressChanged);
    connect(engine, &CBrowserEngine::titleChange, this, &CQuillmarView::OnTitleChange);
    // Follows the engine's cookies from the first page on, for the downloads.
    EngineCookieJar::ForProfile(engine->Page()->profile());
}

CQuillmarView::~CQuillmarView() {
    // A follow ending as it goes must not report to a view half gone.
    if (follow)
        disconnect(follow, nullptr, this, nullptr);
    // The engine may still be printing into the printer this view owns.
    delete engine;
}

void CQuillmarView::SetInput(ViewInput* frameInput) {
    input = frameInput;
}

CBrowserEngine* CQuillmarView::Engine() const {
    return engine;
}

void CQuillmarView::RecordLocation() {
    const QString location = engine->Location();
    if (location.isEmpty())
        return;
    // The address box belongs to the active window; others only keep their history.
    if (IsActive())
        emit addressChanged(location);
    LinkHistory::Add(linkHistory, location);
}

bool CQuillmarView::IsActive() const {
    return active;
}

void CQuillmarView::SetActive(bool nowActive) {
    active = nowActive;
    if (!active) {
        // The window shown before keeps its selection while the lists still hold it.
        if (listsShown)
            KeepSelection();
        listsShown = false;
        return;
    }
    // Reactivating the window already shown keeps the user's selection.
    if (!listsShown) {
        ShowOwnOrFreshScan();
        emit folderChanged(downloads.Folder());
    }
    RecordLocation();
}

const Harvest& CQuillmarView::LastHarvest() const {
    return harvest;
}

void CQuillmarView::SetLastHarvest(const Harvest& scan) {
    harvest = scan;
}

const QStringList& CQuillmarView::History() const {
    return linkHistory;
}

void CQuillmarView::SetHistory(const QStringList& addresses) {
    linkHistory = addresses;
}

void CQuillmarView::ShowOwnScan() {
    listsShown = true;
    emit harvestShown(harvest);
    if (!keptImages.isEmpty() || !keptLinks.isEmpty())
        emit selectionShown(keptImages, keptLinks);
}

void CQuillmarView::KeepSelection() {
    if (!input)
        return;
    keptImages = input->SelectedImages();
    keptLinks = input->SelectedLinks();
}

// A scan made before the Scan menu's settings last changed is not shown: the
// window scans again and its lists stay empty until that scan answers.
void CQuillmarView::ShowOwnOrFreshScan() {
    if (loadInProgress || harvestMode == CurrentScanMode()) {
        ShowOwnScan();
        return;
    }
    harvest = Harvest();
    ShowOwnScan();
    ScanPage();
}

void CQuillmarView::ScanPage(bool atLoad) {
    const quint64 load = loadEvents;
    const quint64 request = ++scanRequests;
    const ScanMode mode = CurrentScanMode();
    QPointer<CQuillmarView> self(this);
    auto show = [self, load, request, mode](const PageSnapshot& page) {
        // A load begun or completed since then, or a later scan of the same page
        // (a Deep Scan answers later than a plain one), makes this result stale.
        if (self && !self->closed && self->loadEvents == load && self->scanRequests == request)
            self->ShowScanResult(page, mode);
    };
    if (mode.deep)
        engine->TakeDeepSnapshot(show);
    else if (atLoad)
        engine->TakeLoadSnapshot(show);
    else
        engine->TakeSnapshot(show);
}

void CQuillmarView::Rescan() {
    // The lines still listed after the rescan stay selected.
    if (listsShown)
        KeepSelection();
    // A page still loading is scanned when it completes, in the new mode.
    if (!loadInProgress)
        ScanPage();
}

void CQuillmarView::OnScrollAndScan() {
    if (scroller)
        return;
    scroller = new PageScroller(engine->Page(), this);
    connect(scroller, &PageScroller::finished, this, [this] {
        scroller->deleteLater();
        Rescan();
    });
    scroller->Start();
}

bool CQuillmarView::LoadInProgress() const {
    return loadInProgress;
}

void CQuillmarView::FollowThumbnails(const FollowOptions& options) {
    if (follow)
        return;
    followPageChanged = false;
    follow = new PageFollow(*engine, this);
    connect(follow, &PageFollow::progress, this, &CQuillmarView::ShowFollowProgress);
    connect(follow, &PageFollow::finished, this, &CQuillmarView::FollowEnded);
    connect(this, &CQuillmarView::stopRequested, follow, &PageFollow::Cancel);
    connect(engine, &CBrowserEngine::loadStarted, follow, [this] {
        followPageChanged = true;
        follow->Cancel();
    });
    emit messageChanged(QStringLiteral("Following thumbnails..."));
    follow->Start(options);
}

bool CQuillmarView::IsFollowing() const {
    return follow;
}

void CQuillmarView::ShowFollowProgress(const FollowProgress& progress) {
    emit progressChanged(progress.done, progress.total);
    emit messageChanged(progress.Text());
}

void CQuillmarView::FollowEnded() {
    const std::optional<Harvest> result = follow->Result();
    const bool cancelled = follow->Cancelled();
    const QString summary = cancelled ? follow->Summary().StoppedText() : follow->Summary().Text();
    follow->deleteLater(); // it is emitting
    emit progressCleared();
    emit messageChanged(summary);
    if (!result || followPageChanged)
        return;
    harvest = *result;
    if (IsActive()) {
        ShowOwnScan();
        emit downloadButtonsEnabled(true);
    }
}

void CQuillmarView::ShowScanResult(const PageSnapshot& page, const ScanMode& mode) {
    harvest = Harvest::Scan(page, mode);
    harvestMode = mode;
    loadInProgress = false;
    if (!IsActive())
        return;
    ShowOwnScan();
    emit downloadButtonsEnabled(true);
}

void CQuillmarView::OnBack() {
    engine->GoBack();
}

void CQuillmarView::OnForward() {
    engine->GoForward();
}

void CQuillmarView::OnReload() {
    engine->Reload();
}

void CQuillmarView::OnStop() {
    DownloadRegistry::Instance().RequestCancelAll();
    emit messageChanged(QStringLiteral("Stop download."));
    engine->Stop();
    emit progressCleared();
    emit stopRequested();
}

void CQuillmarView::OnGo() {
    if (input)
        Go(input->TypedAddress());
}

void CQuillmarView::Go(const QString& address) {
    if (!active) {
        emit messageChanged(QString::fromLatin1(OpenNewViewText));
        return;
    }
    if (!address.isEmpty() && !engine->Navigate(address))
        emit messageChanged(QString::fromLatin1(NotAnAddressText));
}

void CQuillmarView::OnSendMail() {
    if (!Prompts::current().openExternal(QUrl(QStringLiteral("mailto:"))))
        Prompts::current().message(this, QStringLiteral("Unable to launch mail"),
                                   QStringLiteral("Error"), Prompts::Icon::Exclamation);
}

void CQuillmarView::OnPrint() {
    if (printer)
        return;
    auto chosen = std::make_unique<QPrinter>();
    if (!Prompts::current().choosePrinter(this, *chosen))
        return;
    printer = std::move(chosen);
    QPointer<CQuillmarView> self(this);
    engine->Print(*printer, [self](bool) {
        if (self)
            self->PrintFinished();
    });
}

void CQuillmarView::PrintFinished() {
    printer.reset();
}

// Download commands --------------------------------------------------------

void CQuillmarView::OnSetDownloadFolder() {
    downloads.ChooseFolder();
}

void CQuillmarView::OnDownloadImages() {
    if (input)
        downloads.DownloadSelected(input->SelectedImages(), harvest.imageMap,
                                   QStringLiteral("No available image files."));
}

void CQuillmarView::OnDownloadImageLinks() {
    if (input)
        downloads.DownloadSelected(input->SelectedLinks(), harvest.linkMap,
                                   QStringLiteral("No available image links."));
}

// Bookmarks, history and the image page ---------------------------------------

void CQuillmarView::OnAddBookmark() {
    if (input)
        bookmarks.Add(input->TypedAddress(), input->BookmarkPath());
}

void CQuillmarView::OnOpenBookmarks() {
    if (input)
        bookmarks.Open(input->BookmarkPath());
}

void CQuillmarView::OnShowHistory() {
    bookmarks.ShowHistory(linkHistory);
}

void CQuillmarView::OnMakePage() {
    bookmarks.MakePage();
}

// The view's commands; the buttons' have neither menu entry nor key.
const CommandTable<CQuillmarView>& CQuillmarView::Commands() {
    static const CommandTable<CQuillmarView> table = {
        {{ID_FILE_PRINT, nullptr, {Qt::CTRL | Qt::Key_P}}, &CQuillmarView::OnPrint},
        {{ID_BACK, nullptr, {Qt::ALT | Qt::Key_Left}}, &CQuillmarView::OnBack},
        {{ID_FORWARD, nullptr, {Qt::ALT | Qt::Key_Right}}, &CQuillmarView::OnForward},
        {{ID_VIEW_RELOAD, "&Reload\tF5", {Qt::Key_F5}}, &CQuillmarView::OnReload},
        {{ID_STOP}, &CQuillmarView::OnStop},
        {{ID_GO}, &CQuillmarView::OnGo},
        {{ID_SEND_MAIL}, &CQuillmarView::OnSendMail},
        {{ID_SET_DOWNLOAD_FOLDER}, &CQuillmarView::OnSetDownloadFolder},
        {{ID_DOWNLOAD_IMAGES}, &CQuillmarView::OnDownloadImages},
        {{ID_DOWNLOAD_LINKS}, &CQuillmarView::OnDownloadImageLinks},
        {{ID_ADD_BOOKMARK}, &CQuillmarView::OnAddBookmark},
        {{ID_OPEN_BOOKMARKS}, &CQuillmarView::OnOpenBookmarks},
        {{ID_HISTORY}, &CQuillmarView::OnShowHistory},
        {{ID_MAKE_PAGE}, &CQuillmarView::OnMakePage},
        {{ID_SCAN_SCROLL, "&Scroll and Scan\tCtrl+Shift+S", {Qt::CTRL | Qt::SHIFT | Qt::Key_S}},
         &CQuillmarView::OnScrollAndScan},
    };
    return table;
}

bool CQuillmarView::HandlesCommand(int id) const {
    return Commands().Handles(id);
}

void CQuillmarView::OnCommand(int id) {
    Commands().Run(*this, id);
}

bool CQuillmarView::IsCommandEnabled(int id) const {
    switch (id) {
    case ID_DOWNLOAD_IMAGES:
    case ID_DOWNLOAD_LINKS:
        // The frame would re-enable them at idle time while a page still loads.
        return !loadInProgress && !downloads.FolderPickerOpen();
    case ID_SET_DOWNLOAD_FOLDER:
        return !downloads.FolderPickerOpen();
    case ID_FILE_PRINT:
        return !printer;
    default:
        return true;
    }
}

void CQuillmarView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    OnInitialUpdate();
}

void CQuillmarView::closeEvent(QCloseEvent* event) {
    QWidget::closeEvent(event);
    closed = event->isAccepted();
    // The lists must not outlive the window they show; the next active one fills them.
    if (closed && listsShown) {
        listsShown = false;
        harvest.imageMap.clear();
        harvest.linkMap.clear();
        emit harvestShown(Harvest());
    }
}

void CQuillmarView::OnInitialUpdate() {
    if (initialUpdateDone)
        return;
    initialUpdateDone = true;
    if (startAddress.isEmpty())
        engine->LoadAboutPage();
    else
        engine->Navigate(startAddress);
}

void CQuillmarView::OnLoadStarted() {
    ++loadEvents;
    // Only a plain scan can use the page's own scan from when it is shown.
    engine->ScanPagesWhenShown(!Settings::DeepScan());
    loadInProgress = true;
    harvest.imageMap.clear();
    harvest.linkMap.clear();
    harvest.imageLines.clear();
    harvest.linkLines.clear();
    keptImages.clear();
    keptLinks.clear();
    if (IsActive())
        emit downloadButtonsEnabled(false);
}

void CQuillmarView::OnLoadFinished() {
    ++loadEvents;
    emit progressCleared();
    if (IsActive())
        emit listsCleared();
    ScanPage(true);
}

void CQuillmarView::OnTitleChange() {
    RecordLocation();
    emit messageChanged(QString());
}
