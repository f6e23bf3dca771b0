// Times the Thumbnails window in the real main frame on a page of 1,000
// linked 800x600 JPEGs served on loopback; see run-thumbnails-bench.sh.
// Then what finding look-alikes adds: hashing the 1,000 decoded thumbnails
// one after another (the window does it on its decoding threads, as each
// picture is decoded), and grouping them.
#include "app/CQuillmarApp.h"
#include "core/CommandIds.h"
#include "core/CommandRouter.h"
#include "engine/EngineEnvironment.h"
#include "frame/CChildFrame.h"
#include "frame/CDocTemplate.h"
#include "frame/CHarvestList.h"
#include "frame/CMainFrame.h"
#include "frame/CQuillmarDoc.h"
#include "thumbnails/AlikeGroups.h"
#include "thumbnails/CThumbnailsWindow.h"
#include "thumbnails/PerceptualHash.h"
#include "thumbnails/ThumbnailFilter.h"
#include "thumbnails/ThumbnailModel.h"
#include "view/CQuillmarView.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QListView>
#include <QPainter>
#include <QRandomGenerator>
#include <QTextStream>
#include <QTimer>
#include <QWindow>

#include <cstdio>
#include <functional>
#include <memory>

namespace {

constexpr int Count = 1000;

QString NameOf(int index) {
    return QStringLiteral("photo-%1.jpg").arg(index, 4, 10, QLatin1Char('0'));
}

// Photographs compress less than flat colours: gradients with noise, about the
// size of a camera picture shrunk to 800x600.
void WritePictures(const QString& folder) {
    QRandomGenerator random(1);
    for (int i = 0; i < Count; ++i) {
        const QString path = folder + QLatin1Char('/') + NameOf(i);
        if (QFile::exists(path))
            continue;
        QImage image(800, 600, QImage::Format_RGB32);
        QPainter painter(&image);
        QLinearGradient gradient(0, 0, 800, 600);
        gradient.setColorAt(0, QColor::fromHsv(i * 37 % 360, 160, 220));
        gradient.setColorAt(1, QColor::fromHsv(i * 91 % 360, 200, 90));
        painter.fillRect(image.rect(), gradient);
        for (int dot = 0; dot < 4000; ++dot)
            painter.fillRect(int(random.bounded(800)), int(random.bounded(600)), 6, 6,
                             QColor::fromRgb(random.generate()));
        painter.end();
        image.save(path, "jpeg", 85);
    }
}

// The page: every picture linked, as a gallery of photographs would.
void WritePage(const QString& folder) {
    QFile page(folder + QStringLiteral("/index.html"));
    page.open(QIODevice::WriteOnly);
    page.write("<!DOCTYPE html><title>1,000 photographs</title>\n");
    for (int i = 0; i < Count; ++i)
        page.write(QStringLiteral("<a href=\"%1\">%1</a>\n").arg(NameOf(i)).toUtf8());
}

double ResidentMegabytes() {
    QFile status(QStringLiteral("/proc/self/status"));
    status.open(QIODevice::ReadOnly);
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.simplified().split(' ').value(1).toDouble() / 1024;
    }
    return 0;
}

bool IsMade(const QModelIndex& cell) {
    return !cell.data(ThumbnailModel::WantedRole).toBool();
}

bool ScreenfulMade(const CThumbnailsWindow& window) {
    const QListView& view = *window.View();
    const QAbstractItemModel& cells = *view.model();
    int inView = 0;
    for (int row = 0; row < cells.rowCount(); ++row) {
        const QModelIndex cell = cells.index(row, 0);
        if (!view.visualRect(cell).intersects(view.viewport()->rect()))
            continue;
        ++inView;
        if (!IsMade(cell))
            return false;
    }
    return inView > 0;
}

bool AllMade(const CThumbnailsWindow& window) {
    const QAbstractItemModel& cells = *window.View()->model();
    for (int row = 0; row < cells.rowCount(); ++row) {
        if (!IsMade(cells.index(row, 0)))
            return false;
    }
    return true;
}

// Seconds from clock's start until done() holds, looking every few milliseconds.
double SecondsUntil(const QElapsedTimer& clock, const std::function<bool()>& done) {
    while (!done())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    return clock.nsecsElapsed() / 1e9;
}

struct AlikeCost {
    double hashing, grouping, regrouping; // seconds
};

