#pragma once

#include <QString>

class QDialog;
class QPrinter;
class QUrl;
class QWidget;

// Every modal question, message box, picker and dialog run goes through this
// interface, so tests can answer them without blocking on a modal loop.
class Prompts {
public:
    enum class Icon { None, Information, Exclamation, Question, Error };
    enum class Answer { Yes, No, Closed };

    virtual ~Prompts() = default;

    // A message box with only an OK button.
    virtual void message(QWidget* owner, const QString& text, const QString& caption,
                         Icon icon) = 0;
    // A Yes/No message box with the question icon; true for Yes.
    virtual bool askYesNo(QWidget* owner, const QString& text, const QString& caption) = 0;
    // The same box, which can also be closed without an answer (Escape, the
    // window's close button): Closed then, told apart from No.
    virtual Answer askYesNoOrClose(QWidget* owner, const QString& text, const QString& caption) = 0;
    // An existing folder chosen by the user, starting in startFolder (empty:
    // the picker's own choice), or an empty string when cancelled.
    virtual QString chooseFolder(QWidget* owner, const QString& startFolder) = 0;
    // A file name to save to, starting in startFolder; empty when cancelled.
    // The dialog asks before overwriting and adds defaultSuffix when none is typed.
    virtual QString chooseSaveFile(QWidget* owner, const QString& startFolder,
                                   const QString& defaultName, const QString& defaultSuffix,
                                   const QString& filter) = 0;
    // Lets the user set up the printer; false when cancelled.
    virtual bool choosePrinter(QWidget* owner, QPrinter& printer) = 0;
    // Runs a dialog modally and returns its result code.
    virtual int runModal(QDialog& dialog) = 0;
    // Hands an address such as "mailto:" to the desktop; false when that failed.
    virtual bool openExternal(const QUrl& address) = 0;

    // The prompts in use: the real dialogs unless a test installed others.
    static Prompts& current();
    // Installs replacement prompts (not owned); nullptr restores the real ones.
    static void install(Prompts* prompts);
};
