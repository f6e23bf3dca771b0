#pragma once

#include "thumbnails/Thumbnail.h"

#include <QString>

#include <optional>

// Thumbnails kept on disk between runs, one small file per address, in
// ~/.cache/Quillmar/thumbnails/. The folder is held under a cap: when it grows
// beyond it, the oldest files go first. A folder that is a symbolic link, or
// whose parent is, is not used. Find and Store are safe on any thread.
class ThumbnailCache {
public:
    // folder: where the files live; empty for the user's cache folder.
    explicit ThumbnailCache(const QString& folder = QString(), qint64 capBytes = DefaultCap);

    std::optional<Thumbnail> Find(const QString& address) const;
    // Keeps a thumbnail that has a small copy; others are looked at again next time.
    void Store(const QString& address, const Thumbnail& thumbnail) const;
    // Removes the oldest of its files until they take at most the cap.
    void Trim() const;

    QString Folder() const { return folder; }

    static constexpr qint64 DefaultCap = 200 * 1024 * 1024;

private:
    QString PathOf(const QString& address) const;
    bool IsOwnFolder() const;

    QString folder;
    qint64 capBytes;
};
