#pragma once

#include <QAccessibleWidget>

class CProgressMeter;

// The page-load meter as a progress bar whose value is its level, 0 to 10.
class AccessibleProgressMeter : public QAccessibleWidget, public QAccessibleValueInterface {
public:
    explicit AccessibleProgressMeter(CProgressMeter* meter);

    QString text(QAccessible::Text t) const override;
    void* interface_cast(QAccessible::InterfaceType type) override;

    QVariant currentValue() const override;
    void setCurrentValue(const QVariant& value) override;
    QVariant maximumValue() const override;
    QVariant minimumValue() const override;
    QVariant minimumStepSize() const override;

private:
    const CProgressMeter& Meter() const;
};
