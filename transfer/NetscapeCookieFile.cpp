#include "transfer/NetscapeCookieFile.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QByteArray HttpOnlyPrefix = "#HttpOnly_";
// The fields of a line, and the one curl leaves out for a cookie without a value.
constexpr int Fields = 7;
// A file that is no cookie file at all is not answered line by line.
constexpr int MaxReportedLines = 20;
// The last second of the year 9999, beyond which dates are not kept.
constexpr qint64 LatestExpiry = 253402300799;

std::optional<bool> Flag(const QByteArray& field) {
    if (field.compare("TRUE", Qt::CaseInsensitive) == 0)
        return true;
    if (field.compare("FALSE", Qt::CaseInsensitive) == 0)
        return false;
    return std::nullopt;
}

bool HasControlCharacter(const QByteArray& text) {
    return std::any_of(text.cbegin(), text.cend(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7f; });
}

// Names and addresses (IPv6 ones in brackets) as cookies are set for them.
bool IsHostName(const QByteArray& domain) {
    return !domain.isEmpty() && std::all_of(domain.cbegin(), domain.cend(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '.' ||
               c == '_' || c == ':' || c == '[' || c == ']';
    });
}

// Whole seconds; the fractions some exporters write are dropped.
std::optional<qint64> Expiry(const QByteArray& field) {
    const qsizetype point = field.indexOf('.');
    const QByteArray seconds = point < 0 ? field : field.left(point);
    const QByteArray fraction = point < 0 ? QByteArray() : field.mid(point + 1);
    const auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
    if (seconds.isEmpty() || !std::all_of(seconds.cbegin(), seconds.cend(), isDigit) ||
        !std::all_of(fraction.cbegin(), fraction.cend(), isDigit))
        return std::nullopt;
    bool number = false;
    const qint64 value = seconds.toLongLong(&number);
    return number ? std::min(value, LatestExpiry) : LatestExpiry;
}

// Why a line holds no cookie, or an empty text with the cookie set.
QString ReadCookie(QByteArray line, QNetworkCookie& cookie) {
    const bool httpOnly = line.startsWith(HttpOnlyPrefix);
    if (httpOnly)
        line.remove(0, HttpOnlyPrefix.size());
    QList<QByteArray> fields = line.split('\t');
    if (fields.size() == Fields - 1)
        fields.append(QByteArray());
    if (fields.size() != Fields)
        return QStringLiteral("expected %1 fields separated by tabs, found %2")
            .arg(Fields)
            .arg(fields.size());
    QByteArray domain = fields[0].toLower();
    if (domain.startsWith('.'))
        domain.remove(0, 1);
    const std::optional<bool> subdomains = Flag(fields[1]);
    const QByteArray& path = fields[2];
    const std::optional<bool> secure = Flag(fields[3]);
    const std::optional<qint64> expiry = Expiry(fields[4]);
    const QByteArray& name = fields[5];
    const QByteArray& value = fields[6];
    if (!IsHostName(domain))
        return QStringLiteral("the domain is not a host name");
    if (!subdomains)
        return QStringLiteral("the second field is neither TRUE nor FALSE");
    if (!path.startsWith('/') || HasControlCharacter(path) || path.contains(';'))
        return QStringLiteral("the path does not start with \"/\"");
    if (!secure)
        return QStringLiteral("the fourth field is neither TRUE nor FALSE");
    if (!expiry)
        return QStringLiteral("the expiry is not a number of seconds");
    if (name.isEmpty())
        return QStringLiteral("the cookie has no name");
    if (HasControlCharacter(name + value) || name.contains('=') || (name + value).contains(';'))
        return QStringLiteral("the name or value holds a character cookies cannot");
    cookie = QNetworkCookie(name, value);
    cookie.setDomain(QString::fromUtf8(*subdomains ? '.' + domain : domain));
    cookie.setPath(QString::fromUtf8(path));
    cookie.setSecure(*secure);
    cookie.setHttpOnly(httpOnly);
    if (*expiry > 0)
        cookie.setExpirationDate(QDateTime::fromSecsSinceEpoch(*expiry, Qt::UTC));
    return QString();
}

bool IsCommentOrBlank(const QByteArray& line) {
    const QByteArray text = line.trimmed();
    return text.isEmpty() || (text.startsWith('#') && !line.startsWith(HttpOnlyPrefix));
}

QString Failure(const QString& path, int reason) {
    return QStringLiteral("%1: %2").arg(path, QString::fromLocal8Bit(std::strerror(reason)));
}

bool WriteAll(int file, const QByteArray& bytes) {
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t written =
            ::write(file, bytes.constData() + done, size_t(bytes.size() - done));
        if (written < 0 && errno == EINTR)
            continue;
        if (written < 0)
            return false;
        done += written;
    }
    return true;
}

} // namespace

