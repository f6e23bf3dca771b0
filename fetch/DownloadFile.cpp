#include "fetch/DownloadFile.h"

#include "fetch/OriginMarks.h"
#include "fetch/ResumeCheck.h"

#include <QFile>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace {

std::atomic<unsigned> nextTemporaryNumber{0};

// Hidden and short, so it fits beside any name the folder allows.
QByteArray TemporaryName() {
    return ".quillmar-" + QByteArray::number(qint64(getpid())) + '-' +
           QByteArray::number(nextTemporaryNumber++) + ".part";
}

// What a kept partial file carries, so a later run knows it for its own and can resume it.
constexpr char SourceAttribute[] = "user.quillmar.source";
constexpr char ValidatorAttribute[] = "user.quillmar.validator";

QByteArray Attribute(int descriptor, const char* name) {
    char value[8192];
    const ssize_t size = ::fgetxattr(descriptor, name, value, sizeof value);
    return size >= 0 ? QByteArray(value, size) : QByteArray();
}

// The address a partial file is marked with, without a user name or password.
QByteArray MarkedSource(const QString& source) {
    return OriginMarks::WithoutLogin(source).toUtf8();
}

// The partial file name of folder, opened for writing when a fetch of source
// made it. A file with another name too (a hard link into a backup) is not
// ours to write through, whatever its mark says.
int OpenOwnPartial(int folder, const QByteArray& name, const QString& source) {
    const int descriptor =
        ::openat(folder, name.constData(), O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    struct stat info {};
    if (descriptor >= 0 &&
        (::fstat(descriptor, &info) != 0 || !S_ISREG(info.st_mode) || info.st_nlink != 1 ||
         Attribute(descriptor, SourceAttribute) != MarkedSource(source))) {
        ::close(descriptor);
        return -1;
    }
    return descriptor;
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

// Reads up to size bytes; fewer only at the end of the file.
ssize_t ReadFully(int descriptor, char* data, size_t size) {
    size_t done = 0;
    while (done < size) {
        const ssize_t got = ::read(descriptor, data + done, size - done);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return got < 0 ? got : ssize_t(done);
        done += size_t(got);
    }
    return ssize_t(done);
}

// A regular file of the folder, opened without following a link.
int OpenRegular(int folder, const QByteArray& name, struct stat& info) {
    const int descriptor =
        ::openat(folder, name.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (descriptor >= 0 && (::fstat(descriptor, &info) != 0 || !S_ISREG(info.st_mode))) {
        ::close(descriptor);
        return -1;
    }
    return descriptor;
}

bool SameContents(int first, int second) {
    std::vector<char> a(64 * 1024), b(64 * 1024);
    for (;;) {
        const ssize_t gotA = ReadFully(first, a.data(), a.size());
        const ssize_t gotB = ReadFully(second, b.data(), b.size());
        if (gotA < 0 || gotA != gotB || std::memcmp(a.data(), b.data(), size_t(gotA)) != 0)
            return false;
        if (gotA == 0)
            return true;
    }
}

} // namespace

DownloadFile::~DownloadFile() {
    Discard();
}

bool DownloadFile::Open(int openFolder) {
    Discard();
    error.clear();
    folder = openFolder;
    // An unnamed file vanishes by itself however the program ends.
    descriptor = ::openat(folder, ".", O_TMPFILE | O_RDWR | O_CLOEXEC, 0666);
    if (descriptor < 0 && !OpenNamed()) {
        SetErrorFromErrno("cannot create file");
        return false;
    }
    written = 0;
    pending.reserve(OutputBufferSize);
    return true;
}

bool DownloadFile::OpenPartial(int openFolder, const QByteArray& partName, const QString& source,
                               QByteArray& validator) {
    Discard();
    error.clear();
    const int found = OpenOwnPartial(openFolder, partName, source);
    if (found < 0)
        return false;
    validator = Attribute(found, ValidatorAttribute);
    const off_t end = ::lseek(found, 0, SEEK_END);
    // A mark that could not have come from an answer is no validator to send.
    if (!ResumeCheck::IsUsableValidator(validator) || end < 0) {
        ::close(found);
        return false;
    }
    folder = openFolder;
    descriptor = found;
    temporaryName = partName;
    written = end;
    kept = true;
    pending.reserve(OutputBufferSize);
    return true;
}

QByteArray DownloadFile::PartialName(const QString& name) {
    return QFile::encodeName(name) + ".part";
}

void DownloadFile::RemovePartial(int folder, const QByteArray& partName, const QString& source) {
    const int found = OpenOwnPartial(folder, partName, source);
    if (found < 0)
        return;
    ::close(found);
    ::unlinkat(folder, partName.constData(), 0);
}

bool DownloadFile::KeepAs(const QByteArray& partName, const QString& source,
                          const QByteArray& validator) {
    if (kept || descriptor < 0 || !Flush() || !Mark(source, validator))
        return false;
    if (temporaryName.isEmpty()) {
        const QByteArray self = "/proc/self/fd/" + QByteArray::number(descriptor);
        if (::linkat(AT_FDCWD, self.constData(), folder, partName.constData(), AT_SYMLINK_FOLLOW) !=
            0)
            return false;
    } else if (!MoveWithoutReplacing(partName)) {
        return false;
    }
    temporaryName = partName;
    kept = true;
    return true;
}

// Marked before it is named, so no name of ours is ever without its mark.
bool DownloadFile::Mark(const QString& source, const QByteArray& validator) {
    const QByteArray address = MarkedSource(source);
    return ::fsetxattr(descriptor, SourceAttribute, address.constData(), size_t(address.size()),
                       0) == 0 &&
           ::fsetxattr(descriptor, ValidatorAttribute, validator.constData(),
                       size_t(validator.size()), 0) == 0;
}

bool DownloadFile::Restart(const QString& source, const QByteArray& validator) {
    pending.clear();
    written = 0;
    if (::ftruncate(descriptor, 0) != 0 || ::lseek(descriptor, 0, SEEK_SET) != 0 ||
        (kept && !Mark(source, validator))) {
        SetErrorFromErrno("cannot write file");
        return false;
    }
    return true;
}

QByteArray DownloadFile::FirstBytes(qsizetype size) {
    QByteArray start(size, Qt::Uninitialized);
    const ssize_t got = Flush() ? ::pread(descriptor, start.data(), size_t(size), 0) : -1;
    return start.left(std::max<ssize_t>(got, 0));
}

void DownloadFile::Release() {
    if (!kept) {
        Discard();
        return;
    }
    Flush();
    ::close(descriptor);
    descriptor = -1;
    temporaryName.clear();
    kept = false;
}

bool DownloadFile::OpenNamed() {
    do {
        temporaryName = TemporaryName();
        descriptor = ::openat(folder, temporaryName.constData(),
                              O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    } while (descriptor < 0 && errno == EEXIST);
    if (descriptor < 0)
        temporaryName.clear();
    return descriptor >= 0;
}

bool DownloadFile::Write(const char* data, size_t size) {
    if (pending.size() + size > OutputBufferSize && !Flush())
        return false;
    if (size >= OutputBufferSize) {
        if (WriteAll(descriptor, data, size)) {
            written += qint64(size);
            return true;
        }
        SetErrorFromErrno("cannot write file");
        return false;
    }
    pending.insert(pending.end(), data, data + size);
    return true;
}

bool DownloadFile::Flush() {
    const bool done = WriteAll(descriptor, pending.data(), pending.size());
    if (done)
        written += qint64(pending.size());
    pending.clear();
    if (!done)
        SetErrorFromErrno("cannot write file");
    return done;
}

bool DownloadFile::LinkUnnamed() {
    const QByteArray self = "/proc/self/fd/" + QByteArray::number(descriptor);
    int linked = -1;
    do {
        temporaryName = TemporaryName();
        linked = ::linkat(AT_FDCWD, self.constData(), folder, temporaryName.constData(),
                          AT_SYMLINK_FOLLOW);
    } while (linked != 0 && errno == EEXIST);
    if (linked != 0) {
        temporaryName.clear();
        SetErrorFromErrno("cannot save file");
    }
    return linked == 0;
}

bool DownloadFile::Finish() {
    if (!Flush() || (temporaryName.isEmpty() && !LinkUnnamed())) {
        Discard();
        return false;
    }
    // A whole file carries no mark of a partial one.
    ::fremovexattr(descriptor, SourceAttribute);
    ::fremovexattr(descriptor, ValidatorAttribute);
    kept = false;
    const int closing = descriptor;
    descriptor = -1;
    if (::close(closing) != 0) {
        SetErrorFromErrno("cannot write file");
        Discard();
        return false;
    }
    return true;
}

DownloadFile::Placement DownloadFile::PlaceAs(const QString& name) {
    if (MoveWithoutReplacing(QFile::encodeName(name))) {
        temporaryName.clear();
        return Placement::Placed;
    }
    if (errno == EEXIST)
        return Placement::Taken;
    SetErrorFromErrno("cannot save file");
    Discard();
    return Placement::Failed;
}

bool DownloadFile::MoveWithoutReplacing(const QByteArray& name) {
    const char* from = temporaryName.constData();
    if (::renameat2(folder, from, folder, name.constData(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS)
        return false;
    // A file system that cannot rename without replacing can still link.
    if (::linkat(folder, from, folder, name.constData(), 0) != 0)
        return false;
    ::unlinkat(folder, from, 0);
    return true;
}

bool DownloadFile::HoldsSameBytesAs(const QString& name) const {
    struct stat mine {};
    struct stat theirs {};
    const int own = OpenRegular(folder, temporaryName, mine);
    const int other = OpenRegular(folder, QFile::encodeName(name), theirs);
    const bool same =
        own >= 0 && other >= 0 && mine.st_size == theirs.st_size && SameContents(own, other);
    for (const int descriptor : {own, other})
        if (descriptor >= 0)
            ::close(descriptor);
    return same;
}

qsizetype DownloadFile::NameLimit() const {
    const long limit = ::fpathconf(folder, _PC_NAME_MAX);
    return limit > 0 ? qsizetype(limit) : NAME_MAX;
}

void DownloadFile::Discard() {
    pending.clear();
    written = 0;
    kept = false;
    if (descriptor >= 0)
        ::close(descriptor);
    descriptor = -1;
    if (!temporaryName.isEmpty())
        ::unlinkat(folder, temporaryName.constData(), 0);
    temporaryName.clear();
}

void DownloadFile::SetErrorFromErrno(const char* what) {
    error = QString::fromLatin1(what) + QStringLiteral(": ") +
            QString::fromLocal8Bit(std::strerror(errno));
}
