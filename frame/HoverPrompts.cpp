#include "frame/HoverPrompts.h"

#include <QApplication>
#include <QEvent>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QWidget>

HoverPrompts::HoverPrompts(QStatusBar& bar) : QObject(&bar), bar(bar) {}

void HoverPrompts::Watch(QWidget& control) {
    control.installEventFilter(this);
}

bool HoverPrompts::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::StatusTip && watched->isWidgetType()) {
        auto* control = static_cast<QWidget*>(watched);
        const QString tip = static_cast<QStatusTipEvent*>(event)->tip();
        // Shown for the control itself, not passed on from a child of it.
        if (tip.isEmpty() || tip == control->statusTip())
            Follow(tip.isEmpty() ? nullptr : control);
    } else if (prompted && PointerIsElsewhere(watched, event)) {
        if (bar.currentMessage() == prompted->statusTip())
            bar.clearMessage();
        Follow(nullptr);
    }
    return false;
}

// Every pointer event passes through the application's filter only while a
// prompt is shown.
void HoverPrompts::Follow(QWidget* control) {
    if (control && !prompted)
        qApp->installEventFilter(this);
    else if (!control && prompted)
        qApp->removeEventFilter(this);
    prompted = control;
}

bool HoverPrompts::PointerIsElsewhere(QObject* watched, const QEvent* event) const {
    switch (event->type()) {
    case QEvent::Enter:
    case QEvent::MouseMove:
    case QEvent::MouseButtonPress:
        break;
    default:
        return false;
    }
    if (!watched->isWidgetType())
        return false;
    auto* widget = static_cast<QWidget*>(watched);
    return widget != prompted && !prompted->isAncestorOf(widget);
}
