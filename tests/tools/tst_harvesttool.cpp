#include "core/DataFolder.h"
#include "engine/BrowserProfile.h"
#include "follow/PictureChoice.h"
#include "follow/ViewerLoader.h"
#include "records/DownloadArchive.h"
#include "support/DrawnScene.h"
#include "support/LoopbackHttpServer.h"
#include "support/TestMain.h"
#include "support/ToolRun.h"
#include "watches/WatchStore.h"

#include <QBuffer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QUrl>
#include <QWebEnginePage>
#include <QWebEngineProfile>

#include <algorithm>
#include <optional>
#include <sys/stat.h>
#include <sys/xattr.h>

using namespace testsupport;

namespace {

QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

HttpRoute redirectTo(const QByteArray& location) {
    return {302, "text/html", {}, {{"Location", location}}};
}

int requestsFor(const LoopbackHttpServer& site, const QByteArray& path) {
    const QList<HttpRequest> requests = site.requests();
    return int(std::count_if(requests.begin(), requests.end(),
                             [&path](const HttpRequest& request) { return request.path == path; }));
}

// Every picture of deep/placements.html: name, address ("@" this origin, "%" the other
// one), source, natural width x height of the file.
const QStringList placedPictures = {
    "button.png @deep/pictures/button.png input 0x0",
    "cdn.jpg @deep/pictures/cdn.jpg?w=800#top img 0x0",
    "doubled.png @deep/pictures/doubled.png picture 40x30",
    "foreign-bg.jpg %deep/pictures/foreign-bg.jpg frame 0x0",
    "foreign.png %deep/pictures/foreign.png frame 0x0",
    "framed-big.jpg @deep/pictures/framed-big.jpg frame 0x0",
    "hall-1600.jpg @deep/pictures/hall-1600.jpg picture 0x0",
    "holiday.2024.heic @deep/pictures/holiday.2024.heic img 0x0",
    "in-view.jpg @deep/pictures/in-view.jpg lazy 0x0",
    "inline.jpg @deep/pictures/inline.jpg css 0x0",
    "l,1200.webp @deep/pictures/l,1200.webp lazy 0x0",
    "lazy.jpg @deep/pictures/lazy.jpg lazy 0x0",
    "linked.gif @deep/pictures/linked.gif meta 0x0",
    "pic-2x.avif @deep/pictures/pic-2x.avif picture 0x0",
    "poster.jpg @deep/pictures/poster.jpg poster 0x0",
    "render @deep/render?id=5 img 40x30",
    "shadowed.png @deep/pictures/shadowed.png shadow 0x0",
    "share.jpg @deep/pictures/share.jpg meta 0x0",
    "sheet.png @deep/pictures/sheet.png css 0x0",
    "tweet.jpg @deep/pictures/tweet.jpg meta 0x0",
    "vector.png @deep/pictures/vector.png svg 0x0",
    "w1280.jpg @deep/pictures/w1280.jpg lazy 0x0",
    "wide.png @deep/pictures/wide.png srcset 40x30",
    "wider.png @deep/pictures/wider.png srcset about 400x300",
    "x3.jpg @deep/pictures/x3.jpg srcset about 120x90",
};

// A line of a --json image list: name, address, the page it came from and why a
// thumbnail was kept ("@" this origin, "%" the other site).
QStringList imageLines(const QString& jsonLine) {
    QStringList lines;
    const QJsonObject report = QJsonDocument::fromJson(jsonLine.toUtf8()).object();
    for (const QJsonValue& image : report["images"].toArray())
        lines << QStringLiteral("%1 %2 %3 %4")
                     .arg(image["name"].toString(), image["address"].toString(),
                          image["from"].toString(), image["followError"].toString())
                     .trimmed();
    return lines;
}

// An extended attribute of the file at path; empty when it has none.
QString Attribute(const QString& path, const char* name) {
    char value[4096];
    const ssize_t size = ::getxattr(QFile::encodeName(path).constData(), name, value, sizeof value);
    return size > 0 ? QString::fromUtf8(value, int(size)) : QString();
}

} // namespace

class HarvestToolTest : public QObject {
    Q_OBJECT
private:
    LoopbackHttpServer server;      // all of tests/data
    LoopbackHttpServer otherOrigin; // the same from another port: another origin
    QTemporaryDir downloads;        // stays empty

private slots:
    void initTestCase() {
        QVERIFY(server.start());
        QVERIFY(otherOrigin.start());
        server.serveDirectory(testDataPath());
        otherOrigin.serveDirectory(testDataPath());
        HttpRoute stalled;
        stalled.stall = true;
        server.setRoute("/pages/stalled.html", stalled);
        server.setFile("/pages/asking.html",
                       "<html><script>alert(1); confirm('?'); prompt('?');</script>"
                       "<img src='pictures/blue.png'><img src='login.png'></html>");
        server.setRoute("/pages/login.png",
                        {401, "text/html", {}, {{"WWW-Authenticate", "Basic realm=\"pictures\""}}});
        // A megabyte in pieces of 4 KiB, one every 100 ms.
        server.setRoute("/pages/slow.png",
                        {200, "image/png", QByteArray(1 << 20, 'x'), {}, 4096, 100});
        server.setFile("/pages/slow.html", "<html><a href='slow.png'>slow</a></html>");
        server.setFile("/pages/nul.html", "<img src='a%00b.jpg'>");
        // One name in four folders, one picture shown twice and linked once.
        server.setFile("/pages/albums.html", "<img src='1/large.jpg'><img src='2/large.jpg'>"
                                             "<img src='3/large.jpg'><img src='4/large.jpg'>"
                                             "<img src='2/large.jpg'><a href='3/large.jpg'>3</a>");
        QByteArray page = readFile(testDataPath("deep/placements.html"));
        page.replace("FOREIGN_ORIGIN", otherOrigin.url().chopped(1).toUtf8());
        server.setFile("/deep/placements.html", page);
        // A feed that answers in a little more than a second.
        server.setRoute("/deep/feed", {200, "text/plain", "..", {}, 1, 1200});
        // A picture the page shows under an address without a file name, one a
        // <picture> shows at twice its density, and the 1x candidate of a set whose
        // 3x candidate is missing.
        const QByteArray wide = readFile(testDataPath("deep/pictures/wide.png"));
        server.setFile("/deep/render?id=5", wide, "image/png");
        server.setFile("/deep/pictures/doubled.png", wide, "image/png");
        server.setFile("/deep/pictures/x1.jpg", wide, "image/png");
        // A viewer page on either site.
        for (LoopbackHttpServer* site : {&server, &otherOrigin}) {
            site->setFile("/hop/view.html", "<img src='full.png' width='900' height='600'>");
            for (const char* name : {"t1", "t2", "t3", "full", "second"})
                site->setFile("/hop/" + QByteArray(name) + ".png", wide, "image/png");
        }
    }

    // One run checks every placement, the JSON report and the size filter: only sizes
    // known to be smaller go (tiny.png is 3 x 2), 0 is no limit, unknown sizes stay.
    void deepScanFindsEveryPlacementAtItsBestResolution() {
        const ToolRun run = runHarvestTool(
            {"--deep", "--min-size", "0x3", "--json", server.url("deep/placements.html")});
        QCOMPARE(run.exitCode, 0);
        const QJsonObject report = QJsonDocument::fromJson(run.output.toUtf8()).object();
        QCOMPARE(report["url"].toString(), server.url("deep/placements.html"));
        QStringList listed;
        for (const QJsonValue& image : report["images"].toArray())
            listed << QStringLiteral("%1 %2 %3 %4%5x%6")
                          .arg(image["name"].toString(), image["address"].toString(),
                               image["source"].toString(),
                               image["sizeEstimated"].toBool() ? "about " : "")
                          .arg(image["width"].toInt())
                          .arg(image["height"].toInt());
        QStringList expected = placedPictures;
        expected.replaceInStrings("@", server.url()).replaceInStrings("%", otherOrigin.url());
        QCOMPARE(listed, expected);
        QStringList links;
        for (const QJsonValue& link : report["links"].toArray())
            links << link["name"].toString();
        QCOMPARE(links, (QStringList{"a%2Fb.jpg", "big photo.webp", "clip.mp4", "foreign-link.jpg",
                                     "my.photo.jpg", "shadow-link.jpg"}));
        QCOMPARE(report["links"][1]["address"].toString(),
                 server.url("deep/pictures/big%20photo.webp"));
    }

