#include "app/CQuillmarApp.h"
#include "controls/CAddressEdit.h"
#include "controls/CBitmapButton.h"
#include "controls/CDigitCounter.h"
#include "controls/CProgressMeter.h"
#include "core/CommandIds.h"
#include "core/CommandRouter.h"
#include "core/Settings.h"
#include "engine/CBrowserEngine.h"
#include "frame/CChildFrame.h"
#include "frame/CDocTemplate.h"
#include "frame/CHarvestList.h"
#include "frame/CMainFrame.h"
#include "frame/CQuillmarDoc.h"
#include "frame/ListLineMenu.h"
#include "support/FrameControls.h"
#include "support/LoopbackHttpServer.h"
#include "support/ScriptedPrompts.h"
#include "support/TestMain.h"
#include "support/ToolRun.h"
#include "thumbnails/CThumbnailsWindow.h"
#include "view/CQuillmarView.h"

#include <QClipboard>
#include <QDialog>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QMdiArea>
#include <QMenu>
#include <QPrinter>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTimer>
#include <QUrl>
#include <QWebEnginePage>

#include <memory>

using testsupport::testDataPath;

class QuillmarViewTest : public QObject {
    Q_OBJECT
private:
    static constexpr int timeout = 30000;

    std::unique_ptr<CMainFrame> frame;
    std::unique_ptr<CDocTemplate> docTemplate;
    testsupport::LoopbackHttpServer server;

    // Waits until the view's page scans asked for so far have been answered.
    static bool settle(CQuillmarView* view) {
        bool answered = false;
        view->Engine()->TakeSnapshot([&answered](const PageSnapshot&) { answered = true; });
        return QTest::qWaitFor([&] { return answered; }, timeout);
    }

    static bool waitForListing(CQuillmarView* view, QSignalSpy& complete) {
        return complete.wait(timeout) &&
               QTest::qWaitFor([view] { return !view->LoadInProgress(); }, timeout);
    }

    static bool load(CQuillmarView* view, const QString& address) {
        QSignalSpy complete(view->Engine(), &CBrowserEngine::loadFinished);
        view->Engine()->Navigate(address);
        return waitForListing(view, complete);
    }

    // A new browser window, once it shows the about page.
    CQuillmarView* openView() {
        CChildFrame* child = docTemplate->OpenNewDocument(*frame);
        auto* view = child ? qobject_cast<CQuillmarView*>(child->View()) : nullptr;
        const auto ready = [view] {
            return view->LastHarvest().imageMap.isEmpty() && !view->History().isEmpty() &&
                   !view->LoadInProgress();
        };
        return view && QTest::qWaitFor(ready, timeout) ? view : nullptr;
    }

    // The four counters, then whether both download buttons are enabled.
    QStringList status() const {
        const bool buttons = FrameControls(*frame).getImagesButton->isEnabled() &&
                             FrameControls(*frame).getLinksButton->isEnabled();
        return {FrameControls(*frame).imageCount->Text(), FrameControls(*frame).linkCount->Text(),
                FrameControls(*frame).imageSelCount->Text(),
                FrameControls(*frame).linkSelCount->Text(), buttons ? "buttons on" : "buttons off"};
    }

private slots:
    void initTestCase() {
        docTemplate = std::make_unique<CDocTemplate>(
            [](CQuillmarDoc* document) { return new CQuillmarView(document->TakeStartAddress()); });
        frame = std::make_unique<CMainFrame>();
        QVERIFY(frame->Create());
        CQuillmarApp::SetMainFrame(frame.get());
        frame->resize(1000, 700);
        frame->show();
        frame->activateWindow();
        QVERIFY(server.start());
        server.serveDirectory(testDataPath("view"));
    }

    void cleanup() {
        frame->MdiArea()->closeAllSubWindows();
        QTRY_VERIFY_WITH_TIMEOUT(frame->MdiArea()->subWindowList().isEmpty(), timeout);
    }

    void cleanupTestCase() {
        CQuillmarApp::SetMainFrame(nullptr);
        frame.reset();
        docTemplate.reset();
    }

