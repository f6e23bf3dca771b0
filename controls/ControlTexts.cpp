#include "controls/ControlTexts.h"

#include "controls/ToolTips.h"
#include "core/StringTable.h"

#include <QWidget>

void NameControl(QWidget* control, int stringId) {
    control->setAccessibleName(StringTable::name(stringId));
    control->setAccessibleDescription(StringTable::description(stringId));
}

void ApplyControlTexts(QWidget* control, int stringId) {
    NameControl(control, stringId);
    const QString entry = StringTable::text(stringId);
    if (!entry.contains(QLatin1Char('\n'))) {
        AddToolTip(control, entry);
        return;
    }
    control->setStatusTip(StringTable::prompt(stringId));
    AddToolTip(control, StringTable::tip(stringId));
}
