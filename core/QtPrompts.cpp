#include "core/QtPrompts.h"

#include <QDesktopServices>
#include <QDialog>
#include <QFileDialog>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QUrl>

namespace {

QMessageBox::Icon messageBoxIcon(Prompts::Icon icon) {
    switch (icon) {
    case Prompts::Icon::Information:
        return QMessageBox::Information;
    case Prompts::Icon::Exclamation:
        return QMessageBox::Warning;
    case Prompts::Icon::Question:
        return QMessageBox::Question;
    case Prompts::Icon::Error:
        return QMessageBox::Critical;
    case Prompts::Icon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

} // namespace

void QtPrompts::message(QWidget* owner, const QString& text, const QString& caption, Icon icon) {
    QMessageBox box(messageBoxIcon(icon), caption, text, QMessageBox::Ok, owner);
    box.exec();
}

bool QtPrompts::askYesNo(QWidget* owner, const QString& text, const QString& caption) {
    QMessageBox box(QMessageBox::Question, caption, text, QMessageBox::Yes | QMessageBox::No,
                    owner);
    return box.exec() == QMessageBox::Yes;
}

// Escape and the close button press a button no one sees, so neither passes for No.
Prompts::Answer QtPrompts::askYesNoOrClose(QWidget* owner, const QString& text,
                                           const QString& caption) {
    QMessageBox box(QMessageBox::Question, caption, text, QMessageBox::Yes | QMessageBox::No,
                    owner);
    QPushButton* closed = box.addButton(QMessageBox::Cancel);
    closed->hide();
    box.setEscapeButton(closed);
    box.exec();
    if (box.clickedButton() == box.button(QMessageBox::Yes))
        return Answer::Yes;
    return box.clickedButton() == box.button(QMessageBox::No) ? Answer::No : Answer::Closed;
}

QString QtPrompts::chooseFolder(QWidget* owner, const QString& startFolder) {
    return QFileDialog::getExistingDirectory(owner, QString(), startFolder,
                                             QFileDialog::ShowDirsOnly);
}

QString QtPrompts::chooseSaveFile(QWidget* owner, const QString& startFolder,
                                  const QString& defaultName, const QString& defaultSuffix,
                                  const QString& filter) {
    QFileDialog dialog(owner, QString(), startFolder, filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(defaultSuffix);
    dialog.selectFile(defaultName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return dialog.selectedFiles().constFirst();
}

bool QtPrompts::choosePrinter(QWidget* owner, QPrinter& printer) {
    QPrintDialog dialog(&printer, owner);
    return dialog.exec() == QDialog::Accepted;
}

int QtPrompts::runModal(QDialog& dialog) {
    return dialog.exec();
}

bool QtPrompts::openExternal(const QUrl& address) {
    return QDesktopServices::openUrl(address);
}
