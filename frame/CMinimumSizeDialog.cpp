#include "frame/CMinimumSizeDialog.h"

#include "core/Limits.h"
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QSpinBox>

namespace {

QSpinBox* newPixelBox(int value, QWidget* parent) {
    auto* box = new QSpinBox(parent);
    box->setRange(0, Limits::MaxMinimumPictureSide);
    box->setSuffix(QStringLiteral(" px"));
    box->setSpecialValueText(QStringLiteral("no limit"));
    box->setValue(value);
    return box;
}

} // namespace

CMinimumSizeDialog::CMinimumSizeDialog(const QSize& current, QWidget* parent)
    : QDialog(parent), width(newPixelBox(current.width(), this)),
      height(newPixelBox(current.height(), this)) {
    setWindowTitle(QStringLiteral("Minimum Picture Size"));
    auto* layout = new QFormLayout(this);
    layout->addRow(QStringLiteral("&Width:"), width);
    layout->addRow(QStringLiteral("&Height:"), height);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addRow(buttons);
}

QSize CMinimumSizeDialog::Size() const {
    return QSize(width->value(), height->value());
}

std::optional<QSize> CMinimumSizeDialog::Ask(QWidget* parent, const QSize& current) {
    CMinimumSizeDialog dialog(current, parent);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.Size();
}