    // A hostile top page with a hostile frame that forwards every message it gets, and a
    // victim frame of a third origin: Deep Scan lists the victim's picture, and nothing
    // the page's scripts see lets them read it.
    void hostileFramesLearnNothingFromDeepScan() {
        const QString victim = server.url("deep/victim.html").replace("127.0.0.1", "localhost");
        server.setFile("/deep/victim.html", "<img src='victim-private-SESSION987.png'>");
        otherOrigin.setFile("/deep/forwarder.html",
                            "<script>addEventListener('message', function (e) {"
                            "  parent.postMessage({forwarded: e.data}, '*'); });</script>");
        server.setFile(
            "/deep/attack.html",
            ("<iframe src='" + otherOrigin.url("deep/forwarder.html") +
             "'></iframe>"
             "<iframe src='" +
             victim +
             "'></iframe><script>"
             "function leak(data) { fetch('/leak?' + encodeURIComponent(JSON.stringify(data))); }"
             "addEventListener('message', function (e) {"
             "  leak(e.data);"
             "  if (!e.data || !e.data.forwarded) return;"
             "  var channel = new MessageChannel();"
             "  channel.port1.onmessage = function (answer) { leak(answer.data); };"
             "  frames[1].postMessage(e.data.forwarded, '*', [channel.port2]);"
             "  frames[1].postMessage(e.data.forwarded, '*'); });</script>")
                .toUtf8());
        server.clearRequests();
        const ToolRun run = runHarvestTool({"--deep", server.url("deep/attack.html")});
        QVERIFY2(run.output.contains("victim-private-SESSION987.png\t" + victim.chopped(11) +
                                     "victim-private-SESSION987.png"),
                 qPrintable(run.output));
        QStringList leaks;
        for (const HttpRequest& request : server.requests())
            if (request.path.startsWith("/leak?"))
                leaks << QUrl::fromPercentEncoding(request.path);
        QVERIFY2(!leaks.isEmpty(), "the forwarder forwarded nothing");
        QVERIFY2(leaks.filter("SESSION987").isEmpty(), qPrintable(leaks.join('\n')));
    }

    // Style sheets far too long to read within the budget (the engine itself uses no more
    // than 2^18 rules of a sheet) still give the backgrounds of the pictures on screen.
    void hugeStyleSheetsStillGiveTheVisibleBackgrounds() {
        QByteArray sheet;
        for (int i = 0; i < 250000; ++i)
            sheet += ".r" + QByteArray::number(i) + "{color:red}";
        QByteArray page = "<link rel='stylesheet' href='huge.css?1'>"
                          "<link rel='stylesheet' href='huge.css?2'><style>";
        QByteArray divs;
        QStringList expected;
        for (int i = 0; i < 20; ++i) {
            const QByteArray n = QByteArray::number(i);
            page += ".b" + n + "{background-image:url(bg" + n + ".png)}";
            divs += "<div class='b" + n + "' style='width:40px;height:40px'></div>";
            expected << "bg" + n + ".png";
        }
        server.setFile("/deep/huge.css", sheet, "text/css");
        server.setFile("/deep/huge.html", page + "</style>" + divs);
        const ToolRun run = runHarvestTool({"--deep", "--json", server.url("deep/huge.html")});
        QStringList listed;
        const QJsonObject report = QJsonDocument::fromJson(run.output.toUtf8()).object();
        for (const QJsonValue& image : report["images"].toArray())
            listed << image["name"].toString();
        expected.sort();
        QCOMPARE(listed, expected);
    }

    // Downloads send no more Referer than the engine would: the page's header, a meta a
    // script removed after the engine applied it, and the elements' own policies count.
    void downloadsFollowThePagesReferrerPolicy() {
        server.setRoute(
            "/ref/header.html",
            {200, "text/html", "<img src='h.png'>", {{"Referrer-Policy", "no-referrer"}}});
        server.setFile("/ref/meta.html", "<meta name='referrer' content='no-referrer'>"
                                         "<img src='m.png'><script>document.querySelector("
                                         "'meta').remove();</script>");
        server.setFile("/ref/elements.html",
                       "<img referrerpolicy='no-referrer' src='e1.png'>"
                       "<a rel='nofollow noreferrer' href='e2.png'>2</a>"
                       "<a referrerpolicy='origin' href='e3.png'>3</a><img src='e4.png'>");
        for (const char* name : {"h", "m", "e1", "e2", "e3", "e4"})
            server.setFile("/ref/" + QByteArray(name) + ".png", name, "image/png");
        server.clearRequests();
        for (const char* page : {"header", "meta", "elements"}) {
            QTemporaryDir folder;
            const ToolRun run = runHarvestTool(
                {"--download", folder.path(), server.url("ref/" + QString(page) + ".html")});
            QCOMPARE(run.exitCode, 0);
        }
        QStringList sent; // picture and Referer of each download
        for (const HttpRequest& request : server.requests())
            if (request.headers.value("user-agent") == "Quillmar")
                sent << request.path.mid(5) + '|' + request.headers.value("referer");
        sent.sort();
        QCOMPARE(sent,
                 (QStringList{"e1.png|", "e2.png|", "e3.png|" + server.url(),
                              "e4.png|" + server.url("ref/elements.html"), "h.png|", "m.png|"}));
    }

    void scrollsUntilThePageStopsGrowing() {
        const QString threeMore = server.url("deep/endless.html?batches=4");
        QCOMPARE(runHarvestTool({threeMore}).output.section('\n', 0, 0), "images 4 4");
        QCOMPARE(runHarvestTool({"--scroll", threeMore}).output.section('\n', 0, 0),
                 "images 16 16");
        // Each step waits for a feed that answers in a little more than a second.
        QCOMPARE(runHarvestTool({"--scroll", server.url("deep/endless.html?batches=2&ask=feed")})
                     .output.section('\n', 0, 0),
                 "images 8 8");
        // A page that never ends is scrolled for 15 seconds at most.
        QElapsedTimer clock;
        clock.start();
        const ToolRun endless =
            runHarvestTool({"--scroll", "--deep", server.url("deep/endless.html")});
        QCOMPARE(endless.exitCode, 0);
        QVERIFY2(clock.elapsed() < 20000, qPrintable(QString::number(clock.elapsed())));
        QVERIFY2(endless.output.endsWith("\nlinks 0 0\n"), qPrintable(endless.output));
    }

