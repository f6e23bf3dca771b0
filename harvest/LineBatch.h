#pragma once

#include "harvest/HarvestLine.h"
#include "harvest/ListSink.h"

// Gathers the lines of a page scan, in the order found, so a list can take them
// in one go.
class LineBatch : public ListSink {
public:
    void AddString(const QString& line, const QString& address) override;
    const HarvestLines& Lines() const;

private:
    HarvestLines lines;
};
