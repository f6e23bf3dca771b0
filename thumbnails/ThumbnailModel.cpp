#include "thumbnails/ThumbnailModel.h"

#include "thumbnails/AlikeGroups.h"
#include "thumbnails/ThumbnailMaker.h"

#include <QTimer>

#include <algorithm>

ThumbnailModel::ThumbnailModel(QObject* parent) : QAbstractListModel(parent) {}

// A rescan keeps the thumbnails already made for addresses it lists again.
bool ThumbnailModel::SetHarvest(const ThumbnailHarvest& harvest) {
    std::vector<Cell> listed;
    QHash<QString, int> listedRows;
    for (const DeepEntry& entry : harvest.images)
        Add(listed, listedRows, entry, false);
    for (const DeepEntry& entry : harvest.links)
        Add(listed, listedRows, entry, true);
    if (std::equal(listed.begin(), listed.end(), cells.begin(), cells.end(), &Cell::SameLine))
        return false;
    for (Cell& cell : listed) {
        const int row = RowOf(cell.address);
        if (row >= 0 && cells[size_t(row)].done) {
            cell.thumbnail = cells[size_t(row)].thumbnail;
            cell.done = true;
        }
    }
    beginResetModel();
    cells = std::move(listed);
    rows = std::move(listedRows);
    endResetModel();
    RegroupSoon();
    return true;
}

void ThumbnailModel::Add(std::vector<Cell>& cells, QHash<QString, int>& rows,
                         const DeepEntry& entry, bool fromLinks) {
    auto known = rows.constFind(entry.address);
    if (known == rows.constEnd()) {
        Cell cell;
        cell.name = entry.name;
        cell.address = entry.address;
        cell.thumbnail.type = ThumbnailMaker::TypeOfName(entry.name);
        if (entry.width > 0 && entry.height > 0)
            cell.thumbnail.size = QSize(entry.width, entry.height);
        // Cells never fetched say why at once.
        cell.done = ThumbnailMaker::IsSkipped(cell.thumbnail.type);
        if (cell.done)
            cell.thumbnail.note = ThumbnailMaker::SkippedNote(cell.thumbnail.type);
        known = rows.insert(entry.address, int(cells.size()));
        cells.push_back(cell);
    }
    Cell& cell = cells[size_t(*known)];
    (fromLinks ? cell.inLinks : cell.inImages) = true;
}

void ThumbnailModel::Apply(const QString& address, const Thumbnail& thumbnail) {
    const int row = RowOf(address);
    if (row < 0)
        return;
    Cell& cell = cells[size_t(row)];
    const QSize scanned = cell.thumbnail.size;
    const QString named = cell.thumbnail.type;
    cell.thumbnail = thumbnail;
    if (!cell.thumbnail.size.isValid())
        cell.thumbnail.size = scanned;
    if (cell.thumbnail.type.isEmpty())
        cell.thumbnail.type = named;
    cell.done = true;
    emit dataChanged(index(row), index(row));
    if (cell.thumbnail.hash.IsValid())
        RegroupSoon();
}

// Thumbnails arrive in bursts; the cells are gathered once for each.
void ThumbnailModel::RegroupSoon() {
    if (regroupPending)
        return;
    regroupPending = true;
    QTimer::singleShot(RegroupDelayMs, this, &ThumbnailModel::Regroup);
}

void ThumbnailModel::Regroup() {
    regroupPending = false;
    std::vector<AlikeGroups::Picture> pictures;
    pictures.reserve(cells.size());
    for (const Cell& cell : cells) {
        const Thumbnail& made = cell.thumbnail;
        pictures.push_back(
            {cell.done ? made.hash : PerceptualHash(), made.size, made.type, made.bytes});
    }
    const AlikeGroups groups(pictures);
    bool changed = false;
    for (size_t row = 0; row < cells.size(); ++row) {
        Cell& cell = cells[row];
        const int best = groups.BestOf(int(row));
        changed |= cell.bestRow != best || cell.grouped != groups.IsGrouped(int(row));
        cell.bestRow = best;
        cell.grouped = groups.IsGrouped(int(row));
    }
    if (changed) {
        emit dataChanged(index(0), index(rowCount() - 1));
        emit GroupsChanged();
    }
}

int ThumbnailModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(cells.size());
}

QVariant ThumbnailModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= int(cells.size()))
        return QVariant();
    const Cell& cell = cells[size_t(index.row())];
    switch (role) {
    case Qt::DisplayRole:
        return cell.name;
    case Qt::ToolTipRole:
    case AddressRole:
        return cell.address;
    case Qt::AccessibleTextRole:
        return AccessibleText(cell);
    case ImageRole:
        return cell.thumbnail.image;
    case SizeRole:
        return cell.thumbnail.size;
    case TypeRole:
        return cell.thumbnail.type;
    case NoteRole:
        return cell.thumbnail.note;
    case InImagesRole:
        return cell.inImages;
    case InLinksRole:
        return cell.inLinks;
    case PageOrderRole:
        return index.row();
    case WantedRole:
        return !cell.done;
    case BestRowRole:
        return cell.bestRow < 0 ? index.row() : cell.bestRow;
    case GroupedRole:
        return cell.grouped;
    default:
        return QVariant();
    }
}

QString ThumbnailModel::SizeText(const QSize& size) {
    return size.isValid() ? QStringLiteral("%1 x %2").arg(size.width()).arg(size.height())
                          : QString();
}

// "name, W x H, type", leaving out what is not known.
QString ThumbnailModel::AccessibleText(const Cell& cell) const {
    QStringList parts{cell.name};
    const QString size = SizeText(cell.thumbnail.size);
    if (!size.isEmpty())
        parts.append(size);
    if (!cell.thumbnail.type.isEmpty())
        parts.append(cell.thumbnail.type);
    if (!cell.thumbnail.note.isEmpty())
        parts.append(cell.thumbnail.note);
    return parts.join(QStringLiteral(", "));
}
