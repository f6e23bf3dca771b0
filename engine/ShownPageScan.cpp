#include "engine/ShownPageScan.h"

#include <QWebChannel>
#include <QWebEnginePage>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>

namespace {

const QString scriptName = QStringLiteral("quillmar-shown-scan");

} // namespace

ShownPageScan::ShownPageScan(QWebEnginePage* page, const QString& script, Receiver receive)
    : QObject(page), page(page), script(script), receive(std::move(receive)),
      channel(new QWebChannel(this)) {
    channel->registerObject(QStringLiteral("quillmarShownScan"), this);
}

void ShownPageScan::SetEnabled(bool enable) {
    if (enable == enabled)
        return;
    enabled = enable;
    if (!enabled) {
        page->setWebChannel(nullptr, QWebEngineScript::ApplicationWorld);
        for (const QWebEngineScript& script : page->scripts().find(scriptName))
            page->scripts().remove(script);
        return;
    }
    page->setWebChannel(channel, QWebEngineScript::ApplicationWorld);
    QWebEngineScript handler;
    handler.setName(scriptName);
    handler.setSourceCode(script);
    handler.setWorldId(QWebEngineScript::ApplicationWorld);
    handler.setInjectionPoint(QWebEngineScript::DocumentCreation);
    handler.setRunsOnSubFrames(false);
    page->scripts().insert(handler);
}

// Converted here in depth: the channel would hand nested parts over as JSON values.
void ShownPageScan::report(const QJsonObject& snapshot) {
    if (enabled)
        receive(snapshot.toVariantMap());
}

// Compiled here so linking this class does not pull in the moc code of other classes.
#include "moc_ShownPageScan.cpp"
