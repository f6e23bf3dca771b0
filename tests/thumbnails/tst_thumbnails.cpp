#include "downloads/DownloadReport.h"
#include "fetch/DownloadProgressSink.h"
#include "fetch/DownloadTransfer.h"
#include "fetch/DownloadWorker.h"
#include "support/DrawnScene.h"
#include "support/LoopbackHttpServer.h"
#include "support/TestMain.h"
#include "thumbnails/AlikeGroups.h"
#include "thumbnails/CThumbnailsWindow.h"
#include "thumbnails/PictureFetcher.h"
#include "thumbnails/ThumbnailCache.h"
#include "thumbnails/ThumbnailDelegate.h"
#include "thumbnails/ThumbnailFilter.h"
#include "thumbnails/ThumbnailGrid.h"
#include "thumbnails/ThumbnailLoader.h"
#include "thumbnails/ThumbnailMaker.h"
#include "thumbnails/ThumbnailModel.h"
#include "transfer/RefererPolicy.h"

#include <QApplication>
#include <QBuffer>
#include <QCheckBox>
#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QImageWriter>
#include <QLabel>
#include <QListView>
#include <QMainWindow>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QToolBar>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include <cmath>
#include <future>
#include <thread>

using testsupport::drawnScene;
using testsupport::encodedAs;
using testsupport::LoopbackHttpServer;
using testsupport::movingDisc;

namespace {

QByteArray Encoded(const QImage& image, const char* format) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter(&buffer, format).write(image);
    return bytes;
}

QImage Picture(int width, int height, bool transparent = false) {
    QImage image(width, height, transparent ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    image.fill(transparent ? QColor(200, 40, 40, 128) : QColor(40, 120, 200));
    return image;
}

QImage Flat(const QColor& colour) {
    QImage image(400, 300, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

// A symmetric pattern, many of whose low frequencies are about zero.
QImage Rings() {
    QImage image(800, 600, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const int grey = int(128 + 100 * std::cos(std::hypot(x - 400, y - 300) / 9.0));
            image.setPixel(x, y, qRgb(grey, grey, grey));
        }
    return image;
}

// The hues of the pixels at least this saturated turned by degrees; 256 for
// greyscale.
QImage HueTurned(const QImage& image, int degrees, int leastSaturation) {
    QImage turned = image.convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < turned.height(); ++y)
        for (int x = 0; x < turned.width(); ++x) {
            const QColor colour = turned.pixelColor(x, y).toHsv();
            if (leastSaturation > 255)
                turned.setPixel(
                    x, y, qRgb(qGray(colour.rgb()), qGray(colour.rgb()), qGray(colour.rgb())));
            else if (colour.hsvSaturation() >= leastSaturation)
                turned.setPixelColor(x, y,
                                     QColor::fromHsv((std::max(0, colour.hsvHue()) + degrees) % 360,
                                                     colour.hsvSaturation(), colour.value()));
        }
    return turned;
}

QByteArray Gzipped(const QByteArray& text) {
    z_stream stream{};
    deflateInit2(&stream, Z_BEST_COMPRESSION, Z_DEFLATED, MAX_WBITS + 16, 9, Z_DEFAULT_STRATEGY);
    QByteArray packed(int(deflateBound(&stream, uLong(text.size()))), '\0');
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(text.constData()));
    stream.avail_in = uInt(text.size());
    stream.next_out = reinterpret_cast<Bytef*>(packed.data());
    stream.avail_out = uInt(packed.size());
    deflate(&stream, Z_FINISH);
    packed.resize(qsizetype(stream.total_out));
    deflateEnd(&stream);
    return packed;
}

QByteArray Svg(const QByteArray& content, const QByteArray& before = QByteArray()) {
    return before +
           "<svg xmlns='http://www.w3.org/2000/svg' "
           "xmlns:xlink='http://www.w3.org/1999/xlink' width='40' height='40'>" +
           content + "</svg>";
}

// Text that the picture drops as it is read.
QByteArray Comment(int length) {
    return "<!--" + QByteArray(length, ' ') + "-->";
}

QSize DecodedSize(const QByteArray& encoded) {
    return QImage::fromData(encoded).size();
}

DeepEntry Entry(const QString& name, const QString& address, int width = 0, int height = 0) {
    return DeepEntry{name, address, QString(), width, height};
}

// Cells "keep-0.jpg" ... and "other-0.jpg" ..., at a port where nothing answers.
ThumbnailHarvest NamedCells(int kept, int others) {
    ThumbnailHarvest harvest;
    for (int i = 0; i < kept + others; ++i) {
        const QString name = QStringLiteral("%1-%2.jpg").arg(i < kept ? "keep" : "other").arg(i);
        harvest.images.push_back(Entry(name, QStringLiteral("http://127.0.0.1:9/") + name));
    }
    return harvest;
}

// Each file a worker finished: "reason name" for a saved one ("saved" without a reason).
struct FinishedFiles : DownloadProgressSink {
    explicit FinishedFiles(QStringList& lines) : lines(lines) {}
    void AnimationStarted() override {}
    void AnimationStopped() override {}
    void FilesLeft(int) override {}
    void Message(const QString&) override {}
    void FileFinished(int, const QString& name, bool saved, const QString& reason) override {
        lines.append((saved ? (reason.isEmpty() ? "saved" : reason) : "failed: " + reason) + ' ' +
                     name);
    }
    QStringList& lines;
};

bool AllMade(const QAbstractItemModel& model) {
    for (int row = 0; row < model.rowCount(); ++row) {
        if (model.index(row, 0).data(ThumbnailModel::WantedRole).toBool())
            return false;
    }
    return true;
}

QVariant CellData(const CThumbnailsWindow& window, const QString& name, int role) {
    const QAbstractItemModel* model = window.Filter()->sourceModel();
    for (int row = 0; row < model->rowCount(); ++row) {
        if (model->index(row, 0).data().toString() == name)
            return model->index(row, 0).data(role);
    }
    return QVariant();
}

QStringList ShownNames(const CThumbnailsWindow& window) {
    QStringList names;
    for (int row = 0; row < window.Filter()->rowCount(); ++row)
        names.append(window.Filter()->index(row, 0).data().toString());
    return names;
}

} // namespace

