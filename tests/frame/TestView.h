#pragma once

#include "core/CommandTarget.h"

#include <QList>
#include <QSet>
#include <QWidget>

// A stand-in for the browser view: handles the ids it is given, reports the
// ones in `disabled` as disabled and records what it was asked to run.
class TestView : public QWidget, public CommandTarget {
public:
    explicit TestView(QSet<int> handled = {}) : handled(std::move(handled)) {}

    QSet<int> handled;
    QSet<int> disabled;
    QList<int> ran;

    bool HandlesCommand(int id) const override { return handled.contains(id); }
    void OnCommand(int id) override { ran.append(id); }
    bool IsCommandEnabled(int id) const override { return !disabled.contains(id); }
};
