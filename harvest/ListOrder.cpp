#include "harvest/ListOrder.h"

#include <QByteArray>
#include <QString>

bool ListOrder::LessThan(const QString& left, const QString& right) {
    const int folded = QString::compare(left, right, Qt::CaseInsensitive);
    if (folded != 0)
        return folded < 0;
    return left.toUtf8() < right.toUtf8();
}
