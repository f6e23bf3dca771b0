#include "WatchCommands.h"

#include "SimilarPictures.h"
#include "ToolLogins.h"
#include "ToolName.h"
#include "app/InterruptWatch.h"
#include "follow/FollowedList.h"
#include "records/DownloadArchive.h"
#include "watches/DesktopNotifier.h"
#include "watches/WatchCheckLock.h"
#include "watches/WatchSchedule.h"
#include "watches/WatchStore.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QUrl>

#include <cstdio>

namespace {

void Say(const QString& line) {
    std::printf("%s\n", line.toUtf8().constData());
    std::fflush(stdout);
}

void Complain(const QString& line) {
    std::fprintf(stderr, "%s%s\n", ToolName::Prefix().constData(), qPrintable(line));
}

void SayJson(const QJsonObject& object) {
    Say(QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact)));
}

QString TimeText(qint64 seconds) {
    return QDateTime::fromSecsSinceEpoch(seconds).toString(QStringLiteral("yyyy-MM-dd HH:mm"));
}

QJsonValue JsonTime(qint64 seconds) {
    return seconds > 0 ? QJsonValue(QDateTime::fromSecsSinceEpoch(seconds).toString(Qt::ISODate))
                       : QJsonValue(QJsonValue::Null);
}

WatchChoices ChoicesOf(const BatchHarvest::Choice& harvest,
                       const HarvestDownload::Choice& download) {
    WatchChoices choices;
    choices.deep = harvest.mode.deep;
    choices.scroll = harvest.mode.scroll;
    choices.minimumSize = harvest.mode.minimumSize;
    choices.followThumbnails = harvest.followThumbnails;
    choices.follow = harvest.follow;
    choices.similar = harvest.similar;
    choices.images = download.images;
    choices.links = download.links;
    choices.match = download.match;
    choices.names = download.names;
    choices.writeInfo = download.writeInfo;
    choices.markOrigin = download.markOrigin;
    return choices;
}

BatchHarvest::Choice HarvestOf(const WatchChoices& choices, BatchHarvest::Choice harvest) {
    harvest.mode.deep = choices.deep;
    harvest.mode.scroll = choices.scroll;
    harvest.mode.minimumSize = choices.minimumSize;
    // A check asks the site only for what it has not seen.
    harvest.mode.loadPictures = false;
    harvest.followThumbnails = choices.followThumbnails;
    harvest.follow = choices.follow;
    harvest.walkNextPages = choices.follow.nextPages > 0;
    harvest.print = false;
    harvest.json = false;
    harvest.similar = false;
    harvest.pageLines = false;
    return harvest;
}

HarvestDownload::Choice DownloadOf(const Watch& watch, HarvestDownload::Choice download) {
    download.folder = watch.folder;
    download.images = watch.choices.images;
    download.links = watch.choices.links;
    download.match = watch.choices.match;
    download.names = watch.choices.names;
    download.writeInfo = watch.choices.writeInfo;
    download.markOrigin = watch.choices.markOrigin;
    return download;
}

// The addresses of lines, each once, in order.
QStringList AddressesOf(const std::vector<FollowedEntry>& lines) {
    QStringList addresses;
    QSet<QString> listed;
    for (const FollowedEntry& line : lines)
        if (!listed.contains(line.entry.address)) {
            listed.insert(line.entry.address);
            addresses << line.entry.address;
        }
    return addresses;
}

// What one check came to, as told.
struct Told {
    bool failed = false;
    int newCount = 0;
};

// Checks watches one after another in this process's engine.
class Checker {
public:
    Checker(WatchStore& store, const BatchHarvest::Choice& harvest,
            const HarvestDownload::Choice& download, bool json, InterruptWatch& interrupts)
        : store(store), harvest(harvest), download(download), json(json), interrupts(interrupts) {}

