#pragma once

#include "thumbnails/Thumbnail.h"

class QImageReader;

// Makes thumbnails from the bytes of pictures: decoded at reduced size, so a
// large photograph never lives in memory whole. Safe on any thread.
class ThumbnailMaker {
public:
    // The longest side of a thumbnail; smaller pictures keep their size.
    static constexpr int Side = 160;

    static Thumbnail Make(const QByteArray& data);
    // The badge a name's extension promises, before the picture is seen.
    static QString TypeOfName(const QString& name);
    // True for types that are never fetched for a thumbnail: videos, and
    // pictures this machine has no decoder for.
    static bool IsSkipped(const QString& type);
    // The note of a cell that is never fetched.
    static QString SkippedNote(const QString& type);
    // size reduced to fit Side x Side, aspect kept.
    static QSize Fitted(const QSize& size);

    static const QString Video;

private:
    // Reads the picture small into made, or notes why it cannot.
    static void Decode(QImageReader& reader, Thumbnail& made);
    static QString TypeOfFormat(const QByteArray& format);
    // AVIF, HEIC and JPEG XL, which Qt may have no decoder for, by their signatures.
    static QString TypeOfSignature(const QByteArray& data);
    static bool CanDecode(const QString& type);
};
