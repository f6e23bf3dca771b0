#include "records/DownloadArchive.h"
#include "support/LoopbackHttpServer.h"
#include "support/TestMain.h"
#include "support/ToolRun.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <algorithm>

using namespace testsupport;

namespace {

const QString harvestTool = QStringLiteral(QUILLMAR_BINARY_DIR "/quillmar-harvest");

QByteArray readBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeText(const QString& path, const QByteArray& text) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(text) == text.size();
}

// How many times the server was asked for each path it was asked for.
QMap<QByteArray, int> requestCounts(const LoopbackHttpServer& site) {
    QMap<QByteArray, int> counts;
    for (const HttpRequest& request : site.requests())
        ++counts[request.path];
    return counts;
}

// The pictures of counts: the paths under /shards/pic/.
QMap<QByteArray, int> pictureRequests(const LoopbackHttpServer& site) {
    QMap<QByteArray, int> pictures;
    const QMap<QByteArray, int> counts = requestCounts(site);
    for (auto it = counts.begin(); it != counts.end(); ++it)
        if (it.key().startsWith("/shards/pic/"))
            pictures.insert(it.key(), it.value());
    return pictures;
}

QProcess* startTool(const QStringList& arguments, QObject* parent) {
    auto* tool = new QProcess(parent);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
        environment.remove(QString::fromLatin1(name));
    tool->setProcessEnvironment(environment);
    tool->start(harvestTool, arguments);
    return tool;
}

} // namespace

// Several processes of the tool on one list, one folder and one record.
class HarvestShardsTest : public QObject {
    Q_OBJECT
private:
    LoopbackHttpServer server;
    QMap<QString, QByteArray> pictures; // address: bytes of every picture the pages link
    QTemporaryDir work;

    // A list of pages, with blank lines and comments, each page linking two
    // pictures of its own, two that other pages link too, and one of its own
    // under a name every page's picture of that kind has, so that runs on
    // different pages race for the same addresses and the same names.
    QString writeGalleryList(int pages) {
        QByteArray list = "# galleries\n\n";
        pictures.clear();
        for (int page = 0; page < pages; ++page) {
            const QByteArray number = QByteArray::number(page);
            QByteArray html;
            for (const QByteArray& path :
                 {"own" + number + "a.png", "own" + number + "b.png", QByteArray("shared.png"),
                  "pair" + QByteArray::number(page / 2) + ".png", "dup" + number + "/same.png"}) {
                html += "<a href='../pic/" + path + "'>" + path + "</a>";
                server.setFile("/shards/pic/" + path, "picture " + path, "image/png");
                pictures.insert(server.url("shards/pic/" + QString::fromLatin1(path)),
                                "picture " + path);
            }
            const QByteArray path = "/shards/pages/" + number + ".html";
            server.setFile(path, html);
            list += server.url(QString::fromLatin1(path.mid(1))).toUtf8() + "\n";
            if (page % 3 == 1)
                list += "  \n# a comment between pages\n";
        }
        const QString path = work.filePath(QStringLiteral("list-%1.txt").arg(pages));
        return writeText(path, list) ? path : QString();
    }

    // Every picture is in folder once, under a name of its own, and recorded
    // with that name; nothing else is there.
    void verifySavedOnce(const QString& folder, const QString& record) {
        const QStringList files = QDir(folder).entryList({"*.png"}, QDir::Files, QDir::Name);
        QCOMPARE(files.size(), pictures.size());
        DownloadArchive archive(record);
        QString error;
        QVERIFY2(archive.Load(error), qPrintable(error));
        for (auto picture = pictures.begin(); picture != pictures.end(); ++picture) {
            const QString name = archive.SavedName(picture.key());
            QVERIFY2(files.contains(name), qPrintable(picture.key() + " as " + name));
            QCOMPARE(readBytes(QDir(folder).filePath(name)), picture.value());
        }
        QCOMPARE(filesIn(folder).filter(".part"), QStringList());
    }

private slots:
    void initTestCase() { QVERIFY(server.start()); }

