#pragma once

#include "harvest/HarvestLine.h"
#include "harvest/ListSink.h"

// A list without a window: keeps every line and hands them out in list order
// (lines of equal names in the order they were found).
class LineCollector : public ListSink {
public:
    void AddString(const QString& line, const QString& address) override;
    HarvestLines SortedLines() const;

private:
    HarvestLines lines;
};
