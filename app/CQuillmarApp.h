#pragma once

#include "app/CommandTarget.h"

#include <QApplication>

class CMainFrame;

// The application: start-up gate, settings, document template, main frame.
class CQuillmarApp : public QApplication, public CommandTarget {
    Q_OBJECT
public:
    CQuillmarApp(int& argc, char** argv);
    ~CQuillmarApp() override;

    // Runs the start-up steps; false ends the program.
    bool InitInstance();

    // The application's main window, looked up anew on every call; nullptr
    // when there is none.
    static CMainFrame* MainFrame();
    static void SetMainFrame(CMainFrame* frame);

    bool HandlesCommand(int id) const override;
    void OnCommand(int id) override;
};
