#include "app/CInterruptedDownloadsDialog.h"
#include "app/CQuillmarApp.h"
#include "app/InterruptedDownloads.h"
#include "controls/CAddressEdit.h"
#include "controls/CBitmapButton.h"
#include "core/CommandIds.h"
#include "core/CommandRouter.h"
#include "core/Settings.h"
#include "downloads/DownloadReport.h"
#include "engine/CBrowserEngine.h"
#include "fetch/DownloadRegistry.h"
#include "frame/CChildFrame.h"
#include "frame/CDocTemplate.h"
#include "frame/CDownloadReportDialog.h"
#include "frame/CHarvestList.h"
#include "frame/CMainFrame.h"
#include "frame/CQuillmarDoc.h"
#include "records/DownloadQueue.h"
#include "support/AccessibilityWalk.h"
#include "support/FrameControls.h"
#include "support/LoopbackHttpServer.h"
#include "support/ScriptedPrompts.h"
#include "support/TestMain.h"
#include "support/ToolRun.h"
#include "transfer/EngineCookieJar.h"
#include "transfer/HostSchedule.h"
#include "view/CQuillmarView.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QInputDialog>
#include <QLabel>
#include <QMdiArea>
#include <QNetworkCookie>
#include <QPushButton>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineView>

using testsupport::HttpRoute;
using testsupport::runHarvestTool;
using testsupport::ToolRun;

namespace {

// Notes what the window showed while the folder picker was open.
struct PickerWatch : testsupport::ScriptedPrompts {
    CMainFrame* frame = nullptr;
    QStringList seen; // the message line, and whether a button that opens a picker was enabled

    QString chooseFolder(QWidget* owner, const QString& start) override {
        frame->Router().UpdateStates(); // the idle-time update runs while a picker is open
        const bool enabled = FrameControls(*frame).folderButton->isEnabled() ||
                             FrameControls(*frame).getImagesButton->isEnabled() ||
                             FrameControls(*frame).getLinksButton->isEnabled();
        seen << FrameControls(*frame).messageLine->text() + (enabled ? " (enabled)" : "");
        return ScriptedPrompts::chooseFolder(owner, start);
    }
};

// The cookie-file lines of the cookies with these names.
QList<QByteArray> LinesNamed(const EngineCookieJar& jar, const QByteArrayList& names) {
    QList<QByteArray> lines = jar.CurlCookieLines();
    lines.removeIf(
        [&](const QByteArray& line) { return !names.contains(line.split('\t').value(5)); });
    return lines;
}

} // namespace

// The window's download commands and report, the engine's cookies, and
// quillmar-harvest --download, against the loopback server.
class DownloadCommandsTest : public QObject {
    Q_OBJECT
private:
    testsupport::LoopbackHttpServer server;
    CMainFrame* frame = nullptr;
    CDocTemplate* docTemplate = nullptr;
    CQuillmarView* view = nullptr;
    PickerWatch* prompts = nullptr;
    QTemporaryDir* folder = nullptr;

    QString Message() const { return FrameControls(*frame).messageLine->text(); }
    bool Execute(int id) { return frame->Router().Execute(id); }
    QStringList Saved() const { return testsupport::filesIn(folder->path()); }
    bool Running() const { return DownloadRegistry::Instance().DownloadRunning(); }
    void UseFolder() { view->SetDownloadFolder(folder->path(), true); }

    static QPushButton* ReportButton(CDownloadReportDialog* report, const QString& text) {
        for (QPushButton* button : report->findChildren<QPushButton*>())
            if (button->text() == text)
                return button;
        return nullptr;
    }

    // "name|outcome" of every file in the download report, newest job first.
    QStringList ReportLines() const {
        QStringList lines;
        for (QTreeWidgetItemIterator file(
                 CDownloadReportDialog::ShowFor(*frame, frame->Downloads())->Files(),
                 QTreeWidgetItemIterator::NoChildren);
             *file; ++file)
            lines << (*file)->text(0) + "|" + (*file)->text(3);
        return lines;
    }

    // Lists names in the image list (selecting those in selected), each line
    // with the server's file of that name, and maps the names of mapped.
    void OfferImages(const QStringList& listed, const QStringList& mapped,
                     const QStringList& selected) {
        Harvest offered = view->LastHarvest();
        offered.imageMap.clear();
        for (const QString& name : mapped)
            offered.imageMap.insert(name, {server.url(name)});
        view->SetLastHarvest(offered);
        FrameControls(*frame).imageList->ResetContent();
        for (const QString& name : listed)
            FrameControls(*frame).imageList->AddString(name, server.url(name));
        for (int row = 0; row < FrameControls(*frame).imageList->count(); ++row)
            FrameControls(*frame).imageList->item(row)->setSelected(
                selected.contains(FrameControls(*frame).imageList->item(row)->text()));
    }

