#include "controls/AccessibleAnimation.h"

#include "controls/CAnimation.h"

AccessibleAnimation::AccessibleAnimation(CAnimation* animation)
    : QAccessibleWidget(animation, QAccessible::Animation) {}

bool AccessibleAnimation::Busy() const {
    return static_cast<const CAnimation*>(widget())->IsPlaying();
}

QString AccessibleAnimation::text(QAccessible::Text t) const {
    if (t == QAccessible::Value)
        return Busy() ? QStringLiteral("Busy") : QStringLiteral("Not busy");
    return QAccessibleWidget::text(t);
}

QAccessible::State AccessibleAnimation::state() const {
    QAccessible::State state = QAccessibleWidget::state();
    state.busy = Busy();
    return state;
}
