#include "core/TerminalText.h"

namespace {

bool IsControl(char32_t code) {
    return code < 0x20 || (code >= 0x7f && code < 0xa0) || TerminalText::IsInvisible(code);
}

} // namespace

bool TerminalText::IsInvisible(char32_t code) {
    switch (QChar::category(code)) {
    case QChar::Other_Format: // bidi overrides reorder the rest of a terminal's line
    case QChar::Separator_Line:
    case QChar::Separator_Paragraph:
        return true;
    default:
        return false;
    }
}

QString TerminalText::Printable(const QString& text) {
    QString printable;
    printable.reserve(text.size());
    for (const char32_t code : text.toUcs4()) {
        if (!IsControl(code))
            printable += QString::fromUcs4(&code, 1);
        else if (code < 0x100)
            printable += QStringLiteral("\\x%1").arg(uint(code), 2, 16, QLatin1Char('0'));
        else
            printable += QStringLiteral("\\u{%1}").arg(uint(code), 4, 16, QLatin1Char('0'));
    }
    return printable;
}
