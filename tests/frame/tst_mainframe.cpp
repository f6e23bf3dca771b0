#include "app/CQuillmarApp.h"
#include "controls/CAddressEdit.h"
#include "controls/CAnimation.h"
#include "controls/CBitmapButton.h"
#include "controls/CDigitClock.h"
#include "controls/CDigitCounter.h"
#include "core/CommandIds.h"
#include "core/CommandRouter.h"
#include "core/Limits.h"
#include "core/QtPrompts.h"
#include "core/Settings.h"
#include "downloads/DownloadReport.h"
#include "fetch/DownloadHandle.h"
#include "frame/CChildFrame.h"
#include "frame/CDocTemplate.h"
#include "frame/CFileNamesDialog.h"
#include "frame/CHarvestList.h"
#include "frame/CMainFrame.h"
#include "frame/CQuillmarDoc.h"
#include "frame/TestView.h"
#include "names/NameTemplate.h"
#include "support/FrameControls.h"
#include "support/TestMain.h"

#include <QAbstractButton>
#include <QAction>
#include <QEventLoop>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPointer>
#include <QScopeGuard>
#include <QSettings>
#include <QStandardPaths>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolBar>

#include <memory>

namespace {

// A frame with a document template whose windows hold test views.
struct FrameWithWindows {
    QSet<int> viewHandles;
    QList<QPointer<TestView>> views;
    CDocTemplate docTemplate{[this](CQuillmarDoc*) {
        auto* view = new TestView(viewHandles);
        views.append(view);
        return view;
    }};
    CMainFrame frame;

    CChildFrame* OpenWindow() { return docTemplate.OpenNewDocument(frame); }
    QList<int> EnabledAmong(QList<int> ids) {
        frame.UpdateUserInterface();
        ids.removeIf([this](int id) { return !frame.ControlById(id)->isEnabled(); });
        return ids;
    }
    QMenu* Menu(int index) const { return frame.menuBar()->actions().at(index)->menu(); }
    // The visible entries, separators as "-", checked ones marked "*".
    static QStringList Texts(const QList<QAction*>& actions) {
        QStringList texts;
        for (const QAction* item : actions) {
            if (item->isVisible())
                texts.append(item->isSeparator() ? QStringLiteral("-")
                                                 : item->text() + (item->isChecked() ? "*" : ""));
        }
        return texts;
    }
};

} // namespace

