#pragma once

#include <QList>
#include <QNetworkCookie>

class QWebEngineProfile;

// The cookies an open window holds, written out as they change, so that a run
// with the window's logins has a login the engine has not written into its
// profile yet (it writes its cookie database about every 30 seconds), and the
// session cookies it never writes there. One file a window process, readable
// by its owner alone, removed as the window ends; the file of a process that
// is gone is neither read nor kept.
class WindowCookies {
public:
    // Writes the cookies of profile, the window's, whenever they change.
    static void Publish(QWebEngineProfile* profile);
    // Removes this process's file.
    static void Withdraw();
    // The cookies of every window that runs, those of the latest written last.
    static QList<QNetworkCookie> Read();
};