    void answersWithTheRightExitCode_data() {
        // "@" stands for the served tests/data, "~" for it as local files; a relative path
        // names a local file. The tool chooses the offscreen platform itself.
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("output");
        QTest::addColumn<QString>("errors"); // how they begin; empty: none at all
        const auto row = [](const char* name, const QStringList& arguments, int exitCode,
                            const QString& output, const QString& errors = QString()) {
            QTest::newRow(name) << arguments << exitCode << output << errors;
        };
        row("dialogs answered at once", {"--timeout", "20", "@pages/asking.html"}, 0,
            "images 2 2\nblue.png\t@pages/pictures/blue.png\nlogin.png\t@pages/login.png\n"
            "links 0 0\n");
        // Sorted by name, equal names in traversal order; the header counts lines, then
        // addresses.
        row("one name, many addresses", {"@pages/albums.html"}, 0,
            "images 5 4\nlarge.jpg\t@pages/1/large.jpg\nlarge.jpg\t@pages/2/large.jpg\n"
            "large.jpg\t@pages/3/large.jpg\nlarge.jpg\t@pages/4/large.jpg\n"
            "large.jpg\t@pages/2/large.jpg\nlinks 1 1\nlarge.jpg\t@pages/3/large.jpg\n");
        // Without Deep Scan only what was always listed; the frame of another origin is
        // left out, the same-origin frame after it is walked.
        row("placements", {"@deep/placements.html"}, 0,
            "images 6 5\nfallback.jpg\t@deep/pictures/fallback.jpg\n"
            "framed.jpg\t@deep/pictures/framed.jpg\nred.gif\t@pages/pictures/red.gif\n"
            "tiny.png\t@deep/pictures/tiny.png\ntiny.png\t@deep/pictures/tiny.png\n"
            "x1.jpg\t@deep/pictures/x1.jpg\nlinks 1 1\na%2Fb.jpg\t@deep/pictures/a%2Fb.jpg\n");
        row("nested frames", {"pages/frameset.html"}, 0,
            "images 2 2\ninner.png\t~pages/pictures/inner.png\none.gif\t~pages/pictures/one.gif\n"
            "links 2 2\ninner.tiff\t~pages/pictures/inner.tiff\n"
            "left.jpg\t~pages/pictures/left.jpg\n");
        // Frames in document order, then the page's own pictures: equal names show the order.
        const QString framed = "images 4 4\none.gif\t@pages/pictures/one.gif\n"
                               "one.gif\t@pages/pictures/second/one.gif\n"
                               "one.gif\t@pages/pictures/top/one.gif\n"
                               "srcdoc.gif\t@pages/pictures/srcdoc.gif\n"
                               "links 1 1\nleft.jpg\t@pages/pictures/left.jpg\n";
        row("inline frames", {"@pages/iframes.html"}, 0, framed);
        row("inline frames, deep", {"--deep", "@pages/iframes.html"}, 0, framed);
        // Scripts that break the page's own objects change nothing.
        row("hostile", {"pages/hostile.html"}, 0,
            "images 3 3\nblue.png\t~pages/pictures/blue.png\none.gif\t~pages/pictures/one.gif\n"
            "red.gif\t~pages/pictures/red.gif\nlinks 2 2\nblue.png\t~pages/pictures/blue.png\n"
            "left.jpg\t~pages/pictures/left.jpg\n");
        // A local page reads nothing of the file beside it (each read it got would be listed
        // with the text), yet shows the picture beside it.
        row("local page reading files", {"pages/reader.html"}, 0,
            "images 5 5\nblue.png\t~pages/pictures/blue.png\n"
            "frame-refused.png\thttp://127.0.0.1:9/frame-refused.png\n"
            "picture-1.png\thttp://127.0.0.1:9/picture-1.png\n"
            "script-refused.png\thttp://127.0.0.1:9/script-refused.png\n"
            "xhr-refused.png\thttp://127.0.0.1:9/xhr-refused.png\nlinks 0 0\n");
        row("picture", {"pages/pictures/red.gif"}, 0, "images 0 0\nlinks 0 0\n");
        // The engine cannot resolve an address with a NUL; Deep Scan still lists it whole.
        row("NUL in an address, deep", {"--deep", "@pages/nul.html"}, 0,
            "images 1 1\na%00b.jpg\t@pages/a%00b.jpg\nlinks 0 0\n");
        // A failed load says why.
        row("missing", {"@pages/missing.html"}, 1, "",
            "quillmar-harvest: cannot load @pages/missing.html: the server answered HTTP 404\n");
        row("not an address", {"hello world"}, 1, "",
            "quillmar-harvest: cannot load hello world: not a valid address\n");
        QTcpServer closed;
        QVERIFY(closed.listen(QHostAddress::LocalHost));
        const QString refused = QStringLiteral("http://127.0.0.1:%1/").arg(closed.serverPort());
        closed.close();
        row("refused", {refused}, 1, "",
            "quillmar-harvest: cannot load " + refused + ": connection refused\n");
        row("nothing matched",
            {"--download", downloads.path(), "--match", "zzz", "@pages/albums.html"}, 0,
            "Download complete\n", "quillmar-harvest: nothing matched zzz\n");
        row("stalled", {"--timeout", "2", "@pages/stalled.html"}, 1, "",
            "quillmar-harvest: timed out loading @pages/stalled.html\n");
        // Arguments split at "|".
        for (const QString wrong : {"", "a.html|b.html", "  ", "--timeout|5"})
            row(qPrintable("usage: " + wrong), wrong.split('|', Qt::SkipEmptyParts), 2, "",
                "usage: quillmar-harvest");
        // Every bad value says what is wrong on one line before the usage.
        const QString timeoutRange = "quillmar-harvest: --timeout takes a number of seconds from "
                                     "1 to 86400\nusage:";
        for (const QString wrong : {"soon", "0", "99999999999", " 4", "1e3"})
            row(qPrintable("timeout " + wrong), {"--timeout", wrong, "a.html"}, 2, "",
                timeoutRange);
        for (const QString wrong : {" 4", "+4", "0", "17", "4x"})
            row(qPrintable("parallel " + wrong), {"--download", ".", "--parallel", wrong, "a.html"},
                2, "", "quillmar-harvest: --parallel takes a number from 1 to 16\nusage:");
        for (const QString wrong : {"fast", "0", "2G", "-5K", "1.5M"})
            row(qPrintable("rate " + wrong), {"--download", ".", "--limit-rate", wrong, "a.html"},
                2, "", "quillmar-harvest: --limit-rate takes bytes a second");
        for (const QString wrong : {"-1", "1,5", "3601", "soon", ".5", "1e2"})
            row(qPrintable("wait " + wrong), {"--wait", wrong, "a.html"}, 2, "",
                "quillmar-harvest: --wait takes seconds from 0 to 3600");
        row("random wait alone", {"--random-wait", "a.html"}, 2, "",
            "quillmar-harvest: --random-wait needs --wait\n");
        for (const QString wrong : {"0", "17", "two"})
            row(qPrintable("per site " + wrong), {"--download", ".", "--per-site", wrong, "a.html"},
                2, "", "quillmar-harvest: --per-site takes a number from 1 to 16\nusage:");
        row("per site without download", {"--per-site", "2", "a.html"}, 2, "",
            "quillmar-harvest: --per-site needs --download\n");
        row("missing cookie file", {"--cookies", "no-such-cookies.txt", "a.html"}, 1, "",
            "quillmar-harvest: cannot read the cookie file no-such-cookies.txt\n");
        row("rate without download", {"--limit-rate", "2M", "a.html"}, 2, "",
            "quillmar-harvest: --limit-rate needs --download\n");
        row("unknown option", {"--fast", "a.html"}, 2, "",
            "quillmar-harvest: Unknown option 'fast'.\nusage:");
        row("size without deep scan", {"--min-size", "9x9", "a.html"}, 2, "",
            "quillmar-harvest: --min-size needs --deep\n");
        row("size without height", {"--deep", "--min-size", "9", "a.html"}, 2, "",
            "quillmar-harvest: --min-size takes WIDTHxHEIGHT");
        row("climbing name template", {"--download", ".", "--name", "../{name}.{ext}", "a.html"}, 2,
            "", "quillmar-harvest: --name: A name template may not hold \"..\"");
        row("name template from the root", {"--download", ".", "--name", "/tmp/{name}", "a.html"},
            2, "", "quillmar-harvest: --name: A name template starts inside the folder");
        row("name without download", {"--name", "{num}.{ext}", "a.html"}, 2, "",
            "quillmar-harvest: --name needs --download\n");
        for (const QString wrong : {"0/3", "4/3", "1/0", "2", "1/3/5", "a/b"})
            row(qPrintable("shard " + wrong), {"--input", "-", "--shard", wrong}, 2, "",
                "quillmar-harvest: --shard takes K/N, part K of N parts, 1 <= K <= N");
        row("shard without input", {"--shard", "1/2", "a.html"}, 2, "",
            "quillmar-harvest: --shard needs --input\n");
        // Refused at once, before any download: neither a hang nor a database in its place.
        const QString fifo = downloads.filePath("fifo");
        QVERIFY(QFile::exists(fifo) || ::mkfifo(QFile::encodeName(fifo).constData(), 0600) == 0);
        row("archive naming a FIFO",
            {"--download", downloads.path(), "--archive", fifo, "@pages/albums.html"}, 1, "",
            "quillmar-harvest: cannot use the archive " + fifo + ": not a regular file\n");
        row("merge without input record", {"--merge-archive", "out.sqlite"}, 2, "",
            "quillmar-harvest: --merge-archive takes OUT and at least one IN\nusage:");
        row("merge with an option", {"--merge-archive", "out.sqlite", "--quiet", "in.sqlite"}, 2,
            "", "quillmar-harvest: --merge-archive takes OUT IN... and no other option\n");
    }
    void answersWithTheRightExitCode() {
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QFETCH(QString, output);
        QFETCH(QString, errors);
        const QString local = QUrl::fromLocalFile(testDataPath() + '/').toString();
        const ToolRun run = runHarvestTool(arguments.replaceInStrings("@", server.url()));
        QCOMPARE(run.exitCode, exitCode);
        QCOMPARE(run.output, output.replace('@', server.url()).replace('~', local));
        errors.replace('@', server.url());
        QCOMPARE(errors.isEmpty() ? run.errors : run.errors.left(errors.size()), errors);
    }

