#pragma once

#include "harvest/DeepPageScan.h"

#include <QSize>

#include <vector>

// What is taken from a followed viewer page's Deep Scan snapshot: its main
// picture, at the address Deep Scan chose for it: of the elements the page
// draws, the one whose picture is largest (its best candidate's size, known or
// estimated from its srcset width), however small the candidate the engine
// fetched and drew; when the page draws none, the largest by natural size or
// srcset width. Or every listed picture. Pictures known to be smaller than the minimum size are
// never taken. A viewer address that turned out to be a picture is taken itself.
class PictureChoice {
public:
    static std::vector<DeepEntry> Take(const PageSnapshot& viewer, const QString& viewerAddress,
                                       bool every, const QSize& minimumSize);
};
