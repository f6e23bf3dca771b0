#include "frame/CFileNamesDialog.h"

#include "names/NameTemplate.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStackedWidget>
#include <QStyle>

CFileNamesDialog::CFileNamesDialog(const Settings::FileNames& current, Preview preview,
                                   QWidget* parent)
    : QDialog(parent), preview(std::move(preview)), choices(new QComboBox),
      text(new QLineEdit(current.nameTemplate)), refusal(new QLabel), names(new QListWidget),
      writeInfo(
          new QCheckBox(QStringLiteral("Write an &info file beside each picture (NAME.EXT.json)"))),
      markOrigin(new QCheckBox(QStringLiteral("Write the picture's address and &page onto "
                                              "each file (extended attributes)"))) {
    setWindowTitle(QStringLiteral("File Names"));
    choices->addItem(QStringLiteral("Your own"));
    for (const NameTemplate::Choice& choice : NameTemplate::ReadyChoices())
        choices->addItem(choice.label, choice.text);
    text->setMinimumWidth(360);
    refusal->setWordWrap(true);
    refusal->setObjectName(QStringLiteral("nameTemplateRefusal"));
    // Told by its colour and by the warning sign beside it, not by colour alone.
    refusal->setStyleSheet(QStringLiteral("color: rgb(255, 96, 96); font-weight: bold;"));
    names->setFocusPolicy(Qt::NoFocus);
    names->setSelectionMode(QAbstractItemView::NoSelection);
    names->setFixedHeight(names->fontMetrics().height() * (PreviewCount + 1));
    writeInfo->setChecked(current.writeInfo);
    markOrigin->setChecked(current.markOrigin);
    auto* layout = new QFormLayout(this);
    layout->addRow(QStringLiteral("&Ready choices:"), choices);
    layout->addRow(QStringLiteral("&Template:"), text);
    layout->addRow(new QLabel(QStringLiteral("Fields: {name} {ext} {num} {num:03} {site} {title} "
                                             "{viewer} {w} {h} {date}; \"/\" makes folders.")));
    namesOrRefusal = NamesOrRefusal();
    layout->addRow(QStringLiteral("First names:"), namesOrRefusal);
    layout->addRow(writeInfo);
    layout->addRow(markOrigin);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    ok = buttons->button(QDialogButtonBox::Ok);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addRow(buttons);
    connect(choices, &QComboBox::activated, this, &CFileNamesDialog::ChoiceChosen);
    connect(text, &QLineEdit::textChanged, this, &CFileNamesDialog::ShowPreview);
    ShowPreview();
}

// A refused template has no names to show: its refusal takes their place, so
// the dialog keeps its size as the refusal comes and goes.
QStackedWidget* CFileNamesDialog::NamesOrRefusal() {
    auto* refused = new QWidget;
    auto* sign = new QLabel(refused);
    const int size = refusal->fontMetrics().height();
    sign->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(size, size));
    auto* line = new QHBoxLayout(refused);
    line->setContentsMargins(0, 0, 0, 0);
    line->addWidget(sign, 0, Qt::AlignTop);
    line->addWidget(refusal, 1, Qt::AlignTop);
    auto* stack = new QStackedWidget;
    stack->addWidget(names);
    stack->addWidget(refused);
    stack->setFixedHeight(names->minimumHeight());
    return stack;
}

Settings::FileNames CFileNamesDialog::Choices() const {
    return {text->text(), writeInfo->isChecked(), markOrigin->isChecked()};
}

void CFileNamesDialog::ChoiceChosen(int index) {
    const QString chosen = choices->itemData(index).toString();
    if (!chosen.isEmpty())
        text->setText(chosen);
}

void CFileNamesDialog::ShowPreview() {
    const int ready = choices->findData(text->text());
    choices->setCurrentIndex(ready < 0 ? 0 : ready);
    const QString why = NameTemplate::Refusal(text->text());
    refusal->setText(why);
    namesOrRefusal->setCurrentIndex(why.isEmpty() ? 0 : 1);
    ok->setEnabled(why.isEmpty());
    names->clear();
    if (why.isEmpty() && preview)
        names->addItems(preview(NameTemplate(text->text())));
}
