#include "LoadFailureText.h"

#include <QHash>
#include <QWebEngineLoadingInfo>

namespace {

// The engine's network error codes that a reader meets most.
QString networkErrorText(int code) {
    static const QHash<int, QString> texts = {
        {-2, QStringLiteral("the load failed")},
        {-6, QStringLiteral("file not found")},
        {-7, QStringLiteral("timed out")},
        {-10, QStringLiteral("access denied")},
        {-100, QStringLiteral("connection closed")},
        {-101, QStringLiteral("connection reset")},
        {-102, QStringLiteral("connection refused")},
        {-104, QStringLiteral("connection failed")},
        {-105, QStringLiteral("host not found")},
        {-106, QStringLiteral("no network")},
        {-107, QStringLiteral("secure connection failed")},
        {-109, QStringLiteral("address unreachable")},
        {-118, QStringLiteral("connection timed out")},
        {-137, QStringLiteral("host not found")},
        {-300, QStringLiteral("not a valid address")},
        {-301, QStringLiteral("address scheme not allowed")},
        {-302, QStringLiteral("unknown address scheme")},
        {-312, QStringLiteral("port not allowed")},
        {-324, QStringLiteral("empty answer from the server")},
    };
    return texts.value(code);
}

} // namespace

QString LoadFailureText::Describe(const QWebEngineLoadingInfo& info) {
    switch (info.errorDomain()) {
    case QWebEngineLoadingInfo::HttpStatusCodeDomain:
        return QStringLiteral("the server answered HTTP %1").arg(info.errorCode());
    case QWebEngineLoadingInfo::CertificateErrorDomain:
        return QStringLiteral("certificate not accepted (%1)").arg(info.errorString());
    case QWebEngineLoadingInfo::DnsErrorDomain:
        return QStringLiteral("host not found");
    default:
        break;
    }
    const QString known = networkErrorText(info.errorCode());
    if (!known.isEmpty())
        return known;
    return info.errorString().isEmpty() ? QStringLiteral("error %1").arg(info.errorCode())
                                        : info.errorString();
}
