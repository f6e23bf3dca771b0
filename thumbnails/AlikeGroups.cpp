#include "thumbnails/AlikeGroups.h"

#include <numeric>

namespace {

qint64 Pixels(const QSize& size) {
    return size.isValid() ? qint64(size.width()) * size.height() : -1;
}

// A copy in one of these has lost nothing to its encoding.
bool IsLossless(const QString& type) {
    return type == QLatin1String("PNG") || type == QLatin1String("BMP") ||
           type == QLatin1String("TIFF");
}

} // namespace

// Every pair is compared: a thousand pictures take half a million looks of a
// few instructions each, well within a frame.
AlikeGroups::AlikeGroups(const std::vector<Picture>& pictures)
    : parent(pictures.size()), best(pictures.size()), grouped(pictures.size(), false) {
    std::iota(parent.begin(), parent.end(), 0);
    const int count = int(pictures.size());
    for (int one = 0; one < count; ++one) {
        if (!pictures[size_t(one)].hash.IsValid())
            continue;
        for (int other = one + 1; other < count; ++other) {
            if (pictures[size_t(one)].hash.IsAlike(pictures[size_t(other)].hash))
                parent[size_t(Root(other))] = Root(one);
        }
    }
    std::vector<int> bestOfRoot(pictures.size(), -1);
    std::vector<int> members(pictures.size(), 0);
    for (int index = 0; index < count; ++index) {
        int& found = bestOfRoot[size_t(Root(index))];
        ++members[size_t(Root(index))];
        if (found < 0 || IsBetter(pictures[size_t(index)], pictures[size_t(found)]))
            found = index;
    }
    for (int index = 0; index < count; ++index) {
        best[size_t(index)] = bestOfRoot[size_t(Root(index))];
        grouped[size_t(index)] = members[size_t(Root(index))] > 1;
    }
}

bool AlikeGroups::IsBetter(const Picture& one, const Picture& other) {
    if (Pixels(one.size) != Pixels(other.size))
        return Pixels(one.size) > Pixels(other.size);
    if (IsLossless(one.type) != IsLossless(other.type))
        return IsLossless(one.type);
    return one.bytes > other.bytes;
}

int AlikeGroups::Root(int index) {
    while (parent[size_t(index)] != index) {
        parent[size_t(index)] = parent[size_t(parent[size_t(index)])];
        index = parent[size_t(index)];
    }
    return index;
}
