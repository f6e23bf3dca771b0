#include "frame/CFollowDialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

CFollowDialog::CFollowDialog(const FollowSettings& current, QWidget* parent)
    : QDialog(parent), otherSites(new QCheckBox(QStringLiteral("Follow links to &other sites"))),
      match(new QLineEdit(current.match)),
      mainPicture(new QRadioButton(QStringLiteral("The &main picture of each page"))),
      everyPicture(new QRadioButton(QStringLiteral("&Every picture of each page"))),
      nextPages(new QSpinBox) {
    setWindowTitle(QStringLiteral("Follow Thumbnails"));
    otherSites->setChecked(current.otherSites);
    match->setPlaceholderText(QStringLiteral("any link"));
    (current.everyPicture ? everyPicture : mainPicture)->setChecked(true);
    nextPages->setRange(0, FollowSettings::MaxFollowNextPages);
    nextPages->setValue(current.nextPages);
    auto* layout = new QFormLayout(this);
    layout->addRow(otherSites);
    layout->addRow(QStringLiteral("&Link address contains:"), match);
    auto* take = new QVBoxLayout;
    take->addWidget(mainPicture);
    take->addWidget(everyPicture);
    layout->addRow(QStringLiteral("Take:"), take);
    layout->addRow(QStringLiteral("&Next pages too:"), nextPages);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addRow(buttons);
}

FollowSettings CFollowDialog::Choices() const {
    FollowSettings choices;
    choices.otherSites = otherSites->isChecked();
    choices.match = match->text().trimmed();
    choices.everyPicture = everyPicture->isChecked();
    choices.nextPages = nextPages->value();
    return choices;
}

std::optional<FollowSettings> CFollowDialog::Ask(QWidget* parent, const FollowSettings& current) {
    CFollowDialog dialog(current, parent);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.Choices();
}