    // "cookie|referer" of each download request (the engine fetches things of
    // its own) since the last call.
    QStringList DownloadRequests() {
        QStringList seen;
        for (const testsupport::HttpRequest& request : server.requests())
            if (request.headers.value("user-agent") == "Quillmar")
                seen << request.headers.value("cookie") + '|' + request.headers.value("referer");
        server.clearRequests();
        return seen;
    }

private slots:
    void initTestCase() {
        QVERIFY(server.start());
        server.serveDirectory(testsupport::testDataPath(QStringLiteral("pages")));
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
        docTemplate = new CDocTemplate(
            [](CQuillmarDoc* document) { return new CQuillmarView(document->TakeStartAddress()); });
        QVERIFY(docTemplate->OpenNewDocument(*frame));
        view = qobject_cast<CQuillmarView*>(frame->ActiveViewWidget());
        QVERIFY(view);
        // The about page must have loaded: a load in progress disables downloads.
        QSignalSpy loaded(view->Engine(), &CBrowserEngine::loadFinished);
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

    // The lists are checked first; a cancelled picker starts and changes
    // nothing; the first download that gets a folder keeps it, and the folder
    // command changes it.
    void firstDownloadAsksForTheFolderOnce() {
        OfferImages({"a.jpg"}, {}, {"a.jpg"});
        QVERIFY(Execute(ID_DOWNLOAD_IMAGES));
        QCOMPARE(Message(), QStringLiteral("No available image files."));
        QVERIFY(Execute(ID_DOWNLOAD_LINKS));
        QCOMPARE(Message(), QStringLiteral("No available image links."));
        OfferImages({"a.jpg", "b.jpg"}, {"a.jpg", "b.jpg"}, {});
        QVERIFY(Execute(ID_DOWNLOAD_IMAGES));
        QCOMPARE(Message(), QStringLiteral("Please select a file."));

        OfferImages({"a.jpg", "b.jpg"}, {"a.jpg", "b.jpg"}, {"a.jpg"});
        QVERIFY(Execute(ID_DOWNLOAD_IMAGES));
        QCOMPARE(Message(), QString());
        QCOMPARE(FrameControls(*frame).folderLabel->text(),
                 QStringLiteral("No download directory selected."));
        prompts->folderAnswers = {folder->path()};
        QVERIFY(Execute(ID_DOWNLOAD_IMAGES));
        QCOMPARE(Message(), QStringLiteral("Downloading..."));
        QCOMPARE(FrameControls(*frame).folderLabel->text(), folder->path());
        QTRY_COMPARE_WITH_TIMEOUT(Message(), QStringLiteral("Download complete"), 30000);

        OfferImages({"a.jpg", "b.jpg"}, {"a.jpg", "b.jpg"}, {"a.jpg", "b.jpg"});
        QVERIFY(Execute(ID_DOWNLOAD_IMAGES));
        QCOMPARE(Message(), QStringLiteral("Downloading..."));
        // A file the folder held already is as good as saved.
        QTRY_COMPARE_WITH_TIMEOUT(Message(), QStringLiteral("Download complete"), 30000);
        QCOMPARE(Saved(), QStringList({"a.jpg", "b.jpg"}));
        // The lists show another window's scan: a selected name this view never mapped.
        OfferImages({"a.jpg", "other.jpg"}, {"a.jpg"}, {"a.jpg", "other.jpg"});
        QVERIFY(Execute(ID_DOWNLOAD_IMAGES));
        QCOMPARE(Message(), QStringLiteral("Unable to download file."));

        QVERIFY(Execute(ID_SET_DOWNLOAD_FOLDER));
        QCOMPARE(FrameControls(*frame).folderLabel->text(), folder->path());
        QVERIFY(QDir().mkpath(folder->filePath("other")));
        prompts->folderAnswers = {folder->filePath("other")};
        QVERIFY(Execute(ID_SET_DOWNLOAD_FOLDER));
        QCOMPARE(FrameControls(*frame).folderLabel->text(), folder->filePath("other"));
        QCOMPARE(prompts->seen,
                 QStringList({"Get image file(s)...", "Get image file(s)...",
                              "Unable to download file.", "Unable to download file."}));
        QVERIFY(FrameControls(*frame).folderButton->isEnabled());
        // The picker starts in the window's folder; a new window's first pick in the one chosen
        // last.
        QCOMPARE(prompts->folderStartFolders.mid(2), QStringList({folder->path(), folder->path()}));
        auto* second = qobject_cast<CQuillmarView*>(docTemplate->OpenNewDocument(*frame)->View());
        QVERIFY(Execute(ID_SET_DOWNLOAD_FOLDER));
        QCOMPARE(second->DownloadFolder(), QString::fromLatin1(CQuillmarView::NoFolderText));
        QCOMPARE(prompts->folderStartFolders.last(), folder->filePath("other"));
    }

    // Exit and a new download while one runs ask first: No keeps it running.
    void runningDownloadAsksAndYesOrStopEndsIt() {
        UseFolder();
        OfferImages({"stall.jpg"}, {"stall.jpg"}, {"stall.jpg"});
        QVERIFY(Execute(ID_DOWNLOAD_IMAGES));
        QTRY_VERIFY_WITH_TIMEOUT(!server.requests().isEmpty(), 30000);
        prompts->yesNoAnswers = {false};
        QVERIFY(Execute(ID_APP_EXIT));
        QCOMPARE(
            prompts->questions,
            QStringList({"Quillmar|Files are still downloading. Stop the downloads and quit?"}));
        QVERIFY(frame->isVisible() && Running());
        prompts->questions.clear();

        // Escape, or closing the question, starts nothing and stops nothing.
        prompts->closableAnswers = {Prompts::Answer::Closed};
        OfferImages({"a.jpg"}, {"a.jpg"}, {"a.jpg"});
        const QString before = Message();
        const qsizetype jobs = frame->Downloads().Jobs().size();
        QVERIFY(Execute(ID_DOWNLOAD_IMAGES));
        QCOMPARE(prompts->questions, QStringList({"Proceed?|Cancel current download?"}));
        QVERIFY(frame->Downloads().Jobs().size() == jobs && Message() == before && Running());
        prompts->questions.clear();

        prompts->yesNoAnswers = {false};
        QVERIFY(Execute(ID_DOWNLOAD_IMAGES));
        QCOMPARE(prompts->questions, QStringList({"Proceed?|Cancel current download?"}));
        QTRY_VERIFY_WITH_TIMEOUT(Saved().contains("a.jpg"), 30000);
        // The file gets its name a moment before its worker ends.
        QTRY_COMPARE_WITH_TIMEOUT(DownloadRegistry::Instance().RunningCount(), 1, 30000);

        prompts->yesNoAnswers = {true};
        OfferImages({"b.jpg"}, {"b.jpg"}, {"b.jpg"});
        QVERIFY(Execute(ID_DOWNLOAD_IMAGES));
        QTRY_VERIFY_WITH_TIMEOUT(!Running(), 30000);
        QCOMPARE(Saved(), QStringList({"a.jpg", "b.jpg"}));
        QTRY_COMPARE_WITH_TIMEOUT(Message(), QStringLiteral("Download complete"), 30000);

        // Stopped mid-transfer, the file reads "cancelled" as one never started does.
        server.clearRequests();
        OfferImages({"stall.jpg"}, {"stall.jpg"}, {"stall.jpg"});
        QVERIFY(Execute(ID_DOWNLOAD_IMAGES));
        QTRY_VERIFY_WITH_TIMEOUT(!server.requests().isEmpty(), 30000);
        QVERIFY(Execute(ID_STOP));
        QTRY_VERIFY_WITH_TIMEOUT(!Running(), 30000);
        QCOMPARE(Message(), QStringLiteral("Stop download."));
        QTRY_COMPARE(ReportLines().first(), QStringLiteral("stall.jpg|cancelled"));

        QVERIFY(Execute(ID_DOWNLOAD_IMAGES));
        QTRY_VERIFY_WITH_TIMEOUT(Running(), 30000);
        prompts->yesNoAnswers = {true};
        QVERIFY(Execute(ID_APP_EXIT));
        QVERIFY(!frame->isVisible());
        QTRY_VERIFY_WITH_TIMEOUT(!Running(), 30000);
        frame->show();
    }

    // Two jobs of slow pictures: Pause All and Resume All reach both; one paused
    // from the report gets no more bytes while the other goes on, and the
    // other is cancelled alone; the paused one resumes with a Range request
    // where it stopped and ends whole. The message line tells the totals.
    void reportPausesResumesAndCancelsJobsApart() {
        UseFolder();
        const QByteArray body = QByteArray(4 * 1024 * 1024, 'q');
        HttpRoute slow{200, "image/jpeg", body, {{"ETag", "\"v1\""}}, 64 * 1024, 100};
        slow.ranges = true;
        server.setRoute("/big1.jpg", slow);
        server.setRoute("/big2.jpg", slow);
        OfferImages({"big1.jpg"}, {"big1.jpg"}, {"big1.jpg"});
        QVERIFY(Execute(ID_DOWNLOAD_IMAGES));
        OfferImages({"big2.jpg"}, {"big2.jpg"}, {"big2.jpg"});
        prompts->yesNoAnswers = {false};
        QVERIFY(Execute(ID_DOWNLOAD_IMAGES));
        DownloadReport& downloads = frame->Downloads();
        QCOMPARE(downloads.Jobs().size(), 2);
        const int second = downloads.Jobs()[0].id;
        const int first = downloads.Jobs()[1].id;
        const auto handle = [&](int job) { return downloads.FindJob(job)->handle; };
        const auto received = [&](int job) { return handle(job)->Progress().bytesReceived; };
        const auto status = [&](int job) { return handle(job)->Status(); };
        auto* report = CDownloadReportDialog::ShowFor(*frame, downloads);
        QTreeWidgetItem* secondLine = report->Files()->topLevelItem(0);
        QTreeWidgetItem* firstLine = report->Files()->topLevelItem(1);
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(folder->filePath("big1.jpg.part")).size() >= 1048576,
                                 30000);
        // The totals go to the status bar; the message line keeps the command's words.
        const QLabel* totals = FrameControls(*frame).downloadTotals;
        QTRY_VERIFY_WITH_TIMEOUT(totals->text().startsWith("2 downloads: 0 of 2 files, ") &&
                                     totals->text().contains("/s, about "),
                                 30000);
        QCOMPARE(Message(), QStringLiteral("Downloading..."));

        QVERIFY(Execute(ID_FILE_PAUSE_DOWNLOADS));
        QTRY_VERIFY_WITH_TIMEOUT(status(first) == DownloadHandle::State::Paused &&
                                     status(second) == DownloadHandle::State::Paused,
                                 30000);
        // The report and the message line catch up on their next look at the jobs.
        QTRY_VERIFY_WITH_TIMEOUT(Message() == "Download paused, 0 of 2 files done" &&
                                     firstLine->text(0).contains(": paused, ") &&
                                     secondLine->text(0).contains(": paused, "),
                                 30000);
        prompts->yesNoAnswers = {false};
        QVERIFY(Execute(ID_APP_EXIT));
        QCOMPARE(prompts->questions.last(),
                 QStringLiteral("Quillmar|Downloads are paused. Stop them and quit?"));
        QVERIFY(Execute(ID_FILE_RESUME_DOWNLOADS));
        QTRY_VERIFY_WITH_TIMEOUT(status(first) == DownloadHandle::State::Running &&
                                     status(second) == DownloadHandle::State::Running,
                                 30000);

        report->Files()->setCurrentItem(firstLine);
        QTRY_VERIFY_WITH_TIMEOUT(ReportButton(report, "Pause"), 30000);
        ReportButton(report, "Pause")->click();
        QTRY_COMPARE_WITH_TIMEOUT(status(first), DownloadHandle::State::Paused, 30000);
        QTRY_VERIFY_WITH_TIMEOUT(ReportButton(report, "Resume") &&
                                     firstLine->text(0).contains(": paused, ") &&
                                     firstLine->child(0)->text(3) == "paused",
                                 30000);
        const qint64 kept = QFileInfo(folder->filePath("big1.jpg.part")).size();
        const qint64 secondBefore = received(second);
        QTRY_VERIFY_WITH_TIMEOUT(received(second) > secondBefore + 256 * 1024, 30000);
        QVERIFY(status(second) == DownloadHandle::State::Running);

        report->Files()->setCurrentItem(secondLine);
        ReportButton(report, "Cancel")->click();
        QTRY_COMPARE_WITH_TIMEOUT(secondLine->child(0)->text(3), QStringLiteral("cancelled"),
                                  30000);
        QVERIFY(!downloads.FindJob(first)->ended);
        QCOMPARE(QFileInfo(folder->filePath("big1.jpg.part")).size(), kept);
        QTRY_COMPARE_WITH_TIMEOUT(
            Message(),
            QStringLiteral(
                "Download cancelled: 0 saved, 0 already saved, 0 skipped, 0 failed, 1 cancelled"),
            30000);
        QVERIFY(totals->text().startsWith("paused, 0 of 1 files, "));
        QCOMPARE(Saved(), QStringList({"big1.jpg.part"}));

        server.clearRequests();
        report->Files()->setCurrentItem(firstLine);
        QTRY_VERIFY_WITH_TIMEOUT(ReportButton(report, "Resume"), 30000);
        ReportButton(report, "Resume")->click();
        QTRY_VERIFY_WITH_TIMEOUT(downloads.FindJob(first)->ended, 60000);
        QCOMPARE(Saved(), QStringList({"big1.jpg"}));
        QFile saved(folder->filePath("big1.jpg"));
        QVERIFY(saved.open(QIODevice::ReadOnly) && saved.readAll() == body);
        QList<testsupport::HttpRequest> requests = server.requests();
        requests.removeIf([](const auto& request) { return request.path != "/big1.jpg"; });
        QCOMPARE(requests.size(), 1);
        QCOMPARE(requests[0].headers.value("range"), "bytes=" + QByteArray::number(kept) + "-");
        QTRY_COMPARE_WITH_TIMEOUT(Message(), QStringLiteral("Download complete"), 30000);
    }

