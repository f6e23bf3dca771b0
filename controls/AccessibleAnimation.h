#pragma once

#include <QAccessibleWidget>

class CAnimation;

// The activity animation, presented as busy while it plays.
class AccessibleAnimation : public QAccessibleWidget {
public:
    explicit AccessibleAnimation(CAnimation* animation);

    QString text(QAccessible::Text t) const override;
    QAccessible::State state() const override;

private:
    bool Busy() const;
};
