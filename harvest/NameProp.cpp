#include "harvest/NameProp.h"

#include <QString>
#include <QStringView>

namespace {

// The part of "scheme:[//authority]path" that is the path.
QStringView pathOf(QStringView hierarchicalPart) {
    const qsizetype colon = hierarchicalPart.indexOf(QLatin1Char(':'));
    const qsizetype firstSlash = hierarchicalPart.indexOf(QLatin1Char('/'));
    // A colon after the first "/" belongs to the path, not to a scheme.
    QStringView rest = (colon >= 0 && (firstSlash < 0 || colon < firstSlash))
                           ? hierarchicalPart.mid(colon + 1)
                           : hierarchicalPart;
    if (!rest.startsWith(QLatin1String("//")))
        return rest;
    const qsizetype pathStart = rest.indexOf(QLatin1Char('/'), 2);
    return pathStart < 0 ? QStringView() : rest.mid(pathStart);
}

} // namespace

QString NameProp(const QString& address) {
    QStringView rest(address);
    const qsizetype hash = rest.indexOf(QLatin1Char('#'));
    if (hash >= 0)
        rest = rest.left(hash);
    QStringView query;
    const qsizetype question = rest.indexOf(QLatin1Char('?'));
    if (question >= 0) {
        query = rest.mid(question + 1);
        rest = rest.left(question);
    }
    const QStringView path = pathOf(rest);
    QString name = path.mid(path.lastIndexOf(QLatin1Char('/')) + 1).toString();
    if (!query.isEmpty())
        name += QLatin1Char('?') + query.toString();
    return name;
}
