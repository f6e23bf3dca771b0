#pragma once

#include <QString>

// Text from outside (a page, a record another machine wrote) as a terminal may
// show it: no escape sequence (colours, a window title), no line of its own
// that could pass for the program's. Control and bidi format characters are
// written as "\x1b" or "\u{202e}".
class TerminalText {
public:
    static QString Printable(const QString& text);
    // Format characters (bidi overrides, zero-width ones) and line or
    // paragraph separators, which show nothing or move what follows.
    static bool IsInvisible(char32_t code);
};
