#include "view/ViewDownloads.h"

#include "core/Prompts.h"
#include "core/Settings.h"
#include "downloads/DownloadReport.h"
#include "downloads/Downloads.h"
#include "engine/CBrowserEngine.h"
#include "fetch/DownloadRegistry.h"
#include "records/DownloadQueue.h"
#include "view/CQuillmarView.h"

ViewDownloads::ViewDownloads(CQuillmarView& view)
    : view(view), folder(QString::fromLatin1(CQuillmarView::NoFolderText)) {}

void ViewDownloads::SetReport(DownloadReport* shownIn) {
    report = shownIn;
}

void ViewDownloads::SetFolder(const QString& shown, bool isChosen) {
    folder = shown;
    chosen = isChosen;
}

void ViewDownloads::ChooseFolder() {
    if (!BrowseForFolder())
        return;
    chosen = true;
    emit view.folderChanged(folder);
}

bool ViewDownloads::BrowseForFolder() {
    pickerOpen = true;
    emit view.folderPickerOpen(true);
    // A window's first pick starts in the folder chosen last, in this run or before;
    // the first download still asks, as it always has.
    const QString start = chosen ? folder : Settings::DownloadFolder();
    const QString picked = Prompts::current().chooseFolder(nullptr, start);
    if (!picked.isEmpty()) {
        folder = picked;
        Settings::SetDownloadFolder(picked);
    }
    pickerOpen = false;
    emit view.folderPickerOpen(false);
    return !picked.isEmpty();
}

bool ViewDownloads::EnsureFolder() {
    if (chosen)
        return true;
    if (!BrowseForFolder())
        return false;
    emit view.folderChanged(folder);
    return true;
}

// Yes stops the running downloads, No leaves them; either way the new one
// starts. A box closed unanswered starts nothing.
bool ViewDownloads::AskCancelDownload() {
    const Prompts::Answer answer = Prompts::current().askYesNoOrClose(
        &view, QStringLiteral("Cancel current download?"), QStringLiteral("Proceed?"));
    if (answer == Prompts::Answer::Yes)
        DownloadRegistry::Instance().RequestCancelAll();
    return answer != Prompts::Answer::Closed;
}

void ViewDownloads::DownloadSelected(const HarvestLines& selected, const HarvestMap& map,
                                     const QString& emptyMessage) {
    // Counted before the question, whose event loop may see the page load again.
    const bool listsNothing = map.isEmpty();
    if (DownloadRegistry::Instance().DownloadRunning() && !AskCancelDownload())
        return;
    if (listsNothing) {
        emit view.messageChanged(emptyMessage);
        return;
    }
    if (selected.isEmpty()) {
        emit view.messageChanged(QStringLiteral("Please select a file."));
        return;
    }
    emit view.messageChanged(QStringLiteral("Get image file(s)..."));
    if (!EnsureFolder()) {
        emit view.messageChanged(QString());
        return;
    }
    chosen = true;
    emit view.messageChanged(Start(selected, map) ? QStringLiteral("Downloading...")
                                                  : QStringLiteral("Unable to download file."));
}

// The worker's reports are queued to this thread, so "Downloading..." above is
// always shown before the first of them.
bool ViewDownloads::Start(const HarvestLines& selected, const HarvestMap& map) {
    const Harvest& harvest = view.LastHarvest();
    DownloadRequest request =
        DownloadRequest::FromSettings(view.Engine()->DownloadOrigin(), folder);
    request.lines = harvest.InDownloadOrder(selected);
    request.map = map;
    request.sources = harvest.sources;
    request.sizes = harvest.imageDetails;
    request.report = report;
    return Downloads::Start(request) != nullptr;
}

QStringList ViewDownloads::PreviewNames(const NameTemplate& names, int count) const {
    const Harvest& harvest = view.LastHarvest();
    DownloadRequest request;
    request.origin = view.Engine()->DownloadOrigin();
    request.choices.parallel = 1;
    request.choices.names = names.Text();
    request.sizes = harvest.imageDetails;
    request.lines = harvest.InDownloadOrder(Harvest::InListOrder(harvest.imageLines)).mid(0, count);
    request.map = harvest.imageMap;
    request.sources = harvest.sources;
    return Downloads::SavedNames(request);
}

bool ViewDownloads::Resume(const QueuedJob& queued) {
    const JobOrigin origin = view.Engine()->DownloadOrigin();
    DownloadRequest request = DownloadRequest::FromSettings(origin, queued.Folder);
    request.job = queued.Job;
    request.job->Rules.CookieLines = origin.cookieLines;
    request.choices.record = queued.Recorded;
    request.report = report;
    const bool started = Downloads::Start(request) != nullptr;
    // The folder label keeps this window's own folder, so the message names the job's.
    emit view.messageChanged(started ? QStringLiteral("Downloading into %1...").arg(queued.Folder)
                                     : QStringLiteral("Unable to download file."));
    return started;
}
