#include "app/StandardIconStyle.h"

#include "controls/BitmapTable.h"

#include <QGuiApplication>
#include <QStyleOption>

namespace {

// The files Qt's common style makes these icons of, one per size.
QStringList FilesOf(QStyle::StandardPixmap which, bool rightToLeft) {
    const QString images = QStringLiteral(":/qt-project.org/styles/commonstyle/images/");
    const auto sized = [&images](const QString& name, std::initializer_list<int> sizes) {
        QStringList files;
        for (int size : sizes)
            files.append(images + name + QString::number(size) + QStringLiteral(".png"));
        return files;
    };
    switch (which) {
    case QStyle::SP_TitleBarMenuButton:
        return {QStringLiteral(":/qt-project.org/qmessagebox/images/qtlogo-64.png")};
    case QStyle::SP_TitleBarMaxButton:
        return sized(QStringLiteral("titlebar-max-"), {16, 32, 48});
    case QStyle::SP_ToolBarHorizontalExtensionButton:
        return sized(rightToLeft ? QStringLiteral("toolbar-ext-h-rtl-")
                                 : QStringLiteral("toolbar-ext-h-"),
                     {8, 16, 32});
    case QStyle::SP_ToolBarVerticalExtensionButton:
        return sized(QStringLiteral("toolbar-ext-v-"), {5, 10, 20});
    default:
        return {};
    }
}

} // namespace

StandardIconStyle::StandardIconStyle(const QString& key) : QProxyStyle(key) {}

QIcon StandardIconStyle::standardIcon(StandardPixmap which, const QStyleOption* option,
                                      const QWidget* widget) const {
    const bool rightToLeft =
        (option ? option->direction : QGuiApplication::layoutDirection()) == Qt::RightToLeft;
    const int key = int(which) * 2 + (rightToLeft ? 1 : 0);
    const auto known = icons.constFind(key);
    if (known != icons.constEnd())
        return *known;
    const QIcon icon = ReadIcon(which, rightToLeft);
    if (icon.isNull())
        return QProxyStyle::standardIcon(which, option, widget);
    icons.insert(key, icon);
    return icon;
}

QIcon StandardIconStyle::ReadIcon(StandardPixmap which, bool rightToLeft) const {
    const QStringList files = FilesOf(which, rightToLeft);
    QIcon icon;
    // The title bar's menu button is Qt's logo at 64 pixels over a 16-pixel picture.
    if (which == SP_TitleBarMenuButton && !files.isEmpty())
        icon.addPixmap(standardPixmap(which, nullptr, nullptr));
    for (const QString& file : files) {
        const QImage image = BitmapTable::readPng(file);
        // A Qt without these files draws the icon its own way.
        if (image.isNull())
            return QIcon();
        icon.addPixmap(QPixmap::fromImage(image));
    }
    return icon;
}
