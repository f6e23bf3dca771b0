#include "core/DataFolder.h"
#include "downloads/JobBuilder.h"
#include "fetch/DownloadRegistry.h"
#include "records/ArchivingSink.h"
#include "records/DownloadArchive.h"
#include "records/SavedCheck.h"
#include "support/LoopbackHttpServer.h"
#include "support/TestMain.h"
#include "support/ToolRun.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QMutex>
#include <QProcess>
#include <QScopeGuard>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <sys/stat.h>
#include <thread>
#include <unistd.h>

using testsupport::filesIn;
using testsupport::HttpRoute;
using testsupport::LoopbackHttpServer;

namespace {

// What reached a sink, one line a report; the worker may still be adding to it.
struct Notes {
    QMutex lock;
    QStringList lines;
    QStringList Lines() {
        QMutexLocker guard(&lock);
        return lines;
    }
    bool Ended() { return Lines().contains("ended"); }
};

class NoteSink : public DownloadProgressSink {
public:
    explicit NoteSink(std::shared_ptr<Notes> notes) : notes(std::move(notes)) {}
    void AnimationStarted() override {}
    void AnimationStopped() override { Add("ended"); }
    void FilesLeft(int) override {}
    void Message(const QString&) override {}
    void FileFinished(int, const QString& name, bool saved, const QString& why) override {
        Add(saved ? "saved " + name + (why.isEmpty() ? "" : ": " + why)
                  : "failed " + name + ": " + why);
    }
    void FileRetrying(int index, int nextTry, int tries) override {
        Add(QStringLiteral("%1 try %2 of %3").arg(index).arg(nextTry).arg(tries));
    }
    void Interrupted() override { Add("interrupted"); }
    void Add(const QString& line) {
        QMutexLocker guard(&notes->lock);
        notes->lines.append(line);
    }
    std::shared_ptr<Notes> notes;
};

bool WriteBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QByteArray BytesOf(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Runs statements on a database of its own connection, as another program would.
bool Execute(const QString& path, const QStringList& statements) {
    bool done = true;
    {
        QSqlDatabase database = QSqlDatabase::addDatabase("QSQLITE", "other program");
        database.setDatabaseName(path);
        QSqlQuery query(database);
        done = database.open();
        for (const QString& statement : statements)
            done = done && query.exec(statement);
    }
    QSqlDatabase::removeDatabase("other program");
    return done;
}

// A record of the program's own for folder, removed so the test can plant a file there.
QString EmptyRecordPathFor(const QString& folder) {
    const QString path = DownloadArchive::ForFolder(folder)->Path();
    for (const char* suffix : {"", "-wal", "-shm"})
        QFile::remove(path + suffix);
    return path;
}

} // namespace

// The record of saved files behind --archive and Skip Pictures Already Saved.
class DownloadArchiveTest : public QObject {
    Q_OBJECT
private slots:
    // Saved files are recorded through the worker's reports, failed ones
    // never; what a later run counts as saved depends on the record's rule and
    // on what became of the file.
    void countsWhatIsStillSaved_data() {
        QTest::addColumn<bool>("folderRecord"); // the folder's own record, or --archive
        QTest::addColumn<QString>("afterwards");
        QTest::addColumn<bool>("saved");
        QTest::newRow("folder, file kept") << true << "kept" << true;
        QTest::newRow("folder, file deleted") << true << "deleted" << false;
        QTest::newRow("folder, other size") << true << "resized" << false;
        QTest::newRow("archive, file deleted") << false << "deleted" << true;
        QTest::newRow("archive, other size") << false << "resized" << true;
    }
    void countsWhatIsStillSaved() {
        QFETCH(bool, folderRecord);
        QFETCH(QString, afterwards);
        QFETCH(bool, saved);
        QTemporaryDir pictures;
        const auto record =
            folderRecord ? DownloadArchive::ForFolder(pictures.path())
                         : std::make_shared<DownloadArchive>(pictures.filePath("record/saved"));
        QString error;
        QVERIFY2(record->Load(error), qPrintable(error));
        DownloadJob job;
        job.Rules.Page = QUrl("http://h/gallery.html");
        job.AddListed(pictures.path(), "c.jpg", "http://h/c.jpg");
        job.AddListed(pictures.path(), "b.jpg", "http://h/b.jpg");
        const QString file = pictures.filePath("my c (2).jpg");
        QVERIFY(WriteBytes(file, "picture"));
        const auto notes = std::make_shared<Notes>();
        ArchivingSink sink(std::make_unique<NoteSink>(notes), record, job);
        sink.FileFinished(0, "my c (2).jpg", true, QString());
        sink.FileFinished(1, "b.jpg", false, "server answered 404");
        sink.AnimationStopped();
        QCOMPARE(notes->Lines(),
                 (QStringList{"saved my c (2).jpg", "failed b.jpg: server answered 404", "ended"}));

        if (afterwards == "deleted")
            QVERIFY(QFile::remove(file));
        if (afterwards == "resized")
            QVERIFY(WriteBytes(file, "another picture"));
        const auto again = folderRecord ? DownloadArchive::ForFolder(pictures.path())
                                        : std::make_shared<DownloadArchive>(record->Path());
        QVERIFY(again->Load(error));
        QCOMPARE(again->SavedName("http://h/c.jpg"), saved ? "my c (2).jpg" : QString());
        QCOMPARE(again->SavedName("http://h/b.jpg"), QString());
        const HarvestLines unsaved =
            again->Unsaved({{"c.jpg", "http://h/c.jpg"}, {"b.jpg", "http://h/b.jpg"}});
        QCOMPARE(unsaved.size(), saved ? 1 : 2);
        QCOMPARE(unsaved.last().address, "http://h/b.jpg");
    }

