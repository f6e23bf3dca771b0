#include "watches/WatchCheck.h"

WatchCheck WatchCheck::Judge(qint64 time, const QString& loadFailure, int pictures,
                             int picturesBefore, int newCount) {
    WatchCheck check;
    check.time = time;
    if (!loadFailure.isEmpty()) {
        check.failure = QStringLiteral("cannot load the page: ") + loadFailure;
        return check;
    }
    check.pictures = pictures;
    if (pictures == 0 && picturesBefore > 0) {
        check.failure = QStringLiteral("the page gives no picture where it gave %1 before "
                                       "(signed out, or the page changed?)")
                            .arg(picturesBefore);
        return check;
    }
    check.newCount = newCount;
    return check;
}
