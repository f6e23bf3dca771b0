#include "thumbnails/ThumbnailDelegate.h"

#include "thumbnails/ThumbnailMaker.h"
#include "thumbnails/ThumbnailModel.h"

#include <QApplication>
#include <QPainter>
#include <QPixmapCache>

namespace {

constexpr int Margin = 8;
constexpr int LineGap = 2;
constexpr int BadgeInset = 2;

int LineHeight() {
    return QFontMetrics(QApplication::font()).height();
}

// The small copies stay encoded in the model; only the cells painted lately
// are held decoded, in the shared pixmap cache.
QPixmap PixmapOf(const QModelIndex& index) {
    const QString key =
        QStringLiteral("thumbnail:") + index.data(ThumbnailModel::AddressRole).toString();
    QPixmap pixmap;
    if (QPixmapCache::find(key, &pixmap))
        return pixmap;
    const QByteArray encoded = index.data(ThumbnailModel::ImageRole).toByteArray();
    if (!encoded.isEmpty() && pixmap.loadFromData(encoded))
        QPixmapCache::insert(key, pixmap);
    return pixmap;
}

} // namespace

QSize ThumbnailDelegate::CellSize() {
    return QSize(ThumbnailMaker::Side + 2 * Margin,
                 ThumbnailMaker::Side + 2 * Margin + 2 * (LineHeight() + LineGap));
}

QSize ThumbnailDelegate::sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const {
    return CellSize();
}

void ThumbnailDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                              const QModelIndex& index) const {
    painter->save();
    const bool selected = option.state & QStyle::State_Selected;
    if (selected)
        painter->fillRect(option.rect, option.palette.highlight());
    if (option.state & QStyle::State_HasFocus) {
        painter->setPen(QPen(option.palette.text(), 1, Qt::DotLine));
        painter->drawRect(option.rect.adjusted(0, 0, -1, -1));
    }
    const QRect box(option.rect.left() + Margin, option.rect.top() + Margin, ThumbnailMaker::Side,
                    ThumbnailMaker::Side);
    painter->setPen(option.palette.color(selected ? QPalette::HighlightedText : QPalette::Text));
    const QRect picture = PaintPicture(painter, box, index);
    PaintText(painter, option, box, index);
    PaintBadge(painter, box, picture, index.data(ThumbnailModel::TypeRole).toString());
    painter->restore();
}

// Returns where the picture went: the badge sits on its corner.
QRect ThumbnailDelegate::PaintPicture(QPainter* painter, const QRect& box,
                                      const QModelIndex& index) const {
    const QPixmap pixmap = PixmapOf(index);
    if (!pixmap.isNull()) {
        const QSize shown =
            pixmap.size().scaled(box.size(), Qt::KeepAspectRatio).boundedTo(pixmap.size());
        QRect target(QPoint(), shown);
        target.moveCenter(box.center());
        painter->drawPixmap(target, pixmap);
        return target;
    }
    const QPen text = painter->pen();
    painter->setPen(QColor(128, 128, 128));
    painter->drawRect(box.adjusted(0, 0, -1, -1));
    painter->setPen(text);
    const QString note = index.data(ThumbnailModel::NoteRole).toString();
    const bool wanted = index.data(ThumbnailModel::WantedRole).toBool();
    painter->drawText(box.adjusted(4, 4, -4, -4), Qt::AlignCenter | Qt::TextWordWrap,
                      wanted ? QStringLiteral("loading...") : note);
    return box;
}

// On the picture's corner where the picture holds it; else on the box's
// corner, which a picture too small or too narrow for the badge, drawn in the
// box's middle, never reaches.
QRect ThumbnailDelegate::BadgeRect(const QRect& box, const QRect& picture, const QSize& size) {
    const bool fits = picture.width() >= size.width() + 2 * BadgeInset &&
                      picture.height() >= size.height() + 2 * BadgeInset;
    return QRect((fits ? picture : box).topLeft() + QPoint(BadgeInset, BadgeInset), size);
}

void ThumbnailDelegate::PaintBadge(QPainter* painter, const QRect& box, const QRect& picture,
                                   const QString& type) const {
    if (type.isEmpty())
        return;
    QFont font = painter->font();
    font.setPointSizeF(font.pointSizeF() * 0.8);
    font.setBold(true);
    painter->setFont(font);
    const QRect text = QFontMetrics(font).boundingRect(type).adjusted(-3, -1, 3, 1);
    const QRect badge = BadgeRect(box, picture, text.size());
    painter->fillRect(badge, QColor(0, 0, 0, 170));
    painter->setPen(Qt::white);
    painter->drawText(badge, Qt::AlignCenter, type);
}

void ThumbnailDelegate::PaintText(QPainter* painter, const QStyleOptionViewItem& option,
                                  const QRect& box, const QModelIndex& index) const {
    painter->setFont(option.font);
    const int line = LineHeight();
    const QRect nameRect(box.left(), box.bottom() + 1 + LineGap, box.width(), line);
    const QString name = index.data(Qt::DisplayRole).toString();
    painter->drawText(nameRect, Qt::AlignHCenter | Qt::AlignTop,
                      option.fontMetrics.elidedText(name, Qt::ElideMiddle, box.width()));
    const QRect sizeRect = nameRect.translated(0, line + LineGap);
    painter->drawText(sizeRect, Qt::AlignHCenter | Qt::AlignTop,
                      ThumbnailModel::SizeText(index.data(ThumbnailModel::SizeRole).toSize()));
}
