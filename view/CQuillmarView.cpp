#include "view/CQuillmarView.h"

#include "bookmarks/BookmarkFile.h"
#include "bookmarks/CBookmarkDialog.h"
#include "bookmarks/CHistoryDialog.h"
#include "bookmarks/LinkHistory.h"
#include "core/CommandIds.h"
#include "core/Prompts.h"
#include "core/Settings.h"
#include "downloads/DownloadReport.h"
#include "downloads/JobBuilder.h"
#include "downloads/ReportDownloadSink.h"
#include "engine/CBrowserEngine.h"
#include "fetch/DownloadRegistry.h"
#include "follow/PageFollow.h"
#include "pagegen/CImagePageDialog.h"
#include "records/DownloadArchive.h"
#include "records/DownloadQueue.h"
#include "transfer/EngineCookieJar.h"
#include "view/PageScroller.h"
#include "view/ViewInput.h"

#include <QCloseEvent>
#include <QDate>
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
    : QWidget(parent), startAddress(startAddress),
      downloadFolder(QString::fromLatin1(NoFolderText)), engine(new CBrowserEngine(this)) {
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

void CQuillmarView::SetDownloadReport(DownloadReport* report) {
    downloads = report;
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
        emit folderChanged(downloadFolder);
    }
    RecordLocation();
}

const Harvest& CQuillmarView::LastHarvest() const {
    return harvest;
}

void CQuillmarView::SetLastHarvest(const Harvest& scan) {
    harvest = scan;
}

QString CQuillmarView::DownloadFolder() const {
    return downloadFolder;
}

bool CQuillmarView::DownloadFolderChosen() const {
    return folderChosen;
}

