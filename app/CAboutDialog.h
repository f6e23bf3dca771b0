#pragma once

#include <QDialog>

class CBitmapButton;

// The about box: picture, program name, terms of use and an OK button
// drawn with bitmaps. Closes with OK, Enter or Escape.
class CAboutDialog : public QDialog {
    Q_OBJECT
public:
    explicit CAboutDialog(QWidget* parent = nullptr);

    CBitmapButton* OkButton() const;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    CBitmapButton* okButton = nullptr;
};
