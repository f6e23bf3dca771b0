#include "view/CQuillmarView.h"

#include "app/CQuillmarApp.h"
#include "bookmarks/BookmarkFile.h"
#include "bookmarks/CBookmarkDialog.h"
#include "bookmarks/CHistoryDialog.h"
#include "bookmarks/LinkHistory.h"
#include "controls/CAddressEdit.h"
#include "controls/CBitmapButton.h"
#include "controls/CDigitCounter.h"
#include "controls/CProgressMeter.h"
#include "core/CommandIds.h"
#include "core/Prompts.h"
#include "core/Settings.h"
#include "download/DownloadJob.h"
#include "download/DownloadRegistry.h"
#include "download/EngineCookieJar.h"
#include "download/FrameDownloadSink.h"
#include "download/RefererPolicy.h"
#include "frame/CMainFrame.h"
#include "frame/CQuillmarDoc.h"
#include "harvest/CHarvestList.h"
#include "harvest/DeepPageScan.h"
#include "harvest/LineToolTips.h"
#include "pagegen/CImagePageDialog.h"
#include "view/CBrowserEngine.h"
#include "view/LineBatch.h"
#include "view/PageScroller.h"

#include <QCloseEvent>
#include <QHash>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QPrinter>
#include <QUrl>
#include <QVBoxLayout>
#include <QWebEnginePage>

namespace {
// The view whose last scan the frame's lists show; they follow the active window.
QPointer<CQuillmarView> listsShownFor;

const char* const AttachedProperty = "quillmarViewsAttached";
} // namespace

const char* const CQuillmarView::NoFolderText = "No download directory selected.";
const char* const CQuillmarView::OpenNewViewText = "Open new view.";
const char* const CQuillmarView::NotAnAddressText = "Not a valid address.";

CQuillmarView::CQuillmarView(CQuillmarDoc* document, QWidget* parent)
    : QWidget(parent), DownloadFolder(QString::fromLatin1(NoFolderText)), document(document),
      engine(new CBrowserEngine(this)) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(engine);
    setFocusProxy(engine);

    connect(engine, &CBrowserEngine::downloadBegin, this, &CQuillmarView::OnDownloadBegin);
    connect(engine, &CBrowserEngine::downloadComplete, this, &CQuillmarView::OnDownloadComplete);
    connect(engine, &CBrowserEngine::progressChange, this, &CQuillmarView::OnProgressChange);
    connect(engine, &CBrowserEngine::titleChange, this, &CQuillmarView::OnTitleChange);
    // Follows the engine's cookies from the first page on, for the downloads.
    EngineCookieJar::ForProfile(engine->Page()->profile());

    CMainFrame* frame = GetMainFrame();
    if (!frame)
        return;
    frame->m_folderLabel->setText(DownloadFolder);
    AttachToFrame(*frame);
    connect(frame->MdiArea(), &QMdiArea::subWindowActivated, this,
            &CQuillmarView::OnSubWindowActivated);
}

CQuillmarView::~CQuillmarView() {
    // The engine may still be printing into the printer this view owns.
    delete engine;
}

CQuillmarView* CQuillmarView::ActiveView() {
    CMainFrame* frame = CQuillmarApp::MainFrame();
    return frame ? qobject_cast<CQuillmarView*>(frame->ActiveViewWidget()) : nullptr;
}

void CQuillmarView::AttachToFrame(CMainFrame& frame) {
    if (frame.property(AttachedProperty).toBool())
        return;
    frame.setProperty(AttachedProperty, true);
    // With a browser window open, Enter reaches the active view's Go through the
    // frame's command routing; without one, Go has nowhere to go.
    connect(frame.m_addressBox, &CAddressEdit::goRequested, &frame, [&frame] {
        if (!frame.ActiveViewWidget())
            frame.m_messageLine->setText(QString::fromLatin1(OpenNewViewText));
    });
}

CMainFrame* CQuillmarView::GetMainFrame() const {
    return CQuillmarApp::MainFrame();
}

CQuillmarDoc* CQuillmarView::GetDocument() const {
    return document;
}

CBrowserEngine* CQuillmarView::Engine() const {
    return engine;
}

void CQuillmarView::ShowMessage(const QString& text) {
    if (CMainFrame* frame = GetMainFrame())
        frame->m_messageLine->setText(text);
}

void CQuillmarView::ShowAddress(const QString& text) {
    CMainFrame* frame = GetMainFrame();
    if (!frame)
        return;
    frame->m_addressBox->setText(text);
    // Show the start of a long address, as browsers do.
    frame->m_addressBox->setCursorPosition(0);
}

void CQuillmarView::EnableDownloadButtons(bool enable) {
    CMainFrame* frame = GetMainFrame();
    if (!frame)
        return;
    frame->m_getImagesButton->setEnabled(enable);
    frame->m_getLinksButton->setEnabled(enable);
}

