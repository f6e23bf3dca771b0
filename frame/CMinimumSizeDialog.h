#pragma once

#include <QDialog>
#include <QSize>

#include <optional>

class QSpinBox;

// "Minimum Picture Size": the width and height below which Deep Scan hides
// images of known size; 0 means no limit in that direction.
class CMinimumSizeDialog : public QDialog {
    Q_OBJECT
public:
    explicit CMinimumSizeDialog(const QSize& current, QWidget* parent = nullptr);

    QSize Size() const;
    // Runs the dialog; the chosen size, or nothing when cancelled.
    static std::optional<QSize> Ask(QWidget* parent, const QSize& current);

private:
    QSpinBox* width;
    QSpinBox* height;
};
