#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

class QObject;
class QWebEngineProfile;

// The engine profile of the browser windows. The browser keeps cookies and
// site data in a named profile on disk, so logins survive a restart; without
// one (the harvest tool, tests) engines use the engine's off-the-record default.
class BrowserProfile {
public:
    // Makes the persistent profile in the user's data folder; engines made from
    // now on use it, and its cookies are published for runs with the window's
    // logins (WindowCookies). The owner must outlive every engine.
    static void UsePersistent(QObject* owner);
    // Makes engines made from now on use a private copy of the window's
    // profile, its logins and site data, whether a window is open or not; the
    // window's own profile is left as it is. What the run changes stays in the
    // copy, which is removed as the program ends. False, with error set, when
    // there is nothing to copy or the copy failed.
    static bool UseWindowCopy(QObject* owner, QString& error);
    // Deletes the profile made by either, once every page of it is gone, so
    // that it shuts down cleanly and writes what it keeps before the program ends.
    static void ClosePersistent();
    // The profile for new engines; nullptr means the engine's default.
    static QWebEngineProfile* Current();
    // The folder the window's profile keeps its data in.
    static QString WindowFolder();
    // The cookies of the profile new engines use, as lines for downloads.
    static QList<QByteArray> CookieLines();
};
