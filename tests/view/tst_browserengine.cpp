#include "harvest/ListOrder.h"
#include "harvest/ListSink.h"
#include "harvest/PageScan.h"
#include "support/LoopbackHttpServer.h"
#include "support/TestMain.h"
#include "view/CBrowserEngine.h"

#include <QSignalSpy>
#include <QUrl>
#include <QWebEnginePage>

#include <algorithm>

using testsupport::LoopbackHttpServer;

namespace {

constexpr int engineTimeout = 30000;

class LineList : public ListSink {
public:
    void AddString(const QString& line, const QString&) override { lines << line; }
    QStringList lines;
};

// What a view would show for a page, as one line: its type, the areas the snapshot saw,
// both lists sorted and the picture map, with the base address cut off.
QString harvestOf(const PageSnapshot& snapshot, const QString& base) {
    LineList images;
    LineList links;
    HarvestMap imageMap;
    HarvestMap linkMap;
    PageScan(images, imageMap, links, linkMap).ScanPage(snapshot);
    QStringList areas;
    for (const DomLink& link : snapshot.document.value_or(DomDocument()).links)
        if (link.tagName == "AREA")
            areas << link.href.mid(base.size());
    QStringList map;
    for (auto entry = imageMap.cbegin(); entry != imageMap.cend(); ++entry) {
        QStringList addresses;
        for (const QString& address : entry.value())
            addresses << address.mid(base.size());
        map << entry.key() + "=" + addresses.join(',');
    }
    std::sort(images.lines.begin(), images.lines.end(), ListOrder());
    std::sort(links.lines.begin(), links.lines.end(), ListOrder());
    map.sort();
    return QStringLiteral("%1; areas: %2; images: %3; links: %4; map: %5")
        .arg(snapshot.contentType, areas.join(' '), images.lines.join(' '), links.lines.join(' '),
             map.join(' '));
}

QString pageAddress(const QString& name) {
    return QUrl::fromLocalFile(testsupport::testDataPath(QStringLiteral("pages/") + name))
        .toString();
}

bool load(CBrowserEngine* engine, const QString& address) {
    QSignalSpy complete(engine, &CBrowserEngine::downloadComplete);
    engine->Navigate(address);
    return complete.wait(engineTimeout) && complete.first().first().toBool();
}

// A snapshot that never comes reads as an unreadable page.
PageSnapshot snapshotOf(CBrowserEngine* engine) {
    PageSnapshot snapshot;
    bool taken = false;
    engine->TakeSnapshot([&snapshot, &taken](const PageSnapshot& page) {
        snapshot = page;
        taken = true;
    });
    (void)QTest::qWaitFor([&taken] { return taken; }, engineTimeout);
    return snapshot;
}

} // namespace

class BrowserEngineTest : public QObject {
    Q_OBJECT
private:
    LoopbackHttpServer server;
    LoopbackHttpServer other;         // the same pages from another origin
    CBrowserEngine* shared = nullptr; // every fixture page loads into this one

private slots:
    void initTestCase() {
        QVERIFY(server.start() && other.start());
        server.serveDirectory(testsupport::testDataPath(QStringLiteral("pages")));
        other.serveDirectory(testsupport::testDataPath(QStringLiteral("pages")));
        // A frame of another origin first: the same-origin frame after it is still walked.
        server.setFile("/cross.html",
                       QStringLiteral("<!DOCTYPE html><html><body>"
                                      "<iframe src='%1'></iframe>"
                                      "<iframe src='frame-inner.html'></iframe>"
                                      "<img src='pictures/red.gif'>"
                                      "<a href='pictures/big.jpg'>big</a></body></html>")
                           .arg(other.url(QStringLiteral("frame-left.html")))
                           .toUtf8());
        shared = new CBrowserEngine;
    }

    void cleanupTestCase() { delete shared; }

