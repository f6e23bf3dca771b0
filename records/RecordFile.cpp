#include "records/RecordFile.h"

#include "core/Limits.h"
#include "fetch/DownloadJob.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStringDecoder>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// How every SQLite file begins, and the part of it that tells its size.
const QByteArray DatabaseHeader("SQLite format 3\0", 16);
constexpr int HeaderSize = 100;

// The files SQLite opens by name beside a database.
const char* const LogSuffixes[] = {"-wal", "-shm", "-journal"};

// A line of the text form holds an address and a name, no more.
constexpr qint64 MaxTextLineBytes = Limits::MaxAddressBytes + 4096;

QString ErrorText() {
    return QString::fromLocal8Bit(std::strerror(errno));
}

bool LinkAt(const QByteArray& path) {
    struct stat info {};
    return ::lstat(path.constData(), &info) == 0 && S_ISLNK(info.st_mode);
}

bool Exists(const QByteArray& path) {
    struct stat info {};
    return ::lstat(path.constData(), &info) == 0;
}

quint32 BigEndian(const QByteArray& bytes, int at, int count) {
    quint32 value = 0;
    for (int i = 0; i < count; ++i)
        value = value << 8 | quint8(bytes[at + i]);
    return value;
}

// A file stat could not reach: missing, or damaged with the reason.
RecordFile::Kind Unreachable(QString& why) {
    if (errno == ENOENT)
        return RecordFile::Kind::Missing;
    why = ErrorText();
    return RecordFile::Kind::Damaged;
}

// A database whose header gives more pages than the file holds was cut short.
RecordFile::Kind JudgeHeader(const QByteArray& header, qint64 size, QString& why) {
    if (header.size() < HeaderSize) {
        why = QStringLiteral("cut short");
        return RecordFile::Kind::Damaged;
    }
    const quint32 pageSize = BigEndian(header, 16, 2);
    const qint64 pages = BigEndian(header, 28, 4);
    // The page count holds only while the header's two change counters agree.
    const bool countHolds = BigEndian(header, 24, 4) == BigEndian(header, 92, 4);
    const qint64 expected = pages * (pageSize == 1 ? 65536 : pageSize);
    if (countHolds && expected > size) {
        why = QStringLiteral("cut short: %1 of %2 bytes").arg(size).arg(expected);
        return RecordFile::Kind::CutShort;
    }
    return RecordFile::Kind::Database;
}

bool IsRecordedName(const QString& name) {
    static const QRegularExpression control(QStringLiteral("[\\x00-\\x1f\\x7f]"));
    return DownloadJob::IsPlainFileName(name) && !name.contains(control);
}

bool IsAddress(const QString& address) {
    static const QRegularExpression form(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]*:[^\\s]+$"));
    return form.match(address).hasMatch();
}

// The folders of a record of the program's own, and its log files, are plain.
bool JudgeSurroundings(const QString& path, RecordFile::Kind& kind, QString& why) {
    const QString folder = QFileInfo(path).absolutePath();
    if (LinkAt(QFile::encodeName(folder)) ||
        LinkAt(QFile::encodeName(QFileInfo(folder).absolutePath()))) {
        why = QStringLiteral("its folder is a symbolic link");
        kind = RecordFile::Kind::Refused;
        return false;
    }
    for (const char* suffix : LogSuffixes) {
        struct stat info {};
        const QByteArray log = QFile::encodeName(path) + suffix;
        if (::lstat(log.constData(), &info) == 0 && !S_ISREG(info.st_mode)) {
            why = QStringLiteral("its log file %1 is not a plain file")
                      .arg(QFileInfo(QFile::decodeName(log)).fileName());
            kind = RecordFile::Kind::Damaged;
            return false;
        }
    }
    return true;
}

} // namespace

