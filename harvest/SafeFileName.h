#pragma once

#include <QString>

// The name a listed file is shown and saved under: a page chooses names, so
// none may hide itself or disguise its extension. Leading dots are dropped
// (no hidden files such as ".bashrc") and invisible format characters (bidi
// controls like U+202E, zero-width characters, line separators) become "_".
class SafeFileName {
public:
    static QString Of(const QString& name);
};
