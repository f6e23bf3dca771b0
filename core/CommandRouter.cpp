#include "core/CommandRouter.h"

#include "core/CommandIds.h"
#include "core/CommandTarget.h"

#include <QAbstractButton>
#include <QAction>
#include <QWidget>

#include <algorithm>
#include <array>

CommandRouter::CommandRouter(Route route, QObject* parent)
    : QObject(parent), route(std::move(route)) {}

bool CommandRouter::IsAlwaysEnabled(int id) {
    static constexpr std::array<int, 13> alwaysEnabled = {
        ID_BACK,           ID_FORWARD,         ID_STOP,           ID_GO,
        ID_PROGRESS_METER, ID_DOWNLOAD_IMAGES, ID_DOWNLOAD_LINKS, ID_OPEN_BOOKMARKS,
        ID_SEND_MAIL,      ID_ADD_BOOKMARK,    ID_HISTORY,        ID_ADDRESS_BOX,
        ID_FILES_LEFT};
    return std::find(alwaysEnabled.begin(), alwaysEnabled.end(), id) != alwaysEnabled.end();
}

CommandTarget* CommandRouter::HandlerOn(const QList<CommandTarget*>& route, int id) {
    for (CommandTarget* target : route) {
        if (target->HandlesCommand(id))
            return target;
    }
    return nullptr;
}

bool CommandRouter::IsEnabledOn(const QList<CommandTarget*>& route, int id) {
    if (const CommandTarget* handler = HandlerOn(route, id))
        return handler->IsCommandEnabled(id);
    return IsAlwaysEnabled(id);
}

bool CommandRouter::IsEnabled(int id) const {
    return IsEnabledOn(route(), id);
}

bool CommandRouter::Execute(int id) {
    const QList<CommandTarget*> targets = route();
    CommandTarget* handler = HandlerOn(targets, id);
    if (!handler || !handler->IsCommandEnabled(id))
        return false;
    handler->OnCommand(id);
    return true;
}

void CommandRouter::AddControl(int id, QWidget* control) {
    controls.emplace_back(id, control);
    if (auto* button = qobject_cast<QAbstractButton*>(control))
        connect(button, &QAbstractButton::clicked, this, [this, id] { Execute(id); });
}

void CommandRouter::AddAction(int id, QAction* action) {
    actions.emplace_back(id, action);
    connect(action, &QAction::triggered, this, [this, id] { Execute(id); });
}

void CommandRouter::UpdateStates() {
    const QList<CommandTarget*> targets = route();
    QHash<int, bool> enabled;
    const auto enabledFor = [&](int id) {
        const auto known = enabled.constFind(id);
        if (known != enabled.constEnd())
            return *known;
        return *enabled.insert(id, IsEnabledOn(targets, id));
    };
    for (const auto& [id, control] : controls) {
        // The control's own flag: isEnabled() would also reflect its ancestors.
        if (control && control->testAttribute(Qt::WA_Disabled) == enabledFor(id))
            control->setEnabled(enabledFor(id));
    }
    for (const auto& [id, action] : actions) {
        if (action && action->isEnabled() != enabledFor(id))
            action->setEnabled(enabledFor(id));
    }
}

#include "moc_CommandRouter.cpp"
