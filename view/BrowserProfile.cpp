#include "view/BrowserProfile.h"

#include "app/DataFolder.h"

#include <QPointer>
#include <QWebEngineProfile>

namespace {

QPointer<QWebEngineProfile> persistentProfile;

} // namespace

void BrowserProfile::UsePersistent(QObject* owner) {
    auto* profile = new QWebEngineProfile(QStringLiteral("Quillmar"), owner);
    // The engine's own default would sit under the settings key's folder.
    profile->setPersistentStoragePath(DataFolder::Path() + QStringLiteral("/engine"));
    persistentProfile = profile;
}

QWebEngineProfile* BrowserProfile::Current() {
    return persistentProfile;
}
