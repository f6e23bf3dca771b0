#include "thumbnails/AlikeGroups.h"

#include <algorithm>
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

// Each picture is compared with the best of each group so far: a thousand
// pictures take at most half a million looks, most ending at the bits.
AlikeGroups::AlikeGroups(const std::vector<Picture>& pictures)
    : best(pictures.size()), grouped(pictures.size(), false) {
    std::vector<int> order(pictures.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&pictures](int one, int other) {
        return IsBetter(pictures[size_t(one)], pictures[size_t(other)]);
    });
    std::vector<int> leaders; // the best of each group of decoded pictures
    for (int index : order) {
        const PerceptualHash& hash = pictures[size_t(index)].hash;
        const auto leader = std::find_if(leaders.begin(), leaders.end(), [&](int leader) {
            return hash.IsAlike(pictures[size_t(leader)].hash);
        });
        if (leader == leaders.end()) {
            best[size_t(index)] = index;
            if (hash.IsValid())
                leaders.push_back(index);
            continue;
        }
        best[size_t(index)] = *leader;
        grouped[size_t(index)] = true;
        grouped[size_t(*leader)] = true;
    }
}

bool AlikeGroups::IsBetter(const Picture& one, const Picture& other) {
    if (Pixels(one.size) != Pixels(other.size))
        return Pixels(one.size) > Pixels(other.size);
    if (IsLossless(one.type) != IsLossless(other.type))
        return IsLossless(one.type);
    return one.bytes > other.bytes;
}