void CQuillmarView::ClearLists() {
    CMainFrame* frame = GetMainFrame();
    if (!frame)
        return;
    frame->m_imageList->ResetContent();
    frame->m_linkList->ResetContent();
    frame->m_linkSelCount->SetNumber(0);
    frame->m_imageSelCount->SetNumber(0);
}

void CQuillmarView::UpdateCounts() {
    CMainFrame* frame = GetMainFrame();
    if (!frame)
        return;
    frame->m_imageCount->SetNumber(PageScan::AddressCount(imageMap));
    frame->m_linkCount->SetNumber(PageScan::AddressCount(linkMap));
}

void CQuillmarView::RecordLocation() {
    const QString location = engine->Location();
    if (location.isEmpty())
        return;
    // The address box belongs to the active window; others only keep their history.
    if (IsActive())
        ShowAddress(location);
    AddToHistory(location);
}

bool CQuillmarView::IsActive() const {
    return ActiveView() == this;
}

void CQuillmarView::ShowOwnScan() {
    CMainFrame* frame = GetMainFrame();
    if (!frame)
        return;
    listsShownFor = this;
    ClearLists();
    frame->m_imageList->AddStrings(imageLines);
    frame->m_linkList->AddStrings(linkLines);
    // Only Deep Scan knows more of a line than its name and address.
    if (!imageDetails.empty())
        LineToolTips::Show(*frame->m_imageList, imageDetails);
    if (!linkDetails.empty())
        LineToolTips::Show(*frame->m_linkList, linkDetails);
    UpdateCounts();
}

void CQuillmarView::AddToHistory(const QString& address) {
    LinkHistory::Add(m_linkHistory, address);
}

void CQuillmarView::ScanPage() {
    const quint64 load = loadEvents;
    const bool deep = Settings::DeepScan();
    QPointer<CQuillmarView> self(this);
    auto show = [self, load, deep](const PageSnapshot& page) {
        // A load begun or completed since then makes this result stale.
        if (self && !self->closed && self->loadEvents == load)
            self->ShowScanResult(page, deep);
    };
    if (deep)
        engine->TakeDeepSnapshot(show);
    else
        engine->TakeSnapshot(show);
}

