// The built program as a person uses it: a real X server with a window
// manager, typing and clicking through xdotool, the result box read back
// through the clipboard, and the rate service played by a loopback HTTP proxy
// that the program reaches through http_proxy.

#include <QDir>
#include <QProcess>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>
#include <QtTest>

namespace {

// Answers every GET with a rate page: the first with one figure, the next
// with another, and records what it was asked.
class RatePageProxy final : public QObject {
public:
    RatePageProxy() {
        connect(&server_, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* socket = server_.nextPendingConnection()) {
                connect(socket, &QTcpSocket::readyRead, socket, [this, socket] { Read(socket); });
                connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            }
        });
        server_.listen(QHostAddress::LocalHost, 0);
    }

    quint16 Port() const { return server_.serverPort(); }
    const QList<QByteArray>& RequestLines() const { return lines_; }
    QList<QByteArray> figures{"14.52", "688.5"};

private:
    void Read(QTcpSocket* socket) {
        QByteArray& buffer = pending_[socket];
        buffer += socket->readAll();
        if (!buffer.contains("\r\n\r\n"))
            return;
        lines_ << buffer.left(buffer.indexOf("\r\n"));
        const QByteArray figure = figures.value(lines_.size() - 1, "0");
        const QByteArray body =
            "<html><script>var num2 = numFormat(" + figure + ");</script></html>";
        socket->write(
            "HTTP/1.1 200 OK\r\nContent-Type: text/html; charset=gbk\r\nContent-Length: " +
            QByteArray::number(body.size()) + "\r\nConnection: close\r\n\r\n" + body);
        socket->disconnectFromHost();
        pending_.remove(socket);
    }

    QTcpServer server_;
    QMap<QTcpSocket*, QByteArray> pending_;
    QList<QByteArray> lines_;
};

} // namespace

class EndToEndTest final : public QObject {
    Q_OBJECT

private:
    QProcess xvfb_;
    QProcess windowManager_;
    QString display_;

    QProcessEnvironment Environment() const {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("DISPLAY"), display_);
        env.remove(QStringLiteral("QT_QPA_PLATFORM"));
        env.remove(QStringLiteral("WAYLAND_DISPLAY"));
        return env;
    }

    // Runs a tool to its end while this thread's event loop keeps serving.
    QByteArray Tool(const QString& program, const QStringList& arguments, bool* ok = nullptr) {
        QProcess process;
        process.setProcessEnvironment(Environment());
        process.start(program, arguments);
        const bool finished =
            process.waitForStarted(5000) &&
            QTest::qWaitFor([&] { return process.state() == QProcess::NotRunning; }, 15000);
        if (!finished)
            process.kill();
        if (ok)
            *ok =
                finished && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
        return process.readAllStandardOutput().trimmed();
    }

    QString WindowUnderTest() {
        return QString::fromLatin1(Tool(QStringLiteral("xdotool"),
                                        {QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                                         QStringLiteral("--name"), QStringLiteral("^Quillora$")}))
            .section(QLatin1Char('\n'), 0, 0);
    }

    void ClickAt(const QString& window, int x, int y) {
        Tool(QStringLiteral("xdotool"),
             {QStringLiteral("mousemove"), QStringLiteral("--window"), window, QString::number(x),
              QString::number(y), QStringLiteral("click"), QStringLiteral("1")});
    }

    QString ResultBoxText(const QString& window) {
        // Select all in the result box and copy it, as a user would.
        ClickAt(window, 120, 150);
        Tool(QStringLiteral("xdotool"), {QStringLiteral("key"), QStringLiteral("--clearmodifiers"),
                                         QStringLiteral("ctrl+a"), QStringLiteral("ctrl+c")});
        return QString::fromUtf8(
            Tool(QStringLiteral("xclip"), {QStringLiteral("-o"), QStringLiteral("-selection"),
                                           QStringLiteral("clipboard")}));
    }

    bool ResultBoxShows(const QString& window, const QString& expected) {
        QString shown;
        const bool ok =
            QTest::qWaitFor([&] { return (shown = ResultBoxText(window)) == expected; }, 15000);
        if (!ok)
            qWarning("result box shows: %s", qPrintable(shown));
        return ok;
    }

