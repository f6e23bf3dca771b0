#pragma once

#include <QObject>

#include <array>

class QLabel;
class QStatusBar;

// The CAP, NUM and SCRL panes of the status bar. Where the platform tells the
// lock keys' state (X11), a pane is lit while its key is on; elsewhere the
// panes stay dimmed.
class LockKeyIndicators : public QObject {
    Q_OBJECT
public:
    explicit LockKeyIndicators(QStatusBar& statusBar);

    void Refresh();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::array<QLabel*, 3> panes{};
};
