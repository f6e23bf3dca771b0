#include "downloads/DownloadProgressText.h"
#include "downloads/DownloadReport.h"
#include "downloads/ReportDownloadSink.h"
#include "fetch/DownloadCounts.h"
#include "fetch/DownloadHandle.h"
#include "support/TestMain.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <thread>

// The download report the window shows: progress texts, the message line as
// jobs end, and the sink that carries a worker's reports to it.
class DownloadReportTest : public QObject {
    Q_OBJECT
private slots:
    // A job's line and the status bar's totals: bytes in short units, speed
    // and time left only where known, failed files apart from those done, and
    // a paused job without speed.
    void progressTextTellsWhatIsKnown_data() {
        QTest::addColumn<QList<qint64>>("totals"); // done, files, received, total, speed, left
        QTest::addColumn<int>("failed");
        QTest::addColumn<bool>("paused");
        QTest::addColumn<QString>("line");
        using Totals = QList<qint64>;
        QTest::newRow("all known") << Totals{12, 40, 5000000, 80000000, 3200000, 20} << 0 << false
                                   << "12 of 40 files, 5.0 MB of 80 MB, 3.2 MB/s, about 20 s left";
        QTest::newRow("size unknown, one failed") << Totals{0, 3, 999, -1, 512, -1} << 1 << false
                                                  << "0 of 3 files, 1 failed, 999 B, 512 B/s";
        QTest::newRow("standstill")
            << Totals{1, 2, 1500, 3000, 0, -1} << 0 << false << "1 of 2 files, 1.5 KB of 3.0 KB";
        QTest::newRow("minutes, unit edge")
            << Totals{0, 1, 999999, 2000000000, 12345678, 161} << 0 << false
            << "0 of 1 files, 1.0 MB of 2.0 GB, 12 MB/s, about 3 min left";
        QTest::newRow("hours") << Totals{0, 1, 0, 9000000000, 999600, 7500} << 0 << false
                               << "0 of 1 files, 0 B of 9.0 GB, 1.0 MB/s, about 2 h 5 min left";
        QTest::newRow("paused") << Totals{2, 5, 1200000, 4000000, 300000, 10} << 2 << true
                                << "paused, 2 of 5 files, 2 failed, 1.2 MB of 4.0 MB";
    }

    void progressTextTellsWhatIsKnown() {
        QFETCH(QList<qint64>, totals);
        QFETCH(int, failed);
        QFETCH(bool, paused);
        const DownloadHandle::Totals given{int(totals[0]), int(totals[1]), totals[2],
                                           totals[3],      totals[4],      totals[5]};
        QTEST(DownloadProgressText::Totals(given, failed, paused), "line");
        QCOMPARE(DownloadProgressText::TimeLeft(89), QStringLiteral("about 89 s left"));
        QCOMPARE(DownloadProgressText::TimeLeft(90), QStringLiteral("about 2 min left"));
    }

    // A job's time left counts the files not started yet, at the mean size of
    // those whose size is known; the status bar tells all jobs together.
    void timeLeftCountsFilesNotStartedYet() {
        QTemporaryDir into;
        QFile saved(into.filePath("0.jpg"));
        QVERIFY(saved.open(QIODevice::WriteOnly) && saved.write(QByteArray(1000, 'x')) == 1000);
        saved.close();
        QObject frame;
        DownloadReport& report = DownloadReport::For(frame);
        DownloadJob three;
        for (const char* name : {"0.jpg", "1.jpg", "2.jpg"})
            three.Add(into.path(), name, QString("http://a.test/") + name);
        const int job = report.AddJob(into.path(), three);
        const auto handle = std::make_shared<DownloadHandle>(nullptr);
        report.SetHandle(job, handle);
        report.FileFinished(job, 0, "0.jpg", true, QString());
        report.FileProgress(job, 1, 500, 1000);
        const auto start = DownloadHandle::Clock::now();
        handle->Record(1, 3, 500, -1, start);
        handle->Record(1, 3, 1500, -1, start + std::chrono::seconds(2));
        QCOMPARE(DownloadReport::ProgressText(*report.FindJob(job)),
                 QStringLiteral("1 of 3 files, 1.5 KB, 500 B/s, about 3 s left"));
        QCOMPARE(report.TotalsText(), DownloadReport::ProgressText(*report.FindJob(job)));
    }