    // A failed file is reported with its reason under its job's folder, marked
    // by colour and icon; Retry Failed fetches it again into the same folder
    // once the server has it, and Open Folder shows that folder or says why it
    // cannot. Both are off while they have nothing to do. Reopened, the report
    // shows and selects the newest job, each file by its own name first.
    void reportTellsEachFileAndRetriesTheFailed() {
        UseFolder();
        server.setRoute("/late.jpg", {404, "text/html", "", {}});
        OfferImages({"a.jpg", "late.jpg"}, {"a.jpg", "late.jpg"}, {"a.jpg", "late.jpg"});
        QVERIFY(Execute(ID_DOWNLOAD_IMAGES));
        QTRY_COMPARE_WITH_TIMEOUT(
            Message(),
            QStringLiteral("Download complete: 1 saved, 0 already saved, 0 skipped, 1 failed"),
            30000);
        QVERIFY(Execute(ID_VIEW_DOWNLOAD_REPORT));
        auto* report = frame->findChild<CDownloadReportDialog*>();
        QVERIFY(report && report->isVisible());
        QCOMPARE(testsupport::accessibilityFaults(*report), QStringList());
        QCOMPARE(ReportLines(),
                 QStringList({"a.jpg|saved", "late.jpg|failed: server answered 404"}));
        // The job's end reaches the report just after the message line.
        QTRY_VERIFY_WITH_TIMEOUT(
            report->Files()->topLevelItem(0)->text(0).endsWith(
                " into " + folder->path() + ": 1 saved, 0 already saved, 0 skipped, 1 failed"),
            30000);
        QTreeWidgetItem* savedLine = report->Files()->topLevelItem(0)->child(0);
        QTreeWidgetItem* failedLine = report->Files()->topLevelItem(0)->child(1);
        QCOMPARE(failedLine->toolTip(3), QStringLiteral("failed: server answered 404"));
        QVERIFY(!failedLine->icon(0).isNull() && savedLine->icon(0).isNull());
        QVERIFY(failedLine->foreground(0) != savedLine->foreground(0));
        QPushButton* retry = ReportButton(report, "Retry Failed");
        QPushButton* openFolder = ReportButton(report, "Open Folder");
        QVERIFY(retry->isEnabled() && openFolder->isEnabled());

        server.setFile("/late.jpg", "late picture", "image/jpeg");
        report->Files()->setCurrentItem(report->Files()->topLevelItem(0)->child(1));
        report->OnRetryFailed();
        QTRY_COMPARE_WITH_TIMEOUT(ReportLines().first(), QStringLiteral("late.jpg|saved"), 30000);
        QCOMPARE(Saved(), QStringList({"a.jpg", "late.jpg"}));
        // Listed again below its retry, the file is settled and no longer marked.
        QTreeWidgetItem* settledLine = report->Files()->topLevelItem(1)->child(1);
        QVERIFY(settledLine->icon(0).isNull());
        report->Files()->setCurrentItem(report->Files()->topLevelItem(0));
        QVERIFY(!retry->isEnabled() && openFolder->isEnabled());
        report->OnOpenFolder();
        QCOMPARE(prompts->openedAddresses, QList<QUrl>({QUrl::fromLocalFile(folder->path())}));
        QVERIFY(prompts->messages.isEmpty());
        prompts->openExternalResult = false;
        report->OnOpenFolder();
        QCOMPARE(prompts->messages.size(), 1);
        QVERIFY(prompts->messages[0].text.contains(folder->path()));

        // Only jobs that have ended are cleared: the retry's end comes just after its file.
        QTRY_VERIFY_WITH_TIMEOUT(std::all_of(frame->Downloads().Jobs().begin(),
                                             frame->Downloads().Jobs().end(),
                                             [](const auto& job) { return job.ended; }),
                                 30000);
        report->Files()->setCurrentItem(settledLine);
        report->close();
        const QString longName = "a-picture-with-a-rather-long-name-01.jpg";
        DownloadJob named;
        named.Add(folder->path(), longName, server.url("01.jpg"), "127.0.0.1/Album");
        frame->Downloads().JobEnded(frame->Downloads().AddJob(folder->path(), named));
        QVERIFY(Execute(ID_VIEW_DOWNLOAD_REPORT));
        QTreeWidgetItem* newest = report->Files()->topLevelItem(0);
        QCOMPARE(report->Files()->currentItem(), newest);
        QVERIFY(report->Files()->viewport()->rect().contains(
            report->Files()->visualItemRect(newest).topLeft()));
        QCOMPARE(newest->child(0)->text(0) + '|' + newest->child(0)->text(1),
                 longName + "|127.0.0.1/Album");
        QVERIFY(report->Files()->columnWidth(0) >
                report->Files()->fontMetrics().horizontalAdvance(longName));
        report->OnClear();
        QCOMPARE(report->Files()->topLevelItemCount(), 0);
        QVERIFY(!retry->isEnabled() && !openFolder->isEnabled());
    }

