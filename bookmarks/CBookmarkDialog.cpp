#include "bookmarks/CBookmarkDialog.h"

#include "bookmarks/BookmarkFile.h"

#include <QListWidget>

namespace {

const CListDialog::Template BookmarkTemplate = {
    1008,
    1035,
    1047,
    1036,
    1037,
    1038, // list, delete, clear, counter, search box, search
    36,
    51,
    124, // left edges of clear, delete, search
    1053,
    1054,
    1057,
    1055,
    1056, // tips of list, delete, clear, search box, search
    QStringLiteral("BookmarkError"),
};

// The file's own bytes ride along with each row, so a rewrite stores every
// other line exactly as it was read, whatever its encoding.
const int EntryRole = Qt::UserRole;

} // namespace

CBookmarkDialog::CBookmarkDialog(QWidget* parent, const QString& filePath)
    : CListDialog(parent, BookmarkTemplate),
      m_filePath(filePath.isEmpty() ? BookmarkFile::FileName : filePath) {
    LoadFromFile();
}

void CBookmarkDialog::LoadFromFile() {
    QList<QByteArray> entries;
    const bool readWhole = BookmarkFile(m_filePath).ReadAll(entries);
    for (const QByteArray& entry : entries)
        AddRow(entry);
    if (readWhole)
        SetCount(m_list->count());
}

void CBookmarkDialog::AddRow(const QByteArray& entry) {
    auto* item = new QListWidgetItem(QString::fromUtf8(entry));
    item->setData(EntryRole, entry);
    m_list->addItem(item);
}

QList<QByteArray> CBookmarkDialog::EntriesWithout(int row) const {
    QList<QByteArray> entries;
    entries.reserve(m_list->count());
    for (int i = 0; i < m_list->count(); ++i) {
        if (i != row)
            entries.append(m_list->item(i)->data(EntryRole).toByteArray());
    }
    return entries;
}

void CBookmarkDialog::OnDeleteSelected() {
    const int row = SelectedRow();
    if (row < 0)
        return;
    // The selected line itself is left out, not the first line equal to it,
    // so the list and the file keep the same entries.
    if (!BookmarkFile(m_filePath).Rewrite(EntriesWithout(row)))
        return;
    delete m_list->takeItem(row);
    SetCount(m_list->count());
}

void CBookmarkDialog::OnClearAll() {
    if (!BookmarkFile(m_filePath).Clear())
        return;
    m_list->clear();
    SetCount(0);
}

#include "moc_CBookmarkDialog.cpp"