    // Positions count addresses only; each page is in exactly one shard, whose
    // --json line names it and the outcome, a failed page with its reason.
    void shardsCoverTheListOnceWithEachPagesOutcome() {
        const QString list = writeGalleryList(5);
        QVERIFY(writeText(list + ".missing",
                          readBytes(list) + server.url("shards/pages/missing.html").toUtf8()));
        // Positions 1 to 6 of the list, comments and blank lines not counted.
        const QList<QStringList> shares = {
            {"0.html", "3.html"}, {"1.html", "4.html"}, {"2.html", "missing.html"}};
        for (int part = 1; part <= 3; ++part) {
            QStringList seen;
            const QString shard = QStringLiteral("%1/3").arg(part);
            const ToolRun run =
                runHarvestTool({"--json", "--input", list + ".missing", "--shard", shard});
            // The sixth address, the missing page, falls to shard 3.
            QCOMPARE(run.exitCode, part == 3 ? 1 : 0);
            for (const QString& line : run.output.split('\n', Qt::SkipEmptyParts)) {
                const QJsonObject page = QJsonDocument::fromJson(line.toUtf8()).object();
                QCOMPARE(page["shard"].toString(), shard);
                const bool missing = page["page"].toString().endsWith("missing.html");
                QCOMPARE(page["outcome"].toString(), missing ? "failed" : "ok");
                QCOMPARE(page["reason"].toString().contains("HTTP 404"), missing);
                QCOMPARE(page["links"].toArray().size(), missing ? 0 : 5);
                seen << page["page"].toString().section('/', -1);
            }
            QCOMPARE(seen, shares[part - 1]);
            if (part == 3)
                QVERIFY2(run.errors.startsWith("quillmar-harvest (shard 3/3): cannot load"),
                         qPrintable(run.errors));
        }
    }

    // Three runs of the whole list at once: each picture is fetched by one of
    // them, saved once, recorded once; no run makes a copy of one.
    void concurrentRunsSaveEachPictureOnce() {
        const QString list = writeGalleryList(6);
        const QString folder = work.filePath("together");
        const QString record = folder + "/record.sqlite";
        server.clearRequests();
        QList<QProcess*> runs;
        for (int run = 0; run < 3; ++run)
            runs << startTool({"--input", list, "--download", folder, "--archive", record}, this);
        for (QProcess* run : runs) {
            QVERIFY(run->waitForFinished(120000));
            QVERIFY2(run->exitCode() == 0, run->readAllStandardError().constData());
        }
        verifySavedOnce(folder, record);
        const QMap<QByteArray, int> fetched = pictureRequests(server);
        QCOMPARE(fetched.size(), pictures.size());
        QVERIFY(std::all_of(fetched.begin(), fetched.end(), [](int count) { return count == 1; }));
    }

    // The recipe for one machine, as the README gives it.
    void gnuParallelShardsShareOneFolderAndRecord() {
        const QString parallel = QStandardPaths::findExecutable("parallel");
        if (parallel.isEmpty())
            QSKIP("GNU Parallel is not installed (Debian package parallel; scripts/setup)");
        const QString list = writeGalleryList(9);
        const QString folder = work.filePath("parallel");
        const QString record = folder + "/record.sqlite";
        const auto runRecipe = [&] {
            QProcess recipe;
            recipe.start(parallel,
                         {"-j3", harvestTool, "--input", list, "--shard", "{}/3", "--download",
                          folder, "--archive", record, ":::", "1", "2", "3"});
            QVERIFY(recipe.waitForFinished(180000));
            QVERIFY2(recipe.exitCode() == 0, recipe.readAllStandardError().constData());
        };
        server.clearRequests();
        runRecipe();
        verifySavedOnce(folder, record);
        const QMap<QByteArray, int> fetched = pictureRequests(server);
        QCOMPARE(fetched.size(), pictures.size());
        QVERIFY(std::all_of(fetched.begin(), fetched.end(), [](int count) { return count == 1; }));
        server.clearRequests();
        runRecipe();
        QCOMPARE(pictureRequests(server), (QMap<QByteArray, int>()));
        verifySavedOnce(folder, record);
    }

