#pragma once

#include "thumbnails/Thumbnail.h"
#include "thumbnails/ThumbnailHarvest.h"

#include <QAbstractListModel>
#include <QHash>

#include <vector>

// One cell per distinct address of a harvest, in page order: the images
// first, then the links. A cell knows its lists, its picture once made, and
// until then what the scan knew.
class ThumbnailModel : public QAbstractListModel {
    Q_OBJECT
public:
    enum Role {
        AddressRole = Qt::UserRole,
        ImageRole,     // QByteArray: the encoded small copy, empty while there is none
        SizeRole,      // QSize: natural size, invalid when unknown
        TypeRole,      // QString: the badge
        NoteRole,      // QString: why there is no picture, or "" while it is on its way
        InImagesRole,  // bool
        InLinksRole,   // bool
        PageOrderRole, // int
        WantedRole,    // bool: a thumbnail is still to be made
        BestRowRole, // int: the row of the best cell that looks alike, its own when none is better
        GroupedRole, // bool: other cells look alike
    };

    explicit ThumbnailModel(QObject* parent = nullptr);

    // False, changing nothing, when the harvest lists the same lines as before.
    bool SetHarvest(const ThumbnailHarvest& harvest);
    // Gives the cell of address its thumbnail; the scan's size stays where the
    // picture could not be read.
    void Apply(const QString& address, const Thumbnail& thumbnail);

    // Gathers the cells that look alike as their pictures are now; done by
    // itself shortly after thumbnails arrive, at most every RegroupDelayMs.
    void Regroup();
    static constexpr int RegroupDelayMs = 100;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

    int RowOf(const QString& address) const { return rows.value(address, -1); }
    // "W x H", or "" when unknown.
    static QString SizeText(const QSize& size);

signals:
    // Cells came to look alike, or no longer do.
    void GroupsChanged();

private:
    struct Cell {
        QString name;
        QString address;
        bool inImages = false;
        bool inLinks = false;
        bool done = false;
        Thumbnail thumbnail;
        int bestRow = -1; // as the last regrouping found
        bool grouped = false;

        static bool SameLine(const Cell& one, const Cell& other) {
            return one.name == other.name && one.address == other.address &&
                   one.inImages == other.inImages && one.inLinks == other.inLinks;
        }
    };

    static void Add(std::vector<Cell>& cells, QHash<QString, int>& rows, const DeepEntry& entry,
                    bool fromLinks);
    QString AccessibleText(const Cell& cell) const;
    void RegroupSoon();

    std::vector<Cell> cells;
    QHash<QString, int> rows; // address -> row
    bool regroupPending = false;
};