void CQuillmarView::Rescan() {
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

void CQuillmarView::ShowScanResult(const PageSnapshot& page, bool deep) {
    LineBatch images;
    LineBatch links;
    imageMap.clear();
    linkMap.clear();
    DeepPageScan deepScan(images, imageMap, links, linkMap);
    if (deep) {
        deepScan.SetMinimumSize(Settings::MinimumPictureSize());
        deepScan.ScanPage(page);
    } else {
        PageScan(images, imageMap, links, linkMap).ScanPage(page);
    }
    imageLines = images.Lines();
    linkLines = links.Lines();
    imageDetails = deepScan.Images();
    linkDetails = deepScan.Links();
    loadInProgress = false;
    if (!IsActive())
        return;
    ShowOwnScan();
    EnableDownloadButtons(true);
}

void CQuillmarView::OnBack() {
    engine->GoBack();
}

void CQuillmarView::OnForward() {
    engine->GoForward();
}

void CQuillmarView::OnStop() {
    DownloadRegistry::Instance().RequestCancelAll();
    ShowMessage(QStringLiteral("Stop download."));
    engine->Stop();
    if (CMainFrame* frame = GetMainFrame())
        frame->m_progressMeter->SetLevel(0);
}

void CQuillmarView::OnGo() {
    CMainFrame* frame = GetMainFrame();
    if (!frame)
        return;
    const QString address = frame->m_addressBox->text();
    if (!ActiveView()) {
        ShowMessage(QString::fromLatin1(OpenNewViewText));
        return;
    }
    if (!address.isEmpty() && !engine->Navigate(address))
        ShowMessage(QString::fromLatin1(NotAnAddressText));
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

void CQuillmarView::OnImageSelChange() {
    if (CMainFrame* frame = GetMainFrame())
        frame->m_imageSelCount->SetNumber(frame->m_imageList->GetSelCount());
}

void CQuillmarView::OnLinkSelChange() {
    if (CMainFrame* frame = GetMainFrame())
        frame->m_linkSelCount->SetNumber(frame->m_linkList->GetSelCount());
}

// Download commands and the download folder -------------------------------

void CQuillmarView::OnSetDownloadFolder() {
    if (!BrowseForDownloadFolder())
        return;
    FolderChosen = true;
    if (CMainFrame* frame = GetMainFrame())
        frame->m_folderLabel->setText(DownloadFolder);
}

void CQuillmarView::OnDownloadImages() {
    if (CMainFrame* frame = GetMainFrame())
        DownloadSelected(*frame->m_imageList, imageMap,
                         QStringLiteral("No available image files."));
}

void CQuillmarView::OnDownloadImageLinks() {
    if (CMainFrame* frame = GetMainFrame())
        DownloadSelected(*frame->m_linkList, linkMap, QStringLiteral("No available image links."));
}

bool CQuillmarView::BrowseForDownloadFolder() {
    CMainFrame* frame = GetMainFrame();
    if (!frame)
        return false;
    const QList<QWidget*> buttons = {frame->m_folderButton, frame->m_getImagesButton,
                                     frame->m_getLinksButton};
    folderPickerOpen = true;
    for (QWidget* button : buttons)
        button->setEnabled(false);
    const QString folder = Prompts::current().chooseFolder(nullptr);
    if (!folder.isEmpty())
        DownloadFolder = folder;
    folderPickerOpen = false;
    for (QWidget* button : buttons)
        button->setEnabled(true);
    return !folder.isEmpty();
}

bool CQuillmarView::EnsureDownloadFolder() {
    if (FolderChosen)
        return true;
    if (!BrowseForDownloadFolder())
        return false;
    if (CMainFrame* frame = GetMainFrame())
        frame->m_folderLabel->setText(DownloadFolder);
    return true;
}

void CQuillmarView::AskCancelDownload() {
    if (Prompts::current().askYesNo(this, QStringLiteral("Cancel current download?"),
                                    QStringLiteral("Proceed?")))
        DownloadRegistry::Instance().RequestCancelAll();
}

void CQuillmarView::DownloadSelected(CHarvestList& list, const HarvestMap& map,
                                     const QString& emptyMessage) {
    const qsizetype n = map.size();
    if (DownloadRegistry::Instance().DownloadRunning())
        AskCancelDownload();
    if (n < 1) {
        ShowMessage(emptyMessage);
        return;
    }
    if (list.GetSelCount() < 1) {
        ShowMessage(QStringLiteral("Please select a file."));
        return;
    }
    ShowMessage(QStringLiteral("Get image file(s)..."));
    if (!EnsureDownloadFolder()) {
        ShowMessage(QString());
        return;
    }
    FolderChosen = true;
    ShowMessage(StartDownload(list, map) ? QStringLiteral("Downloading...")
                                         : QStringLiteral("Unable to download file."));
}

// The worker's reports are queued to this thread, so "Downloading..." above is
// always shown before the first of them.
bool CQuillmarView::StartDownload(CHarvestList& list, const HarvestMap& map) {
    const EngineCookieJar* cookies = EngineCookieJar::ForProfile(engine->Page()->profile());
    const QUrl page(engine->Location());
    const QSet<QString> scanned = PageScan::AddressesOf(map);
    DownloadJob job;
    job.Page = page;
    job.PagePolicy = RefererPolicy(engine->StatedReferrerPolicy());
    const HarvestLines lines = list.SelectedLines();
    for (const HarvestLine& line : lines) {
        // Each line downloads its own address, once this window's scan listed it.
        if (!scanned.contains(line.address))
            return false;
        job.AddListed(DownloadFolder, line.name, line.address);
    }
    job.CookieLines = cookies->CurlCookieLines();
    job.FileSourcesAllowed = page.isLocalFile();
    job.Parallel = Settings::ParallelDownloads();
    return FrameDownloadSink::Start(GetMainFrame(), DownloadFolder, std::move(job));
}

// Bookmarks and history ------------------------------------------------------

void CQuillmarView::OnAddBookmark() {
    CMainFrame* frame = GetMainFrame();
    if (!frame)
        return;
    const QString entry = frame->m_addressBox->text();
    if (entry.isEmpty())
        return;
    if (!BookmarkFile(frame->m_bookmarkPath).Append(entry.toUtf8())) {
        ShowMessage(QStringLiteral("Unable to save bookmark!"));
        return;
    }
    ShowMessage(QStringLiteral("Bookmark added."));
    ShowMessage(QStringLiteral("Bookmark saved."));
}

void CQuillmarView::OnOpenBookmarks() {
    CMainFrame* frame = GetMainFrame();
    if (!frame)
        return;
    CBookmarkDialog dialog(this, frame->m_bookmarkPath);
    if (Prompts::current().runModal(dialog) != QDialog::Accepted)
        return;
    const QString choice = dialog.m_selection;
    if (choice.isEmpty())
        return;
    if (!ActiveView()) {
        ShowMessage(QStringLiteral("Open new file."));
        return;
    }
    if (choice == CBookmarkDialog::ErrorResult)
        return;
    ShowAddress(choice);
    if (!engine->Navigate(choice))
        ShowMessage(QString::fromLatin1(NotAnAddressText));
}

void CQuillmarView::OnShowHistory() {
    CHistoryDialog dialog(this, &m_linkHistory);
    if (Prompts::current().runModal(dialog) != QDialog::Accepted ||
        dialog.m_selection == CHistoryDialog::ErrorResult)
        return;
    ShowAddress(dialog.m_selection);
    OnGo();
}

namespace {

using Handler = void (CQuillmarView::*)();

// The view's command table: command id to handler.
Handler HandlerFor(int id) {
    static const QHash<int, Handler> handlers = {
        {ID_FILE_PRINT, &CQuillmarView::OnPrint},
        {ID_BACK, &CQuillmarView::OnBack},
        {ID_FORWARD, &CQuillmarView::OnForward},
        {ID_STOP, &CQuillmarView::OnStop},
        {ID_GO, &CQuillmarView::OnGo},
        {ID_SEND_MAIL, &CQuillmarView::OnSendMail},
        {ID_IMAGE_LIST, &CQuillmarView::OnImageSelChange},
        {ID_LINK_LIST, &CQuillmarView::OnLinkSelChange},
        {ID_SET_DOWNLOAD_FOLDER, &CQuillmarView::OnSetDownloadFolder},
        {ID_DOWNLOAD_IMAGES, &CQuillmarView::OnDownloadImages},
        {ID_DOWNLOAD_LINKS, &CQuillmarView::OnDownloadImageLinks},
        {ID_ADD_BOOKMARK, &CQuillmarView::OnAddBookmark},
        {ID_OPEN_BOOKMARKS, &CQuillmarView::OnOpenBookmarks},
        {ID_HISTORY, &CQuillmarView::OnShowHistory},
        {ID_MAKE_PAGE, &CQuillmarView::OnMakePage},
        {ID_SCAN_SCROLL, &CQuillmarView::OnScrollAndScan},
    };
    return handlers.value(id, nullptr);
}

} // namespace

bool CQuillmarView::HandlesCommand(int id) const {
    return HandlerFor(id) != nullptr;
}

void CQuillmarView::OnCommand(int id) {
    if (const Handler handler = HandlerFor(id))
        (this->*handler)();
}

bool CQuillmarView::IsCommandEnabled(int id) const {
    switch (id) {
    case ID_DOWNLOAD_IMAGES:
    case ID_DOWNLOAD_LINKS:
        // The frame would re-enable them at idle time while a page still loads.
        return !loadInProgress && !folderPickerOpen;
    case ID_SET_DOWNLOAD_FOLDER:
        return !folderPickerOpen;
    case ID_FILE_PRINT:
        return !printer;
    default:
        return true;
    }
}

void CQuillmarView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!initialUpdateDone) {
        initialUpdateDone = true;
        OnInitialUpdate();
    }
}