    // Records of runs on other machines (and an earlier text form) come
    // together; a run with the merged record fetches none of their files. A
    // record's names reach the terminal escaped, a row naming no plain file
    // is left out, and a file that is no record is refused.
    void mergedRecordsSkipWhatAnyRunSaved() {
        const QString list = writeGalleryList(2);
        const QStringList lines = QString::fromUtf8(readBytes(list)).split('\n').filter("http");
        const QString first = work.filePath("first.sqlite"),
                      second = work.filePath("second.sqlite");
        for (int page = 0; page < 2; ++page)
            QCOMPARE(runHarvestTool({"--download", work.filePath("machine%1").arg(page),
                                     "--archive", page == 0 ? first : second, lines[page]})
                         .exitCode,
                     0);
        const QString text = work.filePath("round.txt");
        QVERIFY(writeText(text,
                          server.url("shards/pic/elsewhere.png").toUtf8() + "\telsewhere.png\n\n"));
        const QString notes = work.filePath("notes.txt");
        QVERIFY(writeText(notes, "shards to run\n"));
        const QString forged = work.filePath("forged.sqlite");
        {
            DownloadArchive archive(forged);
            QString error;
            QVERIFY(archive.Load(error));
            QVERIFY(archive.Record(server.url("shards/pic/own0a.png"), "/x/evil\x1b]0;owned\x07\n"
                                                                       "saved forged.png"));
            QVERIFY(archive.Record(server.url("shards/pic/own0b.png"), "/x/placeholder"));
        }
        QSqlDatabase database = QSqlDatabase::addDatabase("QSQLITE", "forger");
        database.setDatabaseName(forged);
        QVERIFY(database.open());
        QVERIFY(QSqlQuery(database).exec("UPDATE saved SET name = '../../etc/passwd' WHERE name = "
                                         "'placeholder'"));
        database.close();
        database = QSqlDatabase();
        QSqlDatabase::removeDatabase("forger");
        const QString merged = work.filePath("merged.sqlite");
        ToolRun run = runHarvestTool({"--merge-archive", merged, forged, first, second, text});
        QCOMPARE(run.exitCode, 0);
        // shared.png and pair0.png are in both records, own0a.png came forged first.
        QCOMPARE(run.output, QString("merged %1: 1 new\nmerged %2: 4 new\nmerged %3: 3 new\n"
                                     "merged %4: 1 new\n")
                                 .arg(forged, first, second, text));
        QCOMPARE(run.errors, "quillmar-harvest: " + forged +
                                 ": left out 1 records naming no plain file in a folder\n");
        run =
            runHarvestTool({"--merge-archive", merged, first, work.filePath("none.sqlite"), notes});
        QCOMPARE(run.exitCode, 1);
        QCOMPARE(run.output, QString("merged %1: 0 new\n").arg(first));
        QVERIFY2(run.errors.endsWith("cannot merge " + notes +
                                     ": not a record of saved pictures: line 1 is not an address, "
                                     "a tab and a file name\n"),
                 qPrintable(run.errors));
        QCOMPARE(readBytes(notes), "shards to run\n");
        server.clearRequests();
        run = runHarvestTool(
            {"--download", work.filePath("fresh"), "--archive", merged, "--input", list});
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(pictureRequests(server), (QMap<QByteArray, int>()));
        QCOMPARE(run.output.split('\n').filter(QRegularExpression("^skipped ")).size(), 8);
        QVERIFY2(
            run.output.split('\n').contains("skipped evil\\x1b]0;owned\\x07\\x0asaved forged.png"),
            qPrintable(run.output));
        QCOMPARE(run.output.split('\n').filter(QRegularExpression("^saved ")), QStringList());
        QCOMPARE(filesIn(work.filePath("fresh")), QStringList());
    }
};

QUILLMAR_ENGINE_TEST_MAIN(HarvestShardsTest)
#include "tst_harvestshards.moc"
