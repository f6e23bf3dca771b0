#pragma once

#include "app/CommandTarget.h"
#include "harvest/PageScan.h"

#include <QStringList>
#include <QWidget>

class CBrowserEngine;
class CMainFrame;
class CQuillmarDoc;

// The view inside every browser window: hosts the engine, refills the frame's
// lists after every load and carries the per-window harvest state.
class CQuillmarView : public QWidget, public CommandTarget {
    Q_OBJECT
public:
    explicit CQuillmarView(CQuillmarDoc* document, QWidget* parent = nullptr);
    ~CQuillmarView() override;

    // The main frame's active browser view, or nullptr.
    static CQuillmarView* ActiveView();

    CMainFrame* GetMainFrame() const;
    CQuillmarDoc* GetDocument() const;
    CBrowserEngine* Engine() const;

    void ShowMessage(const QString& text);
    void ShowAddress(const QString& text);
    void EnableDownloadButtons(bool enable);
    void ClearLists();
    void UpdateCounts();
    void RecordLocation();
    void AddToHistory(const QString& address);
    void ScanPage();

    void OnBack();
    void OnForward();
    void OnStop();
    void OnGo();
    void OnSendMail();
    void OnPrint();

    bool HandlesCommand(int id) const override;
    void OnCommand(int id) override;
    bool IsCommandEnabled(int id) const override;

    QString DownloadFolder;
    bool FolderChosen = false;
    HarvestMap imageMap;
    HarvestMap linkMap;
    QStringList m_linkHistory;
};
