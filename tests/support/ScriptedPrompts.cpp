#include "support/ScriptedPrompts.h"

#include <QDialog>

namespace testsupport {

ScriptedPrompts::ScriptedPrompts() {
    Prompts::install(this);
}

ScriptedPrompts::~ScriptedPrompts() {
    Prompts::install(nullptr);
}

void ScriptedPrompts::message(QWidget*, const QString& text, const QString& caption, Icon icon) {
    messages.append({text, caption, icon});
}

bool ScriptedPrompts::askYesNo(QWidget*, const QString& text, const QString& caption) {
    questions.append(caption + QLatin1Char('|') + text);
    return yesNoAnswers.isEmpty() ? false : yesNoAnswers.takeFirst();
}

QString ScriptedPrompts::chooseFolder(QWidget*) {
    ++folderRequests;
    return folderAnswers.isEmpty() ? QString() : folderAnswers.takeFirst();
}

QString ScriptedPrompts::chooseSaveFile(QWidget*, const QString& startFolder, const QString&,
                                        const QString&, const QString&) {
    saveFileStartFolders.append(startFolder);
    return saveFileAnswers.isEmpty() ? QString() : saveFileAnswers.takeFirst();
}

bool ScriptedPrompts::choosePrinter(QWidget*, QPrinter& printer) {
    return printerAnswer ? printerAnswer(printer) : false;
}

int ScriptedPrompts::runModal(QDialog& dialog) {
    dialog.show();
    const int result = dialogDriver ? dialogDriver(dialog) : QDialog::Rejected;
    dialog.hide();
    return result;
}

bool ScriptedPrompts::openExternal(const QUrl& address) {
    openedAddresses.append(address);
    return openExternalResult;
}

} // namespace testsupport
