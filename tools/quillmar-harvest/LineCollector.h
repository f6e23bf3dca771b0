#pragma once

#include "harvest/ListSink.h"

#include <QStringList>

// A list without a window: keeps every line and hands them out in list order.
class LineCollector : public ListSink {
public:
    void AddString(const QString& line) override;
    QStringList SortedLines() const;

private:
    QStringList lines;
};
