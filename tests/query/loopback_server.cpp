#include "loopback_server.h"

#include <QFile>
#include <QHostAddress>
#include <QTcpSocket>
#include <QTimer>
#include <QtGlobal>
#include <sys/socket.h>

namespace quillora::testing {
namespace {

constexpr qsizetype kChunkSize = 7;

QByteArray Chunked(const QByteArray& body) {
    // Small chunks make markers straddle chunk boundaries; a body of megabytes
    // in 7-byte chunks would only cost the test time, so it goes in large ones.
    const qsizetype chunkSize = body.size() > 64 * 1024 ? 64 * 1024 : kChunkSize;
    QByteArray out;
    for (qsizetype at = 0; at < body.size(); at += chunkSize) {
        const QByteArray chunk = body.mid(at, chunkSize);
        out += QByteArray::number(chunk.size(), 16) + "\r\n" + chunk + "\r\n";
    }
    return out + "0\r\n\r\n";
}

// Closes with RST instead of FIN.
void Reset(QTcpSocket* socket) {
    const linger hard{1, 0};
    ::setsockopt(static_cast<int>(socket->socketDescriptor()), SOL_SOCKET, SO_LINGER, &hard,
                 sizeof hard);
    socket->abort();
}

// Runs `then` once everything written so far has left Qt's buffer.
template <typename Then> void WhenWritten(QTcpSocket* socket, Then then) {
    socket->flush();
    if (socket->bytesToWrite() == 0) {
        then();
        return;
    }
    QObject::connect(socket, &QTcpSocket::bytesWritten, socket, [socket, then] {
        if (socket->bytesToWrite() == 0) {
            then();
        }
    });
}

} // namespace

LoopbackServer::LoopbackServer() {
    for (const char* name : {"http_proxy", "HTTP_PROXY", "all_proxy", "ALL_PROXY"}) {
        qunsetenv(name);
    }
    qputenv("no_proxy", "127.0.0.1,localhost");
    connect(&server_, &QTcpServer::newConnection, this, &LoopbackServer::Accept);
    if (!server_.listen(QHostAddress::LocalHost, 0)) {
        qFatal("loopback server: cannot listen: %s", qPrintable(server_.errorString()));
    }
}

LoopbackServer::~LoopbackServer() {
    // The sockets die with server_, after the maps their slots use.
    for (QTcpSocket* socket : server_.findChildren<QTcpSocket*>()) {
        socket->disconnect(this);
        socket->abort();
    }
    server_.close();
}

QByteArray LoopbackServer::Url(const QByteArray& path) const {
    return "http://127.0.0.1:" + QByteArray::number(Port()) + path;
}

void LoopbackServer::Serve(const QByteArray& path, const CannedReply& reply) {
    replies_[path] = reply;
}

void LoopbackServer::Accept() {
    while (QTcpSocket* socket = server_.nextPendingConnection()) {
        pending_.insert(socket, {});
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { ReadRequest(socket); });
        connect(socket, &QTcpSocket::disconnected, this, [this, socket] {
            pending_.remove(socket);
            socket->deleteLater();
        });
    }
}

void LoopbackServer::ReadRequest(QTcpSocket* socket) {
    const QByteArray data = socket->readAll();
    auto found = pending_.find(socket);
    if (found == pending_.end()) {
        return; // answered, and the connection is not kept for more
    }
    found.value() += data;
    qsizetype end = -1;
    while (found != pending_.end() && (end = found.value().indexOf("\r\n\r\n")) >= 0) {
        const QByteArray head = found.value().left(end);
        const QByteArray rest = found.value().mid(end + 4);
        pending_.erase(found);
        found = pending_.end();

        const qsizetype lineEnd = head.indexOf("\r\n");
        const QByteArray requestLine = lineEnd < 0 ? head : head.left(lineEnd);
        requestLines_.append(requestLine);
        requestHeaders_.append(lineEnd < 0 ? QByteArray() : head.mid(lineEnd + 2));

        const QList<QByteArray> parts = requestLine.split(' ');
        const QByteArray target = parts.size() > 1 ? parts.at(1) : QByteArray();
        const QByteArray path =
            target.left(target.indexOf('?') < 0 ? target.size() : target.indexOf('?'));
        CannedReply notFound;
        notFound.status = "404 Not Found";
        notFound.body = "no such page";
        if (Answer(socket, replies_.value(path, notFound))) {
            found = pending_.insert(socket, rest);
        }
        emit requestReceived(requestLine);
    }
}

bool LoopbackServer::Answer(QTcpSocket* socket, const CannedReply& reply) {
    using Fault = CannedReply::Fault;
    using Framing = CannedReply::Framing;
    if (reply.fault == Fault::Silent) {
        return false;
    }
    // A well-framed answer keeps the connection for the next request, as a
    // real server would; closing at once races the client reading the answer.
    const bool keepAlive =
        reply.fault == Fault::None && reply.framing != Framing::UntilClose && !reply.close;
    QByteArray head = "HTTP/1.1 " + reply.status + "\r\n";
    for (const QByteArray& header : reply.headers) {
        head += header + "\r\n";
    }
    QByteArray body = reply.body;
    switch (reply.framing) {
    case Framing::Length:
        head += "Content-Length: " + QByteArray::number(reply.body.size()) + "\r\n";
        break;
    case Framing::Chunked:
        head += "Transfer-Encoding: chunked\r\n";
        body = Chunked(reply.body);
        break;
    case Framing::UntilClose:
        break;
    }
    head += keepAlive ? "\r\n" : "Connection: close\r\n\r\n";
    socket->write(head);

    switch (reply.fault) {
    case Fault::None:
        socket->write(body);
        if (!keepAlive) {
            socket->disconnectFromHost();
        }
        break;
    case Fault::StallMidBody:
        socket->write(body.left(body.size() / 2));
        break;
    case Fault::CutMidBody:
        socket->write(body.left(body.size() / 2));
        socket->disconnectFromHost();
        break;
    case Fault::ResetMidBody:
        socket->write(body.left(body.size() / 2));
        WhenWritten(socket, [socket] { Reset(socket); });
        break;
    case Fault::Trickle: {
        auto* timer = new QTimer(socket);
        connect(timer, &QTimer::timeout, socket, [socket] { socket->write("x"); });
        timer->start(50);
        break;
    }
    case Fault::Silent:
        break;
    }
    return keepAlive;
}

QByteArray DataFile(const char* name) {
    QFile file(QStringLiteral(QUILLORA_TEST_DATA_DIR "/") + QString::fromUtf8(name));
    if (!file.open(QIODevice::ReadOnly)) {
        qFatal("missing test data file %s", name);
    }
    return file.readAll();
}

query::RateService ServiceOn(const LoopbackServer& server) {
    query::RateService service;
    service.prefix = server.ServicePrefix().toStdString();
    service.inactivityTimeout = std::chrono::milliseconds(300);
    service.deadline = std::chrono::milliseconds(1500);
    return service;
}

} // namespace quillora::testing
