#include "bookmarks/CListDialog.h"

#include "controls/CBitmapButton.h"
#include "controls/CDigitCounter.h"
#include "controls/ControlTexts.h"
#include "core/DialogUnits.h"
#include "core/PopupPlacement.h"
#include "core/StringTable.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <qdrawutil.h>

namespace {

const int SelectId = 1039;
const int CancelId = 2;
const int SelectTip = 1047;
const int CancelTip = 1040;
const int ButtonTop = 40;
const int ButtonSize = 14;
const int SearchTextLimit = 200;

// Button images: up, pressed.
const int SelectUp = 176, SelectDown = 174;
const int CancelUp = 177, CancelDown = 175;
const int DeleteUp = 184, DeleteDown = 183;
const int ClearUp = 207, ClearDown = 208;
const int SearchUp = 186, SearchDown = 185;

void place(QWidget* control, int left, int top, int width, int height) {
    control->setGeometry(DialogUnits::toPixels(left, top, width, height));
}

} // namespace

CListDialog::CListDialog(QWidget* parent, const Template& layout)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint), m_noSelection(layout.noSelection) {
    setModal(true);
    setFixedSize(DialogUnits::toPixels(186, 57));
    setAccessibleName(StringTable::name(layout.listTip));

    // Created in the template's order, which is also the tab order.
    CBitmapButton* select = AddButton(SelectId, 154, SelectUp, SelectDown, SelectTip);
    CBitmapButton* cancel = AddButton(CancelId, 169, CancelUp, CancelDown, CancelTip);
    AddList(layout.listId, layout.listTip);
    CBitmapButton* remove =
        AddButton(layout.deleteId, layout.deleteLeft, DeleteUp, DeleteDown, layout.deleteTip);
    AddCounter(layout.counterId);
    AddSearchBox(layout.searchBoxId, layout.searchBoxTip);
    CBitmapButton* search =
        AddButton(layout.searchId, layout.searchLeft, SearchUp, SearchDown, layout.searchTip);
    CBitmapButton* clear =
        AddButton(layout.clearId, layout.clearLeft, ClearUp, ClearDown, layout.clearTip);
    m_list->setFocus();

    connect(m_list, &QListWidget::itemDoubleClicked, this, &CListDialog::OnSelect);
    connect(select, &QAbstractButton::clicked, this, &CListDialog::OnSelect);
    connect(cancel, &QAbstractButton::clicked, this, &CListDialog::reject);
    connect(search, &QAbstractButton::clicked, this, &CListDialog::OnSearch);
    connect(remove, &QAbstractButton::clicked, this, [this] { OnDeleteSelected(); });
    connect(clear, &QAbstractButton::clicked, this, [this] { OnClearAll(); });
}

void CListDialog::AddList(int id, int tipId) {
    m_list = new QListWidget(this);
    m_list->setSortingEnabled(false);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->setUniformItemSizes(true);
    m_list->setTextElideMode(Qt::ElideNone);
    place(m_list, 2, 3, 182, 34);
    AddControl(id, m_list, tipId);
}

void CListDialog::AddCounter(int id) {
    m_counter = new CDigitCounter(this);
    place(m_counter, 5, 41, 25, 11);
    m_counter->SetNumber(0);
    NameControl(m_counter, id);
    m_controls.insert(id, m_counter);
}

void CListDialog::AddSearchBox(int id, int tipId) {
    m_searchBox = new QLineEdit(this);
    m_searchBox->setMaxLength(SearchTextLimit);
    place(m_searchBox, 66, ButtonTop, 57, ButtonSize);
    AddControl(id, m_searchBox, tipId);
}

CBitmapButton* CListDialog::AddButton(int id, int left, int upBitmap, int downBitmap, int tipId) {
    auto* button = new CBitmapButton(this);
    button->LoadBitmaps(upBitmap, downBitmap);
    place(button, left, ButtonTop, ButtonSize, ButtonSize);
    AddControl(id, button, tipId);
    return button;
}

// Every control with a tip is a tab stop; each one added goes last in the tab order.
void CListDialog::AddControl(int id, QWidget* control, int tipId) {
    ApplyControlTexts(control, tipId);
    if (m_lastTabStop)
        setTabOrder(m_lastTabStop, control);
    m_lastTabStop = control;
    m_controls.insert(id, control);
}

QWidget* CListDialog::ControlById(int id) const {
    return m_controls.value(id);
}

int CListDialog::FindEntry(int first, int last, const QString& text) const {
    const int end = qMin(last, m_list->count() - 1);
    for (int row = qMax(first, 0); row <= end; ++row) {
        if (m_list->item(row)->text().contains(text, Qt::CaseSensitive))
            return row;
    }
    return -1;
}

void CListDialog::OnSearch() {
    const QString text = m_searchBox->text();
    if (m_list->count() == 0 || text.isEmpty())
        return;
    const int selected = SelectedRow();
    const int lastRow = m_list->count() - 1;
    int found = -1;
    if (selected >= 0) {
        found = FindEntry(selected + 1, lastRow, text);
        if (found < 0)
            found = FindEntry(0, selected, text);
    } else {
        found = FindEntry(0, lastRow, text);
    }
    if (found < 0)
        return;
    m_list->setCurrentRow(found, QItemSelectionModel::ClearAndSelect);
    m_list->scrollToItem(m_list->item(found));
}

void CListDialog::OnSelect() {
    const int row = SelectedRow();
    m_selection = row >= 0 ? m_list->item(row)->text() : m_noSelection;
    accept();
}

int CListDialog::SelectedRow() const {
    const QList<QListWidgetItem*> selected = m_list->selectedItems();
    return selected.isEmpty() ? -1 : m_list->row(selected.constFirst());
}

void CListDialog::SetCount(int count) {
    m_counter->SetNumber(count);
}

void CListDialog::reject() {
    m_selection.clear();
    QDialog::reject();
}

// Reaches the dialog when the focused control leaves Enter alone: the list
// (which opens its selected line) or the search box (which searches). The
// line the list marks as current on opening is not chosen: it opens only
// once selected.
void CListDialog::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        if (m_list->hasFocus() && SelectedRow() >= 0) {
            OnSelect();
        } else {
            OnSearch();
        }
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void CListDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous())
        PopupPlacement::CentreOnMousePointer(*this);
}

void CListDialog::paintEvent(QPaintEvent* event) {
    QDialog::paintEvent(event);
    // Without a caption the window manager draws no border, so draw the raised frame here.
    QPainter painter(this);
    qDrawWinPanel(&painter, rect(), palette(), false);
}

#include "moc_CListDialog.cpp"
