#pragma once

#include "frame/CDocTemplate.h"

#include <QApplication>
#include <QStringList>

#include <memory>

class CMainFrame;
class InterruptWatch;
class QPrinter;

// The application: start-up gate, settings, document template, main frame.
class CQuillmarApp : public QApplication {
    Q_OBJECT
public:
    CQuillmarApp(int& argc, char** argv);
    ~CQuillmarApp() override;

    // The view every browser window gets; set before InitInstance.
    void SetViewFactory(CDocTemplate::ViewFactory factory);

    // Runs the start-up steps, opening a browser window on each address (none:
    // one window on the about page); false ends the program.
    bool InitInstance(const QStringList& addresses = QStringList());

    // The application's main window, looked up anew on every call; nullptr
    // when there is none.
    static CMainFrame* MainFrame();
    static void SetMainFrame(CMainFrame* frame);

    // The document template; nullptr before start-up made it.
    CDocTemplate* DocTemplate() const;
    // The printer set up with File, Print Setup, for the views to print with.
    QPrinter& Printer();

    // The colours of every dialog and message box: green text on black.
    static QString DialogStyleSheet();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool OpenStartWindows(CMainFrame& frame, const QStringList& addresses);
    void OpenNewWindow();
    void SetUpPrinter();
    void ShowAbout();
    // SIGTERM, SIGHUP or SIGINT (the session's end, kill, Ctrl+C) ends the
    // program as File > Exit does, without asking.
    void EndOnSignal();

    CDocTemplate::ViewFactory viewFactory;
    CDocTemplate* docTemplate = nullptr;
    std::unique_ptr<QPrinter> printer;
    InterruptWatch* interrupts = nullptr;
};
