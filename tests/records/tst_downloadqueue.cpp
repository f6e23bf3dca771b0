#include "records/DownloadQueue.h"
#include "records/QueueingSink.h"
#include "support/TestMain.h"

#include <QRegularExpression>
#include <QTemporaryDir>

namespace {

// Notes the reports that reach it.
class QueueNotes : public DownloadProgressSink {
public:
    QStringList notes;
    void AnimationStarted() override {}
    void AnimationStopped() override { notes << QStringLiteral("stopped"); }
    void FilesLeft(int) override {}
    void Message(const QString&) override {}
    void FileFinished(int index, const QString&, bool saved, const QString&) override {
        notes << QStringLiteral("%1 %2").arg(index).arg(saved);
    }
    void Interrupted() override { notes << QStringLiteral("interrupted"); }
};

// Three files: one listed on the job's page, which states "origin" and gives
// b.jpg's element "no-referrer"; one taken from a viewer page stating "unsafe-url".
DownloadJob ThreeQueuedFiles(const QString& folder) {
    DownloadJob job;
    job.Rules.Page = QUrl("https://h/gallery.html?p=2");
    job.Rules.PagePolicy = RefererPolicy("origin", {{"https://h/b.jpg", "no-referrer"}});
    job.Rules.CookieLines = {"h\tFALSE\t/\tFALSE\t0\tsession\tsecret"};
    job.Rules.MaxBytesPerSecond = 2048;
    job.Parallel = 3;
    job.AddListed(folder, "a.jpg", "https://h/a.jpg");
    job.AddListed(folder, "b.jpg", "https://h/b.jpg");
    job.AddListedFrom(folder, "c.jpg", "https://h/c.jpg", QUrl("https://v/view?c"),
                      RefererPolicy("unsafe-url"));
    return job;
}

// How each file's requests would go: its place and the Referer sent to a few targets.
QStringList QueuedRequests(const DownloadJob& job) {
    QStringList requests;
    for (const DownloadEntry& entry : job.Entries) {
        QStringList referers;
        for (const char* target : {"https://h/x.jpg", "https://other/x.jpg"})
            referers << job.RefererFor(entry, QUrl(target));
        requests << entry.Source + ' ' + entry.Destination + ' ' + entry.Name + ' ' +
                        referers.join(',');
    }
    return requests;
}

} // namespace

// The queue of downloads that survives a quit or a crash.
class DownloadQueueTest : public QObject {
    Q_OBJECT
private slots:
    // A job is kept while it runs, with each saved file marked; only one the
    // program's end interrupted is offered again, by a queue opened anew, with
    // the files it has left and the rules to fetch them (never the cookies).
    void offersOnlyInterruptedJobs_data() {
        QTest::addColumn<QString>("end");
        QTest::addColumn<bool>("offered");
        QTest::newRow("still running") << "running" << false;
        QTest::newRow("ended") << "ended" << false;
        QTest::newRow("never ran") << "never ran" << false;
        QTest::newRow("program ended first") << "interrupted" << true;
    }
    void offersOnlyInterruptedJobs() {
        QFETCH(QString, end);
        QFETCH(bool, offered);
        QTemporaryDir folder;
        const QString path = folder.filePath("queue/Downloads.sqlite");
        const DownloadJob job = ThreeQueuedFiles(folder.path());
        auto* inner = new QueueNotes;
        auto sink = std::make_unique<QueueingSink>(std::unique_ptr<DownloadProgressSink>(inner),
                                                   folder.path(), job, true, DownloadQueue(path));
        if (end != "never ran") {
            sink->FileFinished(0, "a.jpg", true, QString());
            sink->FileFinished(1, "b.jpg", false, "cancelled");
        }
        if (end == "interrupted")
            sink->Interrupted();
        if (end == "ended" || end == "interrupted")
            sink->AnimationStopped();
        const QStringList passedOn = inner->notes;
        if (end != "running")
            sink.reset();

        DownloadQueue reopened(path);
        const QList<QueuedJob> interrupted = reopened.Interrupted();
        QCOMPARE(interrupted.size(), offered ? 1 : 0);
        if (!offered)
            return;
        QCOMPARE(passedOn, QStringList({"0 1", "1 0", "interrupted", "stopped"}));
        const QueuedJob& queued = interrupted.first();
        QCOMPARE(queued.Folder, folder.path());
        QVERIFY(queued.Recorded);
        QCOMPARE(queued.Job.Parallel, 3);
        QCOMPARE(queued.Job.Rules.MaxBytesPerSecond, qint64(2048));
        QCOMPARE(queued.Job.Rules.Page, job.Rules.Page);
        QVERIFY(queued.Job.Rules.CookieLines.isEmpty());
        QStringList left = QueuedRequests(job);
        left.removeAt(0);
        QCOMPARE(QueuedRequests(queued.Job), left);

        // Taken to run again, it is gone, and no one else can take it.
        QVERIFY(reopened.Take(queued));
        QVERIFY(!reopened.Take(queued));
        QVERIFY(reopened.Interrupted().isEmpty());
    }

