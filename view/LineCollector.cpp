#include "view/LineCollector.h"

void LineCollector::AddString(const QString& line) {
    lines.append(line);
}

const QStringList& LineCollector::Lines() const {
    return lines;
}
