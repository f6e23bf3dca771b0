#include "app/CDocTemplate.h"
#include "app/CQuillmarApp.h"
#include "app/CommandIds.h"
#include "app/CommandRouter.h"
#include "controls/CAddressEdit.h"
#include "controls/CBitmapButton.h"
#include "controls/CDigitCounter.h"
#include "download/CDownloadReportDialog.h"
#include "download/DownloadJob.h"
#include "download/DownloadRegistry.h"
#include "frame/CMainFrame.h"
#include "harvest/CHarvestList.h"
#include "support/LoopbackHttpServer.h"
#include "support/ScriptedPrompts.h"
#include "support/TestMain.h"
#include "view/CBrowserEngine.h"
#include "view/CQuillmarView.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTreeWidget>

using testsupport::HttpRoute;
using testsupport::LoopbackHttpServer;
using testsupport::ScriptedPrompts;

namespace {

// Notes what the window showed while the folder picker was open.
class PickerWatch : public ScriptedPrompts {
public:
    CMainFrame* frame = nullptr;
    QStringList messagesAtPicker;
    QList<bool> buttonsEnabledAtPicker;

    QString chooseFolder(QWidget* owner) override {
        messagesAtPicker.append(frame->m_messageLine->text());
        frame->Router().UpdateStates(); // the idle-time update runs while a picker is open
        buttonsEnabledAtPicker.append(frame->m_folderButton->isEnabled() ||
                                      frame->m_getImagesButton->isEnabled() ||
                                      frame->m_getLinksButton->isEnabled());
        return ScriptedPrompts::chooseFolder(owner);
    }
};

} // namespace

class DownloadCommandsTest : public QObject {
    Q_OBJECT
private:
    LoopbackHttpServer server;
    CMainFrame* frame = nullptr;
    CDocTemplate* docTemplate = nullptr;
    CQuillmarView* view = nullptr;
    PickerWatch* prompts = nullptr;
    QTemporaryDir* folder = nullptr;

    QString Message() const { return frame->m_messageLine->text(); }
    // "name|outcome" of every file in the download report, newest job first.
    QStringList ReportLines() const {
        QStringList lines;
        QTreeWidget* files = CDownloadReportDialog::ShowFor(*frame)->Files();
        for (int job = 0; job < files->topLevelItemCount(); ++job)
            for (int i = 0; i < files->topLevelItem(job)->childCount(); ++i)
                lines << files->topLevelItem(job)->child(i)->text(0) + "|" +
                             files->topLevelItem(job)->child(i)->text(3);
        return lines;
    }
    bool Execute(int id) { return frame->Router().Execute(id); }
    QStringList Saved() const {
        return QDir(folder->path()).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    }
    void UseFolder() {
        view->FolderChosen = true;
        view->DownloadFolder = folder->path();
    }

    // Lists names in the image list (selecting those in selected), each line
    // with the server's file of that name, and maps the names of mapped.
    void OfferImages(const QStringList& listed, const QStringList& mapped,
                     const QStringList& selected) {
        view->imageMap.clear();
        for (const QString& name : mapped)
            view->imageMap.insert(name, {server.url(name)});
        frame->m_imageList->ResetContent();
        for (const QString& name : listed)
            frame->m_imageList->AddString(name, server.url(name));
        for (int row = 0; row < frame->m_imageList->count(); ++row)
            frame->m_imageList->item(row)->setSelected(
                selected.contains(frame->m_imageList->item(row)->text()));
    }

private slots:
    void initTestCase() {
        QVERIFY(server.start());
        server.setFile("/a.jpg", "picture a", "image/jpeg");
        server.setFile("/b.jpg", "picture b", "image/jpeg");
        HttpRoute stalled;
        stalled.stall = true;
        server.setRoute("/stall.jpg", stalled);
    }

    void init() {
        folder = new QTemporaryDir;
        prompts = new PickerWatch;
        frame = new CMainFrame;
        prompts->frame = frame;
        QVERIFY(frame->Create());
        CQuillmarApp::SetMainFrame(frame);
        docTemplate =
            new CDocTemplate([](CQuillmarDoc* document) { return new CQuillmarView(document); });
        QVERIFY(docTemplate->OpenNewDocument(*frame));
        view = CQuillmarView::ActiveView();
        QVERIFY(view);
        // The about page must have loaded: a load in progress disables downloads.
        QSignalSpy loaded(view->Engine(), &CBrowserEngine::downloadComplete);
        frame->show();
        QVERIFY(loaded.wait(30000));
        QTRY_VERIFY_WITH_TIMEOUT(!view->LoadInProgress(), 30000);
    }

    void cleanup() {
        DownloadRegistry::Instance().CancelAllAndWait();
        delete docTemplate;
        delete frame;
        delete prompts;
        delete folder;
        server.clearRequests();
    }

