#include "download/FrameDownloadSink.h"

#include "controls/CAnimation.h"
#include "controls/CDigitCounter.h"
#include "download/DownloadRegistry.h"
#include "download/DownloadReport.h"
#include "frame/CMainFrame.h"

#include <QCoreApplication>
#include <QLabel>
#include <QMetaObject>

namespace {

// The number of workers playing a frame's animation, kept on the frame; it
// stops when the last of them ends. Touched on the user-interface thread only.
const char* const AnimationUsers = "downloadAnimationUsers";

// The files left of all running workers together, kept on the frame as well.
const char* const FilesLeftTotal = "downloadFilesLeft";

int ChangeFilesLeftTotal(CMainFrame& frame, int change) {
    const int total = qMax(0, frame.property(FilesLeftTotal).toInt() + change);
    frame.setProperty(FilesLeftTotal, total);
    return total;
}

int ChangeAnimationUsers(CMainFrame& frame, int change) {
    const int users = qMax(0, frame.property(AnimationUsers).toInt() + change);
    frame.setProperty(AnimationUsers, users);
    return users;
}

} // namespace

FrameDownloadSink::FrameDownloadSink(CMainFrame* frame, int reportedJob)
    : frame(frame), reportedJob(reportedJob), filesLeftShown(std::make_shared<int>(0)) {}

bool FrameDownloadSink::Start(CMainFrame* frame, const QString& folder, DownloadJob job) {
    const int reported = frame ? DownloadReport::For(*frame).AddJob(folder, job) : 0;
    if (DownloadRegistry::Instance().Start(std::move(job),
                                           std::make_unique<FrameDownloadSink>(frame, reported)))
        return true;
    if (frame)
        DownloadReport::For(*frame).JobEnded(reported);
    return false;
}

template <typename Apply> void FrameDownloadSink::Post(Apply apply) {
    QCoreApplication* application = QCoreApplication::instance();
    if (!application)
        return;
    QMetaObject::invokeMethod(
        application,
        [target = frame, apply] {
            if (target)
                apply(*target);
        },
        Qt::QueuedConnection);
}

void FrameDownloadSink::AnimationStarted() {
    Post([](CMainFrame& target) {
        ChangeAnimationUsers(target, +1);
        if (target.m_animation)
            target.m_animation->Play();
    });
}

// The worker's last report. It leaves the files-left total (the counter keeps
// what it showed until another worker reports), and whatever it did not finish
// was cancelled.
void FrameDownloadSink::AnimationStopped() {
    Post([part = filesLeftShown, job = reportedJob](CMainFrame& target) {
        ChangeFilesLeftTotal(target, -*part);
        *part = 0;
        if (ChangeAnimationUsers(target, -1) == 0 && target.m_animation)
            target.m_animation->Stop();
        DownloadReport::For(target).JobEnded(job);
    });
}

void FrameDownloadSink::FilesLeft(int count) {
    Post([count, part = filesLeftShown](CMainFrame& target) {
        const int total = ChangeFilesLeftTotal(target, count - *part);
        *part = count;
        if (target.m_filesLeft)
            target.m_filesLeft->SetNumber(total);
    });
}

void FrameDownloadSink::Message(const QString& text) {
    Post([text](CMainFrame& target) {
        if (target.m_messageLine)
            target.m_messageLine->setText(text);
    });
}

void FrameDownloadSink::FileFinished(int index, const QString& name, bool saved,
                                     const QString& reason) {
    Post([job = reportedJob, index, name, saved, reason](CMainFrame& target) {
        DownloadReport::For(target).FileFinished(job, index, name, saved, reason);
    });
}

void FrameDownloadSink::FileProgress(int index, qint64 received, qint64 total) {
    Post([job = reportedJob, index, received, total](CMainFrame& target) {
        DownloadReport::For(target).FileProgress(job, index, received, total);
    });
}