class ThumbnailsTest : public QObject {
    Q_OBJECT
private slots:
    void makesSmallCopies_data();
    void makesSmallCopies();
    void svgReadsOnlyItsOwnBytes_data();
    void svgReadsOnlyItsOwnBytes();
    void cacheDropsOldestBeyondCap();
    void stuckLookUpDoesNotHoldExit();
    void fetcherKeepsSlotForViewAndGivesUpSlowPictures();
    void badgeNeverCoversASmallPicture_data();
    void badgeNeverCoversASmallPicture();
    void filtersKeepTheSelection();
    void gridWorksByKeyboard();
    void rescanKeepsThePlace();
    void downloadWritesWhatTheWindowFetched();
    void alikeKeepsToCopies_data();
    void alikeKeepsToCopies();
    void alikeJoinsNoChain();
    void bestOfEachGroup_data();
    void bestOfEachGroup();
    void windowGroupsAlikeAndSelectsTheBest();
    void windowOpensClearOfTheBarsAndTellsDownloads();
    void windowShowsPagePictures();
    void fetchesCellsInViewFirst();
    void cellsInViewDoNotWaitForPicturesBeyondIt();
};

void ThumbnailsTest::makesSmallCopies_data() {
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QString>("type");
    QTest::addColumn<QSize>("natural");
    QTest::addColumn<QSize>("small");
    QTest::addColumn<QString>("note");
    QTest::newRow("jpeg landscape")
        << Encoded(Picture(800, 600), "jpeg") << "JPEG" << QSize(800, 600) << QSize(160, 120) << "";
    QTest::newRow("png portrait, transparent") << Encoded(Picture(100, 400, true), "png") << "PNG"
                                               << QSize(100, 400) << QSize(40, 160) << "";
    // Qt writes no GIF: a 1 x 1 one by hand.
    QTest::newRow("small gif kept")
        << QByteArray("GIF89a\x01\0\x01\0\x80\0\0\xff\xff\xff\0\0\0,\0\0\0\0\x01\0\x01\0\0"
                      "\x02\x02"
                      "D\x01\0;",
                      35)
        << "GIF" << QSize(1, 1) << QSize(1, 1) << "";
    QTest::newRow("webp") << Encoded(Picture(320, 320), "webp") << "WebP" << QSize(320, 320)
                          << QSize(160, 160) << "";
    QTest::newRow("tiff") << Encoded(Picture(480, 160), "tiff") << "TIFF" << QSize(480, 160)
                          << QSize(160, 53) << "";
    QTest::newRow("bmp") << Encoded(Picture(320, 20), "bmp") << "BMP" << QSize(320, 20)
                         << QSize(160, 10) << "";
    QTest::newRow("svg") << QByteArray("<svg xmlns='http://www.w3.org/2000/svg' width='600' "
                                       "height='300'><rect width='600' height='300' "
                                       "fill='red'/></svg>")
                         << "SVG" << QSize(600, 300) << QSize(160, 80) << "";
    QTest::newRow("svgz") << Gzipped(Svg("<rect width='40' height='20' fill='red'/>")) << "SVG"
                          << QSize(40, 40) << QSize(40, 40) << "";
    QTest::newRow("svgz unpacking past the bound")
        << Gzipped(Svg(Comment(5 * 1024 * 1024))) << "SVG" << QSize() << QSize(0, 0)
        << "SVG text larger than 4 MB";
    QTest::newRow("svg past the bound") << Svg(Comment(5 * 1024 * 1024)) << "SVG" << QSize()
                                        << QSize(0, 0) << "SVG text larger than 4 MB";
    QTest::newRow("avif without decoder")
        << QByteArray("\0\0\0\x1c"
                      "ftypavif\0\0\0\0",
                      16)
        << "AVIF" << QSize() << QSize(0, 0) << "no decoder for AVIF";
    QTest::newRow("html") << QByteArray("<html><body>Not found</body></html>") << "" << QSize()
                          << QSize(0, 0) << "not a picture";
    QTest::newRow("cut jpeg") << Encoded(Picture(800, 600), "jpeg").left(20) << "JPEG" << QSize()
                              << QSize(0, 0) << "cannot be decoded";
}

void ThumbnailsTest::makesSmallCopies() {
    QFETCH(QByteArray, data);
    QFETCH(QString, type);
    QFETCH(QSize, natural);
    QFETCH(QSize, small);
    QFETCH(QString, note);
    const Thumbnail made = ThumbnailMaker::Make(data);
    QCOMPARE(made.type, type);
    QVERIFY2(note.isEmpty() ? made.note.isEmpty() : made.note.startsWith(note),
             qPrintable(made.note));
    QCOMPARE(DecodedSize(made.image), small);
    if (!small.isEmpty())
        QCOMPARE(made.size, natural);
    // Transparency survives the small copy.
    if (QTest::currentDataTag() == QLatin1String("png portrait, transparent"))
        QVERIFY(QImage::fromData(made.image).hasAlphaChannel());
}

// A red square on disk named in various ways: the thumbnail never shows it.
// An embedded picture still shows.
void ThumbnailsTest::svgReadsOnlyItsOwnBytes_data() {
    static QTemporaryDir local;
    QImage redSquare(40, 40, QImage::Format_RGB32);
    redSquare.fill(Qt::red);
    QFile picture(local.filePath("red.png"));
    QVERIFY(picture.open(QIODevice::WriteOnly));
    picture.write(Encoded(redSquare, "png"));
    picture.close();
    QFile sheet(local.filePath("red.css"));
    QVERIFY(sheet.open(QIODevice::WriteOnly));
    sheet.write("rect { fill: red; }");
    sheet.close();
    const QByteArray path = QFile::encodeName(picture.fileName());
    const QByteArray image = "<image width='40' height='40' xlink:href='" + path + "'/>";
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<bool>("showsRed");
    QTest::newRow("local path") << Svg(image) << false;
    QTest::newRow("local path after spaces")
        << Svg("<image width='40' height='40' xlink:href='  " + path + "'/>") << false;
    QTest::newRow("local path in an entity")
        << Svg("<image width='40' height='40' xlink:href='&p;'/>",
               "<!DOCTYPE svg [<!ENTITY p '" + path + "'>]>")
        << false;
    QTest::newRow("local style sheet")
        << Svg("<rect width='40' height='40'/>", "<?xml-stylesheet type=\"text/css\" href=\"" +
                                                     QFile::encodeName(sheet.fileName()) + "\"?>")
        << false;
    QTest::newRow("local path in SVG inside data:")
        << Svg("<image width='40' height='40' xlink:href='data:image/svg+xml;base64," +
               Svg(image).toBase64() + "'/>")
        << false;
    QTest::newRow("local path in svgz") << Gzipped(Svg(image)) << false;
    QTest::newRow("embedded picture")
        << Svg("<image width='40' height='40' xlink:href='data:image/png;base64," +
               Encoded(redSquare, "png").toBase64() + "'/>")
        << true;
}

