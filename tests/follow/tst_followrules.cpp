#include "downloads/JobBuilder.h"
#include "follow/FollowProgress.h"
#include "follow/FollowSummary.h"
#include "follow/FollowTargets.h"
#include "follow/FollowedList.h"
#include "follow/PictureChoice.h"
#include "follow/SiteRule.h"
#include "support/TestMain.h"

#include <QUrl>

namespace {

// "address natural-WxH drawn-WxH srcset-width link-target [shown]", fields by position; "-"
// for none. A picture of known size shows; "shown" says so of one of unknown size.
DomImage imageFrom(const QString& text) {
    const QStringList fields = text.split(' ');
    DomImage image(fields.at(0));
    const QStringList natural = fields.at(1).split('x');
    image.width = natural.at(0).toInt();
    image.height = natural.at(1).toInt();
    const QStringList drawn = fields.at(2).split('x');
    image.shownWidth = drawn.at(0).toInt();
    image.shownHeight = drawn.at(1).toInt();
    image.shown = image.width > 0 || fields.value(5) == "shown";
    image.candidateWidth = fields.at(3).toInt();
    if (fields.at(4) != "-")
        image.linkTargets << fields.at(4);
    return image;
}

PageSnapshot snapshotOf(const QStringList& images) {
    DomDocument document;
    for (const QString& image : images)
        document.images.push_back(imageFrom(image));
    PageSnapshot snapshot;
    snapshot.contentType = "text/html";
    snapshot.document = document;
    return snapshot;
}

QStringList addressesOf(const std::vector<DeepEntry>& entries) {
    QStringList addresses;
    for (const DeepEntry& entry : entries)
        addresses << entry.address;
    return addresses;
}

} // namespace

class FollowRulesTest : public QObject {
    Q_OBJECT
private slots:
    void sameSite_data() {
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("second");
        QTest::addColumn<bool>("same");
        QTest::newRow("subdomain") << "https://www.example.com/a"
                                   << "http://img.example.com/" << true;
        QTest::newRow("other domain") << "https://example.com/"
                                      << "https://example.org/" << false;
        QTest::newRow("country second level") << "https://shop.example.co.uk/"
                                              << "https://cdn.example.co.uk/" << true;
        QTest::newRow("neighbours under co.uk") << "https://example.co.uk/"
                                                << "https://other.co.uk/" << false;
        QTest::newRow("case and dot") << "https://WWW.Example.COM./"
                                      << "https://example.com/" << true;
        QTest::newRow("ip, other port") << "http://127.0.0.1:80/"
                                        << "http://127.0.0.1:81/" << true;
        QTest::newRow("ips") << "http://127.0.0.1/"
                             << "http://10.0.0.1/" << false;
        QTest::newRow("ipv4 sharing labels") << "http://1.2.3.4/"
                                             << "http://9.9.3.4/" << false;
        QTest::newRow("localhost") << "http://localhost/"
                                   << "http://127.0.0.1/" << false;
        QTest::newRow("files") << "file:///a.html"
                               << "file:///b/c.html" << true;
        QTest::newRow("file and web") << "file:///a.html"
                                      << "http://localhost/" << false;
    }
    void sameSite() {
        QFETCH(QString, first);
        QFETCH(QString, second);
        QFETCH(bool, same);
        QCOMPARE(SiteRule::SameSite(QUrl(first), QUrl(second)), same);
        QCOMPARE(SiteRule::SameSite(QUrl(second), QUrl(first)), same);
    }

    void followsOnlyPagesItMay() {
        const QUrl page("https://www.example.com/gallery.html");
        FollowOptions options;
        const PageSnapshot gallery = snapshotOf({
            "https://www.example.com/t1.jpg 0x0 0x0 0 https://www.example.com/view?id=1",
            "https://www.example.com/t2.jpg 0x0 0x0 0 https://www.example.com/view?id=1#zoom",
            "https://www.example.com/t3.jpg 0x0 0x0 0 https://www.example.com/full/3.jpg",
            "https://www.example.com/t4.jpg 0x0 0x0 0 https://hosted.example.net/view/4",
            "https://www.example.com/t5.jpg 0x0 0x0 0 javascript:open()",
            "https://www.example.com/t6.jpg 0x0 0x0 0 file:///etc/passwd",
            "https://www.example.com/t7.jpg 0x0 0x0 0 https://www.example.com/gallery.html#top",
            "https://www.example.com/t8.jpg 0x0 0x0 0 -",
        });
        std::vector<FollowTarget> targets = FollowTargets::Select(gallery, page, options);
        QCOMPARE(targets.size(), std::size_t(1));
        QCOMPARE(targets[0].viewer, QUrl("https://www.example.com/view?id=1"));
        QCOMPARE(targets[0].thumbnails,
                 (QStringList{"https://www.example.com/t1.jpg", "https://www.example.com/t2.jpg"}));
        options.otherSites = true;
        options.match = "VIEW/";
        targets = FollowTargets::Select(gallery, page, options);
        QCOMPARE(targets.size(), std::size_t(1));
        QCOMPARE(targets[0].viewer, QUrl("https://hosted.example.net/view/4"));
    }

