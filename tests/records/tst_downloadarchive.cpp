#include "core/DataFolder.h"
#include "records/ArchivingSink.h"
#include "records/DownloadArchive.h"
#include "support/TestMain.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <thread>

namespace {

// Records what reaches it.
class NoteSink : public DownloadProgressSink {
public:
    QStringList notes;
    void AnimationStarted() override {}
    void AnimationStopped() override {}
    void FilesLeft(int) override {}
    void Message(const QString&) override {}
    void FileFinished(int index, const QString& name, bool saved, const QString&) override {
        notes << QStringLiteral("%1 %2 %3").arg(index).arg(name).arg(saved);
    }
    void FileRetrying(int index, int nextTry, int tries) override {
        notes << QStringLiteral("%1 try %2 of %3").arg(index).arg(nextTry).arg(tries);
    }
    void Interrupted() override { notes << QStringLiteral("interrupted"); }
};

bool WriteBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QByteArray BytesOf(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

// The record of saved files behind --archive and Skip Pictures Already Saved.
class DownloadArchiveTest : public QObject {
    Q_OBJECT
private slots:
    // Saved files are recorded through the worker's reports as each is saved,
    // failed ones never; what a later run counts as saved depends on the record's
    // rule and on what became of the file.
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
        auto* inner = new NoteSink;
        ArchivingSink sink(std::unique_ptr<DownloadProgressSink>(inner), record, job);
        sink.FileFinished(0, "my c (2).jpg", true, QString());
        sink.FileFinished(1, "b.jpg", false, "server answered 404");
        QCOMPARE(inner->notes, (QStringList{"0 my c (2).jpg 1", "1 b.jpg 0"}));

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
        auto* inner = new NoteSink;
        ArchivingSink sink(std::unique_ptr<DownloadProgressSink>(inner), record, job);
        sink.FileRetrying(0, 2, 3);
        sink.Interrupted();
        QCOMPARE(inner->notes, (QStringList{"0 try 2 of 3", "interrupted"}));
    }

    // Each saved file keeps its folder, size and the page it was listed on.
    void recordsWhereEachFileCameFrom() {
        QTemporaryDir folder;
        DownloadArchive record(folder.filePath("saved"));
        QString error;
        QVERIFY(record.Load(error));
        QVERIFY(WriteBytes(folder.filePath("a.jpg"), "12345"));
        QVERIFY(record.Record("http://h/a.jpg", folder.filePath("a.jpg"), "http://h/page"));
        QVERIFY(BytesOf(record.Path()).startsWith(QByteArray("SQLite format 3\0", 16)));
        {
            QSqlDatabase database = QSqlDatabase::addDatabase("QSQLITE", "reader");
            database.setDatabaseName(record.Path());
            QVERIFY(database.open());
            QSqlQuery row("SELECT folder, name, size, page FROM saved", database);
            QVERIFY(row.next());
            QCOMPARE(row.value(0).toString(), folder.path());
            QCOMPARE(row.value(1).toString(), "a.jpg");
            QCOMPARE(row.value(2).toLongLong(), 5);
            QCOMPARE(row.value(3).toString(), "http://h/page");
        }
        QSqlDatabase::removeDatabase("reader");
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
        const QByteArray text = "http://h/a.jpg\ta.jpg\nbroken line\r\n"
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
