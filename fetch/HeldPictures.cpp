#include "fetch/HeldPictures.h"

#include <algorithm>

HeldPictures& HeldPictures::OfThisRun() {
    static HeldPictures held;
    return held;
}

void HeldPictures::Keep(const QString& address, const Picture& picture) {
    if (picture.data.size() > MaxBytes)
        return;
    const std::lock_guard lock(mutex);
    const auto known = pictures.constFind(address);
    if (known != pictures.constEnd()) {
        bytes -= known->data.size();
        order.erase(std::remove(order.begin(), order.end(), address), order.end());
    }
    pictures.insert(address, picture);
    order.push_back(address);
    bytes += picture.data.size();
    while (bytes > MaxBytes)
        DropOldest();
}

std::optional<HeldPictures::Picture> HeldPictures::Find(const QString& address) const {
    const std::lock_guard lock(mutex);
    const auto known = pictures.constFind(address);
    if (known == pictures.constEnd())
        return std::nullopt;
    return *known;
}

void HeldPictures::DropOldest() {
    bytes -= pictures.take(order.front()).data.size();
    order.pop_front();
}
