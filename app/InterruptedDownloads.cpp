#include "app/InterruptedDownloads.h"

#include "app/CInterruptedDownloadsDialog.h"
#include "core/Prompts.h"
#include "frame/CMainFrame.h"
#include "records/DownloadQueue.h"
#include "view/CQuillmarView.h"

void InterruptedDownloads::Offer(CMainFrame& frame) {
    DownloadQueue queue;
    const QList<QueuedJob> jobs = queue.Interrupted();
    auto* view = qobject_cast<CQuillmarView*>(frame.ActiveViewWidget());
    // Without a window to show them in, they wait for a later start.
    if (jobs.isEmpty() || !view)
        return;
    CInterruptedDownloadsDialog question(jobs, &frame);
    const int answer = Prompts::current().runModal(question);
    // Closed unanswered, the question comes again at the next start.
    if (answer == QDialog::Rejected)
        return;
    for (int i = 0; i < jobs.size(); ++i) {
        const QueuedJob& job = jobs[i];
        // A folder that is not there now may be again, on a drive mounted later.
        if (answer == QDialog::Accepted && !CInterruptedDownloadsDialog::CanResume(job))
            continue;
        if (answer != QDialog::Accepted || !question.Chosen(i))
            queue.Forget(job);
        else if (queue.Take(job)) // another process started at the same time may have taken it
            view->WindowDownloads().Resume(job);
    }
}

QString InterruptedDownloads::Question(int count) {
    if (count == 1)
        return QStringLiteral("1 download was interrupted. Resume it?");
    return QStringLiteral("%1 downloads were interrupted. Resume them?").arg(count);
}
