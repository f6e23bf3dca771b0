#include "harvest/ListSink.h"
#include "harvest/PageScan.h"
#include "support/TestMain.h"

namespace {

class RecordingSink : public ListSink {
public:
    void AddString(const QString& line) override { lines << line; }
    QStringList lines;
};

DomDocument documentWith(std::vector<QString> imageSources, std::vector<DomLink> links = {},
                         std::vector<DomDocument> frames = {}) {
    DomDocument document;
    for (const QString& src : imageSources)
        document.images.push_back({src});
    document.links = std::move(links);
    document.frames = std::move(frames);
    return document;
}

DomLink anchor(const QString& href) {
    return {href, QStringLiteral("A")};
}

PageSnapshot htmlPage(DomDocument document, const QString& contentType = "text/html") {
    return {contentType, std::move(document)};
}

} // namespace

class PageScanTest : public QObject {
    Q_OBJECT
private:
    RecordingSink imageList;
    RecordingSink linkList;
    HarvestMap imageMap;
    HarvestMap linkMap;

    void scan(const PageSnapshot& page) {
        PageScan(imageList, imageMap, linkList, linkMap).ScanPage(page);
    }

private slots:
    void init() {
        imageList.lines.clear();
        linkList.lines.clear();
        imageMap.clear();
        linkMap.clear();
    }

    void listsAcceptedNamesAndMapsThemToTheirAddresses() {
        scan(htmlPage(documentWith(
            {"http://h/pics/red.gif", "http://h/counter.cgi?id=7&x.gif", "http://h/pics/"},
            {anchor("http://h/big/photo.jpg"), anchor("http://h/page.html"),
             anchor("http://h/show.php?img=a.jpg")})));
        QCOMPARE(imageList.lines, QStringList{"red.gif"});
        QCOMPARE(imageMap, (HarvestMap{{"red.gif", "http://h/pics/red.gif"}}));
        QCOMPARE(linkList.lines, QStringList{"photo.jpg"});
        QCOMPARE(linkMap, (HarvestMap{{"photo.jpg", "http://h/big/photo.jpg"}}));
    }

    void duplicateNamesGiveTwoLinesAndTheLastVisitedAddress() {
        scan(htmlPage(documentWith({"http://h/a/cat.gif", "http://h/b/cat.gif"},
                                   {anchor("http://h/a/cat.gif"), anchor("http://h/c/cat.gif")})));
        QCOMPARE(imageList.lines, (QStringList{"cat.gif", "cat.gif"}));
        QCOMPARE(imageMap, (HarvestMap{{"cat.gif", "http://h/b/cat.gif"}}));
        QCOMPARE(linkList.lines, (QStringList{"cat.gif", "cat.gif"}));
        QCOMPARE(linkMap, (HarvestMap{{"cat.gif", "http://h/c/cat.gif"}}));
    }

    void walksFramesDepthFirstBeforeTheirDocument() {
        // Every document shows one.gif from its own folder: the map keeps the one visited last.
        const DomDocument inner = documentWith({"http://h/inner/one.gif", "http://h/inner/2.gif"},
                                               {anchor("http://h/inner/one.jpg")});
        const DomDocument outer =
            documentWith({"http://h/outer/one.gif"}, {anchor("http://h/outer/one.jpg")}, {inner});
        const DomDocument sibling = documentWith({"http://h/sibling/one.gif"}, {}, {});
        const DomDocument top =
            documentWith({"http://h/top/3.gif"}, {anchor("http://h/top/4.png")}, {outer, sibling});
        scan(htmlPage(top));
        QCOMPARE(imageList.lines, (QStringList{"one.gif", "2.gif", "one.gif", "one.gif", "3.gif"}));
        QCOMPARE(imageMap.value("one.gif"), QStringLiteral("http://h/sibling/one.gif"));
        QCOMPARE(linkList.lines, (QStringList{"one.jpg", "one.jpg", "4.png"}));
        QCOMPARE(linkMap.value("one.jpg"), QStringLiteral("http://h/outer/one.jpg"));
        QCOMPARE(imageMap.size(), 3);
        QCOMPARE(linkMap.size(), 2);
    }

    void linkWalkEndsBeforeImageWalkBegins() {
        // A sink that records which list each line went to, in the order they came.
        QStringList order;
        struct OrderSink : ListSink {
            OrderSink(QStringList& order, QString list) : order(order), list(std::move(list)) {}
            void AddString(const QString& line) override { order << list + ":" + line; }
            QStringList& order;
            QString list;
        } images(order, "image"), links(order, "link");
        const DomDocument frame = documentWith({"http://h/f.gif"}, {anchor("http://h/f.jpg")});
        PageScan(images, imageMap, links, linkMap)
            .ScanPage(
                htmlPage(documentWith({"http://h/t.gif"}, {anchor("http://h/t.jpg")}, {frame})));
        QCOMPARE(order, (QStringList{"link:f.jpg", "link:t.jpg", "image:f.gif", "image:t.gif"}));
    }

    void skipsAreasAndElementsWithoutAddress() {
        DomDocument document = documentWith(
            {QString(), "http://h/a.gif"},
            {{"http://h/map.gif", "AREA"}, {QString(), "A"}, anchor("http://h/b.png")});
        scan(htmlPage(document));
        QCOMPARE(imageList.lines, QStringList{"a.gif"});
        QCOMPARE(linkList.lines, QStringList{"b.png"});
        QCOMPARE(linkMap.size(), 1);
    }

    void scansOnlyHtmlDocuments_data() {
        QTest::addColumn<QString>("contentType");
        QTest::addColumn<bool>("scanned");
        QTest::newRow("html") << "text/html" << true;
        QTest::newRow("upper case") << "TEXT/HTML" << true;
        QTest::newRow("xhtml") << "application/xhtml+xml" << true;
        QTest::newRow("picture opened directly") << "image/jpeg" << false;
        QTest::newRow("plain text") << "text/plain" << false;
        QTest::newRow("unknown") << "" << false;
    }
    void scansOnlyHtmlDocuments() {
        QFETCH(QString, contentType);
        QFETCH(bool, scanned);
        scan(htmlPage(documentWith({"http://h/a.gif"}, {anchor("http://h/b.gif")}), contentType));
        QCOMPARE(imageList.lines.size(), scanned ? 1 : 0);
        QCOMPARE(linkMap.size(), scanned ? 1 : 0);
    }
};

QUILLMAR_TEST_MAIN(PageScanTest)
#include "tst_pagescan.moc"