    Told Check(Watch watch);

private:
    std::optional<FollowedList> Harvest(const Watch& watch, QString& failure,
                                        QString& stoppedAfter);
    int Fetch(const Watch& watch, const std::vector<FollowedList>& harvests,
              const QStringList& addresses, const QStringList& unseen, bool& fileFailed);
    Told Tell(const Watch& watch, const WatchCheck& check, const QString& stoppedAfter, int noted);

    WatchStore& store;
    const BatchHarvest::Choice& harvest;
    const HarvestDownload::Choice& download;
    bool json;
    InterruptWatch& interrupts;
};

// The page's lists, or nothing with failure set; stoppedAfter: the page after
// which paging stopped because it shows pictures seen before.
std::optional<FollowedList> Checker::Harvest(const Watch& watch, QString& failure,
                                             QString& stoppedAfter) {
    BatchHarvest::Choice choice = HarvestOf(watch.choices, harvest);
    // Galleries show the newest first: a page with a picture seen before
    // means what follows it was there at the last check.
    choice.enoughPages = [this, &watch](const QString&, const QStringList& addresses) {
        const std::optional<QStringList> unseen = store.Unseen(watch, addresses);
        return unseen && unseen->size() < addresses.size();
    };
    BatchHarvest batch(choice);
    const QObject whileHarvesting; // ends the connections below with this call
    QObject::connect(&batch, &BatchHarvest::finished, &whileHarvesting, &QCoreApplication::quit);
    QObject::connect(&interrupts, &InterruptWatch::interrupted, &whileHarvesting,
                     &QCoreApplication::quit);
    batch.Start({watch.address});
    QCoreApplication::exec();
    failure = batch.LastFailure();
    stoppedAfter = batch.StoppedAfter();
    if (batch.Harvests().empty())
        return std::nullopt;
    return batch.Harvests().front();
}

// Downloads the unseen of addresses; returns how many were fetched, noting
// the rest seen but those that failed, to be tried again.
int Checker::Fetch(const Watch& watch, const std::vector<FollowedList>& harvests,
                   const QStringList& addresses, const QStringList& unseen, bool& fileFailed) {
    HarvestDownload::Choice choice = DownloadOf(watch, download);
    choice.quiet = json;
    const QSet<QString> unseenOnes(unseen.begin(), unseen.end());
    for (const QString& address : addresses)
        if (!unseenOnes.contains(address))
            choice.leaveOut.insert(address);
    if (!QDir().mkpath(choice.folder)) {
        Complain(QStringLiteral("cannot make the folder ") + choice.folder);
        fileFailed = true;
        return 0;
    }
    HarvestDownload::Records records;
    if (choice.record)
        records.folder = DownloadArchive::ForFolder(choice.folder);
    // Of look-alikes among the new pictures, only the best is fetched.
    std::vector<FollowedEntry> fresh;
    for (const FollowedEntry& line : HarvestDownload::ChosenLines(harvests, choice))
        if (!choice.leaveOut.contains(line.entry.address))
            fresh.push_back(line);
    const QHash<QString, QString> keptFor = watch.choices.similar
                                                ? SimilarPictures::Among(fresh, interrupts)
                                                : QHash<QString, QString>();
    if (interrupts.ExitCode())
        return 0;
    QStringList notFetched;
    DownloadJob job = HarvestDownload::BuildJob(harvests, choice, records, keptFor, notFetched);
    if (!json)
        for (const QString& line : notFetched)
            Say(line);
    ConsoleDownloadSink::Tally tally;
    if (job.Count() > 0 &&
        HarvestDownload::Run(std::move(job), interrupts, records, choice, &tally) != 0)
        fileFailed = true;
    QStringList seen = unseen;
    // A file the check did not get, failed or cut short, is tried again.
    for (const QString& address : tally.failed)
        seen.removeAll(address);
    if (interrupts.ExitCode())
        seen = tally.fetched;
    if (!store.MarkSeen(watch, seen))
        Complain(
            QStringLiteral("cannot note what %1 has seen: %2").arg(watch.address, store.Error()));
    return int(tally.fetched.size());
}

