// The query button as the user meets it: the real program's window, a press,
// and what the result box shows, with the service on a loopback server.

#include "app/program.h"
#include "loopback_server.h"
#include "query/query.h"
#include "shell/shell.h"
#include "shell/testing.h"
#include "support/running_program.h"
#include "window/main_form.h"

#include <QApplication>
#include <QComboBox>
#include <QCursor>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>
#include <cstdio>

using namespace quillora;
using quillora::testing::CannedReply;
using quillora::testing::DataFile;
using quillora::testing::LoopbackServer;
using quillora::testsupport::RunningProgram;

namespace {

constexpr char kCloseDuringQuery[] = "--close-during-query";

const QByteArray kPath = "/huilv/s";
const QString kFailureShown = QStringLiteral("处理错误.");
const QByteArray kUsdEncoded = "%C3%C0%D4%AA";
const QByteArray kCnyEncoded = "%C8%CB%C3%F1%B1%D2%D4%AA";
const QByteArray kEqualsHowMuchEncoded = "%B5%C8%D3%DA%B6%E0%C9%D9";

CannedReply Reply(const QByteArray& body, CannedReply::Fault fault = CannedReply::Fault::None) {
    CannedReply reply;
    reply.body = body;
    reply.fault = fault;
    return reply;
}

QByteArray RequestLine(const QByteArray& wd) {
    return "GET /huilv/s?tn=baiduhuilv&wd=" + wd + " HTTP/1.1";
}

// Decoders differ in how many replacement characters one bad sequence gives.
QString OneReplacementPerRun(QString text) {
    static const QRegularExpression run(QStringLiteral("\uFFFD+"));
    return text.replace(run, QStringLiteral("\uFFFD"));
}

void Flush(const char* line) {
    std::puts(line);
    std::fflush(stdout);
}

// Child mode: the real program with its real message loop, the service on a
// loopback server that sends half a reply and then holds the line. The window
// is closed while the query waits; the process must end at once, with status
// 0, and with nothing written to the closed window.
int RunCloseDuringQuery(int argc, char** argv) {
    QApplication application(argc, argv);
    app::SetUpApplication(application);
    LoopbackServer server;
    QByteArray half = DataFile("reply_figure.html");
    half += QByteArray(4096, ' ');
    server.Serve(kPath, Reply(half, CannedReply::Fault::StallMidBody));
    query::RateService service; // the production time limits: only the close can end it early
    service.prefix = server.ServicePrefix().toStdString();
    query::SetRateService(service);

    QObject::connect(&server, &LoopbackServer::requestReceived, [] {
        Flush("request received");
        QTimer::singleShot(0, [] { shell::testing::FindWindow(window::kMainWindow)->close(); });
    });
    QTimer::singleShot(0, [] {
        QWidget* window = shell::testing::FindWindow(window::kMainWindow);
        window->findChild<QPushButton*>(QStringLiteral("按钮_取查询结果"))->click();
        Flush(shell::WindowExists(window::kMainWindow) ? "handler returned, window open"
                                                       : "handler returned, window gone");
    });
    const int status = shell::StartProgram(app::QuilloraProgram());
    Flush("program ended");
    return status;
}

} // namespace

class TestQueryHandler final : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void pressShowsResult_data();
    void pressShowsResult();

    void everyPressReplacesTheResult();

    void busyCursorUntilWritten_data();
    void busyCursorUntilWritten();

    void closingDuringQueryEndsTheProgram();

private:
    void Choose(const QString& objectName, const QString& currency);
    void Press();

    std::unique_ptr<LoopbackServer> server_;
    std::unique_ptr<RunningProgram> program_;
    QLineEdit* amount_ = nullptr;
    QPlainTextEdit* result_ = nullptr;
};

void TestQueryHandler::init() {
    server_ = std::make_unique<LoopbackServer>();
    query::SetRateService(testing::ServiceOn(*server_));
    program_ = std::make_unique<RunningProgram>();
    amount_ = program_->Find<QLineEdit>(QStringLiteral("编辑框_值"));
    result_ = program_->Find<QPlainTextEdit>(QStringLiteral("编辑框_结果"));
    QVERIFY(amount_ && result_);
}

void TestQueryHandler::cleanup() {
    program_.reset();
    query::SetRateService(query::RateService{});
    server_.reset();
}

void TestQueryHandler::Choose(const QString& objectName, const QString& currency) {
    auto* list = program_->Find<QComboBox>(objectName);
    QVERIFY(list);
    const int index = list->findText(currency);
    QVERIFY2(index >= 0, qPrintable(currency));
    list->setCurrentIndex(index);
}

void TestQueryHandler::Press() {
    auto* button = program_->Find<QPushButton>(QStringLiteral("按钮_取查询结果"));
    QVERIFY(button);
    QTest::mouseClick(button, Qt::LeftButton);
}

void TestQueryHandler::pressShowsResult_data() {
    QTest::addColumn<QString>("amount");
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("target");
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QByteArray>("wd");
    QTest::addColumn<QString>("shown");

    const QByteArray figure = DataFile("reply_figure.html");
    QTest::newRow("figure") << "100"
                            << "美元"
                            << "人民币元" << figure
                            << "100" + kUsdEncoded + kEqualsHowMuchEncoded + kCnyEncoded
                            << "100美元 = 688.5人民币元";
    QTest::newRow("empty amount") << ""
                                  << "美元"
                                  << "人民币元" << figure
                                  << kUsdEncoded + kEqualsHowMuchEncoded + kCnyEncoded
                                  << "美元 = 688.5人民币元";
    // 欧元 and 日元
    QTest::newRow("delimiters typed into the amount")
        << "1 &#%+"
        << "欧元"
        << "日元" << figure
        << QByteArray("1%20%26%23%25%2B%C5%B7%D4%AA") + kEqualsHowMuchEncoded + "%C8%D5%D4%AA"
        << "1 &#%+欧元 = 688.5日元";
    QTest::newRow("no marker") << "100"
                               << "美元"
                               << "人民币元" << DataFile("reply_marker_other_case.html")
                               << "100" + kUsdEncoded + kEqualsHowMuchEncoded + kCnyEncoded
                               << kFailureShown;
    QTest::newRow("figure bytes that are not GBK")
        << "100"
        << "美元"
        << "人民币元" << DataFile("reply_figure_not_gbk.html")
        << "100" + kUsdEncoded + kEqualsHowMuchEncoded + kCnyEncoded << "100美元 = \uFFFD人民币元";
}

