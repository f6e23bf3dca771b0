#include "app/CAboutDialog.h"

#include "controls/BitmapTable.h"
#include "controls/CBitmapButton.h"
#include "controls/ControlTexts.h"
#include "core/CommandIds.h"
#include "core/DialogUnits.h"

#include <QKeyEvent>
#include <QLabel>

namespace {

QLabel* AddCentredText(QWidget* dialog, const QString& text, const QRect& rect) {
    auto* label = new QLabel(text, dialog);
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    label->setGeometry(rect);
    return label;
}

} // namespace

CAboutDialog::CAboutDialog(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint) {
    setFixedSize(DialogUnits::toPixels(82, 116));
    setAccessibleName(QStringLiteral("About Quillmar"));

    auto* picture = new QLabel(this);
    picture->setPixmap(BitmapTable::pixmap(204));
    picture->setGeometry(DialogUnits::toPixels(7, 6, 67, 43));

    // The title is one line across the whole box: wrapped into a narrower space,
    // its second word fell below the label. The text below starts right under it,
    // so its four wrapped lines fit above the button.
    AddCentredText(this, QStringLiteral("Quillmar Browser"), DialogUnits::toPixels(0, 53, 82, 9));
    AddCentredText(this,
                   QStringLiteral("Free to use and to pass on to anyone, as often as you like."),
                   DialogUnits::toPixels(5, 62, 68, 37))
        ->setWordWrap(true);

    okButton = new CBitmapButton(this);
    okButton->setGeometry(DialogUnits::toPixels(33, 100, 14, 14));
    okButton->LoadBitmaps(176, 174);
    okButton->setFocusPolicy(Qt::StrongFocus);
    NameControl(okButton, IDOK);
    okButton->setFocus();
    connect(okButton, &CBitmapButton::clicked, this, &QDialog::accept);
}

CBitmapButton* CAboutDialog::OkButton() const {
    return okButton;
}

void CAboutDialog::keyPressEvent(QKeyEvent* event) {
    // The OK button is no push button, so Enter would otherwise do nothing.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

#include "moc_CAboutDialog.cpp"
