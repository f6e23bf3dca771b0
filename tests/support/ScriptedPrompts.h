#pragma once

#include "app/Prompts.h"

#include <QList>
#include <QStringList>
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

    ScriptedPrompts();
    ~ScriptedPrompts() override;

    // Answers, used in order; an exhausted queue answers No / cancel.
    QList<bool> yesNoAnswers;
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
    int folderRequests = 0;
    QStringList saveFileStartFolders;
    QList<QUrl> openedAddresses;

    void message(QWidget* owner, const QString& text, const QString& caption, Icon icon) override;
    bool askYesNo(QWidget* owner, const QString& text, const QString& caption) override;
    QString chooseFolder(QWidget* owner) override;
    QString chooseSaveFile(QWidget* owner, const QString& startFolder, const QString& defaultName,
                           const QString& defaultSuffix, const QString& filter) override;
    bool choosePrinter(QWidget* owner, QPrinter& printer) override;
    int runModal(QDialog& dialog) override;
    bool openExternal(const QUrl& address) override;
};

} // namespace testsupport