void TestQueryHandler::pressShowsResult() {
    QFETCH(QString, amount);
    QFETCH(QString, source);
    QFETCH(QString, target);
    QFETCH(QByteArray, body);
    QFETCH(QByteArray, wd);
    QFETCH(QString, shown);
    server_->Serve(kPath, Reply(body));
    amount_->clear();
    QTest::keyClicks(amount_, amount);
    Choose(QStringLiteral("组合框_源货币"), source);
    Choose(QStringLiteral("组合框_目标货币"), target);

    Press();

    QCOMPARE(server_->RequestLines(), QList<QByteArray>{RequestLine(wd)});
    QCOMPARE(OneReplacementPerRun(result_->toPlainText()), shown);
}

void TestQueryHandler::everyPressReplacesTheResult() {
    amount_->setText(QStringLiteral("100"));
    Choose(QStringLiteral("组合框_源货币"), QStringLiteral("美元"));
    Choose(QStringLiteral("组合框_目标货币"), QStringLiteral("人民币元"));

    server_->Serve(kPath, Reply(DataFile("reply_figure.html")));
    Press();
    QCOMPARE(result_->toPlainText(), QStringLiteral("100美元 = 688.5人民币元"));

    server_->Serve(kPath, Reply({}, CannedReply::Fault::Silent));
    Press();
    QCOMPARE(result_->toPlainText(), kFailureShown);

    server_->Serve(kPath, Reply(DataFile("reply_marker_twice.html")));
    Press();
    QCOMPARE(result_->toPlainText(), QStringLiteral("100美元 = 688.5人民币元"));

    const QByteArray line = RequestLine("100" + kUsdEncoded + kEqualsHowMuchEncoded + kCnyEncoded);
    QCOMPARE(server_->RequestLines(), (QList<QByteArray>{line, line, line}));
}

void TestQueryHandler::busyCursorUntilWritten_data() {
    QTest::addColumn<CannedReply>("reply");
    QTest::addColumn<QString>("shown");

    QTest::newRow("answered") << Reply(DataFile("reply_figure.html"))
                              << QStringLiteral("100美元 = 688.5人民币元");
    QTest::newRow("timed out") << Reply({}, CannedReply::Fault::Silent) << kFailureShown;
}

void TestQueryHandler::busyCursorUntilWritten() {
    QFETCH(CannedReply, reply);
    QFETCH(QString, shown);
    server_->Serve(kPath, reply);
    amount_->setText(QStringLiteral("100"));
    Choose(QStringLiteral("组合框_源货币"), QStringLiteral("美元"));
    Choose(QStringLiteral("组合框_目标货币"), QStringLiteral("人民币元"));
    const QString before = result_->toPlainText();

    // Seen from inside the wait, when the request reaches the service.
    int cursorWhileWaiting = -1;
    QString shownWhileWaiting;
    connect(server_.get(), &LoopbackServer::requestReceived, this, [&] {
        const QCursor* cursor = QGuiApplication::overrideCursor();
        cursorWhileWaiting = cursor ? cursor->shape() : -1;
        shownWhileWaiting = result_->toPlainText();
    });

    Press();

    QCOMPARE(cursorWhileWaiting, int(Qt::WaitCursor));
    QCOMPARE(shownWhileWaiting, before);
    QCOMPARE(QGuiApplication::overrideCursor(), nullptr);
    QCOMPARE(result_->toPlainText(), shown);
}

void TestQueryHandler::closingDuringQueryEndsTheProgram() {
    QProcess child;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    // The process ends right after aborting the request, and Qt's network
    // thread may then still hold the aborted request's objects: freed by the
    // exit, but reported as leaks in sanitizer builds. Only this child skips
    // the leak check; every other process keeps it.
    QString sanitizer = environment.value(QStringLiteral("ASAN_OPTIONS"));
    environment.insert(QStringLiteral("ASAN_OPTIONS"), sanitizer +
                                                           (sanitizer.isEmpty() ? "" : ":") +
                                                           QStringLiteral("detect_leaks=0"));
    child.setProcessEnvironment(environment);
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(QCoreApplication::applicationFilePath(), {QString::fromLatin1(kCloseDuringQuery)});
    QVERIFY(child.waitForStarted());

    // Far below the 15 s the stalled reply could otherwise hold the query.
    QVERIFY2(child.waitForFinished(10000), "the program did not end after its window was closed");

    const QByteArray output = child.readAllStandardOutput();
    QCOMPARE(child.exitStatus(), QProcess::NormalExit);
    QCOMPARE(child.exitCode(), 0);
    QCOMPARE(output, QByteArray("request received\n"
                                "handler returned, window gone\n"
                                "program ended\n"));
}

int main(int argc, char* argv[]) {
    if (argc > 1 && qstrcmp(argv[1], kCloseDuringQuery) == 0) {
        return RunCloseDuringQuery(argc, argv);
    }
    QApplication application(argc, argv);
    TestQueryHandler test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_query_handler.moc"