    // A gallery whose thumbnails lead to viewer pages of every kind: a plain picture, a
    // srcset beside a related thumbnail, a picture inserted once a slow data request
    // answers, a lazy loader, one on another site, a missing page, one without a picture,
    // an image map; and a next page. The end tells what following came to.
    void followsThumbnailsToTheirPictures() {
        const QString otherSite = QStringLiteral("http://localhost:%1/").arg(otherOrigin.port());
        QByteArray gallery = readFile(testDataPath("follow/gallery.html"));
        gallery.replace("OTHER_SITE/", otherSite.toUtf8());
        server.setFile("/follow/gallery.html", gallery);
        // Eight bytes every 150 ms: the answer takes longer than the page's quiet time.
        server.setRoute(
            "/follow/picture.json",
            {200, "application/json", R"({"address": "full/fetched.png"})", {}, 8, 150});
        const QByteArray picture = readFile(testDataPath("deep/pictures/wide.png"));
        for (const char* name :
             {"logo", "placeholder", "full/plain", "full/srcset-small", "full/srcset-medium",
              "full/srcset-large", "full/fetched", "full/lazy", "full/direct", "thumbs/direct",
              "thumbs/missing", "thumbs/other", "thumbs/related", "thumbs/empty"}) {
            server.setFile(QByteArray("/follow/") + name + ".png", picture, "image/png");
            otherOrigin.setFile(QByteArray("/follow/") + name + ".png", picture, "image/png");
        }
        // The candidate the srcset page shows is as wide as it says, so the page draws it
        // larger than its related thumbnail.
        server.setFile("/follow/full/srcset-small.png",
                       readFile(testDataPath("follow/shown-600w.png")), "image/png");
        const ToolRun listed = runHarvestTool({"--follow", "--follow-other-sites", "--pages", "1",
                                               "--json", server.url("follow/gallery.html")});
        QCOMPARE(listed.exitCode, 0);
        const QString at = server.url("follow/");
        // In the gallery's order: each picture where its thumbnail stood.
        QStringList expected = {
            "plain.png @full/plain.png @view-plain.html",
            "srcset-large.png @full/srcset-large.png @view-srcset.html?id=2",
            "fetched.png @full/fetched.png @view-fetch.html",
            "lazy.png @full/lazy.png @view-lazy.html",
            "plain.png %follow/full/plain.png %follow/view-plain.html",
            "missing.png @thumbs/missing.png @gallery.html the server answered HTTP 404",
            "empty.png @thumbs/empty.png @gallery.html no picture found",
            "direct.png @thumbs/direct.png @gallery.html",
            "logo.png @logo.png @gallery.html"};
        QCOMPARE(imageLines(listed.output),
                 expected.replaceInStrings("@", at).replaceInStrings("%", otherSite));
        QCOMPARE(listed.errors,
                 "Followed 9 pages: 7 pictures taken, 1 failed, 1 without a picture.\n");
        const QJsonObject followed =
            QJsonDocument::fromJson(listed.output.toUtf8()).object()["followed"].toObject();
        QCOMPARE(followed["pages"].toInt(), 9);
        QCOMPARE(followed["failures"].toArray(),
                 (QJsonArray{QJsonObject{{"page", at + "view-missing.html"},
                                         {"reason", "the server answered HTTP 404"}},
                             QJsonObject{{"page", at + "view-empty.html"},
                                         {"reason", "no picture found"}}}));

        // Downloads send the viewer page as Referer, never touch the other site unless
        // asked, and the archive keeps a repeat run from fetching anything again.
        QTemporaryDir folder;
        const QString archive = folder.filePath("saved.txt");
        const QString pictures = folder.filePath("pictures");
        QVERIFY(QDir().mkpath(pictures));
        server.clearRequests();
        otherOrigin.clearRequests();
        const QStringList download = {
            "--follow", "--take",    "all",   "--download",
            pictures,   "--archive", archive, server.url("follow/gallery.html")};
        const ToolRun first = runHarvestTool(download);
        QVERIFY2(first.exitCode == 0, qPrintable(first.output + first.errors));
        QCOMPARE(otherOrigin.requests().size(), 0);
        QCOMPARE(filesIn(pictures),
                 (QStringList{"direct (2).png", "direct.png", "empty.png", "fetched.png",
                              "lazy.png", "logo.png", "missing.png", "other.png", "plain.png",
                              "related.png", "srcset-large.png"}));
        // The download comes after the engine's own request.
        const QList<HttpRequest> requests = server.requests();
        const auto plain = std::find_if(requests.rbegin(), requests.rend(), [](const auto& r) {
            return r.path == "/follow/full/plain.png";
        });
        QVERIFY(plain != requests.rend());
        QCOMPARE(plain->headers["referer"], at.toUtf8() + "view-plain.html");
        QCOMPARE(DownloadArchive(archive).SavedName(at + "full/lazy.png"), "lazy.png");

        QFile list(folder.filePath("list.txt"));
        QVERIFY(list.open(QIODevice::WriteOnly));
        list.write("# two pages\n\n" + at.toUtf8() + "gallery.html\n" + at.toUtf8() +
                   "nowhere.html\n");
        list.close();
        const ToolRun again = runHarvestTool(
            {"--download", pictures, "--archive", archive, "--input", list.fileName()});
        QCOMPARE(again.exitCode, 1);
        QVERIFY2(
            again.output.startsWith("skipped direct.png\nskipped empty.png\nskipped logo.png\n"),
            qPrintable(again.output));
        QVERIFY(!again.output.contains("saved "));
        QCOMPARE(again.errors, "quillmar-harvest: cannot load " + at +
                                   "nowhere.html: the server answered HTTP 404\n");
    }

    // After Follow Thumbnails the files are named in the gallery's order, whatever
    // their own names, into the site's and the title's folders; each one carries its
    // address and the viewer page it was taken from, and its info file; --json tells
    // each path. A title cannot make a folder outside the chosen one.
    void namesFollowedPicturesInTheGallerysOrder() {
        const QByteArray wide = readFile(testDataPath("deep/pictures/wide.png"));
        const QList<QByteArray> hashes = {"f3a1", "0b9c", "d4e2", "7a10", "b5c3", "2e8f"};
        QByteArray gallery = "<title>Beach / Day</title>";
        for (int i = 0; i < hashes.size(); ++i) {
            const QByteArray viewer = "v" + QByteArray::number(i + 1) + ".html";
            gallery += "<a href='" + viewer + "'><img src='t" + hashes[i] +
                       ".png' width='120' height='90'></a>";
            server.setFile("/named/" + viewer, "<title>View</title><img src='full/" + hashes[i] +
                                                   ".png' width='900' height='600'>");
            server.setFile("/named/full/" + hashes[i] + ".png", wide, "image/png");
            server.setFile("/named/t" + hashes[i] + ".png", wide, "image/png");
        }
        server.setFile("/named/gallery.html", gallery);
        QTemporaryDir folder;
        const QString pictures = folder.filePath("pictures");
        const ToolRun run = runHarvestTool({"--follow", "--download", pictures, "--name",
                                            "{site}/{title}/{num:03}-{name}.{ext}", "--write-info",
                                            "--json", server.url("named/gallery.html")});
        QVERIFY2(run.exitCode == 0, qPrintable(run.output + run.errors));
        const QString titled = pictures + "/127.0.0.1/Beach _ Day";
        QStringList expected;
        for (int i = 0; i < hashes.size(); ++i)
            expected << QStringLiteral("%1-%2.png").arg(i + 1, 3, 10, QChar('0')).arg(hashes[i]);
        QStringList pictureFiles = filesIn(titled).filter(QRegularExpression("\\.png$"));
        QCOMPARE(pictureFiles, expected);
        QCOMPARE(QDir(pictures).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                 QStringList{"127.0.0.1"});
        for (int i = 0; i < hashes.size(); ++i) {
            const QString path = titled + '/' + expected[i];
            QCOMPARE(Attribute(path, "user.xdg.origin.url"),
                     server.url("named/full/" + hashes[i] + ".png"));
            QCOMPARE(Attribute(path, "user.xdg.referrer.url"),
                     server.url(QStringLiteral("named/v%1.html").arg(i + 1)));
            const QJsonObject info = QJsonDocument::fromJson(readFile(path + ".json")).object();
            QCOMPARE(info["page"].toString(), server.url("named/gallery.html"));
            QCOMPARE(info["viewer"].toString(),
                     server.url(QStringLiteral("named/v%1.html").arg(i + 1)));
            QCOMPARE(info["title"].toString(), "Beach / Day");
            QVERIFY(run.output.contains("\"path\":\"" + path + "\""));
        }
    }