NetscapeCookieFile::Reading NetscapeCookieFile::Parse(const QByteArray& text, const QString& name) {
    Reading reading;
    if (text.contains('\0')) {
        reading.errors.append(QStringLiteral("%1: binary data, not a cookie file").arg(name));
        return reading;
    }
    const QList<QByteArray> lines = text.split('\n');
    int leftOut = 0;
    for (qsizetype number = 1; number <= lines.size(); ++number) {
        QByteArray line = lines[number - 1];
        if (line.endsWith('\r'))
            line.chop(1);
        if (IsCommentOrBlank(line))
            continue;
        QNetworkCookie cookie;
        const QString why = line.size() > MaxLineBytes
                                ? QStringLiteral("longer than %1 bytes").arg(MaxLineBytes)
                                : ReadCookie(line, cookie);
        if (why.isEmpty())
            reading.cookies.append(cookie);
        else if (++leftOut <= MaxReportedLines)
            reading.errors.append(QStringLiteral("%1: line %2: %3").arg(name).arg(number).arg(why));
    }
    if (leftOut > MaxReportedLines)
        reading.errors.append(
            QStringLiteral("%1: %2 more lines left out").arg(name).arg(leftOut - MaxReportedLines));
    return reading;
}

NetscapeCookieFile::Reading NetscapeCookieFile::Read(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {{}, {QStringLiteral("%1: %2").arg(path, file.errorString())}};
    const QByteArray text = file.read(MaxFileBytes + 1);
    if (text.size() > MaxFileBytes)
        return {{},
                {QStringLiteral("%1: larger than %2 MB, not a cookie file")
                     .arg(path)
                     .arg(MaxFileBytes / (1024 * 1024))}};
    return Parse(text, path);
}

QByteArray NetscapeCookieFile::Line(const QNetworkCookie& cookie) {
    // A domain cookie's domain starts with a dot, as the readers of the file expect.
    const QByteArray domain = cookie.domain().toUtf8();
    const QByteArray path = cookie.path().isEmpty() ? QByteArray("/") : cookie.path().toUtf8();
    const qint64 expiry = cookie.isSessionCookie() ? 0 : cookie.expirationDate().toSecsSinceEpoch();
    return (cookie.isHttpOnly() ? HttpOnlyPrefix : QByteArray()) + domain + '\t' +
           (domain.startsWith('.') ? "TRUE" : "FALSE") + '\t' + path + '\t' +
           (cookie.isSecure() ? "TRUE" : "FALSE") + '\t' + QByteArray::number(expiry) + '\t' +
           cookie.name() + '\t' + cookie.value();
}

QList<QByteArray> NetscapeCookieFile::Lines(const QList<QNetworkCookie>& cookies) {
    QList<QByteArray> lines;
    lines.reserve(cookies.size());
    for (const QNetworkCookie& cookie : cookies)
        lines.append(Line(cookie));
    return lines;
}

QByteArray NetscapeCookieFile::Text(const QList<QNetworkCookie>& cookies) {
    QByteArray text = "# Netscape HTTP Cookie File\n"
                      "# Written by Quillmar. It holds logins: keep it to yourself.\n\n";
    for (const QByteArray& line : Lines(cookies))
        text += line + '\n';
    return text;
}

bool NetscapeCookieFile::Write(const QString& path, const QList<QNetworkCookie>& cookies,
                               QString& error) {
    const QByteArray target = QFile::encodeName(path);
    struct stat existing = {};
    if (::lstat(target.constData(), &existing) == 0 && !S_ISREG(existing.st_mode)) {
        error = QStringLiteral("%1 is not a plain file").arg(path);
        return false;
    }
    const QFileInfo info(path);
    QByteArray temporary =
        QFile::encodeName(info.path() + QStringLiteral("/.") + info.fileName() + ".XXXXXX");
    // Made for its owner alone whatever the umask, and named path only once whole.
    const int file = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (file < 0) {
        error = Failure(path, errno);
        return false;
    }
    int reason = 0;
    const auto step = [&reason](bool done) {
        if (!done && reason == 0)
            reason = errno;
        return done;
    };
    const bool whole = step(::fchmod(file, S_IRUSR | S_IWUSR) == 0) &&
                       step(WriteAll(file, Text(cookies))) && step(::fsync(file) == 0);
    const bool closed = step(::close(file) == 0);
    if (whole && closed && step(::rename(temporary.constData(), target.constData()) == 0))
        return true;
    ::unlink(temporary.constData());
    error = Failure(path, reason);
    return false;
}