// The small copies as the decoder has them before they are encoded: the
// hash is taken from those.
AlikeCost MeasureAlike(const CThumbnailsWindow& window) {
    auto* model = qobject_cast<ThumbnailModel*>(window.Filter()->sourceModel());
    std::vector<QImage> decoded;
    for (int row = 0; row < model->rowCount(); ++row)
        decoded.push_back(
            QImage::fromData(model->index(row, 0).data(ThumbnailModel::ImageRole).toByteArray()));
    QElapsedTimer clock;
    clock.start();
    std::vector<AlikeGroups::Picture> pictures;
    for (const QImage& image : decoded)
        pictures.push_back({PerceptualHash::Of(image), QSize(800, 600), "JPEG", 1});
    AlikeCost cost{};
    cost.hashing = clock.nsecsElapsed() / 1e9;
    clock.restart();
    const AlikeGroups groups(pictures);
    cost.grouping = clock.nsecsElapsed() / 1e9;
    clock.restart();
    model->Regroup();
    cost.regrouping = clock.nsecsElapsed() / 1e9;
    return cost;
}

struct Opening {
    double shown, screenful, all;
};

// Ctrl+T, as the frame's command router runs it.
Opening Open(CMainFrame& frame) {
    QElapsedTimer clock;
    clock.start();
    frame.Router().Execute(ID_VIEW_THUMBNAILS);
    CThumbnailsWindow* window = frame.findChild<CThumbnailsWindow*>();
    Opening opening{};
    opening.shown = SecondsUntil(
        clock, [&] { return window->windowHandle() && window->windowHandle()->isExposed(); });
    opening.screenful = SecondsUntil(clock, [&] { return ScreenfulMade(*window); });
    opening.all = SecondsUntil(clock, [&] { return AllMade(*window); });
    return opening;
}

// The browser window has loaded the page and listed its links.
bool LoadPage(CMainFrame& frame, CDocTemplate& docTemplate, const QString& address) {
    CChildFrame* child = docTemplate.OpenNewDocument(frame, address);
    const auto* links = qobject_cast<CHarvestList*>(frame.ControlById(ID_LINK_LIST));
    QElapsedTimer clock;
    clock.start();
    while (child && links->count() < Count && clock.elapsed() < 60000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    return links->count() == Count;
}

} // namespace

int main(int argc, char* argv[]) {
    EngineEnvironment::prepareProcess();
    QApplication application(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s FOLDER SITE_URL\n", argv[0]);
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    WritePictures(folder);
    WritePage(folder);
    CDocTemplate docTemplate(
        [](CQuillmarDoc* document) { return new CQuillmarView(document->TakeStartAddress()); });
    CMainFrame frame;
    if (!frame.Create())
        return 1;
    CQuillmarApp::SetMainFrame(&frame);
    frame.show();
    if (!LoadPage(frame, docTemplate, QString::fromLocal8Bit(argv[2]) + "index.html")) {
        std::fprintf(stderr, "the page was not listed\n");
        return 1;
    }
    const double before = ResidentMegabytes();
    const Opening first = Open(frame);
    QCoreApplication::processEvents();
    const double after = ResidentMegabytes();
    const AlikeCost alike = MeasureAlike(*frame.findChild<CThumbnailsWindow*>());
    delete frame.findChild<CThumbnailsWindow*>();
    const Opening again = Open(frame);
    CQuillmarApp::SetMainFrame(nullptr);
    QTextStream out(stdout);
    out << QStringLiteral("first opening: window shown %1 s, first screenful %2 s, all %3 %4 s\n")
               .arg(first.shown, 0, 'f', 3)
               .arg(first.screenful, 0, 'f', 3)
               .arg(Count)
               .arg(first.all, 0, 'f', 3);
    out << QStringLiteral("memory: %1 MB before, %2 MB after (+%3 MB)\n")
               .arg(before, 0, 'f', 1)
               .arg(after, 0, 'f', 1)
               .arg(after - before, 0, 'f', 1);
    out << QStringLiteral("from the cache: window shown %1 s, first screenful %2 s, all %3 s\n")
               .arg(again.shown, 0, 'f', 3)
               .arg(again.screenful, 0, 'f', 3)
               .arg(again.all, 0, 'f', 3);
    out << QStringLiteral("look-alikes: hashing %1 pictures %2 ms (%3% of all %1), grouping them "
                          "%4 ms, regrouping the window's cells %5 ms\n")
               .arg(Count)
               .arg(alike.hashing * 1000, 0, 'f', 1)
               .arg(100 * alike.hashing / first.all, 0, 'f', 1)
               .arg(alike.grouping * 1000, 0, 'f', 2)
               .arg(alike.regrouping * 1000, 0, 'f', 2);
    return 0;
}
