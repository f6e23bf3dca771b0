#include "bookmarks/LinkHistory.h"
#include "frame/CHarvestList.h"
#include "harvest/DeepNameRule.h"
#include "harvest/IsImageFileName.h"
#include "harvest/ListOrder.h"
#include "harvest/ListSink.h"
#include "harvest/NameProp.h"
#include "harvest/PageScan.h"
#include "names/TypeExtension.h"
#include "support/TestMain.h"

#include <QItemSelection>
#include <QRandomGenerator>

namespace {

// Records each line with the list it went to and its address, in the order they came.
class RecordingSink : public ListSink {
public:
    RecordingSink(QStringList& order, QString list) : order(order), list(std::move(list)) {}
    void AddString(const QString& line, const QString& address) override {
        order << list + ":" + line + " " + address;
    }
    QStringList& order;
    QString list;
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

// The scan's rules without an engine: names, extension tables, list order, the page walk,
// the address history.
class HarvestRulesTest : public QObject {
    Q_OBJECT
private slots:
    void namePropTakesTheLastPathSegmentWithItsQuery() {
        const QList<std::pair<const char*, const char*>> cases = {
            {"http://example.org/a/b/photo.jpg", "photo.jpg"},
            {"http://example.org/cgi/show.php?id=3&size=2", "show.php?id=3&size=2"},
            {"http://example.org/p.gif?x=1#frag", "p.gif?x=1"},
            {"http://example.org/go.cgi?to=/pics/a.gif", "go.cgi?to=/pics/a.gif"},
            {"http://example.org/a.gif?", "a.gif"},
            {"http://example.org/pics/", ""},
            {"http://example.org", ""},
            {"http://example.org/my%20photo%2Fcut.jpg?q=%7e", "my%20photo%2Fcut.jpg?q=%7e"},
            {"file:///tmp/b\xc3\xa4r.png", "b\xc3\xa4r.png"},
            {"http://example.org/a:b/c:d.gif", "c:d.gif"},
            {"data:image/gif;base64,R0lGOD/lhAQAB", "lhAQAB"},
            {"data:text/plain,hello", "plain,hello"},
            {"javascript:show('/pics/a.gif')", "a.gif')"},
            {"mailto:someone@example.org?subject=hi", "someone@example.org?subject=hi"}};
        for (const auto& [address, name] : cases)
            QCOMPARE(NameProp(QString::fromUtf8(address)), QString::fromUtf8(name));
    }

    void imageNamesAreJudgedByTheTailFromTheFirstDot() {
        QStringList accepted = {"Photo.Jpg", "x.png", QString::fromUtf8("f\xc3\xbcr.gif")};
        QStringList rejected = QStringLiteral("photo.jpe page.html my.photo.jpg photo.jpg.html "
                                              "photo.gif?size=2 .gif gif. gif a.b")
                                   .split(' ');
        // Only ASCII letters fold: the long s and the Kelvin sign stay what they are.
        rejected << QString() << QString::fromUtf8("a.\xc5\xbfvg")
                 << QString::fromUtf8("a.\xe2\x84\xaaiv");
        const QStringList table = QStringLiteral("iv im qt ps ai png jpg gif mpg avi xpm xbm tga "
                                                 "ttf rtf rad ray pcx psd ppm pov pix pic "
                                                 "mng emf dxf cgm tif sgi bmp svg qtvr pict jfif "
                                                 "fits bufr 3dmf vrml tiff riff mpeg jpeg")
                                      .split(' ');
        for (const QString& entry : table) {
            accepted << "NAME." + entry.toUpper();
            rejected << "name." + entry + "x";
        }
        for (const QString& name : accepted + rejected)
            QVERIFY2(IsImageFileName(name) == accepted.contains(name), qPrintable(name));
    }

    void deepScanNamesAndJudgesAddresses() {
        const QList<std::tuple<QString, QString, bool>> cases = {
            {"http://h/p/photo.jpg?w=800#a", "photo.jpg", true},
            {"http://h/holiday.2024.JPG", "holiday.2024.JPG", true},
            {"https://h/a.webp", "a.webp", true},
            {"https://h/clip.MKV", "clip.MKV", true},
            {"https://h/old.jpe", "old.jpe", true},
            {"http://h/a.jpg.html", "a.jpg.html", false},
            {"http://h/render?id=5.jpg", "render", false},
            // Shown and saved safely: no hidden names, no invisible characters.
            {"http://h/.png", "png", false},
            {"http://h/img/.bashrc", "bashrc", false},
            {"http://h/..%2E.jpg", "jpg", false},
            {"http://h/x%E2%80%AEgnp.sh", "x_gnp.sh", false},
            {"http://h/a%E2%81%A6b%E2%80%8B.jpg%E2%80%8F", "a_b_.jpg_", false},
            {"http://h/p%F3%A0%80%81.jpg", "p_.jpg", true},
            {"http://h/png.", "png.", false},
            {"http://h/pics/", "", false},
            {"http://h/f%C3%BCr%20dich.avif", QString::fromUtf8("f\xc3\xbcr dich.avif"), true},
            // Decoded names that are no plain file names keep their encoded form.
            {"http://h/a%2Fb.jpg", "a%2Fb.jpg", true},
            {"http://h/a%00.jpg", "a%00.jpg", true},
            {"http://h/a%0A.jpg", "a%0A.jpg", true},
            {"http://h/%2E%2E", "%2E%2E", false},
            {"http://h/%FF.png", "%FF.png", true},
            {QString::fromUtf8("http://h/a.m\xe2\x84\xaav"), QString::fromUtf8("a.m\xe2\x84\xaav"),
             false}};
        for (const auto& [address, name, accepted] : cases) {
            QCOMPARE(DeepNameRule::DisplayName(address), name);
            QVERIFY2(DeepNameRule::HasAcceptedExtension(name) == accepted, qPrintable(name));
        }
    }

