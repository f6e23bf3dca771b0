#include "bookmarks/CHistoryDialog.h"

#include <QListWidget>

namespace {

CListDialog::Template HistoryTemplate() {
    CListDialog::Template layout;
    layout.listId = 1044;
    layout.deleteId = 1042;
    layout.clearId = 1046;
    layout.counterId = 1045;
    layout.searchBoxId = 1043;
    layout.searchId = 1041;
    layout.clearLeft = 33;
    layout.deleteLeft = 49;
    layout.searchLeft = 126;
    layout.listTip = 1044;
    layout.deleteTip = 1042;
    layout.clearTip = 1046;
    layout.searchBoxTip = 1043;
    layout.searchTip = 1041;
    layout.noSelection = CHistoryDialog::ErrorResult;
    return layout;
}

} // namespace

const QString CHistoryDialog::ErrorResult = QStringLiteral("HistoryError");

CHistoryDialog::CHistoryDialog(QWidget* parent, QStringList* history)
    : CListDialog(parent, HistoryTemplate()), m_history(history) {
    SetCount(FillFromHistory());
}

int CHistoryDialog::FillFromHistory() {
    if (!m_history)
        return 0;
    int added = 0;
    for (qsizetype index = m_history->size() - 1; index >= 0; --index) {
        const QString& entry = m_history->at(index);
        if (entry.isEmpty())
            continue;
        m_list->addItem(entry);
        m_rowEntries.append(index);
        ++added;
    }
    return added;
}

void CHistoryDialog::OnDeleteSelected() {
    const int row = SelectedRow();
    if (row < 0)
        return;
    const qsizetype index = EntryOfRow(row);
    if (index >= 0) {
        m_history->removeAt(index);
        for (qsizetype& entry : m_rowEntries) {
            if (entry > index)
                --entry;
        }
    }
    m_rowEntries.removeAt(row);
    delete m_list->takeItem(row);
    SetCount(m_list->count());
}

qsizetype CHistoryDialog::EntryOfRow(int row) const {
    if (!m_history)
        return -1;
    const qsizetype index = m_rowEntries.at(row);
    const QString text = m_list->item(row)->text();
    if (index < m_history->size() && m_history->at(index) == text)
        return index;
    // The view records pages while the dialog is open, which may have moved it.
    return m_history->lastIndexOf(text);
}

void CHistoryDialog::OnClearAll() {
    if (m_history) {
        m_history->clear();
        m_history->squeeze();
    }
    m_rowEntries.clear();
    m_list->clear();
    SetCount(0);
}

#include "moc_CHistoryDialog.cpp"
