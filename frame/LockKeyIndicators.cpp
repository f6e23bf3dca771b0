#include "frame/LockKeyIndicators.h"

#include "core/CommandIds.h"
#include "core/StringTable.h"
#include "frame/LockKeyState.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QStatusBar>

namespace {

bool IsLockKeyRelease(const QEvent* event) {
    if (event->type() != QEvent::KeyRelease)
        return false;
    const int key = static_cast<const QKeyEvent*>(event)->key();
    return key == Qt::Key_CapsLock || key == Qt::Key_NumLock || key == Qt::Key_ScrollLock;
}

} // namespace

LockKeyIndicators::LockKeyIndicators(QStatusBar& statusBar) : QObject(&statusBar) {
    const std::array<int, 3> ids = {IDS_INDICATOR_CAPS, IDS_INDICATOR_NUM, IDS_INDICATOR_SCRL};
    for (size_t i = 0; i < ids.size(); ++i) {
        panes[i] = new QLabel(StringTable::text(ids[i]), &statusBar);
        panes[i]->setAlignment(Qt::AlignCenter);
        panes[i]->setFrameShape(QFrame::Panel);
        panes[i]->setFrameShadow(QFrame::Sunken);
        panes[i]->setMinimumWidth(panes[i]->sizeHint().width() + 8);
        statusBar.addPermanentWidget(panes[i]);
    }
    qApp->installEventFilter(this);
    Refresh();
}

void LockKeyIndicators::Refresh() {
    const auto states = QueryLockKeyStates();
    for (size_t i = 0; i < panes.size(); ++i)
        panes[i]->setEnabled(states && (*states)[i]);
}

bool LockKeyIndicators::eventFilter(QObject* watched, QEvent* event) {
    // The state changes with the key; the server has it by the time the release arrives.
    if (IsLockKeyRelease(event))
        Refresh();
    return QObject::eventFilter(watched, event);
}

#include "moc_LockKeyIndicators.cpp"
