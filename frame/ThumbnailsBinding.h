#pragma once

#include "core/CommandTable.h"
#include "core/CommandTarget.h"

#include <QObject>
#include <QPointer>
#include <QStringList>

class CHarvestList;
class CMainFrame;
class CQuillmarView;
class CThumbnailsWindow;
class ScanCommands;
struct Harvest;

// Keeps the frame's one Thumbnails window in step with the frame: it shows
// the active browser window's scan, shares one selection with the image and
// link lists, downloads through the active window's download command and
// opens a picture in a new browser window.
class ThumbnailsBinding : public QObject, public CommandTarget {
    Q_OBJECT
public:
    ThumbnailsBinding(CMainFrame& frame, CHarvestList& images, CHarvestList& links,
                      ScanCommands& scanCommands);

    static const CommandTable<ThumbnailsBinding>& Commands();
    bool HandlesCommand(int id) const override;
    void OnCommand(int id) override;

    // Opens the window, or brings it to the front, showing the active window's scan.
    CThumbnailsWindow* Open();
    // The active browser window's lists show harvest now.
    void ShowHarvest(CQuillmarView& view, const Harvest& harvest);
    void ClearHarvest();

private:
    void OnThumbnails();
    bool IsShown() const;
    CQuillmarView* ActiveView() const;
    void ListSelectionChanged();
    void SelectInLists(const QStringList& addresses);
    void Download(const QStringList& addresses);
    void OpenPicture(const QString& address);

    CMainFrame& frame;
    CHarvestList& images;
    CHarvestList& links;
    ScanCommands& scanCommands;
    QPointer<CThumbnailsWindow> window;
    bool selectingLists = false; // the lists follow the window's selection
};
