#include "thumbnails/ThumbnailMaker.h"

#include "thumbnails/SafeSvg.h"

#include <QBuffer>
#include <QFileInfo>
#include <QHash>
#include <QImageReader>
#include <QImageWriter>

namespace {

const QHash<QString, QString>& TypesOfExtensions() {
    static const QHash<QString, QString> types = {
        {"jpg", "JPEG"},   {"jpeg", "JPEG"},  {"jpe", "JPEG"},  {"jfif", "JPEG"}, {"png", "PNG"},
        {"apng", "PNG"},   {"gif", "GIF"},    {"webp", "WebP"}, {"avif", "AVIF"}, {"heic", "HEIC"},
        {"heif", "HEIC"},  {"jxl", "JXL"},    {"svg", "SVG"},   {"svgz", "SVG"},  {"bmp", "BMP"},
        {"tif", "TIFF"},   {"tiff", "TIFF"},  {"ico", "ICO"},   {"mp4", "video"}, {"m4v", "video"},
        {"webm", "video"}, {"mov", "video"},  {"mkv", "video"}, {"ogv", "video"}, {"avi", "video"},
        {"mpg", "video"},  {"mpeg", "video"}, {"wmv", "video"}};
    return types;
}

// The Qt image format that decodes each type with its own name.
const QHash<QString, QByteArray>& FormatsOfTypes() {
    static const QHash<QString, QByteArray> formats = {
        {"AVIF", "avif"}, {"HEIC", "heic"}, {"JXL", "jxl"}};
    return formats;
}

} // namespace

const QString ThumbnailMaker::Video = QStringLiteral("video");

Thumbnail ThumbnailMaker::Make(const QByteArray& data) {
    Thumbnail made;
    made.bytes = data.size();
    QByteArray bytes = data;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    reader.setDecideFormatFromContent(true);
    const QByteArray format = reader.format();
    made.type = format.isEmpty() ? TypeOfSignature(data) : TypeOfFormat(format);
    if (format.isEmpty()) {
        made.note = made.type.isEmpty() ? QStringLiteral("not a picture") : SkippedNote(made.type);
        return made;
    }
    if (!format.startsWith("svg")) {
        Decode(reader, made);
        return made;
    }
    const SafeSvg svg = SafeSvg::Of(data);
    made.note = svg.refusal;
    if (made.note.isEmpty()) {
        QByteArray text = svg.text;
        QBuffer textBuffer(&text);
        textBuffer.open(QIODevice::ReadOnly);
        QImageReader textReader(&textBuffer, "svg");
        Decode(textReader, made);
    }
    return made;
}

void ThumbnailMaker::Decode(QImageReader& reader, Thumbnail& made) {
    made.size = reader.size();
    if (made.size.isValid())
        reader.setScaledSize(Fitted(made.size));
    QImage image = reader.read();
    if (image.isNull()) {
        made.note = QStringLiteral("cannot be decoded: %1").arg(reader.errorString());
        return;
    }
    // A decoder that cannot tell the size beforehand hands over the whole picture.
    if (!made.size.isValid()) {
        made.size = image.size();
        image = image.scaled(Fitted(image.size()), Qt::KeepAspectRatio, Qt::SmoothTransformation);
    }
    made.hash = PerceptualHash::Of(image);
    QBuffer encoded(&made.image);
    encoded.open(QIODevice::WriteOnly);
    // JPEG keeps photographs small in memory and on disk; PNG keeps transparency.
    QImageWriter writer(&encoded, image.hasAlphaChannel() ? "png" : "jpeg");
    writer.setQuality(85);
    writer.write(image);
}

QString ThumbnailMaker::TypeOfName(const QString& name) {
    return TypesOfExtensions().value(QFileInfo(name).suffix().toLower());
}

bool ThumbnailMaker::IsSkipped(const QString& type) {
    return type == Video || (FormatsOfTypes().contains(type) && !CanDecode(type));
}

QString ThumbnailMaker::SkippedNote(const QString& type) {
    return type == Video ? QStringLiteral("video") : QStringLiteral("no decoder for %1").arg(type);
}

QSize ThumbnailMaker::Fitted(const QSize& size) {
    if (size.width() <= Side && size.height() <= Side)
        return size;
    return size.scaled(Side, Side, Qt::KeepAspectRatio).expandedTo(QSize(1, 1));
}

QString ThumbnailMaker::TypeOfFormat(const QByteArray& format) {
    const QString type = TypesOfExtensions().value(QString::fromLatin1(format).toLower());
    return type.isEmpty() ? QString::fromLatin1(format).toUpper() : type;
}

QString ThumbnailMaker::TypeOfSignature(const QByteArray& data) {
    if (data.startsWith("\xff\x0a") || data.startsWith(QByteArray("\0\0\0\x0cJXL \r\n\x87\n", 12)))
        return QStringLiteral("JXL");
    if (data.mid(4, 4) != "ftyp")
        return QString();
    const QByteArray brand = data.mid(8, 4);
    if (brand == "avif" || brand == "avis")
        return QStringLiteral("AVIF");
    if (brand == "heic" || brand == "heix" || brand == "mif1" || brand == "msf1")
        return QStringLiteral("HEIC");
    return QString();
}

bool ThumbnailMaker::CanDecode(const QString& type) {
    return QImageReader::supportedImageFormats().contains(FormatsOfTypes().value(type));
}