void CQuillmarView::SetDownloadFolder(const QString& folder, bool chosen) {
    downloadFolder = folder;
    folderChosen = chosen;
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

// Download commands and the download folder -------------------------------

void CQuillmarView::OnSetDownloadFolder() {
    if (!BrowseForDownloadFolder())
        return;
    folderChosen = true;
    emit folderChanged(downloadFolder);
}

void CQuillmarView::OnDownloadImages() {
    if (input)
        DownloadSelected(input->SelectedImages(), harvest.imageMap,
                         QStringLiteral("No available image files."));
}

void CQuillmarView::OnDownloadImageLinks() {
    if (input)
        DownloadSelected(input->SelectedLinks(), harvest.linkMap,
                         QStringLiteral("No available image links."));
}

bool CQuillmarView::BrowseForDownloadFolder() {
    folderPickerIsOpen = true;
    emit folderPickerOpen(true);
    // A window's first pick starts in the folder chosen last, in this run or before;
    // the first download still asks, as it always has.
    const QString start = folderChosen ? downloadFolder : Settings::DownloadFolder();
    const QString folder = Prompts::current().chooseFolder(nullptr, start);
    if (!folder.isEmpty()) {
        downloadFolder = folder;
        Settings::SetDownloadFolder(folder);
    }
    folderPickerIsOpen = false;
    emit folderPickerOpen(false);
    return !folder.isEmpty();
}

bool CQuillmarView::EnsureDownloadFolder() {
    if (folderChosen)
        return true;
    if (!BrowseForDownloadFolder())
        return false;
    emit folderChanged(downloadFolder);
    return true;
}

// Yes stops the running downloads, No leaves them; either way the new one
// starts. A box closed unanswered starts nothing.
bool CQuillmarView::AskCancelDownload() {
    const Prompts::Answer answer = Prompts::current().askYesNoOrClose(
        this, QStringLiteral("Cancel current download?"), QStringLiteral("Proceed?"));
    if (answer == Prompts::Answer::Yes)
        DownloadRegistry::Instance().RequestCancelAll();
    return answer != Prompts::Answer::Closed;
}

void CQuillmarView::DownloadSelected(const HarvestLines& selected, const HarvestMap& map,
                                     const QString& emptyMessage) {
    const qsizetype n = map.size();
    if (DownloadRegistry::Instance().DownloadRunning() && !AskCancelDownload())
        return;
    if (n < 1) {
        emit messageChanged(emptyMessage);
        return;
    }
    if (selected.isEmpty()) {
        emit messageChanged(QStringLiteral("Please select a file."));
        return;
    }
    emit messageChanged(QStringLiteral("Get image file(s)..."));
    if (!EnsureDownloadFolder()) {
        emit messageChanged(QString());
        return;
    }
    folderChosen = true;
    emit messageChanged(StartDownload(selected, map) ? QStringLiteral("Downloading...")
                                                     : QStringLiteral("Unable to download file."));
}

// The worker's reports are queued to this thread, so "Downloading..." above is
// always shown before the first of them.
bool CQuillmarView::StartDownload(const HarvestLines& selected, const HarvestMap& map) {
    JobBuilder builder(engine->DownloadOrigin(), downloadFolder, Settings::ParallelDownloads());
    const Settings::FileNames names = Settings::DownloadFileNames();
    builder.SetNames(NameTemplate(names.nameTemplate), QDate::currentDate());
    builder.KnowSizes(harvest.imageDetails);
    std::shared_ptr<DownloadArchive> saved;
    if (Settings::SkipSavedPictures())
        saved = DownloadArchive::ForFolder(downloadFolder);
    if (!builder.AddLines(harvest.InDownloadOrder(selected), map, harvest.sources, saved.get()))
        return false;
    DownloadJob job = builder.Job();
    job.WriteInfo = names.writeInfo;
    job.MarkOrigin = names.markOrigin;
    return ReportDownloadSink::Start(downloads, downloadFolder, std::move(job), saved);
}

QStringList CQuillmarView::PreviewNames(const NameTemplate& names, int count) const {
    JobBuilder builder(engine->DownloadOrigin(), QString(), 1);
    builder.SetNames(names, QDate::currentDate());
    builder.KnowSizes(harvest.imageDetails);
    const HarvestLines lines =
        harvest.InDownloadOrder(Harvest::InListOrder(harvest.imageLines)).mid(0, count);
    if (!builder.AddLines(lines, harvest.imageMap, harvest.sources))
        return {};
    return builder.SavedNames();
}

bool CQuillmarView::ResumeDownload(const QueuedJob& queued) {
    DownloadJob job = queued.Job;
    job.Rules.CookieLines = engine->DownloadOrigin().cookieLines;
    const bool started = ReportDownloadSink::Start(
        downloads, queued.Folder, std::move(job),
        queued.Recorded ? DownloadArchive::ForFolder(queued.Folder) : nullptr);
    // The folder label keeps this window's own folder, so the message names the job's.
    emit messageChanged(started ? QStringLiteral("Downloading into %1...").arg(queued.Folder)
                                : QStringLiteral("Unable to download file."));
    return started;
}

// Bookmarks and history ------------------------------------------------------

void CQuillmarView::OnAddBookmark() {
    if (input)
        AddBookmark(input->TypedAddress(), input->BookmarkPath());
}

void CQuillmarView::AddBookmark(const QString& address, const QString& bookmarkPath) {
    if (address.isEmpty())
        return;
    if (!BookmarkFile(bookmarkPath).Append(address.toUtf8())) {
        emit messageChanged(QStringLiteral("Unable to save bookmark!"));
        return;
    }
    emit messageChanged(QStringLiteral("Bookmark added."));
    emit messageChanged(QStringLiteral("Bookmark saved."));
}

void CQuillmarView::OnOpenBookmarks() {
    if (input)
        OpenBookmarks(input->BookmarkPath());
}

void CQuillmarView::OpenBookmarks(const QString& bookmarkPath) {
    CBookmarkDialog dialog(this, bookmarkPath);
    if (Prompts::current().runModal(dialog) != QDialog::Accepted)
        return;
    const QString choice = dialog.m_selection;
    if (choice.isEmpty())
        return;
    if (!active) {
        emit messageChanged(QStringLiteral("Open new file."));
        return;
    }
    if (choice == CBookmarkDialog::ErrorResult)
        return;
    emit addressChanged(choice);
    if (!engine->Navigate(choice))
        emit messageChanged(QString::fromLatin1(NotAnAddressText));
}

void CQuillmarView::OnShowHistory() {
    CHistoryDialog dialog(this, &linkHistory);
    if (Prompts::current().runModal(dialog) != QDialog::Accepted ||
        dialog.m_selection == CHistoryDialog::ErrorResult)
        return;
    emit addressChanged(dialog.m_selection);
    Go(dialog.m_selection);
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
        return !loadInProgress && !folderPickerIsOpen;
    case ID_SET_DOWNLOAD_FOLDER:
        return !folderPickerIsOpen;
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

// Image page generator -------------------------------------------------------

void CQuillmarView::OnMakePage() {
    CImagePageDialog dialog(this);
    if (Prompts::current().runModal(dialog) != QDialog::Accepted || !dialog.openWhenDone)
        return;
    emit addressTyped(dialog.pagePath);
    Go(dialog.pagePath);
}
