#include "BookmarkTestFiles.h"
#include "bookmarks/BookmarkFile.h"
#include "bookmarks/CBookmarkDialog.h"
#include "bookmarks/CHistoryDialog.h"
#include "controls/CDigitCounter.h"
#include "support/AccessibilityWalk.h"
#include "support/ScriptedPrompts.h"
#include "support/TestMain.h"

#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QTemporaryDir>

#include <sys/stat.h>

using namespace bookmarktest;
using Entries = QList<QByteArray>;

namespace {

struct Ids {
    int list, remove, clear, counter;
};
const Ids Bookmarks{BookmarkList, 1035, 1047, 1036};
const Ids History{HistoryList, 1042, 1046, 1045};
const int HistorySearchBox = 1043;

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
// Selects the row (none when negative) and clicks the control.
void click(CListDialog& dialog, int id, const Ids& ids = Bookmarks, int row = -1) {
    if (row >= 0)
        list(dialog, ids)->setCurrentRow(row, QItemSelectionModel::ClearAndSelect);
    QTest::mouseClick(dialog.ControlById(id), Qt::LeftButton);
}

} // namespace

class BookmarkFileTest : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    const QString m_path = m_dir.filePath(BookmarkFile::FileName);

private slots:
    void init() { QFile::remove(m_path); }

    void readAppendRewriteAndClearOrKeepTheOldFile() {
        const BookmarkFile file(m_path);
        Entries read{"stale"};
        QVERIFY(file.ReadAll(read)); // a missing file is no error
        QVERIFY(read.isEmpty());
        // Lines as written: CR LF or LF, blanks, lone CRs, duplicates, no final end.
        writeBytes(m_path, "\r\n a \r\nx\ry\r\r\nb\n\nc\r\n a ");
        QVERIFY(file.ReadAll(read));
        QCOMPARE(read, (Entries{"", " a ", "x\ry\r", "b", "", "c", " a "}));
        QVERIFY(file.Append("b\r\n c\r")); // ends the unterminated last line first
        QVERIFY(readBytes(m_path).endsWith("c\r\n a \r\nb c\r\n"));

        const QByteArray content =
            "caf\xe9\r\nhttp://" + QByteArray(1 << 20, 'x') + "\r\n\r\n \xff \r\n";
        writeBytes(m_path, content);
        QVERIFY(file.ReadAll(read) && file.Rewrite(read));
        QCOMPARE(readBytes(m_path), content);
        QVERIFY(file.Clear());
        QVERIFY(QFile::exists(m_path) && readBytes(m_path).isEmpty());

        // Failed writes keep the old file.
        const QString plainFile = m_dir.filePath("plain");
        writeBytes(plainFile, "keep");
        const BookmarkFile below(plainFile + "/" + BookmarkFile::FileName);
        QVERIFY(!below.Append("a") && !below.Clear());
        QCOMPARE(readBytes(plainFile), QByteArray("keep"));
        const QString fifo = m_dir.filePath("fifo");
        QVERIFY(mkfifo(qPrintable(fifo), 0600) == 0);
        QVERIFY(!BookmarkFile(fifo).ReadAll(read) && !BookmarkFile(fifo).Append("a"));
        QVERIFY(!BookmarkFile(fifo).Clear() && !QFileInfo(fifo).isFile());

        const QByteArray old = "http://one\r\nhttp://two\r\n";
        writeBytes(m_path, old);
        bool rewritten, appended;
        {
            FileSizeLimit fullDisk(64);
            rewritten = file.Rewrite({"http://one", QByteArray(4096, 'y')});
            appended = file.Append(QByteArray(4096, 'y'));
        }
        QVERIFY(!rewritten && !appended);
        // The append may leave part of its line; the rewrite left nothing behind.
        QVERIFY(readBytes(m_path).startsWith(old));
        QCOMPARE(QDir(m_dir.path()).entryList({"Quillmar*"}, QDir::Files),
                 QStringList{BookmarkFile::FileName});
    }

    void searchDeleteAndClearChangeListAndFile() {
        // Lines as written: LF, a blank, a duplicate, no final end.
        const QByteArray content = "xabcx\nabc\n\nABC\nxabcx";
        writeBytes(m_path, content);
        CBookmarkDialog dialog(nullptr, m_path);
        dialog.show();
        click(dialog, Bookmarks.remove); // nothing selected
        auto* searchBox = qobject_cast<QLineEdit*>(dialog.ControlById(SearchBox));
        const auto selected = [&] { return list(dialog, Bookmarks)->selectedItems().value(0); };
        QTest::keyClicks(searchBox, "abc");
        QList<int> found;
        for (int press = 0; press < 4; ++press) {
            QTest::keyClick(searchBox, Qt::Key_Return);
            found << list(dialog, Bookmarks)->row(selected());
        }
        QCOMPARE(found, (QList<int>{0, 1, 4, 0}));
        QVERIFY2(dialog.isVisible(), "Enter searches and never closes");
        for (const QString text : {"AB", ""}) { // only the selected row matches; nothing to find
            searchBox->setText(text);
            click(dialog, Search, Bookmarks, 3);
            QCOMPARE(selected()->text(), QString("ABC"));
        }

        {
            FileSizeLimit fullDisk(16);
            click(dialog, Bookmarks.remove, Bookmarks, 4);
        }
        QCOMPARE(readBytes(m_path), content);
        QCOMPARE(shown(dialog, Bookmarks), QString("5: xabcx,abc,,ABC,xabcx"));
        click(dialog, Bookmarks.remove, Bookmarks, 4);
        QCOMPARE(shown(dialog, Bookmarks), QString("4: xabcx,abc,,ABC"));
        QCOMPARE(readBytes(m_path), "xabcx\r\nabc\r\n\r\nABC\r\n");

        // Clear asks first; No keeps list and file.
        testsupport::ScriptedPrompts prompts;
        prompts.yesNoAnswers = {false, true};
        click(dialog, Bookmarks.clear, Bookmarks, 1);
        QCOMPARE(readBytes(m_path), "xabcx\r\nabc\r\n\r\nABC\r\n");
        QCOMPARE(shown(dialog, Bookmarks), QString("4: xabcx,abc,,ABC"));
        click(dialog, Bookmarks.clear, Bookmarks, 1);
        QCOMPARE(prompts.questions, QStringList(2, "Clear BookMarks|Delete all bookmarks?"));
        QCOMPARE(shown(dialog, Bookmarks), QString("0: "));
        QCOMPARE(QFileInfo(m_path).size(), 0);
        click(dialog, Select);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(dialog.m_selection, QString("BookmarkError"));
        dialog.show();
        QTest::keyClick(&dialog, Qt::Key_Escape);
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QVERIFY(dialog.m_selection.isEmpty());

        // Rows kept from an earlier read must not replace a file read only in part;
        // Clear, which gives up every line anyway, still may once the user agrees.
        writeBytes(m_path, "a\r\n");
        dialog.LoadFromFile();
        QVERIFY(QFile::remove(m_path) && mkfifo(qPrintable(m_path), 0600) == 0);
        dialog.LoadFromFile(); // refused at once instead of waiting for a writer
        // Even once the file is readable again, the rows are not its lines.
        QVERIFY(QFile::remove(m_path));
        writeBytes(m_path, "b\r\n");
        click(dialog, Bookmarks.remove, Bookmarks, 0);
        QCOMPARE(prompts.messages.size(), 1);
        QCOMPARE(prompts.messages.at(0).caption, "Error");
        QVERIFY(list(dialog, Bookmarks)->count() == 1 && readBytes(m_path) == "b\r\n");
        prompts.yesNoAnswers = {true};
        click(dialog, Bookmarks.clear);
        QVERIFY(list(dialog, Bookmarks)->count() == 0 && readBytes(m_path).isEmpty());
    }

    void historyShowsNewestFirstAndDeletesTheEntryOfTheRow() {
        QStringList history{"a", "", "b", "", "c", "d"};
        CHistoryDialog dialog(nullptr, &history);
        QCOMPARE(shown(dialog, History), QString("4: d,c,b,a"));
        // Hidden empty entries break the row-to-index mirror: each row knows its entry.
        for (int row : {2, 0, 1}) // "b", then "d" above it, then "a"
            click(dialog, History.remove, History, row);
        QCOMPARE(history, (QStringList{"", "", "c"}));
        QCOMPARE(shown(dialog, History), QString("1: c"));
        history.prepend("recorded meanwhile");
        click(dialog, History.remove, History, 0);
        QCOMPARE(history, (QStringList{"recorded meanwhile", "", ""}));

        click(dialog, History.clear, History);
        QVERIFY(history.isEmpty());
        QCOMPARE(shown(dialog, History), QString("0: "));
        // Of equal entries, the one of the row goes.
        history = {"a", "b", "a", "b"};
        CHistoryDialog twice(nullptr, &history);
        click(twice, History.remove, History, 3); // the older "a"
        click(twice, History.remove, History, 2); // the older "b"
        QCOMPARE(history, (QStringList{"a", "b"}));
        CHistoryDialog withoutHistory(nullptr, nullptr);
        click(withoutHistory, History.clear, History);
        QCOMPARE(shown(withoutHistory, History), QString("0: "));
    }

    // Read by a screen reader and driven by keyboard: every control is named,
    // the list has the first focus, Enter there on a selected line or a double
    // click opens it, Enter with none selected or in the search box searches.
    void dialogsAreNamedAndOpenALineByKeyboardOrDoubleClick() {
        writeBytes(m_path, "http://one\r\nhttp://two\r\n");
        QStringList history{"a", "b", "c"};
        CBookmarkDialog bookmarks(nullptr, m_path);
        CHistoryDialog links(nullptr, &history);
        const QList<std::pair<CListDialog*, Ids>> dialogs = {{&bookmarks, Bookmarks},
                                                             {&links, History}};
        for (const auto& [dialog, ids] : dialogs) {
            dialog->show();
            dialog->activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(dialog));
            QCOMPARE(testsupport::accessibilityFaults(*dialog), QStringList());
            QListWidget* rows = list(*dialog, ids);
            QVERIFY(rows->hasFocus());
            QTest::keyClick(rows, Qt::Key_Return); // the first line is current, not selected
            QVERIFY(dialog->isVisible() && rows->selectedItems().isEmpty());
            QTest::keyClick(rows, Qt::Key_Down);
            const QString chosen = rows->currentItem()->text();
            QTest::keyClick(rows, Qt::Key_Return);
            QVERIFY(!dialog->isVisible() && dialog->result() == QDialog::Accepted);
            QCOMPARE(dialog->m_selection, chosen);

            dialog->show();
            auto* searchBox = qobject_cast<QLineEdit*>(
                dialog->ControlById(ids.list == BookmarkList ? SearchBox : int(HistorySearchBox)));
            searchBox->setText(rows->item(1)->text());
            QTest::keyClick(searchBox, Qt::Key_Enter);
            QVERIFY(dialog->isVisible());
            QCOMPARE(rows->currentRow(), 1);
            const QPoint last = rows->visualItemRect(rows->item(rows->count() - 1)).center();
            QTest::mouseClick(rows->viewport(), Qt::LeftButton, Qt::NoModifier, last);
            QTest::mouseDClick(rows->viewport(), Qt::LeftButton, Qt::NoModifier, last);
            QVERIFY(!dialog->isVisible());
            QCOMPARE(dialog->m_selection, rows->item(rows->count() - 1)->text());
        }
        QCOMPARE(links.m_selection, QString("a"));
    }
};

QUILLMAR_TEST_MAIN(BookmarkFileTest)
#include "tst_bookmarkfile.moc"
