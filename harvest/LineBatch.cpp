#include "harvest/LineBatch.h"

void LineBatch::AddString(const QString& line, const QString& address) {
    lines.append({line, address});
}

const HarvestLines& LineBatch::Lines() const {
    return lines;
}
