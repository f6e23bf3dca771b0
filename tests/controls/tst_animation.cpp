#include "controls/CAnimation.h"
#include "controls/RenderedImage.h"
#include "support/TestMain.h"

#include <QImageReader>
#include <QMovie>
#include <QThread>

#include <memory>

static const QString clipPath = QStringLiteral(":/animation/activity.gif");

class AnimationTest : public QObject {
    Q_OBJECT
private slots:
    void playRepeatsAndStopReturnsToTheFirstFrame() {
        CAnimation animation;
        animation.resize(30, 23);
        QVERIFY(!animation.Open(QStringLiteral(":/animation/missing.gif")));
        QVERIFY(animation.movie() == nullptr);
        QVERIFY(animation.Open(clipPath));
        QVERIFY(!animation.IsPlaying());
        const QImage first = QImageReader(clipPath).read().convertToFormat(QImage::Format_RGB32);
        QCOMPARE(RenderedImage(animation).image, first);

        animation.Play();
        QVERIFY(animation.IsPlaying());
        const int frames = animation.movie()->frameCount();
        // Past the last frame and round again.
        int highest = 0;
        QTRY_VERIFY_WITH_TIMEOUT(
            (highest = qMax(highest, animation.movie()->currentFrameNumber()),
             highest == frames - 1 && animation.movie()->currentFrameNumber() < frames - 1),
            30000);
        QVERIFY(animation.IsPlaying());

        QTRY_VERIFY(animation.movie()->currentFrameNumber() > 0);
        animation.Stop();
        QVERIFY(!animation.IsPlaying());
        QCOMPARE(animation.movie()->currentFrameNumber(), 0);
        QCOMPARE(RenderedImage(animation).image, first);

        animation.Close();
        QVERIFY(animation.movie() == nullptr);
        QVERIFY(!animation.IsPlaying());
    }

    void workerCallsRunOnTheControlsThreadInOrder() {
        CAnimation animation;
        QVERIFY(animation.Open(clipPath));
        std::unique_ptr<QThread> worker(QThread::create([&animation] {
            animation.Play();
            animation.Stop();
            animation.Play();
        }));
        worker->start();
        QVERIFY(worker->wait(30000));
        QTRY_VERIFY(animation.IsPlaying());
    }
};

QUILLMAR_TEST_MAIN(AnimationTest)
#include "tst_animation.moc"
