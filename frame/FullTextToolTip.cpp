#include "frame/FullTextToolTip.h"

#include <QEvent>
#include <QLabel>

FullTextToolTip::FullTextToolTip(QLabel* label)
    : QObject(label), label(label), ownTip(label->toolTip()) {}

void FullTextToolTip::Install(QLabel* label) {
    label->installEventFilter(new FullTextToolTip(label));
}

bool FullTextToolTip::eventFilter(QObject*, QEvent* event) {
    // A label repaints after every change of text or size, and QLabel::setText
    // gives no signal: painting is where the tip catches up.
    switch (event->type()) {
    case QEvent::Paint:
    case QEvent::Resize:
    case QEvent::ToolTip:
        Update();
        break;
    default:
        break;
    }
    return false;
}

void FullTextToolTip::Update() {
    const QString text = label->text();
    const int room = label->contentsRect().width() - 2 * label->margin() - qMax(label->indent(), 0);
    const bool fits = label->fontMetrics().horizontalAdvance(text) <= room;
    const QString tip = fits ? ownTip : text;
    if (label->toolTip() != tip)
        label->setToolTip(tip);
}

#include "moc_FullTextToolTip.cpp"
