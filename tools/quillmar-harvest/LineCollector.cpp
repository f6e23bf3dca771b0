#include "LineCollector.h"

#include "harvest/ListOrder.h"

#include <algorithm>

void LineCollector::AddString(const QString& line) {
    lines << line;
}

QStringList LineCollector::SortedLines() const {
    QStringList sorted = lines;
    std::stable_sort(sorted.begin(), sorted.end(), ListOrder());
    return sorted;
}