    // The reports the record has nothing to add to reach the window all the
    // same: a retry shows in the report, an interruption keeps the job queued.
    void passesEveryOtherReportOn() {
        QTemporaryDir pictures;
        const auto record = DownloadArchive::ForFolder(pictures.path());
        DownloadJob job;
        job.AddListed(pictures.path(), "c.jpg", "http://h/c.jpg");
        const auto notes = std::make_shared<Notes>();
        ArchivingSink sink(std::make_unique<NoteSink>(notes), record, job);
        sink.FileRetrying(0, 2, 3);
        sink.Interrupted();
        QCOMPARE(notes->Lines(), (QStringList{"0 try 2 of 3", "interrupted"}));
    }

    // Each saved file keeps its folder, size and the page it was listed on,
    // under addresses without their logins: the same picture is found again
    // whatever login comes with it, and no password is kept.
    void recordsWhereEachFileCameFrom() {
        QTemporaryDir folder;
        DownloadArchive record(folder.filePath("saved"));
        QString error;
        QVERIFY(record.Load(error));
        QVERIFY(WriteBytes(folder.filePath("a.jpg"), "12345"));
        QVERIFY(record.Record("http://alice:s3cret@h/a.jpg?q#f", folder.filePath("a.jpg"),
                              "http://alice:s3cret@h/page"));
        QVERIFY(BytesOf(record.Path()).startsWith(QByteArray("SQLite format 3\0", 16)));
        {
            QSqlDatabase database = QSqlDatabase::addDatabase("QSQLITE", "reader");
            database.setDatabaseName(record.Path());
            QVERIFY(database.open());
            QSqlQuery row("SELECT address, folder, name, size, page FROM saved", database);
            QVERIFY(row.next());
            QCOMPARE(row.value(0).toString(), "http://h/a.jpg?q#f");
            QCOMPARE(row.value(1).toString(), folder.path());
            QCOMPARE(row.value(2).toString(), "a.jpg");
            QCOMPARE(row.value(3).toLongLong(), 5);
            QCOMPARE(row.value(4).toString(), "http://h/page");
        }
        QSqlDatabase::removeDatabase("reader");
        for (const char* address : {"http://h/a.jpg?q#f", "http://bob:other@h/a.jpg?q#f"})
            QCOMPARE(record.SavedName(address), "a.jpg");
    }

