#include "names/FittedName.h"

#include "names/NumberedName.h"

#include <QStringView>

namespace {

qsizetype Utf8Size(QStringView text) {
    return text.toUtf8().size();
}

// The longest start of text that takes at most room bytes in UTF-8.
QStringView Cut(QStringView text, qsizetype room) {
    qsizetype end = 0;
    qsizetype bytes = 0;
    while (end < text.size()) {
        const bool pair =
            text[end].isHighSurrogate() && end + 1 < text.size() && text[end + 1].isLowSurrogate();
        const qsizetype next = end + (pair ? 2 : 1);
        bytes += Utf8Size(text.mid(end, next - end));
        if (bytes > room)
            break;
        end = next;
    }
    return text.left(end);
}

} // namespace

QString FittedName::Of(const QString& name, int number, qsizetype limit) {
    const QString numbered = number > 1 ? NumberedName::Of(name, number) : name;
    if (Utf8Size(numbered) <= limit)
        return numbered;
    const QString mark = number > 1 ? QStringLiteral(" (%1)").arg(number) : QString();
    qsizetype split = NumberedName::ExtensionStart(name);
    QString tail = mark + name.mid(split);
    if (Utf8Size(tail) > limit / 2) {
        split = name.size();
        tail = mark;
    }
    return Cut(QStringView(name).left(split), limit - Utf8Size(tail)).toString() + tail;
}
