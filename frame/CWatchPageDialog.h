#pragma once

#include "watches/Watch.h"

#include <QDialog>

#include <optional>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

// "Watch This Page": the folder and period of a watch of the active page,
// whether its first check only notes what is there, and the harvest choices
// its checks will use. Edits a watch of the Watch List the same way.
class CWatchPageDialog : public QDialog {
    Q_OBJECT
public:
    // watch: the page, its title and the choices proposed; followChoices: the
    // Follow Thumbnails choices a check takes when following is ticked.
    CWatchPageDialog(const Watch& watch, const WatchChoices& followChoices,
                     QWidget* parent = nullptr);

    Watch Chosen() const;

    // The watch as the person made it, or nothing when cancelled.
    static std::optional<Watch> Ask(QWidget* parent, const Watch& watch,
                                    const WatchChoices& followChoices);

private:
    void Browse();
    void ShowChoices();

    Watch watch;
    WatchChoices followChoices;
    QLineEdit* folder;
    QLineEdit* period;
    QCheckBox* fromNow;
    QCheckBox* follow;
    QCheckBox* logins;
    QLabel* choices;
    QLabel* problem;
    QPushButton* ok;
};
