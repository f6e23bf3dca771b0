#include "engine/ScanPage.h"

#include "engine/LocalFileGuard.h"

#include <QJsonDocument>

namespace {

const QString reportPrefix = QStringLiteral("quillmar-frame-report ");

bool IsControl(char32_t code) {
    if (code < 0x20 || (code >= 0x7f && code < 0xa0))
        return true;
    switch (QChar::category(code)) {
    case QChar::Other_Format: // bidi overrides reorder the rest of a terminal's line
    case QChar::Separator_Line:
    case QChar::Separator_Paragraph:
        return true;
    default:
        return false;
    }
}

// A page's text as a terminal may show it: no escape sequence (colours, a
// window title), no line of its own that could pass for the program's.
QString Printable(const QString& text) {
    QString printable;
    printable.reserve(text.size());
    for (const char32_t code : text.toUcs4()) {
        if (!IsControl(code))
            printable += QString::fromUcs4(&code, 1);
        else if (code < 0x100)
            printable += QStringLiteral("\\x%1").arg(uint(code), 2, 16, QLatin1Char('0'));
        else
            printable += QStringLiteral("\\u{%1}").arg(uint(code), 4, 16, QLatin1Char('0'));
    }
    return printable;
}

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
        QWebEnginePage::javaScriptConsoleMessage(level, Printable(message), lineNumber,
                                                 Printable(sourceId));
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
