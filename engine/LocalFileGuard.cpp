#include "engine/LocalFileGuard.h"

#include <QFileInfo>
#include <QUrl>
#include <QWebEngineProfile>

namespace {

bool HasExtension(const QString& fileName, std::initializer_list<QLatin1String> extensions) {
    const QString name = fileName.toLower();
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    if (dot < 0)
        return false;
    const QStringView extension = QStringView(name).mid(dot + 1);
    return std::any_of(extensions.begin(), extensions.end(),
                       [extension](QLatin1String known) { return extension == known; });
}

// The name must say what the file is, and so must the file a link leads to: a
// "frame.html" unpacked from an archive may be a link to any file.
bool NamedAs(const QUrl& target, std::initializer_list<QLatin1String> extensions) {
    if (!HasExtension(target.fileName(QUrl::FullyDecoded), extensions))
        return false;
    const QFileInfo file(target.toLocalFile());
    return !file.isSymLink() ||
           HasExtension(QFileInfo(file.canonicalFilePath()).fileName(), extensions);
}

} // namespace

LocalFileGuard::LocalFileGuard(QObject* parent) : QWebEngineUrlRequestInterceptor(parent) {}

void LocalFileGuard::Protect(QWebEngineProfile* profile) {
    if (!profile->findChild<LocalFileGuard*>(QString(), Qt::FindDirectChildrenOnly))
        profile->setUrlRequestInterceptor(new LocalFileGuard(profile));
}

bool LocalFileGuard::Allows(QWebEngineUrlRequestInfo::ResourceType type, const QUrl& target) {
    // Only local pages may ask for file: addresses at all, so the target alone
    // says the request is one; frames whose origin is hidden are caught too.
    if (target.scheme() != QLatin1String("file"))
        return true;
    switch (type) {
    case QWebEngineUrlRequestInfo::ResourceTypeMainFrame:
    case QWebEngineUrlRequestInfo::ResourceTypeImage:
    case QWebEngineUrlRequestInfo::ResourceTypeMedia:
    case QWebEngineUrlRequestInfo::ResourceTypeFontResource:
    case QWebEngineUrlRequestInfo::ResourceTypeFavicon:
        return true;
    // A page reads what these hold (rules, error messages, documents), so
    // only files named for what they are may load.
    case QWebEngineUrlRequestInfo::ResourceTypeStylesheet:
        return NamedAs(target, {QLatin1String("css")});
    case QWebEngineUrlRequestInfo::ResourceTypeScript:
        return NamedAs(target, {QLatin1String("js"), QLatin1String("mjs")});
    case QWebEngineUrlRequestInfo::ResourceTypeSubFrame:
    case QWebEngineUrlRequestInfo::ResourceTypeObject:
        return NamedAs(target, {QLatin1String("html"), QLatin1String("htm"), QLatin1String("xhtml"),
                                QLatin1String("shtml")});
    default: // data requests, workers, prefetches, plugins' and unknown requests
        return false;
    }
}

void LocalFileGuard::interceptRequest(QWebEngineUrlRequestInfo& info) {
    if (!Allows(info.resourceType(), info.requestUrl()))
        info.block(true);
}

#include "moc_LocalFileGuard.cpp"
