#pragma once

#include "harvest/DomSnapshot.h"

#include <QList>
#include <QPair>
#include <QString>

// The referrer policy a page stated when it was scanned, as its snapshot read
// it: the page's own policies, and those of elements with one of their own.
struct StatedReferrer {
    QString policy;
    QList<QPair<QString, QString>> elements;

    static StatedReferrer Of(const PageSnapshot& page) {
        return {page.referrerPolicy, page.elementReferrerPolicies};
    }
};
