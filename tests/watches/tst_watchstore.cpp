#include "WatchTestFiles.h"
#include "support/TestMain.h"
#include "watches/WatchCheckLock.h"
#include "watches/WatchStore.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <thread>

using namespace watchtest;

namespace {

Watch GalleryWatch(const QString& address = QStringLiteral("http://h/gallery.html")) {
    Watch watch;
    watch.address = address;
    watch.title = QStringLiteral("Gallery");
    watch.folder = QStringLiteral("/tmp/pictures");
    watch.period = 3600;
    return watch;
}

// Rows of the seen table, read past the store.
int SeenRows(const QString& path) {
    int rows = -1;
    {
        QSqlDatabase database = QSqlDatabase::addDatabase("QSQLITE", "seen-count");
        database.setDatabaseName(path);
        QSqlQuery query(database);
        if (database.open() && query.exec("SELECT count(*) FROM seen") && query.next())
            rows = query.value(0).toInt();
    }
    QSqlDatabase::removeDatabase("seen-count");
    return rows;
}

} // namespace

// The watch list that the window and every quillmar-harvest run share.
class WatchStoreTest : public QObject {
    Q_OBJECT
private slots:
    // What one connection writes, another reads; checks add up their new
    // pictures until they are looked at; a failed check keeps the last good count.
    void sharedBetweenConnections() {
        QTemporaryDir data;
        const QString path = data.filePath("Watches.sqlite");
        WatchStore window(path);
        WatchStore tool(path);
        QVERIFY2(window.IsOpen() && tool.IsOpen(), qPrintable(window.Error() + tool.Error()));
        QVERIFY(window.Put(GalleryWatch(), 100));
        const std::optional<Watch> found = tool.Find("http://h/gallery.html");
        QVERIFY(found);
        QCOMPARE(found->created, qint64(100));
        QCOMPARE(found->period, qint64(3600));
        QCOMPARE(tool.Due(100).size(), 1); // never checked

        QVERIFY(tool.MarkSeen(*found, {"http://h/1.jpg", "http://h/2.jpg"}));
        QVERIFY(tool.RecordCheck(*found, WatchCheck::Judge(200, QString(), 2, 0, 2)));
        QCOMPARE(window.Unseen(*found, {"http://h/2.jpg", "http://h/3.jpg", "http://h/1.jpg"}),
                 QStringList{"http://h/3.jpg"});
        QVERIFY(window.Due(200 + 3599).isEmpty());
        QCOMPARE(window.Due(200 + 3599, true).size(), 1);
        QVERIFY(tool.RecordCheck(*found, WatchCheck::Judge(4000, QString(), 5, 2, 3)));
        Watch listed = window.List().value(0);
        QCOMPARE(listed.newCount, 3);
        QCOMPARE(listed.unlooked, 5);
        QCOMPARE(listed.pictures, 5);

        QVERIFY(window.MarkLookedAt("http://h/gallery.html"));
        QVERIFY(tool.RecordCheck(*found, WatchCheck::Judge(8000, "timed out", 0, 5, 0)));
        listed = window.List().value(0);
        QVERIFY(listed.Failing());
        QVERIFY(listed.failure.contains("timed out"));
        QCOMPARE(listed.lastCheck, qint64(8000));
        QCOMPARE(listed.lastGood, qint64(4000));
        QCOMPARE(listed.pictures, 5);
        QCOMPARE(listed.unlooked, 0);
        QCOMPARE(listed.newCount, 0);
        QVERIFY(!window.MarkLookedAt("http://h/other.html"));
    }

    // Writers on threads of their own wait for each other: nothing is lost.
    void concurrentWritersLoseNothing() {
        QTemporaryDir data;
        const QString path = data.filePath("Watches.sqlite");
        WatchStore store(path);
        QVERIFY(store.Put(GalleryWatch(), 1));
        const Watch watch = *store.Find("http://h/gallery.html");
        QStringList addresses;
        for (int i = 0; i < 2000; ++i)
            addresses << QStringLiteral("http://h/%1.jpg").arg(i);
        bool threadWrote = true;
        std::thread other([&] {
            WatchStore own(path);
            for (int batch = 0; batch < 40; ++batch)
                threadWrote = own.MarkSeen(watch, addresses.mid(batch * 50, 50)) && threadWrote;
        });
        bool checksRecorded = true;
        for (int check = 1; check <= 200; ++check)
            checksRecorded =
                store.RecordCheck(watch, WatchCheck::Judge(check, QString(), check, 0, 1)) &&
                checksRecorded;
        other.join();
        QVERIFY(threadWrote && checksRecorded);
        QCOMPARE(store.Unseen(watch, addresses), QStringList());
        QCOMPARE(store.Find(watch.address)->unlooked, 200);
    }

