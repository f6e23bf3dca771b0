#pragma once

#include "core/CommandTable.h"
#include "core/CommandTarget.h"

#include <QObject>
#include <QPointer>
#include <QTimer>

#include <functional>
#include <memory>

class CMainFrame;
class CWatchListWindow;
class WatchCheckProcess;
class WatchStore;
struct Watch;
struct WatchChoices;

// The watches in the window: Scan > Watch This Page..., the Watch List
// window, and the background checks of due watches while the window runs,
// at most one at a time and never while the person's own downloads run.
class WatchBinding : public QObject, public CommandTarget {
    Q_OBJECT
public:
    using OpenAddress = std::function<void(const QString& address)>;
    WatchBinding(CMainFrame& frame, OpenAddress openAddress);
    ~WatchBinding() override;

    static const CommandTable<WatchBinding>& Commands();
    bool HandlesCommand(int id) const override;
    void OnCommand(int id) override;
    bool IsCommandEnabled(int id) const override;

    CWatchListWindow* OpenList();
    // Checks the due watches now unless a check or a download runs.
    void CheckDueInBackground();

    // The harvest choices of the window's settings, which a new watch takes.
    static WatchChoices WindowChoices();

private:
    void OnWatchPage();
    void OnWatchList();
    bool Edit(QWidget* parent, const Watch& watch);
    void Checked(const QString& address, int newCount, const QString& failure);
    WatchStore& Store();

    CMainFrame& frame;
    OpenAddress openAddress;
    std::unique_ptr<WatchStore> store;
    WatchCheckProcess* checks;
    QPointer<CWatchListWindow> window;
    QTimer background;
};
