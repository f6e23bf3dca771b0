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

#include <memory>

using namespace bookmarktest;

namespace {

const int Select = 1039;

const int NoRow = -1;
const int Cancelled = -2;

// Picks a row (or none) and presses Select, or cancels the dialog.
std::function<int(QDialog&)> choose(int listId, int row) {
    return [listId, row](QDialog& dialog) {
        auto& listDialog = static_cast<CListDialog&>(dialog);
        if (row == Cancelled) {
            dialog.reject();
            return dialog.result();
        }
        auto* list = qobject_cast<QListWidget*>(listDialog.ControlById(listId));
        if (row != NoRow)
            list->setCurrentRow(row, QItemSelectionModel::ClearAndSelect);
        QTest::mouseClick(listDialog.ControlById(Select), Qt::LeftButton);
        return dialog.result();
    };
}

} // namespace

class BookmarkCommandsTest : public QObject {
    Q_OBJECT
private:
    QTemporaryDir m_dir;
    CDocTemplate m_template{[](CQuillmarDoc* document) { return new CQuillmarView(document); }};
    std::unique_ptr<CMainFrame> m_frame;
    CQuillmarView* m_view = nullptr;
    QString m_page;

    QString address() const { return m_frame->m_addressBox->text(); }
    QString message() const { return m_frame->m_messageLine->text(); }
    bool run(int id) { return m_frame->Router().Execute(id); }
    void waitForPage(const QString& page) {
        QTRY_COMPARE_WITH_TIMEOUT(m_view->Engine()->Location(), page, 30000);
    }

private slots:
    void initTestCase() {
        m_frame = std::make_unique<CMainFrame>();
        QVERIFY(m_frame->Create());
        CQuillmarApp::SetMainFrame(m_frame.get());
        m_frame->m_bookmarkPath = m_dir.filePath("QuillmarLinks.txt");
        m_frame->show();
        CChildFrame* window = m_template.OpenNewDocument(*m_frame);
        QVERIFY(window);
        m_view = qobject_cast<CQuillmarView*>(window->View());
        QVERIFY(m_view);
        writeBytes(m_dir.filePath("page.html"), "<html><title>Page</title><p>page</html>");
        m_page = QUrl::fromLocalFile(m_dir.filePath("page.html")).toString();
    }
    void cleanupTestCase() {
        CQuillmarApp::SetMainFrame(nullptr);
        m_frame.reset();
    }

    void addBookmarkAppendsTheAddressBox() {
        const QString path = m_frame->m_bookmarkPath;
        m_frame->m_messageLine->setText("before");
        m_frame->m_addressBox->clear();
        QVERIFY(run(ID_ADD_BOOKMARK));
        QVERIFY(!QFile::exists(path));
        QCOMPARE(message(), QString("before"));

        m_frame->m_addressBox->setText(" http://a/ ");
        QVERIFY(run(ID_ADD_BOOKMARK));
        QCOMPARE(readBytes(path), QByteArray(" http://a/ \r\n"));
        QCOMPARE(message(), QString("Bookmark saved."));

        m_frame->m_bookmarkPath.clear();
        QVERIFY(run(ID_ADD_BOOKMARK));
        m_frame->m_bookmarkPath = path;
        QCOMPARE(message(), QString("Unable to save bookmark!"));
    }

    void openBookmarksNavigatesToTheChosenEntry() {
        writeBytes(m_frame->m_bookmarkPath, ("\r\nhttp://never/\r\n" + m_page + "\r\n").toUtf8());
        testsupport::ScriptedPrompts prompts;
        m_frame->m_addressBox->setText("unchanged");
        for (int row : {Cancelled, NoRow, 0}) { // cancel, no row, the empty line
            prompts.dialogDriver = choose(1008, row);
            QVERIFY(run(ID_OPEN_BOOKMARKS));
            QCOMPARE(address(), QString("unchanged"));
        }
        prompts.dialogDriver = choose(1008, 2);
        QVERIFY(run(ID_OPEN_BOOKMARKS));
        QCOMPARE(address(), m_page);
        waitForPage(m_page);
    }

    void historyRunsGoWithTheChosenAddress() {
        const QString other = QUrl::fromLocalFile(m_dir.filePath("other.html")).toString();
        writeBytes(m_dir.filePath("other.html"), "<html><title>Other</title></html>");
        testsupport::ScriptedPrompts prompts;
        m_view->m_linkHistory = {other, m_page}; // newest first: m_page, other
        m_frame->m_addressBox->setText("unchanged");
        prompts.dialogDriver = choose(1044, NoRow);
        QVERIFY(run(ID_HISTORY));
        QCOMPARE(address(), QString("unchanged"));
        prompts.dialogDriver = choose(1044, 1);
        QVERIFY(run(ID_HISTORY));
        QCOMPARE(address(), other);
        waitForPage(other);
    }

    void withoutAnActiveViewNothingNavigates() {
        // A view outside any browser window: the frame has no active view.
        m_frame->MdiArea()->closeAllSubWindows();
        QTRY_VERIFY(!m_frame->ActiveViewWidget());
        CQuillmarView detached(nullptr);
        detached.m_linkHistory = {"http://history/"};
        writeBytes(m_frame->m_bookmarkPath, "http://bookmark/\r\n");
        testsupport::ScriptedPrompts prompts;
        m_frame->m_addressBox->setText("unchanged");

        prompts.dialogDriver = choose(1008, 0);
        detached.OnCommand(ID_OPEN_BOOKMARKS);
        QCOMPARE(message(), QString("Open new file."));
        QCOMPARE(address(), QString("unchanged"));

        prompts.dialogDriver = choose(1044, 0);
        detached.OnCommand(ID_HISTORY);
        QCOMPARE(message(), QString("Open new view."));
        QCOMPARE(address(), QString("http://history/"));
    }
};

QUILLMAR_ENGINE_TEST_MAIN(BookmarkCommandsTest)
#include "tst_bookmarkcommands.moc"
