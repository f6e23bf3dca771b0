#include "names/TypeExtension.h"

#include "harvest/DeepNameRule.h"

#include <QHash>

namespace {

const QHash<QString, QString>& extensions() {
    static const QHash<QString, QString> table = {
        {"image/png", ".png"},       {"image/apng", ".apng"},
        {"image/jpeg", ".jpg"},      {"image/pjpeg", ".jpg"},
        {"image/gif", ".gif"},       {"image/webp", ".webp"},
        {"image/avif", ".avif"},     {"image/jxl", ".jxl"},
        {"image/heic", ".heic"},     {"image/heif", ".heif"},
        {"image/x-icon", ".ico"},    {"image/vnd.microsoft.icon", ".ico"},
        {"image/svg+xml", ".svg"},   {"image/bmp", ".bmp"},
        {"image/tiff", ".tiff"},     {"video/mp4", ".mp4"},
        {"video/x-m4v", ".m4v"},     {"video/webm", ".webm"},
        {"video/quicktime", ".mov"}, {"video/x-matroska", ".mkv"},
        {"video/ogg", ".ogv"},       {"video/mpeg", ".mpeg"},
        {"video/x-msvideo", ".avi"},
    };
    return table;
}

} // namespace

QString TypeExtension::For(const QString& contentType) {
    return extensions().value(contentType.section(QLatin1Char(';'), 0, 0).trimmed().toLower());
}

QString TypeExtension::NameWithExtension(const QString& name, const QString& contentType) {
    if (DeepNameRule::HasAcceptedExtension(name))
        return name;
    const QString extension = For(contentType);
    return extension.isEmpty() ? QString() : name + extension;
}
