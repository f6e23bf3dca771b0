#include "frame/ThumbnailsBinding.h"

#include "core/CommandIds.h"
#include "core/Settings.h"
#include "downloads/Downloads.h"
#include "engine/CBrowserEngine.h"
#include "frame/CChildFrame.h"
#include "frame/CDocTemplate.h"
#include "frame/CHarvestList.h"
#include "frame/CMainFrame.h"
#include "frame/CQuillmarDoc.h"
#include "frame/ScanCommands.h"
#include "harvest/Harvest.h"
#include "thumbnails/CThumbnailsWindow.h"
#include "view/CQuillmarView.h"

namespace {

QSet<QString> AddressesOf(const HarvestLines& lines) {
    QSet<QString> addresses;
    for (const HarvestLine& line : lines)
        addresses.insert(line.address);
    return addresses;
}

HarvestLines LinesOf(const HarvestLines& lines, const QSet<QString>& addresses) {
    HarvestLines kept;
    for (const HarvestLine& line : lines) {
        if (addresses.contains(line.address))
            kept.append(line);
    }
    return kept;
}

// Both lists' names and addresses, for a download of lines from either.
HarvestMap BothMaps(const Harvest& harvest) {
    HarvestMap both = harvest.imageMap;
    for (auto entry = harvest.linkMap.cbegin(); entry != harvest.linkMap.cend(); ++entry)
        both[entry.key()] += entry.value();
    return both;
}

} // namespace

ThumbnailsBinding::ThumbnailsBinding(CMainFrame& frame, CHarvestList& images, CHarvestList& links,
                                     ScanCommands& scanCommands)
    : QObject(&frame), frame(frame), images(images), links(links), scanCommands(scanCommands) {
    for (CHarvestList* list : {&images, &links})
        connect(list, &QListWidget::itemSelectionChanged, this,
                &ThumbnailsBinding::ListSelectionChanged);
}

const CommandTable<ThumbnailsBinding>& ThumbnailsBinding::Commands() {
    static const CommandTable<ThumbnailsBinding> table = {
        {{ID_VIEW_THUMBNAILS, "T&humbnails...\tCtrl+T", {Qt::CTRL | Qt::Key_T}},
         &ThumbnailsBinding::OnThumbnails},
    };
    return table;
}

bool ThumbnailsBinding::HandlesCommand(int id) const {
    return Commands().Handles(id);
}

void ThumbnailsBinding::OnCommand(int id) {
    Commands().Run(*this, id);
}

void ThumbnailsBinding::OnThumbnails() {
    Open();
}

CThumbnailsWindow* ThumbnailsBinding::Open() {
    if (!window) {
        window = new CThumbnailsWindow(&frame);
        window->SetDownloadReport(&frame.Downloads());
        connect(window, &CThumbnailsWindow::SelectionChanged, this,
                &ThumbnailsBinding::SelectInLists);
        connect(window, &CThumbnailsWindow::DownloadRequested, this, &ThumbnailsBinding::Download);
        connect(window, &CThumbnailsWindow::OpenRequested, this, &ThumbnailsBinding::OpenPicture);
        connect(window, &CThumbnailsWindow::MinimumSizeChanged, &scanCommands,
                &ScanCommands::SetMinimumSize);
        connect(&scanCommands, &ScanCommands::minimumSizeChanged, window,
                &CThumbnailsWindow::SetMinimumSize);
        // The keys of the active browser window's work, as in the frame.
        for (int id : {ID_SCAN_FOLLOW, ID_VIEW_DOWNLOAD_REPORT, ID_VIEW_RELOAD})
            window->addAction(frame.CommandAction(id));
    }
    window->show();
    window->raise();
    window->activateWindow();
    if (CQuillmarView* view = ActiveView())
        ShowHarvest(*view, view->LastHarvest());
    else
        ClearHarvest();
    return window;
}

// A closed window is not kept up to date: it fetches nothing meanwhile.
bool ThumbnailsBinding::IsShown() const {
    return window && window->isVisible();
}

void ThumbnailsBinding::ShowHarvest(CQuillmarView& view, const Harvest& harvest) {
    if (!IsShown())
        return;
    window->SetMinimumSize(Settings::MinimumPictureSize());
    window->SetHarvest(
        ThumbnailHarvest::From(harvest, Downloads::RulesFor(view.Engine()->DownloadOrigin())));
    ListSelectionChanged();
}

void ThumbnailsBinding::ClearHarvest() {
    if (IsShown())
        window->SetHarvest(ThumbnailHarvest());
}

CQuillmarView* ThumbnailsBinding::ActiveView() const {
    return qobject_cast<CQuillmarView*>(frame.ActiveViewWidget());
}

void ThumbnailsBinding::ListSelectionChanged() {
    if (IsShown() && !selectingLists)
        window->SelectAddresses(
            QStringList(AddressesOf(images.SelectedLines() + links.SelectedLines()).values()));
}

void ThumbnailsBinding::SelectInLists(const QStringList& addresses) {
    const QSet<QString> selected(addresses.begin(), addresses.end());
    selectingLists = true;
    images.SelectAddresses(selected);
    links.SelectAddresses(selected);
    selectingLists = false;
}

// The lines of the cells asked for, and only those: cells the window hides
// are never downloaded, yet stay selected in the lists as in the window.
void ThumbnailsBinding::Download(const QStringList& addresses) {
    CQuillmarView* view = ActiveView();
    if (!view)
        return;
    const QSet<QString> shown(addresses.begin(), addresses.end());
    // What the view says of the request shows in the window too, where the user is.
    const QMetaObject::Connection relay =
        connect(view, &CQuillmarView::messageChanged, window, &CThumbnailsWindow::ShowMessage);
    view->WindowDownloads().DownloadSelected(
        LinesOf(images.SelectedLines(), shown) + LinesOf(links.SelectedLines(), shown),
        BothMaps(view->LastHarvest()), QStringLiteral("No available image files."));
    disconnect(relay);
}

void ThumbnailsBinding::OpenPicture(const QString& address) {
    CChildFrame* child = frame.ActiveChildFrame();
    if (child && child->Document())
        child->Document()->Template().OpenNewDocument(frame, address);
}