    // A cancelled picker starts and changes nothing; the first download that
    // gets a folder keeps it, and the folder command changes it.
    void firstDownloadAsksForTheFolderOnce() {
        OfferImages({"a.jpg", "b.jpg"}, {"a.jpg", "b.jpg"}, {"a.jpg"});
        QVERIFY(Execute(ID_DOWNLOAD_IMAGES));
        QCOMPARE(Message(), QString());
        QVERIFY(!view->FolderChosen);
        QVERIFY(!DownloadRegistry::Instance().DownloadRunning());
        QCOMPARE(frame->m_folderLabel->text(), QStringLiteral("No download directory selected."));

        prompts->folderAnswers = {folder->path()};
        QVERIFY(Execute(ID_DOWNLOAD_IMAGES));
        QCOMPARE(prompts->messagesAtPicker,
                 QStringList({"Get image file(s)...", "Get image file(s)..."}));
        QCOMPARE(Message(), QStringLiteral("Downloading..."));
        QCOMPARE(frame->m_folderLabel->text(), folder->path());
        QVERIFY(frame->m_getImagesButton->isEnabled());
        QTRY_COMPARE_WITH_TIMEOUT(Message(), QStringLiteral("Download complete"), 30000);

        OfferImages({"a.jpg", "b.jpg"}, {"a.jpg", "b.jpg"}, {"a.jpg", "b.jpg"});
        QVERIFY(Execute(ID_DOWNLOAD_IMAGES));
        QCOMPARE(prompts->folderRequests, 2);
        QTRY_COMPARE_WITH_TIMEOUT(Message(), QStringLiteral("Download complete"), 30000);
        QCOMPARE(Saved(), QStringList({"a.jpg", "b.jpg"}));
        QTRY_VERIFY_WITH_TIMEOUT(!DownloadRegistry::Instance().DownloadRunning(), 10000);

        QVERIFY(Execute(ID_SET_DOWNLOAD_FOLDER));
        QCOMPARE(frame->m_folderLabel->text(), folder->path());
        const QString other = folder->filePath("other");
        QVERIFY(QDir().mkpath(other));
        prompts->folderAnswers = {other};
        QVERIFY(Execute(ID_SET_DOWNLOAD_FOLDER));
        QVERIFY(view->FolderChosen);
        QCOMPARE(frame->m_folderLabel->text(), other);
        QCOMPARE(prompts->folderRequests, 4);
        QCOMPARE(prompts->buttonsEnabledAtPicker, QList<bool>({false, false, false, false}));
        QVERIFY(frame->m_folderButton->isEnabled());
    }

    void commandsCheckTheSituationFirst() {
        UseFolder();
        OfferImages({"a.jpg"}, {}, {"a.jpg"});
        QVERIFY(Execute(ID_DOWNLOAD_IMAGES));
        QCOMPARE(Message(), QStringLiteral("No available image files."));
        QVERIFY(Execute(ID_DOWNLOAD_LINKS));
        QCOMPARE(Message(), QStringLiteral("No available image links."));

        OfferImages({"a.jpg"}, {"a.jpg"}, {});
        QVERIFY(Execute(ID_DOWNLOAD_IMAGES));
        QCOMPARE(Message(), QStringLiteral("Please select a file."));

        // The lists show another window's scan: a selected name this view never mapped.
        OfferImages({"a.jpg", "other.jpg"}, {"a.jpg"}, {"a.jpg", "other.jpg"});
        QVERIFY(Execute(ID_DOWNLOAD_IMAGES));
        QCOMPARE(Message(), QStringLiteral("Unable to download file."));
        QVERIFY(!DownloadRegistry::Instance().DownloadRunning());
        QCOMPARE(prompts->folderRequests, 0);
    }

    void runningDownloadAsksAndYesOrStopEndsIt() {
        UseFolder();
        OfferImages({"stall.jpg"}, {"stall.jpg"}, {"stall.jpg"});
        QVERIFY(Execute(ID_DOWNLOAD_IMAGES));
        QTRY_VERIFY_WITH_TIMEOUT(!server.requests().isEmpty(), 30000);

        prompts->yesNoAnswers = {false};
        OfferImages({"a.jpg"}, {"a.jpg"}, {"a.jpg"});
        QVERIFY(Execute(ID_DOWNLOAD_IMAGES));
        QCOMPARE(prompts->questions, QStringList({"Proceed?|Cancel current download?"}));
        QTRY_VERIFY_WITH_TIMEOUT(Saved().contains("a.jpg"), 30000);
        QCOMPARE(DownloadRegistry::Instance().RunningCount(), 1);

        prompts->yesNoAnswers = {true};
        OfferImages({"b.jpg"}, {"b.jpg"}, {"b.jpg"});
        QVERIFY(Execute(ID_DOWNLOAD_IMAGES));
        QCOMPARE(prompts->questions.size(), 2);
        QTRY_VERIFY_WITH_TIMEOUT(!DownloadRegistry::Instance().DownloadRunning(), 30000);
        QCOMPARE(Saved(), QStringList({"a.jpg", "b.jpg"}));
        QTRY_COMPARE_WITH_TIMEOUT(Message(), QStringLiteral("Download complete"), 10000);

        OfferImages({"stall.jpg"}, {"stall.jpg"}, {"stall.jpg"});
        QVERIFY(Execute(ID_DOWNLOAD_IMAGES));
        QTRY_VERIFY_WITH_TIMEOUT(DownloadRegistry::Instance().DownloadRunning(), 10000);
        QVERIFY(Execute(ID_STOP));
        QTRY_VERIFY_WITH_TIMEOUT(!DownloadRegistry::Instance().DownloadRunning(), 10000);
        QCOMPARE(Message(), QStringLiteral("Stop download."));
        QTRY_COMPARE(ReportLines().first(), QStringLiteral("stall.jpg|cancelled"));
    }

