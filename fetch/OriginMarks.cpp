#include "fetch/OriginMarks.h"

#include "fetch/DownloadJob.h"

#include <QDateTime>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace {

QUrl WithoutUserInfo(const QUrl& address) {
    return address.adjusted(QUrl::RemoveUserInfo);
}

QUrl FoundOn(const DownloadEntry& entry, const DownloadJob& job) {
    return WithoutUserInfo(entry.Page.isEmpty() ? job.Rules.Page : entry.Page);
}

constexpr char OriginAttribute[] = "user.xdg.origin.url";

void SetAttribute(int file, const char* attribute, const QByteArray& value) {
    if (!value.isEmpty())
        ::fsetxattr(file, attribute, value.constData(), size_t(value.size()), 0);
}

// Never in place of a file that is there.
void WriteInfo(int folder, const QByteArray& name, const QByteArray& text) {
    const int file = ::openat(folder, name.constData(),
                              O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (file < 0)
        return;
    const bool written = ::write(file, text.constData(), size_t(text.size())) == text.size();
    ::close(file);
    if (!written)
        ::unlinkat(folder, name.constData(), 0);
}

} // namespace

void OriginMarks::Write(int folder, const QString& name, const DownloadEntry& entry,
                        const DownloadJob& job) {
    const QByteArray fileName = QFile::encodeName(name);
    const int file = ::openat(folder, fileName.constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (file < 0)
        return;
    struct stat status = {};
    const qint64 bytes = ::fstat(file, &status) == 0 ? qint64(status.st_size) : -1;
    if (job.MarkOrigin) {
        SetAttribute(file, OriginAttribute, OriginOf(entry));
        SetAttribute(file, "user.xdg.referrer.url", FoundOn(entry, job).toEncoded());
    }
    ::close(file);
    if (job.WriteInfo)
        WriteInfo(folder, fileName + ".json", Info(entry, job, bytes));
}

QString OriginMarks::WithoutLogin(const QString& address) {
    const QUrl url(address);
    return url.userInfo().isEmpty() ? address : WithoutUserInfo(url).toString();
}

QByteArray OriginMarks::OriginOf(int file) {
    char value[8192];
    const ssize_t size = ::fgetxattr(file, OriginAttribute, value, sizeof value);
    return size > 0 ? QByteArray(value, size) : QByteArray();
}

QByteArray OriginMarks::OriginOf(const DownloadEntry& entry) {
    return WithoutUserInfo(QUrl(entry.Source)).toEncoded();
}

QByteArray OriginMarks::Info(const DownloadEntry& entry, const DownloadJob& job, qint64 bytes) {
    const QUrl foundOn = FoundOn(entry, job);
    const QUrl page = entry.GalleryPage.isEmpty() ? foundOn : WithoutUserInfo(entry.GalleryPage);
    QJsonObject info{
        {QStringLiteral("address"), WithoutLogin(entry.Source)},
        {QStringLiteral("page"), page.toString()},
        {QStringLiteral("viewer"), foundOn != page ? foundOn.toString() : QString()},
        {QStringLiteral("title"), entry.PageTitle},
        {QStringLiteral("viewerTitle"), entry.ViewerTitle},
        {QStringLiteral("width"), entry.Width},
        {QStringLiteral("height"), entry.Height},
        {QStringLiteral("bytes"), bytes},
        {QStringLiteral("saved"), QDateTime::currentDateTimeUtc().toString(Qt::ISODate)}};
    return QJsonDocument(info).toJson(QJsonDocument::Indented);
}
