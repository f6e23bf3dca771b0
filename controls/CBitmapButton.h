#pragma once

#include <QAbstractButton>
#include <QPixmap>
#include <QString>

// A push button drawn with one image while up and another while pressed;
// no text and no disabled image. Focus reached by keyboard is marked with a
// dotted frame inside the bevel; Space and Enter press the button.
class CBitmapButton : public QAbstractButton {
    Q_OBJECT
public:
    explicit CBitmapButton(QWidget* parent = nullptr);

    // Loads the two images by bitmap resource id (see BitmapTable); false when
    // either cannot be loaded.
    bool LoadBitmaps(int upBitmapId, int downBitmapId);
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    bool ShowsFocus() const;

    QPixmap upImage;
    QPixmap downImage;
};
