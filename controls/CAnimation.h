#pragma once

#include <QLabel>

class QMovie;

// The activity animation: a looping clip, stopped on its first frame when idle.
class CAnimation : public QLabel {
    Q_OBJECT
public:
    explicit CAnimation(QWidget* parent = nullptr);

    // Opens a clip (a resource path of an animated GIF); false when it cannot be read.
    bool Open(const QString& clipPath);
    // Plays from the first frame, repeating without end. Play and Stop may be
    // called from any thread; they take effect on the control's own thread.
    Q_INVOKABLE void Play();
    // Stops and shows the first frame again.
    Q_INVOKABLE void Stop();
    // Closes the clip.
    void Close();
    bool IsPlaying() const;

private:
    // Tells screen readers when the busy state the clip stands for changes.
    void AnnounceBusy(bool wasPlaying);

    QMovie* clip = nullptr;
};
