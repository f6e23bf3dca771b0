#pragma once

#include "harvest/HarvestLine.h"
#include "harvest/ListSink.h"

#include <QListWidget>
#include <QSet>
#include <QStringList>

// The image list and the link list: sorted lines (case-insensitive, then
// byte-wise), duplicates kept in the order added, extended selection. Each line
// shows a display name and carries the address it was listed for. The
// accessible description tells how many lines are selected.
class CHarvestList : public QListWidget, public ListSink {
    Q_OBJECT
public:
    // The item data role holding a line's address.
    static constexpr int AddressRole = Qt::UserRole;

    explicit CHarvestList(QWidget* parent = nullptr);
    ~CHarvestList() override;

    // Adds one line at its sorted place.
    void AddString(const QString& line, const QString& address) override;
    // Adds many lines at once, each at its sorted place.
    void AddStrings(const HarvestLines& lines);
    void ResetContent();
    int GetSelCount() const;
    // The selected lines in ascending line order.
    HarvestLines SelectedLines() const;
    // Selects exactly the lines equal to one of lines, in name and address.
    void SelectLines(const HarvestLines& lines);
    // Selects the lines of these addresses and no others, in one step.
    void SelectAddresses(const QSet<QString>& addresses);
    // The names of all lines, in line order.
    QStringList Lines() const;

private:
    void DescribeSelection();
    static QListWidgetItem* NewItem(const HarvestLine& line);

    bool descriptionPending = false;
};
