#include "download/DownloadFile.h"

#include <QFile>
#include <QFileInfo>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {

std::atomic<unsigned> nextTemporaryNumber{0};

// Hidden and short, so it fits beside any destination name the folder allows.
QByteArray TemporaryPathIn(const QByteArray& folder) {
    return folder + "/.quillmar-" + QByteArray::number(qint64(getpid())) + '-' +
           QByteArray::number(nextTemporaryNumber++) + ".part";
}

bool WriteAll(int descriptor, const char* data, size_t size) {
    while (size > 0) {
        const ssize_t written = ::write(descriptor, data, size);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            if (written == 0)
                errno = ENOSPC;
            return false;
        }
        data += written;
        size -= size_t(written);
    }
    return true;
}

} // namespace

DownloadFile::~DownloadFile() {
    Discard();
}

bool DownloadFile::Open(const QString& destination) {
    Discard();
    error.clear();
    destinationPath = QFile::encodeName(destination);
    folder = QFile::encodeName(QFileInfo(destination).path());
    // An unnamed file vanishes by itself however the program ends.
    descriptor = ::open(folder.constData(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
    if (descriptor < 0 && !OpenNamed()) {
        SetErrorFromErrno("cannot create file");
        return false;
    }
    pending.reserve(OutputBufferSize);
    return true;
}

bool DownloadFile::OpenNamed() {
    do {
        temporaryPath = TemporaryPathIn(folder);
        descriptor =
            ::open(temporaryPath.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    } while (descriptor < 0 && errno == EEXIST);
    if (descriptor < 0)
        temporaryPath.clear();
    return descriptor >= 0;
}

bool DownloadFile::Write(const char* data, size_t size) {
    if (pending.size() + size > OutputBufferSize && !Flush())
        return false;
    if (size >= OutputBufferSize) {
        if (WriteAll(descriptor, data, size))
            return true;
        SetErrorFromErrno("cannot write file");
        return false;
    }
    pending.insert(pending.end(), data, data + size);
    return true;
}

bool DownloadFile::Flush() {
    const bool written = WriteAll(descriptor, pending.data(), pending.size());
    pending.clear();
    if (!written)
        SetErrorFromErrno("cannot write file");
    return written;
}

bool DownloadFile::LinkUnnamed() {
    const QByteArray self = "/proc/self/fd/" + QByteArray::number(descriptor);
    int linked = -1;
    do {
        temporaryPath = TemporaryPathIn(folder);
        linked = ::linkat(AT_FDCWD, self.constData(), AT_FDCWD, temporaryPath.constData(),
                          AT_SYMLINK_FOLLOW);
    } while (linked != 0 && errno == EEXIST);
    if (linked != 0) {
        temporaryPath.clear();
        SetErrorFromErrno("cannot save file");
    }
    return linked == 0;
}

void DownloadFile::RenameDestination(const QString& name) {
    destinationPath = folder + '/' + QFile::encodeName(name);
}

bool DownloadFile::Commit() {
    if (!Flush() || (temporaryPath.isEmpty() && !LinkUnnamed())) {
        Discard();
        return false;
    }
    const int closing = descriptor;
    descriptor = -1;
    if (::close(closing) != 0) {
        SetErrorFromErrno("cannot write file");
        Discard();
        return false;
    }
    // Linked under a hidden name and renamed, so an existing file is replaced at once.
    if (::rename(temporaryPath.constData(), destinationPath.constData()) != 0) {
        SetErrorFromErrno("cannot save file");
        Discard();
        return false;
    }
    temporaryPath.clear();
    return true;
}

void DownloadFile::Discard() {
    pending.clear();
    if (descriptor >= 0)
        ::close(descriptor);
    descriptor = -1;
    if (!temporaryPath.isEmpty())
        ::unlink(temporaryPath.constData());
    temporaryPath.clear();
}

void DownloadFile::SetErrorFromErrno(const char* what) {
    error = QString::fromLatin1(what) + QStringLiteral(": ") +
            QString::fromLocal8Bit(std::strerror(errno));
}
