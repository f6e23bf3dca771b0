#include "support/LoopbackHttpServer.h"

#include <QJsonArray>
#include <QJsonDocument>

namespace testsupport {
namespace {

// Sends one command, a JSON line with byte strings as Latin-1 text, and the
// bodies of routes after it as they are; waits for the reply line. The server
// starts with the first command and ends when its standard input closes.
QJsonValue call(QProcess* server, const QJsonArray& command, const QByteArray& bodies = {}) {
    if (server->state() == QProcess::NotRunning) {
        server->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        server->start(QUILLMAR_PYTHON, {"-S", QUILLMAR_LOOPBACK_SERVER});
    }
    server->write(QJsonDocument(command).toJson(QJsonDocument::Compact) + '\n' + bodies);
    while (!server->canReadLine() && server->waitForReadyRead(30000)) {
    }
    return QJsonDocument::fromJson(server->readLine()).array().at(0);
}

} // namespace

bool LoopbackHttpServer::start(quint16 port) {
    listening = quint16(call(server, {"start", port}).toInt());
    return listening != 0;
}

QString LoopbackHttpServer::url(const QString& path) const {
    return QStringLiteral("http://127.0.0.1:%1/").arg(port()) +
           path.mid(path.startsWith('/') ? 1 : 0);
}

void LoopbackHttpServer::setRoutes(const QByteArray& path, const QList<HttpRoute>& answers) {
    QJsonArray routes;
    QByteArray bodies;
    for (const HttpRoute& route : answers) {
        QJsonArray headers;
        for (const auto& [name, value] : route.headers)
            headers.append(QString::fromLatin1(name + ": " + value));
        routes.append(QJsonArray{route.status, QString::fromLatin1(route.contentType),
                                 route.body.size(), headers, route.chunkSize, route.chunkDelayMs,
                                 route.cutAfter, route.stall, route.hangUp, route.ranges,
                                 QString::fromLatin1(route.cookie)});
        bodies += route.body;
    }
    call(server, {"routes", QString::fromLatin1(path), routes}, bodies);
}

void LoopbackHttpServer::serveDirectory(const QString& served) {
    call(server, {"folder", served});
}

QList<HttpRequest> LoopbackHttpServer::requests() const {
    const auto bytes = [](const QJsonValue& text) { return text.toString().toLatin1(); };
    QList<HttpRequest> received;
    for (const QJsonValue& item : call(server, {"requests"}).toArray()) {
        HttpRequest request{bytes(item[0]), bytes(item[1]), {}, item[2].toInteger()};
        for (const QJsonValue& header : item[3].toArray())
            request.headers.insert(bytes(header[0]), bytes(header[1]));
        received.append(request);
    }
    return received;
}

void LoopbackHttpServer::clearRequests() {
    call(server, {"clear"});
}

} // namespace testsupport