    // The address box: Enter goes to the address as typed and records it once; text that
    // makes no address loads nothing. Qt reports a title only when its text changes: Back to
    // a page of the same title, and a same-page #fragment, must still move the address box
    // and what is bookmarked.
    void addressBoxFollowsEveryNavigationAndTheScanMenuRescans() {
        server.setFile("/same-a.html", "<title>Same</title><p>a</p>");
        server.setFile("/same-b.html", "<title>Same</title><p>b</p>");
        QTemporaryDir folder;
        frame->SetBookmarkPath(folder.filePath("QuillmarLinks.txt"));
        CQuillmarView* view = openView();
        QVERIFY(view);
        QCOMPARE(view->Engine()->Page()->title(), QStringLiteral("Quillmar"));
        emit view->messageChanged(QStringLiteral("Stop download."));
        const QString page = server.url("twotitles.html");
        FrameControls(*frame).addressBox->setText("   " + page);
        QSignalSpy complete(view->Engine(), &CBrowserEngine::loadFinished);
        QTest::keyClick(FrameControls(*frame).addressBox, Qt::Key_Return);
        QVERIFY(waitForListing(view, complete));
        // Each title change records the address, but only once.
        QTRY_COMPARE_WITH_TIMEOUT(view->Engine()->Page()->title(), QStringLiteral("Third title"),
                                  timeout);
        QCOMPARE(view->History(), QStringList({CBrowserEngine::AboutPageUrl().toString(), page}));
        QVERIFY(FrameControls(*frame).messageLine->text().isEmpty());

        QSignalSpy begin(view->Engine(), &CBrowserEngine::loadStarted);
        FrameControls(*frame).addressBox->setText("hello world");
        QTest::keyClick(FrameControls(*frame).addressBox, Qt::Key_Return);
        QCOMPARE(FrameControls(*frame).messageLine->text(), QStringLiteral("Not a valid address."));
        QTest::qWait(300);
        QVERIFY(begin.isEmpty());

        // A message too long for its line shows whole as the tool tip; a short one does not.
        const QString tip = FrameControls(*frame).messageLine->toolTip();
        const QString longText = QString("Download complete: 0 of 1 files saved. ").repeated(6);
        FrameControls(*frame).messageLine->setText(longText);
        QTRY_COMPARE(FrameControls(*frame).messageLine->toolTip(), longText);
        FrameControls(*frame).messageLine->setText(QStringLiteral("Bookmark saved."));
        QTRY_COMPARE(FrameControls(*frame).messageLine->toolTip(), tip);

        const QString a = server.url("same-a.html");
        QVERIFY(load(view, a));
        QVERIFY(load(view, server.url("same-b.html")));
        view->OnCommand(ID_BACK);
        QTRY_COMPARE_WITH_TIMEOUT(FrameControls(*frame).addressBox->text(), a, timeout);
        view->OnCommand(ID_ADD_BOOKMARK);
        view->Engine()->Page()->runJavaScript("location.hash = 'part'");
        QTRY_COMPARE_WITH_TIMEOUT(FrameControls(*frame).addressBox->text(), a + "#part", timeout);
        QFile bookmarks(frame->BookmarkPath());
        QVERIFY(bookmarks.open(QIODevice::ReadOnly));
        QCOMPARE(bookmarks.readAll().trimmed(), a.toUtf8());
        QCOMPARE(view->History().mid(1),
                 QStringList({page, a, server.url("same-b.html"), a + "#part"}));

        // The Scan menu: Deep Scan, its size filter and scrolling, in the same window.
        const QUrl placements = QUrl::fromLocalFile(testDataPath("deep/placements.html"));
        QVERIFY(load(view, placements.toString()));
        const QStringList plain = FrameControls(*frame).imageList->Lines();
        QVERIFY(plain.contains("x1.jpg") && !plain.contains("wide.png"));

        // Deep Scan rescans at once and tells each line's address and size.
        // A window behind follows the change when activated, never showing its plain lines.
        CQuillmarView* behind = openView();
        QVERIFY(behind && load(behind, placements.toString()));
        frame->MdiArea()->setActiveSubWindow(frame->MdiArea()->subWindowList().first());
        CHarvestList* images = FrameControls(*frame).imageList;
        images->item(int(plain.indexOf("tiny.png")))->setSelected(true);
        QVERIFY(frame->Router().Execute(ID_SCAN_DEEP));
        QTRY_VERIFY_WITH_TIMEOUT(images->Lines().contains("wide.png"), timeout);
        // The lines listed again stay selected.
        QCOMPARE(images->SelectedLines().size(), 1);
        QCOMPARE(images->SelectedLines().first().name, QStringLiteral("tiny.png"));
        frame->MdiArea()->setActiveSubWindow(frame->MdiArea()->subWindowList().last());
        QVERIFY(FrameControls(*frame).imageList->Lines() != plain);
        QTRY_VERIFY_WITH_TIMEOUT(FrameControls(*frame).imageList->Lines().contains("wide.png"),
                                 timeout);
        frame->MdiArea()->setActiveSubWindow(frame->MdiArea()->subWindowList().first());
        QVERIFY(FrameControls(*frame).imageList->Lines().contains("tiny.png"));
        const int wide = int(FrameControls(*frame).imageList->Lines().indexOf("wide.png"));
        QCOMPARE(FrameControls(*frame).imageList->item(wide)->toolTip(),
                 placements.resolved(QUrl("pictures/wide.png")).toString() + "\n40 x 30");
        const int wider = int(FrameControls(*frame).imageList->Lines().indexOf("wider.png"));
        QVERIFY(
            FrameControls(*frame).imageList->item(wider)->toolTip().endsWith("\nabout 400 x 300"));

        // Pictures known to be smaller go; those of unknown size stay.
        QTimer::singleShot(0, [] {
            QWidget* dialog = QApplication::activeModalWidget();
            if (!dialog)
                return;
            dialog->findChildren<QSpinBox*>().first()->setValue(10);
            QMetaObject::invokeMethod(dialog, "accept");
        });
        QVERIFY(frame->Router().Execute(ID_SCAN_MIN_SIZE));
        QCOMPARE(Settings::MinimumPictureSize(), QSize(10, 0));
        QTRY_VERIFY_WITH_TIMEOUT(!FrameControls(*frame).imageList->Lines().contains("tiny.png"),
                                 timeout);
        QVERIFY(FrameControls(*frame).imageList->Lines().contains("wide.png") &&
                FrameControls(*frame).imageList->Lines().contains("x3.jpg"));

        QVERIFY(frame->Router().Execute(ID_SCAN_DEEP));
        QTRY_COMPARE_WITH_TIMEOUT(FrameControls(*frame).imageList->Lines(), plain, timeout);
        Settings::SetMinimumPictureSize(QSize());

        QUrl endless = QUrl::fromLocalFile(testDataPath("deep/endless.html"));
        endless.setQuery("batches=3"); // the page adds three screenfuls of four pictures
        QVERIFY(load(view, endless.toString()));
        QCOMPARE(FrameControls(*frame).imageList->count(), 4);
        QVERIFY(frame->Router().Execute(ID_SCAN_SCROLL));
        QTRY_COMPARE_WITH_TIMEOUT(FrameControls(*frame).imageList->count(), 12, timeout);
        QVariant readerAt;
        view->Engine()->Page()->runJavaScript("window.scrollY",
                                              [&](const QVariant& y) { readerAt = y; });
        QTRY_COMPARE_WITH_TIMEOUT(readerAt, QVariant(0), timeout);
    }