    // What the message line says as a job ends, by what its files came to and
    // how it ended: files there already are as good as saved, a job cancelled
    // from the report says so, one stopped with the others leaves the words
    // of what stopped it, and a pause counts failed files apart. The totals'
    // next measure goes to the status bar and rewrites none of it.
    void messageLineTellsHowEachJobEnded_data() {
        QTest::addColumn<QStringList>("files"); // saved, there (already), failed or waiting
        QTest::addColumn<QString>("end");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("totals"); // the status bar's, afterwards
        QTest::newRow("all saved") << QStringList{"saved", "saved"} << "through"
                                   << "Download complete"
                                   << "";
        QTest::newRow("some there already") << QStringList{"saved", "there"} << "through"
                                            << "Download complete"
                                            << "";
        QTest::newRow("one failed")
            << QStringList{"saved", "there", "failed"} << "through"
            << "Download complete: 1 saved, 1 already saved, 0 skipped, 1 failed"
            << "";
        QTest::newRow("cancelled from the report")
            << QStringList{"saved", "waiting"} << "cancelled"
            << "Download cancelled: 1 saved, 0 already saved, 0 skipped, 0 failed, 1 cancelled"
            << "";
        QTest::newRow("stopped with the others") << QStringList{"saved", "waiting"} << "stopped"
                                                 << "Stop download."
                                                 << "";
        QTest::newRow("beside one still running") << QStringList{"there"} << "beside"
                                                  << "Download complete"
                                                  << "0 of 1 files, 0 B";
        QTest::newRow("paused") << QStringList{"saved", "failed", "failed", "waiting"} << "paused"
                                << "Download paused, 1 of 4 files done, 2 failed"
                                << "paused, 1 of 4 files, 2 failed, 0 B";
    }

    void messageLineTellsHowEachJobEnded() {
        QFETCH(QStringList, files);
        QFETCH(QString, end);
        QObject frame;
        DownloadReport& report = DownloadReport::For(frame);
        const auto start = [&report](int count) {
            DownloadJob job;
            for (int i = 0; i < count; ++i)
                job.Add("/f", QString("%1.jpg").arg(i), QString("http://a.test/%1.jpg").arg(i));
            const int id = report.AddJob("/f", job);
            report.SetHandle(id, std::make_shared<DownloadHandle>(nullptr));
            return id;
        };
        const int job = start(int(files.size()));
        ReportDownloadSink sink(&report, job);
        DownloadCounts counts;
        for (int i = 0; i < files.size(); ++i) {
            if (files[i] == "waiting")
                continue;
            const QString reason = files[i] == "there"    ? DownloadCounts::AlreadySavedReason()
                                   : files[i] == "failed" ? QStringLiteral("server answered 404")
                                                          : QString();
            sink.FileFinished(i, QString("%1.jpg").arg(i), files[i] != "failed", reason);
            counts.Add(DownloadCounts::KindOf(files[i] != "failed", reason));
        }
        report.SetMessage(QStringLiteral("Stop download.")); // what the Stop command said
        if (end == "beside")
            start(1);
        if (end == "cancelled")
            report.Cancel(job);
        QCoreApplication::sendPostedEvents();
        if (end == "paused") {
            report.SetPaused(job, true);
        } else {
            // A word on the way is no end; the closing words wait for the
            // job's end, when the records are done with it too.
            sink.Message(QStringLiteral("waiting 3 s: a.test asked to slow down"));
            if (end == "through" || end == "beside")
                sink.Message(counts.CompletionMessage());
            QCoreApplication::sendPostedEvents();
            if (end != "cancelled")
                QCOMPARE(report.Message(), QStringLiteral("Stop download."));
            sink.AnimationStopped();
            QTRY_VERIFY(report.FindJob(job)->ended);
        }
        QTEST(report.Message(), "message");
        QTEST(report.TotalsText(), "totals");
        if (end == "beside") {
            QSignalSpy measured(&report, &DownloadReport::progressChanged);
            QVERIFY(measured.wait(5000));
            QTEST(report.Message(), "message");
        }
    }

