#include "bookmarks/CBookmarkDialog.h"

#include "bookmarks/BookmarkFile.h"
#include "core/Prompts.h"

#include <QListWidget>

namespace {

CListDialog::Template BookmarkTemplate() {
    CListDialog::Template layout;
    layout.listId = 1008;
    layout.deleteId = 1035;
    layout.clearId = 1047;
    layout.counterId = 1036;
    layout.searchBoxId = 1037;
    layout.searchId = 1038;
    layout.clearLeft = 36;
    layout.deleteLeft = 51;
    layout.searchLeft = 124;
    layout.listTip = 1053;
    layout.deleteTip = 1054;
    layout.clearTip = 1057;
    layout.searchBoxTip = 1055;
    layout.searchTip = 1056;
    layout.noSelection = CBookmarkDialog::ErrorResult;
    return layout;
}

// The file's own bytes ride along with each row, so a rewrite stores every
// other line exactly as it was read, whatever its encoding.
const int EntryRole = Qt::UserRole;

} // namespace

const QString CBookmarkDialog::ErrorResult = QStringLiteral("BookmarkError");

CBookmarkDialog::CBookmarkDialog(QWidget* parent, const QString& filePath)
    : CListDialog(parent, BookmarkTemplate()),
      m_filePath(filePath.isEmpty() ? BookmarkFile::FileName : filePath) {
    LoadFromFile();
}

void CBookmarkDialog::LoadFromFile() {
    QList<QByteArray> entries;
    readWhole = BookmarkFile(m_filePath).ReadAll(entries);
    for (const QByteArray& entry : entries)
        AddRow(entry);
    if (readWhole)
        SetCount(m_list->count());
}

// A rewrite from a partial list would lose the part of the file never read.
bool CBookmarkDialog::MayRewrite() {
    if (!readWhole)
        Prompts::current().message(
            this,
            QStringLiteral("The bookmark file could not be read completely; it is left as it is."),
            QStringLiteral("Error"), Prompts::Icon::Error);
    return readWhole;
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
    if (row < 0 || !MayRewrite())
        return;
    // The selected line itself is left out, not the first line equal to it,
    // so the list and the file keep the same entries.
    if (!BookmarkFile(m_filePath).Rewrite(EntriesWithout(row)))
        return;
    delete m_list->takeItem(row);
    SetCount(m_list->count());
}

// Asked also after a partial read: the user gives up every line either way.
void CBookmarkDialog::OnClearAll() {
    if (!Prompts::current().askYesNo(this, QStringLiteral("Delete all bookmarks?"),
                                     QStringLiteral("Clear BookMarks")) ||
        !BookmarkFile(m_filePath).Clear())
        return;
    m_list->clear();
    readWhole = true;
    SetCount(0);
}

#include "moc_CBookmarkDialog.cpp"
