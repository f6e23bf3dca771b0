#pragma once

#include <QLayout>
#include <QList>

// Lays its items out left to right and starts a new line where the next one
// would not fit, so a narrow window clips none of them. The order on screen is
// the order they were added.
class FlowLayout : public QLayout {
public:
    explicit FlowLayout(QWidget* parent = nullptr);
    ~FlowLayout() override;

    void addItem(QLayoutItem* item) override;
    int count() const override;
    QLayoutItem* itemAt(int index) const override;
    QLayoutItem* takeAt(int index) override;
    Qt::Orientations expandingDirections() const override;
    bool hasHeightForWidth() const override;
    int heightForWidth(int width) const override;
    QSize minimumSize() const override;
    QSize sizeHint() const override;
    void setGeometry(const QRect& rect) override;

private:
    // Places the items in rect (only measures when place is false); returns the height used.
    int Arrange(const QRect& rect, bool place) const;

    QList<QLayoutItem*> items;
};