    // The queue is a file anyone who can write the data folder may plant: a
    // file is offered only inside its job's folder, under its own plain
    // name, and local files only for a job listed on a local page.
    void plantedEntriesStayInsideTheirFolder_data() {
        QTest::addColumn<QString>("destination"); // F: the job's folder
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("page"); // the entry's own, if any
        QTest::addColumn<QString>("jobPage");
        QTest::addColumn<bool>("offered");
        const QString web = "https://h/gallery.html", local = "file:///home/me/page.html";
        const auto row = [&](const char* what, const QString& destination, const QString& name,
                             const QString& source, const QString& page, bool localJob,
                             bool offered) {
            QTest::newRow(what) << destination << name << source << page << (localJob ? local : web)
                                << offered;
        };
        row("plain", "F/a.jpg", "a.jpg", "https://h/a.jpg", "", false, true);
        row("in subfolders", "F/h/Album/a.jpg", "a.jpg", "https://h/a.jpg", "", false, true);
        row("outside the folder", "/tmp/elsewhere/a.jpg", "a.jpg", "https://h/a.jpg", "", false,
            false);
        row("climbing out", "F/../a.jpg", "a.jpg", "https://h/a.jpg", "", false, false);
        row("name not the file's", "F/b.jpg", "a.jpg", "https://h/a.jpg", "", false, false);
        row("local file for a web page", "F/hostname", "hostname", "file:///etc/hostname", "",
            false, false);
        row("local viewer page of a web page", "F/hostname", "hostname", "file:///etc/hostname",
            local, false, false);
        row("local file for a local page", "F/hostname", "hostname", "file:///etc/hostname", "",
            true, true);
        row("no fetching scheme", "F/a.jpg", "a.jpg", "gopher://h/a.jpg", "", false, false);
    }
    void plantedEntriesStayInsideTheirFolder() {
        QFETCH(QString, destination);
        QFETCH(QString, name);
        QFETCH(QString, source);
        QFETCH(QString, page);
        QFETCH(QString, jobPage);
        QFETCH(bool, offered);
        QTemporaryDir folder;
        DownloadJob job;
        job.Rules.Page = QUrl(jobPage);
        job.Rules.FileSourcesAllowed = true; // as the planted queue says
        DownloadEntry entry;
        entry.Destination = destination.replace(QRegularExpression("^F/"), folder.path() + '/');
        entry.Name = name;
        entry.Source = source;
        entry.Page = QUrl(page);
        job.Entries = {entry};
        const QString path = folder.filePath("Downloads.sqlite");
        DownloadQueue planted(path);
        planted.Release(planted.Add(folder.path(), job, false));
        // A job whose folder is no plain path is not offered at all.
        planted.Release(planted.Add(folder.path() + "/x/../..", job, false));

        const QList<QueuedJob> interrupted = DownloadQueue(path).Interrupted();
        QCOMPARE(interrupted.size(), offered ? 1 : 0);
        if (!offered)
            return;
        QCOMPARE(interrupted[0].Job.Sources(), QStringList(source));
        QCOMPARE(interrupted[0].Job.Entries[0].Destination, destination);
        QCOMPARE(interrupted[0].Job.Rules.FileSourcesAllowed, QUrl(jobPage).isLocalFile());
    }
};

QUILLMAR_TEST_MAIN(DownloadQueueTest)
#include "tst_downloadqueue.moc"
