#pragma once

#include <QJsonObject>
#include <QObject>
#include <QVariantMap>

#include <functional>

class QWebEnginePage;
class QWebChannel;

// The page's own plain scan, taken when it is shown and handed over through a
// web channel that only the scripts' isolated world reaches: no page script
// can send or forge it. Off until switched on, as only the first scan after a
// load can use it.
class ShownPageScan : public QObject {
    Q_OBJECT
public:
    using Receiver = std::function<void(const QVariantMap& snapshot)>;

    // script: the text of shownscan.js with its call appended; receive gets
    // each report while switched on.
    ShownPageScan(QWebEnginePage* page, const QString& script, Receiver receive);

    // Whether documents created from now on scan themselves when shown.
    void SetEnabled(bool enabled);

    // Called by the page's script through the channel.
    Q_INVOKABLE void report(const QJsonObject& snapshot);

private:
    QWebEnginePage* page;
    QString script;
    // A callback, not a signal: the channel would send a signal's every
    // emission back to the page.
    Receiver receive;
    QWebChannel* channel;
    bool enabled = false;
};
