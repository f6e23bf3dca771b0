#include "BatchHarvest.h"

#include "JsonReport.h"
#include "ToolLogins.h"
#include "ToolName.h"
#include "engine/CBrowserEngine.h"
#include "engine/LoadFailureText.h"
#include "follow/GalleryFollower.h"

#include <QFileInfo>
#include <QSet>
#include <QWebEngineLoadingInfo>
#include <QWebEnginePage>

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <limits>
#include <unistd.h>

namespace {

// A relative path names a local file, not a host.
QString addressFor(const QString& argument) {
    const QFileInfo file(argument);
    return file.exists() ? file.absoluteFilePath() : argument;
}

// "title <lines> <distinct addresses>", then each line with its own address;
// lines of the left out addresses are not counted.
void printSection(const char* title, const std::vector<FollowedEntry>& all,
                  const QHash<QString, QString>& leftOut) {
    std::vector<FollowedEntry> lines;
    std::copy_if(all.begin(), all.end(), std::back_inserter(lines),
                 [&](const FollowedEntry& line) { return !leftOut.contains(line.entry.address); });
    QSet<QString> addresses;
    for (const FollowedEntry& line : lines)
        addresses.insert(line.entry.address);
    std::printf("%s %lld %lld\n", title, static_cast<long long>(lines.size()),
                static_cast<long long>(addresses.size()));
    for (const FollowedEntry& line : lines)
        std::printf("%s\t%s\n", line.entry.name.toUtf8().constData(),
                    line.entry.address.toUtf8().constData());
}

} // namespace

BatchHarvest::BatchHarvest(const Choice& choice, QObject* parent)
    : QObject(parent), choice(choice), pagesLeft(choice.follow.pageLimit) {}

BatchHarvest::~BatchHarvest() = default;

void BatchHarvest::Start(const QStringList& list) {
    addresses = list;
    next = 0;
    // Even an empty list ends inside the caller's event loop.
    QMetaObject::invokeMethod(this, &BatchHarvest::startNext, Qt::QueuedConnection);
}

void BatchHarvest::startNext() {
    gallery.reset();
    harvester.reset();
    if (next >= addresses.size()) {
        emit finished();
        return;
    }
    address = addresses.at(next++);
    lastFailure.clear();
    stoppedAfter.clear();
    // A gallery is loaded as its next pages are, and settles before its scan.
    if ((choice.followThumbnails || choice.walkNextPages) && !choice.mode.scroll) {
        startGallery();
        return;
    }
    harvester = std::make_unique<PageHarvester>();
    loadFailure.clear();
    connect(harvester->Engine().Page(), &QWebEnginePage::loadingChanged, this,
            [this](const QWebEngineLoadingInfo& info) {
                if (info.status() == QWebEngineLoadingInfo::LoadFailedStatus)
                    loadFailure = LoadFailureText::Describe(info);
            });
    connect(harvester.get(), &PageHarvester::finished, this, &BatchHarvest::pageHarvested);
    PageHarvester::Mode mode = choice.mode;
    mode.placements = choice.followThumbnails;
    harvester->Start(addressFor(address), choice.timeoutSeconds, mode);
}

void BatchHarvest::pageHarvested() {
    switch (harvester->Result()) {
    case PageHarvester::Outcome::Harvested:
        break;
    case PageHarvester::Outcome::TimedOut:
        failed(QStringLiteral("timed out loading ") + address, QStringLiteral("timed out"));
        return;
    default:
        // The engine tells why a load failed only after it has ended.
        QMetaObject::invokeMethod(
            this, [this] { cannotLoad(loadFailure); }, Qt::QueuedConnection);
        return;
    }
    CBrowserEngine& engine = harvester->Engine();
    location = engine.Location();
    styleWalkCut = harvester->StyleWalkCut();
    const FollowedList::Page page{location, StatedReferrer::Of(harvester->Snapshot()),
                                  harvester->ImageEntries(), harvester->LinkEntries(),
                                  harvester->Snapshot().title};
    if (!choice.followThumbnails && !choice.walkNextPages) {
        FollowedList lines;
        lines.AddPage(page, {}, {});
        report(lines);
        return;
    }
    gallery = std::make_unique<GalleryFollower>(engine.Page()->profile());
    gallery->StopWhen(choice.enoughPages);
    connect(gallery.get(), &GalleryFollower::finished, this, &BatchHarvest::galleryDone);
    connect(gallery.get(), &GalleryFollower::progress, this,
            [this](const FollowProgress& progress) { ShowProgress(progress.Text()); });
    gallery->Start(page, harvester->Snapshot(), choice.follow, choice.followThumbnails, pagesLeft);
}

