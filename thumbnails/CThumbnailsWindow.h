#pragma once

#include "thumbnails/ThumbnailHarvest.h"

#include <QStringList>
#include <QWidget>

class QCheckBox;
class QComboBox;
class QLabel;
class QListView;
class QPushButton;
class QSpinBox;
class QTimer;
class ThumbnailFilter;
class ThumbnailLoader;
class ThumbnailModel;

// The Thumbnails window: a grid of the pictures of a harvest, with their
// sizes and types, filters and an order, and a selection its owner keeps in
// step with the harvest's lists. The pictures in view are made first.
class CThumbnailsWindow : public QWidget {
    Q_OBJECT
public:
    explicit CThumbnailsWindow(QWidget* parent = nullptr);
    ~CThumbnailsWindow() override;

    // The addresses of the selected cells that are shown; hidden cells never count.
    QStringList SelectedAddresses() const;
    // The size the window first opens at, until the user gives it another:
    // at least 4 x 3 cells without scrolling.
    QSize DefaultSize() const;

    QListView* View() const { return view; }
    ThumbnailFilter* Filter() const { return filter; }

public slots:
    void SetHarvest(const ThumbnailHarvest& harvest);
    // Selects the shown cells of these addresses and no others; SelectionChanged is not emitted.
    void SelectAddresses(const QStringList& addresses);
    void SetMinimumSize(const QSize& size);

signals:
    // The user changed the selection.
    void SelectionChanged(const QStringList& addresses);
    void DownloadRequested(const QStringList& addresses);
    void OpenRequested(const QString& address);
    // The user changed the minimum size and has stopped typing.
    void MinimumSizeChanged(const QSize& size);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    QWidget* MakeFilterRow();
    QWidget* MakeTypeRow();
    QWidget* MakeButtonRow();
    void SetUpView();
    void OnMinimumSizeEdited();
    void OnSelectionChanged();
    void ShowCounts();
    // Asks for the thumbnails still to be made: the cells in view first, then
    // the others by their distance from the view.
    void WantVisibleFirst();
    void ScheduleWant();

    ThumbnailModel* model;
    ThumbnailFilter* filter;
    ThumbnailLoader* loader;
    QListView* view;
    QComboBox* lists;
    QComboBox* order;
    QSpinBox* minimumWidth;
    QSpinBox* minimumHeight;
    QLabel* counts;
    QPushButton* download;
    QTimer* wantTimer;
    QTimer* sizeSettled;
    bool selectingFromOutside = false;
};
