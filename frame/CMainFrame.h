#pragma once

#include "app/CommandTarget.h"

#include <QMainWindow>
#include <QString>

class CAddressEdit;
class CAnimation;
class CBitmapButton;
class CChildFrame;
class CDigitClock;
class CDigitCounter;
class CHarvestList;
class CProgressMeter;
class CommandRouter;
class QLabel;
class QMdiArea;
class QStatusBar;
class QToolBar;

// The one top-level window: the browser windows in its client area, every
// control of the program on its two bars.
class CMainFrame : public QMainWindow, public CommandTarget {
    Q_OBJECT
public:
    explicit CMainFrame(QWidget* parent = nullptr);
    ~CMainFrame() override;

    // Creates the bars, their controls and the status bar and starts the
    // online timer; false when any of it fails.
    bool Create();

    QMdiArea* MdiArea() const;
    CChildFrame* ActiveChildFrame() const;
    // The active browser window's view widget, or nullptr.
    QWidget* ActiveViewWidget() const;
    CommandRouter& Router() const;
    // The control (or bar widget) with this id, for tests and the router.
    QWidget* ControlById(int id) const;

    // The bookmark file beside the program at programPath; empty when the path
    // is empty or has no separator after its first character.
    static QString BookmarkPathFor(const QString& programPath);

    bool HandlesCommand(int id) const override;
    void OnCommand(int id) override;

    // Navigation bar
    QToolBar* m_navBar = nullptr;
    CAddressEdit* m_addressBox = nullptr;
    CProgressMeter* m_progressMeter = nullptr;
    CBitmapButton* m_goButton = nullptr;
    CBitmapButton* m_stopButton = nullptr;
    CBitmapButton* m_forwardButton = nullptr;
    CBitmapButton* m_backButton = nullptr;
    CBitmapButton* m_mailButton = nullptr;
    CBitmapButton* m_printButton = nullptr;
    CBitmapButton* m_historyButton = nullptr;
    CAnimation* m_animation = nullptr;
    // Harvest bar
    QToolBar* m_harvestBar = nullptr;
    CBitmapButton* m_folderButton = nullptr;
    QLabel* m_folderLabel = nullptr;
    CHarvestList* m_imageList = nullptr;
    CDigitCounter* m_imageCount = nullptr;
    CBitmapButton* m_getImagesButton = nullptr;
    CHarvestList* m_linkList = nullptr;
    CDigitCounter* m_linkCount = nullptr;
    CBitmapButton* m_getLinksButton = nullptr;
    CDigitCounter* m_imageSelCount = nullptr;
    CDigitCounter* m_linkSelCount = nullptr;
    CDigitCounter* m_filesLeft = nullptr;
    CDigitClock* m_onlineClock = nullptr;
    QLabel* m_messageLine = nullptr;
    CBitmapButton* m_addBookmarkButton = nullptr;
    CBitmapButton* m_openBookmarksButton = nullptr;
    CBitmapButton* m_makePageButton = nullptr;
    QString m_bookmarkPath;
    QStatusBar* m_statusBar = nullptr;
    qint64 m_startTime = 0; // seconds since the epoch when the online timer started
};