void ThumbnailsTest::svgReadsOnlyItsOwnBytes() {
    QFETCH(QByteArray, data);
    QFETCH(bool, showsRed);
    const Thumbnail made = ThumbnailMaker::Make(data);
    QCOMPARE(made.type, QStringLiteral("SVG"));
    const QColor middle = QImage::fromData(made.image).pixelColor(20, 20);
    QCOMPARE(middle.alpha() == 255 && middle.red() == 255 && middle.green() == 0, showsRed);
}

void ThumbnailsTest::cacheDropsOldestBeyondCap() {
    QTemporaryDir folder;
    const Thumbnail thumbnail = ThumbnailMaker::Make(Encoded(Picture(800, 600), "jpeg"));
    const ThumbnailCache unlimited(folder.path(), ThumbnailCache::DefaultCap);
    const QStringList addresses = {"http://a/1.jpg", "http://a/2.jpg", "http://a/3.jpg"};
    for (const QString& address : addresses)
        unlimited.Store(address, thumbnail);
    const std::optional<Thumbnail> found = unlimited.Find(addresses[0]);
    QVERIFY(found);
    QCOMPARE(found->size, QSize(800, 600));
    QCOMPARE(found->type, QStringLiteral("JPEG"));
    QCOMPARE(found->image, thumbnail.image);
    QCOMPARE(found->bytes, thumbnail.bytes);
    QVERIFY(found->hash.IsValid());
    QCOMPARE(found->hash.ToText(), thumbnail.hash.ToText());
    // The second file is the oldest, the first the newest.
    QDir files(folder.path());
    const QFileInfoList stored = files.entryInfoList(QDir::Files);
    QCOMPARE(stored.size(), 3);
    qint64 fileSize = stored.first().size();
    const QDateTime now = QDateTime::currentDateTime();
    const int ages[] = {0, 300, 100};
    for (int i = 0; i < 3; ++i) {
        unlimited.Store(addresses[i], thumbnail);
        QFile file(files.filePath(files.entryList(QDir::Files, QDir::Time).first()));
        file.open(QIODevice::ReadWrite);
        file.setFileTime(now.addSecs(-ages[i]), QFileDevice::FileModificationTime);
    }
    // A file the cache did not name is not its own, however old.
    QFile foreign(files.filePath("holiday.jpg"));
    QVERIFY(foreign.open(QIODevice::WriteOnly) && foreign.resize(3 * fileSize));
    foreign.setFileTime(now.addSecs(-1000), QFileDevice::FileModificationTime);
    foreign.close();
    ThumbnailCache(folder.path(), 2 * fileSize + 10).Trim();
    QVERIFY(unlimited.Find(addresses[0]));
    QVERIFY(!unlimited.Find(addresses[1]));
    QVERIFY(unlimited.Find(addresses[2]));
    QVERIFY(foreign.exists());

    // A cache folder that is a link, or lies in one, is not used at all.
    QTemporaryDir elsewhere;
    QVERIFY(QFile::link(folder.path(), elsewhere.filePath("linked")));
    const QString hashed = files.entryList({"????????????????????????????????????????"}).first();
    for (const QString& linked :
         {elsewhere.filePath("linked"), elsewhere.filePath("linked/inner")}) {
        const ThumbnailCache cache(linked, 0);
        cache.Store("http://a/4.jpg", thumbnail);
        cache.Trim();
        QVERIFY(!cache.Find("http://a/4.jpg"));
    }
    QVERIFY(!unlimited.Find("http://a/4.jpg"));
    QVERIFY(files.exists(hashed));
    QVERIFY(foreign.exists());
}

