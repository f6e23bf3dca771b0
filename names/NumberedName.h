#pragma once

#include <QString>

// The numbering that keeps a second file of one name apart from the first.
class NumberedName {
public:
    // name with " (number)" before its extension: "large.jpg", 2 -> "large (2).jpg".
    static QString Of(const QString& name, int number);
    // Where the extension of name starts: at its last dot, unless that starts a
    // hidden name; the size of name when it has none.
    static qsizetype ExtensionStart(const QString& name);
};
