#pragma once

#include <QList>
#include <QString>

// One line of a harvest list: the display name it shows and the full address
// of the element it was listed for. Lines with equal names may carry
// different addresses.
struct HarvestLine {
    QString name;
    QString address;

    bool operator==(const HarvestLine& other) const {
        return name == other.name && address == other.address;
    }
    bool operator!=(const HarvestLine& other) const { return !(*this == other); }
};

using HarvestLines = QList<HarvestLine>;
