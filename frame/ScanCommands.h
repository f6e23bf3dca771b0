#pragma once

#include "core/CommandTable.h"
#include "core/CommandTarget.h"

#include <QObject>
#include <QSize>

#include <functional>
#include <optional>

class QAction;
class QWidget;

// The Scan menu's settings, at hand with or without a browser window: Deep
// Scan on or off and the minimum picture size. Each change is remembered and
// rescans the active page at once; the other windows rescan when activated.
class ScanCommands : public QObject, public CommandTarget {
    Q_OBJECT
public:
    // Asks for a minimum size, given the current one; nothing when cancelled.
    using SizeQuestion = std::function<std::optional<QSize>(QWidget* parent, const QSize& current)>;

    ScanCommands(QWidget& frame, QAction& deepScanAction, SizeQuestion askSize);

    static const CommandTable<ScanCommands>& Commands();
    bool HandlesCommand(int id) const override;
    void OnCommand(int id) override;

    // Remembers a new minimum size and rescans the active page under Deep Scan.
    void SetMinimumSize(const QSize& size);

signals:
    void minimumSizeChanged(const QSize& size);

private:
    void ToggleDeepScan();
    void AskMinimumSize();
    void RescanActivePage();

    QWidget& frame;
    QAction& deepScanAction;
    SizeQuestion askSize;
};
