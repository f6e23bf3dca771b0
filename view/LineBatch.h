#pragma once

#include "harvest/ListSink.h"

#include <QStringList>

// Gathers the lines of a page scan so a list can take them in one go.
class LineBatch : public ListSink {
public:
    void AddString(const QString& line) override;
    const QStringList& Lines() const;

private:
    QStringList lines;
};
