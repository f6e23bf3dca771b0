#pragma once

#include <QByteArray>
#include <QColor>
#include <QMutex>
#include <QRect>
#include <QWidget>

// A seven-segment number display: green digits on black with the unlit
// segments of every cell shown dimly.
class CDigitCounter : public QWidget {
    Q_OBJECT
public:
    explicit CDigitCounter(QWidget* parent = nullptr);

    // Shows n formatted with "%d". Safe to call from any thread.
    void SetNumber(int n);
    // The characters drawn, one cell per character.
    QString Text() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    // Repaints and tells screen readers the number shown.
    Q_INVOKABLE void Refresh();
    QByteArray LockedText() const;
    void ComputeMetrics();

    mutable QMutex textLock; // SetNumber may run on a download worker's thread
    QByteArray text = "0";
    bool showUnlit = true;
    bool metricsReady = false;
    QRect clientRect;
    int penWidth = 0;
    int segmentLength = 0;
    int thickness = 0;
    QColor backgroundColour = QColor(0, 0, 0);
    QColor litColour = QColor(0, 255, 0);
};