void CQuillmarView::closeEvent(QCloseEvent* event) {
    QWidget::closeEvent(event);
    closed = event->isAccepted();
    // The lists must not outlive the window they show; the next active one fills them.
    if (closed && listsShownFor == this) {
        listsShownFor = nullptr;
        imageMap.clear();
        linkMap.clear();
        ClearLists();
        UpdateCounts();
    }
}

void CQuillmarView::OnInitialUpdate() {
    const QString start = GetDocument() ? GetDocument()->TakeStartAddress() : QString();
    if (start.isEmpty())
        engine->LoadAboutPage();
    else
        engine->Navigate(start);
}

void CQuillmarView::OnDownloadBegin() {
    ++loadEvents;
    loadInProgress = true;
    imageMap.clear();
    linkMap.clear();
    imageLines.clear();
    linkLines.clear();
    if (IsActive())
        EnableDownloadButtons(false);
}

void CQuillmarView::OnDownloadComplete() {
    ++loadEvents;
    if (CMainFrame* frame = GetMainFrame())
        frame->m_progressMeter->SetLevel(0);
    if (IsActive())
        ClearLists();
    ScanPage();
}

void CQuillmarView::OnProgressChange(int progress, int maximum) {
    if (CMainFrame* frame = GetMainFrame())
        frame->m_progressMeter->SetProgress(progress, maximum);
}

void CQuillmarView::OnTitleChange() {
    RecordLocation();
    ShowMessage(QString());
}

void CQuillmarView::OnSubWindowActivated(QMdiSubWindow* window) {
    if (!window || !window->isAncestorOf(this))
        return;
    // Reactivating the window already shown keeps the user's selection.
    if (listsShownFor != this) {
        ShowOwnScan();
        if (CMainFrame* frame = GetMainFrame())
            frame->m_folderLabel->setText(DownloadFolder);
    }
    RecordLocation();
}

// Image page generator -------------------------------------------------------

void CQuillmarView::OnMakePage() {
    CImagePageDialog dialog(this);
    if (Prompts::current().runModal(dialog) != QDialog::Accepted || !dialog.openWhenDone)
        return;
    if (CMainFrame* frame = GetMainFrame())
        frame->m_addressBox->setText(dialog.pagePath);
    OnGo();
}
