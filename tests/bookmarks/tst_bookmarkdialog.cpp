#include "BookmarkTestFiles.h"
#include "DialogProbe.h"
#include "FileSizeLimit.h"
#include "app/DialogUnits.h"
#include "bookmarks/BookmarkFile.h"
#include "bookmarks/CBookmarkDialog.h"
#include "support/TestMain.h"

#include <QCursor>
#include <QDir>
#include <QTemporaryDir>

#include <memory>

using bookmarktest::readBytes;
using bookmarktest::writeBytes;

namespace {

enum { List = 1008, Delete = 1035, Clear = 1047, Counter = 1036, SearchBox = 1037 };
enum { Search = 1038, Select = 1039, Cancel = 2 };

} // namespace

class BookmarkDialogTest : public QObject {
    Q_OBJECT
private:
    QTemporaryDir m_dir;
    std::unique_ptr<CBookmarkDialog> m_dialog;

    QString path() const { return m_dir.filePath(BookmarkFile::FileName); }
    DialogProbe open(const QByteArray& content) {
        if (!writeBytes(path(), content))
            qFatal("cannot write the bookmark file");
        return openExisting();
    }
    DialogProbe openExisting() {
        m_dialog = std::make_unique<CBookmarkDialog>(nullptr, path());
        m_dialog->show();
        return DialogProbe(*m_dialog, List, Counter, SearchBox);
    }

private slots:
    void init() { QFile::remove(path()); }
    void cleanup() { m_dialog.reset(); }

    void listsTheFileInOrder() {
        const DialogProbe probe = open("http://a\r\n\r\n  spaced \nhttp://a\r\nlast");
        QCOMPARE(probe.rows(), (QStringList{"http://a", "", "  spaced ", "http://a", "last"}));
        QCOMPARE(probe.counter(), QString("5"));
        QCOMPARE(probe.selectedRow(), -1);
    }

    void missingFileOpensEmptyAndClearCreatesIt() {
        const DialogProbe probe = openExisting();
        QVERIFY(probe.rows().isEmpty());
        QCOMPARE(probe.counter(), QString("0"));
        probe.click(Clear);
        QVERIFY(QFile::exists(path()));
        QCOMPARE(QFileInfo(path()).size(), 0);
    }

    void searchMovesDownAndWrapsAround() {
        const DialogProbe probe = open("xabcx\r\nabc\r\nABC\r\n");
        probe.searchBox()->setText("abc");
        probe.click(Search);
        QCOMPARE(probe.selectedRow(), 0);
        probe.click(Search);
        QCOMPARE(probe.selectedRow(), 1);
        probe.click(Search);
        QCOMPARE(probe.selectedRow(), 0);

        probe.search("ABC");
        QCOMPARE(probe.selectedRow(), 2);
        probe.search("abcd");
        QCOMPARE(probe.selectedRow(), 2);
        probe.search("");
        QCOMPARE(probe.selectedRow(), 2);
        QVERIFY2(m_dialog->isVisible(), "Enter must never close the dialog");
        QCOMPARE(m_dialog->result(), 0);
    }

    void searchKeepsTheOnlyMatchingRow() {
        const DialogProbe probe = open("one\r\ntwo\r\nthree\r\n");
        probe.selectRow(1);
        probe.search("tw");
        QCOMPARE(probe.selectedRow(), 1);
        QCOMPARE(m_dialog->FindEntry(2, 1, "t"), -1);
        QCOMPARE(m_dialog->FindEntry(3, 5, "t"), -1);
    }

    void searchInAnEmptyListDoesNothing() {
        const DialogProbe probe = openExisting();
        probe.search("x");
        QCOMPARE(probe.selectedRow(), -1);
        QVERIFY(m_dialog->isVisible());
    }

    void searchTextStopsAt200Characters() {
        const DialogProbe probe = openExisting();
        QTest::keyClicks(probe.searchBox(), QString(250, 'q'));
        QCOMPARE(probe.searchBox()->text(), QString(200, 'q'));
    }

    void deleteRemovesTheSelectedLineFromListAndFile() {
        DialogProbe probe = open("A\r\nB\r\nA\r\n");
        probe.selectRow(2);
        probe.click(Delete);
        QCOMPARE(probe.rows(), (QStringList{"A", "B"}));
        QCOMPARE(probe.counter(), QString("2"));
        QCOMPARE(readBytes(path()), QByteArray("A\r\nB\r\n"));
        probe = openExisting();
        QCOMPARE(probe.rows(), (QStringList{"A", "B"}));
    }

    void deleteKeepsEmptyLinesAndForeignBytes() {
        const DialogProbe probe = open("caf\xe9\n\nb\nlast");
        probe.selectRow(2);
        probe.click(Delete);
        QCOMPARE(readBytes(path()), QByteArray("caf\xe9\r\n\r\nlast\r\n"));
        QCOMPARE(probe.counter(), QString("3"));
    }