    // With the record on, a picture still in the folder is listed as already
    // saved and not fetched, one deleted since is fetched again, and a name
    // the user's file holds is saved numbered and reported so. Retry Failed
    // fetches the failed file once, however often pressed, and is off while
    // that runs and then for the job it settled. Forgetting the record makes
    // the next download fetch the recorded picture again.
    void recordCountsAndRetryTellWhatHappened() {
        Settings::SetSkipSavedPictures(true);
        const auto recordOff = qScopeGuard([] { Settings::SetSkipSavedPictures(false); });
        UseFolder();
        server.setRoute("/broken.jpg", {404, "text/html", "", {}});
        server.setFile("/photo_1.jpg", "the server's photo", "image/jpeg");
        OfferImages({"a.jpg", "b.jpg"}, {"a.jpg", "b.jpg"}, {"a.jpg", "b.jpg"});
        QVERIFY(Execute(ID_DOWNLOAD_IMAGES));
        QTRY_COMPARE_WITH_TIMEOUT(Message(), QStringLiteral("Download complete"), 30000);
        QVERIFY(QFile::remove(folder->filePath("b.jpg")));
        QFile own(folder->filePath("photo_1.jpg"));
        QVERIFY(own.open(QIODevice::WriteOnly) && own.write("the user's photo") > 0);
        own.close();

        // The report is open while the files arrive: it learns each name as it is saved.
        QVERIFY(Execute(ID_VIEW_DOWNLOAD_REPORT));
        auto* report = frame->findChild<CDownloadReportDialog*>();
        server.clearRequests();
        const QStringList listed = {"a.jpg", "b.jpg", "photo_1.jpg", "broken.jpg"};
        OfferImages(listed, listed, listed);
        QVERIFY(Execute(ID_DOWNLOAD_IMAGES));
        const QString counts = QStringLiteral("2 saved, 1 already saved, 0 skipped, 1 failed");
        QTRY_COMPARE_WITH_TIMEOUT(Message(), "Download complete: " + counts, 30000);
        QStringList fetched;
        for (const testsupport::HttpRequest& request : server.requests())
            fetched << QString::fromUtf8(request.path);
        QVERIFY2(!fetched.contains("/a.jpg") && fetched.contains("/b.jpg"),
                 qPrintable(fetched.join(' ')));
        QCOMPARE(ReportLines().mid(0, 4),
                 QStringList({"b.jpg|saved", "broken.jpg|failed: server answered 404",
                              "photo_1 (2).jpg|saved", "a.jpg|already in the folder"}));
        QTreeWidgetItem* job = report->Files()->topLevelItem(0);
        QTRY_VERIFY2_WITH_TIMEOUT(job->text(0).endsWith(": " + counts), qPrintable(job->text(0)),
                                  30000);

        server.setFile("/broken.jpg", "mended", "image/jpeg");
        server.clearRequests();
        report->Files()->setCurrentItem(job);
        QPushButton* retry = ReportButton(report, "Retry Failed");
        QVERIFY(retry->isEnabled());
        const qsizetype jobs = frame->Downloads().Jobs().size();
        report->OnRetryFailed();
        QVERIFY(!retry->isEnabled());
        report->OnRetryFailed();
        QCOMPARE(frame->Downloads().Jobs().size(), jobs + 1);
        // The retry is listed above the job it settles.
        QTRY_VERIFY_WITH_TIMEOUT(report->Files()->topLevelItem(1)->text(0).endsWith(
                                     ": 3 saved, 1 already saved, 0 skipped, 0 failed"),
                                 30000);
        QTRY_VERIFY_WITH_TIMEOUT(!Running(), 30000);
        QCOMPARE(DownloadRequests().size(), 1);
        QVERIFY(!retry->isEnabled());
        // The record learnt the retried file: the next download asks nothing for it.
        OfferImages({"broken.jpg"}, {"broken.jpg"}, {"broken.jpg"});
        QVERIFY(Execute(ID_DOWNLOAD_IMAGES));
        QTRY_COMPARE_WITH_TIMEOUT(Message(), QStringLiteral("Download complete"), 30000);
        QCOMPARE(ReportLines().first(), QStringLiteral("broken.jpg|already in the folder"));
        QCOMPARE(DownloadRequests().size(), 0);

        view->SetDownloadFolder(folder->path(), false);
        QVERIFY(!frame->Router().IsEnabled(ID_VIEW_FORGET_SAVED));
        UseFolder();
        QVERIFY(frame->Router().IsEnabled(ID_VIEW_FORGET_SAVED));
        prompts->yesNoAnswers = {true};
        QVERIFY(Execute(ID_VIEW_FORGET_SAVED));
        QCOMPARE(prompts->questions.last(),
                 "Forget Pictures Saved|Forget which pictures were saved to " + folder->path() +
                     "? They will be downloaded again.");
        QCOMPARE(Message(), "Forgot which pictures were saved to " + folder->path() + ".");
        server.clearRequests();
        OfferImages({"a.jpg"}, {"a.jpg"}, {"a.jpg"});
        QVERIFY(Execute(ID_DOWNLOAD_IMAGES));
        QTRY_COMPARE_WITH_TIMEOUT(Message(), QStringLiteral("Download complete"), 30000);
        QCOMPARE(ReportLines().first(), QStringLiteral("a.jpg|already saved"));
        QCOMPARE(DownloadRequests().size(), 1);
    }