Told Checker::Check(Watch watch) {
    const WatchCheckLock lock(watch.address);
    if (!lock.IsHeld()) {
        if (json)
            SayJson({{"url", watch.address}, {"outcome", "busy"}, {"reason", lock.Refusal()}});
        else
            Say(QStringLiteral("%1: %2").arg(watch.address, lock.Refusal()));
        return {};
    }
    // The pages and files of a watch made without the window's logins get none.
    ToolLogins::UseWindowLogins(watch.choices.windowLogins);
    QString loadFailure;
    QString stoppedAfter;
    const std::optional<FollowedList> lines = Harvest(watch, loadFailure, stoppedAfter);
    if (interrupts.ExitCode())
        return {};
    if (!lines && loadFailure.isEmpty())
        loadFailure = QStringLiteral("the page gave nothing");
    const std::vector<FollowedList> harvests =
        lines ? std::vector<FollowedList>{*lines} : std::vector<FollowedList>{};
    const QStringList addresses =
        AddressesOf(HarvestDownload::ChosenLines(harvests, DownloadOf(watch, download)));
    const qint64 now = QDateTime::currentSecsSinceEpoch();
    WatchCheck check =
        WatchCheck::Judge(now, loadFailure, int(addresses.size()), watch.pictures, 0);
    const std::optional<QStringList> unseen = store.Unseen(watch, addresses);
    if (!unseen)
        check.failure = QStringLiteral("cannot read the watch list: ") + store.Error();
    int noted = 0;
    bool fileFailed = false;
    if (!check.Failed() && watch.choices.fromNow && watch.lastGood == 0) {
        noted = int(unseen->size());
        if (!store.MarkSeen(watch, *unseen))
            check.failure = QStringLiteral("cannot note what the page holds: ") + store.Error();
    } else if (!check.Failed()) {
        check.newCount = Fetch(watch, harvests, addresses, *unseen, fileFailed);
        if (interrupts.ExitCode())
            return {};
    }
    if (lines && !lines->Title().isEmpty() && lines->Title() != watch.title) {
        watch.title = lines->Title();
        store.Put(watch, now);
    }
    if (!store.RecordCheck(watch, check))
        Complain(
            QStringLiteral("cannot keep the check of %1: %2").arg(watch.address, store.Error()));
    Told told = Tell(watch, check, stoppedAfter, noted);
    told.failed = told.failed || fileFailed;
    return told;
}

Told Checker::Tell(const Watch& watch, const WatchCheck& check, const QString& stoppedAfter,
                   int noted) {
    if (json) {
        QJsonObject object{{"url", watch.address},
                           {"folder", watch.folder},
                           {"outcome", check.Failed() ? "failed" : "ok"},
                           {"new", check.newCount},
                           {"pictures", check.pictures},
                           {"checked", JsonTime(check.time)}};
        if (check.Failed())
            object.insert("reason", check.failure);
        if (!stoppedAfter.isEmpty())
            object.insert("stoppedAfter", stoppedAfter);
        if (noted > 0)
            object.insert("noted", noted);
        SayJson(object);
        return {check.Failed(), check.newCount};
    }
    if (!stoppedAfter.isEmpty())
        Say(QStringLiteral("%1: no further pages after %2: it shows pictures seen before")
                .arg(watch.address, stoppedAfter));
    if (noted > 0)
        Say(QStringLiteral(
                "%1: noted the %2 pictures it holds now; later checks fetch what is added")
                .arg(watch.address)
                .arg(noted));
    if (check.Failed())
        Say(QStringLiteral("%1: failed: %2").arg(watch.address, check.failure));
    else
        Say(QStringLiteral("%1: %2 new, saved into %3")
                .arg(watch.address)
                .arg(check.newCount)
                .arg(watch.folder));
    return {check.Failed(), check.newCount};
}

