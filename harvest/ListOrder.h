#pragma once

#include "harvest/HarvestLine.h"

class QString;

// The order of the harvest lists: case-insensitive, and byte-wise (UTF-8)
// among lines that differ only in case, so equal lines stay together and the
// order is total. Lines are ordered by their names only.
struct ListOrder {
    static bool LessThan(const QString& left, const QString& right);
    bool operator()(const QString& left, const QString& right) const {
        return LessThan(left, right);
    }
    bool operator()(const HarvestLine& left, const HarvestLine& right) const {
        return LessThan(left.name, right.name);
    }
};
