#include "engine/BrowserProfile.h"

#include "core/DataFolder.h"

#include <QPointer>
#include <QStandardPaths>
#include <QWebEngineProfile>

namespace {

QPointer<QWebEngineProfile> persistentProfile;

} // namespace

void BrowserProfile::UsePersistent(QObject* owner) {
    auto* profile = new QWebEngineProfile(QStringLiteral("Quillmar"), owner);
    // Where the engine puts a profile of this name before the settings key is
    // set, named explicitly so that it stays there whatever the start-up order.
    profile->setPersistentStoragePath(DataFolder::Path() + QStringLiteral("/QtWebEngine/Quillmar"));
    profile->setCachePath(QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) +
                          QStringLiteral("/Quillmar/QtWebEngine/Quillmar"));
    persistentProfile = profile;
}

QWebEngineProfile* BrowserProfile::Current() {
    return persistentProfile;
}
