#pragma once

#include <QJsonObject>
#include <QObject>
#include <QVariantMap>

class QWebEnginePage;
class QWebChannel;

// The page's own plain scan, taken when it is shown and handed over through a
// web channel that only the scripts' isolated world reaches: no page script
// can send or forge it. Off until switched on, as only the first scan after a
// load can use it.
class ShownPageScan : public QObject {
    Q_OBJECT
public:
    // script: the text of shownscan.js with its call appended.
    ShownPageScan(QWebEnginePage* page, const QString& script);

    // Whether documents created from now on scan themselves when shown.
    void SetEnabled(bool enabled);

    // Called by the page's script through the channel.
    Q_INVOKABLE void report(const QJsonObject& snapshot);

signals:
    void reported(const QVariantMap& snapshot);

private:
    QWebEnginePage* page;
    QString script;
    QWebChannel* channel;
    bool enabled = false;
};
