#pragma once

// A small HTTP/1.1 server on 127.0.0.1 (port 0) that records every request it
// gets and answers from canned replies, well-formed or broken on purpose. It
// runs in the caller's thread: the query's own wait loop keeps it serving.

#include "query/query.h"

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QObject>
#include <QTcpServer>

class QTcpSocket;

namespace quillora::testing {

struct CannedReply {
    enum class Framing {
        Length,     // Content-Length
        Chunked,    // Transfer-Encoding: chunked, in 7-byte chunks (large bodies: 64 KiB)
        UntilClose, // no length: the body ends when the connection closes
    };
    enum class Fault {
        None,
        Silent,       // accepts and reads the request, never answers
        StallMidBody, // sends the head and half the body, then holds the line
        CutMidBody,   // sends the head and half the body, then closes (FIN)
        ResetMidBody, // sends the head and half the body, then resets (RST)
        Trickle,      // sends the head, then one body byte every 50 ms, forever
    };

    QByteArray status = "200 OK";
    QList<QByteArray> headers; // extra header lines, without CRLF
    QByteArray body;
    Framing framing = Framing::Length;
    Fault fault = Fault::None;
    // Close the connection after a well-framed answer instead of keeping it
    // for the next request.
    bool close = false;
};

class LoopbackServer final : public QObject {
    Q_OBJECT
public:
    // Also clears the proxy variables of this process, so requests to the
    // server go straight to it.
    LoopbackServer();
    ~LoopbackServer() override;
    LoopbackServer(const LoopbackServer&) = delete;
    LoopbackServer& operator=(const LoopbackServer&) = delete;

    quint16 Port() const { return server_.serverPort(); }
    // "http://127.0.0.1:<port>" followed by `path`.
    QByteArray Url(const QByteArray& path) const;
    // The rate service's prefix on this server.
    QByteArray ServicePrefix() const { return Url("/huilv/s?tn=baiduhuilv&wd="); }

    // What a request for `path` (the part before "?") gets; every other path
    // gets 404.
    void Serve(const QByteArray& path, const CannedReply& reply);

    // Request lines ("GET /... HTTP/1.1") in the order they arrived.
    const QList<QByteArray>& RequestLines() const { return requestLines_; }
    // Each request's header lines, joined by CRLF.
    const QList<QByteArray>& RequestHeaders() const { return requestHeaders_; }

signals:
    void requestReceived(const QByteArray& requestLine);

private:
    void Accept();
    void ReadRequest(QTcpSocket* socket);
    // Whether the connection stays open for another request.
    bool Answer(QTcpSocket* socket, const CannedReply& reply);

    QTcpServer server_;
    QMap<QByteArray, CannedReply> replies_;
    QMap<QTcpSocket*, QByteArray> pending_;
    QList<QByteArray> requestLines_;
    QList<QByteArray> requestHeaders_;
};

// The bytes of tests/data/<name>.
QByteArray DataFile(const char* name);

// The rate service on `server`, with time limits short enough for tests.
query::RateService ServiceOn(const LoopbackServer& server);

} // namespace quillora::testing
