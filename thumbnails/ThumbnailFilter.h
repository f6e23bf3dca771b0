#pragma once

#include <QSet>
#include <QSize>
#include <QSortFilterProxyModel>

// The cells the Thumbnails window shows, in the order it shows them: which
// lists, the minimum size (cells of unknown size stay), the types ticked and
// a text the name must contain; by page order, size (largest first) or name.
// Grouped alike, the cells that look alike stand together where the best of
// them stands in the order, the best first.
class ThumbnailFilter : public QSortFilterProxyModel {
    Q_OBJECT
public:
    enum class Lists { Images, Links, Both };
    enum class Order { Page, Size, Name };

    explicit ThumbnailFilter(QObject* parent = nullptr);

    void SetLists(Lists shown);
    // 0 in a direction: no limit there.
    void SetMinimumSize(const QSize& size);
    // Types with a check box of their own; any other type counts as Other.
    static const QStringList& Types();
    static const QString Other;
    void SetTypeShown(const QString& type, bool shown);
    void SetNameText(const QString& text);
    void SetOrder(Order order);
    void SetGroupAlike(bool grouped);
    // Whether the cell of the source model's row passes the filters now.
    bool Shows(int sourceRow) const { return filterAcceptsRow(sourceRow, QModelIndex()); }

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const override;
    bool lessThan(const QModelIndex& left, const QModelIndex& right) const override;

private:
    bool IsInShownLists(const QModelIndex& cell) const;
    bool IsLargeEnough(const QModelIndex& cell) const;
    bool IsTypeShown(const QModelIndex& cell) const;
    bool IsInOrder(const QModelIndex& left, const QModelIndex& right) const;
    QModelIndex BestOf(const QModelIndex& cell) const;

    Lists lists = Lists::Both;
    QSize minimumSize{0, 0};
    QSet<QString> hiddenTypes;
    QString nameText;
    Order order = Order::Page;
    bool groupAlike = false;
};
