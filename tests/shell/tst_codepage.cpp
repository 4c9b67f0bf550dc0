#include "shell/codepage.h"

#include <QByteArray>
#include <QString>
#include <QTest>

using namespace quillora;
using namespace quillora::shell;

namespace {

QByteArray Bytes(text::TextView text) {
    return QByteArray(text.data(), qsizetype(text.size()));
}

text::TextView View(const QByteArray& bytes) {
    return text::TextView(bytes.constData(), size_t(bytes.size()));
}

const QChar kReplacement = QChar::ReplacementCharacter;

} // namespace

class TestCodepage : public QObject {
    Q_OBJECT

private slots:
    void toUnicode_data();
    void toUnicode();
    void fromUnicode_data();
    void fromUnicode();
    void roundTrip_data();
    void roundTrip();
    void unfinishedCharacterDoesNotLeakIntoNextCall();
    void fromUtf8();
};

void TestCodepage::toUnicode_data() {
    QTest::addColumn<QByteArray>("gbk");
    QTest::addColumn<QString>("expected");

    QTest::newRow("empty") << QByteArray() << QString();
    QTest::newRow("ascii") << QByteArray("num2 = numFormat(688.5);")
                           << QStringLiteral("num2 = numFormat(688.5);");
    // 人民币元
    QTest::newRow("chinese") << QByteArray("\xc8\xcb\xc3\xf1\xb1\xd2\xd4\xaa")
                             << QStringLiteral("人民币元");
    // 100美元 = 688.5人民币元
    QTest::newRow("mixed") << QByteArray(
                                  "100\xc3\xc0\xd4\xaa = 688.5\xc8\xcb\xc3\xf1\xb1\xd2\xd4\xaa")
                           << QStringLiteral("100美元 = 688.5人民币元");
    // 亅 and 乗: trail bytes "|" and "\"
    QTest::newRow("ascii trail bytes")
        << QByteArray("\x81\x7c|\x81\x5c\\") << QStringLiteral("亅|乗\\");
    QTest::newRow("lead byte at the end")
        << QByteArray("a\x81") << (QStringLiteral("a") + kReplacement);
    QTest::newRow("lone lead byte") << QByteArray("\xb4") << QString(kReplacement);
    // A byte of 0x80 or above takes the next byte with it, as the text layer
    // reads it; a pair the code page cannot hold is one replacement and the
    // text after it comes through unshifted.
    QTest::newRow("lead byte before ascii") << QByteArray("\x81"
                                                          "0z")
                                            << (QString(kReplacement) + QStringLiteral("z"));
    QTest::newRow("invalid trail byte") << QByteArray("\x81\x7f"
                                                      "a")
                                        << (QString(kReplacement) + QStringLiteral("a"));
    // 0xFF 0xFE then 人民币元
    QTest::newRow("bytes outside the code page before valid text")
        << QByteArray("\xff\xfe\xc8\xcb\xc3\xf1\xb1\xd2\xd4\xaa")
        << (QString(kReplacement) + QStringLiteral("人民币元"));
    QTest::newRow("0x80 on its own before valid text")
        << QByteArray("\x80\x80\xc3\xc0") << (QString(kReplacement) + QStringLiteral("美"));
}

void TestCodepage::toUnicode() {
    QFETCH(QByteArray, gbk);
    QFETCH(QString, expected);

    QCOMPARE(codepage::ToUnicode(View(gbk)), expected);
}

void TestCodepage::fromUnicode_data() {
    QTest::addColumn<QString>("unicode");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("empty") << QString() << QByteArray();
    QTest::newRow("ascii") << QStringLiteral("100.5") << QByteArray("100.5");
    // 处理错误.
    QTest::newRow("chinese") << QStringLiteral("处理错误.")
                             << QByteArray("\xb4\xa6\xc0\xed\xb4\xed\xce\xf3.");
    QTest::newRow("korean") << QStringLiteral("a한b") << QByteArray("a?b");
    QTest::newRow("outside the BMP is one character")
        << QStringLiteral("x\U0001F600y") << QByteArray("x?y");
    QTest::newRow("replacement character") << QString(kReplacement) << QByteArray("?");
    QTest::newRow("lone high surrogate at the end")
        << (QStringLiteral("a") + QChar(0xd800)) << QByteArray("a?");
    QTest::newRow("lone low surrogate")
        << (QChar(0xdc00) + QStringLiteral("a")) << QByteArray("?a");
}

void TestCodepage::fromUnicode() {
    QFETCH(QString, unicode);
    QFETCH(QByteArray, expected);

    QCOMPARE(Bytes(codepage::FromUnicode(unicode)), expected);
}

void TestCodepage::roundTrip_data() {
    QTest::addColumn<QString>("unicode");

    QTest::newRow("catalogue names")
        << QStringLiteral("人民币元美元奥地利先令西班牙比塞塔葡萄牙埃斯库多强势玻利瓦尔南非兰特");
    QTest::newRow("result line") << QStringLiteral("100美元 = 688.5人民币元");
    QTest::newRow("error text") << QStringLiteral("运行时出错!\r\n\r\n错误代码：1");
    QTest::newRow("ascii trail bytes") << QStringLiteral("C:\\亅|乗\\q.exe");
}

void TestCodepage::roundTrip() {
    QFETCH(QString, unicode);

    const text::Text gbk = codepage::FromUnicode(unicode);
    QVERIFY(!Bytes(gbk).contains('?'));
    QCOMPARE(codepage::ToUnicode(gbk), unicode);
    QCOMPARE(codepage::FromUnicode(codepage::ToUnicode(gbk)), gbk);
}

// The converters are reused from call to call; half a character at the end of
// one text must not join the start of the next.
void TestCodepage::unfinishedCharacterDoesNotLeakIntoNextCall() {
    QCOMPARE(codepage::ToUnicode("\x81"), QString(kReplacement));
    // With 0x81 still pending this would read as 丂 (0x8140).
    QCOMPARE(codepage::ToUnicode("\x40"), QStringLiteral("@"));

    QCOMPARE(Bytes(codepage::FromUnicode(QString(QChar(0xd83d)))), QByteArray("?"));
    QCOMPARE(Bytes(codepage::FromUnicode(QString(QChar(0xde00)) + QStringLiteral("a"))),
             QByteArray("?a"));
}

void TestCodepage::fromUtf8() {
    // 美元
    QCOMPARE(Bytes(codepage::FromUtf8("美元")), QByteArray("\xc3\xc0\xd4\xaa"));
    QCOMPARE(Bytes(codepage::FromUtf8("")), QByteArray());
}

QTEST_APPLESS_MAIN(TestCodepage)
#include "tst_codepage.moc"
