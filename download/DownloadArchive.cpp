#include "download/DownloadArchive.h"

#include "core/DataFolder.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>

DownloadArchive::DownloadArchive(const QString& path) : path(path) {}

std::shared_ptr<DownloadArchive> DownloadArchive::ForFolder(const QString& folder) {
    const QByteArray key =
        QCryptographicHash::hash(QDir::cleanPath(folder).toUtf8(), QCryptographicHash::Sha1);
    auto archive = std::make_shared<DownloadArchive>(
        DataFolder::Path() + QStringLiteral("/Saved/") + QString::fromLatin1(key.toHex()) +
        QStringLiteral(".txt"));
    // An unreadable record only costs fetching those pictures again.
    QString unread;
    archive->Load(unread);
    return archive;
}

bool DownloadArchive::Load(QString& error) {
    QFile file(path);
    if (!file.exists())
        return true;
    if (!file.open(QIODevice::ReadOnly)) {
        error = file.errorString();
        return false;
    }
    while (!file.atEnd()) {
        QString line = QString::fromUtf8(file.readLine());
        while (line.endsWith(QLatin1Char('\n')) || line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        const qsizetype tab = line.indexOf(QLatin1Char('\t'));
        if (tab > 0)
            saved.insert(line.left(tab), line.mid(tab + 1));
    }
    return true;
}

QString DownloadArchive::SavedName(const QString& address) const {
    return saved.value(address);
}

bool DownloadArchive::Record(const QString& address, const QString& name) {
    saved.insert(address, name);
    QFile file(path);
    QDir().mkpath(QFileInfo(path).absolutePath());
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append))
        return false;
    const QByteArray line = (address + QLatin1Char('\t') + name + QLatin1Char('\n')).toUtf8();
    return file.write(line) == line.size() && file.flush();
}

QString DownloadArchive::Path() const {
    return path;
}

HarvestLines DownloadArchive::Unsaved(const HarvestLines& lines) const {
    HarvestLines unsaved;
    for (const HarvestLine& line : lines)
        if (!saved.contains(line.address))
            unsaved.append(line);
    return unsaved;
}
