#pragma once

class QAccessibleInterface;
class QObject;
class QString;

// Gives the custom-painted controls accessible interfaces of their own, so
// screen readers can read the numbers, levels and states they only paint.
class AccessibleFactory {
public:
    // Installs the factory with Qt once; later calls do nothing.
    static void Install();
    // The interface for an object of class className, or null to leave it to Qt.
    static QAccessibleInterface* Create(const QString& className, QObject* object);
};
