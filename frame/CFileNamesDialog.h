#pragma once

#include "core/Settings.h"

#include <QDialog>

#include <functional>

class NameTemplate;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QStackedWidget;

// "File Names": the template saved files are named by, with ready choices
// beside the free field and the names the first lines of the active window
// would get; whether an info file is written beside each picture, and whether
// where it came from is written onto it.
class CFileNamesDialog : public QDialog {
    Q_OBJECT
public:
    // The names a template gives the first lines, "folder/name" each.
    using Preview = std::function<QStringList(const NameTemplate& names)>;

    CFileNamesDialog(const Settings::FileNames& current, Preview preview,
                     QWidget* parent = nullptr);

    Settings::FileNames Choices() const;

    // How many names the preview shows.
    static constexpr int PreviewCount = 5;

private:
    QStackedWidget* NamesOrRefusal();
    void ChoiceChosen(int index);
    void ShowPreview();

    Preview preview;
    QComboBox* choices;
    QLineEdit* text;
    QLabel* refusal;
    QStackedWidget* namesOrRefusal = nullptr;
    QListWidget* names;
    QCheckBox* writeInfo;
    QCheckBox* markOrigin;
    QPushButton* ok;
};