private slots:
    void initTestCase() {
        for (const char* tool : {"Xvfb", "openbox", "xdotool", "xclip", "wmctrl", "import"}) {
            if (QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty())
                QFAIL(qPrintable(QStringLiteral("missing tool: %1").arg(QLatin1String(tool))));
        }
        // Xvfb picks a free display and tells us which through a pipe.
        xvfb_.setProcessChannelMode(QProcess::SeparateChannels);
        xvfb_.start(QStringLiteral("Xvfb"),
                    {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
                     QStringLiteral("0"), QStringLiteral("1366x768x24"),
                     QStringLiteral("-nolisten"), QStringLiteral("tcp")});
        QVERIFY(xvfb_.waitForStarted(5000));
        QTRY_VERIFY_WITH_TIMEOUT(xvfb_.canReadLine(), 15000);
        display_ = QStringLiteral(":") + QString::fromLatin1(xvfb_.readLine().trimmed());

        windowManager_.setProcessEnvironment(Environment());
        windowManager_.start(QStringLiteral("openbox"), {});
        QVERIFY(windowManager_.waitForStarted(5000));
        // Ready once the window manager has announced itself on the root window.
        QVERIFY(QTest::qWaitFor(
            [this] {
                return Tool(QStringLiteral("xprop"),
                            {QStringLiteral("-root"), QStringLiteral("_NET_SUPPORTING_WM_CHECK")})
                    .contains("window id");
            },
            10000));
    }

    void cleanupTestCase() {
        windowManager_.kill();
        windowManager_.waitForFinished(5000);
        xvfb_.terminate();
        if (!xvfb_.waitForFinished(5000))
            xvfb_.kill();
    }

    void queryTwiceAroundASwapThenClose() {
        RatePageProxy proxy;
        QVERIFY(proxy.Port() != 0);

        QProcess program;
        QProcessEnvironment env = Environment();
        env.insert(QStringLiteral("http_proxy"),
                   QStringLiteral("http://127.0.0.1:%1").arg(proxy.Port()));
        env.remove(QStringLiteral("no_proxy"));
        env.remove(QStringLiteral("NO_PROXY"));
        env.insert(QStringLiteral("LANG"), QStringLiteral("C.UTF-8"));
        program.setProcessEnvironment(env);
        program.start(QStringLiteral(QUILLORA_EXECUTABLE), {});
        QVERIFY(program.waitForStarted(5000));

        QString window;
        QVERIFY(QTest::qWaitFor([&] { return !(window = WindowUnderTest()).isEmpty(); }, 15000));
        // The focus starts in the amount box.
        Tool(QStringLiteral("xdotool"),
             {QStringLiteral("windowactivate"), QStringLiteral("--sync"), window});
        Tool(QStringLiteral("xdotool"), {QStringLiteral("type"), QStringLiteral("--delay"),
                                         QStringLiteral("20"), QStringLiteral("100")});

        ClickAt(window, 133 + 39, 85 + 10); // 取查询结果
        QTRY_COMPARE_WITH_TIMEOUT(proxy.RequestLines().size(), 1, 15000);
        QVERIFY(ResultBoxShows(window, QStringLiteral("100人民币元 = 14.52美元")));

        ClickAt(window, 66 + 24, 85 + 10);  // 互换
        ClickAt(window, 133 + 39, 85 + 10); // 取查询结果
        QTRY_COMPARE_WITH_TIMEOUT(proxy.RequestLines().size(), 2, 15000);
        QVERIFY(ResultBoxShows(window, QStringLiteral("100美元 = 688.5人民币元")));

        const QByteArray prefix = "GET http://open.baidu.com/huilv/s?tn=baiduhuilv&wd=100";
        // 人民币元 等于多少 美元, in GBK, percent-encoded.
        QCOMPARE(proxy.RequestLines().at(0),
                 prefix + "%C8%CB%C3%F1%B1%D2%D4%AA%B5%C8%D3%DA%B6%E0%C9%D9%C3%C0%D4%AA HTTP/1.1");
        QCOMPARE(proxy.RequestLines().at(1),
                 prefix + "%C3%C0%D4%AA%B5%C8%D3%DA%B6%E0%C9%D9%C8%CB%C3%F1%B1%D2%D4%AA HTTP/1.1");

        // What a user sees, kept in the build folder for anyone to look at.
        Tool(QStringLiteral("import"),
             {QStringLiteral("-window"), window,
              QDir::current().absoluteFilePath(QStringLiteral("quillora-window.png"))});

        // Close through the window manager, as the title bar's close button does.
        Tool(QStringLiteral("wmctrl"), {QStringLiteral("-c"), QStringLiteral("Quillora")});
        QTRY_VERIFY_WITH_TIMEOUT(program.state() == QProcess::NotRunning, 10000);
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.exitCode(), 0);
    }
};

QTEST_GUILESS_MAIN(EndToEndTest)
#include "tst_e2e.moc"