    // The window keeps one record per download folder in its own data folder.
    void theWindowsRecordLivesOutsideThePictureFolder() {
        QTemporaryDir pictures;
        const auto first = DownloadArchive::ForFolder(pictures.path());
        QVERIFY(first->Path().startsWith(DataFolder::Path() + "/"));
        QCOMPARE(DownloadArchive::ForFolder(pictures.path() + "/")->Path(), first->Path());
        QVERIFY(DownloadArchive::ForFolder(pictures.path() + "/other")->Path() != first->Path());
        QCOMPARE(QDir(pictures.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
                 QStringList());
    }

    // A record in the text form of earlier versions is converted once, its text kept
    // beside it under a name no file had; the window's old records carry over the
    // files still in their folder.
    void convertsTheTextFormOnce() {
        QTemporaryDir folder;
        const QString path = folder.filePath("saved");
        const QByteArray text = "http://h/a.jpg\ta.jpg\n\r\n"
                                "http://h/b.jpg\tmy b (2).jpg\r\nhttp://h/a.jpg\ta (2).jpg\n";
        QVERIFY(WriteBytes(path, text));
        QVERIFY(WriteBytes(path + ".txt", "a file of the user's"));
        DownloadArchive archive(path);
        QString error;
        QVERIFY2(archive.Load(error), qPrintable(error));
        QCOMPARE(archive.KeptTextForm(), path + ".2.txt");
        QCOMPARE(BytesOf(path + ".2.txt"), text);
        QCOMPARE(BytesOf(path + ".txt"), "a file of the user's");
        QCOMPARE(archive.SavedName("http://h/a.jpg"), "a (2).jpg");
        QCOMPARE(archive.SavedName("http://h/b.jpg"), "my b (2).jpg");
        DownloadArchive again(path);
        QVERIFY(again.Load(error));
        QCOMPARE(again.KeptTextForm(), QString());
        QCOMPARE(again.SavedName("http://h/b.jpg"), "my b (2).jpg");

        QTemporaryDir pictures;
        const QByteArray key =
            QCryptographicHash::hash(pictures.path().toUtf8(), QCryptographicHash::Sha1);
        const QString old = DataFolder::Path() + "/Saved/" + key.toHex() + ".txt";
        QVERIFY(QDir().mkpath(DataFolder::Path() + "/Saved"));
        QVERIFY(WriteBytes(old, "http://h/a.jpg\ta.jpg\nhttp://h/gone.jpg\tgone.jpg\n"));
        QVERIFY(WriteBytes(pictures.filePath("a.jpg"), "picture"));
        const auto record = DownloadArchive::ForFolder(pictures.path());
        QCOMPARE(record->SavedName("http://h/a.jpg"), "a.jpg");
        QCOMPARE(record->SavedName("http://h/gone.jpg"), QString());
        QVERIFY(!QFile::exists(old));
    }

    // Only a sound record is used. A file named as a record that is none is
    // refused and left as it was; the program's own record is set aside
    // instead, with the reason, and a new one is kept.
    void usesOnlyWhatIsASoundRecord_data() {
        QTest::addColumn<QString>("planted");
        QTest::addColumn<bool>("folderRecord");
        QTest::addColumn<QString>("reason");
        QTest::newRow("notes") << "notes" << false << "line 1 is not an address, a tab and";
        QTest::newRow("tab-separated table") << "table" << false << "line 2 is not an address";
        QTest::newRow("picture") << "picture" << false << "line 1 is not an address";
        QTest::newRow("one long line") << "long" << false << "line 1 is longer than";
        QTest::newRow("FIFO") << "fifo" << false << "not a regular file";
        QTest::newRow("FIFO, the folder's") << "fifo" << true << "not a regular file";
        QTest::newRow("cut short") << "cut" << false << "cut short";
        QTest::newRow("cut short, the folder's") << "cut" << true << "cut short";
        QTest::newRow("another program's") << "foreign" << false << "a database without";
        QTest::newRow("link, the folder's") << "link" << true << "a symbolic link";
        QTest::newRow("link as its log, the folder's") << "log link" << true << "log file";
        QTest::newRow("read-only") << "read-only" << false << "read-only";
        QTest::newRow("immutable") << "immutable" << false << "Operation not permitted";
    }
    void usesOnlyWhatIsASoundRecord() {
        QFETCH(QString, planted);
        QFETCH(bool, folderRecord);
        QFETCH(QString, reason);
        QTemporaryDir pictures, elsewhere;
        const QString path =
            folderRecord ? EmptyRecordPathFor(pictures.path()) : pictures.filePath("record");
        QString target = path; // what is planted: the record, or what its link leads to
        if (planted == "link" || planted == "log link") {
            target = elsewhere.filePath("other.sqlite");
            QVERIFY(QFile::link(target, planted == "link" ? path : path + "-wal"));
        }
        if (planted == "notes")
            QVERIFY(WriteBytes(target, "buy milk\nhttp://h/a.jpg\ta.jpg\n"));
        if (planted == "table")
            QVERIFY(WriteBytes(target, "http://h/a.jpg\ta.jpg\nname\tsize\n"));
        if (planted == "picture")
            QVERIFY(WriteBytes(target, QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16)));
        if (planted == "long")
            QVERIFY(WriteBytes(target, QByteArray(3 * 1024 * 1024, 'x') + "\thuge.jpg\n"));
        if (planted == "fifo")
            QCOMPARE(::mkfifo(QFile::encodeName(target).constData(), 0600), 0);
        if (planted == "cut" || planted == "read-only" || planted == "immutable") {
            DownloadArchive full(target);
            QString error;
            QVERIFY(full.Load(error));
            QList<DownloadArchive::SavedFile> saved;
            for (int i = 0; i < 400; ++i)
                saved.append(
                    {QStringLiteral("http://h/%1.jpg").arg(i), pictures.filePath("x"), {}});
            QVERIFY(full.Write(saved, {}));
            QVERIFY(Execute(target, {"PRAGMA wal_checkpoint(TRUNCATE)"}));
        }
        if (planted == "cut")
            QVERIFY(QFile::resize(target, 8192));
        if (planted == "read-only")
            QVERIFY(QFile::setPermissions(target, QFile::ReadOwner | QFile::ReadGroup));
        if (planted == "immutable" && QProcess::execute("chattr", {"+i", target}) != 0)
            QSKIP("chattr +i is not possible here");
        const auto mutableAgain = qScopeGuard([&] {
            if (planted == "immutable")
                QProcess::execute("chattr", {"-i", target});
        });
        if (planted == "foreign" || planted.contains("link"))
            QVERIFY(Execute(target, {"CREATE TABLE places (url TEXT)",
                                     "INSERT INTO places VALUES ('http://h/')"}));
        const QByteArray before = planted == "fifo" ? QByteArray() : BytesOf(target);
        const QStringList around = filesIn(QFileInfo(path).path());

        std::shared_ptr<DownloadArchive> record;
        QString error;
        if (folderRecord) {
            record = DownloadArchive::ForFolder(pictures.path());
            error = record->SetAsideWhy();
        } else {
            record = std::make_shared<DownloadArchive>(path);
            QVERIFY(!record->Load(error));
        }
        QVERIFY2(error.contains(reason), qPrintable(error));
        // Whatever it was, it still is, and holds what it held.
        const QString now = folderRecord && target == path ? record->SetAsideAs() : target;
        QCOMPARE(planted == "fifo" ? QByteArray() : BytesOf(now), before);
        if (!folderRecord) {
            QCOMPARE(filesIn(QFileInfo(path).path()), around);
            QCOMPARE(record->Lost(), error);
            QVERIFY(!record->Record("http://h/new.jpg", pictures.filePath("x")));
            return;
        }
        // Set aside as it was, a link or FIFO as itself, with its log.
        const QString aside = record->SetAsideAs();
        QVERIFY2(QFileInfo(aside).exists() || QFileInfo(aside + "-wal").exists(),
                 qPrintable(aside));
        QVERIFY(!QFileInfo(path).isSymLink() && !QFileInfo(path + "-wal").isSymLink());
        QCOMPARE(record->Lost(), QString());
        QVERIFY(WriteBytes(pictures.filePath("new.jpg"), "new"));
        QVERIFY(record->Record("http://h/new.jpg", pictures.filePath("new.jpg")));
        QCOMPARE(DownloadArchive::ForFolder(pictures.path())->SavedName("http://h/new.jpg"),
                 "new.jpg");
    }

