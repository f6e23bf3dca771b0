#include "controls/CAnimation.h"

#include <QAccessible>
#include <QMetaObject>
#include <QMovie>
#include <QThread>

CAnimation::CAnimation(QWidget* parent) : QLabel(parent) {
    setAlignment(Qt::AlignCenter);
}

bool CAnimation::Open(const QString& clipPath) {
    Close();
    auto* movie = new QMovie(clipPath, QByteArray(), this);
    if (!movie->isValid()) {
        delete movie;
        return false;
    }
    clip = movie;
    // Clips that carry a finite loop count still repeat without end.
    connect(clip, &QMovie::finished, clip, &QMovie::start);
    setMovie(clip);
    clip->jumpToFrame(0);
    return true;
}

// Play and Stop may be called by a download worker: they run on the
// control's own thread, in the order they were issued.
void CAnimation::Play() {
    if (QThread::currentThread() != thread()) {
        QMetaObject::invokeMethod(this, "Play", Qt::QueuedConnection);
        return;
    }
    if (!clip)
        return;
    const bool wasPlaying = IsPlaying();
    clip->stop();
    clip->start();
    AnnounceBusy(wasPlaying);
}

void CAnimation::Stop() {
    if (QThread::currentThread() != thread()) {
        QMetaObject::invokeMethod(this, "Stop", Qt::QueuedConnection);
        return;
    }
    if (!clip)
        return;
    const bool wasPlaying = IsPlaying();
    clip->stop();
    clip->jumpToFrame(0);
    AnnounceBusy(wasPlaying);
}

void CAnimation::Close() {
    clear();
    delete clip;
    clip = nullptr;
}

bool CAnimation::IsPlaying() const {
    return clip && clip->state() == QMovie::Running;
}

void CAnimation::AnnounceBusy(bool wasPlaying) {
    if (wasPlaying == IsPlaying())
        return;
    QAccessible::State changed;
    changed.busy = true;
    QAccessibleStateChangeEvent event(this, changed);
    QAccessible::updateAccessibility(&event);
}

#include "moc_CAnimation.cpp"
