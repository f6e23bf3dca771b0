#include "controls/CDigitClock.h"

#include "controls/CMemoryDC.h"
#include "controls/SevenSegmentPainter.h"

#include <QAccessible>

CDigitClock::CDigitClock(QWidget* parent) : QWidget(parent) {
    // The paint covers every pixel: nothing needs erasing first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
}

void CDigitClock::SetText(const QString& newText) {
    const QString oldText = Text();
    text = newText.toUtf8();
    update();
    if (newText == oldText)
        return;
    // The time is text, not a number: readers learn of it as changed text.
    QAccessibleTextUpdateEvent event(this, 0, oldText, newText);
    QAccessible::updateAccessibility(&event);
}

QString CDigitClock::Text() const {
    return QString::fromUtf8(text);
}

void CDigitClock::ComputeMetrics() {
    thickness = SevenSegmentPainter::Metric(clientRect.height(), 0.06);
    segmentLength = SevenSegmentPainter::Metric(clientRect.height(), 0.35);
    penWidth = thickness;
    metricsReady = true;
}

// Colons sit closer to their neighbours than digits do to each other.
int CDigitClock::Advance(char previous, char current, int p, int q) {
    if (current == ':')
        return p + q;
    if (previous == ':')
        return q + 1;
    return q + 4 * p;
}

void CDigitClock::DrawCell(SevenSegmentPainter& segments, int x, char character) const {
    const int p = thickness;
    const int q = segmentLength;
    if (character != ':' && showUnlit)
        segments.DrawSegments(x, SevenSegmentPainter::AllSegments,
                              SevenSegmentPainter::UnlitColour(litColour));
    switch (character) {
    case '-':
        segments.DrawSegments(x, SevenSegmentPainter::Middle, litColour);
        break;
    case '.':
        segments.DrawLine(x + 2 * p, 2 * q + 4 * p, x + q / 2, 2 * q + 4 * p, litColour);
        break;
    case ':':
        segments.DrawLine(x + 4 * p, q, x + q / 2 + 2 * p, q, litColour);
        segments.DrawLine(x + 4 * p, 2 * q + p, x + q / 2 + 2 * p, 2 * q + p, litColour);
        break;
    default:
        segments.DrawSegments(x, SevenSegmentPainter::DigitCode(character), litColour);
        break;
    }
}

void CDigitClock::paintEvent(QPaintEvent*) {
    clientRect = rect();
    QPainter painter(this);
    CMemoryDC dc(painter, clientRect);
    dc.fillRect(clientRect, backgroundColour);
    if (!metricsReady)
        ComputeMetrics();
    SevenSegmentPainter segments(dc, penWidth, segmentLength);
    int x = 0;
    for (int i = 0; i < text.size(); ++i) {
        if (i > 0)
            x += Advance(text[i - 1], text[i], thickness, segmentLength);
        DrawCell(segments, x, text[i]);
    }
}

#include "moc_CDigitClock.cpp"
