#include "app/CAboutDialog.h"
#include "app/CQuillmarApp.h"
#include "app/CommandLine.h"
#include "app/VersionGate.h"
#include "controls/CBitmapButton.h"
#include "core/CommandIds.h"
#include "core/CommandRouter.h"
#include "core/DialogUnits.h"
#include "core/StringTable.h"
#include "frame/CChildFrame.h"
#include "frame/CMainFrame.h"
#include "frame/CQuillmarDoc.h"
#include "frame/TestView.h"
#include "support/AccessibilityWalk.h"
#include "support/FrameControls.h"
#include "support/ScriptedPrompts.h"
#include "support/TestMain.h"

#include <QDir>
#include <QLabel>
#include <QMdiArea>
#include <QMessageBox>
#include <QPointer>
#include <QProxyStyle>
#include <QSettings>
#include <QStyleFactory>
#include <QStyleOption>
#include <QTest>
#include <QTimer>
#include <QWindow>

namespace {

QList<QMdiSubWindow*> Windows() {
    return CQuillmarApp::MainFrame()->MdiArea()->subWindowList();
}

} // namespace

// Runs inside a CQuillmarApp, so start-up happens once for the whole test.
class AppShellTest : public QObject {
    Q_OBJECT
private slots:
    void versionGate() {
        const QList<QPair<const char*, bool>> versions = {
            {"5", true}, {"10.0", true}, {"5.00.2919.6307", true}, {"4.9", false},
            {"", false}, {"x.5", false}, {nullptr, false}}; // none reported
        for (const auto& [version, accepted] : versions) {
            testsupport::ScriptedPrompts prompts;
            QCOMPARE(VersionGate::Check(version, prompts), accepted);
            QCOMPARE(prompts.messages.size(), accepted ? 0 : 1);
            if (!accepted)
                QCOMPARE(prompts.messages.first().text + "|" + prompts.messages.first().caption,
                         QStringLiteral("This browser requires IE 5.0 or higher.|IE 5"));
        }
    }

    // The accessible description is left out where it would only repeat the name.
    void stringTableSplitsPromptAndTipKeepingBlanksAndNamesControls() {
        const QList<std::tuple<int, QString, QString, QString, QString>> entries = {
            {ID_FOLDER_LABEL, "Current download directory. ", " Current download directory.",
             "Current download directory", ""},
            {ID_IMAGE_COUNT, "Number of images.", " Number of images.", "Images",
             "Number of images"},
            {ID_HISTORY, "History", " History.", "History", ""},
            {ID_FILE_PRINT, "Print the active document", "Print", "Print",
             "Print the active document"},
            {ID_DOWNLOAD_IMAGES, "Download selected images.", " Download selected images.",
             "Download selected images", ""},
            {ID_VIEW_DOWNLOAD_REPORT, "Show what each file of this run's downloads did",
             "Download Report", "Download Report",
             "Show what each file of this run's downloads did"},
            {1047, "Select", "", "Select", ""},
            {ID_FILES_LEFT, "", "", "Files left", ""}};
        for (const auto& [id, prompt, tip, name, description] : entries) {
            QCOMPARE(StringTable::prompt(id), prompt);
            QCOMPARE(StringTable::tip(id), tip);
            QCOMPARE(StringTable::contains(id), !prompt.isEmpty());
            QCOMPARE(StringTable::name(id), name);
            QCOMPARE(StringTable::description(id), description);
        }
    }

    // Read without the image plugins, the icons are still Qt's own, pixel for pixel.
    void standardIconsAreTheStylesOwn() {
        const auto* ours = qobject_cast<QProxyStyle*>(QApplication::style());
        QVERIFY(ours);
        const std::unique_ptr<QStyle> plain(QStyleFactory::create(ours->baseStyle()->name()));
        QStyleOption rightToLeft;
        rightToLeft.direction = Qt::RightToLeft;
        for (const QStyle::StandardPixmap which :
             {QStyle::SP_TitleBarMenuButton, QStyle::SP_TitleBarMaxButton,
              QStyle::SP_ToolBarHorizontalExtensionButton,
              QStyle::SP_ToolBarVerticalExtensionButton, QStyle::SP_TitleBarCloseButton}) {
            for (const QStyleOption* option : {static_cast<QStyleOption*>(nullptr), &rightToLeft}) {
                const QIcon read = ours->standardIcon(which, option);
                const QIcon qts = plain->standardIcon(which, option);
                QCOMPARE(read.availableSizes(), qts.availableSizes());
                for (const QSize& size : qts.availableSizes())
                    QCOMPARE(read.pixmap(size).toImage(), qts.pixmap(size).toImage());
            }
        }
    }