    void namesWithoutExtensionGetOneFromTheContentType() {
        const QList<std::array<QString, 3>> cases = {
            {"render", "image/png", "render.png"},
            {"photo", "IMAGE/JPEG; charset=binary", "photo.jpg"},
            {"p", "image/webp", "p.webp"},
            {"clip", "video/mp4", "clip.mp4"},
            {"icon", "image/x-icon", "icon.ico"},
            {"a.gif", "image/png", "a.gif"}, // a picture extension of its own stays
            {"run.sh", "image/png", "run.sh.png"},
            {"index.html", "image/gif", "index.html.gif"},
            {"a.gif", "text/plain", "a.gif"},
            {"data", "text/html", ""}, // not a picture: not saved
            {"data", "application/octet-stream", ""},
            {"data.sh", "", ""},
        };
        for (const auto& [name, type, expected] : cases)
            QCOMPARE(TypeExtension::NameWithExtension(name, type), expected);
    }

    // Links before images, frames depth first; each line keeps its own address and the maps
    // keep a name's distinct addresses in traversal order. Only HTML documents are scanned.
    void scanWalksFramesDepthFirstEachLineWithItsOwnAddress() {
        const DomDocument inner = documentWith({"http://h/inner/one.gif", "http://h/inner/2.gif"},
                                               {"http://h/inner/one.jpg"});
        const DomDocument outer =
            documentWith({"http://h/outer/one.gif"}, {"http://h/outer/one.jpg"}, {inner});
        // Refused names, areas and elements without an address are skipped.
        DomDocument top = documentWith({"http://h/top/3.gif", "http://h/counter.cgi?id=7&x.gif",
                                        "http://h/pics/", QString(), "http://h/outer/one.gif"},
                                       {"http://h/top/4.png", "http://h/page.html", QString()},
                                       {outer, documentWith({"http://h/sibling/one.gif"})});
        top.links.push_back({"http://h/map.gif", "AREA"});
        const QStringList listed = {
            "link:one.jpg http://h/inner/one.jpg",    "link:one.jpg http://h/outer/one.jpg",
            "link:4.png http://h/top/4.png",          "image:one.gif http://h/inner/one.gif",
            "image:2.gif http://h/inner/2.gif",       "image:one.gif http://h/outer/one.gif",
            "image:one.gif http://h/sibling/one.gif", "image:3.gif http://h/top/3.gif",
            "image:one.gif http://h/outer/one.gif"};
        const HarvestMap imageAddresses = {
            {"one.gif",
             {"http://h/inner/one.gif", "http://h/outer/one.gif", "http://h/sibling/one.gif"}},
            {"2.gif", {"http://h/inner/2.gif"}},
            {"3.gif", {"http://h/top/3.gif"}}};
        const HarvestMap linkAddresses = {
            {"one.jpg", {"http://h/inner/one.jpg", "http://h/outer/one.jpg"}},
            {"4.png", {"http://h/top/4.png"}}};
        // Only HTML documents, whatever the case of their type, are scanned.
        for (const auto& [type, html] : {std::pair{"application/xhtml+xml", true},
                                         {"TEXT/HTML", true},
                                         {"image/jpeg", false},
                                         {"", false}}) {
            QStringList order;
            HarvestMap imageMap, linkMap;
            RecordingSink images(order, "image"), links(order, "link");
            PageScan(images, imageMap, links, linkMap).ScanPage({type, top});
            QCOMPARE(order, html ? listed : QStringList());
            QCOMPARE(imageMap, html ? imageAddresses : HarvestMap());
            QCOMPARE(PageScan::AddressCount(imageMap), html ? 5 : 0);
            QCOMPARE(linkMap, html ? linkAddresses : HarvestMap());
        }
    }

