#include "LineCollector.h"

#include "harvest/ListOrder.h"

#include <algorithm>

void LineCollector::AddString(const QString& line, const QString& address) {
    lines.append({line, address});
}

HarvestLines LineCollector::SortedLines() const {
    HarvestLines sorted = lines;
    std::stable_sort(sorted.begin(), sorted.end(), ListOrder());
    return sorted;
}
