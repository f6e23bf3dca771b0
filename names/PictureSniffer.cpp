#include "names/PictureSniffer.h"

#include <QByteArrayView>
#include <QtEndian>

#include <algorithm>
#include <array>

namespace {

bool IsGeneric(const QString& declared) {
    const QString essence = declared.section(QLatin1Char(';'), 0, 0).trimmed().toLower();
    return essence.isEmpty() || essence == QLatin1String("application/octet-stream") ||
           essence == QLatin1String("binary/octet-stream") ||
           essence == QLatin1String("application/unknown") ||
           essence == QLatin1String("unknown/unknown") || essence == QLatin1String("*/*");
}

struct Signature {
    QByteArrayView bytes;
    const char* type;
};

// Fixed first bytes, as browsers match them.
const std::array<Signature, 6> signatures = {{
    {QByteArrayView("\x89PNG\r\n\x1a\n"), "image/png"},
    {QByteArrayView("\xff\xd8\xff"), "image/jpeg"},
    {QByteArrayView("GIF87a"), "image/gif"},
    {QByteArrayView("GIF89a"), "image/gif"},
    {QByteArrayView("\0\0\1\0", 4), "image/x-icon"},
    {QByteArrayView("\0\0\2\0", 4), "image/x-icon"}, // a cursor
}};

bool IsWebp(QByteArrayView head) {
    return head.startsWith("RIFF") && head.size() >= 14 && head.sliced(8, 6) == "WEBPVP";
}

// "BM" and the size of a known bitmap header: text that merely starts with
// "BM" is no picture.
bool IsBmp(QByteArrayView head) {
    if (!head.startsWith("BM") || head.size() < 18)
        return false;
    const quint32 headerSize = qFromLittleEndian<quint32>(head.data() + 14);
    return headerSize == 12 || headerSize == 40 || headerSize == 52 || headerSize == 56 ||
           headerSize == 64 || headerSize == 108 || headerSize == 124;
}

// An ISO media file box "ftyp": its major brand and compatible brands tell
// an AVIF picture from a HEIF one (and from a video, which is left alone).
QString IsoPictureType(QByteArrayView head) {
    if (head.size() < 16)
        return QString();
    const quint32 boxSize = qFromBigEndian<quint32>(head.data());
    if (boxSize < 16 || boxSize % 4 != 0)
        return QString();
    const qsizetype end = std::min<qsizetype>(boxSize, head.size());
    QString type;
    for (qsizetype at = 8; at + 4 <= end; at += at == 8 ? 8 : 4) { // the minor version is no brand
        const QByteArrayView brand = head.sliced(at, 4);
        if (brand == "avif" || brand == "avis")
            return QStringLiteral("image/avif");
        if (brand == "heic" || brand == "heix" || brand == "heim" || brand == "heis")
            type = QStringLiteral("image/heic");
        else if (type.isEmpty() && (brand == "mif1" || brand == "msf1"))
            type = QStringLiteral("image/heif");
    }
    return type;
}

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}

// An XML document whose first element is <svg>, after any declaration,
// comments, processing instructions and an SVG document type; an HTML page
// holding an <svg> is no picture.
bool IsSvg(QByteArrayView head) {
    if (head.startsWith("\xef\xbb\xbf"))
        head = head.sliced(3);
    for (;;) {
        while (!head.isEmpty() && IsSpace(head.front()))
            head = head.sliced(1);
        QByteArrayView close;
        if (head.startsWith("<?"))
            close = "?>";
        else if (head.startsWith("<!--"))
            close = "-->";
        else if (head.startsWith("<!DOCTYPE svg"))
            close = ">";
        else
            break;
        const qsizetype end = head.indexOf(close);
        if (end < 0)
            return false;
        head = head.sliced(end + close.size());
    }
    return head.size() > 4 && head.startsWith("<svg") &&
           (IsSpace(head[4]) || head[4] == '>' || head[4] == '/');
}

} // namespace

QString PictureSniffer::ShownType(const QString& declared, const QByteArray& firstBytes) {
    if (!IsGeneric(declared))
        return declared;
    const QString sniffed = TypeOf(firstBytes);
    return sniffed.isEmpty() ? declared : sniffed;
}

QString PictureSniffer::TypeOf(const QByteArray& firstBytes) {
    const QByteArrayView head =
        QByteArrayView(firstBytes).first(std::min<qsizetype>(firstBytes.size(), SniffLength));
    for (const Signature& signature : signatures)
        if (head.startsWith(signature.bytes))
            return QString::fromLatin1(signature.type);
    if (IsWebp(head))
        return QStringLiteral("image/webp");
    if (IsBmp(head))
        return QStringLiteral("image/bmp");
    if (head.size() >= 8 && head.sliced(4, 4) == "ftyp")
        return IsoPictureType(head);
    return IsSvg(head) ? QStringLiteral("image/svg+xml") : QString();
}