    void listSortsBulkAddsLikeOneByOne() {
        const QString umlaut = QString::fromUtf8("\xc3\xa4.gif"); // after ASCII: byte-wise
        const QStringList stems{"a", "A", "b", "B", "img", "IMG", "Img", "_x", "0"};
        QStringList random;
        for (int i = 0; i < 2000; ++i)
            random << stems.at(QRandomGenerator::global()->bounded(stems.size())) +
                          QString::number(QRandomGenerator::global()->bounded(50)) + ".jpg";
        // Names added, then how they must be listed; none: as when added one by one.
        const QList<std::pair<QStringList, QStringList>> cases = {
            {{"b.jpg", "A.gif", umlaut, "x.png", "a.gif", "B.jpg", "X.png", "x.png"},
             {"A.gif", "a.gif", "B.jpg", "b.jpg", "X.png", "x.png", "x.png", umlaut}},
            {{"ab.gif", "a.gif", "A_b.gif", "a b.gif", "10.jpg", "9.jpg", "_x.png"},
             {"10.jpg", "9.jpg", "_x.png", "a b.gif", "a.gif", "A_b.gif", "ab.gif"}},
            {random, {}}};
        for (const auto& [added, expected] : cases) {
            // Each line's address tells where it was added; equal names keep that order.
            HarvestLines lines;
            for (const QString& name : added)
                lines.append({name, QString::number(lines.size())});
            CHarvestList oneByOne;
            for (const HarvestLine& line : lines)
                oneByOne.AddString(line.name, line.address);
            // Added in two halves, so the second lands in a filled list.
            CHarvestList bulk;
            bulk.AddStrings(lines.mid(0, lines.size() / 2));
            bulk.AddStrings(lines.mid(lines.size() / 2));
            bulk.selectAll();
            oneByOne.selectAll();
            QCOMPARE(bulk.SelectedLines(), oneByOne.SelectedLines());
            if (!expected.isEmpty())
                QCOMPARE(bulk.Lines(), expected);
        }
        // Strict, or sorting would misbehave on equal lines.
        QVERIFY(!ListOrder::LessThan("a.gif", "a.gif") && !ListOrder::LessThan("a.gif", "A.gif"));
    }

    // A big selection is counted (also for screen readers) and read in line order, each
    // line with its address; Ctrl+A selects all; a double-click edits nothing.
    void listSelectsManyRowsAtOnceAndEditsNone() {
        CHarvestList list;
        HarvestLines lines;
        for (int i = 0; i < 100000; ++i)
            lines.append({QStringLiteral("p%1.jpg").arg(i, 6, 10, QLatin1Char('0')),
                          QStringLiteral("http://h/%1/p.jpg").arg(i)});
        list.AddStrings(lines);
        list.selectionModel()->select(
            QItemSelection(list.model()->index(10, 0), list.model()->index(59999, 0)),
            QItemSelectionModel::Select);
        list.item(5)->setSelected(true);
        QCOMPARE(list.GetSelCount(), 59991);
        QCOMPARE(list.SelectedLines(), lines.mid(5, 1) + lines.mid(10, 59990));
        QTRY_COMPARE(list.accessibleDescription(), QStringLiteral("59991 of 100000 selected"));
        list.show();
        QVERIFY(QTest::qWaitForWindowExposed(&list));
        QTest::keyClick(&list, Qt::Key_A, Qt::ControlModifier);
        QTRY_COMPARE(list.accessibleDescription(), QStringLiteral("100000 of 100000 selected"));
        // A click first: a double-click only edits the item already current.
        const QPoint centre = list.visualItemRect(list.item(1)).center();
        QTest::mouseClick(list.viewport(), Qt::LeftButton, Qt::NoModifier, centre);
        QTest::mouseDClick(list.viewport(), Qt::LeftButton, Qt::NoModifier, centre);
        QVERIFY(list.viewport()->findChildren<QWidget*>().isEmpty()); // no editor opened
        list.ResetContent();
        QTRY_COMPARE(list.accessibleDescription(), QStringLiteral("0 of 0 selected"));
    }

    // Oldest first, each address once: a revisit costs no entry, a new address the oldest.
    // Only ASCII blanks are trimmed; blank addresses are left out.
    void historyKeepsTheNewest51Addresses() {
        QStringList history, added;
        for (int i = 0; i < 51; ++i)
            added << QStringLiteral("http://host/page%1.html").arg(i);
        for (const QString& address : added + QStringList{added.first(), added.last()})
            LinkHistory::Add(history, address);
        QCOMPARE(history, added);
        for (const QString address : {"http://host/PAGE0.html", " \t\r\nhttp://host/x.html\v\f ",
                                      "http://host/y.html\u00a0", "", " \t\n"})
            LinkHistory::Add(history, address);
        QCOMPARE(history, added.mid(3) << "http://host/PAGE0.html"
                                       << "http://host/x.html"
                                       << "http://host/y.html\u00a0");
    }
};

QUILLMAR_TEST_MAIN(HarvestRulesTest)
#include "tst_harvestrules.moc"