bool Opened(const WatchStore& store) {
    if (!store.Notice().isEmpty())
        Complain(store.Notice());
    if (!store.IsOpen())
        Complain(QStringLiteral("cannot open the watch list %1: %2")
                     .arg(WatchStore::DefaultPath(), store.Error()));
    return store.IsOpen();
}

// The watches to check: those named, or the due ones; nothing when one named is not watched.
std::optional<QList<Watch>> WatchesToCheck(const WatchStore& store,
                                           const WatchCommands::Choice& choice) {
    if (choice.addresses.isEmpty())
        return store.Due(QDateTime::currentSecsSinceEpoch(), choice.all);
    QList<Watch> named;
    for (const QString& address : choice.addresses) {
        const std::optional<Watch> watch = store.Find(address);
        if (!watch) {
            Complain(QStringLiteral("not watched: ") + address);
            return std::nullopt;
        }
        named << *watch;
    }
    return named;
}

int CheckWatches(WatchStore& store, const WatchCommands::Choice& choice,
                 const BatchHarvest::Choice& harvest, const HarvestDownload::Choice& download,
                 InterruptWatch& interrupts) {
    const std::optional<QList<Watch>> watches = WatchesToCheck(store, choice);
    if (!watches)
        return 1;
    Checker checker(store, harvest, download, choice.json, interrupts);
    DesktopNotifier notifier;
    int failed = 0;
    int fresh = 0;
    for (const Watch& watch : *watches) {
        const Told told = checker.Check(watch);
        if (interrupts.ExitCode())
            break;
        failed += told.failed ? 1 : 0;
        fresh += told.newCount;
        // Checks the person asked for by name are no news to them.
        if (choice.addresses.isEmpty())
            notifier.TellNewPictures(watch, told.newCount);
    }
    notifier.Finish();
    if (!choice.json)
        Say(QStringLiteral("checked %1 of %2 watches: %3 new pictures, %4 failed")
                .arg(watches->size())
                .arg(store.List().size())
                .arg(fresh)
                .arg(failed));
    return failed > 0 ? 1 : 0;
}

int AddWatch(WatchStore& store, const WatchCommands::Choice& choice,
             const BatchHarvest::Choice& harvest, const HarvestDownload::Choice& download,
             InterruptWatch& interrupts) {
    Watch watch = store.Find(choice.addresses.first()).value_or(Watch());
    watch.address = choice.addresses.first();
    watch.folder = download.folder;
    const bool fromNow = watch.id == 0 ? choice.fromNow : watch.choices.fromNow;
    const bool windowLogins = watch.choices.windowLogins;
    watch.choices = ChoicesOf(harvest, download);
    watch.choices.fromNow = fromNow;
    watch.choices.windowLogins = windowLogins;
    watch.period = choice.period.value_or(watch.period);
    if (!store.Put(watch, QDateTime::currentSecsSinceEpoch())) {
        Complain(QStringLiteral("cannot keep the watch: ") + store.Error());
        return 1;
    }
    const std::optional<Watch> kept = store.Find(watch.address);
    if (!kept)
        return 1;
    return Checker(store, harvest, download, choice.json, interrupts).Check(*kept).failed ? 1 : 0;
}

