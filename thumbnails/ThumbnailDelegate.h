#pragma once

#include <QStyledItemDelegate>

// Paints one cell of the Thumbnails window: the small picture (or why there is
// none) with its type badge, the name and "W x H" below. Every cell has the
// same size, so the view lays out thousands at once.
class ThumbnailDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

    static QSize CellSize();
    // Where a badge of size goes for a picture drawn at picture, centred in box.
    static QRect BadgeRect(const QRect& box, const QRect& picture, const QSize& size);

private:
    QRect PaintPicture(QPainter* painter, const QRect& box, const QModelIndex& index) const;
    void PaintBadge(QPainter* painter, const QRect& box, const QRect& picture,
                    const QString& type) const;
    void PaintText(QPainter* painter, const QStyleOptionViewItem& option, const QRect& box,
                   const QModelIndex& index) const;
};
