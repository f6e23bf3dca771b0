#pragma once

#include <QFile>

#include <csignal>
#include <sys/resource.h>

namespace bookmarktest {

// Control ids of the bookmark and history dialogs.
const int BookmarkList = 1008, HistoryList = 1044, SearchBox = 1037, Search = 1038, Select = 1039;

inline QByteArray readBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline void writeBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
}

// Makes writes that grow a file beyond maxBytes fail while it lives, like a
// full disk; unlike permission bits this stops root too. Print nothing while
// it holds: a log file would be cut as well.
struct FileSizeLimit {
    rlimit saved{};
    void (*savedHandler)(int) = std::signal(SIGXFSZ, SIG_IGN);
    explicit FileSizeLimit(rlim_t maxBytes) {
        getrlimit(RLIMIT_FSIZE, &saved);
        const rlimit limit{maxBytes, saved.rlim_max};
        if (setrlimit(RLIMIT_FSIZE, &limit) != 0)
            qFatal("cannot limit the file size");
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, savedHandler);
    }
};

} // namespace bookmarktest