    void deleteWithoutSelectionChangesNothing() {
        const QByteArray content = "a\nb\n";
        const DialogProbe probe = open(content);
        probe.click(Delete);
        QCOMPARE(probe.rows().size(), 2);
        QCOMPARE(probe.counter(), QString("2"));
        QCOMPARE(readBytes(path()), content);
    }

    void failedDeleteKeepsFileListAndCounter() {
        const QByteArray content = QByteArray(100, 'a') + "\r\n" + QByteArray(100, 'b') + "\r\n" +
                                   QByteArray(100, 'c') + "\r\n";
        const DialogProbe probe = open(content);
        probe.selectRow(0);
        {
            FileSizeLimit limit(64); // the disk is full after 64 bytes
            QVERIFY(limit.active());
            m_dialog->OnDeleteSelected();
        }
        QCOMPARE(readBytes(path()), content);
        QCOMPARE(probe.rows().size(), 3);
        QCOMPARE(probe.counter(), QString("3"));
    }

    void failedClearKeepsListAndCounter() {
        const DialogProbe probe = open("a\r\nb\r\n");
        // The folder is swapped for a plain file, which stops root as well.
        const QString folder = m_dir.path();
        const QString moved = folder + ".moved";
        QVERIFY(QDir().rename(folder, moved));
        QVERIFY(writeBytes(folder, "not a folder"));
        probe.click(Clear);
        QVERIFY(QFile::remove(folder));
        QVERIFY(QDir().rename(moved, folder));
        QCOMPARE(probe.rows(), (QStringList{"a", "b"}));
        QCOMPARE(probe.counter(), QString("2"));
        QCOMPARE(readBytes(path()), QByteArray("a\r\nb\r\n"));
    }

    void selectHandsBackTheRowOrTheErrorText() {
        DialogProbe probe = open("http://a\r\nhttp://b\r\n");
        QTest::mouseDClick(probe.list()->viewport(), Qt::LeftButton, {},
                           probe.list()->visualItemRect(probe.list()->item(1)).center());
        QVERIFY2(m_dialog->isVisible(), "a double click chooses nothing");
        QVERIFY(m_dialog->m_selection.isEmpty());
        probe.selectRow(1);
        probe.click(Select);
        QCOMPARE(m_dialog->result(), int(QDialog::Accepted));
        QCOMPARE(m_dialog->m_selection, QString("http://b"));

        probe = openExisting();
        probe.click(Select);
        QCOMPARE(m_dialog->result(), int(QDialog::Accepted));
        QCOMPARE(m_dialog->m_selection, QString("BookmarkError"));
    }

    void cancelAfterClearLeavesAnEmptyFile() {
        DialogProbe probe = open("a\r\nb\r\n");
        probe.selectRow(0);
        probe.click(Clear);
        QVERIFY(probe.rows().isEmpty());
        QCOMPARE(probe.counter(), QString("0"));
        QTest::keyClick(probe.list(), Qt::Key_Escape);
        QVERIFY(!m_dialog->isVisible());
        QCOMPARE(m_dialog->result(), int(QDialog::Rejected));
        QVERIFY(m_dialog->m_selection.isEmpty());
        QCOMPARE(readBytes(path()), QByteArray());

        probe = openExisting();
        probe.click(Cancel);
        QCOMPARE(m_dialog->result(), int(QDialog::Rejected));
    }

    void emptyPathReadsTheFileInTheCurrentFolder() {
        const QString previous = QDir::currentPath();
        QVERIFY(writeBytes(path(), "here\r\n"));
        QVERIFY(QDir::setCurrent(m_dir.path()));
        CBookmarkDialog dialog(nullptr, QString());
        QDir::setCurrent(previous);
        QCOMPARE(dialog.m_filePath, QString("QuillmarLinks.txt"));
        QCOMPARE(DialogProbe(dialog, List, Counter, SearchBox).rows(), QStringList{"here"});
    }

    void bottomRowSitsAtItsRectanglesAroundThePointer() {
        QCursor::setPos(500, 400);
        openExisting();
        const QList<int> leftToRight{Counter, Clear, Delete, SearchBox, Search, Select, Cancel};
        const QList<int> leftEdges{5, 36, 51, 66, 124, 154, 169};
        for (int i = 0; i < leftToRight.size(); ++i) {
            const QWidget* control = m_dialog->ControlById(leftToRight[i]);
            QVERIFY(control);
            QCOMPARE(control->x(), DialogUnits::toPixels(leftEdges[i], 0, 1, 1).x());
        }
        QCOMPARE(m_dialog->size(), DialogUnits::toPixels(186, 57));
        QVERIFY((m_dialog->geometry().center() - QPoint(500, 400)).manhattanLength() <= 2);
        QCOMPARE(m_dialog->ControlById(Delete)->toolTip(), QString("Delete Selected BookMark"));
    }
};

QUILLMAR_TEST_MAIN(BookmarkDialogTest)
#include "tst_bookmarkdialog.moc"
