// The rate query from the wire up: what the service is asked, what a reply
// turns into, and how each way an exchange can fail ends. The real fetch code
// talks to a loopback server through the service seam.

#include "loopback_server.h"
#include "query/query.h"

#include <QTcpServer>
#include <QTest>
#include <QTimer>

using namespace quillora;
using quillora::testing::CannedReply;
using quillora::testing::DataFile;
using quillora::testing::LoopbackServer;

namespace {

// 美元
const QByteArray kUsd = "\xc3\xc0\xd4\xaa";
// 人民币元
const QByteArray kCny = "\xc8\xcb\xc3\xf1\xb1\xd2\xd4\xaa";
// 等于多少, percent-encoded
const QByteArray kEqualsHowMuchEncoded = "%B5%C8%D3%DA%B6%E0%C9%D9";
const QByteArray kUsdEncoded = "%C3%C0%D4%AA";
const QByteArray kCnyEncoded = "%C8%CB%C3%F1%B1%D2%D4%AA";
const QByteArray kPath = "/huilv/s";
const QByteArray kFailure(query::kFailureText.data(), query::kFailureText.size());

// What the box shows for 100 美元 -> 人民币元 with this figure.
QByteArray Line(const QByteArray& figure) {
    return "100" + kUsd + " = " + figure + kCny;
}

text::TextView View(const QByteArray& bytes) {
    return text::TextView(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

QByteArray Bytes(const text::Text& text) {
    return QByteArray(text.data(), static_cast<qsizetype>(text.size()));
}

CannedReply Reply(const QByteArray& body, const QByteArray& status = "200 OK",
                  CannedReply::Framing framing = CannedReply::Framing::Length,
                  CannedReply::Fault fault = CannedReply::Fault::None) {
    CannedReply reply;
    reply.status = status;
    reply.body = body;
    reply.framing = framing;
    reply.fault = fault;
    return reply;
}

// The reply with its body sent deflate-encoded, as a real server may.
CannedReply Deflated(CannedReply reply) {
    reply.body = qCompress(reply.body).mid(4); // a zlib stream without Qt's length prefix
    reply.headers.append("Content-Encoding: deflate");
    return reply;
}

// A figure page padded out, so half of it still holds the whole figure.
QByteArray PaddedFigurePage(qsizetype size) {
    QByteArray body = DataFile("reply_figure.html");
    body += QByteArray(size - body.size(), ' ');
    return body;
}

} // namespace

class TestRateQuery final : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void cleanupTestCase();

    void asksTheService_data();
    void asksTheService();

    void showsReply_data();
    void showsReply();

    void failedExchange_data();
    void failedExchange();

    void eachQueryStartsAfresh();

private:
    // Runs QueryRate for 100 美元 -> 人民币元. Ends the test run if the query
    // has not returned after 10 s: ample for the shortened time limits, too
    // short for the production ones, so a limit that is not applied shows.
    QByteArray Query();

    std::unique_ptr<LoopbackServer> server_;
};

void TestRateQuery::init() {
    server_ = std::make_unique<LoopbackServer>();
    query::SetRateService(testing::ServiceOn(*server_));
}

void TestRateQuery::cleanupTestCase() {
    // Qt's network thread tears aborted requests down after the fact. One
    // whole exchange at the end goes through that thread behind every
    // teardown queued before it, so none is still pending when the process
    // ends and the leak check runs.
    init();
    server_->Serve(kPath, Reply(DataFile("reply_figure.html")));
    QVERIFY(!Query().isEmpty());
    cleanup();
}

void TestRateQuery::cleanup() {
    query::SetRateService(query::RateService{});
    server_.reset();
}

QByteArray TestRateQuery::Query() {
    const QString row = QString::fromUtf8(QTest::currentDataTag());
    QTimer watchdog;
    watchdog.setSingleShot(true);
    connect(&watchdog, &QTimer::timeout,
            [row] { qFatal("query for row '%s' did not return in time", qPrintable(row)); });
    watchdog.start(10000);
    return Bytes(query::QueryRate("100", View(kUsd), View(kCny)));
}

void TestRateQuery::asksTheService_data() {
    QTest::addColumn<QByteArray>("amount");
    QTest::addColumn<QByteArray>("source");
    QTest::addColumn<QByteArray>("target");
    QTest::addColumn<QByteArray>("wd");

    QTest::newRow("names") << QByteArray("100") << kUsd << kCny
                           << "100" + kUsdEncoded + kEqualsHowMuchEncoded + kCnyEncoded;
    QTest::newRow("space, ampersand, number sign")
        << QByteArray("100 &#") << kUsd << kCny
        << "100%20%26%23" + kUsdEncoded + kEqualsHowMuchEncoded + kCnyEncoded;
    QTest::newRow("percent and plus")
        << QByteArray("1%2B+3") << kUsd << kCny
        << "1%252B%2B3" + kUsdEncoded + kEqualsHowMuchEncoded + kCnyEncoded;
    QTest::newRow("other delimiters")
        << QByteArray("=/?;:@,") << kUsd << kCny
        << "%3D%2F%3F%3B%3A%40%2C" + kUsdEncoded + kEqualsHowMuchEncoded + kCnyEncoded;
    QTest::newRow("unreserved left as is")
        << QByteArray("aZ09-._~") << kUsd << kCny
        << "aZ09-._~" + kUsdEncoded + kEqualsHowMuchEncoded + kCnyEncoded;
    QTest::newRow("empty amount") << QByteArray() << kUsd << kCny
                                  << kUsdEncoded + kEqualsHowMuchEncoded + kCnyEncoded;
    QTest::newRow("same currency both sides")
        << QByteArray("5") << kUsd << kUsd
        << "5" + kUsdEncoded + kEqualsHowMuchEncoded + kUsdEncoded;
    // Escaping goes byte by byte: a trail byte that happens to be a letter
    // stays a letter, one that happens to be "|" is escaped.
    QTest::newRow("trail bytes in the ASCII range")
        << QByteArray("1") << QByteArray("\x81\x41\x81\x7c") << kCny
        << "1%81A%81%7C" + kEqualsHowMuchEncoded + kCnyEncoded;
    QTest::newRow("control and high bytes in the amount")
        << QByteArray("\t\x7f\xff") << kUsd << kCny
        << "%09%7F%FF" + kUsdEncoded + kEqualsHowMuchEncoded + kCnyEncoded;
}

void TestRateQuery::asksTheService() {
    QFETCH(QByteArray, amount);
    QFETCH(QByteArray, source);
    QFETCH(QByteArray, target);
    QFETCH(QByteArray, wd);
    server_->Serve(kPath, Reply(DataFile("reply_figure.html")));

    const text::Text reply =
        query::FetchRatePage(View(amount), View(source), View(target), query::CurrentRateService());

    QCOMPARE(server_->RequestLines(),
             QList<QByteArray>{"GET /huilv/s?tn=baiduhuilv&wd=" + wd + " HTTP/1.1"});
    QCOMPARE(Bytes(reply), DataFile("reply_figure.html"));
}

void TestRateQuery::showsReply_data() {
    using Framing = CannedReply::Framing;
    QTest::addColumn<CannedReply>("reply");
    QTest::addColumn<QByteArray>("expected");

    const QByteArray ok = "200 OK";
    const QByteArray figure = DataFile("reply_figure.html");
    QTest::newRow("marker with a figure") << Reply(figure) << Line("688.5");
    QTest::newRow("marker twice: the first one counts")
        << Reply(DataFile("reply_marker_twice.html")) << Line("688.5");
    QTest::newRow("figure taken verbatim")
        << Reply(DataFile("reply_figure_verbatim.html")) << Line(" \"6,88.5\" x");
    QTest::newRow("marker only in another letter case")
        << Reply(DataFile("reply_marker_other_case.html")) << kFailure;
    QTest::newRow("terminator right after the marker")
        << Reply(DataFile("reply_terminator_at_once.html")) << Line("");
    QTest::newRow("no terminator") << Reply(DataFile("reply_no_terminator.html")) << Line("");
    QTest::newRow("marker as the last bytes")
        << Reply(DataFile("reply_marker_at_end.html")) << Line("");
    QTest::newRow("marker right after a single lead byte")
        << Reply(DataFile("reply_marker_after_lead_byte.html")) << kFailure;
    QTest::newRow("marker right after a double-byte character")
        << Reply(DataFile("reply_marker_after_double_byte.html")) << Line("688.5");
    QTest::newRow("zero byte before the marker")
        << Reply(DataFile("reply_zero_before_marker.bin")) << kFailure;
    QTest::newRow("figure bytes that are not GBK")
        << Reply(DataFile("reply_figure_not_gbk.html")) << Line("\xff\xfe");
    QTest::newRow("error status with a figure")
        << Reply(figure, "500 Internal Server Error") << Line("688.5");
    QTest::newRow("not found with a figure") << Reply(figure, "404 Not Found") << Line("688.5");
    QTest::newRow("error status without a figure")
        << Reply("<html>busy</html>", "503 Service Unavailable") << kFailure;
    QTest::newRow("empty body") << Reply({}) << kFailure;
    QTest::newRow("chunked body") << Reply(figure, ok, Framing::Chunked) << Line("688.5");
    QTest::newRow("body until the connection closes")
        << Reply(figure, ok, Framing::UntilClose) << Line("688.5");
    QTest::newRow("compressed body") << Deflated(Reply(figure)) << Line("688.5");
    QTest::newRow("compressed error page")
        << Deflated(Reply(figure, "404 Not Found")) << Line("688.5");
}

void TestRateQuery::showsReply() {
    QFETCH(CannedReply, reply);
    QFETCH(QByteArray, expected);
    server_->Serve(kPath, reply);

    QCOMPARE(Query(), expected);
}

void TestRateQuery::failedExchange_data() {
    using Framing = CannedReply::Framing;
    using Fault = CannedReply::Fault;
    QTest::addColumn<CannedReply>("reply");
    QTest::addColumn<bool>("refused"); // aim at a port nobody listens on instead
    QTest::addColumn<QByteArray>("expected");

    const qsizetype limit = query::RateService{}.bodyLimit;
    const QByteArray padded = PaddedFigurePage(4096);
    const QByteArray ok = "200 OK";

    QTest::newRow("connection refused") << CannedReply{} << true << kFailure;
    // Not a failure: where the limit lies.
    QTest::newRow("body exactly at the limit")
        << Reply(PaddedFigurePage(limit)) << false << Line("688.5");
    QTest::newRow("body over the limit, length given")
        << Reply(PaddedFigurePage(limit + 1)) << false << kFailure;
    QTest::newRow("body over the limit, chunked")
        << Reply(PaddedFigurePage(limit + 1), ok, Framing::Chunked) << false << kFailure;
    QTest::newRow("body over the limit, until close")
        << Reply(PaddedFigurePage(limit + 1), ok, Framing::UntilClose) << false << kFailure;
    QTest::newRow("never answers")
        << Reply({}, ok, Framing::Length, Fault::Silent) << false << kFailure;
    QTest::newRow("stalls mid-body")
        << Reply(padded, ok, Framing::Length, Fault::StallMidBody) << false << kFailure;
    // Data keeps coming, so only the overall deadline can end it.
    QTest::newRow("trickles past the deadline")
        << Reply(QByteArray(1 << 20, 'x'), ok, Framing::Length, Fault::Trickle) << false
        << kFailure;
    QTest::newRow("closed mid-body")
        << Reply(padded, ok, Framing::Length, Fault::CutMidBody) << false << kFailure;
    QTest::newRow("closed mid-body after an error status")
        << Reply(padded, "404 Not Found", Framing::Length, Fault::CutMidBody) << false << kFailure;
    QTest::newRow("reset mid-body")
        << Reply(padded, ok, Framing::Length, Fault::ResetMidBody) << false << kFailure;
}

void TestRateQuery::failedExchange() {
    QFETCH(CannedReply, reply);
    QFETCH(bool, refused);
    QFETCH(QByteArray, expected);
    server_->Serve(kPath, reply);
    if (refused) {
        QTcpServer probe;
        QVERIFY(probe.listen(QHostAddress::LocalHost, 0));
        const quint16 port = probe.serverPort();
        probe.close();
        query::RateService service = query::CurrentRateService();
        service.prefix = "http://127.0.0.1:" + std::to_string(port) + "/huilv/s?tn=baiduhuilv&wd=";
        query::SetRateService(service);
    }

    QCOMPARE(Query(), expected);
}

void TestRateQuery::eachQueryStartsAfresh() {
    // The first reply tries to plant a cookie and redirects; the second query
    // must reach the service as a stranger and get its own answer.
    CannedReply redirect = Reply({}, "302 Found");
    // Following a redirect on a kept-alive connection, Qt now and then sends
    // the first request a second time; that is not what this test is about.
    redirect.close = true;
    redirect.headers = {"Location: " + server_->Url("/final?from=redirect"),
                        "Set-Cookie: session=first; Path=/"};
    CannedReply final = Reply(DataFile("reply_figure.html"));
    final.headers = {"Set-Cookie: figure=688; Path=/"};
    server_->Serve(kPath, redirect);
    server_->Serve("/final", final);
    QCOMPARE(Query(), Line("688.5"));

    server_->Serve(kPath, Reply(DataFile("reply_figure_verbatim.html")));
    QCOMPARE(Query(), Line(" \"6,88.5\" x"));

    const QByteArray wd = "100" + kUsdEncoded + kEqualsHowMuchEncoded + kCnyEncoded;
    QCOMPARE(server_->RequestLines(),
             (QList<QByteArray>{"GET /huilv/s?tn=baiduhuilv&wd=" + wd + " HTTP/1.1",
                                "GET /final?from=redirect HTTP/1.1",
                                "GET /huilv/s?tn=baiduhuilv&wd=" + wd + " HTTP/1.1"}));
    for (const QByteArray& headers : server_->RequestHeaders()) {
        QVERIFY2(!headers.toLower().contains("cookie:"), headers.constData());
    }
}

QTEST_GUILESS_MAIN(TestRateQuery)
#include "tst_rate_query.moc"
