#pragma once

#include <QHash>
#include <QObject>
#include <QProcess>

namespace testsupport {

// What the server answers for one path.
struct HttpRoute {
    int status = 200;
    QByteArray contentType = "text/html"; // empty: no Content-Type header
    QByteArray body;
    QList<QPair<QByteArray, QByteArray>> headers; // extra response headers
    int chunkSize = 0;                            // > 0: send the body in pieces of this many bytes
    int chunkDelayMs = 0;                         // pause between pieces, for a slow body
    qint64 cutAfter = -1; // >= 0: announce the whole length, close after this many bytes
    bool stall = false;   // read the request and never answer
    bool hangUp = false;  // read the request and close the connection unanswered
    bool ranges = false;  // answer "Range: bytes=N-" with 206 while If-Range names the ETag header
    QByteArray cookie = {}; // "name=value": a request without this cookie is answered 403
};

struct HttpRequest {
    QByteArray method;
    QByteArray path;
    QHash<QByteArray, QByteArray> headers; // names in lower case
    qint64 atMs = 0;                       // when it arrived, since the server started
};

// A small HTTP/1.1 server on 127.0.0.1 for tests, with keep-alive. It runs in
// a process of its own (loopback_server.py), so it answers while the test
// blocks; each call here waits for the server's reply.
class LoopbackHttpServer : public QObject {
public:
    ~LoopbackHttpServer() override {
        server->kill();
        server->waitForFinished();
    }

    bool start(quint16 port = 0);
    quint16 port() const { return listening; }
    // "http://127.0.0.1:<port>/" followed by path (without its leading "/").
    QString url(const QString& path = QString()) const;

    void setRoute(const QByteArray& path, const HttpRoute& route) { setRoutes(path, {route}); }
    // Answers the requests for path with these routes in turn; the last one stays.
    void setRoutes(const QByteArray& path, const QList<HttpRoute>& answers);
    // A page that signs its visitor in: it sets the persistent HttpOnly cookie
    // "session=value" for the whole site.
    void setSignIn(const QByteArray& path, const QByteArray& body, const QByteArray& value) {
        setRoute(path, {200,
                        "text/html",
                        body,
                        {{"Set-Cookie", "session=" + value + "; Max-Age=3600; HttpOnly"}}});
    }
    void setFile(const QByteArray& path, const QByteArray& body,
                 const QByteArray& contentType = "text/html") {
        setRoute(path, {200, contentType, body, {}});
    }
    // Paths without a route are served from this folder (404 when missing).
    void serveDirectory(const QString& served);

    // In order of arrival; each is listed before it is answered.
    QList<HttpRequest> requests() const;
    void clearRequests();

private:
    QProcess* server = new QProcess(this);
    quint16 listening = 0;
};

} // namespace testsupport