    void reportsLoadsInOrderAndFailuresAsFailed() {
        auto* engine = new CBrowserEngine;
        QStringList events;
        connect(engine, &CBrowserEngine::downloadBegin, this, [&] { events << "begin"; });
        connect(engine, &CBrowserEngine::downloadComplete, this,
                [&](bool ok) { events << (ok ? "complete" : "failed"); });
        QSignalSpy progress(engine, &CBrowserEngine::progressChange);
        QSignalSpy titles(engine, &CBrowserEngine::titleChange);
        const auto expect = [&](const QString& outcome) {
            QTRY_VERIFY_WITH_TIMEOUT(events.size() > 1, engineTimeout);
            QCOMPARE(events, (QStringList{"begin", outcome}));
            events.clear();
        };

        // The about page comes from the resources and can be read like any other.
        engine->LoadAboutPage();
        expect("complete");
        QCOMPARE(engine->Page()->title(), QStringLiteral("Quillmar"));
        QCOMPARE(engine->Location(), QStringLiteral("qrc:/about.html"));
        const std::optional<DomDocument> about = snapshotOf(engine).document;
        QVERIFY(about && about->links.size() == 1);
        QCOMPARE(about->links[0].href, QStringLiteral("mailto:quillmar@example.org"));

        // Blanks around a typed address are the address bar's business, not the user's.
        engine->Navigate("  " + testsupport::testDataPath("pages/gallery.html") + " ");
        expect("complete");
        QCOMPARE(progress.last(), (QVariantList{100, 100}));
        QTRY_VERIFY_WITH_TIMEOUT(!titles.isEmpty() && titles.last().first() == "Gallery",
                                 engineTimeout);
        QCOMPARE(engine->Location(), pageAddress("gallery.html"));
        for (const QString& missing : {pageAddress("no-such.html"), server.url("no-such.html")}) {
            engine->Navigate(missing);
            expect("failed");
        }

        // A scan still running when its engine goes answers nobody.
        bool answered = false;
        engine->TakeSnapshot([&answered](const PageSnapshot&) { answered = true; });
        delete engine;
        QTest::qWait(500);
        QVERIFY(!answered);
    }

    void harvestsFixturePages_data() {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("page");
        QTest::addColumn<QString>("harvest");
        const QString nothing = QStringLiteral("; areas: ; images: ; links: ; map: ");
        for (const char* source : {"file", "http"}) {
            // The same name in two folders: two lines, both addresses in traversal order.
            // Links are listed under the file name; the area and the script are left out.
            QTest::addRow("gallery, %s", source)
                << source << "gallery.html"
                << "text/html; areas: pictures/area-only.jpg; images: blue.png red.gif red.gif; "
                   "links: blue.png my%20photo.jpg; "
                   "map: blue.png=pictures/blue.png "
                   "red.gif=pictures/red.gif,pictures/other/red.gif";
            QTest::addRow("nested frames, %s", source)
                << source << "frameset.html"
                << "text/html; areas: ; images: inner.png one.gif; links: inner.tiff left.jpg; "
                   "map: inner.png=pictures/inner.png one.gif=pictures/one.gif";
            // The page's own picture is visited after its frames' pictures.
            QTest::addRow("inline frames, %s", source)
                << source << "iframes.html"
                << "text/html; areas: ; images: one.gif one.gif srcdoc.gif; links: left.jpg; "
                   "map: one.gif=pictures/one.gif,pictures/top/one.gif "
                   "srcdoc.gif=pictures/srcdoc.gif";
            // Scripts that break the page's own objects change nothing.
            QTest::addRow("hostile, %s", source)
                << source << "hostile.html"
                << "text/html; areas: ; images: blue.png one.gif red.gif; links: blue.png "
                   "left.jpg; map: blue.png=pictures/blue.png one.gif=pictures/one.gif "
                   "red.gif=pictures/red.gif";
            QTest::addRow("picture, %s", source) << source << "pictures/red.gif"
                                                 << "image/gif" + nothing;
            QTest::addRow("text, %s", source) << source << "notes.txt"
                                              << "text/plain" + nothing;
        }
        // Frames of another origin are left out.
        QTest::addRow("cross-origin frame")
            << "http"
            << "cross.html"
            << "text/html; areas: ; images: inner.png red.gif; links: big.jpg inner.tiff; "
               "map: inner.png=pictures/inner.png red.gif=pictures/red.gif";
    }
    void harvestsFixturePages() {
        QFETCH(QString, source);
        QFETCH(QString, page);
        QFETCH(QString, harvest);
        const QString base = source == "http" ? server.url() : pageAddress(QString());
        QVERIFY(load(shared, base + page));
        QCOMPARE(harvestOf(snapshotOf(shared), base), harvest);
    }
};

QUILLMAR_ENGINE_TEST_MAIN(BrowserEngineTest)
#include "tst_browserengine.moc"
