#include "engine/WindowCookies.h"

#include "core/DataFolder.h"
#include "records/ProcessOwner.h"
#include "transfer/EngineCookieJar.h"
#include "transfer/NetscapeCookieFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTimer>
#include <QWebEngineCookieStore>
#include <QWebEngineProfile>

namespace {

// Cookies come in bursts as a page loads: written once they settle.
constexpr int SettleMilliseconds = 200;

QString Folder() {
    return DataFolder::Path() + QStringLiteral("/Window cookies");
}

QString OwnFile() {
    return Folder() + QLatin1Char('/') + ProcessOwner::This() + QStringLiteral(".txt");
}

void Write(const EngineCookieJar& jar) {
    QDir().mkpath(Folder());
    QFile::setPermissions(Folder(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QString error;
    NetscapeCookieFile::Write(OwnFile(), jar.CookiesOf(QString()), error);
}

} // namespace

void WindowCookies::Publish(QWebEngineProfile* profile) {
    EngineCookieJar* jar = EngineCookieJar::ForProfile(profile);
    auto* settle = new QTimer(jar);
    settle->setSingleShot(true);
    settle->setInterval(SettleMilliseconds);
    QObject::connect(settle, &QTimer::timeout, jar, [jar] { Write(*jar); });
    QWebEngineCookieStore* store = profile->cookieStore();
    QObject::connect(store, &QWebEngineCookieStore::cookieAdded, settle,
                     [settle] { settle->start(); });
    QObject::connect(store, &QWebEngineCookieStore::cookieRemoved, settle,
                     [settle] { settle->start(); });
}

void WindowCookies::Withdraw() {
    QFile::remove(OwnFile());
}

QList<QNetworkCookie> WindowCookies::Read() {
    QFileInfoList files = QDir(Folder()).entryInfoList({QStringLiteral("*.txt")}, QDir::Files,
                                                       QDir::Time | QDir::Reversed);
    QList<QNetworkCookie> cookies;
    for (const QFileInfo& file : files) {
        if (!ProcessOwner::IsRunning(file.completeBaseName())) {
            QFile::remove(file.filePath());
            continue;
        }
        cookies += NetscapeCookieFile::Read(file.filePath()).cookies;
    }
    return cookies;
}
