#pragma once

#include <QStringList>

class QWidget;

namespace testsupport {

// Walks what a screen reader sees of a shown window, as Qt's accessibility
// API presents it, and lists the faults it meets: a window, an interactive
// object or a value-bearing display without a name, a digit display whose
// value text is not what it shows, or a window with nothing to check.
QStringList accessibilityFaults(QWidget& window);

} // namespace testsupport
