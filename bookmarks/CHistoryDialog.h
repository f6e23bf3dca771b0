#pragma once

#include "bookmarks/CListDialog.h"

#include <QList>
#include <QStringList>

// Lists a browser window's link history newest first and edits it in place:
// delete one entry, clear all, or hand back the one chosen with Select.
class CHistoryDialog : public CListDialog {
    Q_OBJECT
public:
    // m_selection after Select with no row selected.
    static const QString ErrorResult;

    // history may be null: the dialog then shows nothing.
    CHistoryDialog(QWidget* parent, QStringList* history);

    // Adds a row for every non-empty entry, newest first; the rows added.
    int FillFromHistory();
    void OnDeleteSelected() override;
    void OnClearAll() override;

private:
    // The history index of the entry a row shows, or -1 when it is gone.
    qsizetype EntryOfRow(int row) const;

    QStringList* m_history;
    // The history index each row shows; empty entries have no row, so the
    // index cannot be worked out from the row number.
    QList<qsizetype> m_rowEntries;
};
