#pragma once

#include "thumbnails/PerceptualHash.h"

#include <QSize>
#include <QString>

#include <vector>

// Pictures that look alike, gathered into groups: two pictures are in one
// group when their hashes are alike, or both are alike to a third. A picture
// alike to no other is a group of its own, and so is one never decoded.
class AlikeGroups {
public:
    struct Picture {
        PerceptualHash hash;
        QSize size;   // natural size; invalid when unknown
        QString type; // "PNG", "JPEG", ...
        qint64 bytes; // the file's size; -1 when unknown
    };

    explicit AlikeGroups(const std::vector<Picture>& pictures);

    // The best picture of index's group (index itself when it is the best or alone).
    int BestOf(int index) const { return best[size_t(index)]; }
    // Whether index shares its group with another picture.
    bool IsGrouped(int index) const { return grouped[size_t(index)]; }

    // The better copy of one picture: more pixels; of equal sizes a lossless
    // format, then the larger file. Ties keep the first.
    static bool IsBetter(const Picture& one, const Picture& other);

private:
    int Root(int index);

    std::vector<int> parent;
    std::vector<int> best;
    std::vector<bool> grouped;
};
