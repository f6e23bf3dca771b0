#pragma once

#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>

#include <functional>
#include <vector>

class CommandTarget;
class QAction;
class QWidget;

// Carries every command from the bars, menus and accelerators to the first
// target on the route (active view, its document, its window, the main frame,
// the application) that handles it, and keeps the controls' and menu items'
// enabled states in step with that route.
//
// Enabled rule: the first target on the route that handles an id decides with
// IsCommandEnabled. An id no target handles is enabled only when it is in the
// always-enabled list (the navigation, download and bookmark buttons, which
// then do nothing when pressed). A view may therefore keep an always-enabled
// button disabled, e.g. the download buttons while a page loads, by handling
// the id and reporting it disabled.
class CommandRouter : public QObject {
    Q_OBJECT
public:
    using Route = std::function<QList<CommandTarget*>()>;

    explicit CommandRouter(Route route, QObject* parent = nullptr);

    static bool IsAlwaysEnabled(int id);

    bool IsEnabled(int id) const;
    // Runs the command when it is enabled; false when nothing ran.
    bool Execute(int id);

    // The control's enabled state follows the command; a button runs it when clicked.
    void AddControl(int id, QWidget* control);
    // The action's enabled state follows the command; triggering it runs it.
    void AddAction(int id, QAction* action);

    // Applies the enabled rule to every control and action, touching only those
    // whose state changed.
    void UpdateStates();

private:
    static CommandTarget* HandlerOn(const QList<CommandTarget*>& route, int id);
    static bool IsEnabledOn(const QList<CommandTarget*>& route, int id);

    Route route;
    std::vector<std::pair<int, QPointer<QWidget>>> controls;
    std::vector<std::pair<int, QPointer<QAction>>> actions;
};
