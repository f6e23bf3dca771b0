#include "app/CQuillmarApp.h"

#include "app/CAboutDialog.h"
#include "app/InterruptWatch.h"
#include "app/InterruptedDownloads.h"
#include "app/ProgramVersion.h"
#include "app/StandardIconStyle.h"
#include "app/VersionGate.h"
#include "controls/AccessibleFactory.h"
#include "controls/ProgramIcon.h"
#include "core/CommandIds.h"
#include "core/Prompts.h"
#include "core/StringTable.h"
#include "engine/BrowserProfile.h"
#include "fetch/DownloadRegistry.h"
#include "frame/CMainFrame.h"

#include <QDialog>
#include <QEvent>
#include <QPointer>
#include <QPrinter>
#include <QScreen>
#include <QWindow>

namespace {

QPointer<CMainFrame> mainFrame;

} // namespace

CQuillmarApp::CQuillmarApp(int& argc, char** argv) : QApplication(argc, argv) {
    // Named before anything asks Qt for a per-application folder.
    setApplicationName(StringTable::text(IDS_APP_TITLE));
    setApplicationVersion(ProgramVersion::Text());
    // Desktops match the windows to the installed desktop entry by this name.
    setDesktopFileName(QStringLiteral("org.quillmar.Quillmar"));
    // Every window without an icon of its own shows the program's: the frame,
    // its browser windows, dialogs and the Thumbnails window.
    setWindowIcon(ProgramIcon::Icon());
    setStyle(new StandardIconStyle(style()->name()));
    AccessibleFactory::Install();
}

CQuillmarApp::~CQuillmarApp() {
    // No download worker may still report while the frame is destroyed.
    DownloadRegistry::Instance().CancelAllAndWait();
    // The frame and its browser windows go before the application they run in.
    delete mainFrame;
    // Then the pages let go of meanwhile, and only then their profile, so that
    // it shuts down cleanly and writes the cookies it holds.
    sendPostedEvents(nullptr, QEvent::DeferredDelete);
    BrowserProfile::ClosePersistent();
}

void CQuillmarApp::SetViewFactory(CDocTemplate::ViewFactory factory) {
    viewFactory = std::move(factory);
}

bool CQuillmarApp::InitInstance(const QStringList& addresses) {
    if (!VersionGate::Check(VersionGate::EngineVersion(), Prompts::current()))
        return false;
    // Settings live under this key; the program keeps only its recent-file list there.
    setOrganizationName(QStringLiteral("QuillmarBrowser"));
    // The dialogs' style sheet is set as the first dialog is readied: set on
    // the application before, it slows the making and painting of every
    // widget of the main frame, about 6 ms of the start.
    if (styleSheet().isEmpty())
        installEventFilter(this);

    docTemplate = new CDocTemplate(viewFactory, this);
    auto* frame = new CMainFrame;
    if (!frame->Create()) {
        delete frame;
        return false;
    }
    SetMainFrame(frame);
    frame->SetApplicationHandlers(
        {[this] { OpenNewWindow(); }, [this] { SetUpPrinter(); }, [this] { ShowAbout(); }});
    if (!OpenStartWindows(*frame, addresses)) {
        delete frame;
        return false;
    }
    // Sized to the screen as well, for desktops without a window manager to
    // maximise it. Inside the window's frame where the platform knows it
    // already, so the browser is laid out once at its maximised size, not
    // twice.
    frame->createWinId();
    frame->setGeometry(frame->screen()->availableGeometry() -
                       frame->windowHandle()->frameMargins());
    frame->showMaximized();
    if (!interrupts) {
        interrupts = new InterruptWatch(this);
        connect(interrupts, &InterruptWatch::interrupted, this, &CQuillmarApp::EndOnSignal);
    }
    // Downloads an earlier run left are looked for once the window is up, off
    // the start's path.
    QMetaObject::invokeMethod(
        this,
        [] {
            if (CMainFrame* shown = MainFrame())
                InterruptedDownloads::Offer(*shown);
        },
        Qt::QueuedConnection);
    return true;
}

bool CQuillmarApp::OpenStartWindows(CMainFrame& frame, const QStringList& addresses) {
    if (addresses.isEmpty())
        return docTemplate->OpenNewDocument(frame) != nullptr;
    for (const QString& address : addresses) {
        if (!docTemplate->OpenNewDocument(frame, address))
            return false;
    }
    return true;
}

CMainFrame* CQuillmarApp::MainFrame() {
    return mainFrame;
}

void CQuillmarApp::SetMainFrame(CMainFrame* frame) {
    mainFrame = frame;
}

CDocTemplate* CQuillmarApp::DocTemplate() const {
    return docTemplate;
}

QPrinter& CQuillmarApp::Printer() {
    if (!printer)
        printer = std::make_unique<QPrinter>();
    return *printer;
}

bool CQuillmarApp::eventFilter(QObject* watched, QEvent* event) {
    // Before the dialog takes its style, so it takes the one with the sheet.
    if (event->type() == QEvent::Polish && qobject_cast<QDialog*>(watched)) {
        removeEventFilter(this);
        setStyleSheet(DialogStyleSheet());
    }
    return QApplication::eventFilter(watched, event);
}

QString CQuillmarApp::DialogStyleSheet() {
    // Only dialogs, message boxes and the texts on them; the main frame keeps its look.
    return QStringLiteral(
        "QDialog { background-color: rgb(0, 0, 0); color: rgb(0, 255, 0); }"
        "QDialog QLabel, QDialog QCheckBox, QDialog QRadioButton, QDialog QGroupBox {"
        " color: rgb(0, 255, 0); }");
}

void CQuillmarApp::OpenNewWindow() {
    if (docTemplate && MainFrame())
        docTemplate->OpenNewDocument(*MainFrame());
}

void CQuillmarApp::SetUpPrinter() {
    Prompts::current().choosePrinter(MainFrame(), Printer());
}

void CQuillmarApp::EndOnSignal() {
    if (CMainFrame* frame = MainFrame())
        frame->CloseWithoutQuestions();
    // Leaves the loops of open dialogs as well, which a closed frame does not.
    exit(0);
}

void CQuillmarApp::ShowAbout() {
    CAboutDialog about(MainFrame());
    Prompts::current().runModal(about);
}

#include "moc_CQuillmarApp.cpp"
