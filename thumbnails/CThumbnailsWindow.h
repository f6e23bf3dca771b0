#pragma once

#include "thumbnails/ThumbnailGrid.h"
#include "thumbnails/ThumbnailHarvest.h"

#include <QPointer>
#include <QSet>
#include <QStringList>
#include <QWidget>

class DownloadReport;
class QCheckBox;
class QComboBox;
class QItemSelection;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QTimer;
class ThumbnailFilter;
class ThumbnailLoader;
class ThumbnailModel;

// The Thumbnails window: a grid of the pictures of a harvest, with their
// sizes and types, filters and an order, and a selection its owner keeps in
// step with the harvest's lists. The pictures in view are made first. A cell
// a filter hides keeps its selection, and is selected again once shown.
// Cells that look alike can stand together in a frame, and the best of each
// group be selected alone.
class CThumbnailsWindow : public QWidget {
    Q_OBJECT
public:
    explicit CThumbnailsWindow(QWidget* parent = nullptr);
    ~CThumbnailsWindow() override;

    // The addresses of the selected cells that are shown; hidden cells never count.
    QStringList SelectedAddresses() const;
    // Every selected cell's address, hidden ones too, in page order.
    QStringList AllSelectedAddresses() const;
    // The size the window first opens at, until the user gives it another:
    // at least 4 x 3 cells without scrolling.
    QSize DefaultSize() const;

    QListView* View() const { return view; }
    // The downloads whose outcome the window's own line tells after Download Selected.
    void SetDownloadReport(DownloadReport* report);
    ThumbnailFilter* Filter() const { return filter; }

public slots:
    void SetHarvest(const ThumbnailHarvest& harvest);
    // Selects the cells of these addresses and no others, hidden ones too;
    // SelectionChanged is not emitted.
    void SelectAddresses(const QStringList& addresses);
    void SetMinimumSize(const QSize& size);
    // Selects the best of every group of cells that look alike, and no other
    // cell; a decoded picture alike to no other is a group of its own.
    // SelectionChanged tells the owner.
    void SelectBestOfEachGroup();
    // Shows text in the window's own line, below the grid.
    void ShowMessage(const QString& text);

signals:
    // The user changed the selection: every selected cell, hidden ones too.
    void SelectionChanged(const QStringList& addresses);
    void DownloadRequested(const QStringList& addresses);
    void OpenRequested(const QString& address);
    // The user changed the minimum size and has stopped typing.
    void MinimumSizeChanged(const QSize& size);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    // Where the user is in the grid: the current cell, and the cell at the top
    // of the view with its distance from the view's top.
    struct Place {
        QString current;
        QString top;
        int topOffset = 0;
    };

    QWidget* MakeFilters();
    QWidget* MakeButtonRow();
    void SetUpView();
    void AddKeys();
    // Places the window, the first time it opens, where it leaves the owner's
    // bars and message line in sight.
    void PlaceByOwner();
    void OnDownload();
    void OnJobEnded(int job);
    void ReturnToOwner();
    void OnMinimumSizeEdited();
    void OnSelectionChanged(const QItemSelection& selected, const QItemSelection& deselected);
    // Selects in the view the chosen cells among the shown rows first to last.
    void ShowSelection(int first, int last, bool clearOthers);
    void ShowCounts();
    Place CurrentPlace() const;
    void GoTo(const Place& place);
    QModelIndex ShownCell(const QString& address) const;
    // Asks for the thumbnails still to be made: the cells in view first, then
    // the others by their distance from the view.
    void WantVisibleFirst();
    void ScheduleWant();

    ThumbnailModel* model;
    ThumbnailFilter* filter;
    ThumbnailLoader* loader;
    ThumbnailGrid* view;
    QComboBox* lists;
    QComboBox* order;
    QCheckBox* groupAlike;
    QLineEdit* name;
    QSpinBox* minimumWidth;
    QSpinBox* minimumHeight;
    QLabel* counts;
    QLabel* feedback;
    QPushButton* download;
    QPushButton* selectBest;
    QTimer* wantTimer;
    QTimer* sizeSettled;
    QSet<QString> chosen; // every selected cell's address, hidden ones too
    bool showingSelection = false;
    bool placed = false;
    QPointer<DownloadReport> downloads;
    QSet<int> ownJobs; // the jobs Download Selected started, until they end
};
