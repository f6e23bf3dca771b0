#pragma once

#include "core/Prompts.h"

#include <QDialog>
#include <QUrl>

#include <functional>

namespace testsupport {

// Prompts answered from a script instead of by a person. Installs itself for
// its lifetime and records every question asked.
class ScriptedPrompts : public Prompts {
public:
    struct Message {
        QString text;
        QString caption;
        Icon icon;
    };

    ScriptedPrompts() { Prompts::install(this); }
    ~ScriptedPrompts() override { Prompts::install(nullptr); }

    // Answers, used in order; an exhausted queue answers No / cancel.
    QList<bool> yesNoAnswers;
    // For questions that can be closed unanswered; none left: taken from yesNoAnswers.
    QList<Answer> closableAnswers;
    QStringList folderAnswers;
    QStringList saveFileAnswers;
    // Sets up the printer (for instance to print into a PDF file); none: cancel.
    std::function<bool(QPrinter&)> printerAnswer;
    // Drives a dialog run modally (it is shown meanwhile) and returns its result.
    std::function<int(QDialog&)> dialogDriver;
    bool openExternalResult = true;

    // What was asked.
    QList<Message> messages;
    QStringList questions;
    QStringList folderStartFolders;
    QStringList saveFileStartFolders;
    QList<QUrl> openedAddresses;

    void message(QWidget*, const QString& text, const QString& caption, Icon icon) override {
        messages.append({text, caption, icon});
    }
    bool askYesNo(QWidget*, const QString& text, const QString& caption) override {
        questions.append(caption + QLatin1Char('|') + text);
        return !yesNoAnswers.isEmpty() && yesNoAnswers.takeFirst();
    }
    Answer askYesNoOrClose(QWidget* owner, const QString& text, const QString& caption) override {
        if (closableAnswers.isEmpty())
            return askYesNo(owner, text, caption) ? Answer::Yes : Answer::No;
        questions.append(caption + QLatin1Char('|') + text);
        return closableAnswers.takeFirst();
    }
    QString chooseFolder(QWidget*, const QString& startFolder) override {
        folderStartFolders.append(startFolder);
        return folderAnswers.isEmpty() ? QString() : folderAnswers.takeFirst();
    }
    QString chooseSaveFile(QWidget*, const QString& startFolder, const QString&, const QString&,
                           const QString&) override {
        saveFileStartFolders.append(startFolder);
        return saveFileAnswers.isEmpty() ? QString() : saveFileAnswers.takeFirst();
    }
    bool choosePrinter(QWidget*, QPrinter& printer) override {
        return printerAnswer && printerAnswer(printer);
    }
    int runModal(QDialog& dialog) override {
        dialog.show();
        const int result = dialogDriver ? dialogDriver(dialog) : QDialog::Rejected;
        dialog.hide();
        return result;
    }
    bool openExternal(const QUrl& address) override {
        openedAddresses.append(address);
        return openExternalResult;
    }
};

} // namespace testsupport