    // Reports made on a worker thread wait for the interface thread's event
    // loop, so the command's own "Downloading..." always comes first. The
    // download report shows each file's progress and the name it was saved
    // under. Reports for a closed frame's report are dropped.
    void reportSinkAppliesReportsInOrderOnlyFromTheEventLoop() {
        QObject frame;
        DownloadReport& report = DownloadReport::For(frame);
        DownloadJob job;
        job.Add("/f", "render", "http://a.test/render");
        job.Add("/f", "b.jpg", "http://a.test/b.jpg");
        const int reported = report.AddJob("/f", job);
        ReportDownloadSink sink(&report, reported);
        std::thread([&sink] {
            sink.AnimationStarted();
            sink.FileProgress(1, 50, 200);
            sink.FileFinished(0, "render.png", true, QString());
            sink.FilesLeft(3);
            sink.FilesLeft(2);
        }).join();
        QCOMPARE(report.FilesLeft(), 0);
        QCOMPARE(report.RunningJobs(), 0);

        QTRY_COMPARE(report.FilesLeft(), 2);
        QCOMPARE(report.RunningJobs(), 1);
        const auto& files = report.FindJob(reported)->files;
        QCOMPARE(files[0].destination, QStringLiteral("/f") + QDir::separator() + "render.png");
        QCOMPARE(DownloadReport::OutcomeText(files[1]), QStringLiteral("downloading 25 %"));
        // A file waiting for its next try says so, and downloads again from nothing.
        sink.FileRetrying(1, 2, 4);
        QTRY_COMPARE(DownloadReport::OutcomeText(files[1]),
                     QStringLiteral("waiting to retry, try 2 of 4"));
        sink.FileProgress(1, 20, 200);
        QTRY_COMPARE(DownloadReport::OutcomeText(files[1]), QStringLiteral("downloading 10 %"));

        // The first worker to end must not stop the animation of one still
        // running; files left is the sum over the workers running.
        ReportDownloadSink second(&report);
        second.AnimationStarted();
        second.FilesLeft(5);
        QTRY_COMPARE(report.FilesLeft(), 7);
        sink.Message(QStringLiteral("Download complete"));
        sink.AnimationStopped();
        second.FilesLeft(4);
        QTRY_COMPARE(report.FilesLeft(), 4);
        QCOMPARE(report.RunningJobs(), 1);
        second.AnimationStopped();
        QTRY_COMPARE(report.RunningJobs(), 0);

        // Each frame counts its own workers.
        auto* closed = new QObject;
        DownloadReport& closedReport = DownloadReport::For(*closed);
        ReportDownloadSink gone(&closedReport);
        gone.AnimationStarted();
        QTRY_COMPARE(closedReport.RunningJobs(), 1);
        gone.Message(QStringLiteral("Download complete"));
        delete closed;
        gone.AnimationStopped();
        ReportDownloadSink next(&report);
        next.AnimationStarted();
        next.AnimationStopped();
        QTest::qWait(50);
        QCOMPARE(report.RunningJobs(), 0);
        QCOMPARE(report.Message(), QStringLiteral("Download complete"));
    }
};

QUILLMAR_TEST_MAIN(DownloadReportTest)
#include "tst_downloadreport.moc"