    // Pages are judged where they end up. A viewer page that its server or its script
    // sends to another site gives no picture; a next page redirected within the site is
    // harvested, one redirected back to a page harvested before ends the walk, and one
    // redirected to another site is not harvested, nor are its thumbnails followed.
    void followingStaysOnTheSiteThroughRedirects() {
        const QByteArray away =
            QStringLiteral("http://localhost:%1/hop/").arg(otherOrigin.port()).toUtf8();
        server.setFile("/hop/gallery.html",
                       "<link rel='next' href='next'>"
                       "<a href='moved'><img src='t1.png' width='120' height='90'></a>"
                       "<a href='scripted.html'><img src='t2.png' width='120' height='90'></a>"
                       "<a href='kept'><img src='t3.png' width='120' height='90'></a>");
        server.setRoute("/hop/moved", redirectTo(away + "view.html"));
        server.setFile("/hop/scripted.html", "<script>onload = function () { location.replace('" +
                                                 away + "view.html'); };</script>");
        server.setRoute("/hop/kept", redirectTo("view.html"));
        server.setRoute("/hop/next", redirectTo("gallery-2.html"));
        server.setFile("/hop/gallery-2.html",
                       "<link rel='next' href='back'><img src='second.png'>");
        server.setRoute("/hop/back", redirectTo("gallery.html"));
        server.clearRequests();
        const ToolRun walked =
            runHarvestTool({"--follow", "--pages", "20", "--json", server.url("hop/gallery.html")});
        QCOMPARE(walked.exitCode, 0);
        QStringList expected = {"t1.png @t1.png @gallery.html led to another site",
                                "t2.png @t2.png @gallery.html led to another site",
                                "full.png @full.png @view.html",
                                "second.png @second.png @gallery-2.html"};
        QCOMPARE(imageLines(walked.output), expected.replaceInStrings("@", server.url("hop/")));
        QCOMPARE(requestsFor(server, "/hop/next"), 1);
        QCOMPARE(requestsFor(server, "/hop/back"), 1);

        server.setFile("/hop/leaving.html", "<link rel='next' href='leave'><img src='t3.png'>");
        server.setRoute("/hop/leave", redirectTo(away + "gallery.html"));
        otherOrigin.setFile("/hop/gallery.html",
                            "<a href='view.html'><img src='t1.png' width='120' height='90'></a>");
        otherOrigin.clearRequests();
        const ToolRun left =
            runHarvestTool({"--follow", "--pages", "5", "--json", server.url("hop/leaving.html")});
        QCOMPARE(left.exitCode, 0);
        QCOMPARE(imageLines(left.output), QStringList{"t3.png " + server.url("hop/t3.png ") +
                                                      server.url("hop/leaving.html")});
        QCOMPARE(requestsFor(otherOrigin, "/hop/gallery.html"), 1);
        QCOMPARE(requestsFor(otherOrigin, "/hop/view.html"), 0);
    }

    // A viewer page stuck in a script that never returns times out, and the next
    // viewer page its loader is given still gives its picture.
    void aViewerPageThatTimedOutIsNotReused() {
        server.setFile("/hop/busy.html", "<img src='t1.png'><script>while (true) {}</script>");
        ViewerLoader loader(QWebEngineProfile::defaultProfile(), nullptr);
        QSignalSpy failed(&loader, &ViewerLoader::failed);
        QSignalSpy scanned(&loader, &ViewerLoader::scanned);
        loader.Load(QUrl(server.url("hop/busy.html")), QString(), 1000);
        QTRY_COMPARE_WITH_TIMEOUT(failed.size(), 1, 30000);
        QCOMPARE(failed[0][0].toString(), "timed out");
        loader.Load(QUrl(server.url("hop/view.html")), QString());
        QTRY_COMPARE_WITH_TIMEOUT(failed.size() + scanned.size(), 2, 30000);
        QCOMPARE(scanned.size(), 1);
        QCOMPARE(scanned[0][1].toString(), server.url("hop/view.html"));
    }

    // A viewer page settles once it looks done, but not before a picture a script
    // inserts just after the load, nor before a slow data request has answered.
    void aViewerPageSettlesAfterWhatItStillDoes() {
        server.setFile("/settle/late.html",
                       "<img src='t1.png'><script>onload = function () { setTimeout(function () {"
                       " var p = new Image(); p.src = 'late.png'; document.body.appendChild(p);"
                       " }, 100); };</script>");
        // The address comes a few bytes every 150 ms: well over the quiet a done page needs.
        server.setRoute("/settle/where.json", {200, "application/json", "late.png", {}, 3, 150});
        server.setFile("/settle/asking.html",
                       "<img src='t1.png'><script>fetch('where.json').then(function (a) {"
                       " return a.text(); }).then(function (name) { var p = new Image();"
                       " p.src = name; document.body.appendChild(p); });</script>");
        server.setFile("/settle/late.png", readFile(testDataPath("deep/pictures/wide.png")),
                       "image/png");
        ViewerLoader loader(QWebEngineProfile::defaultProfile(), nullptr);
        std::optional<QStringList> listed;
        connect(&loader, &ViewerLoader::scanned, this, [&listed](const PageSnapshot& snapshot) {
            listed = QStringList();
            for (const DomImage& image : snapshot.document.value_or(DomDocument()).images)
                *listed << image.src;
        });
        for (const char* page : {"settle/late.html", "settle/asking.html"}) {
            listed.reset();
            loader.Load(QUrl(server.url(page)), QString());
            QTRY_VERIFY_WITH_TIMEOUT(listed, 30000);
            QVERIFY2(listed->contains(server.url("settle/late.png")), page);
        }
    }

