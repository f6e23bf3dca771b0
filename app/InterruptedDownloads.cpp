#include "app/InterruptedDownloads.h"

#include "core/CommandIds.h"
#include "core/Prompts.h"
#include "core/StringTable.h"
#include "download/DownloadQueue.h"
#include "frame/CMainFrame.h"
#include "view/CQuillmarView.h"

void InterruptedDownloads::Offer(CMainFrame& frame) {
    DownloadQueue queue;
    const QList<QueuedJob> jobs = queue.Interrupted();
    auto* view = qobject_cast<CQuillmarView*>(frame.ActiveViewWidget());
    // Without a window to show them in, they wait for a later start.
    if (jobs.isEmpty() || !view)
        return;
    if (!Prompts::current().askYesNo(&frame, Question(int(jobs.size())),
                                     StringTable::text(IDR_MAINFRAME))) {
        for (const QueuedJob& job : jobs)
            queue.Forget(job);
        return;
    }
    for (const QueuedJob& job : jobs) {
        // Another process that started at the same time may have taken it.
        if (queue.Take(job))
            view->ResumeDownload(job);
    }
}

QString InterruptedDownloads::Question(int count) {
    if (count == 1)
        return QStringLiteral("1 download was interrupted. Resume it?");
    return QStringLiteral("%1 downloads were interrupted. Resume them?").arg(count);
}