// A look-up that never returns (the cache file is a FIFO no one writes to)
// does not keep the loader, and with it the program, from ending.
void ThumbnailsTest::stuckLookUpDoesNotHoldExit() {
    QTemporaryDir folder;
    const QString address = "http://a/stuck.jpg";
    const QString fifo = folder.filePath(QString::fromLatin1(
        QCryptographicHash::hash(address.toUtf8(), QCryptographicHash::Sha1).toHex()));
    QCOMPARE(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    auto* loader = new ThumbnailLoader(ThumbnailCache(folder.path()));
    loader->Want({address}, {});
    // The writer's end opens once the look-up waits on the reading end.
    int writer = -1;
    QTRY_VERIFY(writer >= 0 ||
                (writer = open(QFile::encodeName(fifo).constData(), O_WRONLY | O_NONBLOCK)) >= 0);
    // Should the loader wait for ever, it is let go, so the test fails instead of hanging.
    std::promise<void> ended;
    std::thread rescue([&ended, writer] {
        if (ended.get_future().wait_for(std::chrono::seconds(20)) != std::future_status::ready)
            close(writer);
    });
    QElapsedTimer timer;
    timer.start();
    delete loader;
    const qint64 elapsed = timer.elapsed();
    ended.set_value();
    rescue.join();
    close(writer);
    QVERIFY2(elapsed < 5000, qPrintable(QString::number(elapsed)));
}

// Pictures sent at just above the stall limit: those out of view leave a slot
// free for one in view, and every fetch ends at the time limit.
void ThumbnailsTest::fetcherKeepsSlotForViewAndGivesUpSlowPictures() {
    LoopbackHttpServer server;
    QVERIFY(server.start());
    const testsupport::HttpRoute drip{200, "image/jpeg", QByteArray(2 * 1024 * 1024, 'x'),
                                      {},  200,          100};
    QStringList slow;
    for (int i = 0; i < PictureFetcher::MaxParallel + 1; ++i) {
        slow.append(server.url(QStringLiteral("slow-%1.jpg").arg(i)));
        server.setRoute(QStringLiteral("/slow-%1.jpg").arg(i).toUtf8(), drip);
    }
    const QByteArray picture = Encoded(Picture(20, 20), "jpeg");
    server.setFile("/shown.jpg", picture, "image/jpeg");
    constexpr int TimeLimitSeconds = 3;
    PictureFetcher fetcher(nullptr, TimeLimitSeconds);
    QObject receiver;
    QStringList fetched, reasons;
    connect(&fetcher, &PictureFetcher::Fetched, &receiver,
            [&fetched](const QString& address) { fetched.append(address); });
    connect(&fetcher, &PictureFetcher::Failed, &receiver,
            [&reasons](const QString&, const QString& reason) { reasons.append(reason); });
    QElapsedTimer timer;
    timer.start();
    fetcher.Queue(slow, {});
    QTRY_COMPARE(server.requests().size(), PictureFetcher::MaxParallel - 1);
    fetcher.Queue(QStringList(server.url("shown.jpg")) + slow, {server.url("shown.jpg")});
    QTRY_COMPARE(fetched, QStringList(server.url("shown.jpg")));
    QCOMPARE(server.requests().at(PictureFetcher::MaxParallel - 1).path, QByteArray("/shown.jpg"));
    QTRY_VERIFY_WITH_TIMEOUT(reasons.size() >= PictureFetcher::MaxParallel - 1, 15000);
    QVERIFY(timer.elapsed() >= TimeLimitSeconds * 1000);
    QCOMPARE(reasons.first(), QStringLiteral("not fetched in %1 seconds").arg(TimeLimitSeconds));
}

// Pictures of a page served on loopback, through the real window: the
// fetched sizes and the reasons of failures show in the cells, the filters
// hide the right cells, the selection goes both ways, and a second window
// takes the thumbnails from the disk cache.
void ThumbnailsTest::windowShowsPagePictures() {
    QTemporaryDir served;
    const auto put = [&served](const QString& name, const QByteArray& body) {
        QFile file(served.filePath(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(body);
    };
    put("photo.jpg", Encoded(Picture(800, 600), "jpeg"));
    put("icon.png", Encoded(Picture(40, 30, true), "png"));
    put("wide.webp", Encoded(Picture(1200, 300), "webp"));
    QFile huge(served.filePath("huge.jpg"));
    QVERIFY(huge.open(QIODevice::WriteOnly) && huge.resize(26 * 1024 * 1024));
    huge.close();
    LoopbackHttpServer server;
    QVERIFY(server.start());
    server.serveDirectory(served.path());

    ThumbnailHarvest harvest;
    harvest.rules.Page = QUrl(server.url("gallery/index.html#top"));
    harvest.rules.CookieLines = {"127.0.0.1\tFALSE\t/\tFALSE\t0\tsession\tabc"};
    harvest.images = {Entry("photo.jpg", server.url("photo.jpg")),
                      Entry("icon.png", server.url("icon.png")),
                      Entry("gone.jpg", server.url("gone.jpg"), 640, 480)};
    harvest.links = {
        Entry("photo.jpg", server.url("photo.jpg")), Entry("wide.webp", server.url("wide.webp")),
        Entry("huge.jpg", server.url("huge.jpg")), Entry("clip.mp4", server.url("clip.mp4")),
        Entry("local.jpg", QUrl::fromLocalFile(served.filePath("photo.jpg")).toString())};

    CThumbnailsWindow window;
    window.show();
    window.SetHarvest(harvest);
    QTRY_VERIFY_WITH_TIMEOUT(AllMade(*window.Filter()), 30000);
    QCOMPARE(window.Filter()->rowCount(), 7); // photo.jpg is in both lists: one cell
    QCOMPARE(CellData(window, "photo.jpg", ThumbnailModel::SizeRole).toSize(), QSize(800, 600));
    QCOMPARE(CellData(window, "wide.webp", ThumbnailModel::SizeRole).toSize(), QSize(1200, 300));
    QCOMPARE(DecodedSize(CellData(window, "wide.webp", ThumbnailModel::ImageRole).toByteArray()),
             QSize(160, 40));
    QCOMPARE(CellData(window, "icon.png", Qt::AccessibleTextRole).toString(),
             QStringLiteral("icon.png, 40 x 30, PNG"));
    QCOMPARE(CellData(window, "gone.jpg", ThumbnailModel::NoteRole).toString(),
             QStringLiteral("server answered 404"));
    // What the scan knew stays where the picture could not be read.
    QCOMPARE(CellData(window, "gone.jpg", ThumbnailModel::SizeRole).toSize(), QSize(640, 480));
    QCOMPARE(CellData(window, "huge.jpg", ThumbnailModel::NoteRole).toString(),
             QStringLiteral("larger than 25 MB, not fetched"));
    QCOMPARE(CellData(window, "clip.mp4", ThumbnailModel::TypeRole).toString(),
             QStringLiteral("video"));
    QCOMPARE(CellData(window, "local.jpg", ThumbnailModel::NoteRole).toString(),
             QStringLiteral("not allowed from this page"));
    QStringList fetched;
    for (const auto& request : server.requests()) {
        fetched.append(QString::fromUtf8(request.path));
        QCOMPARE(request.headers.value("referer"),
                 QByteArray(server.url("gallery/index.html").toUtf8()));
        QCOMPARE(request.headers.value("cookie"), QByteArray("session=abc"));
    }
    fetched.sort();
    QCOMPARE(fetched,
             QStringList({"/gone.jpg", "/huge.jpg", "/icon.png", "/photo.jpg", "/wide.webp"}));

    // Filters: size (unknown sizes stay), types, name, lists; then the order by size.
    window.SetMinimumSize(QSize(100, 100));
    QCOMPARE(ShownNames(window), QStringList({"photo.jpg", "gone.jpg", "wide.webp", "huge.jpg",
                                              "clip.mp4", "local.jpg"}));
    window.Filter()->SetTypeShown(ThumbnailMaker::Video, false);
    window.Filter()->SetNameText("O");
    QCOMPARE(ShownNames(window), QStringList({"photo.jpg", "gone.jpg", "local.jpg"}));
    window.Filter()->SetNameText(QString());
    window.Filter()->SetLists(ThumbnailFilter::Lists::Images);
    QCOMPARE(ShownNames(window), QStringList({"photo.jpg", "gone.jpg"}));
    window.Filter()->SetLists(ThumbnailFilter::Lists::Both);
    window.Filter()->SetOrder(ThumbnailFilter::Order::Size);
    QCOMPARE(ShownNames(window).mid(0, 3), QStringList({"photo.jpg", "wide.webp", "gone.jpg"}));

    // One selection: from outside without an echo, a hidden cell kept; Ctrl+A adds the shown cells.
    QSignalSpy selected(&window, &CThumbnailsWindow::SelectionChanged);
    window.SelectAddresses({server.url("icon.png"), server.url("wide.webp")});
    QCOMPARE(window.SelectedAddresses(), QStringList({server.url("wide.webp")}));
    QCOMPARE(selected.count(), 0);
    window.View()->setFocus();
    QTest::keyClick(window.View(), Qt::Key_A, Qt::ControlModifier);
    QCOMPARE(selected.count(), 1);
    QCOMPARE(selected.last().first().toStringList().size(), 6);
    QCOMPARE(window.SelectedAddresses().size(), 5);
    QSignalSpy downloads(&window, &CThumbnailsWindow::DownloadRequested);
    window.SetMinimumSize(QSize(1000, 100));
    QTest::mouseClick(window.findChild<QPushButton*>(), Qt::LeftButton);
    QCOMPARE(downloads.count(), 1);
    QVERIFY(!downloads.last().first().toStringList().contains(server.url("photo.jpg")));
    QVERIFY(downloads.last().first().toStringList().contains(server.url("wide.webp")));

    // Keyboard: Space toggles the current cell, Enter opens it.
    window.SetMinimumSize(QSize());
    window.View()->setCurrentIndex(window.Filter()->index(0, 0));
    window.SelectAddresses({});
    QTest::keyClick(window.View(), Qt::Key_Space);
    QCOMPARE(window.SelectedAddresses(), QStringList({server.url("photo.jpg")}));
    QTest::keyClick(window.View(), Qt::Key_Space);
    QCOMPARE(window.SelectedAddresses(), QStringList());
    QSignalSpy opened(&window, &CThumbnailsWindow::OpenRequested);
    QTest::keyClick(window.View(), Qt::Key_Return);
    QCOMPARE(opened.count(), 1);
    QCOMPARE(opened.last().first().toString(), server.url("photo.jpg"));

    // A second window has the pictures it made from the disk cache.
    server.clearRequests();
    CThumbnailsWindow again;
    again.show();
    again.SetHarvest(harvest);
    QTRY_VERIFY_WITH_TIMEOUT(AllMade(*again.Filter()), 30000);
    QCOMPARE(CellData(again, "photo.jpg", ThumbnailModel::SizeRole).toSize(), QSize(800, 600));
    QStringList refetched;
    for (const auto& request : server.requests())
        refetched.append(QString::fromUtf8(request.path));
    refetched.sort();
    QCOMPARE(refetched, QStringList({"/gone.jpg", "/huge.jpg"}));
}

// Slow answers keep the order of requests visible: once the grid is scrolled
// to its end, the cells there are fetched before those it passed over.
void ThumbnailsTest::fetchesCellsInViewFirst() {
    LoopbackHttpServer server;
    QVERIFY(server.start());
    const QByteArray picture = Encoded(Picture(200, 150), "jpeg");
    ThumbnailHarvest harvest;
    constexpr int Count = 32;
    for (int i = 0; i < Count; ++i) {
        const QString name = QStringLiteral("slow-%1.jpg").arg(i);
        server.setRoute(name.toUtf8().prepend('/'),
                        {200, "image/jpeg", picture, {}, int(picture.size() / 2 + 1), 150});
        harvest.images.push_back(Entry(name, server.url(name)));
    }
    CThumbnailsWindow window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    window.SetHarvest(harvest);
    const QScrollBar* scrollBar = window.View()->verticalScrollBar();
    QTRY_VERIFY(scrollBar->maximum() > 0);
    window.View()->scrollToBottom();
    QCOMPARE(scrollBar->value(), scrollBar->maximum());
    QTRY_VERIFY_WITH_TIMEOUT(AllMade(*window.Filter()), 30000);
    QStringList order;
    for (const auto& request : server.requests())
        order.append(QString::fromUtf8(request.path));
    QCOMPARE(order.size(), Count);
    const QString last = QStringLiteral("/slow-%1.jpg").arg(Count - 1);
    const QString passed = QStringLiteral("/slow-%1.jpg").arg(Count / 4);
    QVERIFY2(order.indexOf(last) < order.indexOf(passed), qPrintable(order.join(' ')));
}

// Below the first screenful, pictures arrive at just above the stall limit
// and are fetched ahead of scrolling; once the grid is scrolled past them, the
// cells in view are made at once.
void ThumbnailsTest::cellsInViewDoNotWaitForPicturesBeyondIt() {
    LoopbackHttpServer server;
    QVERIFY(server.start());
    const QByteArray picture = Encoded(Picture(200, 150), "jpeg");
    ThumbnailHarvest harvest;
    constexpr int FirstSlow = 12;
    constexpr int Count = 48;
    for (int i = 0; i < Count; ++i) {
        const QString name = QStringLiteral("%1.jpg").arg(i);
        const bool slow = i >= FirstSlow && i < 2 * FirstSlow;
        server.setRoute(name.toUtf8().prepend('/'),
                        {200,
                         "image/jpeg",
                         slow ? QByteArray(2 * 1024 * 1024, 'x') : picture,
                         {},
                         slow ? 200 : 0,
                         slow ? 100 : 0});
        harvest.images.push_back(Entry(name, server.url(name)));
    }
    CThumbnailsWindow window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    window.SetHarvest(harvest);
    const auto slowRequests = [&server] {
        int started = 0;
        for (const auto& request : server.requests())
            started += request.path.mid(1).split('.').first().toInt() >= FirstSlow;
        return started;
    };
    QTRY_VERIFY(slowRequests() >= PictureFetcher::MaxParallel - 1);
    window.View()->scrollToBottom();
    const QString last = QStringLiteral("%1.jpg").arg(Count - 1);
    QTRY_VERIFY_WITH_TIMEOUT(CellData(window, last, ThumbnailModel::SizeRole).toSize().isValid(),
                             PictureFetcher::MaxSeconds * 1000 * 3);
    QCOMPARE(CellData(window, last, ThumbnailModel::SizeRole).toSize(), QSize(200, 150));
    // The slow pictures never end on their own: had the last cell waited for a
    // slot, they would have been given up before it came.
    for (int i = FirstSlow; i < 2 * FirstSlow; ++i)
        QCOMPARE(
            CellData(window, QStringLiteral("%1.jpg").arg(i), ThumbnailModel::NoteRole).toString(),
            QString());
}

void ThumbnailsTest::badgeNeverCoversASmallPicture_data() {
    QTest::addColumn<QSize>("picture");
    QTest::addRow("large") << QSize(160, 120);
    QTest::addRow("tiny") << QSize(8, 8);
    QTest::addRow("tall and narrow") << QSize(6, 160);
    QTest::addRow("wide and low") << QSize(160, 9);
    QTest::addRow("just narrower than the badge") << QSize(41, 160);
}

void ThumbnailsTest::badgeNeverCoversASmallPicture() {
    QFETCH(QSize, picture);
    const QRect box(10, 20, 160, 160);
    QRect drawn(QPoint(), picture);
    drawn.moveCenter(box.center());
    const QSize badge(40, 14);
    const QRect placed = ThumbnailDelegate::BadgeRect(box, drawn, badge);
    QCOMPARE(placed.size(), badge);
    QVERIFY(box.contains(placed));
    const bool fits = picture.width() >= 44 && picture.height() >= 18;
    QCOMPARE(drawn.contains(placed), fits);
    QCOMPARE(drawn.intersects(placed), fits);
}

// Hidden cells keep their selection and come back selected; only the shown
// ones are downloaded, and the count says how many more are selected.
void ThumbnailsTest::filtersKeepTheSelection() {
    CThumbnailsWindow window;
    window.SetHarvest(NamedCells(8, 12));
    QSignalSpy selected(&window, &CThumbnailsWindow::SelectionChanged);
    window.View()->selectAll();
    QCOMPARE(window.AllSelectedAddresses().size(), 20);
    window.Filter()->SetNameText("keep");
    QCOMPARE(window.SelectedAddresses().size(), 8);
    QCOMPARE(window.AllSelectedAddresses().size(), 20);
    QCOMPARE(selected.last().first().toStringList().size(), 20);
    const auto* counts = window.findChild<QLabel*>("counts");
    QVERIFY(counts);
    QCOMPARE(counts->text(),
             QString("8 of 20 pictures shown, 8 selected, 12 more selected but hidden"));
    QSignalSpy downloads(&window, &CThumbnailsWindow::DownloadRequested);
    window.findChild<QPushButton*>()->click();
    QCOMPARE(downloads.last().first().toStringList(), window.SelectedAddresses());

    // The user deselects a shown cell; the hidden ones stay selected.
    const QModelIndex first = window.Filter()->index(0, 0);
    const QString deselected = first.data(ThumbnailModel::AddressRole).toString();
    window.View()->selectionModel()->select(first, QItemSelectionModel::Deselect);
    QCOMPARE(selected.last().first().toStringList().size(), 19);
    window.Filter()->SetNameText(QString());
    QCOMPARE(window.SelectedAddresses().size(), 19);
    QVERIFY(!window.SelectedAddresses().contains(deselected));
    QCOMPARE(counts->text(), QString("20 of 20 pictures shown, 19 selected"));
}

// Arrows move the current cell, Space toggles it; Tab reaches the button;
// Escape closes the window.
void ThumbnailsTest::gridWorksByKeyboard() {
    CThumbnailsWindow window;
    window.SetHarvest(NamedCells(6, 0));
    window.show();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    window.View()->setFocus();
    window.View()->setCurrentIndex(window.Filter()->index(0, 0));
    window.SelectAddresses({});
    QTest::keyClick(window.View(), Qt::Key_Right);
    QTest::keyClick(window.View(), Qt::Key_Right);
    QCOMPARE(window.SelectedAddresses(), QStringList());
    QTest::keyClick(window.View(), Qt::Key_Space);
    QTest::keyClick(window.View(), Qt::Key_Left);
    QTest::keyClick(window.View(), Qt::Key_Space);
    QCOMPARE(window.SelectedAddresses(),
             QStringList({"http://127.0.0.1:9/keep-1.jpg", "http://127.0.0.1:9/keep-2.jpg"}));
    QTest::keyClick(window.View(), Qt::Key_Right, Qt::ShiftModifier);
    QCOMPARE(window.SelectedAddresses().size(), 2);
    QTest::keyClick(window.View(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), window.findChild<QPushButton*>());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    QTRY_VERIFY(!window.isVisible());
}

// A rescan that lists a further picture keeps the current cell, and the cell
// at the top of the view where it was, though the cells move along a column.
void ThumbnailsTest::rescanKeepsThePlace() {
    CThumbnailsWindow window;
    ThumbnailHarvest harvest = NamedCells(0, 80);
    window.SetHarvest(harvest);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QScrollBar* scrollBar = window.View()->verticalScrollBar();
    QTRY_VERIFY(scrollBar->maximum() > 0);
    const QModelIndex current = window.Filter()->index(50, 0);
    const QString currentName = current.data().toString();
    window.View()->setCurrentIndex(current);
    window.View()->scrollTo(current, QAbstractItemView::PositionAtCenter);
    const QModelIndex topLeft = window.View()->indexAt(QPoint(10, 10));
    QVERIFY(topLeft.isValid());
    const QString top = topLeft.data().toString();
    const int topOffset = window.View()->visualRect(topLeft).top();
    QVERIFY(scrollBar->value() > 0);

    harvest.images.insert(harvest.images.begin(), Entry("new.jpg", "http://127.0.0.1:9/new.jpg"));
    window.SetHarvest(harvest);
    QCOMPARE(window.View()->currentIndex().data().toString(), currentName);
    const QModelIndex wasAtTop = window.Filter()->index(ShownNames(window).indexOf(top), 0);
    QCOMPARE(window.View()->visualRect(wasAtTop).top(), topOffset);
}

// A picture the window fetched whole is written from those bytes, under the
// usual names and never over a file; one it got only part of is fetched again.
void ThumbnailsTest::downloadWritesWhatTheWindowFetched() {
    LoopbackHttpServer server;
    QVERIFY(server.start());
    const QByteArray photo = Encoded(Picture(300, 200), "jpeg");
    const QByteArray drawing = Encoded(Picture(50, 40), "png");
    server.setFile("/photo.jpg", photo, "image/jpeg");
    server.setFile("/drawing", drawing, "image/png");
    server.setRoutes("/cut.jpg", {{200, "image/jpeg", photo, {}, 0, 0, photo.size() / 2},
                                  {200, "image/jpeg", photo, {}}});
    ThumbnailHarvest harvest;
    harvest.rules.Page = QUrl(server.url("index.html"));
    for (const QString name : {"photo.jpg", "drawing", "cut.jpg"})
        harvest.images.push_back(Entry(name, server.url(name)));
    CThumbnailsWindow window;
    window.show();
    window.SetHarvest(harvest);
    QTRY_VERIFY_WITH_TIMEOUT(AllMade(*window.Filter()), 30000);

    QTemporaryDir folder;
    QFile before(folder.filePath("photo.jpg"));
    QVERIFY(before.open(QIODevice::WriteOnly) && before.write("another picture") > 0);
    before.close();
    DownloadJob job;
    job.Rules = harvest.rules;
    for (const DeepEntry& entry : harvest.images)
        job.Add(folder.path(), entry.name, entry.address);
    QStringList finished;
    DownloadWorker(job, std::make_unique<FinishedFiles>(finished)).Run();
    const QString held = DownloadTransfer::HeldReason();
    QCOMPARE(finished,
             QStringList({held + " photo (2).jpg", held + " drawing.png", "saved cut.jpg"}));
    QStringList paths;
    for (const auto& request : server.requests())
        paths.append(QString::fromUtf8(request.path));
    paths.sort();
    QCOMPARE(paths, QStringList({"/cut.jpg", "/cut.jpg", "/drawing", "/photo.jpg"}));
    const auto bytesOf = [&folder](const QString& name) {
        QFile file(folder.filePath(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    };
    QCOMPARE(bytesOf("photo.jpg"), QByteArray("another picture"));
    QCOMPARE(bytesOf("photo (2).jpg"), photo);
    QCOMPARE(bytesOf("drawing.png"), drawing);
    QCOMPARE(bytesOf("cut.jpg"), photo);

    // Listed on another page, the picture goes with another Referer, which
    // its server may answer otherwise: it is fetched.
    QTemporaryDir elsewhere;
    DownloadJob other;
    other.Rules = harvest.rules;
    other.Rules.Page = QUrl(server.url("other.html"));
    other.Add(elsewhere.path(), "photo.jpg", server.url("photo.jpg"));
    server.clearRequests();
    finished.clear();
    DownloadWorker(other, std::make_unique<FinishedFiles>(finished)).Run();
    QCOMPARE(finished, QStringList({"saved photo.jpg"}));
    QCOMPARE(server.requests().size(), 1);
    QCOMPARE(server.requests()[0].headers.value("referer"), server.url("other.html").toUtf8());
}

QUILLMAR_TEST_MAIN(ThumbnailsTest)
// Copies of one picture resized, re-encoded and trimmed look alike; different
// scenes in the same colours, the same scene in other colours, and plain
// pictures of different colours do not.
void ThumbnailsTest::alikeKeepsToCopies_data() {
    QTest::addColumn<QByteArray>("one");
    QTest::addColumn<QByteArray>("other");
    QTest::addColumn<bool>("alike");
    const QImage scene = drawnScene(1);
    const QByteArray original = encodedAs(scene, "png");
    for (int percent : {25, 100})
        QTest::addRow("%d%% as JPEG 60", percent)
            << original << encodedAs(drawnScene(1, QSize(8 * percent, 6 * percent)), "jpeg", 60)
            << true;
    QTest::newRow("half as WebP") << original << encodedAs(drawnScene(1, QSize(400, 300)), "webp")
                                  << true;
    QTest::newRow("trimmed 6 px") << original << encodedAs(scene.copy(6, 6, 788, 588), "jpeg", 85)
                                  << true;
    QTest::newRow("rings as JPEG 80")
        << encodedAs(Rings(), "png") << encodedAs(Rings(), "jpeg", 80) << true;
    QTest::newRow("flat, as JPEG")
        << encodedAs(Flat(QColor::fromHsl(120, 190, 128)), "png")
        << encodedAs(Flat(QColor::fromHsl(120, 190, 128)), "jpeg", 85) << true;
    QTest::newRow("another scene, same colours")
        << original << encodedAs(drawnScene(2), "jpeg", 85) << false;
    for (int degrees : {40, 180})
        QTest::addRow("hues turned %d", degrees)
            << original << encodedAs(HueTurned(scene, degrees, 0), "png") << false;
    QTest::newRow("only the yellow turned blue")
        << original << encodedAs(HueTurned(scene, 180, 120), "jpeg", 90) << false;
    QTest::newRow("greyscale") << original << encodedAs(HueTurned(scene, 0, 256), "png") << false;
    for (const auto& [one, other] : {std::pair{60, 90}, {60, 180}, {0, 330}})
        QTest::addRow("flat hues %d and %d", one, other)
            << encodedAs(Flat(QColor::fromHsl(one, 190, 128)), "png")
            << encodedAs(Flat(QColor::fromHsl(other, 190, 128)), "png") << false;
    QTest::newRow("flat and a scene of its mean colour")
        << encodedAs(Flat(scene.scaled(1, 1, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                              .pixelColor(0, 0)),
                     "png")
        << original << false;
}

void ThumbnailsTest::alikeKeepsToCopies() {
    QFETCH(QByteArray, one);
    QFETCH(QByteArray, other);
    QFETCH(bool, alike);
    const PerceptualHash oneHash = ThumbnailMaker::Make(one).hash;
    const PerceptualHash otherHash = ThumbnailMaker::Make(other).hash;
    QCOMPARE(oneHash.IsAlike(otherHash), alike);
    QCOMPARE(otherHash.IsAlike(oneHash), alike);
    // What the cache keeps compares as what was made.
    QCOMPARE(PerceptualHash::FromText(oneHash.ToText()).IsAlike(otherHash), alike);
}

// Frames of a disc moving a little at a time: each is alike to the next, but
// not to a frame far along. Each frame left out is alike to the one kept in
// its place, so the frames are not all one group.
void ThumbnailsTest::alikeJoinsNoChain() {
    std::vector<AlikeGroups::Picture> frames;
    for (int frame = 0; frame < 32; ++frame) {
        const QByteArray bytes = encodedAs(movingDisc(frame), "png");
        frames.push_back({ThumbnailMaker::Make(bytes).hash, QSize(320, 240), "PNG", 1000});
    }
    QVERIFY(frames[0].hash.IsAlike(frames[1].hash));
    QVERIFY(!frames[0].hash.IsAlike(frames[31].hash));
    const AlikeGroups groups(frames);
    QSet<int> kept;
    for (int frame = 0; frame < 32; ++frame) {
        const int best = groups.BestOf(frame);
        kept.insert(best);
        QVERIFY2(frames[size_t(frame)].hash.IsAlike(frames[size_t(best)].hash),
                 qPrintable(QStringLiteral("frame %1 left out for %2").arg(frame).arg(best)));
    }
    QVERIFY(kept.size() > 2 && kept.size() < 32);
}

// Of two alike pictures the better is the best of their group; a third,
// different one stands alone.
void ThumbnailsTest::bestOfEachGroup_data() {
    QTest::addColumn<QSize>("oneSize");
    QTest::addColumn<QString>("oneType");
    QTest::addColumn<qint64>("oneBytes");
    QTest::addColumn<QSize>("otherSize");
    QTest::addColumn<QString>("otherType");
    QTest::addColumn<qint64>("otherBytes");
    QTest::addColumn<bool>("oneIsBest");
    QTest::newRow("more pixels, though JPEG and smaller")
        << QSize(800, 600) << "JPEG" << qint64(100) << QSize(400, 300) << "PNG" << qint64(9000)
        << true;
    QTest::newRow("more pixels, though narrower")
        << QSize(600, 600) << "JPEG" << qint64(100) << QSize(800, 400) << "JPEG" << qint64(100)
        << true;
    QTest::newRow("same size: PNG, though smaller")
        << QSize(800, 600) << "JPEG" << qint64(9000) << QSize(800, 600) << "PNG" << qint64(100)
        << false;
    QTest::newRow("same size, lossy both: larger file")
        << QSize(800, 600) << "WebP" << qint64(100) << QSize(800, 600) << "JPEG" << qint64(200)
        << false;
    QTest::newRow("unknown size loses")
        << QSize() << "PNG" << qint64(9000) << QSize(10, 10) << "GIF" << qint64(10) << false;
    QTest::newRow("all equal: the first")
        << QSize(80, 60) << "PNG" << qint64(10) << QSize(80, 60) << "PNG" << qint64(10) << true;
}

void ThumbnailsTest::bestOfEachGroup() {
    QFETCH(QSize, oneSize);
    QFETCH(QString, oneType);
    QFETCH(qint64, oneBytes);
    QFETCH(QSize, otherSize);
    QFETCH(QString, otherType);
    QFETCH(qint64, otherBytes);
    QFETCH(bool, oneIsBest);
    const PerceptualHash scene = ThumbnailMaker::Make(encodedAs(drawnScene(1), "png")).hash;
    const PerceptualHash copy =
        ThumbnailMaker::Make(encodedAs(drawnScene(1, QSize(200, 150)), "jpeg", 70)).hash;
    const PerceptualHash different = ThumbnailMaker::Make(encodedAs(drawnScene(2), "png")).hash;
    const AlikeGroups groups({{scene, oneSize, oneType, oneBytes},
                              {different, QSize(900, 900), "PNG", 1},
                              {copy, otherSize, otherType, otherBytes}});
    const int best = oneIsBest ? 0 : 2;
    QCOMPARE(groups.BestOf(0), best);
    QCOMPARE(groups.BestOf(2), best);
    QCOMPARE(groups.BestOf(1), 1);
    QVERIFY(groups.IsGrouped(0) && groups.IsGrouped(2) && !groups.IsGrouped(1));
}

// Grouped, the look-alikes stand where their best stands, the best first, in
// one frame where they wrap onto the next line; the same scene in other
// colours is not one of them. The command selects the best of each group and
// a picture alike to none, and tells the owner.
void ThumbnailsTest::windowGroupsAlikeAndSelectsTheBest() {
    LoopbackHttpServer server;
    QVERIFY(server.start());
    const QList<QPair<QString, QByteArray>> pictures = {
        {"blue.jpg", encodedAs(HueTurned(drawnScene(1), 150, 0), "jpeg", 80)},
        {"small.jpg", encodedAs(drawnScene(1, QSize(200, 150)), "jpeg", 80)},
        {"other.jpg", encodedAs(drawnScene(3), "jpeg", 80)},
        {"two.jpg", encodedAs(drawnScene(2, QSize(400, 300)), "jpeg", 80)},
        {"big.jpg", encodedAs(drawnScene(1), "jpeg", 80)},
        {"two.png", encodedAs(drawnScene(2, QSize(400, 300)), "png")}};
    ThumbnailHarvest harvest;
    for (const auto& [name, bytes] : pictures) {
        server.setFile("/" + name.toUtf8(), bytes, "image/jpeg");
        harvest.images.push_back(Entry(name, server.url(name)));
    }
    CThumbnailsWindow window;
    window.show();
    window.SetHarvest(harvest);
    QTRY_VERIFY_WITH_TIMEOUT(AllMade(*window.Filter()), 30000);
    window.findChild<QCheckBox*>("groupAlike")->setChecked(true);
    QTRY_COMPARE(ShownNames(window), QStringList({"blue.jpg", "other.jpg", "big.jpg", "small.jpg",
                                                  "two.png", "two.jpg"}));
    // Five cells a line: the second group wraps.
    const auto cellAt = [&window](int row) {
        return window.View()->visualRect(window.Filter()->index(row, 0));
    };
    const int cell = cellAt(1).left() - cellAt(0).left();
    window.resize(window.width() - window.View()->width() + 5 * cell + cell / 2, window.height());
    QTRY_VERIFY(cellAt(5).top() > cellAt(4).top() && cellAt(4).top() == cellAt(0).top());
    QCOMPARE(window.findChild<ThumbnailGrid*>()->GroupFrames().size(), 2);
    QSignalSpy selected(&window, &CThumbnailsWindow::SelectionChanged);
    window.findChild<QPushButton*>("selectBest")->click();
    const QStringList best = {server.url("blue.jpg"), server.url("other.jpg"),
                              server.url("big.jpg"), server.url("two.png")};
    QCOMPARE(selected.size(), 1);
    QCOMPARE(selected.last().first().toStringList(), best);
    QCOMPARE(window.SelectedAddresses().size(), 4);
    window.findChild<QCheckBox*>("groupAlike")->setChecked(false);
    QCOMPARE(ShownNames(window),
             QStringList({"blue.jpg", "small.jpg", "other.jpg", "two.jpg", "big.jpg", "two.png"}));
    QCOMPARE(window.AllSelectedAddresses(), best);
}

// Over a main window that fills the screen, the window opens in its free
// area, leaving its bars and status bar in sight, and its own line tells
// what came of Download Selected.
void ThumbnailsTest::windowOpensClearOfTheBarsAndTellsDownloads() {
    QMainWindow owner;
    owner.addToolBar(QStringLiteral("bar"))->addAction(QStringLiteral("Go"));
    owner.setCentralWidget(new QWidget(&owner));
    owner.statusBar()->showMessage(QStringLiteral("Ready"));
    owner.setGeometry(owner.screen()->availableGeometry());
    owner.show();
    QVERIFY(QTest::qWaitForWindowExposed(&owner));
    CThumbnailsWindow window(&owner);
    DownloadReport report;
    window.SetDownloadReport(&report);
    window.SetHarvest(NamedCells(2, 0));
    window.show();
    const QRect free(owner.centralWidget()->mapToGlobal(QPoint(0, 0)),
                     owner.centralWidget()->size());
    QVERIFY2(free.contains(window.frameGeometry()),
             qPrintable(QStringLiteral("at %1,%2 %3x%4")
                            .arg(window.frameGeometry().x())
                            .arg(window.frameGeometry().y())
                            .arg(window.frameGeometry().width())
                            .arg(window.frameGeometry().height())));
    int job = 0;
    connect(&window, &CThumbnailsWindow::DownloadRequested, &report,
            [&](const QStringList& addresses) {
                DownloadJob started;
                for (const QString& address : addresses) {
                    DownloadEntry entry;
                    entry.Source = address;
                    entry.Name = address.section('/', -1);
                    entry.Destination = "/tmp/pictures/" + entry.Name;
                    started.Entries.append(entry);
                }
                job = report.AddJob(QStringLiteral("/tmp/pictures"), started);
            });
    const auto feedback = [&window] { return window.findChild<QLabel*>("feedback")->text(); };
    window.View()->selectAll();
    window.findChild<QPushButton*>()->click();
    QVERIFY2(feedback().contains("2") && feedback().contains("/tmp/pictures"),
             qPrintable(feedback()));
    report.FileFinished(job, 0, "keep-0.jpg", true, QString());
    report.FileFinished(job, 1, "keep-1.jpg", false, QStringLiteral("server answered 404"));
    report.JobEnded(job);
    QVERIFY2(feedback().contains("1 failed") && feedback().contains("/tmp/pictures"),
             qPrintable(feedback()));
}

#include "tst_thumbnails.moc"
