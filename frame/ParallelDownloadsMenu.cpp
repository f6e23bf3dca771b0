#include "frame/ParallelDownloadsMenu.h"

#include "core/Settings.h"

#include <QActionGroup>

ParallelDownloadsMenu::ParallelDownloadsMenu(QWidget* parent)
    : QMenu(QStringLiteral("&Parallel Downloads"), parent) {
    auto* choices = new QActionGroup(this);
    for (int count : {1, 2, 4, 8}) {
        QAction* choice = addAction(QStringLiteral("&%1").arg(count));
        choice->setCheckable(true);
        choice->setData(count);
        choices->addAction(choice);
        connect(choice, &QAction::triggered, this,
                [count] { Settings::SetParallelDownloads(count); });
    }
    // Shown afresh each time, so both menu bars and every window agree.
    connect(this, &QMenu::aboutToShow, this, &ParallelDownloadsMenu::ShowChoice);
    ShowChoice();
}

// A stored count that is not one of the choices (set by hand) checks the
// largest choice below it.
void ParallelDownloadsMenu::ShowChoice() {
    const int stored = Settings::ParallelDownloads();
    QAction* shown = nullptr;
    for (QAction* choice : actions()) {
        if (choice->data().toInt() <= stored)
            shown = choice;
    }
    shown->setChecked(true);
}
