#pragma once

#include "watches/Watch.h"

#include <QDialog>
#include <QHash>

#include <functional>

class QCheckBox;
class QLabel;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;
class WatchCheckProcess;
class WatchStore;

// The Watch List: a row per watch with its title, address, folder, last
// check and its result (why, for a failing one), the new pictures since the
// person last looked (bold until the row is opened) and the next check. Its
// buttons check one or every watch now (progress in the row, cancellable),
// open the folder or the page, edit and remove; its check box switches the
// checks while Quillmar is closed.
class CWatchListWindow : public QDialog {
    Q_OBJECT
public:
    struct Actions {
        std::function<void(const QString& address)> openPage;
        // Edits a watch; true when changed.
        std::function<bool(QWidget* parent, const Watch& watch)> edit;
    };
    CWatchListWindow(QWidget* parent, WatchStore& store, WatchCheckProcess& checks,
                     Actions actions);

    // Reads the list again.
    void Refresh();
    // The person opened the row of address: its new pictures are looked at.
    void Open(const QString& address);

    enum Column {
        TitleColumn,
        AddressColumn,
        FolderColumn,
        LastColumn,
        ResultColumn,
        NewColumn,
        NextColumn
    };

private:
    QWidget* Buttons();
    QString Selected() const;
    void ShowRow(QTreeWidgetItem* row, const Watch& watch);
    void ShowProgress(const QString& address, const QString& text);
    void CheckSelected();
    void CheckAll();
    void OpenFolder();
    void EditSelected();
    void RemoveSelected();
    void ShowTimer();
    void SwitchTimer(bool on);
    void EnableButtons();

    WatchStore& store;
    WatchCheckProcess& checks;
    Actions actions;
    QTreeWidget* rows;
    QHash<QString, QTreeWidgetItem*> rowOf;
    QPushButton* checkNow;
    QPushButton* checkAll;
    QPushButton* cancel;
    QPushButton* openFolder;
    QPushButton* openPage;
    QPushButton* edit;
    QPushButton* remove;
    QCheckBox* timer;
    QLabel* timerProblem;
};