    // A viewer page on a slow picture host settles once its pictures' sizes have come, not
    // their last bytes, and gives its picture; one whose picture's header is still on its way
    // waits for it. The loader, given the next page while the picture still comes, scans that
    // page, not the one it left, nor the one before a page that never answers.
    void aViewerPageSettlesOnItsPicturesSizes() {
        QImage noise(1200, 900, QImage::Format_RGB32);
        QRandomGenerator random(42);
        for (int y = 0; y < noise.height(); ++y)
            random.fillRange(reinterpret_cast<quint32*>(noise.scanLine(y)), noise.width());
        QByteArray big;
        QBuffer buffer(&big);
        QVERIFY(buffer.open(QIODevice::WriteOnly) && noise.save(&buffer, "PNG"));
        // About 3 MB at 80 KB a second: well over the page's time to settle.
        server.setRoute("/slow/big.png", {200, "image/png", big, {}, 16384, 200});
        // The header comes in about a second, a few bytes at a time.
        server.setRoute(
            "/slow/late.png",
            {200, "image/png", readFile(testDataPath("deep/pictures/wide.png")), {}, 4, 120});
        server.setFile("/slow/view.html", "<img src='late.png'><img src='big.png'>"
                                          "<a href='next.html'><img src='t1.png'></a>");
        server.setFile("/slow/next.html", "<img src='t2.png' width='300' height='200'>");
        const QByteArray wide = readFile(testDataPath("deep/pictures/wide.png"));
        for (const char* name : {"t1", "t2"})
            server.setFile("/slow/" + QByteArray(name) + ".png", wide, "image/png");
        ViewerLoader loader(QWebEngineProfile::defaultProfile(), nullptr);
        QSignalSpy failed(&loader, &ViewerLoader::failed);
        std::optional<PageSnapshot> scanned;
        connect(&loader, &ViewerLoader::scanned, this,
                [&scanned](const PageSnapshot& snapshot) { scanned = snapshot; });
        const auto sizes = [&scanned] {
            QStringList listed;
            for (const DomImage& image : scanned->document.value_or(DomDocument()).images)
                listed << QStringLiteral("%1 %2x%3")
                              .arg(QUrl(image.src).fileName())
                              .arg(image.width)
                              .arg(image.height);
            return listed;
        };
        loader.Load(QUrl(server.url("slow/view.html")), QString());
        QTRY_VERIFY_WITH_TIMEOUT(scanned || !failed.isEmpty(), 30000);
        QVERIFY2(scanned, qPrintable(failed.value(0).value(0).toString()));
        QCOMPARE(sizes(), (QStringList{"late.png 40x30", "big.png 1200x900", "t1.png 40x30"}));
        const auto taken = PictureChoice::Take(*scanned, server.url("slow/view.html"), false, {});
        QVERIFY(taken.size() == 1 && taken.front().address == server.url("slow/big.png"));

        scanned.reset();
        loader.Load(QUrl(server.url("slow/next.html")), QString());
        QTRY_VERIFY_WITH_TIMEOUT(scanned || !failed.isEmpty(), 30000);
        QVERIFY2(scanned, qPrintable(failed.value(0).value(0).toString()));
        QCOMPARE(sizes(), QStringList{"t2.png 40x30"});

        scanned.reset();
        loader.Load(QUrl(server.url("pages/stalled.html")), QString(), 1500);
        QTRY_VERIFY_WITH_TIMEOUT(scanned || !failed.isEmpty(), 30000);
        QVERIFY(!scanned);
        QCOMPARE(failed[0][0].toString(), "timed out");
    }

    // A page's console errors are printed escaped and marked as the page's, so none
    // colours the terminal, names its window or passes for a line of the tool. An
    // address list is read a line at a time: a line too long is told and skipped.
    void pageTextAndListLinesStayInBounds() {
        server.setFile("/pages/console.html",
                       "<script>console.error('\\x1b]0;owned\\x07\\x1b[31mred\\u009b0m"
                       "\\u202e\\nquillmar-harvest: all saved');</script>");
        QTemporaryDir folder;
        QFile list(folder.filePath("list.txt"));
        QVERIFY(list.open(QIODevice::WriteOnly));
        list.write(server.url("pages/console.html").toUtf8() + '\n' + QByteArray(3 << 20, 'x') +
                   '\n' + server.url("pages/albums.html").toUtf8() + '\n');
        list.close();
        const ToolRun run = runHarvestTool({"--input", list.fileName()});
        QCOMPARE(run.exitCode, 1);
        QCOMPARE(run.errors, "quillmar-harvest: " + list.fileName() +
                                 ": line 2 is longer than 2097152 bytes\n"
                                 "page console: \\x1b]0;owned\\x07\\x1b[31mred\\x9b0m"
                                 "\\u{202e}\\x0aquillmar-harvest: all saved\n");
        QVERIFY2(run.output.contains("page " + server.url("pages/albums.html") + "\nimages 5 4\n"),
                 qPrintable(run.output));
    }

    // The folder is made when missing. A rerun fetches nothing that is still in the
    // folder as it was saved, unless told to keep no record; a deleted file is fetched again.
    // One scene at three sizes, one as JPEG and PNG, one twice, and a different
    // picture in the same colours: the best of each is saved, each fetched once.
    void similarKeepsTheBestOfEachGroup() {
        const QByteArray third = encodedAs(drawnScene(13, QSize(300, 225)), "jpeg", 85);
        const QList<QPair<QByteArray, QByteArray>> pictures = {
            {"small.jpg", encodedAs(drawnScene(11, QSize(200, 150)), "jpeg", 60)},
            {"second.jpg", encodedAs(drawnScene(12, QSize(400, 300)), "jpeg", 95)},
            {"third.jpg", third},
            {"different.jpg", encodedAs(drawnScene(14), "jpeg", 85)},
            {"large.jpg", encodedAs(drawnScene(11), "jpeg", 90)},
            {"medium.jpg", encodedAs(drawnScene(11, QSize(400, 300)), "jpeg", 75)},
            {"second.png", encodedAs(drawnScene(12, QSize(400, 300)), "png")},
            {"again.jpg", third}};
        QByteArray page;
        for (int i = 0; i < pictures.size(); ++i) {
            const QByteArray& name = pictures[i].first;
            server.setFile("/alike/" + name, pictures[i].second,
                           name.endsWith(".png") ? "image/png" : "image/jpeg");
            page += i < 4 ? "<img src='" + name + "'>" : "<a href='" + name + "'>" + name + "</a>";
        }
        server.setFile("/alike/index.html", page);
        QTemporaryDir cache;
        const QByteArray userCache = qgetenv("XDG_CACHE_HOME");
        qputenv("XDG_CACHE_HOME", cache.path().toUtf8());
        // Each picture once by the tool (the engine shows the page's images too).
        const auto fetchedByTheTool = [this] {
            QStringList fetched;
            for (const HttpRequest& request : server.requests())
                if (request.headers.value("user-agent") == "Quillmar")
                    fetched << request.path;
            fetched.sort();
            return fetched;
        };
        QStringList expectedFetches;
        for (const auto& picture : pictures)
            expectedFetches << "/alike/" + picture.first;
        expectedFetches.sort();
        QTemporaryDir folder;
        server.clearRequests();
        const ToolRun run = runHarvestTool(
            {"--similar", "--download", folder.path(), server.url("alike/index.html")});
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(QDir(folder.path()).entryList(QDir::Files, QDir::Name),
                 QStringList({"different.jpg", "large.jpg", "second.png", "third.jpg"}));
        for (const char* line :
             {"similar small.jpg: kept large.jpg\n", "similar medium.jpg: kept large.jpg\n",
              "similar second.jpg: kept second.png\n", "similar again.jpg: kept third.jpg\n"})
            QVERIFY2(run.output.contains(line), qPrintable(run.output + run.errors));
        QCOMPARE(fetchedByTheTool(), expectedFetches);

        // The report names the kept picture of each look-alike, from the cache.
        const ToolRun json =
            runHarvestTool({"--similar", "--json", server.url("alike/index.html")});
        qputenv("XDG_CACHE_HOME", userCache);
        const QJsonObject report = QJsonDocument::fromJson(json.output.toUtf8()).object();
        QStringList alike;
        for (const char* list : {"images", "links"})
            for (const QJsonValue& entry : report[list].toArray())
                alike << entry["name"].toString() + ' ' +
                             entry["alikeOf"].toString(QStringLiteral("null")).section('/', -1);
        alike.sort();
        QCOMPARE(alike, QStringList({"again.jpg third.jpg", "different.jpg null", "large.jpg null",
                                     "medium.jpg large.jpg", "second.jpg second.png",
                                     "second.png null", "small.jpg large.jpg", "third.jpg null"}));
        QCOMPARE(fetchedByTheTool(), expectedFetches);
    }

