#include "harvest/IsImageFileName.h"

#include <QLatin1StringView>
#include <QString>

#include <algorithm>
#include <array>

namespace {

// Grouped by length, dot included; only membership matters.
constexpr std::array<QLatin1StringView, 5> threeCharacterTails = {
    QLatin1StringView(".iv"), QLatin1StringView(".im"), QLatin1StringView(".qt"),
    QLatin1StringView(".ps"), QLatin1StringView(".ai")};

constexpr std::array<QLatin1StringView, 26> fourCharacterTails = {
    QLatin1StringView(".png"), QLatin1StringView(".jpg"), QLatin1StringView(".gif"),
    QLatin1StringView(".mpg"), QLatin1StringView(".avi"), QLatin1StringView(".xpm"),
    QLatin1StringView(".xbm"), QLatin1StringView(".tga"), QLatin1StringView(".ttf"),
    QLatin1StringView(".rtf"), QLatin1StringView(".rad"), QLatin1StringView(".ray"),
    QLatin1StringView(".pcx"), QLatin1StringView(".psd"), QLatin1StringView(".ppm"),
    QLatin1StringView(".pov"), QLatin1StringView(".pix"), QLatin1StringView(".pic"),
    QLatin1StringView(".mng"), QLatin1StringView(".emf"), QLatin1StringView(".dxf"),
    QLatin1StringView(".cgm"), QLatin1StringView(".tif"), QLatin1StringView(".sgi"),
    QLatin1StringView(".bmp"), QLatin1StringView(".svg")};

constexpr std::array<QLatin1StringView, 11> fiveCharacterTails = {
    QLatin1StringView(".qtvr"), QLatin1StringView(".pict"), QLatin1StringView(".jfif"),
    QLatin1StringView(".fits"), QLatin1StringView(".bufr"), QLatin1StringView(".3dmf"),
    QLatin1StringView(".vrml"), QLatin1StringView(".tiff"), QLatin1StringView(".riff"),
    QLatin1StringView(".mpeg"), QLatin1StringView(".jpeg")};

// Only ASCII letters change case, so no other letter can fold into an entry.
QChar asciiLower(QChar character) {
    const char16_t code = character.unicode();
    return (code >= u'A' && code <= u'Z') ? QChar(code + (u'a' - u'A')) : character;
}

bool equalsLowered(QStringView tail, QLatin1StringView entry) {
    return std::equal(
        tail.begin(), tail.end(), entry.begin(), entry.end(),
        [](QChar character, char lower) { return asciiLower(character) == QLatin1Char(lower); });
}

template <std::size_t Size>
bool contains(const std::array<QLatin1StringView, Size>& table, QStringView tail) {
    return std::any_of(table.begin(), table.end(),
                       [tail](QLatin1StringView entry) { return equalsLowered(tail, entry); });
}

} // namespace

bool IsImageFileName(const QString& name) {
    const qsizetype dot = name.indexOf(QLatin1Char('.'));
    if (dot <= 0 || dot + 1 >= name.size())
        return false;
    const QStringView tail = QStringView(name).mid(dot);
    switch (tail.size()) {
    case 3:
        return contains(threeCharacterTails, tail);
    case 4:
        return contains(fourCharacterTails, tail);
    case 5:
        return contains(fiveCharacterTails, tail);
    default:
        return false;
    }
}
