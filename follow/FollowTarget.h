#pragma once

#include <QString>
#include <QStringList>
#include <QUrl>

// A viewer page a gallery leads to, and the listed thumbnails that lead there.
struct FollowTarget {
    QUrl viewer;
    QStringList thumbnails;
};