    // Follow Thumbnails on the window's page: a thumbnail whose viewer page shows a picture
    // gives way to it, one whose viewer page is missing stays and says why; the end tells
    // what following came to; the choices are remembered; Stop ends a follow at once and leaves the
    // lists as they were, saying so until the page is reloaded.
    void followThumbnailsReplacesThemInTheWindow() {
        const auto fixture = [](const QString& name) {
            QFile file(testDataPath("follow/" + name));
            return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
        };
        server.setFile("/follow/gallery.html", fixture("gallery.html"));
        server.setFile("/follow/view-plain.html", fixture("view-plain.html"));
        server.setFile("/follow/view-srcset.html", fixture("view-srcset.html"));
        server.setFile("/follow/view-empty.html", fixture("view-empty.html"));
        QFile png(testDataPath("deep/pictures/wide.png"));
        QVERIFY(png.open(QIODevice::ReadOnly));
        const QByteArray picture = png.readAll();
        for (const char* name : {"logo", "full/plain", "full/srcset-large"})
            server.setFile(QByteArray("/follow/") + name + ".png", picture, "image/png");
        server.setFile("/follow/full/srcset-small.png", fixture("shown-600w.png"), "image/png");
        CQuillmarView* view = openView();
        QVERIFY(view);
        const QString gallery = server.url("follow/gallery.html");
        QVERIFY(load(view, gallery));
        const QStringList before = FrameControls(*frame).imageList->Lines();

        QTimer::singleShot(0, [] {
            QDialog* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            dialog->findChild<QSpinBox*>()->setValue(1);
            dialog->accept();
        });
        QVERIFY(frame->Router().Execute(ID_SCAN_FOLLOW));
        QCOMPARE(Settings::Follow().nextPages, 1);
        QTRY_VERIFY_WITH_TIMEOUT(FrameControls(*frame).messageLine->text().startsWith("Followed "),
                                 timeout);
        QCOMPARE(FrameControls(*frame).messageLine->text(),
                 "Followed 8 pages: 3 pictures taken, 4 failed, 1 without a picture.");
        QHash<QString, QString> tips; // by address
        CHarvestList& images = *FrameControls(*frame).imageList;
        for (int row = 0; row < images.count(); ++row)
            tips.insert(images.item(row)->data(CHarvestList::AddressRole).toString(),
                        images.item(row)->toolTip());
        const QString at = server.url("follow/");
        QVERIFY2(tips.value(at + "full/plain.png").contains("\nfrom " + at + "view-plain.html"),
                 qPrintable(tips.keys().join(' ')));
        QVERIFY(tips.contains(at + "full/srcset-large.png"));
        QVERIFY(!tips.contains(at + "thumbs/plain.png") &&
                !tips.contains(at + "thumbs/srcset.png"));
        QVERIFY(tips.value(at + "thumbs/missing.png")
                    .endsWith("\nnot followed: the server answered HTTP 404"));

        QVERIFY(load(view, gallery));
        QTimer::singleShot(0, [] {
            if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget()))
                dialog->accept();
        });
        QVERIFY(frame->Router().Execute(ID_SCAN_FOLLOW));
        view->OnCommand(ID_STOP);
        QTRY_COMPARE_WITH_TIMEOUT(FrameControls(*frame).messageLine->text(),
                                  "Following stopped before any page was followed.", timeout);
        QCOMPARE(FrameControls(*frame).imageList->Lines(), before);
        // A reload is a new page, as any other, and clears the line.
        view->OnCommand(ID_VIEW_RELOAD);
        QTRY_COMPARE_WITH_TIMEOUT(FrameControls(*frame).messageLine->text(), QString(), timeout);
        Settings::SetFollow(FollowSettings());
    }

    // A gallery fills lists, counters and buttons; each window shows its own last scan,
    // counters, folder and address when activated.
    void listsFollowTheActiveWindow() {
        CQuillmarView* first = openView();
        QVERIFY(first);
        const QString gallery = server.url("gallery/index.html");
        QVERIFY(load(first, gallery));
        QCOMPARE(FrameControls(*frame).imageList->Lines().first(),
                 QStringLiteral("alpine-lake.png"));
        QCOMPARE(FrameControls(*frame).linkList->Lines().last(), QStringLiteral("tide-pools.jpg"));
        QCOMPARE(FrameControls(*frame).progressMeter->Level(), 0);
        // A shift-click selection is counted at once.
        CHarvestList* links = FrameControls(*frame).linkList;
        links->scrollToTop();
        for (const auto& [row, modifier] : {std::pair{0, Qt::NoModifier}, {2, Qt::ShiftModifier}})
            QTest::mouseClick(links->viewport(), Qt::LeftButton, modifier,
                              links->visualItemRect(links->item(row)).center());
        QCOMPARE(status(), QStringList({"12", "12", "0", "3", "buttons on"}));
        first->SetDownloadFolder(QStringLiteral("/tmp/pictures"), false);
        FrameControls(*frame).folderLabel->setText(first->DownloadFolder());

        CQuillmarView* second = openView();
        QVERIFY(second);
        QCOMPARE(FrameControls(*frame).folderLabel->text(),
                 QStringLiteral("No download directory selected."));
        const QString secondPage = server.url("second.html");
        QVERIFY(load(second, secondPage));
        QCOMPARE(FrameControls(*frame).imageList->Lines(), QStringList({"old-bridge.png"}));

        // Each window keeps its own selection.
        QMdiArea* area = frame->MdiArea();
        for (const bool again : {false, true}) {
            area->setActiveSubWindow(area->subWindowList().first());
            QCOMPARE(FrameControls(*frame).addressBox->text(), gallery);
            QCOMPARE(FrameControls(*frame).imageList->count(), 12);
            QCOMPARE(FrameControls(*frame).folderLabel->text(), QStringLiteral("/tmp/pictures"));
            QCOMPARE(status(), QStringList({"12", "12", again ? "12" : "0", "3", "buttons on"}));
            FrameControls(*frame).imageList->selectAll();
            area->setActiveSubWindow(area->subWindowList().last());
            QCOMPARE(FrameControls(*frame).addressBox->text(), secondPage);
            QCOMPARE(FrameControls(*frame).imageList->Lines(), QStringList({"old-bridge.png"}));
            QCOMPARE(FrameControls(*frame).folderLabel->text(),
                     QStringLiteral("No download directory selected."));
            QCOMPARE(status(), QStringList({"1", "0", again ? "1" : "0", "0", "buttons on"}));
            FrameControls(*frame).imageList->selectAll();
        }
        // A line's menu acts on the line clicked alone, unless it is selected; a double-click
        // opens the line's address in a new window.
        area->setActiveSubWindow(area->subWindowList().first());
        CHarvestList* images = FrameControls(*frame).imageList;
        images->clearSelection();
        images->item(0)->setSelected(true);
        const QRect lineRect = images->visualItemRect(images->item(1));
        const QString address = images->item(1)->data(CHarvestList::AddressRole).toString();
        QMenu* menu = images->findChild<ListLineMenu*>()->MenuAt(lineRect.center());
        QCOMPARE(images->SelectedLines(), HarvestLines({{images->item(1)->text(), address}}));
        menu->actions().at(0)->trigger();
        QCOMPARE(QApplication::clipboard()->text(), address);
        {
            testsupport::ScriptedPrompts prompts; // Download gets as far as asking for the folder
            menu->actions().at(2)->trigger();
            QCOMPARE(prompts.folderStartFolders.size(), 1);
        }
        menu->actions().at(3)->trigger();
        auto* thumbnails = frame->findChild<CThumbnailsWindow*>();
        QVERIFY(thumbnails && thumbnails->isVisible());
        thumbnails->close();
        for (const bool byMenu : {true, false}) {
            area->setActiveSubWindow(area->subWindowList().first());
            const qsizetype windows = area->subWindowList().size();
            if (byMenu) {
                menu->actions().at(1)->trigger();
            } else {
                QTest::mouseClick(images->viewport(), Qt::LeftButton, {}, lineRect.center());
                QTest::mouseDClick(images->viewport(), Qt::LeftButton, {}, lineRect.center());
            }
            QCOMPARE(area->subWindowList().size(), windows + 1);
            const auto* opened =
                qobject_cast<CQuillmarView*>(area->subWindowList().last()->widget());
            QTRY_COMPARE_WITH_TIMEOUT(opened->History(), QStringList({address}), timeout);
            area->subWindowList().last()->close();
        }
        area->setActiveSubWindow(area->subWindowList().last());
        // A scan completing in the window behind leaves the active window's lists alone.
        QVERIFY(load(first, server.url("nopictures.html")));
        QCOMPARE(FrameControls(*frame).imageList->Lines(), QStringList({"old-bridge.png"}));
        area->setActiveSubWindow(area->subWindowList().first());
        QCOMPARE(first->History(), QStringList({CBrowserEngine::AboutPageUrl().toString(), gallery,
                                                server.url("nopictures.html")}));
        QVERIFY(FrameControls(*frame).imageList->Lines().isEmpty());
        QCOMPARE(status(), QStringList({"0", "0", "0", "0", "buttons on"}));

        // A deleted entry returns as the newest when its window is shown again.
        QStringList kept = first->History();
        kept.removeAt(2);
        first->SetHistory(kept);
        area->setActiveSubWindow(area->subWindowList().last());
        area->setActiveSubWindow(area->subWindowList().first());
        QCOMPARE(first->History().last(), server.url("nopictures.html"));

        // A window opened on an address, as the command line does, starts there.
        auto* third =
            qobject_cast<CQuillmarView*>(docTemplate->OpenNewDocument(*frame, secondPage)->View());
        QTRY_COMPARE_WITH_TIMEOUT(third->History(), QStringList({secondPage}), timeout);

        // Closing the last window empties the lists and counters.
        area->setActiveSubWindow(area->subWindowList().last());
        area->closeAllSubWindows();
        QTRY_VERIFY(area->subWindowList().isEmpty());
        QVERIFY(FrameControls(*frame).imageList->Lines().isEmpty());
        QCOMPARE(FrameControls(*frame).imageCount->Text(), QStringLiteral("0"));
        QTest::keyClick(FrameControls(*frame).addressBox, Qt::Key_Return);
        QCOMPARE(FrameControls(*frame).messageLine->text(), QStringLiteral("Open new view."));
    }

    // Progress in hundredths; a scan still running when its engine goes answers nobody.
    // The window and quillmar-harvest list a page alike, in the plain scan and
    // in Deep Scan (which name this page's "my photo.jpg" differently).
    void windowAndToolListAPageAlike() {
        const QString page = QStringLiteral("pages/gallery.html");
        const FrameControls controls(*frame);
        const auto section = [](const char* title, CHarvestList* list, CDigitCounter* count) {
            list->selectAll();
            const HarvestLines lines = list->SelectedLines();
            list->clearSelection();
            QString text =
                QStringLiteral("%1 %2 %3\n").arg(title).arg(lines.size()).arg(count->Text());
            for (const HarvestLine& line : lines)
                text += line.name + '\t' + line.address + '\n';
            return text;
        };
        for (const bool deep : {false, true}) {
            Settings::SetDeepScan(deep);
            CQuillmarView* view = openView();
            QVERIFY(view);
            QVERIFY(load(view, QUrl::fromLocalFile(testDataPath(page)).toString()));
            const testsupport::ToolRun run =
                testsupport::runHarvestTool(deep ? QStringList{"--deep", page} : QStringList{page});
            QCOMPARE(run.exitCode, 0);
            QCOMPARE(section("images", controls.imageList, controls.imageCount) +
                         section("links", controls.linkList, controls.linkCount),
                     run.output);
        }
        Settings::SetDeepScan(false);
    }

    // The window lists the page as its load handlers left it, from the page's own scan
    // taken when it was shown; the page's scripts cannot reach the channel that scan
    // travels on, so they cannot send a listing of their own.
    void listsThePageAsShownFromAChannelPagesCannotReach() {
        server.setFile("/shown.html",
                       "<title>-</title><img src='a.jpg'><script>"
                       "addEventListener('load', function () {"
                       "  var late = document.createElement('img');"
                       "  late.src = 'late.jpg'; document.body.appendChild(late); });"
                       "document.title = window.qt ? 'reaches the channel' : 'cut off';"
                       "</script>");
        CQuillmarView* view = openView();
        QVERIFY(view);
        QVERIFY(load(view, server.url("shown.html")));
        QCOMPARE(view->Engine()->Page()->title(), QStringLiteral("cut off"));
        QCOMPARE(FrameControls(*frame).imageList->Lines(), (QStringList{"a.jpg", "late.jpg"}));
    }

    void engineReportsProgressAndForgetsScansWhenDeleted() {
        auto engine = std::make_unique<CBrowserEngine>();
        QSignalSpy progress(engine.get(), &CBrowserEngine::progressChange);
        engine->Navigate(server.url("second.html"));
        QTRY_COMPARE_WITH_TIMEOUT(progress.value(progress.size() - 1), (QVariantList{100, 100}),
                                  timeout);
        bool answered = false;
        engine->TakeSnapshot([&answered](const PageSnapshot&) { answered = true; });
        engine.reset();
        QTest::qWait(500);
        QVERIFY(!answered);
    }

    // Mail and print, then loads stopped or superseded list nothing stale.
    void commandsAndStaleScans() {
        CQuillmarView* view = openView();
        QVERIFY(view);
        testsupport::ScriptedPrompts prompts;
        view->OnCommand(ID_SEND_MAIL);
        QCOMPARE(prompts.openedAddresses, QList<QUrl>({QUrl("mailto:")}));
        QVERIFY(prompts.messages.isEmpty());
        prompts.openExternalResult = false;
        view->OnCommand(ID_SEND_MAIL);
        QCOMPARE(prompts.messages.size(), 1);
        QCOMPARE(prompts.messages[0].text, QStringLiteral("Unable to launch mail"));
        QCOMPARE(prompts.messages[0].icon, Prompts::Icon::Exclamation);

        // The page shown is printed; printing is off until the engine answers.
        QTemporaryDir folder;
        const QString pdf = folder.filePath("page.pdf");
        prompts.printerAnswer = [&pdf](QPrinter& printer) {
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(pdf);
            return true;
        };
        view->OnCommand(ID_FILE_PRINT);
        QVERIFY(!view->IsCommandEnabled(ID_FILE_PRINT));
        QTRY_VERIFY_WITH_TIMEOUT(view->IsCommandEnabled(ID_FILE_PRINT), timeout);
        QVERIFY(QFileInfo(pdf).size() > 0);

        testsupport::HttpRoute stalled;
        stalled.stall = true;
        server.setRoute("/stalled.html", stalled);

        QSignalSpy begin(view->Engine(), &CBrowserEngine::loadStarted);
        QSignalSpy complete(view->Engine(), &CBrowserEngine::loadFinished);
        view->Engine()->Navigate(server.url("stalled.html"));
        QVERIFY(begin.wait(timeout));
        QVERIFY(!view->IsCommandEnabled(ID_DOWNLOAD_IMAGES));

        view->OnCommand(ID_STOP);
        QCOMPARE(FrameControls(*frame).messageLine->text(), QStringLiteral("Stop download."));
        QCOMPARE(FrameControls(*frame).progressMeter->Level(), 0);
        QVERIFY(waitForListing(view, complete));
        QVERIFY(view->IsCommandEnabled(ID_DOWNLOAD_IMAGES));

        QVERIFY(load(view, server.url("gallery/index.html")));
        CBrowserEngine* engine = view->Engine();

        // Two reports for one page list every picture once.
        emit engine->loadFinished(true);
        emit engine->loadFinished(true);
        QVERIFY(settle(view));
        QCOMPARE(FrameControls(*frame).imageList->Lines().size(), 12);

        // A load begun before the scan answers keeps the lists and maps empty.
        emit engine->loadFinished(true);
        emit engine->loadStarted();
        QVERIFY(settle(view));
        QVERIFY(FrameControls(*frame).imageList->Lines().isEmpty() &&
                view->LastHarvest().imageMap.isEmpty());
        QVERIFY(view->LoadInProgress());

        // A window closed before its scan answers lists nothing.
        emit engine->loadFinished(true);
        frame->MdiArea()->closeAllSubWindows();
        QTest::qWait(500);
        QVERIFY(FrameControls(*frame).imageList->Lines().isEmpty());
    }
};

QUILLMAR_ENGINE_TEST_MAIN(QuillmarViewTest)
#include "tst_quillmarview.moc"
