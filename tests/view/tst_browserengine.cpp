#include "harvest/ListOrder.h"
#include "harvest/ListSink.h"
#include "harvest/PageScan.h"
#include "support/LoopbackHttpServer.h"
#include "support/TestMain.h"
#include "view/CBrowserEngine.h"

#include <QPrinter>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QUrl>
#include <QWebEnginePage>

#include <algorithm>

using testsupport::LoopbackHttpServer;

namespace {

constexpr int engineTimeout = 30000;

class LineList : public ListSink {
public:
    void AddString(const QString& line) override { lines << line; }
    QStringList lines;
};

// What a view would show for a page: sorted lines and both maps.
struct Harvest {
    QStringList images;
    QStringList links;
    HarvestMap imageMap;
    HarvestMap linkMap;
};

Harvest harvestOf(const PageSnapshot& snapshot) {
    LineList imageList;
    LineList linkList;
    Harvest harvest;
    PageScan(imageList, harvest.imageMap, linkList, harvest.linkMap).ScanPage(snapshot);
    harvest.images = imageList.lines;
    harvest.links = linkList.lines;
    std::sort(harvest.images.begin(), harvest.images.end(), ListOrder());
    std::sort(harvest.links.begin(), harvest.links.end(), ListOrder());
    return harvest;
}

QString pageAddress(const QString& name) {
    return QUrl::fromLocalFile(testsupport::testDataPath(QStringLiteral("pages/") + name))
        .toString();
}

} // namespace

class BrowserEngineTest : public QObject {
    Q_OBJECT
private:
    LoopbackHttpServer server;

    // The base address of the fixture pages for a row's "source" column.
    QString baseFor(const QString& source) {
        return source == QLatin1String("http") ? server.url() : pageAddress(QString());
    }

    static bool load(CBrowserEngine& engine, const QString& address) {
        QSignalSpy complete(&engine, &CBrowserEngine::downloadComplete);
        engine.Navigate(address);
        if (!complete.wait(engineTimeout))
            return false;
        return complete.first().first().toBool();
    }

    static PageSnapshot snapshotOf(CBrowserEngine& engine) {
        std::optional<PageSnapshot> snapshot;
        engine.TakeSnapshot([&snapshot](const PageSnapshot& taken) { snapshot = taken; });
        // A snapshot that never comes reads as an unreadable page.
        const bool answered =
            QTest::qWaitFor([&snapshot] { return snapshot.has_value(); }, engineTimeout);
        return answered ? *snapshot : PageSnapshot();
    }

    static void addSources() {
        QTest::addColumn<QString>("source");
        QTest::newRow("file") << "file";
        QTest::newRow("http") << "http";
    }

private slots:
    void initTestCase() {
        QVERIFY(server.start());
        server.serveDirectory(testsupport::testDataPath(QStringLiteral("pages")));
    }

    void aboutPageComesFromTheResources() {
        CBrowserEngine engine;
        QSignalSpy complete(&engine, &CBrowserEngine::downloadComplete);
        engine.LoadAboutPage();
        QVERIFY(complete.wait(engineTimeout));
        QCOMPARE(complete.first().first().toBool(), true);
        QCOMPARE(engine.Page()->title(), QStringLiteral("Quillmar"));
        QCOMPARE(engine.Location(), QStringLiteral("qrc:/about.html"));
        const PageSnapshot snapshot = snapshotOf(engine);
        QCOMPARE(snapshot.contentType, QStringLiteral("text/html"));
        QVERIFY(snapshot.document.has_value());
        QCOMPARE(snapshot.document->links.size(), size_t(1));
        QCOMPARE(snapshot.document->links[0].href, QStringLiteral("mailto:quillmar@example.org"));
    }