    // A failed file is reported with its reason; Retry Failed fetches it again into the
    // same folder once the server has it, and Open Folder shows that folder.
    void reportTellsEachFileAndRetriesTheFailed() {
        UseFolder();
        HttpRoute missing;
        missing.status = 404;
        server.setRoute("/late.jpg", missing);
        OfferImages({"a.jpg", "late.jpg"}, {"a.jpg", "late.jpg"}, {"a.jpg", "late.jpg"});
        QVERIFY(Execute(ID_DOWNLOAD_IMAGES));
        QTRY_COMPARE_WITH_TIMEOUT(Message(),
                                  QStringLiteral("Download complete: 1 of 2 files saved."), 30000);
        QVERIFY(Execute(ID_VIEW_DOWNLOAD_REPORT));
        auto* report = frame->findChild<CDownloadReportDialog*>();
        QVERIFY(report && report->isVisible());
        QCOMPARE(ReportLines(),
                 QStringList({"a.jpg|saved", "late.jpg|failed: server answered 404"}));
        QCOMPARE(report->Files()->topLevelItem(0)->child(0)->text(1), folder->path());

        server.setFile("/late.jpg", "late picture", "image/jpeg");
        report->Files()->setCurrentItem(report->Files()->topLevelItem(0)->child(1));
        report->OnRetryFailed();
        QTRY_COMPARE_WITH_TIMEOUT(ReportLines().first(), QStringLiteral("late.jpg|saved"), 30000);
        QCOMPARE(Saved(), QStringList({"a.jpg", "late.jpg"}));
        report->OnOpenFolder();
        QCOMPARE(prompts->openedAddresses, QList<QUrl>({QUrl::fromLocalFile(folder->path())}));
        report->OnClear();
        QCOMPARE(report->Files()->topLevelItemCount(), 0);
    }

    // A page behind a login: every download carries the page's cookies and
    // its address as the page's referrer policy allows; one name in four
    // folders saves four files.
    void downloadCarriesThePagesCookiesAndAddress() {
        HttpRoute page;
        page.body = "<html><meta name='referrer' content='origin'><img src='1/large.jpg'>"
                    "<img src='2/large.jpg'><img src='3/large.jpg'><img src='2/large.jpg'>"
                    "<img src='4/large.jpg'></html>";
        page.headers = {{"Set-Cookie", "member=42; Path=/"}};
        server.setRoute("/members.html", page);
        for (const char* album : {"1", "2", "3", "4"})
            server.setFile(QByteArray("/") + album + "/large.jpg", album, "image/jpeg");
        UseFolder();
        frame->m_addressBox->setText(server.url("members.html"));
        QVERIFY(Execute(ID_GO));
        QTRY_VERIFY_WITH_TIMEOUT(view->imageMap.contains("large.jpg") && !view->LoadInProgress(),
                                 30000);
        server.clearRequests();
        frame->m_imageList->selectAll();
        QVERIFY(Execute(ID_DOWNLOAD_IMAGES));
        QTRY_COMPARE_WITH_TIMEOUT(Message(), QStringLiteral("Download complete"), 30000);
        // The engine may still fetch things of its own (a favicon, say): look at ours.
        QList<testsupport::HttpRequest> requests = server.requests();
        requests.removeIf([](const testsupport::HttpRequest& request) {
            return request.headers.value("user-agent") != "Quillmar";
        });
        QCOMPARE(requests.size(), 4);
        for (const testsupport::HttpRequest& request : requests) {
            QCOMPARE(request.headers.value("cookie"), QByteArray("member=42"));
            QCOMPARE(request.headers.value("referer"), server.url().toUtf8());
        }
        QByteArrayList contents;
        for (const QString& name : Saved()) {
            QFile file(folder->filePath(name));
            QVERIFY(file.open(QIODevice::ReadOnly));
            contents << name.toUtf8() + "=" + file.readAll();
        }
        QCOMPARE(contents, QByteArrayList({"large (2).jpg=2", "large (3).jpg=3", "large (4).jpg=4",
                                           "large.jpg=1"}));
    }
};

QUILLMAR_ENGINE_TEST_MAIN(DownloadCommandsTest)
#include "tst_downloadcommands.moc"
