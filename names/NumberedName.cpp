#include "names/NumberedName.h"

QString NumberedName::Of(const QString& name, int number) {
    const qsizetype split = ExtensionStart(name);
    return name.left(split) + QStringLiteral(" (%1)").arg(number) + name.mid(split);
}

qsizetype NumberedName::ExtensionStart(const QString& name) {
    // A leading dot starts a hidden name, not an extension.
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot > 0 ? dot : name.size();
}
