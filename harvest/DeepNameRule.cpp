#include "harvest/DeepNameRule.h"

#include "harvest/IsImageFileName.h"
#include "harvest/NameProp.h"
#include "harvest/SafeFileName.h"

#include <QByteArray>
#include <QLatin1StringView>
#include <QStringDecoder>

#include <algorithm>
#include <array>

namespace {

// Today's formats of the web, on top of the classic tables.
constexpr std::array<QLatin1StringView, 14> modernExtensions = {
    QLatin1StringView("webp"), QLatin1StringView("avif"), QLatin1StringView("jxl"),
    QLatin1StringView("heic"), QLatin1StringView("heif"), QLatin1StringView("apng"),
    QLatin1StringView("ico"),  QLatin1StringView("jpe"),  QLatin1StringView("mp4"),
    QLatin1StringView("m4v"),  QLatin1StringView("webm"), QLatin1StringView("mov"),
    QLatin1StringView("mkv"),  QLatin1StringView("ogv")};

bool isPlainFileName(const QString& name) {
    if (name == QLatin1String(".") || name == QLatin1String(".."))
        return false;
    return std::none_of(name.begin(), name.end(), [](QChar c) {
        const char16_t code = c.unicode();
        return code == u'/' || code < 0x20 || (code >= 0x7f && code < 0xa0);
    });
}

// The name percent-decoded as UTF-8, or as it is when that gives no plain file name.
QString decodedName(const QString& encoded) {
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString decoded = utf8(QByteArray::fromPercentEncoding(encoded.toUtf8()));
    return !utf8.hasError() && isPlainFileName(decoded) ? decoded : encoded;
}

} // namespace

QString DeepNameRule::DisplayName(const QString& address) {
    // NameProp keeps a query behind "?"; the segment itself never holds one.
    return SafeFileName::Of(decodedName(NameProp(address).section(QLatin1Char('?'), 0, 0)));
}

QString DeepNameRule::SavedName(const QString& listedName, const QString& address) {
    // A Deep Scan name, decoded already, differs from the encoded one whenever
    // decoding changed anything: it is never decoded twice.
    const QString encoded = NameProp(address);
    if (listedName != SafeFileName::Of(encoded))
        return SafeFileName::Of(listedName);
    return SafeFileName::Of(decodedName(encoded));
}

bool DeepNameRule::HasAcceptedExtension(const QString& name) {
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    if (dot <= 0 || dot + 1 >= name.size())
        return false;
    const QString extension = name.mid(dot + 1);
    // With no dot of its own, "x." + extension passes the classic rule exactly
    // when the extension stands in its tables.
    if (IsImageFileName(QStringLiteral("x.") + extension))
        return true;
    // Only ASCII letters fold, as in the classic rule (no Kelvin sign for "k").
    const bool ascii =
        std::all_of(extension.begin(), extension.end(), [](QChar c) { return c.unicode() < 0x80; });
    return ascii && std::any_of(modernExtensions.begin(), modernExtensions.end(),
                                [&extension](QLatin1StringView known) {
                                    return extension.compare(known, Qt::CaseInsensitive) == 0;
                                });
}