    void reportsOneLoadInOrder() {
        CBrowserEngine engine;
        QStringList events;
        connect(&engine, &CBrowserEngine::downloadBegin, this, [&] { events << "begin"; });
        connect(&engine, &CBrowserEngine::downloadComplete, this,
                [&](bool ok) { events << (ok ? "complete" : "failed"); });
        QSignalSpy progress(&engine, &CBrowserEngine::progressChange);
        QSignalSpy titles(&engine, &CBrowserEngine::titleChange);
        // Blanks around a typed address are the address bar's business, not the user's.
        const QString path = testsupport::testDataPath(QStringLiteral("pages/gallery.html"));
        engine.Navigate(QStringLiteral("  ") + path + QStringLiteral(" "));
        QTRY_VERIFY_WITH_TIMEOUT(events.contains("complete") || events.contains("failed"),
                                 engineTimeout);
        QCOMPARE(events, (QStringList{"begin", "complete"}));
        QVERIFY(!progress.isEmpty());
        QCOMPARE(progress.last(), (QVariantList{100, 100}));
        QTRY_VERIFY_WITH_TIMEOUT(!titles.isEmpty() && titles.last().first() == "Gallery",
                                 engineTimeout);
        QCOMPARE(engine.Location(), pageAddress("gallery.html"));
    }

    void failedLoadsCompleteUnsuccessfully() {
        for (const QString& address :
             {pageAddress("no-such-page.html"), server.url(QStringLiteral("no-such-page.html"))}) {
            CBrowserEngine engine;
            QSignalSpy complete(&engine, &CBrowserEngine::downloadComplete);
            engine.Navigate(address);
            QVERIFY2(complete.wait(engineTimeout), qPrintable(address));
            QCOMPARE(complete.first().first().toBool(), false);
        }
    }

    void harvestsTheGallery_data() { addSources(); }
    void harvestsTheGallery() {
        QFETCH(QString, source);
        const QString base = baseFor(source);
        CBrowserEngine engine;
        QVERIFY(load(engine, base + "gallery.html"));
        const PageSnapshot snapshot = snapshotOf(engine);
        QCOMPARE(snapshot.contentType, QStringLiteral("text/html"));
        QVERIFY(snapshot.document.has_value());
        const std::vector<DomLink>& links = snapshot.document->links;
        const auto area = std::find_if(links.begin(), links.end(),
                                       [](const DomLink& link) { return link.tagName == "AREA"; });
        QVERIFY(area != links.end());
        QCOMPARE(area->href, base + "pictures/area-only.jpg");

        const Harvest harvest = harvestOf(snapshot);
        // The same name in two folders: two lines, one entry, the one visited last.
        QCOMPARE(harvest.images, (QStringList{"blue.png", "red.gif", "red.gif"}));
        QCOMPARE(harvest.imageMap, (HarvestMap{{"blue.png", base + "pictures/blue.png"},
                                               {"red.gif", base + "pictures/other/red.gif"}}));
        // Listed under the file name, not the link text; the area and the script are left out.
        QCOMPARE(harvest.links, (QStringList{"blue.png", "my%20photo.jpg"}));
        QCOMPARE(harvest.linkMap,
                 (HarvestMap{{"blue.png", base + "pictures/blue.png"},
                             {"my%20photo.jpg", base + "pictures/my%20photo.jpg"}}));
    }

    void walksNestedFramesFirst_data() { addSources(); }
    void walksNestedFramesFirst() {
        QFETCH(QString, source);
        const QString base = baseFor(source);
        CBrowserEngine engine;
        QVERIFY(load(engine, base + "frameset.html"));
        const PageSnapshot snapshot = snapshotOf(engine);
        QVERIFY(snapshot.document.has_value());
        QCOMPARE(snapshot.document->frames.size(), size_t(2));
        QCOMPARE(snapshot.document->frames[1].frames.size(), size_t(2));
        const Harvest harvest = harvestOf(snapshot);
        QCOMPARE(harvest.images, (QStringList{"inner.png", "one.gif"}));
        QCOMPARE(harvest.links, (QStringList{"inner.tiff", "left.jpg"}));
        QCOMPARE(harvest.linkMap.value("inner.tiff"), base + "pictures/inner.tiff");
    }

    void readsInlineFramesBeforeTheirPage_data() { addSources(); }
    void readsInlineFramesBeforeTheirPage() {
        QFETCH(QString, source);
        const QString base = baseFor(source);
        CBrowserEngine engine;
        QVERIFY(load(engine, base + "iframes.html"));
        const PageSnapshot snapshot = snapshotOf(engine);
        QVERIFY(snapshot.document.has_value());
        QCOMPARE(snapshot.document->frames.size(), size_t(2));
        QCOMPARE(snapshot.document->frames[1].images.at(0).src, base + "pictures/srcdoc.gif");
        const Harvest harvest = harvestOf(snapshot);
        QCOMPARE(harvest.images, (QStringList{"one.gif", "one.gif", "srcdoc.gif"}));
        // The page's own picture is visited after its frames' pictures.
        QCOMPARE(harvest.imageMap.value("one.gif"), base + "pictures/top/one.gif");
    }

