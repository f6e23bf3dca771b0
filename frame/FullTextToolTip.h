#pragma once

#include <QObject>
#include <QString>

class QLabel;

// Makes a one-line label show its whole text as its tool tip whenever the text
// does not fit; while it fits, the label keeps the tip it had.
class FullTextToolTip : public QObject {
    Q_OBJECT
public:
    static void Install(QLabel* label);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    explicit FullTextToolTip(QLabel* label);
    void Update();

    QLabel* label;
    QString ownTip;
};
