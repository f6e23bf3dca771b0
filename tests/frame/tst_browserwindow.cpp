#include "app/CQuillmarApp.h"
#include "bookmarks/BookmarkTestFiles.h"
#include "bookmarks/CListDialog.h"
#include "controls/CAddressEdit.h"
#include "controls/CBitmapButton.h"
#include "core/CommandIds.h"
#include "core/CommandRouter.h"
#include "engine/CBrowserEngine.h"
#include "frame/CChildFrame.h"
#include "frame/CDocTemplate.h"
#include "frame/CHarvestList.h"
#include "frame/CMainFrame.h"
#include "frame/CQuillmarDoc.h"
#include "pagegen/CImagePageDialog.h"
#include "support/FrameControls.h"
#include "support/LoopbackHttpServer.h"
#include "support/ScriptedPrompts.h"
#include "support/TestMain.h"
#include "thumbnails/CThumbnailsWindow.h"
#include "thumbnails/ThumbnailFilter.h"
#include "thumbnails/ThumbnailModel.h"
#include "transfer/EngineCookieJar.h"
#include "transfer/NetscapeCookieFile.h"
#include "view/CQuillmarView.h"

#include <QCheckBox>
#include <QDir>
#include <QImage>
#include <QLabel>
#include <QListView>
#include <QListWidget>
#include <QMdiArea>
#include <QNetworkCookie>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QUrl>
#include <QWebEngineCookieStore>
#include <QWebEnginePage>
#include <QWebEngineProfile>

using namespace bookmarktest;

namespace {
const int NoRow = -1, Cancelled = -2, timeout = 30000;
} // namespace