    // A row of a folder's record vouches only for a plain file inside that
    // folder: never for one elsewhere, under a climbing name or through a link.
    void countsOnlyFilesInsideTheFolder() {
        QTemporaryDir pictures, outside;
        QVERIFY(WriteBytes(outside.filePath("secret"), "secret"));
        QVERIFY(QDir(pictures.path()).mkdir("sub"));
        QVERIFY(WriteBytes(pictures.filePath("sub/inside.jpg"), "inside"));
        QVERIFY(QFile::link(outside.filePath("secret"), pictures.filePath("link.jpg")));
        QVERIFY(QFile::link(outside.path(), pictures.filePath("away")));
        const auto record = DownloadArchive::ForFolder(pictures.path());
        const QString row =
            QStringLiteral("INSERT INTO saved VALUES ('http://h/%1', '%2', '%3', %4, 0, '')");
        const QString folder = pictures.path();
        QVERIFY(Execute(record->Path(),
                        {row.arg("outside", outside.path(), "secret").arg(6),
                         row.arg("climbing", folder + "/sub",
                                 "../../" + QFileInfo(outside.path()).fileName() + "/secret")
                             .arg(6),
                         row.arg("link", folder, "link.jpg").arg(6),
                         row.arg("linked folder", folder + "/away", "secret").arg(6),
                         row.arg("inside", folder + "/sub", "inside.jpg").arg(6)}));
        const QStringList names = DownloadArchive::ForFolder(pictures.path())
                                      ->SavedNames({{"a", "http://h/outside"},
                                                    {"b", "http://h/climbing"},
                                                    {"c", "http://h/link"},
                                                    {"d", "http://h/linked folder"},
                                                    {"e", "http://h/inside"}});
        QCOMPARE(names, QStringList({"", "", "", "", "inside.jpg"}));

        // An --archive row counts wherever its file is now, but only as a
        // plain name in a plain folder.
        DownloadArchive archive(outside.filePath("archive.sqlite"));
        QString error;
        QVERIFY2(archive.Load(error), qPrintable(error));
        QVERIFY(Execute(archive.Path(), {row.arg("moved", "/elsewhere", "a.jpg").arg(6),
                                         row.arg("climbing", "/elsewhere", "../a.jpg").arg(6),
                                         row.arg("rooted", "", "/etc/passwd").arg(6),
                                         row.arg("relative", "up/../x", "a.jpg").arg(6)}));
        QCOMPARE(archive.SavedNames({{"a", "http://h/moved"},
                                     {"b", "http://h/climbing"},
                                     {"c", "http://h/rooted"},
                                     {"d", "http://h/relative"}}),
                 QStringList({"a.jpg", "", "", ""}));
    }

