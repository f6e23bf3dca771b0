#include "thumbnails/ThumbnailCache.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QRegularExpression>
#include <QSaveFile>
#include <QStandardPaths>

namespace {

// A file: this line, a line "width height type bytes hash", then the encoded
// small copy. Files of the earlier form, without the last two, are made anew.
const QByteArray Magic = "QMT2\n";
// Longer than any header line written.
constexpr qint64 HeaderLimit = 1024;

QString UserCacheFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) +
           QStringLiteral("/Quillmar/thumbnails");
}

} // namespace

ThumbnailCache::ThumbnailCache(const QString& folder, qint64 capBytes)
    : folder(folder.isEmpty() ? UserCacheFolder() : folder), capBytes(capBytes) {}

std::optional<Thumbnail> ThumbnailCache::Find(const QString& address) const {
    QFile file(PathOf(address));
    if (!IsOwnFolder() || !file.open(QIODevice::ReadOnly) || file.read(Magic.size()) != Magic)
        return std::nullopt;
    const QList<QByteArray> header = file.readLine(HeaderLimit).trimmed().split(' ');
    if (header.size() != 5)
        return std::nullopt;
    Thumbnail found;
    found.size = QSize(header[0].toInt(), header[1].toInt());
    found.type = QString::fromUtf8(header[2]);
    found.bytes = header[3].toLongLong();
    found.hash = PerceptualHash::FromText(header[4]);
    found.image = file.readAll();
    if (found.image.isEmpty() || !found.size.isValid())
        return std::nullopt;
    // A hash of an older form is never compared with today's: it is taken
    // anew from the small copy, which looks as the picture did when hashed.
    if (!found.hash.IsValid())
        found.hash = PerceptualHash::Of(QImage::fromData(found.image));
    return found;
}

void ThumbnailCache::Store(const QString& address, const Thumbnail& thumbnail) const {
    if (thumbnail.image.isEmpty() || !thumbnail.size.isValid() || thumbnail.type.contains(' '))
        return;
    if (!IsOwnFolder())
        return;
    QDir().mkpath(folder);
    // Written whole under a temporary name, so a reader never sees half a file.
    QSaveFile file(PathOf(address));
    if (!file.open(QIODevice::WriteOnly))
        return;
    file.write(Magic);
    file.write(QByteArray::number(thumbnail.size.width()) + ' ' +
               QByteArray::number(thumbnail.size.height()) + ' ' + thumbnail.type.toUtf8() + ' ' +
               QByteArray::number(thumbnail.bytes) + ' ' + thumbnail.hash.ToText() + '\n');
    file.write(thumbnail.image);
    file.commit();
}

void ThumbnailCache::Trim() const {
    if (!IsOwnFolder())
        return;
    // Only the files this cache named: whatever else is in the folder is not its own.
    static const QRegularExpression ownName(QStringLiteral("^[0-9a-f]{40}$"));
    QFileInfoList files;
    for (const QFileInfo& info : QDir(folder).entryInfoList(QDir::Files | QDir::NoSymLinks,
                                                            QDir::Time)) { // newest first
        if (ownName.match(info.fileName()).hasMatch())
            files.append(info);
    }
    qint64 total = 0;
    for (const QFileInfo& info : std::as_const(files))
        total += info.size();
    while (total > capBytes && !files.isEmpty()) {
        total -= files.last().size();
        QFile::remove(files.takeLast().filePath());
    }
}

// A folder that is a link, or lies in one, may lead anywhere, such as the user's pictures.
bool ThumbnailCache::IsOwnFolder() const {
    const QFileInfo info(folder);
    return !info.isSymLink() && !QFileInfo(info.path()).isSymLink();
}

QString ThumbnailCache::PathOf(const QString& address) const {
    return folder + QLatin1Char('/') +
           QString::fromLatin1(
               QCryptographicHash::hash(address.toUtf8(), QCryptographicHash::Sha1).toHex());
}
