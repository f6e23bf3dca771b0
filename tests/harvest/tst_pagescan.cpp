#include "harvest/ListSink.h"
#include "harvest/PageScan.h"
#include "support/TestMain.h"

namespace {

// Records each line with the list it went to, in the order they came.
class RecordingSink : public ListSink {
public:
    RecordingSink(QStringList& order, QString list) : order(order), list(std::move(list)) {}
    void AddString(const QString& line, const QString& address) override {
        order << list + ":" + line;
        addresses << address;
    }
    QStringList& order;
    QString list;
    QStringList addresses;
};

DomDocument documentWith(std::vector<QString> imageSources, std::vector<QString> anchors = {},
                         std::vector<DomDocument> frames = {}) {
    DomDocument document;
    for (const QString& src : imageSources)
        document.images.push_back({src});
    for (const QString& href : anchors)
        document.links.push_back({href, QStringLiteral("A")});
    document.frames = std::move(frames);
    return document;
}

} // namespace

class PageScanTest : public QObject {
    Q_OBJECT
private:
    QStringList order;
    QStringList imageAddresses; // the address each image line carries, in the order listed
    HarvestMap imageMap;
    HarvestMap linkMap;

    void scan(DomDocument document, const QString& contentType = "text/html") {
        order.clear();
        imageMap.clear();
        linkMap.clear();
        RecordingSink images(order, "image"), links(order, "link");
        PageScan(images, imageMap, links, linkMap).ScanPage({contentType, document});
        imageAddresses = images.addresses;
    }

private slots:
    void listsAcceptedNamesEachWithItsOwnAddress() {
        DomDocument document = documentWith(
            {"http://h/a/cat.gif", "http://h/counter.cgi?id=7&x.gif", "http://h/pics/", QString(),
             "http://h/b/cat.gif", "http://h/a/cat.gif"},
            {"http://h/big/photo.jpg", "http://h/page.html", "http://h/show.php?img=a.jpg"});
        // Areas and elements without an address are skipped.
        document.links.push_back({"http://h/map.gif", "AREA"});
        document.links.push_back({QString(), "A"});
        scan(document);
        QCOMPARE(order, (QStringList{"link:photo.jpg", "image:cat.gif", "image:cat.gif",
                                     "image:cat.gif"}));
        QCOMPARE(imageAddresses,
                 (QStringList{"http://h/a/cat.gif", "http://h/b/cat.gif", "http://h/a/cat.gif"}));
        QCOMPARE(imageMap, (HarvestMap{{"cat.gif", {"http://h/a/cat.gif", "http://h/b/cat.gif"}}}));
        QCOMPARE(PageScan::AddressCount(imageMap), 2);
        QCOMPARE(linkMap, (HarvestMap{{"photo.jpg", {"http://h/big/photo.jpg"}}}));
    }

    void walksFramesDepthFirstAndLinksBeforeImages() {
        // Every document shows one.gif from its own folder: the map keeps them in traversal order.
        const DomDocument inner = documentWith({"http://h/inner/one.gif", "http://h/inner/2.gif"},
                                               {"http://h/inner/one.jpg"});
        const DomDocument outer =
            documentWith({"http://h/outer/one.gif"}, {"http://h/outer/one.jpg"}, {inner});
        const DomDocument sibling = documentWith({"http://h/sibling/one.gif"});
        scan(documentWith({"http://h/top/3.gif"}, {"http://h/top/4.png"}, {outer, sibling}));
        QCOMPARE(order,
                 (QStringList{"link:one.jpg", "link:one.jpg", "link:4.png", "image:one.gif",
                              "image:2.gif", "image:one.gif", "image:one.gif", "image:3.gif"}));
        QCOMPARE(imageMap, (HarvestMap{{"one.gif",
                                        {"http://h/inner/one.gif", "http://h/outer/one.gif",
                                         "http://h/sibling/one.gif"}},
                                       {"2.gif", {"http://h/inner/2.gif"}},
                                       {"3.gif", {"http://h/top/3.gif"}}}));
        QCOMPARE(linkMap,
                 (HarvestMap{{"one.jpg", {"http://h/inner/one.jpg", "http://h/outer/one.jpg"}},
                             {"4.png", {"http://h/top/4.png"}}}));
    }

    void scansOnlyHtmlDocuments() {
        for (const QString type : {"TEXT/HTML", "application/xhtml+xml"}) {
            scan(documentWith({"http://h/a.gif"}, {"http://h/b.gif"}), type);
            QCOMPARE(order, (QStringList{"link:b.gif", "image:a.gif"}));
        }
        for (const QString type : {"image/jpeg", "text/plain", ""}) {
            scan(documentWith({"http://h/a.gif"}, {"http://h/b.gif"}), type);
            QVERIFY2(order.isEmpty() && imageMap.isEmpty() && linkMap.isEmpty(), qPrintable(type));
        }
    }
};

QUILLMAR_TEST_MAIN(PageScanTest)
#include "tst_pagescan.moc"