    // A claim holds while its owner lives: another record object (another
    // job of the same program) leaves the address, and takes it once the
    // owner is gone. An owner's name from the record is only ever a name of
    // the fixed form, and only the lock file's own lock tells it is alive: a
    // lock file naming a live process is not enough, and a name that climbs
    // out of the data folder touches nothing there.
    void claimsHoldWhileTheirOwnersLive() {
        QTemporaryDir folder;
        const QString path = folder.filePath("record.sqlite");
        auto first = std::make_shared<DownloadArchive>(path);
        DownloadArchive second(path);
        using Claimed = DownloadArchive::Claimed;
        const auto claimedBy = [](DownloadArchive& record, const QStringList& addresses) {
            QList<Claimed> found;
            for (const DownloadArchive::Claim& claim : record.ClaimAll(addresses))
                found.append(claim.claimed);
            return found;
        };
        QCOMPARE(claimedBy(*first, {"http://h/a", "http://h/b"}),
                 QList<Claimed>({Claimed::Taken, Claimed::Taken}));
        QCOMPARE(claimedBy(second, {"http://h/a", "http://h/c"}),
                 QList<Claimed>({Claimed::Elsewhere, Claimed::Taken}));
        first.reset();
        QCOMPARE(claimedBy(second, {"http://h/a"}), QList<Claimed>({Claimed::Taken}));

        // A recycled process number: the lock file names this very process.
        const QString stale = "0f0e0d0c-0b0a-4909-8807-060504030201";
        QVERIFY(QDir().mkpath(DataFolder::Path() + "/Running"));
        QVERIFY(WriteBytes(DataFolder::Path() + "/Running/" + stale + ".lock",
                           QByteArray::number(qint64(::getpid())) + "\n" +
                               QCoreApplication::applicationName().toUtf8() + "\n\n"));
        QTemporaryDir victims;
        QVERIFY(WriteBytes(victims.filePath("app.lock"), "not the program's"));
        const QString climbing = "../../../../../../../.." + victims.filePath("app");
        QVERIFY(Execute(path, {"INSERT INTO claims VALUES ('http://h/d', '" + stale + "')",
                               "INSERT INTO claims VALUES ('http://h/e', '" + climbing + "')"}));
        DownloadArchive third(path);
        QCOMPARE(claimedBy(third, {"http://h/d", "http://h/e", "http://h/c"}),
                 QList<Claimed>({Claimed::Taken, Claimed::Taken, Claimed::Elsewhere}));
        QCOMPARE(BytesOf(victims.filePath("app.lock")), "not the program's");
    }

