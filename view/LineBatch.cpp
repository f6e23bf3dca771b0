#include "view/LineBatch.h"

void LineBatch::AddString(const QString& line) {
    lines.append(line);
}

const QStringList& LineBatch::Lines() const {
    return lines;
}
