#pragma once

#include "harvest/ListSink.h"

#include <QListWidget>
#include <QStringList>

// The image list and the link list: sorted lines (case-insensitive, then
// byte-wise), duplicates kept, extended selection.
class CHarvestList : public QListWidget, public ListSink {
    Q_OBJECT
public:
    explicit CHarvestList(QWidget* parent = nullptr);

    // Adds one line at its sorted place.
    void AddString(const QString& line) override;
    // Adds many lines at once, each at its sorted place.
    void AddStrings(const QStringList& lines);
    void ResetContent();
    int GetSelCount() const;
    // Texts of the selected lines in ascending line order.
    QStringList SelectedLines() const;
    QStringList Lines() const;
};