    // quillmar-harvest's --archive is asked first, then the folder's record,
    // which lets the archive's claim go for what it settles; another owner's
    // claim is the one thing not fetched for being elsewhere.
    void settlesTheArchiveFirstThenTheFolder() {
        QTemporaryDir pictures;
        const auto archive = std::make_shared<DownloadArchive>(pictures.filePath("archive.sqlite"));
        const auto folder = DownloadArchive::ForFolder(pictures.path());
        QVERIFY(WriteBytes(pictures.filePath("b.jpg"), "picture"));
        QVERIFY(archive->Record("http://h/a.jpg", pictures.filePath("a.jpg")));
        QVERIFY(folder->Record("http://h/b.jpg", pictures.filePath("b.jpg")));
        DownloadArchive other(archive->Path());
        QCOMPARE(other.ClaimAll({"http://h/d.jpg"}).first().claimed,
                 DownloadArchive::Claimed::Taken);
        const QHash<QString, SavedCheck::Settled> settled = SavedCheck::Claim(
            {"http://h/a.jpg", "http://h/b.jpg", "http://h/c.jpg", "http://h/d.jpg"}, archive.get(),
            folder.get());
        QStringList found;
        for (const QString& address : settled.keys())
            found << address + " " + QString::number(int(settled[address].kind)) + " " +
                         settled[address].savedName +
                         (settled[address].elsewhere ? " elsewhere" : "");
        found.sort();
        QCOMPARE(
            found,
            (QStringList{"http://h/a.jpg " + QString::number(int(DownloadCounts::Kind::Skipped)) +
                             " a.jpg",
                         "http://h/b.jpg " +
                             QString::number(int(DownloadCounts::Kind::AlreadySaved)) + " b.jpg",
                         "http://h/d.jpg " + QString::number(int(DownloadCounts::Kind::Skipped)) +
                             "  elsewhere"}));
        const QList<DownloadArchive::Claim> left =
            other.ClaimAll({"http://h/b.jpg", "http://h/c.jpg"});
        QCOMPARE(left.first().claimed, DownloadArchive::Claimed::Taken);
        QCOMPARE(left.last().claimed, DownloadArchive::Claimed::Elsewhere);
    }

