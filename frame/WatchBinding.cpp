#include "frame/WatchBinding.h"

#include "core/CommandIds.h"
#include "core/Prompts.h"
#include "core/Settings.h"
#include "downloads/DownloadReport.h"
#include "engine/CBrowserEngine.h"
#include "frame/CMainFrame.h"
#include "frame/CWatchListWindow.h"
#include "frame/CWatchPageDialog.h"
#include "view/CQuillmarView.h"
#include "watches/WatchCheckProcess.h"
#include "watches/WatchStore.h"

#include <QDateTime>
#include <QDir>
#include <QStandardPaths>
#include <QWebEngineView>

namespace {

const QString Caption = QStringLiteral("Watch This Page");
// How often the window looks for due watches; a period is at least five minutes.
constexpr int BackgroundMilliseconds = 60 * 1000;

QString DefaultFolder(const CQuillmarView& view) {
    if (view.DownloadFolderChosen())
        return view.DownloadFolder();
    const QString chosen = Settings::DownloadFolder();
    return chosen.isEmpty() ? QStandardPaths::writableLocation(QStandardPaths::PicturesLocation)
                            : chosen;
}

} // namespace

WatchBinding::WatchBinding(CMainFrame& frame, OpenAddress openAddress)
    : QObject(&frame), frame(frame), openAddress(std::move(openAddress)),
      checks(new WatchCheckProcess(this)) {
    connect(checks, &WatchCheckProcess::checked, this, &WatchBinding::Checked);
    connect(&background, &QTimer::timeout, this, &WatchBinding::CheckDueInBackground);
    background.start(BackgroundMilliseconds);
}

WatchBinding::~WatchBinding() = default;

const CommandTable<WatchBinding>& WatchBinding::Commands() {
    static const CommandTable<WatchBinding> table = {
        {{ID_SCAN_WATCH_PAGE, "&Watch This Page..."}, &WatchBinding::OnWatchPage},
        {{ID_VIEW_WATCH_LIST, "&Watch List..."}, &WatchBinding::OnWatchList},
    };
    return table;
}

bool WatchBinding::HandlesCommand(int id) const {
    return Commands().Handles(id);
}

void WatchBinding::OnCommand(int id) {
    Commands().Run(*this, id);
}

bool WatchBinding::IsCommandEnabled(int id) const {
    if (id != ID_SCAN_WATCH_PAGE)
        return true;
    const auto* view = qobject_cast<const CQuillmarView*>(frame.ActiveViewWidget());
    return view && view->Engine() && !view->Engine()->Location().isEmpty();
}

WatchChoices WatchBinding::WindowChoices() {
    WatchChoices choices;
    choices.deep = Settings::DeepScan();
    choices.minimumSize = Settings::MinimumPictureSize();
    const FollowSettings follow = Settings::Follow();
    choices.follow.otherSites = follow.otherSites;
    choices.follow.match = follow.match;
    choices.follow.takeAll = follow.everyPicture;
    choices.follow.nextPages = follow.nextPages;
    choices.follow.minimumSize = choices.minimumSize;
    const Settings::FileNames names = Settings::DownloadFileNames();
    if (!names.nameTemplate.isEmpty())
        choices.names = names.nameTemplate;
    choices.writeInfo = names.writeInfo;
    choices.markOrigin = names.markOrigin;
    return choices;
}

void WatchBinding::OnWatchPage() {
    auto* view = qobject_cast<CQuillmarView*>(frame.ActiveViewWidget());
    if (!view || !view->Engine())
        return;
    const QString address = view->Engine()->Location();
    Watch watch;
    if (const std::optional<Watch> known = Store().Find(address)) {
        watch = *known;
    } else {
        watch.address = address;
        watch.title = view->Engine()->WebView()->title();
        watch.folder = DefaultFolder(*view);
        watch.choices = WindowChoices();
        watch.choices.followThumbnails = false;
    }
    if (!Edit(&frame, watch))
        return;
    frame.ShowMessage(QStringLiteral("Watching %1: checking it now").arg(address));
    OpenList();
    if (!checks->Start({address}))
        frame.ShowMessage(checks->Error());
}

bool WatchBinding::Edit(QWidget* parent, const Watch& watch) {
    const std::optional<Watch> chosen = CWatchPageDialog::Ask(parent, watch, WindowChoices());
    if (!chosen)
        return false;
    QString problem;
    if (!QDir().mkpath(chosen->folder))
        problem = QStringLiteral("cannot make the folder ") + chosen->folder;
    else if (!Store().Put(*chosen, QDateTime::currentSecsSinceEpoch()))
        problem = Store().Error();
    if (!problem.isEmpty()) {
        Prompts::current().message(
            parent, QStringLiteral("Cannot keep the watch of %1: %2").arg(chosen->address, problem),
            Caption, Prompts::Icon::Exclamation);
        return false;
    }
    return true;
}

// Opened at its first use, off the way to the first window.
WatchStore& WatchBinding::Store() {
    if (!store)
        store = std::make_unique<WatchStore>();
    return *store;
}

void WatchBinding::OnWatchList() {
    OpenList();
}

CWatchListWindow* WatchBinding::OpenList() {
    if (!window)
        window = new CWatchListWindow(&frame, Store(), *checks,
                                      {openAddress, [this](QWidget* parent, const Watch& watch) {
                                           return Edit(parent, watch);
                                       }});
    window->Refresh();
    window->show();
    window->raise();
    window->activateWindow();
    return window;
}

void WatchBinding::CheckDueInBackground() {
    if (checks->IsRunning() || frame.Downloads().RunningJobs() > 0)
        return;
    QStringList due;
    for (const Watch& watch : Store().Due(QDateTime::currentSecsSinceEpoch()))
        due << watch.address;
    if (due.isEmpty())
        return;
    checks->Start({}, due);
}

void WatchBinding::Checked(const QString& address, int newCount, const QString& failure) {
    if (!failure.isEmpty())
        frame.ShowMessage(QStringLiteral("Check of %1: %2").arg(address, failure));
    else if (newCount > 0)
        frame.ShowMessage(
            newCount == 1 ? QStringLiteral("1 new picture from %1").arg(address)
                          : QStringLiteral("%1 new pictures from %2").arg(newCount).arg(address));
}
