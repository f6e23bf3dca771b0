#include "download/DownloadFolders.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

DownloadFolders::DownloadFolders(const QStringList& folders) {
    for (const QString& folder : folders) {
        if (handles.contains(folder) || errors.contains(folder))
            continue;
        const QString resolved = QFileInfo(folder).canonicalFilePath();
        const int handle = resolved.isEmpty()
                               ? -1
                               : ::open(QFile::encodeName(resolved).constData(),
                                        O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (handle >= 0)
            handles.insert(folder, handle);
        else
            errors.insert(folder, QStringLiteral("cannot open folder: ") +
                                      QString::fromLocal8Bit(
                                          std::strerror(resolved.isEmpty() ? ENOENT : errno)));
    }
}

DownloadFolders::~DownloadFolders() {
    for (const int handle : std::as_const(handles))
        ::close(handle);
}

int DownloadFolders::Handle(const QString& folder) const {
    return handles.value(folder, -1);
}

QString DownloadFolders::Error(const QString& folder) const {
    return errors.value(folder);
}
