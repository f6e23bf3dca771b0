#pragma once

#include "core/Prompts.h"

// The real prompts: Qt's message boxes, file dialogs and desktop services.
class QtPrompts : public Prompts {
public:
    void message(QWidget* owner, const QString& text, const QString& caption, Icon icon) override;
    bool askYesNo(QWidget* owner, const QString& text, const QString& caption) override;
    Answer askYesNoOrClose(QWidget* owner, const QString& text, const QString& caption) override;
    QString chooseFolder(QWidget* owner, const QString& startFolder) override;
    QString chooseSaveFile(QWidget* owner, const QString& startFolder, const QString& defaultName,
                           const QString& defaultSuffix, const QString& filter) override;
    bool choosePrinter(QWidget* owner, QPrinter& printer) override;
    int runModal(QDialog& dialog) override;
    bool openExternal(const QUrl& address) override;
};
