#include "BookmarkTestFiles.h"
#include "bookmarks/BookmarkFile.h"
#include "bookmarks/CBookmarkDialog.h"
#include "bookmarks/CHistoryDialog.h"
#include "controls/CDigitCounter.h"
#include "support/TestMain.h"

#include <QLineEdit>
#include <QListWidget>
#include <QTemporaryDir>

using namespace bookmarktest;

namespace {

enum BookmarkIds {
    BList = 1008,
    BDelete = 1035,
    BClear = 1047,
    BCounter = 1036,
    BSearchBox = 1037
};
enum HistoryIds { HList = 1044, HDelete = 1042, HClear = 1046, HCounter = 1045 };
enum SharedIds { Search = 1038, Select = 1039, Cancel = 2 };

QListWidget* list(CListDialog& dialog, int id) {
    return qobject_cast<QListWidget*>(dialog.ControlById(id));
}
QStringList rows(CListDialog& dialog, int id) {
    QStringList texts;
    for (int row = 0; row < list(dialog, id)->count(); ++row)
        texts << list(dialog, id)->item(row)->text();
    return texts;
}
int selectedRow(CListDialog& dialog, int id) {
    return list(dialog, id)->selectionModel()->selectedRows().value(0).row();
}
void selectRow(CListDialog& dialog, int id, int row) {
    list(dialog, id)->setCurrentRow(row, QItemSelectionModel::ClearAndSelect);
}
QString counter(CListDialog& dialog, int id) {
    return qobject_cast<CDigitCounter*>(dialog.ControlById(id))->Text();
}
void click(CListDialog& dialog, int id) {
    QTest::mouseClick(dialog.ControlById(id), Qt::LeftButton);
}

} // namespace

class ListDialogsTest : public QObject {
    Q_OBJECT
private:
    QTemporaryDir m_dir;
    QString path() const { return m_dir.filePath(BookmarkFile::FileName); }

private slots:
    void searchFindsTheNextRowAndWrapsAround() {
        writeBytes(path(), "xabcx\r\nabc\r\nABC\r\n");
        CBookmarkDialog dialog(nullptr, path());
        dialog.show();
        auto* searchBox = qobject_cast<QLineEdit*>(dialog.ControlById(BSearchBox));
        QTest::keyClicks(searchBox, "abc");
        QList<int> found;
        for (int press = 0; press < 3; ++press) {
            QTest::keyClick(searchBox, Qt::Key_Return);
            found << selectedRow(dialog, BList);
        }
        QCOMPARE(found, (QList<int>{0, 1, 0}));
        QVERIFY2(dialog.isVisible(), "Enter searches and never closes");

        selectRow(dialog, BList, 2);
        searchBox->setText("AB");
        click(dialog, Search); // only the selected row matches
        QCOMPARE(selectedRow(dialog, BList), 2);
        searchBox->clear();
        click(dialog, Search);
        QCOMPARE(selectedRow(dialog, BList), 2);

        QTest::keyClicks(searchBox, QString(250, 'q'));
        QCOMPARE(searchBox->text().size(), 200);
    }

    void deleteTakesTheSelectedLineOutOfListAndFile() {
        writeBytes(path(), "A\nB\n\nA");
        CBookmarkDialog dialog(nullptr, path());
        QCOMPARE(counter(dialog, BCounter), QString("4"));
        click(dialog, BDelete); // nothing selected
        QCOMPARE(readBytes(path()), QByteArray("A\nB\n\nA"));
        selectRow(dialog, BList, 3);
        click(dialog, BDelete);
        QCOMPARE(rows(dialog, BList), (QStringList{"A", "B", ""}));
        QCOMPARE(counter(dialog, BCounter), QString("3"));
        QCOMPARE(readBytes(path()), QByteArray("A\r\nB\r\n\r\n"));
    }

    void failedDeleteChangesNothing() {
        const QByteArray content = QByteArray(100, 'a') + "\r\n" + QByteArray(100, 'b') + "\r\n";
        writeBytes(path(), content);
        CBookmarkDialog dialog(nullptr, path());
        selectRow(dialog, BList, 0);
        {
            FileSizeLimit fullDisk(64);
            click(dialog, BDelete);
        }
        QCOMPARE(readBytes(path()), content);
        QCOMPARE(rows(dialog, BList).size(), 2);
        QCOMPARE(counter(dialog, BCounter), QString("2"));
    }

    void clearThenSelectOrCancel() {
        writeBytes(path(), "a\r\nb\r\n");
        CBookmarkDialog dialog(nullptr, path());
        dialog.show();
        selectRow(dialog, BList, 1);
        click(dialog, BClear);
        QVERIFY(rows(dialog, BList).isEmpty());
        QCOMPARE(counter(dialog, BCounter), QString("0"));
        QCOMPARE(QFileInfo(path()).size(), 0);
        click(dialog, Select);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(dialog.m_selection, QString("BookmarkError"));
        dialog.show();
        QTest::keyClick(&dialog, Qt::Key_Escape);
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QVERIFY(dialog.m_selection.isEmpty());
    }

    void historyShowsNewestFirstAndDeletesTheEntryOfTheRow() {
        QStringList history{"a", "", "b", "", "c", "d"};
        CHistoryDialog dialog(nullptr, &history);
        QCOMPARE(rows(dialog, HList), (QStringList{"d", "c", "b", "a"}));
        QCOMPARE(counter(dialog, HCounter), QString("4"));
        // Hidden empty entries break the row-to-index mirror: each row knows its entry.
        for (int row : {2, 0, 1}) { // "b", then "d" above it, then "a"
            selectRow(dialog, HList, row);
            click(dialog, HDelete);
        }
        QCOMPARE(history, (QStringList{"", "", "c"}));
        QCOMPARE(rows(dialog, HList), QStringList{"c"});
        QCOMPARE(counter(dialog, HCounter), QString("1"));
        history.prepend("recorded meanwhile");
        selectRow(dialog, HList, 0);
        click(dialog, HDelete);
        QCOMPARE(history, (QStringList{"recorded meanwhile", "", ""}));
    }

    void historyClearAndSelect() {
        QStringList history{"a", "b"};
        CHistoryDialog dialog(nullptr, &history);
        selectRow(dialog, HList, 1);
        click(dialog, Select);
        QCOMPARE(dialog.m_selection, QString("a"));
        click(dialog, HClear);
        QVERIFY(history.isEmpty());
        QCOMPARE(counter(dialog, HCounter), QString("0"));
        click(dialog, Select);
        QCOMPARE(dialog.m_selection, QString("HistoryError"));

        CHistoryDialog withoutHistory(nullptr, nullptr);
        click(withoutHistory, HClear);
        QCOMPARE(counter(withoutHistory, HCounter), QString("0"));
    }
};

QUILLMAR_TEST_MAIN(ListDialogsTest)
#include "tst_listdialogs.moc"
