#pragma once

class QObject;
class QWebEngineProfile;

// The engine profile of the browser windows. The browser keeps cookies and
// site data in a named profile on disk, so logins survive a restart; without
// one (the harvest tool, tests) engines use the engine's off-the-record default.
class BrowserProfile {
public:
    // Makes the persistent profile in the user's data folder; engines made from
    // now on use it. The owner must outlive every engine.
    static void UsePersistent(QObject* owner);
    // The profile for new engines; nullptr means the engine's default.
    static QWebEngineProfile* Current();
};
