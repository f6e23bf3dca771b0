#include "engine/ScanPage.h"

#include "core/TerminalText.h"
#include "engine/LocalFileGuard.h"

#include <QJsonDocument>

namespace {

const QString reportPrefix = QStringLiteral("quillmar-frame-report ");

} // namespace

// Every engine page is made here, so every profile that loads anything is guarded.
ScanPage::ScanPage(QObject* parent) : QWebEnginePage(parent) {
    LocalFileGuard::Protect(profile());
}

ScanPage::ScanPage(QWebEngineProfile* profile, QObject* parent) : QWebEnginePage(profile, parent) {
    LocalFileGuard::Protect(profile);
}

void ScanPage::javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level, const QString& message,
                                        int lineNumber, const QString& sourceId) {
    if (!message.startsWith(reportPrefix)) {
        QWebEnginePage::javaScriptConsoleMessage(level, TerminalText::Printable(message),
                                                 lineNumber, TerminalText::Printable(sourceId));
        return;
    }
    const QJsonObject report =
        QJsonDocument::fromJson(QStringView(message).mid(reportPrefix.size()).toUtf8()).object();
    if (report.value(QLatin1String("ask")).isDouble() &&
        report.value(QLatin1String("path")).isString())
        emit frameReport(report.value(QLatin1String("ask")).toInt(),
                         report.value(QLatin1String("path")).toString(),
                         report.value(QLatin1String("result")).toObject());
}

// Compiled here so linking this class does not pull in the moc code of other classes.
#include "moc_ScanPage.cpp"
