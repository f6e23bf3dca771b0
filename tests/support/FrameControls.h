#pragma once

#include "controls/CAddressEdit.h"
#include "controls/CAnimation.h"
#include "controls/CBitmapButton.h"
#include "controls/CDigitClock.h"
#include "controls/CDigitCounter.h"
#include "controls/CProgressMeter.h"
#include "core/CommandIds.h"
#include "frame/CHarvestList.h"
#include "frame/CMainFrame.h"

#include <QLabel>
#include <QStatusBar>
#include <QToolBar>

// The main frame's controls as the tests see them: looked up by their command
// ids, the way the frame registers them.
struct FrameControls {
    explicit FrameControls(const CMainFrame& frame) : frame(frame) {}

    template <typename Control> Control* Find(int id) const {
        auto* control = qobject_cast<Control*>(frame.ControlById(id));
        Q_ASSERT(control);
        return control;
    }

    const CMainFrame& frame;
    QToolBar* const navBar = Find<QToolBar>(ID_VIEW_TOOLBAR);
    QToolBar* const harvestBar =
        qobject_cast<QToolBar*>(frame.ControlById(ID_IMAGE_LIST)->parentWidget()->parentWidget());
    QStatusBar* const statusBar = Find<QStatusBar>(ID_VIEW_STATUS_BAR);
    QLabel* const downloadTotals = statusBar->findChild<QLabel*>(QStringLiteral("downloadTotals"));
    CAddressEdit* const addressBox = Find<CAddressEdit>(ID_ADDRESS_BOX);
    CProgressMeter* const progressMeter = Find<CProgressMeter>(ID_PROGRESS_METER);
    CBitmapButton* const goButton = Find<CBitmapButton>(ID_GO);
    CAnimation* const animation = Find<CAnimation>(ID_ANIMATION);
    CBitmapButton* const folderButton = Find<CBitmapButton>(ID_SET_DOWNLOAD_FOLDER);
    QLabel* const folderLabel = Find<QLabel>(ID_FOLDER_LABEL);
    QLabel* const messageLine = Find<QLabel>(ID_MESSAGE_LINE);
    CHarvestList* const imageList = Find<CHarvestList>(ID_IMAGE_LIST);
    CHarvestList* const linkList = Find<CHarvestList>(ID_LINK_LIST);
    CDigitCounter* const imageCount = Find<CDigitCounter>(ID_IMAGE_COUNT);
    CDigitCounter* const linkCount = Find<CDigitCounter>(ID_LINK_COUNT);
    CDigitCounter* const imageSelCount = Find<CDigitCounter>(ID_IMAGE_SEL_COUNT);
    CDigitCounter* const linkSelCount = Find<CDigitCounter>(ID_LINK_SEL_COUNT);
    CDigitCounter* const filesLeft = Find<CDigitCounter>(ID_FILES_LEFT);
    CBitmapButton* const getImagesButton = Find<CBitmapButton>(ID_DOWNLOAD_IMAGES);
    CBitmapButton* const getLinksButton = Find<CBitmapButton>(ID_DOWNLOAD_LINKS);
    CDigitClock* const onlineClock = Find<CDigitClock>(ID_ONLINE_CLOCK);
    CBitmapButton* const makePageButton = Find<CBitmapButton>(ID_MAKE_PAGE);
};
