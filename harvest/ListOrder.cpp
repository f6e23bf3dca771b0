#include "harvest/ListOrder.h"

#include <QByteArray>
#include <QString>

#include <algorithm>

namespace {

// Compares as QString::compare ignoring case does, for as long as both names
// are ASCII, which most are: Qt's Unicode folding costs more on long lists.
// Sets unsure and returns 0 once a name holds anything else.
int CompareAsciiFolded(const QString& left, const QString& right, bool& unsure) {
    const qsizetype length = std::min(left.size(), right.size());
    for (qsizetype i = 0; i < length; ++i) {
        char16_t a = left[i].unicode();
        char16_t b = right[i].unicode();
        if (a >= 0x80 || b >= 0x80) {
            unsure = true;
            return 0;
        }
        if (a >= 'A' && a <= 'Z')
            a += 'a' - 'A';
        if (b >= 'A' && b <= 'Z')
            b += 'a' - 'A';
        if (a != b)
            return a < b ? -1 : 1;
    }
    return left.size() == right.size() ? 0 : (left.size() < right.size() ? -1 : 1);
}

} // namespace

bool ListOrder::LessThan(const QString& left, const QString& right) {
    // Big pages list one name many times; equal names need no folding at all.
    if (left == right)
        return false;
    bool unsure = false;
    int folded = CompareAsciiFolded(left, right, unsure);
    if (unsure)
        folded = QString::compare(left, right, Qt::CaseInsensitive);
    if (folded != 0)
        return folded < 0;
    return left.toUtf8() < right.toUtf8();
}
