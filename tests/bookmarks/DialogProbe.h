#pragma once

#include "bookmarks/CListDialog.h"
#include "controls/CDigitCounter.h"

#include <QLineEdit>
#include <QListWidget>
#include <QStringList>
#include <QTest>

// Reads and drives the controls of a list dialog by their template ids.
class DialogProbe {
public:
    DialogProbe(CListDialog& dialog, int listId, int counterId, int searchBoxId)
        : m_dialog(&dialog), m_listId(listId), m_counterId(counterId), m_searchBoxId(searchBoxId) {}

    QListWidget* list() const { return qobject_cast<QListWidget*>(control(m_listId)); }
    QLineEdit* searchBox() const { return qobject_cast<QLineEdit*>(control(m_searchBoxId)); }
    QString counter() const { return qobject_cast<CDigitCounter*>(control(m_counterId))->Text(); }

    QStringList rows() const {
        QStringList texts;
        for (int row = 0; row < list()->count(); ++row)
            texts.append(list()->item(row)->text());
        return texts;
    }
    int selectedRow() const {
        const QList<QListWidgetItem*> selected = list()->selectedItems();
        return selected.isEmpty() ? -1 : list()->row(selected.constFirst());
    }
    void selectRow(int row) const {
        list()->setCurrentRow(row, QItemSelectionModel::ClearAndSelect);
    }
    void click(int id) const { QTest::mouseClick(control(id), Qt::LeftButton); }
    void search(const QString& text) const {
        searchBox()->setText(text);
        QTest::keyClick(searchBox(), Qt::Key_Return);
    }

private:
    QWidget* control(int id) const {
        QWidget* widget = m_dialog->ControlById(id);
        if (!widget)
            qFatal("no control %d", id);
        return widget;
    }

    CListDialog* m_dialog;
    int m_listId;
    int m_counterId;
    int m_searchBoxId;
};
