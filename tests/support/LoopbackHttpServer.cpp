#include "support/LoopbackHttpServer.h"

#include <QFile>
#include <QHostAddress>
#include <QMimeDatabase>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

namespace testsupport {

namespace {

const char* const bufferProperty = "requestBuffer";

// Clients go by the status code; the reason phrase is only read by people.
QByteArray reasonPhrase(int status) {
    return status < 400 ? "OK" : "Error";
}

} // namespace

LoopbackHttpServer::LoopbackHttpServer(QObject* parent)
    : QObject(parent), server(new QTcpServer(this)) {
    connect(server, &QTcpServer::newConnection, this, &LoopbackHttpServer::acceptConnections);
}

LoopbackHttpServer::~LoopbackHttpServer() {
    stop();
}

bool LoopbackHttpServer::start(quint16 port) {
    started.start();
    return server->listen(QHostAddress::LocalHost, port);
}

void LoopbackHttpServer::stop() {
    server->close();
    const auto sockets = server->findChildren<QTcpSocket*>();
    for (QTcpSocket* socket : sockets)
        socket->abort();
}

QString LoopbackHttpServer::url(const QString& path) const {
    QString relative = path;
    if (relative.startsWith(QLatin1Char('/')))
        relative.remove(0, 1);
    return QStringLiteral("http://127.0.0.1:%1/%2").arg(port()).arg(relative);
}

void LoopbackHttpServer::setFile(const QByteArray& path, const QByteArray& body,
                                 const QByteArray& contentType) {
    HttpRoute route;
    route.body = body;
    route.contentType = contentType;
    setRoute(path, route);
}

void LoopbackHttpServer::acceptConnections() {
    while (QTcpSocket* socket = server->nextPendingConnection()) {
        socket->setParent(server);
        socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { readRequests(socket); });
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
    }
}

void LoopbackHttpServer::readRequests(QTcpSocket* socket) {
    QByteArray buffer = socket->property(bufferProperty).toByteArray() + socket->readAll();
    for (int end = buffer.indexOf("\r\n\r\n"); end >= 0; end = buffer.indexOf("\r\n\r\n")) {
        const QList<QByteArray> lines = buffer.left(end).split('\n');
        buffer.remove(0, end + 4);
        const QList<QByteArray> requestLine = lines.value(0).trimmed().split(' ');
        HttpRequest request;
        request.method = requestLine.value(0);
        request.path = requestLine.value(1);
        for (int i = 1; i < lines.size(); ++i) {
            const int colon = lines[i].indexOf(':');
            if (colon > 0)
                request.headers.insert(lines[i].left(colon).trimmed().toLower(),
                                       lines[i].mid(colon + 1).trimmed());
        }
        const qint64 bodyLength = request.headers.value("content-length").toLongLong();
        buffer.remove(0, int(qMin<qint64>(bodyLength, buffer.size())));
        request.atMs = started.elapsed();
        received.append(request);
        answer(socket, request);
    }
    socket->setProperty(bufferProperty, buffer);
}

HttpRoute LoopbackHttpServer::routeFor(const QByteArray& path) {
    const QByteArray withoutQuery =
        path.left(path.indexOf('?') < 0 ? path.size() : path.indexOf('?'));
    for (const QByteArray& key : {path, withoutQuery}) {
        auto answers = routes.find(key);
        if (answers != routes.end())
            return answers->size() > 1 ? answers->takeFirst() : answers->first();
    }
    HttpRoute route;
    QFile file(folder + QString::fromUtf8(QByteArray::fromPercentEncoding(withoutQuery)));
    if (folder.isEmpty() || withoutQuery.contains("..") || !file.open(QIODevice::ReadOnly)) {
        route.status = 404;
        route.body = "<html><body>Not found</body></html>";
        return route;
    }
    route.body = file.readAll();
    route.contentType = QMimeDatabase()
                            .mimeTypeForFile(file.fileName(), QMimeDatabase::MatchExtension)
                            .name()
                            .toUtf8();
    return route;
}

void LoopbackHttpServer::answer(QTcpSocket* socket, const HttpRequest& request) {
    const HttpRoute route = routeFor(request.path);
    if (route.hangUp)
        socket->disconnectFromHost();
    if (route.stall || route.hangUp)
        return;
    const bool keepAlive =
        request.headers.value("connection").toLower() != "close" && route.cutAfter < 0;
    QByteArray head =
        "HTTP/1.1 " + QByteArray::number(route.status) + ' ' + reasonPhrase(route.status) + "\r\n";
    head += "Content-Type: " + route.contentType + "\r\n";
    head += "Content-Length: " + QByteArray::number(route.body.size()) + "\r\n";
    for (const auto& header : route.headers)
        head += header.first + ": " + header.second + "\r\n";
    head += keepAlive ? "Connection: keep-alive\r\n\r\n" : "Connection: close\r\n\r\n";
    socket->write(head);
    if (request.method == "HEAD")
        return;
    sendBody(socket, route, 0, keepAlive);
}

void LoopbackHttpServer::sendBody(QTcpSocket* socket, const HttpRoute& route, qint64 offset,
                                  bool keepAlive) {
    const qint64 limit =
        route.cutAfter >= 0 ? qMin<qint64>(route.cutAfter, route.body.size()) : route.body.size();
    const qint64 piece = route.chunkSize > 0 ? route.chunkSize : limit - offset;
    const qint64 length = qMin(piece, limit - offset);
    if (length > 0)
        socket->write(route.body.constData() + offset, length);
    const qint64 next = offset + length;
    if (next < limit) {
        QPointer<QTcpSocket> alive(socket);
        QTimer::singleShot(route.chunkDelayMs, this, [=] {
            if (alive && alive->state() == QAbstractSocket::ConnectedState)
                sendBody(alive, route, next, keepAlive);
        });
        return;
    }
    if (!keepAlive) {
        socket->flush();
        socket->disconnectFromHost();
    }
}

} // namespace testsupport
