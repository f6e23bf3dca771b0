#include "engine/BrowserProfile.h"

#include "core/DataFolder.h"
#include "engine/ProfileCopy.h"
#include "engine/StoredCookies.h"
#include "engine/WindowCookies.h"
#include "transfer/EngineCookieJar.h"

#include <QPointer>
#include <QStandardPaths>
#include <QWebEngineProfile>

#include <memory>

namespace {

QPointer<QWebEngineProfile> persistentProfile;
// Removed with the program's static data, after the application: the engine
// may write into its profile's folder until it has shut down.
std::unique_ptr<ProfileCopy> windowCopy;

} // namespace

void BrowserProfile::UsePersistent(QObject* owner) {
    auto* profile = new QWebEngineProfile(QStringLiteral("Quillmar"), owner);
    // Where the engine puts a profile of this name before the settings key is
    // set, named explicitly so that it stays there whatever the start-up order.
    profile->setPersistentStoragePath(WindowFolder());
    profile->setCachePath(QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) +
                          QStringLiteral("/Quillmar/QtWebEngine/Quillmar"));
    StoredCookies::Follow(profile);
    WindowCookies::Publish(profile);
    persistentProfile = profile;
}

bool BrowserProfile::UseWindowCopy(QObject* owner, QString& error) {
    std::unique_ptr<ProfileCopy> copy = ProfileCopy::Make(WindowFolder(), error);
    if (!copy)
        return false;
    persistentProfile = copy->NewProfile(owner);
    StoredCookies::Follow(persistentProfile);
    windowCopy = std::move(copy);
    return true;
}

void BrowserProfile::ClosePersistent() {
    if (persistentProfile && !windowCopy)
        WindowCookies::Withdraw();
    delete persistentProfile;
}

QWebEngineProfile* BrowserProfile::Current() {
    return persistentProfile;
}

QString BrowserProfile::WindowFolder() {
    return DataFolder::Path() + QStringLiteral("/QtWebEngine/Quillmar");
}

QList<QByteArray> BrowserProfile::CookieLines() {
    QWebEngineProfile* profile =
        persistentProfile ? persistentProfile.data() : QWebEngineProfile::defaultProfile();
    return EngineCookieJar::ForProfile(profile)->CurlCookieLines();
}