    void rerunsFetchOnlyWhatIsMissing() {
        server.setFile("/record/page.html", "<a href='one.png'>one</a>");
        server.setFile("/record/one.png", "a picture", "image/png");
        QTemporaryDir base;
        const QString folder = base.filePath("new/pictures");
        const QStringList download = {"--download", folder, server.url("record/page.html")};
        const auto fetches = [this](const QStringList& arguments, const QString& output) {
            server.clearRequests();
            const ToolRun run = runHarvestTool(arguments);
            QCOMPARE(run.exitCode, 0);
            QVERIFY2(run.output.startsWith(output), qPrintable(run.output + run.errors));
        };
        fetches(download, "saved one.png\n");
        QCOMPARE(requestsFor(server, "/record/one.png"), 1);
        // Fetched, then found to hold the same bytes as the file there.
        fetches(QStringList(download) << "--no-record", "already saved one.png\n");
        QCOMPARE(requestsFor(server, "/record/one.png"), 1);
        fetches(download, "already saved one.png\nDownload complete: 0 saved, 1 already saved, 0 "
                          "skipped, 0 failed\n");
        QCOMPARE(requestsFor(server, "/record/one.png"), 0);
        QVERIFY(QFile::remove(QDir(folder).filePath("one.png")));
        fetches(download, "saved one.png\n");
        QCOMPARE(requestsFor(server, "/record/one.png"), 1);
    }

    // A file the folder holds under its name, with the size the server announces,
    // is already saved: saved by a run killed before it recorded the file, or
    // by a download without the record. Its body is not fetched again (these
    // answers end after their headers), and no copy "name (2)" is made.
    void rerunsAfterAKillFetchNoBodyAgain() {
        QByteArray page;
        QMap<QString, QByteArray> bodies;
        for (int i = 0; i < 24; ++i) {
            const QString name = QStringLiteral("p%1.png").arg(i, 2, 10, QLatin1Char('0'));
            const QByteArray body = QByteArray(20000, char('A' + i)) + name.toUtf8();
            bodies.insert(name, body);
            server.setRoute("/killed/" + name.toUtf8(), {200, "image/png", body, {}, 4096, 60});
            page += "<a href='" + name.toUtf8() + "'>" + name.toUtf8() + "</a>";
        }
        server.setFile("/killed/page.html", page);
        QTemporaryDir folder;
        const QStringList arguments = {"--download", folder.path(), server.url("killed/page.html")};
        QProcess killed;
        killed.start(QStringLiteral(QUILLMAR_BINARY_DIR "/quillmar-harvest"), arguments);
        const auto saved = [&] { return QDir(folder.path()).entryList({"*.png"}, QDir::Files); };
        QTRY_VERIFY_WITH_TIMEOUT(saved().size() >= 6, 60000);
        killed.kill();
        QVERIFY(killed.waitForFinished(30000));
        QStringList there = saved();
        QVERIFY2(there.size() < bodies.size(), qPrintable(there.join(' ')));
        // And one saved before, without the record.
        const QString before = bodies.lastKey();
        QFile by(folder.filePath(before));
        QVERIFY(by.open(QIODevice::WriteOnly) && by.write(bodies.value(before)) > 0);
        by.close();
        there << before;
        for (auto body = bodies.begin(); body != bodies.end(); ++body) {
            HttpRoute route{200, "image/png", body.value(), {}};
            route.cutAfter = there.contains(body.key()) ? 0 : -1;
            server.setRoute("/killed/" + body.key().toUtf8(), route);
        }

        const ToolRun run = runHarvestTool(arguments);
        QVERIFY2(run.exitCode == 0, qPrintable(run.output + run.errors));
        QVERIFY2(run.output.contains("already saved " + before + "\n"), qPrintable(run.output));
        QCOMPARE(filesIn(folder.path()), QStringList(bodies.keys()));
        for (auto body = bodies.begin(); body != bodies.end(); ++body)
            QVERIFY2(readFile(folder.filePath(body.key())) == body.value(), qPrintable(body.key()));
    }

    // Another program holds the folder's record for longer than a run: the run
    // waits for it once, says so once, and saves every file without it.
    void aRecordHeldByAnotherProgramIsWaitedForOnce() {
        server.setFile("/held/page.html", "<a href='a.png'>a</a><a href='b.png'>b</a>"
                                          "<a href='c.png'>c</a>");
        for (const char* name : {"a", "b", "c"})
            server.setFile(QByteArray("/held/") + name + ".png", name, "image/png");
        QTemporaryDir folder;
        const QString record = DownloadArchive::ForFolder(folder.path())->Path();
        {
            QSqlDatabase holder = QSqlDatabase::addDatabase("QSQLITE", "holder");
            holder.setDatabaseName(record);
            QVERIFY(holder.open());
            QSqlQuery hold(holder);
            QVERIFY(hold.exec("BEGIN IMMEDIATE"));
            QElapsedTimer clock;
            clock.start();
            const ToolRun run =
                runHarvestTool({"--download", folder.path(), server.url("held/page.html")});
            // One wait of a few seconds, not one a picture.
            QVERIFY2(clock.elapsed() < 20000, qPrintable(QString::number(clock.elapsed())));
            QCOMPARE(run.exitCode, 0);
            QCOMPARE(run.errors,
                     "quillmar-harvest: cannot write the record of saved pictures for " +
                         folder.path() + " (database is locked); going on without it\n");
            QCOMPARE(run.output.split('\n').filter(QRegularExpression("^saved ")).size(), 3);
            hold.exec("ROLLBACK");
        }
        QSqlDatabase::removeDatabase("holder");
    }

    // Killed mid-file, the tool leaves the file's first MiB under its partial
    // name; a rerun asks for the rest and the file ends whole, while
    // --no-continue fetches it afresh.
    void aRerunContinuesWhatAKilledRunLeft_data() {
        QTest::addColumn<QStringList>("options");
        QTest::newRow("continued") << QStringList();
        QTest::newRow("afresh") << QStringList({"--no-continue"});
    }
    void aRerunContinuesWhatAKilledRunLeft() {
        QFETCH(QStringList, options);
        QByteArray body(3 << 20, Qt::Uninitialized);
        for (int i = 0; i < body.size(); ++i)
            body[i] = char(i * 31 + i / 4099);
        HttpRoute slow{200, "image/png", body, {{"ETag", "\"k1\""}}, 64 * 1024, 100};
        slow.ranges = true;
        server.setRoute("/pages/big.png", slow);
        server.setFile("/pages/big.html", "<html><a href='big.png'>big</a></html>");
        QTemporaryDir folder;
        const QStringList arguments = {"--download", folder.path(), server.url("pages/big.html")};
        QProcess killed;
        killed.start(QStringLiteral(QUILLMAR_BINARY_DIR "/quillmar-harvest"), arguments);
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(folder.filePath("big.png.part")).size() >= 1 << 20,
                                 60000);
        killed.kill();
        QVERIFY(killed.waitForFinished(30000));
        const qint64 kept = QFileInfo(folder.filePath("big.png.part")).size();
        slow.chunkDelayMs = 0;
        server.setRoute("/pages/big.png", slow);
        server.clearRequests();

