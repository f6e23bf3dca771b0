#include "fetch/DownloadFolders.h"

#include "fetch/DownloadJob.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString ErrorText(int code) {
    return QStringLiteral("cannot open folder: ") + QString::fromLocal8Bit(std::strerror(code));
}

// The folder name inside parent, made when missing if make; -1 with errno
// when it is a link or no folder.
int OpenChild(int parent, const QByteArray& name, bool make) {
    if (make && ::mkdirat(parent, name.constData(), 0777) != 0 && errno != EEXIST)
        return -1;
    return ::openat(parent, name.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
}

} // namespace

DownloadFolders::DownloadFolders(const QList<DownloadEntry>& entries, Missing missing) {
    for (const DownloadEntry& entry : entries) {
        const QString folder = FolderOf(entry);
        const QString base =
            entry.Subfolder.isEmpty() ? folder : folder.chopped(entry.Subfolder.size() + 1);
        Open(base);
        if (!entry.Subfolder.isEmpty() && !handles.contains(folder) && !errors.contains(folder))
            OpenInside(handles.value(base, -1), folder, entry.Subfolder, missing);
    }
}

DownloadFolders::~DownloadFolders() {
    for (const int handle : std::as_const(handles))
        ::close(handle);
}

QString DownloadFolders::FolderOf(const DownloadEntry& entry) {
    return QFileInfo(entry.Destination).path();
}

void DownloadFolders::Open(const QString& folder) {
    if (handles.contains(folder) || errors.contains(folder))
        return;
    const QString resolved = QFileInfo(folder).canonicalFilePath();
    const int handle = resolved.isEmpty() ? -1
                                          : ::open(QFile::encodeName(resolved).constData(),
                                                   O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (handle >= 0)
        handles.insert(folder, handle);
    else
        errors.insert(folder, ErrorText(resolved.isEmpty() ? ENOENT : errno));
}

// Each step is opened relative to the one before and never followed when it
// is a link.
void DownloadFolders::OpenInside(int base, const QString& folder, const QString& subfolder,
                                 Missing missing) {
    if (base < 0) {
        errors.insert(folder, ErrorText(ENOENT));
        return;
    }
    int current = ::dup(base);
    for (const QString& part : subfolder.split(QLatin1Char('/'))) {
        const bool plain = DownloadJob::IsPlainFileName(part);
        const int next = current < 0 || !plain ? -1
                                               : OpenChild(current, QFile::encodeName(part),
                                                           missing == Missing::Make);
        const int code = plain ? errno : EINVAL;
        if (current >= 0)
            ::close(current);
        current = next;
        if (current < 0) {
            errors.insert(folder, ErrorText(code));
            return;
        }
    }
    handles.insert(folder, current);
}

int DownloadFolders::Handle(const QString& folder) const {
    return handles.value(folder, -1);
}

QString DownloadFolders::Error(const QString& folder) const {
    return errors.value(folder);
}
