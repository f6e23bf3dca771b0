#include "controls/CAddressEdit.h"

#include <QEvent>
#include <QKeyEvent>

const char* const CAddressEdit::FallbackAddress = "www.quillmar.org";

CAddressEdit::CAddressEdit(QWidget* parent) : QLineEdit(parent) {}

int CAddressEdit::KeyState() const {
    return keyState;
}

// Tab never reaches keyPressEvent: focus handling takes it first.
bool CAddressEdit::event(QEvent* event) {
    if (event->type() == QEvent::KeyPress && IsTab(*static_cast<QKeyEvent*>(event)) &&
        SwallowsTab()) {
        event->accept();
        return true;
    }
    return QLineEdit::event(event);
}

bool CAddressEdit::IsTab(const QKeyEvent& event) {
    return event.key() == Qt::Key_Tab || event.key() == Qt::Key_Backtab;
}

bool CAddressEdit::SwallowsTab() {
    if (keyState != NoKey)
        return false;
    keyState = AfterTab;
    return true;
}

void CAddressEdit::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        keyState = NoKey;
        event->accept();
        emit goRequested();
        return;
    case Qt::Key_Space:
        if (keyState == AfterTab) {
            keyState = AfterTabSpace;
            event->accept();
            return;
        }
        break;
    case Qt::Key_Backspace:
        if (keyState == AfterTabSpace) {
            keyState = NoKey;
            setText(QString::fromLatin1(FallbackAddress));
            event->accept();
            return;
        }
        break;
    default:
        break;
    }
    QLineEdit::keyPressEvent(event);
}

#include "moc_CAddressEdit.cpp"
