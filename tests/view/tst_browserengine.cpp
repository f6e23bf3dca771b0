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

// Each line as "name=address" with the base address cut off.
class LineList : public ListSink {
public:
    explicit LineList(const QString& base) : base(base) {}
    void AddString(const QString& line, const QString& address) override {
        lines << line + "=" + address.mid(base.size());
    }
    QString sorted() {
        // Equal names keep their traversal order, as in the lists.
        std::stable_sort(lines.begin(), lines.end(), [](const QString& a, const QString& b) {
            return ListOrder::LessThan(a.section('=', 0, 0), b.section('=', 0, 0));
        });
        return lines.join(' ');
    }
    QString base;
    QStringList lines;
};

// What a view would list for a page, as one line: its type, then both lists.
QString harvestOf(const PageSnapshot& snapshot, const QString& base) {
    LineList images(base), links(base);
    HarvestMap imageMap, linkMap;
    PageScan(images, imageMap, links, linkMap).ScanPage(snapshot);
    return snapshot.contentType + "; images: " + images.sorted() + "; links: " + links.sorted();
}

QString pageAddress(const QString& name) {
    return QUrl::fromLocalFile(testsupport::testDataPath(QStringLiteral("pages/") + name))
        .toString();
}

// Whether the load succeeded; nothing when it never ended.
QVariant loaded(CBrowserEngine* engine, const QString& address) {
    QSignalSpy complete(engine, &CBrowserEngine::downloadComplete);
    engine->Navigate(address);
    return complete.wait(engineTimeout) ? complete.first().first() : QVariant();
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

    void reportsLoadsAndFailures() {
        auto* engine = new CBrowserEngine;
        QSignalSpy begin(engine, &CBrowserEngine::downloadBegin);
        QSignalSpy progress(engine, &CBrowserEngine::progressChange);
        QSignalSpy titles(engine, &CBrowserEngine::titleChange);
        // The about page comes from the resources and can be read like any other.
        engine->LoadAboutPage();
        QTRY_COMPARE_WITH_TIMEOUT(engine->Page()->title(), QStringLiteral("Quillmar"),
                                  engineTimeout);
        QCOMPARE(snapshotOf(engine).document.value_or(DomDocument()).links.size(), size_t(1));
        QCOMPARE(loaded(engine, pageAddress("gallery.html")), QVariant(true));
        QCOMPARE(progress.last(), (QVariantList{100, 100}));
        QTRY_VERIFY_WITH_TIMEOUT(!titles.isEmpty() && titles.last().first() == "Gallery",
                                 engineTimeout);
        QCOMPARE(loaded(engine, pageAddress("no-such.html")), QVariant(false));
        QCOMPARE(loaded(engine, server.url("no-such.html")), QVariant(false));
        QCOMPARE(begin.size(), 4);

        // A scan still running when its engine goes answers nobody.
        bool answered = false;
        engine->TakeSnapshot([&answered](const PageSnapshot&) { answered = true; });
        delete engine;
        QTest::qWait(500);
        QVERIFY(!answered);
    }

    // Pages read from files and served alike; the gallery is the tool's to check.
    void harvestsFixturePages_data() {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("page");
        QTest::addColumn<QString>("harvest");
        QTest::newRow("nested frames")
            << "file"
            << "frameset.html"
            << "text/html; images: inner.png=pictures/inner.png one.gif=pictures/one.gif; "
               "links: inner.tiff=pictures/inner.tiff left.jpg=pictures/left.jpg";
        // The page's own picture is visited after its frames' pictures.
        QTest::newRow("inline frames")
            << "http"
            << "iframes.html"
            << "text/html; images: one.gif=pictures/one.gif one.gif=pictures/top/one.gif "
               "srcdoc.gif=pictures/srcdoc.gif; links: left.jpg=pictures/left.jpg";
        // Scripts that break the page's own objects change nothing.
        QTest::newRow("hostile")
            << "file"
            << "hostile.html"
            << "text/html; images: blue.png=pictures/blue.png one.gif=pictures/one.gif "
               "red.gif=pictures/red.gif; links: blue.png=pictures/blue.png "
               "left.jpg=pictures/left.jpg";
        QTest::newRow("picture") << "file"
                                 << "pictures/red.gif"
                                 << "image/gif; images: ; links: ";
        QTest::newRow("text") << "http"
                              << "notes.txt"
                              << "text/plain; images: ; links: ";
        // A frame of another origin is left out; the same-origin frame after it is walked.
        QTest::newRow("cross-origin frame")
            << "http"
            << "cross.html"
            << "text/html; images: inner.png=pictures/inner.png red.gif=pictures/red.gif; "
               "links: big.jpg=pictures/big.jpg inner.tiff=pictures/inner.tiff";
    }
    void harvestsFixturePages() {
        QFETCH(QString, source);
        QFETCH(QString, page);
        QFETCH(QString, harvest);
        const QString base = source == "http" ? server.url() : pageAddress(QString());
        QCOMPARE(loaded(shared, base + page), QVariant(true));
        QCOMPARE(harvestOf(snapshotOf(shared), base), harvest);
    }
};

QUILLMAR_ENGINE_TEST_MAIN(BrowserEngineTest)
#include "tst_browserengine.moc"
