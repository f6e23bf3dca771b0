#include "controls/CDigitCounter.h"

#include "controls/CMemoryDC.h"
#include "controls/SevenSegmentPainter.h"

#include <QAccessible>
#include <QMetaObject>
#include <QMutexLocker>
#include <QThread>

CDigitCounter::CDigitCounter(QWidget* parent) : QWidget(parent) {
    // The paint covers every pixel: nothing needs erasing first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
}

void CDigitCounter::SetNumber(int n) {
    {
        QMutexLocker locker(&textLock);
        text = QByteArray::number(n);
    }
    // Widgets may only be touched on their own thread: a worker's call
    // queues the repaint and the announcement there instead. The call by name keeps the queued
    // event inside Qt, so thread checkers see no unsynchronised hand-over.
    if (QThread::currentThread() == thread())
        Refresh();
    else
        QMetaObject::invokeMethod(this, "Refresh", Qt::QueuedConnection);
}

void CDigitCounter::Refresh() {
    update();
    QAccessibleValueChangeEvent event(this, Text().toInt());
    QAccessible::updateAccessibility(&event);
}

QString CDigitCounter::Text() const {
    return QString::fromLatin1(LockedText());
}

QByteArray CDigitCounter::LockedText() const {
    QMutexLocker locker(&textLock);
    return text;
}

void CDigitCounter::ComputeMetrics() {
    thickness = SevenSegmentPainter::Metric(clientRect.height(), 0.07);
    segmentLength = SevenSegmentPainter::Metric(clientRect.height(), 0.35);
    penWidth = thickness;
    metricsReady = true;
}

void CDigitCounter::paintEvent(QPaintEvent*) {
    const QByteArray shown = LockedText();
    clientRect = rect();
    QPainter painter(this);
    CMemoryDC dc(painter, clientRect);
    dc.fillRect(clientRect, backgroundColour);
    // The text always has a cell, so the metrics come from the first paint.
    if (!metricsReady)
        ComputeMetrics();
    SevenSegmentPainter segments(dc, penWidth, segmentLength);
    const QColor unlitColour = SevenSegmentPainter::UnlitColour(litColour);
    for (int i = 0; i < shown.size(); ++i) {
        const int x = i * (segmentLength + 4 * thickness);
        if (showUnlit)
            segments.DrawSegments(x, SevenSegmentPainter::AllSegments, unlitColour);
        segments.DrawSegments(x, SevenSegmentPainter::DigitCode(shown[i]), litColour);
    }
}

#include "moc_CDigitCounter.cpp"