void BatchHarvest::startGallery() {
    const QUrl url = QUrl::fromUserInput(addressFor(address));
    if (!url.isValid() || url.isEmpty()) {
        cannotLoad(QString());
        return;
    }
    gallery = std::make_unique<GalleryFollower>(ToolLogins::Profile());
    gallery->StopWhen(choice.enoughPages);
    connect(gallery.get(), &GalleryFollower::finished, this, &BatchHarvest::galleryDone);
    connect(gallery.get(), &GalleryFollower::progress, this,
            [this](const FollowProgress& progress) { ShowProgress(progress.Text()); });
    // The timer counts milliseconds in an int; longer waits are as good as endless.
    const int seconds = std::min(choice.timeoutSeconds, std::numeric_limits<int>::max() / 1000);
    gallery->StartAt(url, choice.follow, choice.followThumbnails, pagesLeft, seconds * 1000);
}

void BatchHarvest::galleryDone() {
    pagesLeft -= gallery->PagesLoaded();
    stoppedAfter = gallery->StoppedAfter();
    const QString firstFailure = gallery->FirstPageFailure();
    if (!firstFailure.isEmpty()) {
        gallery.release()->deleteLater(); // it is emitting
        failed((firstFailure == QLatin1String("timed out") ? QStringLiteral("timed out loading ")
                                                           : QStringLiteral("cannot load ")) +
                   address,
               firstFailure);
        return;
    }
    if (!gallery->FirstLocation().isEmpty()) {
        location = gallery->FirstLocation();
        styleWalkCut = gallery->FirstStyleWalkCut();
    }
    const FollowedList lines = gallery->Lines();
    TellFollowed(lines);
    QStringList failures;
    for (const QString& failure : gallery->Failures()) {
        anyFailed = true;
        failures << QStringLiteral("cannot harvest ") + failure;
        std::fprintf(stderr, "%s%s\n", ToolName::Prefix().constData(), qPrintable(failures.last()));
    }
    gallery.release()->deleteLater(); // it is emitting
    // A page some of whose pages failed is to be tried again as a whole.
    report(lines, failures.join(QStringLiteral("; ")));
}

// Redrawn in place, as a download's progress line, on a terminal only.
void BatchHarvest::ShowProgress(const QString& text) {
    if (!choice.progress || !::isatty(STDERR_FILENO))
        return;
    // Padded so a shorter line covers a longer one before it.
    std::fprintf(stderr, "\r%-70s", qPrintable(text));
    std::fflush(stderr);
    progressShown = true;
}

// What following came to, in place of the progress line.
void BatchHarvest::TellFollowed(const FollowedList& lines) {
    if (!choice.followThumbnails)
        return;
    const QString text = lines.Summary().Text();
    std::fprintf(stderr, progressShown ? "\r%-70s\n" : "%s\n", qPrintable(text));
    progressShown = false;
}

void BatchHarvest::report(const FollowedList& lines, const QString& failure) {
    harvests.push_back(lines);
    printed.push_back({address, location, styleWalkCut, failure});
    if (choice.print && !choice.similar)
        Print(harvests.size() - 1, nullptr);
    // The next address starts once this call's callers have returned.
    QMetaObject::invokeMethod(this, &BatchHarvest::startNext, Qt::QueuedConnection);
}

void BatchHarvest::PrintAll(const QHash<QString, QString>& keptFor) const {
    for (size_t index = 0; index < harvests.size(); ++index)
        Print(index, &keptFor);
}

void BatchHarvest::Print(size_t index, const QHash<QString, QString>* keptFor) const {
    const Printed& page = printed[index];
    if (choice.json) {
        std::fputs(JsonReport::Write(harvests[index], page.location, page.styleWalkCut,
                                     JsonReport::Outcome(page.address, page.failure, choice.shard),
                                     choice.followThumbnails, keptFor)
                       .constData(),
                   stdout);
    } else {
        if (choice.pageLines)
            std::printf("page %s\n", page.address.toUtf8().constData());
        const QHash<QString, QString> none;
        printSection("images", harvests[index].Images(), keptFor ? *keptFor : none);
        printSection("links", harvests[index].Links(), keptFor ? *keptFor : none);
    }
    std::fflush(stdout);
}

void BatchHarvest::cannotLoad(const QString& reason) {
    const QString why = reason.isEmpty() ? QStringLiteral("not a valid address") : reason;
    failed(QStringLiteral("cannot load %1: %2").arg(address, why), why);
}

void BatchHarvest::failed(const QString& text, const QString& reason) {
    anyFailed = true;
    lastFailure = reason;
    std::fprintf(stderr, "%s%s\n", ToolName::Prefix().constData(), qPrintable(text));
    if (choice.print && choice.json) {
        std::fputs(JsonReport::Line(JsonReport::Outcome(address, text, choice.shard)).constData(),
                   stdout);
        std::fflush(stdout);
    }
    QMetaObject::invokeMethod(this, &BatchHarvest::startNext, Qt::QueuedConnection);
}

const std::vector<FollowedList>& BatchHarvest::Harvests() const {
    return harvests;
}

bool BatchHarvest::AnyFailed() const {
    return anyFailed;
}

QString BatchHarvest::LastFailure() const {
    return lastFailure;
}

QString BatchHarvest::StoppedAfter() const {
    return stoppedAfter;
}
