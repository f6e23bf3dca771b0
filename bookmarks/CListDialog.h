#pragma once

#include <QDialog>
#include <QHash>
#include <QString>

class CBitmapButton;
class CDigitCounter;
class QLineEdit;
class QListWidget;

// The frame the bookmark and history dialogs share: a list above a row of
// counter, clear, delete, search box, search, select and cancel. The list has
// the first focus. An entry is chosen with the select button, a double click,
// or Enter in the list on a selected line; Enter elsewhere, or with no line
// selected, searches and never closes; Escape cancels.
class CListDialog : public QDialog {
    Q_OBJECT
public:
    // What tells the twin dialogs apart: control ids, the left edges (dialog
    // units) of the buttons that sit differently, the tip string ids and the
    // result of Select without a row.
    struct Template {
        int listId;
        int deleteId;
        int clearId;
        int counterId;
        int searchBoxId;
        int searchId;
        int clearLeft;
        int deleteLeft;
        int searchLeft;
        int listTip;
        int deleteTip;
        int clearTip;
        int searchBoxTip;
        int searchTip;
        QString noSelection;
    };

    // The chosen entry, the no-selection text, or empty after Cancel.
    QString m_selection;

    // The first row from first to last (inclusive) whose text contains text,
    // case-sensitively; -1 when none does.
    int FindEntry(int first, int last, const QString& text) const;
    // Moves the selection to the next row below it that contains the search
    // text, wrapping around to the top.
    void OnSearch();
    // Ends the dialog with Accepted and the selected row's text.
    void OnSelect();
    virtual void OnDeleteSelected() = 0;
    virtual void OnClearAll() = 0;

    // The control with this template id, for tests.
    QWidget* ControlById(int id) const;

protected:
    CListDialog(QWidget* parent, const Template& layout);

    // The selected row, or -1.
    int SelectedRow() const;
    void SetCount(int count);

    void reject() override;
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

    QListWidget* m_list = nullptr;

private:
    CBitmapButton* AddButton(int id, int left, int upBitmap, int downBitmap, int tipId);
    void AddList(int id, int tipId);
    void AddCounter(int id);
    void AddSearchBox(int id, int tipId);
    void AddControl(int id, QWidget* control, int tipId);

    QString m_noSelection;
    CDigitCounter* m_counter = nullptr;
    QLineEdit* m_searchBox = nullptr;
    QWidget* m_lastTabStop = nullptr;
    QHash<int, QWidget*> m_controls;
};
