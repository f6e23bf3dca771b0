#include "BookmarkTestFiles.h"
#include "bookmarks/BookmarkFile.h"
#include "bookmarks/CBookmarkDialog.h"
#include "bookmarks/CHistoryDialog.h"
#include "controls/CDigitCounter.h"
#include "support/ScriptedPrompts.h"
#include "support/TestMain.h"

#include <QLineEdit>
#include <QListWidget>
#include <QTemporaryDir>

#include <sys/stat.h>

using namespace bookmarktest;

namespace {

struct Ids {
    int list, remove, clear, counter;
};
const Ids Bookmarks{1008, 1035, 1047, 1036};
const Ids History{1044, 1042, 1046, 1045};
const int SearchBox = 1037, Search = 1038, Select = 1039;

QListWidget* list(CListDialog& dialog, const Ids& ids) {
    return qobject_cast<QListWidget*>(dialog.ControlById(ids.list));
}
// The counter, then the rows: "2: a,b".
QString shown(CListDialog& dialog, const Ids& ids) {
    QStringList rows;
    for (int row = 0; row < list(dialog, ids)->count(); ++row)
        rows << list(dialog, ids)->item(row)->text();
    return qobject_cast<CDigitCounter*>(dialog.ControlById(ids.counter))->Text() + ": " +
           rows.join(',');
}
void click(CListDialog& dialog, int id) {
    QTest::mouseClick(dialog.ControlById(id), Qt::LeftButton);
}
void clickOnRow(CListDialog& dialog, const Ids& ids, int row, int id) {
    list(dialog, ids)->setCurrentRow(row, QItemSelectionModel::ClearAndSelect);
    click(dialog, id);
}

} // namespace

class ListDialogsTest : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    const QString m_path = m_dir.filePath(BookmarkFile::FileName);

private slots:
    void searchFindsTheNextRowAndWrapsAround() {
        writeBytes(m_path, "xabcx\r\nabc\r\nABC\r\n");
        CBookmarkDialog dialog(nullptr, m_path);
        dialog.show();
        auto* searchBox = qobject_cast<QLineEdit*>(dialog.ControlById(SearchBox));
        const auto selected = [&] { return list(dialog, Bookmarks)->selectedItems().value(0); };
        QTest::keyClicks(searchBox, "abc");
        QList<int> found;
        for (int press = 0; press < 3; ++press) {
            QTest::keyClick(searchBox, Qt::Key_Return);
            found << list(dialog, Bookmarks)->row(selected());
        }
        QCOMPARE(found, (QList<int>{0, 1, 0}));
        QVERIFY2(dialog.isVisible(), "Enter searches and never closes");
        for (const QString text : {"AB", ""}) { // only the selected row matches; nothing to find
            searchBox->setText(text);
            clickOnRow(dialog, Bookmarks, 2, Search);
            QCOMPARE(selected()->text(), QString("ABC"));
        }
    }

    void deleteAndClearChangeListAndFile() {
        const QString a(100, 'A'); // long enough for the limit below
        const QByteArray content = (a + "\nB\n\n" + a).toLatin1();
        writeBytes(m_path, content);
        CBookmarkDialog dialog(nullptr, m_path);
        dialog.show();
        click(dialog, Bookmarks.remove); // nothing selected
        {
            FileSizeLimit fullDisk(64);
            clickOnRow(dialog, Bookmarks, 3, Bookmarks.remove);
        }
        QCOMPARE(readBytes(m_path), content);
        QCOMPARE(shown(dialog, Bookmarks), QString("4: " + a + ",B,," + a));
        clickOnRow(dialog, Bookmarks, 3, Bookmarks.remove);
        QCOMPARE(shown(dialog, Bookmarks), QString("3: " + a + ",B,"));
        QCOMPARE(readBytes(m_path), (a + "\r\nB\r\n\r\n").toLatin1());

        clickOnRow(dialog, Bookmarks, 1, Bookmarks.clear);
        QCOMPARE(shown(dialog, Bookmarks), QString("0: "));
        QCOMPARE(QFileInfo(m_path).size(), 0);
        click(dialog, Select);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(dialog.m_selection, QString("BookmarkError"));
        dialog.show();
        QTest::keyClick(&dialog, Qt::Key_Escape);
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QVERIFY(dialog.m_selection.isEmpty());
    }

    // Rows kept from an earlier read must not replace a file read only in part.
    void aFileNotReadWholeIsNeverRewritten() {
        writeBytes(m_path, "a\r\n");
        CBookmarkDialog dialog(nullptr, m_path);
        QVERIFY(QFile::remove(m_path) && mkfifo(qPrintable(m_path), 0600) == 0);
        dialog.LoadFromFile(); // refused at once instead of waiting for a writer
        testsupport::ScriptedPrompts prompts;
        clickOnRow(dialog, Bookmarks, 0, Bookmarks.remove);
        click(dialog, Bookmarks.clear);
        QCOMPARE(prompts.messages.size(), 2);
        QCOMPARE(prompts.messages.at(0).caption + prompts.messages.at(1).caption, "ErrorError");
        QVERIFY(list(dialog, Bookmarks)->count() == 1 && !QFileInfo(m_path).isFile());
        QFile::remove(m_path);
    }

    void historyShowsNewestFirstAndDeletesTheEntryOfTheRow() {
        QStringList history{"a", "", "b", "", "c", "d"};
        CHistoryDialog dialog(nullptr, &history);
        QCOMPARE(shown(dialog, History), QString("4: d,c,b,a"));
        clickOnRow(dialog, History, 3, Select);
        QCOMPARE(dialog.m_selection, QString("a"));
        // Hidden empty entries break the row-to-index mirror: each row knows its entry.
        for (int row : {2, 0, 1}) // "b", then "d" above it, then "a"
            clickOnRow(dialog, History, row, History.remove);
        QCOMPARE(history, (QStringList{"", "", "c"}));
        QCOMPARE(shown(dialog, History), QString("1: c"));
        history.prepend("recorded meanwhile");
        clickOnRow(dialog, History, 0, History.remove);
        QCOMPARE(history, (QStringList{"recorded meanwhile", "", ""}));

        click(dialog, History.clear);
        QVERIFY(history.isEmpty());
        QCOMPARE(shown(dialog, History), QString("0: "));
        click(dialog, Select);
        QCOMPARE(dialog.m_selection, QString("HistoryError"));
        CHistoryDialog withoutHistory(nullptr, nullptr);
        click(withoutHistory, History.clear);
        QCOMPARE(shown(withoutHistory, History), QString("0: "));
    }
};

QUILLMAR_TEST_MAIN(ListDialogsTest)
#include "tst_listdialogs.moc"
