#include "BookmarkTestFiles.h"
#include "app/CChildFrame.h"
#include "app/CDocTemplate.h"
#include "app/CQuillmarApp.h"
#include "app/CommandIds.h"
#include "app/CommandRouter.h"
#include "bookmarks/CListDialog.h"
#include "controls/CAddressEdit.h"
#include "frame/CMainFrame.h"
#include "support/ScriptedPrompts.h"
#include "support/TestMain.h"
#include "view/CBrowserEngine.h"
#include "view/CQuillmarView.h"

#include <QLabel>
#include <QListWidget>
#include <QMdiArea>
#include <QTemporaryDir>
#include <QUrl>

using namespace bookmarktest;

namespace {
const int NoRow = -1, Cancelled = -2;
} // namespace

class BookmarkCommandsTest : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    CDocTemplate m_template{[](CQuillmarDoc* document) { return new CQuillmarView(document); }};
    std::unique_ptr<CMainFrame> m_frame;
    CQuillmarView* m_view = nullptr;
    testsupport::ScriptedPrompts m_prompts;

    QString address() const { return m_frame->m_addressBox->text(); }
    QString message() const { return m_frame->m_messageLine->text(); }
    QString page(const QString& name) {
        writeBytes(m_dir.filePath(name), "<html><title>" + name.toUtf8() + "</title></html>");
        return QUrl::fromLocalFile(m_dir.filePath(name)).toString();
    }
    // Runs the command on the view, or through the frame without one, and in
    // its dialog picks a row (or none) and presses Select, or cancels.
    void choose(int command, int listId, int row, CQuillmarView* view = nullptr) {
        m_frame->m_addressBox->setText("unchanged");
        m_prompts.dialogDriver = [listId, row](QDialog& shown) {
            auto& dialog = static_cast<CListDialog&>(shown);
            if (row == Cancelled)
                shown.reject();
            else if (row != NoRow)
                qobject_cast<QListWidget*>(dialog.ControlById(listId))
                    ->setCurrentRow(row, QItemSelectionModel::ClearAndSelect);
            if (row != Cancelled)
                QTest::mouseClick(dialog.ControlById(Select), Qt::LeftButton);
            return dialog.result();
        };
        if (view)
            view->OnCommand(command);
        else
            QVERIFY(m_frame->Router().Execute(command));
    }
    void chooseAndGo(int command, int listId, int row, const QString& expected) {
        choose(command, listId, row);
        QCOMPARE(address(), expected.isEmpty() ? QString("unchanged") : expected);
        if (!expected.isEmpty())
            QTRY_COMPARE_WITH_TIMEOUT(m_view->Engine()->Location(), expected, 30000);
    }

private slots:
    void initTestCase() {
        m_frame = std::make_unique<CMainFrame>();
        QVERIFY(m_frame->Create());
        CQuillmarApp::SetMainFrame(m_frame.get());
        // In a folder not made yet, as the user's data folder is on a first run.
        m_frame->m_bookmarkPath = m_dir.filePath("data/QuillmarLinks.txt");
        m_frame->show();
        m_view = qobject_cast<CQuillmarView*>(m_template.OpenNewDocument(*m_frame)->View());
        QVERIFY(m_view);
    }
    void cleanupTestCase() {
        CQuillmarApp::SetMainFrame(nullptr);
        m_frame.reset();
    }

    void addBookmarkAppendsTheAddressBox() {
        const QString path = m_frame->m_bookmarkPath;
        m_frame->m_messageLine->setText("before");
        m_frame->m_addressBox->clear();
        QVERIFY(m_frame->Router().Execute(ID_ADD_BOOKMARK));
        QVERIFY(!QFile::exists(path));
        QCOMPARE(message(), QString("before"));

        m_frame->m_addressBox->setText(" http://a/ ");
        QVERIFY(m_frame->Router().Execute(ID_ADD_BOOKMARK));
        QCOMPARE(readBytes(path), QByteArray(" http://a/ \r\n"));
        QCOMPARE(message(), QString("Bookmark saved."));

        m_frame->m_bookmarkPath.clear();
        QVERIFY(m_frame->Router().Execute(ID_ADD_BOOKMARK));
        m_frame->m_bookmarkPath = path;
        QCOMPARE(message(), QString("Unable to save bookmark!"));
    }

    void bookmarksAndHistoryGoToTheChosenEntry() {
        const QString first = page("first.html"), other = page("other.html");
        writeBytes(m_frame->m_bookmarkPath, ("\r\nhttp://never/\r\n" + first + "\r\n").toUtf8());
        for (int row : {Cancelled, NoRow, 0}) // cancel, no row, the empty line
            chooseAndGo(ID_OPEN_BOOKMARKS, BookmarkList, row, QString());
        chooseAndGo(ID_OPEN_BOOKMARKS, BookmarkList, 2, first);
        m_view->m_linkHistory = {other, first}; // newest first: first, other
        chooseAndGo(ID_HISTORY, HistoryList, NoRow, QString());
        chooseAndGo(ID_HISTORY, HistoryList, 1, other);
    }

    void withoutAnActiveViewNothingNavigates() {
        // A view outside any browser window: the frame has no active view.
        m_frame->MdiArea()->closeAllSubWindows();
        QTRY_VERIFY(!m_frame->ActiveViewWidget());
        CQuillmarView detached(nullptr);
        detached.m_linkHistory = {"http://history/"};
        writeBytes(m_frame->m_bookmarkPath, "http://bookmark/\r\n");
        choose(ID_OPEN_BOOKMARKS, BookmarkList, 0, &detached);
        QCOMPARE(message(), QString("Open new file."));
        QCOMPARE(address(), QString("unchanged"));
        choose(ID_HISTORY, HistoryList, 0, &detached);
        QCOMPARE(message(), QString("Open new view."));
        QCOMPARE(address(), QString("http://history/"));
    }
};

QUILLMAR_ENGINE_TEST_MAIN(BookmarkCommandsTest)
#include "tst_bookmarkcommands.moc"
