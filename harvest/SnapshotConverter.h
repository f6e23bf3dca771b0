#pragma once

#include "harvest/DomSnapshot.h"

class QVariant;

// Turns what the scan script returns into a page snapshot. This is the only
// place that knows the script's result format:
//   { contentType: text, document: Doc, cssCut: bool, referrerPolicy: text,
//     elementPolicies: [[address, policy]...] }
//   Doc = { frames: [Doc...], links: [href...], linkTags: [[index, TAG]...],
//           images: [src...], details: [source, width, height, shown, ...] }
// cssCut and details come from Deep Scan only: four details per image; the
// referrer parts from Deep Scan or from its 'referrer' task alone.
// linkTags lists only links that are not anchors, which keeps big pages cheap;
// every other link is an "A". A missing or malformed part reads as absent.
class SnapshotConverter {
public:
    static PageSnapshot FromScriptResult(const QVariant& result);
    // Sets the referrer parts of snapshot from result.
    static void ReadReferrer(const QVariant& result, PageSnapshot& snapshot);
};
