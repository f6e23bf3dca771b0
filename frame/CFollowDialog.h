#pragma once

#include "core/Settings.h"

#include <QDialog>

#include <optional>

class QCheckBox;
class QLineEdit;
class QRadioButton;
class QSpinBox;

// "Follow Thumbnails": whether links to other sites are followed, the text a
// link's address must hold, the main or every picture of a viewer page, and
// how many next pages are harvested too.
class CFollowDialog : public QDialog {
    Q_OBJECT
public:
    explicit CFollowDialog(const FollowSettings& current, QWidget* parent = nullptr);

    FollowSettings Choices() const;
    // Runs the dialog; the choices made, or nothing when cancelled.
    static std::optional<FollowSettings> Ask(QWidget* parent, const FollowSettings& current);

private:
    QCheckBox* otherSites;
    QLineEdit* match;
    QRadioButton* mainPicture;
    QRadioButton* everyPicture;
    QSpinBox* nextPages;
};
