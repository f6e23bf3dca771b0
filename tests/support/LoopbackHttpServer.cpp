#include "support/LoopbackHttpServer.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>

namespace testsupport {

// Commands go to the server as JSON lines, byte strings in them as Latin-1
// text; the bodies of routes follow their command line as they are.
LoopbackHttpServer::LoopbackHttpServer(QObject* parent)
    : QObject(parent), server(new QProcess(this)) {
    server->setProcessChannelMode(QProcess::ForwardedErrorChannel);
}

bool LoopbackHttpServer::start(quint16 port) {
    listening = quint16(call({"start", port}).toInt());
    return listening != 0;
}

void LoopbackHttpServer::stop() {
    server->kill();
    server->waitForFinished();
    listening = 0;
}

QString LoopbackHttpServer::url(const QString& path) const {
    return QStringLiteral("http://127.0.0.1:%1/%2")
        .arg(port())
        .arg(path.startsWith(QLatin1Char('/')) ? path.mid(1) : path);
}

void LoopbackHttpServer::setRoutes(const QByteArray& path, const QList<HttpRoute>& answers) {
    QJsonArray routes;
    QByteArray bodies;
    for (const HttpRoute& route : answers) {
        QJsonArray headers;
        for (const auto& [name, value] : route.headers)
            headers.append(QJsonArray{QString::fromLatin1(name), QString::fromLatin1(value)});
        routes.append(QJsonArray{route.status, QString::fromLatin1(route.contentType),
                                 route.body.size(), headers, route.chunkSize, route.chunkDelayMs,
                                 route.cutAfter, route.stall, route.hangUp});
        bodies += route.body;
    }
    call({"routes", QString::fromLatin1(path), routes}, bodies);
}

void LoopbackHttpServer::serveDirectory(const QString& served) {
    call({"folder", served});
}

QList<HttpRequest> LoopbackHttpServer::requests() const {
    QList<HttpRequest> received;
    for (const QJsonValue& item : call({"requests"}).toArray()) {
        HttpRequest request{
            item[0].toString().toLatin1(), item[1].toString().toLatin1(), {}, item[2].toInteger()};
        const QJsonArray headers = item[3].toArray();
        for (const QJsonValue& header : headers)
            request.headers.insert(header[0].toString().toLatin1(),
                                   header[1].toString().toLatin1());
        received.append(request);
    }
    return received;
}

void LoopbackHttpServer::clearRequests() {
    call({"clear"});
}

// Sends one command and waits for its reply line. The process starts
// with the first command and ends when its standard input closes.
QJsonValue LoopbackHttpServer::call(const QJsonArray& command, const QByteArray& bodies) const {
    if (server->state() == QProcess::NotRunning)
        server->start(QStringLiteral(QUILLMAR_PYTHON),
                      {"-S", QStringLiteral(QUILLMAR_LOOPBACK_SERVER)});
    server->write(QJsonDocument(command).toJson(QJsonDocument::Compact) + '\n' + bodies);
    while (!server->canReadLine() && server->waitForReadyRead(30000)) {
    }
    return QJsonDocument::fromJson(server->readLine()).array().at(0);
}

} // namespace testsupport