class MainFrameTest : public QObject {
    Q_OBJECT
private slots:
    void controlsTipsPromptsAndIdleTimeUpdates() {
        // Id, class, whether on the harvest bar, and left, top, right, bottom.
        const QList<std::tuple<int, const char*, bool, int, int, int, int>> controls = {
            {ID_FILE_PRINT, "CBitmapButton", false, 2, 1, 22, 21},
            {ID_SEND_MAIL, "CBitmapButton", false, 22, 1, 42, 21},
            {ID_HISTORY, "CBitmapButton", false, 42, 1, 62, 21},
            {ID_BACK, "CBitmapButton", false, 62, 1, 82, 21},
            {ID_FORWARD, "CBitmapButton", false, 82, 1, 102, 21},
            {ID_STOP, "CBitmapButton", false, 102, 1, 122, 21},
            {ID_GO, "CBitmapButton", false, 122, 1, 142, 21},
            {ID_ADDRESS_BOX, "CAddressEdit", false, 145, 0, 530, 23},
            {ID_PROGRESS_METER, "CProgressMeter", false, 535, 1, 615, 20}, // widened to 80
            {ID_ANIMATION, "CAnimation", false, 595, 0, 625, 23},
            {ID_SET_DOWNLOAD_FOLDER, "CBitmapButton", true, 2, 1, 22, 21},
            {ID_FOLDER_LABEL, "QLabel", true, 27, 1, 452, 20},
            {ID_MESSAGE_LINE, "QLabel", true, 457, 1, 652, 20},
            {ID_IMAGE_LIST, "CHarvestList", true, 2, 22, 202, 82},
            {ID_IMAGE_COUNT, "CDigitCounter", true, 202, 22, 232, 42},
            {ID_IMAGE_SEL_COUNT, "CDigitCounter", true, 202, 42, 232, 62},
            {ID_DOWNLOAD_IMAGES, "CBitmapButton", true, 232, 22, 252, 42},
            {ID_LINK_LIST, "CHarvestList", true, 252, 22, 452, 82},
            {ID_LINK_COUNT, "CDigitCounter", true, 452, 22, 482, 42},
            {ID_LINK_SEL_COUNT, "CDigitCounter", true, 452, 42, 482, 62},
            {ID_DOWNLOAD_LINKS, "CBitmapButton", true, 482, 22, 502, 42},
            {ID_FILES_LEFT, "CDigitCounter", true, 505, 22, 535, 42},
            {ID_ONLINE_CLOCK, "CDigitClock", true, 537, 22, 614, 42},
            {ID_OPEN_BOOKMARKS, "CBitmapButton", true, 545, 47, 565, 67},
            {ID_ADD_BOOKMARK, "CBitmapButton", true, 565, 47, 585, 67},
            {ID_MAKE_PAGE, "CBitmapButton", true, 585, 47, 605, 67}};
        FrameWithWindows f;
        f.viewHandles = {ID_MAKE_PAGE};
        QVERIFY(f.frame.Create());
        f.frame.resize(900, 600);
        f.frame.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f.frame));
        QVERIFY(FrameControls(f.frame).navBar->y() < FrameControls(f.frame).harvestBar->y());
        for (const auto& [id, type, onHarvestBar, left, top, right, bottom] : controls) {
            QWidget* control = f.frame.ControlById(id);
            QVERIFY2(control && control->inherits(type) && control->isVisible() &&
                         (onHarvestBar ? FrameControls(f.frame).harvestBar
                                       : FrameControls(f.frame).navBar)
                             ->isAncestorOf(control) &&
                         control->parentWidget()->rect().contains(control->geometry()),
                     qPrintable(QString::number(id)));
            const QRect designed(QPoint(left, top), QPoint(right - 1, bottom - 1));
            if (id == ID_MESSAGE_LINE)
                QVERIFY(control->geometry().topLeft() == designed.topLeft() &&
                        control->width() >= designed.width());
            else
                QCOMPARE(control->geometry(), designed);
        }
        // The message line takes the bar's free width: a common message shows whole.
        QLabel* messageLine = FrameControls(f.frame).messageLine;
        QVERIFY(messageLine->fontMetrics().horizontalAdvance(
                    "Download complete: 18 saved, 0 already saved, 0 skipped, 1 failed") <=
                messageLine->contentsRect().width());
        QCOMPARE(FrameControls(f.frame).goButton->toolTip(), QStringLiteral(" GO!"));

        // Hovering shows the prompt in the status bar; leaving brings "Ready" back.
        QTest::mouseMove(FrameControls(f.frame).goButton, QPoint(10, 10));
        QTRY_COMPARE(FrameControls(f.frame).statusBar->currentMessage(),
                     QStringLiteral("Go to webpage"));
        QTest::mouseMove(f.frame.MdiArea(), QPoint(100, 100));
        QTRY_VERIFY(FrameControls(f.frame).statusBar->currentMessage().isEmpty());
        QStringList panes;
        for (const QLabel* pane : FrameControls(f.frame).statusBar->findChildren<QLabel*>())
            panes.append(pane->text());
        // Between them, the download totals, shown only while downloads run.
        QCOMPARE(panes, (QStringList{"Ready", "", "CAP", "NUM", "SCRL"}));
        QVERIFY(FrameControls(f.frame).downloadTotals->isHidden());

        // Idle time keeps the button states current.
        QVERIFY(!FrameControls(f.frame).makePageButton->isEnabled());
        f.OpenWindow();
        QTRY_VERIFY(FrameControls(f.frame).makePageButton->isEnabled());
        f.views.last()->disabled = {ID_MAKE_PAGE};
        // A real event loop, which goes idle (waits for events) unlike QTest::qWait.
        QEventLoop loop;
        QTimer::singleShot(100, &loop, &QEventLoop::quit);
        loop.exec();
        QVERIFY(!FrameControls(f.frame).makePageButton->isEnabled());
    }

    void commandsMenusAndAcceleratorsFollowTheActiveView() {
        FrameWithWindows f;
        f.viewHandles = {ID_FILE_PRINT, ID_SET_DOWNLOAD_FOLDER, ID_GO, ID_DOWNLOAD_IMAGES,
                         ID_IMAGE_LIST};
        QVERIFY(f.frame.Create());
        // The menu titles, then the Scan menu's entries.
        const auto menus = [&f] {
            f.frame.UpdateUserInterface();
            return f.Texts(f.frame.menuBar()->actions()).join(',') + " | " +
                   f.Texts(f.Menu(2)->actions()).join(',');
        };
        const QString withoutWindows =
            "&File,&View,&Scan,&Help | &Deep Scan,&Minimum Picture Size...";
        QCOMPARE(menus(), withoutWindows);
        QCOMPARE(f.Texts(f.Menu(0)->actions()),
                 (QStringList{"&New\tCtrl+N", "-", "P&rint Setup...", "-", "Recent File", "-",
                              "&Pause All Downloads", "Res&ume All Downloads", "-",
                              "&Export Cookies...", "-", "E&xit"}));
        const QList<int> alwaysEnabled = {
            ID_BACK,           ID_FORWARD,         ID_STOP,           ID_GO,
            ID_PROGRESS_METER, ID_DOWNLOAD_IMAGES, ID_DOWNLOAD_LINKS, ID_OPEN_BOOKMARKS,
            ID_SEND_MAIL,      ID_ADD_BOOKMARK,    ID_HISTORY,        ID_ADDRESS_BOX};
        // Without a window only the listed buttons are enabled, and they do nothing.
        const QList<int> needingAView = {ID_FILE_PRINT, ID_SET_DOWNLOAD_FOLDER, ID_MAKE_PAGE};
        QCOMPARE(f.EnabledAmong(alwaysEnabled + needingAView), alwaysEnabled);
        QVERIFY(!f.frame.Router().Execute(ID_GO));

        QVERIFY(f.OpenWindow());
        TestView* view = f.views.last();
        // Make-page is handled by nobody here.
        QCOMPARE(f.EnabledAmong(needingAView), (QList<int>{ID_FILE_PRINT, ID_SET_DOWNLOAD_FOLDER}));
        static_cast<QAbstractButton*>(f.frame.ControlById(ID_GO))->click();
        QTest::keyClick(FrameControls(f.frame).addressBox, Qt::Key_Return);
        FrameControls(f.frame).imageList->AddStrings({{"a.gif", "a"}, {"b.gif", "b"}});
        FrameControls(f.frame).imageList->item(1)->setSelected(true);
        QCOMPARE(view->ran, (QList<int>{ID_GO, ID_GO, ID_IMAGE_LIST}));
        QCOMPARE(menus(), "&File,&View,&Scan,&Window,&Help | "
                          "&Deep Scan,&Scroll and Scan\tCtrl+Shift+S,"
                          "&Follow Thumbnails...\tCtrl+Shift+F,-,&Minimum Picture Size...,-,"
                          "&Watch This Page...");
        QCOMPARE(f.Texts(f.Menu(3)->actions()), (QStringList{"&New Window", "&Cascade", "&Tile"}));

        // Accelerators of commands nobody handles stay disabled, so the keys
        // still reach the address box.
        QList<QAction*> copy = f.frame.actions();
        copy.removeIf(
            [](QAction* item) { return !item->shortcuts().contains(Qt::CTRL | Qt::Key_C); });
        QVERIFY(copy.size() == 1 && !copy.first()->isEnabled());
        QVERIFY(copy.first()->shortcuts().contains(Qt::CTRL | Qt::Key_Insert));

        // A view reporting an always-enabled command disabled wins.
        view->disabled = {ID_DOWNLOAD_IMAGES};
        QVERIFY(f.EnabledAmong({ID_DOWNLOAD_IMAGES}).isEmpty());
        QVERIFY(!f.frame.Router().Execute(ID_DOWNLOAD_IMAGES));
        view->disabled.clear();
        QVERIFY(f.frame.Router().Execute(ID_DOWNLOAD_IMAGES));

        // The second window's view gets the commands once it is active.
        QVERIFY(f.OpenWindow());
        f.frame.Router().Execute(ID_FILE_PRINT);
        QCOMPARE(f.views.last()->ran, QList<int>{ID_FILE_PRINT});
        QCOMPARE(view->ran, (QList<int>{ID_GO, ID_GO, ID_IMAGE_LIST, ID_DOWNLOAD_IMAGES}));

        // Closing every window brings back the state without one.
        f.frame.MdiArea()->closeAllSubWindows();
        QTRY_COMPARE(f.frame.MdiArea()->subWindowList().size(), 0);
        QCOMPARE(f.EnabledAmong(alwaysEnabled + needingAView), alwaysEnabled);
        QCOMPARE(menus(), withoutWindows);

        // View > Toolbar hides and shows both bars.
        f.frame.show();
        QAction* toolbar = f.Menu(1)->actions().at(0);
        QVERIFY(toolbar->isChecked());
        toolbar->trigger();
        f.frame.UpdateUserInterface();
        QVERIFY(FrameControls(f.frame).navBar->isHidden() &&
                FrameControls(f.frame).harvestBar->isHidden() && !toolbar->isChecked());
        toolbar->trigger();
        QVERIFY(FrameControls(f.frame).navBar->isVisible() &&
                FrameControls(f.frame).harvestBar->isVisible());
    }

    void newWindowSharesTheDocumentAndWindowsAreArranged() {
        auto owner = std::make_unique<FrameWithWindows>();
        FrameWithWindows& f = *owner;
        QVERIFY(f.frame.Create());
        f.frame.resize(1000, 700);
        f.frame.show();
        CChildFrame* first = f.OpenWindow();
        QCOMPARE(first->windowTitle(), QStringLiteral("Quillmar1"));
        QVERIFY(f.frame.Router().Execute(ID_WINDOW_NEW));
        CChildFrame* second = f.frame.ActiveChildFrame();
        QVERIFY(second != first && second->View() != first->View());
        QCOMPARE(second->Document(), first->Document());
        QCOMPARE(first->windowTitle() + ',' + second->windowTitle(), "Quillmar1:1,Quillmar1:2");

        // The Window menu lists both windows and switches between them.
        f.frame.UpdateUserInterface();
        QMenu* windowMenu = f.Menu(3);
        emit windowMenu->aboutToShow();
        QCOMPARE(f.Texts(windowMenu->actions()).filter("Quillmar"),
                 (QStringList{"&1 Quillmar1:1", "&2 Quillmar1:2*"}));
        windowMenu->actions().at(windowMenu->actions().size() - 2)->trigger(); // the first
        QCOMPARE(f.frame.ActiveChildFrame(), first);

        QVERIFY(f.frame.Router().Execute(ID_WINDOW_TILE_HORZ));
        QVERIFY(!first->geometry().intersects(second->geometry()));
        QCOMPARE(first->geometry().united(second->geometry()),
                 f.frame.MdiArea()->viewport()->rect());
        QVERIFY(f.frame.Router().Execute(ID_WINDOW_CASCADE));
        QVERIFY(first->geometry().topLeft() != second->geometry().topLeft() &&
                first->geometry().intersects(second->geometry()));

        QPointer<CQuillmarDoc> document = first->Document();
        QVERIFY(f.frame.Router().Execute(ID_FILE_CLOSE));
        QTRY_COMPARE(f.frame.ActiveChildFrame()->windowTitle(), QStringLiteral("Quillmar1"));
        QVERIFY(document);
        f.frame.ActiveChildFrame()->close();
        QTRY_VERIFY(!document);

        // The next document gets the next number.
        QCOMPARE(f.OpenWindow()->windowTitle(), QStringLiteral("Quillmar2"));
        f.OpenWindow();

        // The views go before the controls they may touch.
        QStringList seen;
        for (TestView* view : f.views) {
            if (view)
                QObject::connect(view, &QObject::destroyed, [&seen, frame = &f.frame] {
                    FrameControls(*frame).messageLine->setText(QStringLiteral("bye"));
                    seen.append(FrameControls(*frame).messageLine->text());
                });
        }
        owner.reset();
        QCOMPARE(seen, (QStringList{"bye", "bye"}));
    }

    // The files-left counter, the animation, the message line and the status
    // bar's totals show the frame's download report; the animation plays while
    // any job runs.
    void downloadReportDrivesCounterAnimationAndMessageLine() {
        CMainFrame frame;
        QVERIFY(frame.Create());
        DownloadReport& report = frame.Downloads();
        DownloadJob two;
        two.Add("/f", "a.jpg", "http://a.test/a.jpg");
        two.Add("/f", "b.jpg", "http://a.test/b.jpg");
        const int job = report.AddJob("/f", two);
        report.SetHandle(job, std::make_shared<DownloadHandle>(nullptr));
        report.FileFinished(job, 0, "a.jpg", false, "server answered 404");
        // Measured again twice a second.
        QTRY_COMPARE(FrameControls(frame).downloadTotals->text(),
                     QStringLiteral("0 of 2 files, 1 failed, 0 B"));
        QVERIFY(!FrameControls(frame).downloadTotals->isHidden());
        report.JobEnded(job);
        QVERIFY(FrameControls(frame).downloadTotals->isHidden());
        report.ChangeRunningJobs(1);
        report.ReportFilesLeft(3);
        report.SetMessage(QStringLiteral("Download complete: 2 of 3 files saved."));
        QVERIFY(FrameControls(frame).animation->IsPlaying());
        QCOMPARE(FrameControls(frame).filesLeft->Text(), QStringLiteral("3"));
        QCOMPARE(FrameControls(frame).messageLine->text(),
                 QStringLiteral("Download complete: 2 of 3 files saved."));
        report.ChangeRunningJobs(1);
        report.ChangeRunningJobs(-1);
        QVERIFY(FrameControls(frame).animation->IsPlaying());
        report.ChangeRunningJobs(-1);
        QVERIFY(!FrameControls(frame).animation->IsPlaying());
    }

    // The real question box that can be closed: Escape and its close button
    // answer neither Yes nor No.
    void closableQuestionTellsClosingFromNo_data() {
        QTest::addColumn<QString>("how");
        QTest::addColumn<int>("answer");
        QTest::newRow("Yes") << "Yes" << int(Prompts::Answer::Yes);
        QTest::newRow("No") << "No" << int(Prompts::Answer::No);
        QTest::newRow("Escape") << "Escape" << int(Prompts::Answer::Closed);
        QTest::newRow("closed") << "close" << int(Prompts::Answer::Closed);
    }
    void closableQuestionTellsClosingFromNo() {
        QFETCH(QString, how);
        QStringList shown; // the buttons a person sees
        QTimer::singleShot(0, [how, &shown] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box)
                return;
            for (const QAbstractButton* button : box->buttons())
                if (!button->isHidden())
                    shown << button->text().remove('&');
            if (how == "Escape")
                QTest::keyClick(box, Qt::Key_Escape);
            else if (how == "close")
                box->close();
            else
                box->button(how == "Yes" ? QMessageBox::Yes : QMessageBox::No)->click();
        });
        QTEST(int(QtPrompts().askYesNoOrClose(nullptr, "Cancel current download?", "Proceed?")),
              "answer");
        QCOMPARE(shown, QStringList({"Yes", "No"}));
    }

    // When a popup (a list's menu) closes under X, Qt gets the pointer back
    // without telling the control it hovered before that the pointer left:
    // a move delivered straight to another widget is that case. The prompt
    // goes all the same; the prompt of the control under the pointer stays.
    void promptGoesWhenThePointerIsElsewhere() {
        CMainFrame frame;
        QVERIFY(frame.Create());
        frame.resize(900, 600);
        frame.show();
        QVERIFY(QTest::qWaitForWindowExposed(&frame));
        QStatusBar* bar = FrameControls(frame).statusBar;
        QWidget* button = frame.ControlById(ID_DOWNLOAD_LINKS);
        QTest::mouseMove(button, QPoint(5, 5));
        QTRY_COMPARE(bar->currentMessage(), QStringLiteral("Download selected image links."));
        const auto moveOver = [](QWidget* widget) {
            const QPointF at(5, 5);
            QMouseEvent move(QEvent::MouseMove, at, widget->mapToGlobal(at), Qt::NoButton,
                             Qt::NoButton, Qt::NoModifier);
            QCoreApplication::sendEvent(widget, &move);
        };
        moveOver(button);
        QCOMPARE(bar->currentMessage(), QStringLiteral("Download selected image links."));
        moveOver(frame.MdiArea()->viewport());
        QCOMPARE(bar->currentMessage(), QString());
        QTest::mouseMove(frame.ControlById(ID_STOP), QPoint(5, 5));
        QTRY_COMPARE(bar->currentMessage(), QStringLiteral("Stop"));
    }

    // A refused template says what is wrong in the place of the names, told
    // apart from the help line by more than its colour, and the dialog keeps
    // its size as the refusal comes and goes.
    void fileNamesDialogShowsRefusalsInPlace() {
        qApp->setStyleSheet(CQuillmarApp::DialogStyleSheet());
        const auto plain = qScopeGuard([] { qApp->setStyleSheet(QString()); });
        CFileNamesDialog dialog({"{name}.{ext}", false, true},
                                [](const NameTemplate&) { return QStringList{"a.jpg"}; });
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        const QSize size = dialog.size();
        auto* field = dialog.findChild<QLineEdit*>();
        auto* names = dialog.findChild<QListWidget*>();
        QVERIFY(field && names);
        // The label showing text, or null for none.
        const auto shown = [&dialog](const QString& text) -> const QLabel* {
            for (const QLabel* label : dialog.findChildren<QLabel*>())
                if (label->isVisible() && label->text() == text)
                    return label;
            return nullptr;
        };
        const QLabel* help = shown("Fields: {name} {ext} {num} {num:03} {site} {title} {viewer} "
                                   "{w} {h} {date}; \"/\" makes folders.");
        QVERIFY(help);
        for (const char* text : {"{num:03", "{name}.{ext}", "a}b", "{site}/{name}"}) {
            field->setText(text);
            QCoreApplication::processEvents();
            QCOMPARE(dialog.size(), size);
            const QString why = NameTemplate::Refusal(text);
            QCOMPARE(names->isVisible(), why.isEmpty());
            QVERIFY(why.isEmpty() || shown(why));
        }
        field->setText("{site}/{num:03");
        const QLabel* refusal = shown("A field of the name template is not closed: {num:03");
        QVERIFY(refusal && !names->isVisible());
        QVERIFY(refusal->palette().color(QPalette::WindowText) !=
                help->palette().color(QPalette::WindowText));
        int signs = 0;
        for (const QLabel* label : refusal->parentWidget()->findChildren<QLabel*>())
            signs += label->isVisible() && !label->pixmap().isNull();
        QCOMPARE(signs, 1);
    }

    // Writing the recent file list back is covered by the application shell's exit.
    void aNewFrameShowsRecentFilesBookmarkPathAndOnlineClock() {
        QSettings().setValue(QStringLiteral("Recent File List/File1"), QStringLiteral("/tmp/a&b"));
        FrameWithWindows f;
        QVERIFY(f.frame.Create());
        QCOMPARE(FrameControls(f.frame).onlineClock->Text(), QStringLiteral("00:00:00"));
        f.frame.UpdateUserInterface();
        QList<QAction*> enabled = f.Menu(0)->actions();
        enabled.removeIf([](QAction* item) { return !item->isEnabled() || item->isSeparator(); });
        // New and Print Setup belong to the application, which this test has not.
        QCOMPARE(f.Texts(enabled), (QStringList{"&1 /tmp/a&&b", "&Export Cookies...", "E&xit"}));
        QCOMPARE(f.frame.BookmarkPath(),
                 QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
                     "/Quillmar/QuillmarLinks.txt");

        const QList<QPair<QString, QString>> programs = {
            {"/opt/quillmar/quillmar", "/opt/quillmar/QuillmarLinks.txt"},
            {"quillmar", QString()}, // no separator
            {"/quillmar", QString()},
            {QString(), QString()}}; // unreadable
        for (const auto& [program, beside] : programs)
            QCOMPARE(CMainFrame::BookmarkPathFor(program), beside);
        // The user's data folder, unless a bookmark file lies beside the program.
        const QTemporaryDir folder;
        const QString program = folder.filePath("quillmar"), data = folder.filePath("data");
        QCOMPARE(CMainFrame::ChooseBookmarkPath(program, data), data + "/QuillmarLinks.txt");
        QCOMPARE(CMainFrame::ChooseBookmarkPath(QString(), data), data + "/QuillmarLinks.txt");
        QVERIFY(QFile(folder.filePath("QuillmarLinks.txt")).open(QIODevice::WriteOnly));
        QCOMPARE(CMainFrame::ChooseBookmarkPath(program, data),
                 folder.filePath("QuillmarLinks.txt"));

        // Ticks compute from the start time rather than counting.
        f.frame.SetStartTime(f.frame.StartTime() - 2 * 3600);
        QTRY_VERIFY_WITH_TIMEOUT(
            FrameControls(f.frame).onlineClock->Text().startsWith(QStringLiteral("02:00:")), 10000);
        // Days are dropped; a clock set back shows zero.
        const QList<QPair<qint64, QString>> elapsed = {
            {3725, "01:02:05"}, {86399, "23:59:59"}, {25 * 3600, "01:00:00"}, {-30, "00:00:00"}};
        for (const auto& [seconds, text] : elapsed)
            QCOMPARE(CMainFrame::FormatElapsed(seconds), text);
    }

    // The download settings' commands store the setting and check their entry;
    // Parallel Downloads checks one choice, the largest not above the stored
    // count, also when the count was set elsewhere (by hand, another window).
    void downloadSettingsAreStoredAndShownChecked() {
        FrameWithWindows f;
        QVERIFY(f.frame.Create());
        const auto defaults = qScopeGuard([] {
            Settings::SetParallelDownloads(Limits::DefaultParallelDownloads);
            Settings::SetSkipSavedPictures(false);
        });
        QMenu* parallel = f.Menu(1)->actions().last()->menu();
        const auto shown = [&] { return f.Texts(parallel->actions()).join(','); };
        QCOMPARE(shown(), "&1,&2,&4*,&8");
        const QList<std::tuple<int, int, QString>> choices = {
            {ID_VIEW_PARALLEL_8, 8, "&1,&2,&4,&8*"},
            {ID_VIEW_PARALLEL_1, 1, "&1*,&2,&4,&8"},
            {ID_VIEW_PARALLEL_2, 2, "&1,&2*,&4,&8"},
            {ID_VIEW_PARALLEL_4, 4, "&1,&2,&4*,&8"}};
        for (const auto& [id, count, entries] : choices) {
            QVERIFY(f.frame.Router().Execute(id));
            QCOMPARE(Settings::ParallelDownloads(), count);
            QCOMPARE(shown(), entries);
        }
        for (const auto& [stored, entries] : {std::pair{3, "&1,&2*,&4,&8"}, {16, "&1,&2,&4,&8*"}}) {
            Settings::SetParallelDownloads(stored);
            emit parallel->aboutToShow();
            QCOMPARE(shown(), entries);
        }
        QAction* skipSaved = f.frame.CommandAction(ID_VIEW_SKIP_SAVED);
        for (const bool on : {true, false}) {
            QVERIFY(f.frame.Router().Execute(ID_VIEW_SKIP_SAVED));
            QVERIFY(Settings::SkipSavedPictures() == on && skipSaved->isChecked() == on);
        }
    }
};

QUILLMAR_TEST_MAIN(MainFrameTest)
#include "tst_mainframe.moc"
