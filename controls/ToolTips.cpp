#include "controls/ToolTips.h"

#include <QString>
#include <QWidget>

// Qt shows a widget's tool tip on hover by itself; nothing needs relaying.
void AddToolTip(QWidget* control, const QString& text) {
    control->setToolTip(text);
}
