#pragma once

#include "harvest/StatedReferrer.h"

#include <QHash>
#include <QString>

// Where a line came from when that is not the page shown: the viewer page a
// followed thumbnail's picture was taken from, with the Referer policy that
// page states; or, on a thumbnail kept, why its viewer page gave nothing.
struct LineSource {
    QString page;
    StatedReferrer referrer;
    QString failure;
    QString title = QString(); // page's title
};

// By address.
using LineSources = QHash<QString, LineSource>;