    void listsNothingForOtherDocumentTypes_data() {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("contentType");
        for (const QString source : {"file", "http"}) {
            QTest::addRow("picture, %s", qPrintable(source)) << source << "pictures/red.gif"
                                                             << "image/gif";
            QTest::addRow("text, %s", qPrintable(source)) << source << "notes.txt"
                                                          << "text/plain";
        }
    }
    void listsNothingForOtherDocumentTypes() {
        QFETCH(QString, source);
        QFETCH(QString, name);
        QFETCH(QString, contentType);
        CBrowserEngine engine;
        QVERIFY(load(engine, baseFor(source) + name));
        const PageSnapshot snapshot = snapshotOf(engine);
        QCOMPARE(snapshot.contentType, contentType);
        const Harvest harvest = harvestOf(snapshot);
        QVERIFY(harvest.images.isEmpty());
        QVERIFY(harvest.linkMap.isEmpty());
    }

    void skipsFramesOfAnotherOrigin() {
        LoopbackHttpServer other;
        QVERIFY(other.start());
        other.serveDirectory(testsupport::testDataPath(QStringLiteral("pages")));
        server.setFile("/cross.html",
                       QStringLiteral("<!DOCTYPE html><html><body>"
                                      "<iframe src='%1'></iframe>"
                                      "<iframe src='frame-inner.html'></iframe>"
                                      "<img src='pictures/red.gif'>"
                                      "<a href='pictures/big.jpg'>big</a></body></html>")
                           .arg(other.url(QStringLiteral("frame-left.html")))
                           .toUtf8());
        CBrowserEngine engine;
        QVERIFY(load(engine, server.url(QStringLiteral("cross.html"))));
        const PageSnapshot snapshot = snapshotOf(engine);
        QVERIFY(snapshot.document.has_value());
        QCOMPARE(snapshot.document->frames.size(), size_t(1));
        const Harvest harvest = harvestOf(snapshot);
        QCOMPARE(harvest.images, (QStringList{"inner.png", "red.gif"}));
        QCOMPARE(harvest.links, (QStringList{"big.jpg", "inner.tiff"}));
        QVERIFY(!other.requests().isEmpty());
    }

    void withstandsHostilePages() {
        CBrowserEngine engine;
        QVERIFY(load(engine, pageAddress("hostile.html")));
        const PageSnapshot snapshot = snapshotOf(engine);
        QCOMPARE(snapshot.contentType, QStringLiteral("text/html"));
        const Harvest harvest = harvestOf(snapshot);
        QCOMPARE(harvest.images, (QStringList{"blue.png", "one.gif", "red.gif"}));
        QVERIFY(harvest.links.contains("blue.png"));
        QVERIFY(harvest.links.contains("left.jpg"));
    }

    void dropsSnapshotsOfADestroyedEngine() {
        auto* engine = new CBrowserEngine;
        QVERIFY(load(*engine, pageAddress("gallery.html")));
        bool answered = false;
        engine->TakeSnapshot([&answered](const PageSnapshot&) { answered = true; });
        delete engine;
        QTest::qWait(500);
        QVERIFY(!answered);
    }

    void printsThePageShown() {
        CBrowserEngine engine;
        QVERIFY(load(engine, pageAddress("gallery.html")));
        QTemporaryDir folder;
        QPrinter printer;
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(folder.filePath("page.pdf"));
        std::optional<bool> printed;
        engine.Print(printer, [&printed](bool success) { printed = success; });
        QTRY_VERIFY_WITH_TIMEOUT(printed.has_value(), engineTimeout);
        QVERIFY(*printed);
        QVERIFY(QFileInfo(folder.filePath("page.pdf")).size() > 0);
    }
};

QUILLMAR_ENGINE_TEST_MAIN(BrowserEngineTest)
#include "tst_browserengine.moc"
