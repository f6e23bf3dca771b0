#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QHash>
#include <QList>
#include <QObject>
#include <QPair>
#include <QString>

#include <QTcpServer>

class QTcpSocket;

namespace testsupport {

// What the server answers for one path.
struct HttpRoute {
    int status = 200;
    QByteArray contentType = "text/html";
    QByteArray body;
    QList<QPair<QByteArray, QByteArray>> headers; // extra response headers
    int chunkSize = 0;                            // > 0: send the body in pieces of this many bytes
    int chunkDelayMs = 0;                         // pause between pieces, for a slow body
    qint64 cutAfter = -1; // >= 0: announce the whole length, close after this many bytes
    bool stall = false;   // read the request and never answer
    bool hangUp = false;  // read the request and close the connection unanswered
};

struct HttpRequest {
    QByteArray method;
    QByteArray path;
    QHash<QByteArray, QByteArray> headers; // names in lower case
    qint64 atMs = 0;                       // when it arrived, since the server started
};

// A small HTTP/1.1 server on 127.0.0.1 for tests, with keep-alive, served from
// the test's own event loop: tests must keep the loop running while a client waits.
class LoopbackHttpServer : public QObject {
    Q_OBJECT
public:
    explicit LoopbackHttpServer(QObject* parent = nullptr);
    ~LoopbackHttpServer() override;

    bool start(quint16 port = 0);
    void stop();
    quint16 port() const { return server->serverPort(); }
    // "http://127.0.0.1:<port>/" followed by path (without its leading "/").
    QString url(const QString& path = QString()) const;

    void setRoute(const QByteArray& path, const HttpRoute& route) { routes.insert(path, {route}); }
    // Answers the requests for path with these routes in turn; the last one stays.
    void setRoutes(const QByteArray& path, const QList<HttpRoute>& answers) {
        routes.insert(path, answers);
    }
    void setFile(const QByteArray& path, const QByteArray& body,
                 const QByteArray& contentType = "text/html");
    // Paths without a route are served from this folder (404 when missing).
    void serveDirectory(const QString& served) { folder = served; }

    QList<HttpRequest> requests() const { return received; }
    void clearRequests() { received.clear(); }

private:
    void acceptConnections();
    void readRequests(QTcpSocket* socket);
    void answer(QTcpSocket* socket, const HttpRequest& request);
    HttpRoute routeFor(const QByteArray& path);
    void sendBody(QTcpSocket* socket, const HttpRoute& route, qint64 offset, bool keepAlive);

    QTcpServer* server;
    QHash<QByteArray, QList<HttpRoute>> routes;
    QElapsedTimer started;
    QString folder;
    QList<HttpRequest> received;
};

} // namespace testsupport
