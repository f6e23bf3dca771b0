#include "thumbnails/SafeSvg.h"

#include <QBuffer>
#include <QImageReader>
#include <QRegularExpression>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

#include <optional>

#include <zlib.h>

namespace {

constexpr qint64 BytesPerMegabyte = 1024 * 1024;

SafeSvg TooLong() {
    return SafeSvg{{},
                   QStringLiteral("SVG text larger than %1 MB, not decoded")
                       .arg(SafeSvg::MaxTextBytes / BytesPerMegabyte)};
}

// Unpacks gzip data; what passes cap bytes is not unpacked, and tooLong says so.
QByteArray Gunzipped(const QByteArray& packed, qint64 cap, bool& tooLong) {
    z_stream stream{};
    if (inflateInit2(&stream, MAX_WBITS + 16) != Z_OK)
        return QByteArray();
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(packed.constData()));
    stream.avail_in = uInt(packed.size());
    QByteArray text;
    char block[64 * 1024];
    int result = Z_OK;
    while (result == Z_OK && !tooLong) {
        stream.next_out = reinterpret_cast<Bytef*>(block);
        stream.avail_out = sizeof block;
        result = inflate(&stream, Z_NO_FLUSH);
        text.append(block, qsizetype(sizeof block - stream.avail_out));
        tooLong = text.size() > cap;
    }
    inflateEnd(&stream);
    return text;
}

// Qt decodes an embedded picture from what follows the last "base64,", guessing
// its format; SVG is refused there (it would be read without these rules), and
// the pictures of one SVG together get the memory one raster picture may take.
bool IsAffordablePicture(const QString& address, qint64& bytesLeft) {
    const qsizetype marker = address.lastIndexOf(QLatin1String("base64,"));
    if (marker < 0)
        return false;
    QByteArray bytes = QByteArray::fromBase64(address.mid(marker + 7).toLatin1());
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    reader.setDecideFormatFromContent(true);
    const QSize size = reader.size();
    const qint64 cost = qint64(size.width()) * size.height() * 4;
    if (reader.format().isEmpty() || reader.format().startsWith("svg") || !size.isValid() ||
        cost > bytesLeft)
        return false;
    bytesLeft -= cost;
    return true;
}

// CSS that names anything but a part of the picture itself.
bool NamesOutside(const QString& text) {
    static const QRegularExpression outside(
        QStringLiteral(R"(url\s*\(\s*['"]?\s*[^#'"\s]|@import)"),
        QRegularExpression::CaseInsensitiveOption);
    return text.contains(outside);
}

// The value to write for an attribute, or none when it names anything outside.
// A reference is written trimmed, as it was judged.
std::optional<QString> KeptValue(QStringView name, QStringView value, qint64& bytesLeft) {
    if (name.endsWith(QLatin1String("href"), Qt::CaseInsensitive)) {
        const QString reference = value.trimmed().toString();
        const bool own = reference.startsWith(QLatin1Char('#')) ||
                         (reference.startsWith(QLatin1String("data:")) &&
                          IsAffordablePicture(reference, bytesLeft));
        return own ? std::optional<QString>(reference) : std::nullopt;
    }
    const QString text = value.toString();
    return NamesOutside(text) ? std::nullopt : std::optional<QString>(text);
}

void CopyStartElement(const QXmlStreamReader& reader, QXmlStreamWriter& writer, qint64& bytesLeft) {
    writer.writeStartElement(reader.qualifiedName().toString());
    for (const QXmlStreamAttribute& attribute : reader.attributes()) {
        const std::optional<QString> value =
            KeptValue(attribute.qualifiedName(), attribute.value(), bytesLeft);
        if (value)
            writer.writeAttribute(attribute.qualifiedName().toString(), *value);
    }
}

// Elements, attributes and text pass; the document type (with its entities,
// already expanded by the reader), processing instructions such as
// xml-stylesheet, comments and unresolved entities do not.
SafeSvg Rewritten(const QByteArray& text) {
    QXmlStreamReader reader(text);
    reader.setNamespaceProcessing(false);
    QByteArray rewritten;
    QXmlStreamWriter writer(&rewritten);
    qint64 pictureBytesLeft = QImageReader::allocationLimit() * BytesPerMegabyte;
    while (!reader.atEnd()) {
        switch (reader.readNext()) {
        case QXmlStreamReader::StartElement:
            CopyStartElement(reader, writer, pictureBytesLeft);
            break;
        case QXmlStreamReader::EndElement:
            writer.writeEndElement();
            break;
        case QXmlStreamReader::Characters:
            if (!NamesOutside(reader.text().toString()))
                writer.writeCharacters(reader.text().toString());
            break;
        default:
            break;
        }
        // Entities may expand the text beyond what arrived.
        if (rewritten.size() > SafeSvg::MaxTextBytes)
            return TooLong();
    }
    if (reader.hasError())
        return SafeSvg{{}, QStringLiteral("cannot be decoded: %1").arg(reader.errorString())};
    return SafeSvg{rewritten, {}};
}

} // namespace

SafeSvg SafeSvg::Of(const QByteArray& data) {
    bool tooLong = data.size() > MaxTextBytes;
    const bool packed = data.startsWith("\x1f\x8b");
    const QByteArray text = packed && !tooLong ? Gunzipped(data, MaxTextBytes, tooLong) : data;
    return tooLong ? TooLong() : Rewritten(text);
}
