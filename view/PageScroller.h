#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QTimer>

class QWebEnginePage;

// Scrolls a page to its end in steps of one window height, so pictures that
// load only when the reader gets there are loaded, then returns to where the
// reader was. Each step waits for the page to settle, at the end of the page
// long enough for an endless feed to answer; the walk ends when the page
// stops growing, after MaxSteps steps or after MaxMilliseconds.
class PageScroller : public QObject {
    Q_OBJECT
public:
    static constexpr int MaxSteps = 40;
    static constexpr int MaxMilliseconds = 15000;

    explicit PageScroller(QWebEnginePage* page, QObject* parent = nullptr);

    // finished() follows exactly once, also when the page goes away.
    void Start();

signals:
    void finished();

private:
    void run(const QString& script, std::function<void(const QVariantList&)> next);
    void step();
    void poll();
    bool grew() const;
    void settled();
    void returnToReader();
    void finish();

    QPointer<QWebEnginePage> page;
    QElapsedTimer clock;
    QTimer deadline;
    QVariantList readerPosition;
    // Page height, elements, pictures still loading and whether at the end.
    QVariantList stateBefore; // before the step
    QVariantList lastState;   // at the last poll
    qint64 stepStarted = 0;
    qint64 lastChange = 0; // when the last poll saw the page change
    int steps = 0;
    bool returning = false; // on the way back to the reader's place
    bool done = false;
};
