#pragma once

#include <QAbstractButton>
#include <QPixmap>
#include <QString>

// A push button drawn with one image while up and another while pressed;
// no text, no focus or disabled image.
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

private:
    QPixmap upImage;
    QPixmap downImage;
};
