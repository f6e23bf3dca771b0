#include "controls/CAnimation.h"
#include "controls/CDigitCounter.h"
#include "download/DownloadReport.h"
#include "download/FrameDownloadSink.h"
#include "frame/CMainFrame.h"
#include "support/TestMain.h"

#include <QLabel>

#include <thread>

class FrameDownloadSinkTest : public QObject {
    Q_OBJECT
private slots:
    // Reports made on a worker thread wait for the interface thread's event
    // loop, so the command's own "Downloading..." always comes first. The
    // download report shows each file's progress and the name it was saved under.
    void appliesReportsInOrderOnlyFromTheEventLoop() {
        CMainFrame frame;
        QVERIFY(frame.Create());
        frame.m_filesLeft->SetNumber(7);
        DownloadJob job;
        job.Add("/f", "render", "http://a.test/render");
        job.Add("/f", "b.jpg", "http://a.test/b.jpg");
        const int reported = DownloadReport::For(frame).AddJob("/f", job);
        FrameDownloadSink sink(&frame, reported);
        std::thread worker([&sink] {
            sink.AnimationStarted();
            sink.FileProgress(1, 50, 200);
            sink.FileFinished(0, "render.png", true, QString());
            sink.FilesLeft(3);
            sink.FilesLeft(2);
            sink.Message(QStringLiteral("Download complete: 2 of 3 files saved."));
        });
        worker.join();
        frame.m_messageLine->setText(QStringLiteral("Downloading..."));
        QCOMPARE(frame.m_filesLeft->Text(), QStringLiteral("7"));
        QVERIFY(!frame.m_animation->IsPlaying());

        QTRY_COMPARE(frame.m_messageLine->text(),
                     QStringLiteral("Download complete: 2 of 3 files saved."));
        QCOMPARE(frame.m_filesLeft->Text(), QStringLiteral("2"));
        QVERIFY(frame.m_animation->IsPlaying());
        const QList<DownloadReport::File> files =
            DownloadReport::For(frame).FindJob(reported)->files;
        QCOMPARE(files[0].destination, QStringLiteral("/f") + QDir::separator() + "render.png");
        QCOMPARE(DownloadReport::OutcomeText(files[1]), QStringLiteral("downloading 25 %"));

        // The first worker to end must not stop the animation of one still
        // running; files left is the sum over the workers running.
        FrameDownloadSink second(&frame);
        second.AnimationStarted();
        second.FilesLeft(5);
        QTRY_COMPARE(frame.m_filesLeft->Text(), QStringLiteral("7"));
        sink.AnimationStopped();
        second.FilesLeft(4);
        QTRY_COMPARE(frame.m_filesLeft->Text(), QStringLiteral("4"));
        QTest::qWait(50);
        QVERIFY(frame.m_animation->IsPlaying());
        second.AnimationStopped();
        QTRY_VERIFY(!frame.m_animation->IsPlaying());
    }

    void reportsForAClosedFrameAreDropped() {
        auto* frame = new CMainFrame;
        QVERIFY(frame->Create());
        FrameDownloadSink sink(frame);
        sink.AnimationStarted();
        QTRY_VERIFY(frame->m_animation->IsPlaying());
        sink.Message(QStringLiteral("Download complete"));
        delete frame;
        QTest::qWait(50);
        sink.AnimationStopped();

        CMainFrame next;
        QVERIFY(next.Create());
        next.m_messageLine->setText(QStringLiteral("Downloading..."));
        FrameDownloadSink nextSink(&next);
        nextSink.AnimationStarted();
        nextSink.AnimationStopped();
        QTest::qWait(50);
        QVERIFY(!next.m_animation->IsPlaying());
        QCOMPARE(next.m_messageLine->text(), QStringLiteral("Downloading..."));
    }
};

QUILLMAR_TEST_MAIN(FrameDownloadSinkTest)
#include "tst_framedownloadsink.moc"
