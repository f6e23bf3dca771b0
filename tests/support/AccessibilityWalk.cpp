#include "support/AccessibilityWalk.h"

#include "controls/CDigitClock.h"
#include "controls/CDigitCounter.h"

#include <QAccessible>
#include <QSet>
#include <QWidget>

namespace testsupport {

namespace {

bool IsInteractive(QAccessibleInterface& object) {
    static const QSet<QAccessible::Role> roles = {
        QAccessible::PushButton, QAccessible::CheckBox,     QAccessible::RadioButton,
        QAccessible::ComboBox,   QAccessible::SpinBox,      QAccessible::Slider,
        QAccessible::List,       QAccessible::Tree,         QAccessible::Table,
        QAccessible::PageTab,    QAccessible::EditableText, QAccessible::ButtonMenu};
    return object.state().focusable || roles.contains(object.role());
}

bool BearsValue(QAccessibleInterface& object) {
    return object.valueInterface() || !object.text(QAccessible::Value).isEmpty();
}

QString Describe(QAccessibleInterface& object) {
    const QObject* widget = object.object();
    const QString kind =
        widget ? QString::fromLatin1(widget->metaObject()->className()) : QStringLiteral("item");
    return QStringLiteral("%1 (role %2) at %3,%4")
        .arg(kind)
        .arg(int(object.role()))
        .arg(object.rect().x())
        .arg(object.rect().y());
}

// The characters a digit display paints, or a null string for other objects.
QString PaintedText(QObject* object) {
    if (const auto* counter = qobject_cast<CDigitCounter*>(object))
        return counter->Text();
    if (const auto* clock = qobject_cast<CDigitClock*>(object))
        return clock->Text();
    return QString();
}

void Walk(QAccessibleInterface& object, QStringList& faults, int& checked) {
    if (object.state().invisible)
        return;
    if (IsInteractive(object) || BearsValue(object)) {
        ++checked;
        if (object.text(QAccessible::Name).trimmed().isEmpty())
            faults << Describe(object) + " has no name";
    }
    const QString painted = PaintedText(object.object());
    if (!painted.isNull() && object.text(QAccessible::Value) != painted)
        faults << QStringLiteral("%1 says \"%2\" but shows \"%3\"")
                      .arg(Describe(object), object.text(QAccessible::Value), painted);
    // Rows and cells are named by their own text.
    if (object.tableInterface())
        return;
    for (int i = 0; i < object.childCount(); ++i) {
        if (QAccessibleInterface* child = object.child(i))
            Walk(*child, faults, checked);
    }
}

} // namespace

QStringList accessibilityFaults(QWidget& window) {
    QAccessibleInterface* root = QAccessible::queryAccessibleInterface(&window);
    if (!root || !window.isVisible())
        return {QStringLiteral("the window is not shown")};
    QStringList faults;
    if (root->text(QAccessible::Name).trimmed().isEmpty())
        faults << QStringLiteral("the window has no name");
    int checked = 0;
    Walk(*root, faults, checked);
    if (checked == 0)
        faults << QStringLiteral("nothing to check in the window");
    return faults;
}

} // namespace testsupport