// The frame's commands that reach a real browser view: the image page,
// bookmarks and history.
class BrowserWindowTest : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    CDocTemplate m_template{
        [](CQuillmarDoc* document) { return new CQuillmarView(document->TakeStartAddress()); }};
    std::unique_ptr<CMainFrame> m_frame;
    CQuillmarView* m_view = nullptr;
    testsupport::ScriptedPrompts m_prompts;

    // Runs the command; the dialog saves a page of every picture when given a
    // path, ticks the open box and ends with OK or Cancel.
    void makePage(const QString& pagePath, bool ok, const QString& folder = QString()) {
        m_prompts.dialogDriver = [&](QDialog& shown) {
            auto& dialog = static_cast<CImagePageDialog&>(shown);
            if (!pagePath.isEmpty()) {
                m_prompts.folderAnswers = QStringList{folder.isEmpty() ? m_dir.path() : folder};
                m_prompts.saveFileAnswers = QStringList{pagePath};
                dialog.folderButton->click();
                dialog.imageList->selectAll();
                dialog.generateButton->click();
            }
            dialog.openCheck->setChecked(true);
            (ok ? dialog.okButton : dialog.cancelButton)->click();
            return dialog.result();
        };
        FrameControls(*m_frame).makePageButton->click();
    }
    // Runs the command on the view, or through the frame without one, and in
    // its dialog picks a row (or none) and presses Select, or cancels.
    void choose(int command, int listId, int row, CQuillmarView* view = nullptr) {
        FrameControls(*m_frame).addressBox->setText("unchanged");
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
    // The alternative texts of the pictures the page shows, once it has loaded.
    QString shownPictures() {
        if (!QTest::qWaitFor([this] { return !m_view->LoadInProgress(); }, timeout))
            return "still loading";
        QVariant shown;
        m_view->Engine()->Page()->runJavaScript(
            "Array.from(document.images).map(i => i.naturalWidth > 0 ? i.alt : '-').join()",
            [&shown](const QVariant& names) { shown = names; });
        return QTest::qWaitFor([&shown] { return shown.isValid(); }, timeout) ? shown.toString()
                                                                              : "no answer";
    }
    void chooseAndGo(int command, int listId, int row, const QString& expected) {
        choose(command, listId, row);
        QCOMPARE(FrameControls(*m_frame).addressBox->text(),
                 expected.isEmpty() ? QString("unchanged") : expected);
        if (!expected.isEmpty())
            QTRY_COMPARE_WITH_TIMEOUT(m_view->Engine()->Location(), expected, timeout);
    }

private slots:
    void initTestCase() {
        for (const QString name : {"blue.png", "my photo.jpg", "one.gif"})
            QVERIFY(QFile::copy(testsupport::testDataPath("pages/pictures/" + name),
                                m_dir.filePath(name)));
        m_frame = std::make_unique<CMainFrame>();
        QVERIFY(m_frame->Create());
        CQuillmarApp::SetMainFrame(m_frame.get());
        // In a folder not made yet, as the user's data folder is on a first run.
        m_frame->SetBookmarkPath(m_dir.filePath("data/QuillmarLinks.txt"));
        m_frame->show();
        m_view = qobject_cast<CQuillmarView*>(m_template.OpenNewDocument(*m_frame)->View());
        QVERIFY(m_view);
        QTRY_VERIFY_WITH_TIMEOUT(!m_view->History().isEmpty() && !m_view->LoadInProgress(),
                                 timeout);
        QTRY_VERIFY(FrameControls(*m_frame).makePageButton->isEnabled());
    }
    void cleanupTestCase() {
        CQuillmarApp::SetMainFrame(nullptr);
        m_frame.reset();
    }

    void makePageOkOpensTheSavedPageAndListsItsImagesButNothingElseOpens() {
        QSignalSpy begin(m_view->Engine(), &CBrowserEngine::loadStarted);
        makePage(QString(), true);
        const QString cancelled = m_dir.filePath(QStringLiteral("cancelled.htm"));
        makePage(cancelled, false);
        QVERIFY(QFile::exists(cancelled));
        QTest::qWait(500);
        QCOMPARE(begin.count(), 0);
        QCOMPARE(FrameControls(*m_frame).addressBox->text(), QString());

        const QString saved = m_dir.filePath(QStringLiteral("Images.htm"));
        makePage(saved, true);
        QTRY_VERIFY_WITH_TIMEOUT(begin.count() && !m_view->LoadInProgress(), timeout);
        QCOMPARE(m_view->History().last(), QUrl::fromLocalFile(saved).toString());
        QCOMPARE(FrameControls(*m_frame).imageList->Lines(),
                 QStringList({"blue.png", "my%20photo.jpg", "one.gif"}));
        QCOMPARE(shownPictures(), QString("blue.png,my photo.jpg,one.gif"));

        // A lone name beyond ASCII, where the engine has little text to guess an encoding from.
        const QString accents = m_dir.filePath("caf\u00e9");
        QVERIFY(QDir().mkdir(accents));
        QVERIFY(QFile::copy(m_dir.filePath("blue.png"), accents + "/caf\u00e9.png"));
        begin.clear();
        makePage(accents + "/Images.htm", true, accents);
        QTRY_VERIFY_WITH_TIMEOUT(begin.count(), timeout);
        QCOMPARE(shownPictures(), QString("caf\u00e9.png"));
    }

    void addBookmarkAppendsTheAddressBoxAndBookmarksAndHistoryNavigate() {
        const QString path = m_frame->BookmarkPath();
        FrameControls(*m_frame).messageLine->setText("before");
        FrameControls(*m_frame).addressBox->clear();
        QVERIFY(m_frame->Router().Execute(ID_ADD_BOOKMARK));
        QVERIFY(!QFile::exists(path));
        QCOMPARE(FrameControls(*m_frame).messageLine->text(), QString("before"));

        FrameControls(*m_frame).addressBox->setText(" http://a/ ");
        QVERIFY(m_frame->Router().Execute(ID_ADD_BOOKMARK));
        QCOMPARE(readBytes(path), QByteArray(" http://a/ \r\n"));
        QCOMPARE(FrameControls(*m_frame).messageLine->text(), QString("Bookmark saved."));

        m_frame->SetBookmarkPath(QString());
        QVERIFY(m_frame->Router().Execute(ID_ADD_BOOKMARK));
        m_frame->SetBookmarkPath(path);
        QCOMPARE(FrameControls(*m_frame).messageLine->text(), QString("Unable to save bookmark!"));

        // Bookmarks and history go to the chosen entry.
        const QString first = QUrl::fromLocalFile(m_dir.filePath("blue.png")).toString();
        const QString other = QUrl::fromLocalFile(m_dir.filePath("one.gif")).toString();
        writeBytes(m_frame->BookmarkPath(), ("\r\nhttp://never/\r\n" + first + "\r\n").toUtf8());
        for (int row : {Cancelled, NoRow, 0}) // cancel, no row, the empty line
            chooseAndGo(ID_OPEN_BOOKMARKS, BookmarkList, row, QString());
        chooseAndGo(ID_OPEN_BOOKMARKS, BookmarkList, 2, first);
        m_view->SetHistory({other, first}); // newest first: first, other
        chooseAndGo(ID_HISTORY, HistoryList, NoRow, QString());
        chooseAndGo(ID_HISTORY, HistoryList, 1, other);
    }

    // Ctrl+T through the router on a page of the window: the cells get the
    // pictures' sizes, the filter hides the right cells, the selection goes
    // both ways with the lists and their counters, and Download Selected
    // fetches the shown selected cells only.
    void thumbnailsWindowSharesTheListsSelection() {
        QImage(300, 100, QImage::Format_RGB32).save(m_dir.filePath("wide.png"));
        QImage(8, 8, QImage::Format_RGB32).save(m_dir.filePath("tiny.png"));
        QImage(640, 480, QImage::Format_RGB32).save(m_dir.filePath("photo.jpg"));
        writeBytes(m_dir.filePath("thumbs.html"),
                   "<img src=wide.png><img src=tiny.png><a href=photo.jpg>photo</a>"
                   "<a href=tiny.png>tiny</a><a href=missing.jpg>gone</a>");
        m_view->Go(QUrl::fromLocalFile(m_dir.filePath("thumbs.html")).toString());
        const FrameControls controls(*m_frame);
        QTRY_COMPARE_WITH_TIMEOUT(controls.linkList->count(), 3, timeout);
        QVERIFY(m_frame->Router().Execute(ID_VIEW_THUMBNAILS));
        auto* window = m_frame->findChild<CThumbnailsWindow*>();
        QVERIFY(window && window->isVisible());
        const QAbstractItemModel& cells = *window->Filter();
        const auto sizeOf = [&cells](const QString& name) {
            for (int row = 0; row < cells.rowCount(); ++row) {
                if (cells.index(row, 0).data().toString() == name)
                    return cells.index(row, 0).data(ThumbnailModel::SizeRole).toSize();
            }
            return QSize();
        };
        QCOMPARE(cells.rowCount(), 4);
        QTRY_COMPARE_WITH_TIMEOUT(sizeOf("photo.jpg"), QSize(640, 480), timeout);
        QTRY_COMPARE_WITH_TIMEOUT(sizeOf("wide.png"), QSize(300, 100), timeout);
        QTRY_COMPARE_WITH_TIMEOUT(sizeOf("tiny.png"), QSize(8, 8), timeout);

        window->Filter()->SetMinimumSize(QSize(50, 50));
        QCOMPARE(cells.rowCount(), 3);
        window->View()->selectAll();
        QCOMPARE(controls.imageList->SelectedLines(),
                 HarvestLines(
                     {{"wide.png", QUrl::fromLocalFile(m_dir.filePath("wide.png")).toString()}}));
        QCOMPARE(controls.linkList->SelectedLines().size(), 2);
        QCOMPARE(controls.imageSelCount->Text(), QString("1"));
        QCOMPARE(controls.linkSelCount->Text(), QString("2"));

        controls.imageList->clearSelection();
        controls.linkList->clearSelection();
        controls.linkList->setCurrentRow(controls.linkList->Lines().indexOf("photo.jpg"),
                                         QItemSelectionModel::ClearAndSelect);
        QCOMPARE(window->SelectedAddresses(),
                 QStringList({QUrl::fromLocalFile(m_dir.filePath("photo.jpg")).toString()}));

        // Every line selected in the lists, the hidden tiny.png among them.
        controls.imageList->selectAll();
        controls.linkList->selectAll();
        QCOMPARE(window->SelectedAddresses().size(), 3);
        m_prompts.folderAnswers = QStringList{m_dir.filePath("saved")};
        QVERIFY(QDir().mkpath(m_dir.filePath("saved")));
        window->findChild<QPushButton*>()->click();
        QTRY_COMPARE_WITH_TIMEOUT(
            controls.messageLine->text(),
            QString("Download complete: 2 saved, 0 already saved, 0 skipped, 1 failed"), timeout);
        QCOMPARE(QDir(m_dir.filePath("saved")).entryList(QDir::Files),
                 QStringList({"photo.jpg", "wide.png"}));
        delete window;
    }

    // Export Cookies writes the active page's site's cookies, or every site's,
    // as the engine got them, in the file curl and wget read, readable by the
    // user alone; the dialog says that the file holds logins.
    void exportCookiesOfTheSiteOrOfEverySite() {
        testsupport::LoopbackHttpServer server;
        QVERIFY(server.start());
        server.setSignIn("/signin", "<p>Welcome</p>", "s1");
        QWebEngineProfile* profile = m_view->Engine()->Page()->profile();
        profile->cookieStore()->setCookie(QNetworkCookie("elsewhere", "e1"),
                                          QUrl("http://example.org/"));
        FrameControls(*m_frame).addressBox->setText(server.url("signin"));
        QVERIFY(m_frame->Router().Execute(ID_GO));
        QTRY_COMPARE_WITH_TIMEOUT(m_view->Engine()->Location(), server.url("signin"), timeout);
        const EngineCookieJar* jar = EngineCookieJar::ForProfile(profile);
        QTRY_COMPARE_WITH_TIMEOUT(jar->CookiesOf(QString()).size(), 2, timeout);
        QStringList texts;
        bool unmarked = false;
        const auto exportTo = [&](const QString& path, const QString& choice) {
            m_prompts.saveFileAnswers = QStringList{path};
            m_prompts.dialogDriver = [&](QDialog& dialog) {
                texts.clear();
                for (const QLabel* label : dialog.findChildren<QLabel*>())
                    texts.append(label->text());
                for (QRadioButton* radio : dialog.findChildren<QRadioButton*>()) {
                    texts.append(radio->text());
                    if (radio->text().startsWith(choice))
                        radio->setChecked(true);
                }
                dialog.findChild<QCheckBox*>()->setChecked(unmarked);
                return int(QDialog::Accepted);
            };
            QVERIFY(m_frame->Router().Execute(ID_FILE_EXPORT_COOKIES));
        };
        const auto names = [](const QString& path) {
            QStringList read;
            for (const QNetworkCookie& cookie : NetscapeCookieFile::Read(path).cookies)
                read.append(cookie.domain() + " " + cookie.name() +
                            (cookie.isHttpOnly() ? " HttpOnly" : ""));
            read.sort();
            return read;
        };

        exportTo(m_dir.filePath("site.txt"), "Cookies of this &site");
        QCOMPARE(names(m_dir.filePath("site.txt")), QStringList("127.0.0.1 session HttpOnly"));
        QVERIFY(texts.filter("logins").size() == 1);
        QVERIFY(texts.contains("Cookies of this &site, 127.0.0.1: 1 cookie"));
        QVERIFY(texts.contains("Cookies of &every site: 2 cookies"));
        QCOMPARE(QFile::permissions(m_dir.filePath("site.txt")),
                 QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser);
        QCOMPARE(FrameControls(*m_frame).messageLine->text(),
                 "1 cookie saved to " + m_dir.filePath("site.txt") + " (readable by you alone)");
        exportTo(m_dir.filePath("all.txt"), "Cookies of &every site");
        QCOMPARE(names(m_dir.filePath("all.txt")),
                 QStringList({"127.0.0.1 session HttpOnly", "example.org elsewhere"}));
        unmarked = true;
        exportTo(m_dir.filePath("wget.txt"), "Cookies of this &site");
        QCOMPARE(names(m_dir.filePath("wget.txt")), QStringList("127.0.0.1 session"));
    }

    // The cookies a request to a host carries, on whatever path.
    void siteCookiesAreTheHostsAndThoseOfTheDomainsAboveIt() {
        QWebEngineProfile scratch;
        EngineCookieJar jar(scratch.cookieStore());
        for (const char* domain : {".example.org", "www.example.org", "example.org",
                                   ".www.example.org", "badexample.org", ".deep.www.example.org"}) {
            QNetworkCookie cookie(domain, "1");
            cookie.setDomain(domain);
            cookie.setPath("/somewhere");
            QVERIFY(jar.insertCookie(cookie));
        }
        const auto names = [&jar](const QString& host) {
            QStringList found;
            for (const QNetworkCookie& cookie : jar.CookiesOf(host))
                found.append(cookie.name());
            found.sort();
            return found.join(' ');
        };
        QCOMPARE(names("WWW.example.org"), ".example.org .www.example.org www.example.org");
        QCOMPARE(names("example.org"), ".example.org example.org");
        QCOMPARE(names("org"), "");
        QCOMPARE(names(QString()).count(' '), 5);
    }

    void withoutAnActiveViewNothingNavigates() {
        // A view outside any browser window: the frame has no active view.
        m_frame->MdiArea()->closeAllSubWindows();
        QTRY_VERIFY(!m_frame->ActiveViewWidget());
        CQuillmarView detached;
        m_frame->AttachView(&detached);
        detached.SetHistory({"http://history/"});
        writeBytes(m_frame->BookmarkPath(), "http://bookmark/\r\n");
        choose(ID_OPEN_BOOKMARKS, BookmarkList, 0, &detached);
        QCOMPARE(FrameControls(*m_frame).messageLine->text(), QString("Open new file."));
        QCOMPARE(FrameControls(*m_frame).addressBox->text(), QString("unchanged"));
        choose(ID_HISTORY, HistoryList, 0, &detached);
        QCOMPARE(FrameControls(*m_frame).messageLine->text(), QString("Open new view."));
        QCOMPARE(FrameControls(*m_frame).addressBox->text(), QString("http://history/"));
    }
};

QUILLMAR_ENGINE_TEST_MAIN(BrowserWindowTest)
#include "tst_browserwindow.moc"