void ListWatches(const WatchStore& store, bool json) {
    for (const Watch& watch : store.List()) {
        const QString result = watch.lastCheck == 0 ? QStringLiteral("never")
                               : watch.Failing()    ? QStringLiteral("failed")
                                                    : QStringLiteral("ok");
        const qint64 next = WatchSchedule::NextCheck(watch);
        if (json) {
            QJsonObject object{{"url", watch.address},
                               {"title", watch.title},
                               {"folder", watch.folder},
                               {"period", WatchPeriod::Text(watch.period)},
                               {"lastCheck", JsonTime(watch.lastCheck)},
                               {"result", result},
                               {"new", watch.newCount},
                               {"unlooked", watch.unlooked},
                               {"nextCheck", JsonTime(next)}};
            if (watch.Failing())
                object.insert("reason", watch.failure);
            SayJson(object);
            continue;
        }
        const QString last = watch.lastCheck == 0 ? QStringLiteral("never checked")
                             : watch.Failing()    ? QStringLiteral("last check %1 failed: %2")
                                                     .arg(TimeText(watch.lastCheck), watch.failure)
                                               : QStringLiteral("last check %1: %2 new")
                                                     .arg(TimeText(watch.lastCheck))
                                                     .arg(watch.newCount);
        Say(QStringLiteral("%1: folder %2, every %3, %4, next check %5")
                .arg(watch.address, watch.folder, WatchPeriod::Text(watch.period), last,
                     next == 0 ? QStringLiteral("now") : TimeText(next)));
    }
}

int Unwatch(WatchStore& store, const QString& address) {
    const std::optional<Watch> watch = store.Find(address);
    if (!watch || !store.Remove(address)) {
        Complain(QStringLiteral("not watched: ") + address);
        return 1;
    }
    Say(QStringLiteral("no longer watching %1; the folder %2 is left as it is")
            .arg(address, watch->folder));
    return 0;
}

} // namespace

WatchCommands::Choice WatchCommands::Parse(const QCommandLineParser& parser, QString& error) {
    Choice choice;
    choice.action = parser.isSet(QStringLiteral("watch"))           ? Action::Watch
                    : parser.isSet(QStringLiteral("check-watches")) ? Action::Check
                    : parser.isSet(QStringLiteral("list-watches"))  ? Action::List
                    : parser.isSet(QStringLiteral("unwatch"))       ? Action::Unwatch
                                                                    : Action::None;
    choice.all = parser.isSet(QStringLiteral("all"));
    choice.json = parser.isSet(QStringLiteral("json"));
    choice.fromNow = parser.isSet(QStringLiteral("from-now"));
    if (parser.isSet(QStringLiteral("every"))) {
        QString why;
        choice.period = WatchPeriod::Parse(parser.value(QStringLiteral("every")), why);
        if (!choice.period)
            error = QStringLiteral("--every: ") + why;
    }
    if (choice.action == Action::Unwatch)
        choice.addresses << AddressOf(parser.value(QStringLiteral("unwatch")));
    for (const QString& address : parser.positionalArguments())
        choice.addresses << AddressOf(address);
    const qsizetype wanted = choice.action == Action::Watch     ? 1
                             : choice.action == Action::Unwatch ? 1
                             : choice.action == Action::List    ? 0
                                                                : -1;
    if (wanted >= 0 && choice.addresses.size() != wanted)
        error = choice.action == Action::List ? QStringLiteral("--list-watches takes no address")
                                              : QStringLiteral("give one page address");
    if (choice.all && !choice.addresses.isEmpty())
        error = QStringLiteral("--all checks every watch: give no address with it");
    return choice;
}

QString WatchCommands::AddressOf(const QString& given) {
    const QFileInfo file(given);
    if (file.exists())
        return QUrl::fromLocalFile(file.absoluteFilePath()).toString();
    return QUrl::fromUserInput(given.trimmed()).toString();
}

int WatchCommands::Run(const Choice& choice, const BatchHarvest::Choice& harvest,
                       const HarvestDownload::Choice& download, InterruptWatch& interrupts) {
    WatchStore store;
    if (!Opened(store))
        return 1;
    switch (choice.action) {
    case Action::Watch:
        return AddWatch(store, choice, harvest, download, interrupts);
    case Action::Check:
        return CheckWatches(store, choice, harvest, download, interrupts);
    case Action::List:
        ListWatches(store, choice.json);
        return 0;
    case Action::Unwatch:
        return Unwatch(store, choice.addresses.first());
    case Action::None:
        break;
    }
    return 2;
}