    // Load, select, choose a folder, download and open the report with the
    // keyboard alone; read as a screen reader reads them, the window and the
    // report name every control and the counters say their numbers.
    void keyboardAloneHarvestsAPage() {
        const FrameControls controls(*frame);
        frame->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(frame));
        const auto press = [](Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
            QTest::keyClick(QApplication::focusWidget(), key, modifiers);
        };
        press(Qt::Key_L, Qt::ControlModifier);
        QVERIFY(controls.addressBox->hasFocus() && controls.addressBox->hasSelectedText());
        QTest::keyClicks(controls.addressBox, server.url("gallery.html"));
        press(Qt::Key_Return);
        QTRY_COMPARE_WITH_TIMEOUT(controls.imageList->count(), 3, 30000);
        QTRY_VERIFY_WITH_TIMEOUT(!view->LoadInProgress(), 30000);
        QCOMPARE(testsupport::accessibilityFaults(*frame), QStringList());

        prompts->folderAnswers << folder->path();
        // The address box keeps the first Tab; then the bar's order.
        const QList<std::pair<Qt::Key, QWidget*>> steps = {
            {Qt::Key_Tab, controls.addressBox},        {Qt::Key_Tab, controls.folderButton},
            {Qt::Key_Space, controls.folderButton},    {Qt::Key_Tab, controls.imageList},
            {Qt::Key_A, controls.imageList},           {Qt::Key_Tab, controls.getImagesButton},
            {Qt::Key_Return, controls.getImagesButton}};
        for (const auto& [key, focused] : steps) {
            press(key, key == Qt::Key_A ? Qt::ControlModifier : Qt::NoModifier);
            QCOMPARE(QApplication::focusWidget(), focused);
        }
        QTRY_COMPARE_WITH_TIMEOUT(Saved(), QStringList({"blue.png", "red (2).gif", "red.gif"}),
                                  30000);
        QCOMPARE(controls.imageSelCount->Text(), QStringLiteral("3"));
        press(Qt::Key_J, Qt::ControlModifier);
        auto* report = frame->findChild<CDownloadReportDialog*>();
        QVERIFY(report && report->isVisible());
        QCOMPARE(testsupport::accessibilityFaults(*report), QStringList());
        report->close();
    }

    // Alt+Left and Alt+Right go back and forward, F5 reloads, Escape in the
    // page stops, Ctrl+W closes the window.
    void browserKeys() {
        QSignalSpy loads(view->Engine(), &CBrowserEngine::loadFinished);
        QVERIFY(view->Engine()->Navigate(server.url("gallery.html")));
        QVERIFY(loads.wait(30000));
        QVERIFY(view->Engine()->Navigate(server.url("iframes.html")));
        QVERIFY(loads.wait(30000));
        frame->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(frame));
        const QString gallery = server.url("gallery.html");
        const QList<std::tuple<QKeyCombination, QString>> keys = {
            {Qt::ALT | Qt::Key_Left, gallery},
            {Qt::ALT | Qt::Key_Right, server.url("iframes.html")},
            {QKeyCombination(Qt::Key_F5), server.url("iframes.html")}};
        QWidget* page = view->Engine()->findChild<QWebEngineView*>()->focusProxy();
        page->setFocus();
        for (const auto& [key, address] : keys) {
            loads.clear();
            QTest::keyClick(page, key.key(), key.keyboardModifiers());
            QVERIFY(loads.wait(30000));
            QCOMPARE(FrameControls(*frame).addressBox->text(), address);
        }
        QTest::keyClick(page, Qt::Key_Escape);
        QCoreApplication::processEvents();
        QVERIFY(Message() != QStringLiteral("Stop download."));
        HttpRoute stalled;
        stalled.stall = true;
        server.setRoute("/never-loads.html", stalled);
        QSignalSpy begins(view->Engine(), &CBrowserEngine::loadStarted);
        QVERIFY(view->Engine()->Navigate(server.url("never-loads.html")));
        QVERIFY(begins.count() > 0 || begins.wait(30000));
        page->setFocus();
        QTest::keyClick(page, Qt::Key_Escape);
        QTRY_COMPARE(Message(), QStringLiteral("Stop download."));
        QTest::keyClick(page, Qt::Key_W, Qt::ControlModifier);
        QTRY_VERIFY(frame->MdiArea()->subWindowList().isEmpty());
    }

    // A page behind a login: the cookie jar follows what the engine stores, and
    // every download, from the window and from quillmar-harvest, carries the
    // page's cookies and its address as the page's referrer policy allows; one
    // name in four folders saves four files. The tool's own choices follow.
    void downloadCarriesThePagesCookiesAndAddress() {
        HttpRoute page;
        page.body = "<html><meta name='referrer' content='origin'><script>"
                    "document.cookie = 'gone=; max-age=0'; document.cookie = 'script=1; path=/js';"
                    "</script><img src='1/large.jpg'><img src='2/large.jpg'><img src='3/large.jpg'>"
                    "<img src='2/large.jpg'><img src='4/large.jpg'><a href='missing.jpg'>x</a>";
        page.headers = {{"Set-Cookie", "member=42; Path=/; HttpOnly"},
                        {"Set-Cookie", "gone=1; Path=/"},
                        {"Set-Cookie", "scoped=2; Path=/members; Max-Age=3600"}};
        server.setRoute("/members.html", page);
        for (const char* album : {"1", "2", "3", "4"})
            server.setFile(QByteArray("/") + album + "/large.jpg", album, "image/jpeg");
        UseFolder();
        FrameControls(*frame).addressBox->setText(server.url("members.html"));
        QVERIFY(Execute(ID_GO));
        EngineCookieJar* jar = EngineCookieJar::ForProfile(view->Engine()->Page()->profile());
        QTRY_COMPARE_WITH_TIMEOUT(
            LinesNamed(*jar, {"member", "gone", "script"}),
            (QList<QByteArray>{"#HttpOnly_127.0.0.1\tFALSE\t/\tFALSE\t0\tmember\t42",
                               "127.0.0.1\tFALSE\t/js\tFALSE\t0\tscript\t1"}),
            30000);
        const QList<QByteArray> scoped = LinesNamed(*jar, {"scoped"}).value(0).split('\t');
        QCOMPARE(scoped.mid(0, 4), (QList<QByteArray>{"127.0.0.1", "FALSE", "/members", "FALSE"}));
        QVERIFY(qAbs(scoped.value(4).toLongLong() - QDateTime::currentSecsSinceEpoch() - 3600) <
                60);

        QTRY_VERIFY_WITH_TIMEOUT(
            view->LastHarvest().imageMap.contains("large.jpg") && !view->LoadInProgress(), 30000);
        server.clearRequests();
        FrameControls(*frame).imageList->selectAll();
        QVERIFY(Execute(ID_DOWNLOAD_IMAGES));
        QTRY_COMPARE_WITH_TIMEOUT(Message(), QStringLiteral("Download complete"), 30000);
        const QString expected = "member=42|" + server.url();
        QCOMPARE(DownloadRequests(), QStringList(4, expected));
        QCOMPARE(Saved(),
                 QStringList({"large (2).jpg", "large (3).jpg", "large (4).jpg", "large.jpg"}));

        // The tool takes both lists by default.
        QTemporaryDir toolFolder;
        const ToolRun run = runHarvestTool(
            {"--download", toolFolder.path(), "--parallel", "1", server.url("members.html")});
        QCOMPARE(run.exitCode, 1);
        QCOMPARE(
            run.output,
            QStringLiteral("saved large.jpg\nsaved large (2).jpg\n"
                           "saved large (3).jpg\nsaved large (4).jpg\n"
                           "failed missing.jpg: server answered 404\n"
                           "Download complete: 4 saved, 0 already saved, 0 skipped, 1 failed\n"));
        QCOMPARE(DownloadRequests(), QStringList(5, expected));

        // Flags the loopback server cannot set: a domain cookie, a secure one.
        QNetworkCookie cookie("d", "1");
        cookie.setDomain(".example.com");
        cookie.setPath("/a");
        cookie.setSecure(true);
        cookie.setExpirationDate(QDateTime::fromSecsSinceEpoch(4000000000));
        jar->insertCookie(cookie);
        QCOMPARE(LinesNamed(*jar, {"d"}),
                 QList<QByteArray>{".example.com\tTRUE\t/a\tTRUE\t4000000000\td\t1"});

        // --images or --links and --match choose ("e" also matches the pictures
        // red.gif, which only the image list has); a local page may hand over
        // its own files; a file is no folder to download into.
        const ToolRun linkRun = runHarvestTool(
            {"--download", folder->path(), "--links", "--match", "E", server.url("gallery.html")});
        QCOMPARE(linkRun.exitCode, 0);
        QCOMPARE(linkRun.output, QStringLiteral("saved blue.png\nDownload complete\n"));
        const ToolRun localRun =
            runHarvestTool({"--download", toolFolder.path(), "--images", "--parallel", "1",
                            testsupport::testDataPath(QStringLiteral("pages/gallery.html"))});
        QCOMPARE(localRun.output,
                 QStringLiteral("saved blue.png\nsaved red.gif\nsaved red (2).gif\n"
                                "Download complete\n"));
        for (const QStringList& wrong :
             {QStringList({"--download", folder->filePath("blue.png")}),
              QStringList({"--download", folder->path(), "--parallel", "17"})}) {
            const ToolRun refused = runHarvestTool(wrong + QStringList(server.url("gallery.html")));
            QCOMPARE(refused.exitCode, 2);
            QVERIFY(refused.output.isEmpty());
        }
    }

    // The wait set in the window spaces its downloads' requests to one site.
    void waitBetweenRequestsSpacesTheWindowsDownloads() {
        prompts->dialogDriver = [](QDialog& dialog) {
            static_cast<QInputDialog&>(dialog).setDoubleValue(0.5);
            return int(QDialog::Accepted);
        };
        QVERIFY(Execute(ID_VIEW_REQUEST_WAIT));
        const auto restore = qScopeGuard([] {
            Settings::SetRequestWaitSeconds(0);
            HostSchedule::Shared().SetWait(0, false);
        });
        QCOMPARE(Settings::RequestWaitSeconds(), 0.5);
        server.setFile("/c.jpg", "picture c", "image/jpeg");
        UseFolder();
        server.clearRequests();
        OfferImages({"a.jpg", "b.jpg", "c.jpg"}, {"a.jpg", "b.jpg", "c.jpg"},
                    {"a.jpg", "b.jpg", "c.jpg"});
        QVERIFY(Execute(ID_DOWNLOAD_IMAGES));
        QTRY_COMPARE_WITH_TIMEOUT(Saved(), QStringList({"a.jpg", "b.jpg", "c.jpg"}), 30000);
        QList<qint64> times;
        for (const testsupport::HttpRequest& request : server.requests())
            if (request.headers.value("user-agent") == "Quillmar")
                times << request.atMs;
        QCOMPARE(times.size(), 3);
        QVERIFY2(times[1] - times[0] >= 490 && times[2] - times[1] >= 490,
                 qPrintable(QString::number(times[1] - times[0])));
    }

    // Quit during a download: the next start names each interrupted job, its
    // files, sites and folder. Yes fetches only the file not saved yet of the
    // jobs chosen, continuing it with Range, within the speed limit set, and
    // names the folder; No forgets them and their half-fetched files. Jobs
    // planted in the queue write nowhere else: a folder that is not there is
    // neither offered nor made, a job left out makes no folder, and no local
    // file is copied for a web page.
    void interruptedDownloadIsOfferedAtTheNextStart_data() {
        QTest::addColumn<bool>("resume");
        QTest::newRow("resumed") << true;
        QTest::newRow("forgotten") << false;
    }
    void interruptedDownloadIsOfferedAtTheNextStart() {
        QFETCH(bool, resume);
        DownloadQueue queue;
        for (const QueuedJob& left : queue.Interrupted()) // by the tests before
            queue.Forget(left);
        prompts->dialogDriver = [](QDialog& dialog) {
            static_cast<QInputDialog&>(dialog).setIntValue(4096);
            return int(QDialog::Accepted);
        };
        QVERIFY(Execute(ID_VIEW_SPEED_LIMIT));
        QByteArray body(3 * 1024 * 1024, '\0');
        for (qsizetype i = 0; i < body.size(); ++i)
            body[i] = char(i * 7 % 251);
        HttpRoute slow{200, "image/jpeg", body, {{"ETag", "\"v1\""}}, 64 * 1024, 100};
        slow.ranges = true;
        server.setRoute("/big.jpg", slow);
        UseFolder();
        OfferImages({"a.jpg", "big.jpg"}, {"a.jpg", "big.jpg"}, {"a.jpg", "big.jpg"});
        QVERIFY(Execute(ID_DOWNLOAD_IMAGES));
        QTRY_VERIFY_WITH_TIMEOUT(Saved().contains("a.jpg") &&
                                     QFileInfo(folder->filePath("big.jpg.part")).size() >=
                                         1024 * 1024,
                                 30000);
        prompts->yesNoAnswers = {true};
        QVERIFY(Execute(ID_APP_EXIT));
        DownloadRegistry::Instance().CancelAllAndWait();
        frame->show();
        QCOMPARE(queue.Interrupted().value(0).Job.Rules.MaxBytesPerSecond, qint64(4096 * 1024));
        Settings::SetDownloadSpeedLimit(0);

        QTemporaryDir elsewhere;
        const QString missing = folder->filePath("missing");
        const auto plant = [&](const QString& into, const QString& subfolder) {
            DownloadJob job;
            job.Rules.Page = QUrl(server.url("gallery.html"));
            job.Rules.FileSourcesAllowed = true;
            job.Add(into, "b.jpg", server.url("b.jpg"), subfolder);
            job.Add(into, "hostname", "file:///etc/hostname");
            queue.Release(queue.Add(into, job, false));
        };
        plant(missing, QString());
        plant(elsewhere.path(), "a/b/c");
        QStringList lines;
        prompts->dialogDriver = [&](QDialog& dialog) {
            auto& question = static_cast<CInterruptedDownloadsDialog&>(dialog);
            for (int i = 0; i < question.Lines()->count(); ++i)
                lines << question.Lines()->item(i)->text() + (question.Chosen(i) ? " +" : "");
            question.Lines()->item(2)->setCheckState(Qt::Unchecked);
            return resume ? int(QDialog::Accepted) : CInterruptedDownloadsDialog::Declined;
        };
        slow.chunkDelayMs = 0;
        server.setRoute("/big.jpg", slow);
        server.clearRequests();
        InterruptedDownloads::Offer(*frame);
        const QString from = "1 file from 127.0.0.1 into ";
        QCOMPARE(lines, QStringList({from + folder->path() + " +",
                                     from + missing + " (the folder is not there)",
                                     from + elsewhere.path() + " +"}));
        QVERIFY(!QFileInfo::exists(missing) && !QFileInfo::exists(elsewhere.filePath("a")));
        if (!resume) {
            QCOMPARE(Saved(), QStringList({"a.jpg"}));
            QVERIFY(queue.Interrupted().isEmpty());
            QVERIFY(!Running());
            return;
        }
        QCOMPARE(Message(), "Downloading into " + folder->path() + "...");
        QTRY_COMPARE_WITH_TIMEOUT(Message(), QStringLiteral("Download complete"), 30000);
        QCOMPARE(Saved(), QStringList({"a.jpg", "big.jpg"}));
        QFile saved(folder->filePath("big.jpg"));
        QVERIFY(saved.open(QIODevice::ReadOnly) && saved.readAll() == body);
        const QList<testsupport::HttpRequest> requests = server.requests();
        QCOMPARE(requests.size(), 1);
        QCOMPARE(requests[0].path, QByteArray("/big.jpg"));
        QVERIFY(requests[0].headers.value("range").startsWith("bytes="));
        // The job whose folder is not there waits for a later start.
        const QList<QueuedJob> waiting = queue.Interrupted();
        QVERIFY(waiting.size() == 1 && waiting[0].Folder == missing);
        queue.Forget(waiting[0]);
    }
};

QUILLMAR_ENGINE_TEST_MAIN(DownloadCommandsTest)
#include "tst_downloadcommands.moc"
