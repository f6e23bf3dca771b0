#pragma once

#include <QList>
#include <QListView>
#include <QPainterPath>

// The grid of cells, worked like a list of check boxes: plain arrows, Home,
// End and the page keys move the current cell without touching the
// selection, Space toggles the current cell; with Shift they still extend it.
// It can draw a frame around each group of cells that look alike; a group
// that wraps onto the next line is one frame open where it wraps, as a
// selection of text is.
class ThumbnailGrid : public QListView {
    Q_OBJECT
public:
    explicit ThumbnailGrid(QWidget* parent = nullptr);

    void SetGroupFramesShown(bool shown);
    // The frames of the groups in view, one path each, in viewport coordinates.
    QList<QPainterPath> GroupFrames() const;

protected:
    QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex& index,
                                                         const QEvent* event) const override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    // The frame of one group's cells, each line's cells united.
    QPainterPath FrameOf(const QList<QRect>& lines) const;

    bool groupFramesShown = false;
};