    // An update keeps what the watch saw; removing it removes that too.
    void seenAddressesFollowTheWatch() {
        QTemporaryDir data;
        const QString path = data.filePath("Watches.sqlite");
        WatchStore store(path);
        QVERIFY(store.Put(GalleryWatch("http://h/other.html"), 5));
        QVERIFY(store.Put(GalleryWatch(), 10));
        const Watch first = *store.Find("http://h/gallery.html");
        QVERIFY(store.MarkSeen(first, {"http://h/1.jpg", "http://h/1.jpg", "http://h/2.jpg"}));
        QCOMPARE(store.Unseen(*store.Find("http://h/other.html"), {"http://h/1.jpg"}),
                 QStringList{"http://h/1.jpg"});
        QVERIFY(store.RecordCheck(first, WatchCheck::Judge(20, QString(), 2, 0, 2)));

        Watch changed = GalleryWatch();
        changed.folder = "/tmp/elsewhere";
        changed.period = 86400;
        changed.choices.deep = true;
        QVERIFY(store.Put(changed, 30));
        const Watch updated = *store.Find("http://h/gallery.html");
        QCOMPARE(updated.id, first.id);
        QCOMPARE(updated.folder, QString("/tmp/elsewhere"));
        QCOMPARE(updated.period, qint64(86400));
        QVERIFY(updated.choices.deep);
        QCOMPARE(updated.created, qint64(10));
        QCOMPARE(updated.lastCheck, qint64(20));
        QCOMPARE(updated.pictures, 2);
        QCOMPARE(store.Unseen(updated, {"http://h/1.jpg", "http://h/2.jpg", "http://h/3.jpg"}),
                 QStringList{"http://h/3.jpg"});
        QCOMPARE(SeenRows(path), 2);

        QVERIFY(store.Remove("http://h/gallery.html"));
        QVERIFY(!store.Find("http://h/gallery.html"));
        QCOMPARE(SeenRows(path), 0);
        QVERIFY(!store.MarkSeen(updated, {"http://h/4.jpg"}));
        QVERIFY(!store.RecordCheck(updated, WatchCheck::Judge(50, QString(), 1, 0, 1)));
        QVERIFY(!store.Remove("http://h/gallery.html"));
        QVERIFY(store.Error().contains("no watch"));
        QCOMPARE(store.List().size(), 1);

        QVERIFY(store.Put(GalleryWatch(), 60));
        const Watch again = *store.Find("http://h/gallery.html");
        QVERIFY(again.id != first.id);
        QCOMPARE(again.lastCheck, qint64(0));
        QCOMPARE(store.Unseen(again, {"http://h/1.jpg"}), QStringList{"http://h/1.jpg"});
    }

    // A list that is no database or is damaged is set aside and begun anew; a
    // link is never opened, and what it points at is left as it was.
    void damagedOrLinkedLists_data() {
        QTest::addColumn<QString>("kind");
        QTest::newRow("no database") << "text";
        QTest::newRow("truncated") << "truncated";
        QTest::newRow("link") << "link";
        QTest::newRow("log is a link") << "log link";
    }
    void damagedOrLinkedLists() {
        QFETCH(QString, kind);
        QTemporaryDir data;
        const QString path = data.filePath("Watches.sqlite");
        const QString other = data.filePath("other.sqlite");
        {
            WatchStore full(other);
            for (int i = 0; i < 200; ++i)
                full.Put(
                    GalleryWatch(QStringLiteral("http://h/%1/%2").arg(i).arg(QString(200, 'x'))),
                    i);
        }
        const QByteArray database = BytesOf(other);
        QVERIFY(database.size() > 20000);
        if (kind == "text")
            QVERIFY(WriteBytes(path, "http://h/a.jpg\ta.jpg\n"));
        if (kind == "truncated")
            QVERIFY(WriteBytes(path, database.left(8192)));
        if (kind == "link")
            QVERIFY(QFile::link(other, path));
        if (kind == "log link")
            QVERIFY(QFile::link(other, path + "-wal"));
        const QByteArray before = BytesOf(path);

        WatchStore store(path);
        if (kind.contains("link")) {
            QVERIFY(!store.IsOpen());
            QVERIFY2(store.Error().contains("symbolic link"), qPrintable(store.Error()));
            QCOMPARE(BytesOf(other), database);
            return;
        }
        QVERIFY2(store.IsOpen(), qPrintable(store.Error()));
        QVERIFY2(store.Notice().contains(path + ".damaged"), qPrintable(store.Notice()));
        QCOMPARE(BytesOf(path + ".damaged"), before);
        QVERIFY(store.List().isEmpty());
        QVERIFY(store.Put(GalleryWatch(), 1));
        QVERIFY(WatchStore(path).Notice().isEmpty());
    }

    // Of two checks of one watch, in one process or in two, one goes on; a
    // holder that is killed leaves nothing that blocks the next check.
    void checksOfOneWatchExcludeEachOther() {
        QTemporaryDir data;
        const QString folder = data.filePath("Watching");
        QString lockFile;
        {
            const WatchCheckLock first("http://h/gallery.html", folder);
            QVERIFY2(first.IsHeld(), qPrintable(first.Refusal()));
            lockFile = QDir(folder).filePath(QDir(folder).entryList(QDir::Files).value(0));
            const WatchCheckLock second("http://h/gallery.html", folder);
            QVERIFY(!second.IsHeld());
            QVERIFY2(second.Refusal().contains("another check"), qPrintable(second.Refusal()));
            QVERIFY(WatchCheckLock("http://h/other.html", folder).IsHeld());
        }
        QVERIFY(QDir(folder).isEmpty());

        QProcess holder;
        EndWithThisProcess(holder);
        holder.start(
            "sh", {"-c", "exec 9>>\"$0\" && flock -n 9 && echo held && exec sleep 60", lockFile});
        QVERIFY(holder.waitForReadyRead(10000));
        QCOMPARE(holder.readAllStandardOutput(), QByteArray("held\n"));
        QVERIFY(!WatchCheckLock("http://h/gallery.html", folder).IsHeld());
        holder.kill();
        QVERIFY(holder.waitForFinished(10000));
        QVERIFY(WatchCheckLock("http://h/gallery.html", folder).IsHeld());
    }
};

QUILLMAR_TEST_MAIN(WatchStoreTest)
#include "tst_watchstore.moc"
