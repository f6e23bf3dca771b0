#pragma once

#include "bookmarks/CListDialog.h"

#include <QByteArray>
#include <QList>

// Lists the bookmark file, deletes one entry or all of them straight in the
// file, and hands back the entry chosen with Select.
class CBookmarkDialog : public CListDialog {
    Q_OBJECT
public:
    // m_selection after Select with no row selected.
    static const QString ErrorResult;

    // An empty path means "QuillmarLinks.txt" in the current directory.
    CBookmarkDialog(QWidget* parent, const QString& filePath);

    // Fills the list in file order; the counter shows the rows only when the
    // whole file could be read.
    void LoadFromFile();
    // Rewrites the file without the selected line; the row goes only when the
    // file was written. Delete is refused, with a message, when the file could
    // not be read whole.
    void OnDeleteSelected() override;
    // Empties the file once the user agreed; the rows go only when that worked.
    void OnClearAll() override;

    QString m_filePath;

private:
    void AddRow(const QByteArray& entry);
    QList<QByteArray> EntriesWithout(int row) const;
    bool MayRewrite();

    bool readWhole = false;
};
