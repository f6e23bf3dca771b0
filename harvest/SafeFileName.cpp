#include "harvest/SafeFileName.h"

#include "core/TerminalText.h"

QString SafeFileName::Of(const QString& name) {
    QString safe;
    safe.reserve(name.size());
    for (qsizetype i = 0; i < name.size(); ++i) {
        // Tag characters and other invisible ones lie beyond the first plane too.
        const bool pair =
            name[i].isHighSurrogate() && i + 1 < name.size() && name[i + 1].isLowSurrogate();
        const char32_t code =
            pair ? QChar::surrogateToUcs4(name[i], name[i + 1]) : name[i].unicode();
        if (TerminalText::IsInvisible(code))
            safe += QLatin1Char('_');
        else
            safe += pair ? name.mid(i, 2) : QString(name[i]);
        if (pair)
            ++i;
    }
    qsizetype dots = 0;
    while (dots < safe.size() && safe[dots] == QLatin1Char('.'))
        ++dots;
    safe.remove(0, dots);
    return safe.isEmpty() && !name.isEmpty() ? QStringLiteral("_") : safe;
}
