#pragma once

#include "thumbnails/PerceptualHash.h"

#include <QSize>
#include <QString>

#include <vector>

// Pictures that look alike, gathered into groups around their best: taken
// best first, a picture joins the first group whose best it is alike to, or
// else starts a group of its own. So every picture is alike to the best of its
// group, which is kept in its place; pictures alike only through a chain of
// others (frames of something moving) stay apart. A picture alike to no other
// is a group of its own, and so is one never decoded.
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
    std::vector<int> best;
    std::vector<bool> grouped;
};
