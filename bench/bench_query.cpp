// Click-to-result time of the query button in the real program, against a
// loopback server (in its own thread) that answers at once. The program's own
// share is the whole time less the time the server held each request.

#include "app/program.h"
#include "query/query.h"
#include "shell/testing.h"
#include "window/main_form.h"

#include <QApplication>
#include <QLineEdit>
#include <QMutex>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <map>
#include <vector>

using namespace quillora;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int kWarmUp = 20;
constexpr int kQueries = 200;

// <script>var num2 = numFormat(688.5);</script>
const QByteArray kBody = "<html><body><script>var num2 = numFormat(688.5);</script></body></html>";

// Answers every request at once with a small page and records how long it
// held the request, from its last header byte to the reply handed to the
// kernel.
class InstantServer final : public QObject {
public:
    InstantServer() = default;
    InstantServer(const InstantServer&) = delete;
    InstantServer& operator=(const InstantServer&) = delete;

    quint16 Listen() {
        QObject::connect(&server_, &QTcpServer::newConnection, this, [this] { Accept(); });
        server_.listen(QHostAddress::LocalHost, 0);
        return server_.serverPort();
    }

    Clock::duration LastHold() {
        const QMutexLocker lock(&mutex_);
        return lastHold_;
    }

private:
    void Accept() {
        while (QTcpSocket* socket = server_.nextPendingConnection()) {
            QObject::connect(socket, &QTcpSocket::readyRead, this, [this, socket] {
                buffer_[socket] += socket->readAll();
                if (!buffer_[socket].contains("\r\n\r\n")) {
                    return;
                }
                const auto received = Clock::now();
                buffer_.erase(socket);
                socket->write("HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nContent-Length: " +
                              QByteArray::number(kBody.size()) + "\r\nConnection: close\r\n\r\n" +
                              kBody);
                socket->flush();
                const QMutexLocker lock(&mutex_);
                lastHold_ = Clock::now() - received;
                socket->disconnectFromHost();
            });
            QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        }
    }

    QTcpServer server_{this}; // a child, so it moves to the server thread too
    std::map<QTcpSocket*, QByteArray> buffer_;
    QMutex mutex_;
    Clock::duration lastHold_{};
};

double Milliseconds(Clock::duration duration) {
    return std::chrono::duration<double, std::milli>(duration).count();
}

double Median(std::vector<double> values) {
    std::nth_element(values.begin(), values.begin() + values.size() / 2, values.end());
    return values[values.size() / 2];
}

} // namespace

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    for (const char* name : {"http_proxy", "HTTP_PROXY", "all_proxy", "ALL_PROXY"}) {
        qunsetenv(name);
    }
    QApplication application(argc, argv);
    app::SetUpApplication(application);

    QThread serverThread;
    auto* server = new InstantServer;
    server->moveToThread(&serverThread);
    QObject::connect(&serverThread, &QThread::finished, server, &QObject::deleteLater);
    serverThread.start();
    quint16 port = 0;
    QMetaObject::invokeMethod(
        server, [server, &port] { port = server->Listen(); }, Qt::BlockingQueuedConnection);
    if (port == 0) {
        std::fprintf(stderr, "cannot listen on loopback\n");
        return 1;
    }

    query::RateService service;
    service.prefix = "http://127.0.0.1:" + std::to_string(port) + "/huilv/s?tn=baiduhuilv&wd=";
    query::SetRateService(service);

    shell::testing::LoadProgram(app::QuilloraProgram());
    QWidget* window = shell::testing::FindWindow(window::kMainWindow);
    auto* amount = window->findChild<QLineEdit*>(QStringLiteral("编辑框_值"));
    auto* button = window->findChild<QPushButton*>(QStringLiteral("按钮_取查询结果"));
    auto* result = window->findChild<QPlainTextEdit*>(QStringLiteral("编辑框_结果"));
    amount->setText(QStringLiteral("100"));

    std::vector<double> total;
    std::vector<double> own;
    for (int i = 0; i < kWarmUp + kQueries; ++i) {
        result->clear();
        const auto start = Clock::now();
        button->click();
        const auto elapsed = Clock::now() - start;
        if (!result->toPlainText().contains(QStringLiteral("688.5"))) {
            std::fprintf(stderr, "query %d failed: %s\n", i, qPrintable(result->toPlainText()));
            return 1;
        }
        if (i >= kWarmUp) {
            total.push_back(Milliseconds(elapsed));
            own.push_back(Milliseconds(elapsed - server->LastHold()));
        }
    }

    shell::testing::UnloadProgram();
    serverThread.quit();
    serverThread.wait();

    std::printf("click-to-result over %d queries (after %d warm-up), new connection each:\n",
                kQueries, kWarmUp);
    std::printf("  median total:          %.3f ms\n", Median(total));
    std::printf("  median program share:  %.3f ms (aim: under 5 ms)\n", Median(own));
    std::printf("  slowest program share: %.3f ms\n", *std::max_element(own.begin(), own.end()));
    return 0;
}
