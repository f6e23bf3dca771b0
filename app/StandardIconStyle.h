#pragma once

#include <QHash>
#include <QIcon>
#include <QProxyStyle>

// The style Qt chose, with the standard icons it draws from PNG files read
// as PNG. Qt reads those files by asking every image plugin whether it
// claims them, which loads all the plugins (TIFF, WebP, MNG, ...) and their
// libraries, about 6 ms, as the menu bar is made, before the first window
// can show; Qt's own PNG reader needs none of them.
class StandardIconStyle : public QProxyStyle {
    Q_OBJECT
public:
    // The style named key, as QStyleFactory makes it.
    explicit StandardIconStyle(const QString& key);

    QIcon standardIcon(StandardPixmap which, const QStyleOption* option = nullptr,
                       const QWidget* widget = nullptr) const override;

private:
    // The icon made of Qt's files; null when it is not one of them or they are missing.
    QIcon ReadIcon(StandardPixmap which, bool rightToLeft) const;

    // Made once each: a window asks for its title bar's icons several times.
    mutable QHash<int, QIcon> icons;
};