    // Where a followed page ended up, after its redirects.
    void judgesPagesWhereTheyEndUp_data() {
        QTest::addColumn<QString>("location");
        QTest::addColumn<bool>("otherSites");
        QTest::addColumn<bool>("allowed");
        QTest::newRow("same site") << "https://img.example.com/view" << false << true;
        QTest::newRow("other site") << "https://example.org/view" << false << false;
        QTest::newRow("other site, allowed") << "https://example.org/view" << true << true;
        QTest::newRow("no web page") << "about:blank" << true << false;
        QTest::newRow("a local file") << "file:///etc/passwd" << true << false;
    }
    void judgesPagesWhereTheyEndUp() {
        QFETCH(QString, location);
        QFETCH(bool, otherSites);
        QFETCH(bool, allowed);
        FollowOptions options;
        options.otherSites = otherSites;
        options.match = "nowhere"; // it picks links, not where they lead
        QCOMPARE(FollowTargets::MayEndAt(QUrl(location), QUrl("https://www.example.com/gallery"),
                                         options),
                 allowed);
    }

    // The window downloads each line with the Referer of the page it was found on: the
    // first page, a next page that sends none, a viewer page found there.
    void linesGoOutWithTheirOwnPagesReferer() {
        const auto entry = [](const QString& name) {
            return DeepEntry{name, "http://h/" + name, "img", 0, 0, false};
        };
        const QString first = "http://h/gallery.html";
        FollowedList lines;
        lines.AddPage({first, {}, {entry("a.jpg")}, {entry("a.zip")}}, {}, {});
        lines.AddPage({"http://h/gallery-2.html",
                       {"no-referrer", {}},
                       {entry("b.jpg"), entry("t.jpg")},
                       {entry("b.zip")}},
                      {{QUrl("http://h/view"), {"http://h/t.jpg"}}},
                      {{{entry("c.jpg")}, "http://h/view", {}, QString()}});
        const Harvest harvest = lines.ToHarvest();
        JobBuilder builder({QUrl(first), RefererPolicy(), {}}, "/folder", 1);
        QVERIFY(builder.AddLines(harvest.imageLines, harvest.imageMap, harvest.sources));
        QVERIFY(builder.AddLines(harvest.linkLines, harvest.linkMap, harvest.sources));
        QStringList sent;
        for (const DownloadEntry& entry : builder.Job().Entries)
            sent << entry.Source.mid(9) + '|' + builder.Job().RefererFor(entry, QUrl(entry.Source));
        QCOMPARE(sent, (QStringList{"a.jpg|" + first, "b.jpg|", "c.jpg|http://h/view",
                                    "a.zip|" + first, "b.zip|"}));
    }