RecordFile::Kind RecordFile::Judge(const QString& path, bool links, QString& why) {
    Kind kind = Kind::Missing;
    if (!links && !JudgeSurroundings(path, kind, why))
        return kind;
    const QByteArray name = QFile::encodeName(path);
    struct stat info {};
    if (::lstat(name.constData(), &info) != 0)
        return Unreachable(why);
    if (S_ISLNK(info.st_mode)) {
        if (!links) {
            why = QStringLiteral("a symbolic link");
            return Kind::Damaged;
        }
        if (::stat(name.constData(), &info) != 0)
            return Unreachable(why);
    }
    if (!S_ISREG(info.st_mode)) {
        why = QStringLiteral("not a regular file");
        return Kind::Damaged;
    }
    if (info.st_size == 0)
        return Kind::Database;
    const int descriptor =
        ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | (links ? 0 : O_NOFOLLOW));
    QFile file;
    if (descriptor < 0 || !file.open(descriptor, QIODevice::ReadOnly, QFile::AutoCloseHandle)) {
        why = ErrorText();
        if (descriptor >= 0)
            ::close(descriptor);
        return Kind::Damaged;
    }
    const QByteArray header = file.read(HeaderSize);
    if (header.startsWith(DatabaseHeader))
        return JudgeHeader(header, info.st_size, why);
    file.close();
    if (ReadTextForm(
            path, [](const QString&, const QString&) {}, why))
        return Kind::TextForm;
    why = QStringLiteral("not a record of saved pictures: ") + why;
    return Kind::Damaged;
}

bool RecordFile::ReadTextForm(const QString& path,
                              const std::function<void(const QString&, const QString&)>& take,
                              QString& why) {
    const int descriptor =
        ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    QFile file;
    if (descriptor < 0 || !file.open(descriptor, QIODevice::ReadOnly, QFile::AutoCloseHandle)) {
        why = ErrorText();
        if (descriptor >= 0)
            ::close(descriptor);
        return false;
    }
    qint64 number = 0;
    qint64 records = 0;
    for (QByteArray line = file.readLine(MaxTextLineBytes + 2); !line.isEmpty();
         line = file.readLine(MaxTextLineBytes + 2)) {
        ++number;
        if (!line.endsWith('\n') && !file.atEnd()) {
            why =
                QStringLiteral("line %1 is longer than %2 bytes").arg(number).arg(MaxTextLineBytes);
            return false;
        }
        while (line.endsWith('\n') || line.endsWith('\r'))
            line.chop(1);
        if (line.isEmpty())
            continue;
        QStringDecoder utf8(QStringDecoder::Utf8);
        const QString text = utf8(line);
        const qsizetype tab = text.indexOf(QLatin1Char('\t'));
        const QString address = text.left(tab);
        const QString saved = text.mid(tab + 1);
        if (utf8.hasError() || tab < 0 || !IsAddress(address) || !IsRecordedName(saved)) {
            why = QStringLiteral("line %1 is not an address, a tab and a file name").arg(number);
            return false;
        }
        ++records;
        take(address, saved);
    }
    if (records == 0)
        why = QStringLiteral("no line of an address, a tab and a file name");
    return records > 0;
}

QString RecordFile::WriteRefusal(const QString& path) {
    const QByteArray name = QFile::encodeName(path);
    struct stat info {};
    if (::stat(name.constData(), &info) != 0)
        return QString();
    // Root may write any file; one marked read-only is still not the record's to change.
    if ((info.st_mode & 0222) == 0)
        return QStringLiteral("the file is read-only");
    const int descriptor = ::open(name.constData(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
    if (descriptor < 0)
        return ErrorText();
    ::close(descriptor);
    return QString();
}

QString RecordFile::SetAside(const QString& path) {
    const QString aside = FreeNameBeside(path, QStringLiteral("damaged"));
    const QByteArray from = QFile::encodeName(path);
    const QByteArray to = QFile::encodeName(aside);
    bool moved = false;
    // The log belongs to the damaged file: left in place it would be read into the new one.
    for (const char* suffix : {"", "-wal", "-shm", "-journal"}) {
        const bool there = Exists(from + suffix);
        if (there && ::renameat2(AT_FDCWD, (from + suffix).constData(), AT_FDCWD,
                                 (to + suffix).constData(), RENAME_NOREPLACE) != 0)
            return QString();
        moved = moved || there;
    }
    return moved ? aside : QString();
}

QString RecordFile::FreeNameBeside(const QString& path, const QString& suffix) {
    QString name = path + QLatin1Char('.') + suffix;
    for (int number = 2; Exists(QFile::encodeName(name)); ++number)
        name = path + QStringLiteral(".%1.").arg(number) + suffix;
    return name;
}

RecordFile::ChangeLock::ChangeLock(const QString& path)
    : name(QFile::encodeName(path + QStringLiteral(".converting"))) {
    descriptor = ::open(name.constData(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
    while (descriptor >= 0 && ::flock(descriptor, LOCK_EX) != 0 && errno == EINTR) {
    }
}

// Removed while still held: a process waiting on it then finds the change made.
RecordFile::ChangeLock::~ChangeLock() {
    if (descriptor < 0)
        return;
    ::unlink(name.constData());
    ::close(descriptor);
}
