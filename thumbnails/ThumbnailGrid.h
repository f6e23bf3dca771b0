#pragma once

#include <QListView>

// The grid of cells, worked like a list of check boxes: plain arrows, Home,
// End and the page keys move the current cell without touching the
// selection, Space toggles the current cell; with Shift they still extend it.
// It can draw a frame around each run of cells that look alike.
class ThumbnailGrid : public QListView {
    Q_OBJECT
public:
    explicit ThumbnailGrid(QWidget* parent = nullptr);

    void SetGroupFramesShown(bool shown);

protected:
    QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex& index,
                                                         const QEvent* event) const override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void PaintGroupFrames();

    bool groupFramesShown = false;
};
