#include "engine/ProfileCopy.h"

#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QThread>
#include <QWebEngineProfile>

#include <algorithm>
#include <sys/stat.h>

namespace {

// How often a copy is tried while the profile keeps changing; each wait
// between tries is twice the one before, up to the last.
constexpr int Attempts = 12;
constexpr int FirstWaitMs = 10;
constexpr int LastWaitMs = 400;
// A file changed this recently may be in the middle of a write whose later
// steps land within the same tick of the file system's clock, unseen.
constexpr qint64 QuietMs = 100;

struct FileState {
    qint64 size = 0;
    qint64 changedMs = 0;
    bool operator==(const FileState& other) const {
        return size == other.size && changedMs == other.changedMs;
    }
};

// Every plain file of the copied parts by its path inside the profile. The
// engine's lock files are left out: a lock is held, not copied.
using Snapshot = QMap<QString, FileState>;

void Note(Snapshot& snapshot, const QString& root, const QString& relative) {
    struct stat info = {};
    if (::lstat(QFile::encodeName(root + QLatin1Char('/') + relative).constData(), &info) != 0 ||
        !S_ISREG(info.st_mode))
        return;
    snapshot.insert(relative, {qint64(info.st_size), qint64(info.st_mtim.tv_sec) * 1000 +
                                                         info.st_mtim.tv_nsec / 1000000});
}

Snapshot SnapshotOf(const QString& root, const QStringList& parts) {
    Snapshot snapshot;
    const QDir profile(root);
    for (const QString& part : parts) {
        Note(snapshot, root, part);
        QDirIterator files(profile.filePath(part), QDir::Files | QDir::Hidden | QDir::NoSymLinks,
                           QDirIterator::Subdirectories);
        while (files.hasNext()) {
            const QString path = files.next();
            if (files.fileName() != QLatin1String("LOCK"))
                Note(snapshot, root, profile.relativeFilePath(path));
        }
    }
    return snapshot;
}

bool Quiet(const Snapshot& snapshot) {
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    return std::none_of(snapshot.cbegin(), snapshot.cend(), [now](const FileState& file) {
        return now - file.changedMs >= 0 && now - file.changedMs < QuietMs;
    });
}

// Replaces what an earlier try left in the copy.
bool CopyFiles(const Snapshot& snapshot, const QStringList& parts, const QString& from,
               const QString& to) {
    for (const QString& part : parts) {
        QFile::remove(to + QLatin1Char('/') + part);
        QDir(to + QLatin1Char('/') + part).removeRecursively();
    }
    for (auto file = snapshot.cbegin(); file != snapshot.cend(); ++file) {
        const QString target = to + QLatin1Char('/') + file.key();
        if (!QDir().mkpath(QFileInfo(target).path()) ||
            !QFile::copy(from + QLatin1Char('/') + file.key(), target))
            return false;
    }
    return true;
}

} // namespace

const QStringList& ProfileCopy::Parts() {
    static const QStringList parts =
        CookieParts() + QStringList{QStringLiteral("Local Storage"), QStringLiteral("IndexedDB")};
    return parts;
}

const QStringList& ProfileCopy::CookieParts() {
    static const QStringList parts = {QStringLiteral("Cookies"), QStringLiteral("Cookies-journal"),
                                      QStringLiteral("Cookies-wal")};
    return parts;
}

std::unique_ptr<ProfileCopy> ProfileCopy::Make(const QString& profileFolder, QString& error,
                                               const QStringList& parts) {
    if (!QFileInfo(profileFolder).isDir()) {
        error = QStringLiteral("%1: no such folder").arg(profileFolder);
        return nullptr;
    }
    std::unique_ptr<ProfileCopy> copy(new ProfileCopy);
    if (!copy->folder.isValid()) {
        error =
            QStringLiteral("cannot make a temporary folder: %1").arg(copy->folder.errorString());
        return nullptr;
    }
    int waitMs = FirstWaitMs;
    for (int attempt = 0; attempt < Attempts; ++attempt) {
        const Snapshot before = SnapshotOf(profileFolder, parts);
        if (Quiet(before) && CopyFiles(before, parts, profileFolder, copy->Path()) &&
            SnapshotOf(profileFolder, parts) == before)
            return copy;
        QThread::msleep(waitMs);
        waitMs = std::min(2 * waitMs, LastWaitMs);
    }
    error = QStringLiteral("%1 kept changing while it was copied").arg(profileFolder);
    return nullptr;
}

ProfileCopy::ProfileCopy()
    : folder(QDir::tempPath() + QStringLiteral("/quillmar-profile-XXXXXX")) {}

QString ProfileCopy::Path() const {
    return folder.path();
}

QWebEngineProfile* ProfileCopy::NewProfile(QObject* owner) const {
    // A name of its own: profiles of one name would share their data.
    auto* profile = new QWebEngineProfile(QFileInfo(Path()).fileName(), owner);
    profile->setPersistentStoragePath(Path());
    profile->setCachePath(Path() + QStringLiteral("/Cache"));
    profile->setPersistentCookiesPolicy(QWebEngineProfile::AllowPersistentCookies);
    return profile;
}