    // Two jobs of one program downloading one page into one folder a few
    // seconds apart agree as two processes do: the second fetches nothing the
    // first is fetching or has saved, and nothing fails.
    void twoJobsOnOneFolderAgree() {
        LoopbackHttpServer server;
        QVERIFY(server.start());
        QTemporaryDir pictures;
        HarvestLines lines;
        HarvestMap map;
        QMap<QString, QByteArray> bodies;
        for (int i = 0; i < 6; ++i) {
            const bool large = i < 2;
            const QString name = QStringLiteral("%1%2.jpg").arg(large ? "large" : "small").arg(i);
            QByteArray body(large ? 3 << 20 : 5000, char('a' + i));
            HttpRoute route{200, "image/jpeg", body, {{"ETag", "\"v1\""}}, 0, 0};
            if (large) {
                route.chunkSize = 256 * 1024;
                route.chunkDelayMs = 150;
            }
            server.setRoute("/" + name.toUtf8(), route);
            lines.append({name, server.url(name)});
            map[name] = QStringList{server.url(name)};
            bodies.insert(name, body);
        }
        DownloadRegistry registry;
        const auto startJob = [&](std::shared_ptr<Notes> notes, DownloadJob& job) {
            const auto record = DownloadArchive::ForFolder(pictures.path());
            JobBuilder builder({QUrl(server.url("page.html")), RefererPolicy(), {}},
                               pictures.path(), 4);
            if (!builder.AddLines(lines, map, {}, record.get()))
                return false;
            job = builder.Job();
            job.SameSizeIsSaved = true;
            auto sink =
                std::make_unique<ArchivingSink>(std::make_unique<NoteSink>(notes), record, job);
            return registry.Start(job, std::move(sink)) != nullptr;
        };
        const auto first = std::make_shared<Notes>(), second = std::make_shared<Notes>();
        DownloadJob firstJob, secondJob;
        QVERIFY(startJob(first, firstJob));
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(pictures.filePath("large0.jpg.part")).size() >= 1 << 20,
                                 30000);
        QVERIFY(startJob(second, secondJob));
        QTRY_VERIFY_WITH_TIMEOUT(first->Ended() && second->Ended(), 60000);
        QCOMPARE(first->Lines().filter("failed"), QStringList());
        QCOMPARE(second->Lines().filter("failed"), QStringList());
        QCOMPARE(secondJob.Count(), 0);
        QStringList reasons;
        for (const DownloadJob::NotFetchedFile& file : secondJob.NotFetched)
            reasons << file.name + ": " + file.reason;
        QCOMPARE(reasons, QStringList({"large0.jpg: " + JobBuilder::ElsewhereReason(),
                                       "large1.jpg: " + JobBuilder::ElsewhereReason(),
                                       "small2.jpg: " + JobBuilder::InFolderReason(),
                                       "small3.jpg: " + JobBuilder::InFolderReason(),
                                       "small4.jpg: " + JobBuilder::InFolderReason(),
                                       "small5.jpg: " + JobBuilder::InFolderReason()}));
        QCOMPARE(filesIn(pictures.path()), QStringList(bodies.keys()));
        for (auto body = bodies.begin(); body != bodies.end(); ++body)
            QVERIFY2(BytesOf(pictures.filePath(body.key())) == body.value(),
                     qPrintable(body.key()));
    }

    // Writers on several threads, each with its own connection, lose nothing.
    void concurrentWritersLoseNothing() {
        QTemporaryDir folder;
        const QString path = folder.filePath("saved");
        QVERIFY(WriteBytes(folder.filePath("a.jpg"), "picture"));
        constexpr int Writers = 3;
        constexpr int Each = 150;
        std::atomic<int> written{0};
        std::vector<std::thread> writers;
        for (int writer = 0; writer < Writers; ++writer)
            writers.emplace_back([&, writer] {
                DownloadArchive record(path);
                for (int i = 0; i < Each; ++i)
                    written += record.Record(QStringLiteral("http://h/%1/%2").arg(writer).arg(i),
                                             folder.filePath("a.jpg"));
            });
        for (std::thread& writer : writers)
            writer.join();
        QCOMPARE(written.load(), Writers * Each);
        HarvestLines lines;
        for (int writer = 0; writer < Writers; ++writer)
            for (int i = 0; i < Each; ++i)
                lines.append({"a.jpg", QStringLiteral("http://h/%1/%2").arg(writer).arg(i)});
        QCOMPARE(DownloadArchive(path).Unsaved(lines), HarvestLines());
    }
};

QUILLMAR_TEST_MAIN(DownloadArchiveTest)
#include "tst_downloadarchive.moc"
