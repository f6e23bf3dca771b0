#pragma once

#include <QMenu>

// "Parallel Downloads": how many files one download command fetches at once.
// The choice is checked from the settings and stored as soon as it is made.
class ParallelDownloadsMenu : public QMenu {
    Q_OBJECT
public:
    explicit ParallelDownloadsMenu(QWidget* parent = nullptr);

private:
    void ShowChoice();
};
