#include "controls/AccessibleProgressMeter.h"

#include "controls/CProgressMeter.h"

AccessibleProgressMeter::AccessibleProgressMeter(CProgressMeter* meter)
    : QAccessibleWidget(meter, QAccessible::ProgressBar) {}

const CProgressMeter& AccessibleProgressMeter::Meter() const {
    return *static_cast<const CProgressMeter*>(widget());
}

QString AccessibleProgressMeter::text(QAccessible::Text t) const {
    if (t == QAccessible::Value)
        return QStringLiteral("%1 of %2").arg(Meter().Level()).arg(CProgressMeter::SegmentCount);
    return QAccessibleWidget::text(t);
}

void* AccessibleProgressMeter::interface_cast(QAccessible::InterfaceType type) {
    if (type == QAccessible::ValueInterface)
        return static_cast<QAccessibleValueInterface*>(this);
    return QAccessibleWidget::interface_cast(type);
}

QVariant AccessibleProgressMeter::currentValue() const {
    return Meter().Level();
}

// Shown, never set by the user.
void AccessibleProgressMeter::setCurrentValue(const QVariant&) {}

QVariant AccessibleProgressMeter::maximumValue() const {
    return CProgressMeter::SegmentCount;
}

QVariant AccessibleProgressMeter::minimumValue() const {
    return 0;
}

QVariant AccessibleProgressMeter::minimumStepSize() const {
    return 1;
}