    void takesTheMainPicture_data() {
        QTest::addColumn<QStringList>("images");
        QTest::addColumn<bool>("every");
        QTest::addColumn<QSize>("minimum");
        QTest::addColumn<QStringList>("taken");
        const QString logo = "http://h/logo.png 40x30 40x30 0 -";
        const QStringList related = {"http://h/rel0.png 90x60 90x60 0 http://h/view/2",
                                     "http://h/rel1.png 90x60 90x60 0 http://h/view/3"};
        // Its 480w candidate is a 48x36 file, drawn at 40x30 at sizes="400px"; Deep Scan
        // lists its 2000w candidate, whose height it estimates from the loaded file.
        QTest::newRow("small loaded candidate, larger best one")
            << QStringList{logo, "http://h/avatar.png 40x40 40x40 0 -",
                           "http://h/p1-2000.png 2000x1500 40x30 2000 -"} +
                   related
            << false << QSize() << QStringList{"http://h/p1-2000.png"};
        QTest::newRow("best candidate of unknown height, at the drawn shape")
            << QStringList{"http://h/p1-2000.png 0x0 40x30 2000 - shown"} + related << false
            << QSize() << QStringList{"http://h/p1-2000.png"};
        QTest::newRow("picture of sources")
            << QStringList{"http://h/hall-1600.jpg 1600x1067 30x20 1600 -"} + related << false
            << QSize() << QStringList{"http://h/hall-1600.jpg"};
        QTest::newRow("at four times the density")
            << QStringList{"http://h/p-4x.png 192x144 48x36 0 -"} + related << false << QSize()
            << QStringList{"http://h/p-4x.png"};
        QTest::newRow("lazy, unknown size: as large as drawn")
            << QStringList{"http://h/full/lazy.jpg 0x0 900x600 0 - shown"} + related << false
            << QSize() << QStringList{"http://h/full/lazy.jpg"};
        QTest::newRow("largest file, not drawn largest")
            << QStringList{logo, "http://h/main.png 4000x3000 300x200 0 -",
                           "http://h/next.png 1200x900 900x600 0 http://h/next"}
            << false << QSize() << QStringList{"http://h/main.png"};
        QTest::newRow("equal pictures: the one drawn larger")
            << QStringList{"http://h/a.jpg 800x600 80x60 0 -", "http://h/b.jpg 800x600 400x300 0 -"}
            << false << QSize() << QStringList{"http://h/b.jpg"};
        QTest::newRow("none drawn: known size or srcset width")
            << QStringList{"http://h/a.jpg 800x600 0x0 0 -", "http://h/b.jpg 0x0 0x0 1600 -"}
            << false << QSize() << QStringList{"http://h/b.jpg"};
        QTest::newRow("a srcset width at the shape of its box")
            << QStringList{"http://h/wide.jpg 0x0 1600x400 1600 -",
                           "http://h/square.jpg 1000x1000 0x0 0 -"}
            << false << QSize() << QStringList{"http://h/square.jpg"};
        QTest::newRow("never below the minimum")
            << QStringList{"http://h/small.png 50x50 900x600 0 -"} << false << QSize(100, 100)
            << QStringList();
        QTest::newRow("nothing known")
            << QStringList{"http://h/a.jpg 0x0 0x0 0 -"} << false << QSize() << QStringList();
        QTest::newRow("every picture over the minimum")
            << QStringList{logo, "http://h/a.jpg 800x600 0x0 0 -", "http://h/b.jpg 0x0 0x0 0 -",
                           "http://h/c.jpg 90x900 0x0 0 -"}
            << true << QSize(100, 100) << QStringList{"http://h/a.jpg", "http://h/b.jpg"};
    }
    void takesTheMainPicture() {
        QFETCH(QStringList, images);
        QFETCH(bool, every);
        QFETCH(QSize, minimum);
        QFETCH(QStringList, taken);
        const auto chosen =
            PictureChoice::Take(snapshotOf(images), "http://h/view", every, minimum);
        QCOMPARE(addressesOf(chosen), taken);
    }

    // While the first pages load nothing is done yet; a stop tells what was done by then.
    void wordsSayWhatHappened() {
        QCOMPARE((FollowProgress{0, 30, 1, 1}.Text()),
                 "Following 30 pages: loading the first 4...");
        QCOMPARE((FollowProgress{0, 3, 2, 3}.Text()),
                 "Following 3 pages (gallery page 2 of up to 3): loading them...");
        QCOMPARE((FollowProgress{0, 1, 1, 1}.Text()), "Following 1 page: loading it...");
        QCOMPARE((FollowProgress{4, 30, 1, 1}.Text()), "Following 5 of 30 pages...");

        const auto page = [](int pictures, const QString& failure) {
            FollowResult result;
            result.taken.resize(std::size_t(pictures));
            result.failure = failure;
            return result;
        };
        const QString stopped = FollowSummary::StoppedReason();
        FollowSummary summary;
        summary.Add({page(1, {}), page(2, {}), page(0, "timed out"), page(0, stopped),
                     page(0, FollowSummary::NoPictureReason()), page(0, stopped)});
        const QString done =
            "4 of 6 pages followed, 3 pictures taken, 1 failed, 1 without a picture.";
        QCOMPARE(summary.StoppedText(), "Following stopped: " + done);
        QCOMPARE(summary.Text(), summary.StoppedText());
        FollowSummary none;
        QCOMPARE(none.StoppedText(), "Following stopped before any page was followed.");
        none.Add({page(0, stopped)});
        QCOMPARE(none.StoppedText(), "Following stopped before any page was followed.");
    }

    void takesAViewerThatIsAPicture() {
        PageSnapshot picture;
        picture.contentType = "image/jpeg";
        const auto chosen = PictureChoice::Take(picture, "http://h/photo?id=7", false, QSize());
        QCOMPARE(addressesOf(chosen), QStringList{"http://h/photo?id=7"});
    }
};

QUILLMAR_TEST_MAIN(FollowRulesTest)
#include "tst_followrules.moc"
