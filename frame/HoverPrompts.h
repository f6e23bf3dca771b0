#pragma once

#include <QObject>
#include <QPointer>

class QStatusBar;
class QWidget;

// The status bar shows a control's prompt while the pointer rests on it, and
// Qt takes it back when the control gets the pointer's Leave. A control
// never gets that Leave when a popup (a list's menu) or a dialog had the
// pointer meanwhile; then the prompt goes at the first pointer event anywhere
// else, and the bar shows again what it showed before.
class HoverPrompts : public QObject {
public:
    explicit HoverPrompts(QStatusBar& bar);

    void Watch(QWidget& control);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Follow(QWidget* control);
    bool PointerIsElsewhere(QObject* watched, const QEvent* event) const;

    QStatusBar& bar;
    QPointer<QWidget> prompted; // the control whose prompt the bar shows
};
