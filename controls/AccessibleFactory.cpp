#include "controls/AccessibleFactory.h"

#include "controls/AccessibleAnimation.h"
#include "controls/AccessibleDigitDisplay.h"
#include "controls/AccessibleProgressMeter.h"
#include "controls/CAnimation.h"
#include "controls/CDigitClock.h"
#include "controls/CDigitCounter.h"
#include "controls/CProgressMeter.h"

void AccessibleFactory::Install() {
    static const bool installed = (QAccessible::installFactory(&AccessibleFactory::Create), true);
    Q_UNUSED(installed);
}

// Qt asks with each class name from the most derived one up, so a subclass of
// a control gets the control's interface.
QAccessibleInterface* AccessibleFactory::Create(const QString& className, QObject* object) {
    if (className == QLatin1String("CDigitCounter")) {
        auto* counter = static_cast<CDigitCounter*>(object);
        return new AccessibleDigitDisplay(
            counter, [counter] { return counter->Text(); }, true);
    }
    if (className == QLatin1String("CDigitClock")) {
        auto* clock = static_cast<CDigitClock*>(object);
        return new AccessibleDigitDisplay(
            clock, [clock] { return clock->Text(); }, false);
    }
    if (className == QLatin1String("CProgressMeter"))
        return new AccessibleProgressMeter(static_cast<CProgressMeter*>(object));
    if (className == QLatin1String("CAnimation"))
        return new AccessibleAnimation(static_cast<CAnimation*>(object));
    return nullptr;
}
