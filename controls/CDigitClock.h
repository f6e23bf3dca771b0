#pragma once

#include <QByteArray>
#include <QColor>
#include <QRect>
#include <QWidget>

class SevenSegmentPainter;

// A seven-segment time display ("00:00:00") with its own "." and ":" shapes.
class CDigitClock : public QWidget {
    Q_OBJECT
public:
    explicit CDigitClock(QWidget* parent = nullptr);

    // Stores the text and repaints without erasing. User-interface thread only.
    void SetText(const QString& text);
    QString Text() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void ComputeMetrics();
    void DrawCell(SevenSegmentPainter& segments, int x, char character) const;
    static int Advance(char previous, char current, int p, int q);

    bool showUnlit = true;
    bool metricsReady = false;
    QByteArray text = "0";
    QRect clientRect;
    int penWidth = 0;
    int segmentLength = 0;
    int thickness = 0;
    QColor backgroundColour = QColor(0, 0, 0);
    QColor litColour = QColor(0, 255, 0);
};
