#pragma once

#include <QJsonObject>
#include <QWebEnginePage>

// The page of a browser engine. Deep Scan's script in each frame of another
// origin answers through the console of its isolated world, which page
// scripts cannot read; those answers are handed on here instead of printed.
class ScanPage : public QWebEnginePage {
    Q_OBJECT
public:
    explicit ScanPage(QObject* parent = nullptr);
    ScanPage(QWebEngineProfile* profile, QObject* parent);

signals:
    // One frame's answer: the question's number, the frame's path ("0/2") and
    // its findings. Any page can write such a line, so it is only a claim.
    void frameReport(int ask, const QString& path, const QJsonObject& findings);

protected:
    void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level, const QString& message,
                                  int lineNumber, const QString& sourceId) override;
};