        const ToolRun run = runHarvestTool(options + arguments);
        QCOMPARE(run.exitCode, 0);
        QVERIFY(readFile(folder.filePath("big.png")) == body);
        QCOMPARE(filesIn(folder.path()), QStringList({"big.png"}));
        QByteArrayList ranges;
        for (const HttpRequest& request : server.requests())
            if (request.path == "/pages/big.png")
                ranges << request.headers.value("range");
        QCOMPARE(ranges,
                 QByteArrayList({options.isEmpty() ? "bytes=" + QByteArray::number(kept) + '-'
                                                   : QByteArray()}));
    }

    // Signed in in the window, the tool saves the members' pictures with
    // --window-profile alone, each request carrying the session cookie to its
    // own host only; a cookie file's cookies win over the window's, its bad
    // lines told by number.
    void windowLoginsReachMembersPicturesOnTheirOwnHost() {
        LoopbackHttpServer site;
        QVERIFY(site.start());
        site.setSignIn("/signin", "<p>Welcome</p>", "member7");
        const QByteArray picture = readFile(testDataPath("deep/pictures/wide.png"));
        HttpRoute members{200, "text/html", {}, {}};
        members.cookie = "session=member7";
        members.body = "<img src='a.png'><img src='b.png'><img src='http://localhost:" +
                       QByteArray::number(site.port()) + "/elsewhere.png'>";
        site.setRoute("/members.html", members);
        members.contentType = "image/png";
        members.body = picture;
        site.setRoute("/a.png", members);
        site.setRoute("/b.png", members);
        site.setFile("/elsewhere.png", picture, "image/png");
        // The window stays open, signed in a moment ago: its engine has not
        // written the login into its profile yet, the window has published it.
        QObject window;
        BrowserProfile::UsePersistent(&window);
        const auto closeWindow = qScopeGuard([] { BrowserProfile::ClosePersistent(); });
        QWebEnginePage page(BrowserProfile::Current());
        QSignalSpy loaded(&page, &QWebEnginePage::loadFinished);
        page.load(site.url("signin"));
        QVERIFY(loaded.wait(30000));
        const auto published = [] {
            const QDir folder(DataFolder::Path() + "/Window cookies");
            const QStringList files = folder.entryList(QDir::Files);
            return files.size() == 1 && readFile(folder.filePath(files[0])).contains("member7");
        };
        QTRY_VERIFY_WITH_TIMEOUT(published(), 30000);
        const QString gallery = site.url("members.html");

        QTemporaryDir anonymous;
        runHarvestTool({"--download", anonymous.path(), gallery});
        QCOMPARE(filesIn(anonymous.path()), QStringList());

        QTemporaryDir signedIn;
        site.clearRequests();
        const ToolRun run =
            runHarvestTool({"--window-profile", "--download", signedIn.path(), gallery});
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(filesIn(signedIn.path()), QStringList({"a.png", "b.png", "elsewhere.png"}));
        for (const HttpRequest& request : site.requests())
            QCOMPARE(request.headers.value("cookie"),
                     request.path == "/elsewhere.png" ? QByteArray() : "session=member7");

        // In one run of checks, each watch keeps to its own choice of logins.
        QTemporaryDir watched;
        WatchStore watches;
        for (const char* logins : {"without", "with"}) {
            Watch watch;
            watch.address = gallery + "?" + logins;
            watch.folder = watched.filePath(logins);
            watch.choices.windowLogins = logins == QByteArray("with");
            QVERIFY(watches.Put(watch, 0));
        }
        site.clearRequests();
        runHarvestTool({"--check-watches", gallery + "?without", gallery + "?with"});
        QCOMPARE(filesIn(watched.filePath("with")),
                 QStringList({"a.png", "b.png", "elsewhere.png"}));
        QCOMPARE(filesIn(watched.filePath("without")), QStringList());
        for (const HttpRequest& request : site.requests())
            if (request.path.endsWith("?without"))
                QCOMPARE(request.headers.value("cookie"), QByteArray());

        QTemporaryDir withFile;
        const QString cookies = withFile.filePath("cookies.txt");
        QFile file(cookies);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("# Netscape HTTP Cookie File\nnot a cookie\n"
                   "#HttpOnly_127.0.0.1\tFALSE\t/\tFALSE\t0\tsession\tmember9\n");
        file.close();
        site.clearRequests();
        const ToolRun both = runHarvestTool(
            {"--window-profile", "--cookies", cookies, "--download", withFile.path(), gallery});
        QCOMPARE(both.exitCode, 1);
        QVERIFY2(both.errors.contains(cookies + ": line 2: "), qPrintable(both.errors));
        QCOMPARE(site.requests().value(0).headers.value("cookie"), "session=member9");
        QCOMPARE(filesIn(withFile.path()), QStringList({"cookies.txt"}));
    }

    // --wait spaces the requests the tool makes to one site, the page's load
    // and each file, however many transfers may run at once.
    void waitSpacesTheRequestsToOneSite() {
        server.setFile("/pages/spaced.html",
                       "<a href='../deep/pictures/wide.png'>1</a><a href='blue-link.png'>2</a>"
                       "<a href='../deep/pictures/doubled.png'>3</a>");
        server.setFile("/pages/blue-link.png", readFile(testDataPath("deep/pictures/wide.png")),
                       "image/png");
        QTemporaryDir folder;
        server.clearRequests();
        const ToolRun run = runHarvestTool({"--wait", "0.4", "--parallel", "4", "--download",
                                            folder.path(), server.url("pages/spaced.html")});
        QCOMPARE(run.exitCode, 0);
        QList<qint64> times;
        for (const HttpRequest& request : server.requests())
            if (request.path == "/pages/spaced.html" ||
                request.headers.value("user-agent") == "Quillmar")
                times << request.atMs;
        QCOMPARE(times.size(), 4);
        // The page's turn is taken as it is asked for, a little before the engine sends it.
        for (int next = 1; next < times.size(); ++next)
            QVERIFY2(times[next] - times[next - 1] >= (next == 1 ? 250 : 390),
                     qPrintable(QString::number(times[next] - times[next - 1])));
    }

    // The filters leave files out by name, by address and by size, each told
    // with its reason and counted apart from failures; a file too large, by
    // its announced length or by the bytes of an answer that announces none,
    // leaves nothing behind.
    void filtersLeaveFilesOutWithTheirReasons() {
        server.setFile("/pages/filtered.html",
                       "<a href='f/a.png'>a</a><a href='f/Thumb-b.png'>b</a><a href='f/c.jpg'>c</a>"
                       "<a href='../other/d.png'>d</a><a href='f/tiny.png'>e</a>"
                       "<a href='f/big.png'>f</a><a href='f/endless.png'>g</a>");
        server.setRoute("/pages/f/endless.png", {200,
                                                 "image/png",
                                                 QByteArray(64 * 1024, 'x'),
                                                 {{"Transfer-Encoding", "chunked"}},
                                                 1024});
        for (const auto& [name, size] : QList<QPair<QByteArray, int>>{{"f/a.png", 500},
                                                                      {"f/Thumb-b.png", 500},
                                                                      {"f/c.jpg", 500},
                                                                      {"f/tiny.png", 10},
                                                                      {"f/big.png", 5000}})
            server.setFile("/pages/" + name, QByteArray(size, 'x'), "image/png");
        server.setFile("/other/d.png", QByteArray(500, 'x'), "image/png");
        QTemporaryDir folder;
        server.clearRequests();
        const ToolRun run =
            runHarvestTool({"--download", folder.path(), "--reject", "THUMB", "--reject", "zzz",
                            "--reject-regex", "\\.jpg$", "--accept-regex", "/pages/", "--min-bytes",
                            "100", "--max-bytes", "2K", server.url("pages/filtered.html")});
        QCOMPARE(run.exitCode, 0);
        QStringList lines = run.output.split('\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.takeLast(),
                 "Download complete: 1 saved, 0 already saved, 0 skipped, 0 failed, 6 left out");
        lines.sort();
        QCOMPARE(lines, QStringList({"left out Thumb-b.png: its name holds \"THUMB\" (--reject)",
                                     "left out big.png: larger than 2048 bytes",
                                     "left out c.jpg: its address matches --reject-regex",
                                     "left out d.png: its address does not match --accept-regex",
                                     "left out endless.png: larger than 2048 bytes",
                                     "left out tiny.png: smaller than 100 bytes", "saved a.png"}));
        QCOMPARE(filesIn(folder.path()), QStringList({"a.png"}));
        QCOMPARE(requestsFor(server, "/pages/f/c.jpg") + requestsFor(server, "/other/d.png"), 0);
    }

    // Stopped mid-file, the tool cancels the transfer and leaves nothing behind.
    void aSignalEndsTheDownloadCleanly() {
        QTemporaryDir folder;
        QProcess tool;
        tool.start(QStringLiteral(QUILLMAR_BINARY_DIR "/quillmar-harvest"),
                   {"--download", folder.path(), server.url("pages/slow.html")});
        const auto fetching = [this] {
            const QList<HttpRequest> requests = server.requests();
            return std::any_of(requests.begin(), requests.end(), [](const auto& request) {
                return request.path == "/pages/slow.png";
            });
        };
        QTRY_VERIFY_WITH_TIMEOUT(fetching(), 60000);
        QTest::qWait(500); // a part of the file is on its way
        tool.terminate();
        QVERIFY(tool.waitForFinished(30000));
        QCOMPARE(tool.exitCode(), 143);
        QVERIFY(tool.readAllStandardError().endsWith("quillmar-harvest: interrupted\n"));
        QCOMPARE(filesIn(folder.path()), QStringList());
    }
};

QUILLMAR_ENGINE_TEST_MAIN(HarvestToolTest)
#include "tst_harvesttool.moc"