    void commandLine() {
        using Action = CommandLine::Action;
        const QString file = testsupport::testDataPath("pages/frameset.html");
        const struct {
            QStringList arguments;
            Action action;
            QStringList addresses;
        } lines[] = {
            {{}, Action::Run, {}},
            {{"example.org", "http://a/b?c=1"}, Action::Run, {"example.org", "http://a/b?c=1"}},
            {{QDir::current().relativeFilePath(file)}, Action::Run, {file}},
            {{"--", "--help"}, Action::Run, {"--help"}},
            {{"x", "--help"}, Action::Help, {"x"}},
            {{"-v"}, Action::Version, {}},
            {{"--bogus", "x"}, Action::Error, {"x"}}};
        for (const auto& expected : lines) {
            const CommandLine line =
                CommandLine::Parse(QStringList{"quillmar"} + expected.arguments);
            QCOMPARE(line.action, expected.action);
            QCOMPARE(line.addresses, expected.addresses);
        }
    }

    void startUpNewAndCloseWindows() {
        // Start-up fails when no browser window can open.
        auto* app = static_cast<CQuillmarApp*>(QCoreApplication::instance());
        app->SetViewFactory([](CQuillmarDoc*) { return nullptr; });
        QVERIFY(!app->InitInstance());
        QVERIFY(!CQuillmarApp::MainFrame());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        for (QWidget* window : QApplication::topLevelWidgets())
            QVERIFY(!qobject_cast<CMainFrame*>(window));

        app->SetViewFactory([](CQuillmarDoc*) { return new TestView; });
        QSettings(QStringLiteral("QuillmarBrowser"), QStringLiteral("Quillmar"))
            .setValue(QStringLiteral("Recent File List/File1"), QStringLiteral("/tmp/x.txt"));
        QVERIFY(app->InitInstance());
        CMainFrame* frame = CQuillmarApp::MainFrame();
        QVERIFY(frame && frame->isVisible() && frame->isMaximized());
        QCOMPARE(Windows().size(), 1);

        // New opens another maximised window even after a restore.
        Windows().first()->showNormal();
        QVERIFY(frame->Router().Execute(ID_FILE_NEW));
        QCOMPARE(Windows().size(), 2);
        CChildFrame* second = frame->ActiveChildFrame();
        QVERIFY(second->isMaximized());
        QCOMPARE(second->windowTitle(), QStringLiteral("Quillmar2")); // of a new document

        // Closing windows asks nothing.
        testsupport::ScriptedPrompts prompts;
        QVERIFY(frame->Router().Execute(ID_FILE_CLOSE));
        QTRY_COMPARE(Windows().size(), 1);
        Windows().first()->close();
        QTRY_COMPARE(Windows().size(), 0);
        QVERIFY(prompts.messages.isEmpty() && prompts.questions.isEmpty());
        // Ctrl+N is the accelerator of New.
        frame->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(frame));
        QTest::keyClick(frame, Qt::Key_N, Qt::ControlModifier);
        QCOMPARE(Windows().size(), 1);
    }

    // Dialogs are green on black; the frame is not.
    void aboutBoxPrintSetupAndColours() {
        testsupport::ScriptedPrompts prompts;
        int asked = 0;
        prompts.printerAnswer = [&](QPrinter&) { return ++asked; };
        QVERIFY(CQuillmarApp::MainFrame()->Router().Execute(ID_FILE_PRINT_SETUP));
        QCOMPARE(asked, 1);

        QList<int> results; // after Enter, Escape and OK
        QStringList faults;
        prompts.dialogDriver = [&](QDialog& dialog) {
            auto* about = qobject_cast<CAboutDialog*>(&dialog);
            faults = testsupport::accessibilityFaults(*about);
            for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Escape}) {
                QTest::keyClick(about, key);
                results.append(about->result());
                about->show();
            }
            about->OkButton()->click();
            results.append(about->result());
            return about->result();
        };
        QVERIFY(CQuillmarApp::MainFrame()->Router().Execute(ID_APP_ABOUT));
        QCOMPARE(results, (QList<int>{QDialog::Accepted, QDialog::Rejected, QDialog::Accepted}));
        QCOMPARE(faults, QStringList());
        CAboutDialog about;
        about.ensurePolished();
        QVERIFY(!about.windowFlags().testFlag(Qt::WindowTitleHint));
        const QLabel* title = about.findChildren<QLabel*>().at(1);
        QCOMPARE(title->text(), QStringLiteral("Quillmar Browser"));
        // The whole title on one line within its label, the whole text below within its own.
        const QFontMetrics metrics = title->fontMetrics();
        QVERIFY(metrics.horizontalAdvance(title->text()) <= title->contentsRect().width() &&
                metrics.height() <= title->contentsRect().height());
        const QLabel* text = about.findChildren<QLabel*>().at(2);
        QVERIFY(text->heightForWidth(text->width()) <= text->height());
        QCOMPARE((QList<QRect>{about.rect(), about.OkButton()->geometry()}),
                 (QList<QRect>{QRect(QPoint(), DialogUnits::toPixels(82, 116)),
                               DialogUnits::toPixels(33, 100, 14, 14)}));

        QMessageBox box(QMessageBox::NoIcon, QStringLiteral("IE 5"), QStringLiteral("text"));
        box.ensurePolished();
        CMainFrame* frame = CQuillmarApp::MainFrame();
        frame->ensurePolished();
        const QPalette& label = box.findChild<QLabel*>("qt_msgbox_label")->palette();
        QCOMPARE((QList<QColor>{
                     about.palette().color(QPalette::Window), box.palette().color(QPalette::Window),
                     label.color(QPalette::WindowText), frame->palette().color(QPalette::Window),
                     FrameControls(*frame).folderLabel->palette().color(QPalette::WindowText)}),
                 (QList<QColor>{Qt::black, Qt::black, QColor(0, 255, 0),
                                QApplication::palette().color(QPalette::Window),
                                QApplication::palette().color(QPalette::WindowText)}));
    }

    // The frame, every browser window and the dialogs show the icon installed
    // for the desktop, which the window manager gets with the frame's window.
    void everyWindowShowsTheProgramsIcon() {
        const auto imagesOf = [](const QIcon& icon) {
            QList<QImage> images;
            for (int size : {16, 32})
                images << icon.pixmap(size).toImage().convertToFormat(QImage::Format_ARGB32);
            return images;
        };
        QIcon installed;
        for (int size : {16, 32})
            installed.addFile(
                QStringLiteral(QUILLMAR_BINARY_DIR "/icons/%1x%1/org.quillmar.Quillmar.png")
                    .arg(size));
        QCOMPARE(installed.availableSizes().size(), 2);
        CMainFrame* frame = CQuillmarApp::MainFrame();
        QVERIFY(frame->Router().Execute(ID_FILE_NEW));
        QList<QImage> dialogIcon;
        testsupport::ScriptedPrompts prompts;
        prompts.dialogDriver = [&](QDialog& dialog) {
            dialogIcon = imagesOf(dialog.windowIcon());
            return int(QDialog::Rejected);
        };
        QVERIFY(frame->Router().Execute(ID_VIEW_FILE_NAMES));
        QCOMPARE(dialogIcon, imagesOf(installed));
        QCOMPARE(imagesOf(frame->windowHandle()->icon()), imagesOf(installed));
        QCOMPARE(Windows().size(), 2);
        for (const QMdiSubWindow* window : Windows())
            QCOMPARE(imagesOf(window->windowIcon()), imagesOf(installed));
    }

    void exitKeepsTheRecentFilesAndStartUpOpensAWindowPerAddress() {
        // The list read at start-up is written back at exit.
        QSettings().remove(QStringLiteral("Recent File List"));
        QPointer<CMainFrame> frame = CQuillmarApp::MainFrame();
        // Exit closes the last window, which ends the event loop normally.
        QTimer::singleShot(0, frame, [frame] { frame->Router().Execute(ID_APP_EXIT); });
        QTimer::singleShot(30000, [] { QCoreApplication::exit(1); });
        QCOMPARE(QCoreApplication::exec(), 0);
        QVERIFY(!frame->isVisible());
        delete frame;
        QVERIFY(!CQuillmarApp::MainFrame());
        QCOMPARE(QSettings().value(QStringLiteral("Recent File List/File1")).toString(),
                 QStringLiteral("/tmp/x.txt"));

        // Start-up opens a window per address.
        auto* app = static_cast<CQuillmarApp*>(QCoreApplication::instance());
        QStringList starts;
        app->SetViewFactory([&starts](CQuillmarDoc* document) {
            starts.append(document->TakeStartAddress());
            return new TestView;
        });
        QVERIFY(app->InitInstance({"http://a/", "b.org"}));
        QCOMPARE(Windows().size(), 2);
        QVERIFY(CQuillmarApp::MainFrame()->Router().Execute(ID_FILE_NEW));
        QCOMPARE(starts, (QStringList{"http://a/", "b.org", QString()}));
        QCOMPARE(QGuiApplication::desktopFileName(), QStringLiteral("org.quillmar.Quillmar"));
        delete CQuillmarApp::MainFrame();
    }
};

QUILLMAR_APP_TEST_MAIN(AppShellTest, CQuillmarApp)

#include "tst_appshell.moc"
