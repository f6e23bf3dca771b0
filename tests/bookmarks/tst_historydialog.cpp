#include "DialogProbe.h"
#include "app/DialogUnits.h"
#include "bookmarks/CHistoryDialog.h"
#include "support/TestMain.h"

#include <memory>

namespace {

enum { List = 1044, Delete = 1042, Clear = 1046, Counter = 1045, SearchBox = 1043 };
enum { Search = 1041, Select = 1039, Cancel = 2 };

} // namespace

class HistoryDialogTest : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<CHistoryDialog> m_dialog;

    DialogProbe open(QStringList* history) {
        m_dialog = std::make_unique<CHistoryDialog>(nullptr, history);
        m_dialog->show();
        return DialogProbe(*m_dialog, List, Counter, SearchBox);
    }

private slots:
    void cleanup() { m_dialog.reset(); }

    void listsNewestFirstWithoutEmptyEntries() {
        QStringList history{"http://old", "", "http://mid", "", "http://new"};
        const DialogProbe probe = open(&history);
        QCOMPARE(probe.rows(), (QStringList{"http://new", "http://mid", "http://old"}));
        QCOMPARE(probe.counter(), QString("3"));
        QCOMPARE(m_dialog->FillFromHistory(), 3);
    }

    void emptyOrMissingHistoryShowsNothing() {
        QStringList history;
        DialogProbe probe = open(&history);
        QVERIFY(probe.rows().isEmpty());
        QCOMPARE(probe.counter(), QString("0"));

        probe = open(nullptr);
        QVERIFY(probe.rows().isEmpty());
        QCOMPARE(probe.counter(), QString("0"));
        probe.click(Clear);
        probe.click(Delete);
        probe.click(Select);
        QCOMPARE(m_dialog->m_selection, QString("HistoryError"));
    }

    void deleteRemovesTheEntryTheRowShows() {
        // Empty entries have no row, so rows and indices do not mirror each other.
        QStringList history{"a", "", "b", "", "c", "d"};
        DialogProbe probe = open(&history);
        probe.selectRow(2); // "b"
        probe.click(Delete);
        QCOMPARE(history, (QStringList{"a", "", "", "c", "d"}));
        QCOMPARE(probe.rows(), (QStringList{"d", "c", "a"}));
        QCOMPARE(probe.counter(), QString("3"));

        probe.selectRow(0); // "d", above the deleted row
        probe.click(Delete);
        probe.selectRow(1); // "a"
        probe.click(Delete);
        QCOMPARE(history, (QStringList{"", "", "c"}));
        QCOMPARE(probe.counter(), QString("1"));

        probe = open(&history);
        QCOMPARE(probe.rows(), QStringList{"c"});
    }

    void deleteWithoutSelectionChangesNothing() {
        QStringList history{"a", "b"};
        const DialogProbe probe = open(&history);
        probe.click(Delete);
        QCOMPARE(history.size(), 2);
        QCOMPARE(probe.counter(), QString("2"));
    }

    void clearThenCancelLeavesTheHistoryEmpty() {
        QStringList history{"a", "b", "c"};
        const DialogProbe probe = open(&history);
        probe.selectRow(1);
        probe.click(Clear);
        QVERIFY(history.isEmpty());
        QVERIFY(probe.rows().isEmpty());
        QCOMPARE(probe.counter(), QString("0"));
        probe.click(Cancel);
        QCOMPARE(m_dialog->result(), int(QDialog::Rejected));
        QVERIFY(m_dialog->m_selection.isEmpty());
        QVERIFY(history.isEmpty());
    }

    void searchSelectAndEnterUseTheHistoryControls() {
        QStringList history{"http://a/cat", "http://b/dog", "http://c/cat"};
        const DialogProbe probe = open(&history);
        probe.search("cat");
        QCOMPARE(probe.selectedRow(), 0);
        probe.searchBox()->setText("cat");
        probe.click(Search);
        QCOMPARE(probe.selectedRow(), 2);
        QVERIFY2(m_dialog->isVisible(), "Enter must never close the dialog");
        probe.click(Select);
        QCOMPARE(m_dialog->result(), int(QDialog::Accepted));
        QCOMPARE(m_dialog->m_selection, QString("http://a/cat"));
    }

    void selectWithoutRowReportsTheErrorText() {
        QStringList history{"a"};
        const DialogProbe probe = open(&history);
        probe.click(Select);
        QCOMPARE(m_dialog->result(), int(QDialog::Accepted));
        QCOMPARE(m_dialog->m_selection, QString("HistoryError"));
        QCOMPARE(history, QStringList{"a"});
    }

    void bottomRowSitsAtItsRectangles() {
        QStringList history;
        open(&history);
        const QList<int> leftToRight{Counter, Clear, Delete, SearchBox, Search, Select, Cancel};
        const QList<int> leftEdges{5, 33, 49, 66, 126, 154, 169};
        for (int i = 0; i < leftToRight.size(); ++i) {
            const QWidget* control = m_dialog->ControlById(leftToRight[i]);
            QVERIFY(control);
            QCOMPARE(control->x(), DialogUnits::toPixels(leftEdges[i], 0, 1, 1).x());
        }
        QCOMPARE(m_dialog->ControlById(Clear)->toolTip(), QString("Clear History"));
    }
};

QUILLMAR_TEST_MAIN(HistoryDialogTest)
#include "tst_historydialog.moc"
