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
    const QByteArray folder = QFile::encodeName(QFileInfo(destination).path());
    do {
        temporaryPath = TemporaryPathIn(folder);
        descriptor =
            ::open(temporaryPath.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    } while (descriptor < 0 && errno == EEXIST);
    if (descriptor < 0) {
        SetErrorFromErrno("cannot create file");
        temporaryPath.clear();
        return false;
    }
    pending.reserve(OutputBufferSize);
    return true;
}

bool DownloadFile::Write(const char* data, size_t size) {
    pending.insert(pending.end(), data, data + size);
    return pending.size() < OutputBufferSize || Flush();
}

bool DownloadFile::Flush() {
    const bool written = WriteAll(descriptor, pending.data(), pending.size());
    pending.clear();
    if (!written)
        SetErrorFromErrno("cannot write file");
    return written;
}

bool DownloadFile::Commit() {
    if (!Flush()) {
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
