#pragma once

#include <QObject>
#include <QString>

#include <functional>

class CHarvestList;
class QListWidgetItem;
class QMenu;
class QPoint;

// The right-click menu of a harvest list's lines (Copy Address, Open in New
// Window, Download, Show Thumbnail) and the double-click that opens a line's address in a new
// browser window. A right-click on a line outside the selection selects that
// line alone, as file managers do, so the menu acts on what is highlighted.
class ListLineMenu : public QObject {
    Q_OBJECT
public:
    using OpenAddress = std::function<void(const QString& address)>;
    using Command = std::function<void()>;

    // showThumbnail opens the Thumbnails window, whose selection is the lists'.
    ListLineMenu(CHarvestList& list, OpenAddress openInNewWindow, Command download,
                 Command showThumbnail);

    // The menu for the line at pos (list viewport coordinates); nullptr off the lines.
    QMenu* MenuAt(const QPoint& pos);

private:
    void ShowMenu(const QPoint& pos);
    void CopyAddresses() const;

    CHarvestList& list;
    OpenAddress openInNewWindow;
    Command download;
    Command showThumbnail;
};
