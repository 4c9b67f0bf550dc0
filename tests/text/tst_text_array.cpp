#include "text/runtime_error.h"
#include "text/text.h"
#include "text/text_array.h"

#include <QByteArray>
#include <QTest>

using namespace quillora::text;

namespace {

QByteArray Bytes(TextView text) {
    return QByteArray(text.data(), qsizetype(text.size()));
}

// 数组成员引用下标超出定义范围
const QByteArray kAboveCount("\xca\xfd\xd7\xe9\xb3\xc9\xd4\xb1\xd2\xfd\xd3\xc3\xcf\xc2\xb1\xea"
                             "\xb3\xac\xb3\xf6\xb6\xa8\xd2\xe5\xb7\xb6\xce\xa7");
// 数组成员引用下标必须大于等于1
const QByteArray kBelowOne("\xca\xfd\xd7\xe9\xb3\xc9\xd4\xb1\xd2\xfd\xd3\xc3\xcf\xc2\xb1\xea"
                           "\xb1\xd8\xd0\xeb\xb4\xf3\xd3\xda\xb5\xc8\xd3\xda"
                           "1");

} // namespace

class TestTextArray : public QObject {
    Q_OBJECT

private slots:
    void at_data();
    void at();
    void outOfMemory_data();
    void outOfMemory();
};

void TestTextArray::at_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<qint64>("index");
    QTest::addColumn<QByteArray>("member");
    // 0 when the access succeeds.
    QTest::addColumn<int>("code");
    QTest::addColumn<QByteArray>("message");

    const QByteArray three("a,b,c");
    QTest::newRow("first") << three << qint64(1) << QByteArray("a") << 0 << QByteArray();
    QTest::newRow("last") << three << qint64(3) << QByteArray("c") << 0 << QByteArray();
    QTest::newRow("zero") << three << qint64(0) << QByteArray() << 4 << kBelowOne;
    QTest::newRow("negative") << three << qint64(-1) << QByteArray() << 4 << kBelowOne;
    QTest::newRow("count + 1") << three << qint64(4) << QByteArray() << 1 << kAboveCount;
    QTest::newRow("far above") << three << (qint64(1) << 40) << QByteArray() << 1 << kAboveCount;
    QTest::newRow("empty member") << QByteArray(",x") << qint64(1) << QByteArray() << 0
                                  << QByteArray();
    // The lower bound is checked first.
    QTest::newRow("empty array, zero")
        << QByteArray() << qint64(0) << QByteArray() << 4 << kBelowOne;
    QTest::newRow("empty array, one")
        << QByteArray() << qint64(1) << QByteArray() << 1 << kAboveCount;
}

void TestTextArray::at() {
    QFETCH(QByteArray, text);
    QFETCH(qint64, index);
    QFETCH(QByteArray, member);
    QFETCH(int, code);
    QFETCH(QByteArray, message);

    const TextArray array = Split(TextView(text.constData(), size_t(text.size())), ",");
    try {
        const Text& got = array.At(index);
        QCOMPARE(code, 0);
        QCOMPARE(Bytes(got), member);
    } catch (const RuntimeError& error) {
        QCOMPARE(error.Code(), code);
        QCOMPARE(Bytes(error.Message()), message);
    }
}

void TestTextArray::outOfMemory_data() {
    QTest::addColumn<quint64>("bytes");
    QTest::addColumn<QByteArray>("message");

    // 分配 <n> 字节内存失败!
    const QByteArray head("\xb7\xd6\xc5\xe4 ");
    const QByteArray tail(" \xd7\xd6\xbd\xda\xc4\xda\xb4\xe6\xca\xa7\xb0\xdc!");
    QTest::newRow("zero") << quint64(0) << head + "0" + tail;
    QTest::newRow("catalogue size") << quint64(778) << head + "778" + tail;
    QTest::newRow("beyond 32 bits") << quint64(4294967296ULL) << head + "4294967296" + tail;
    QTest::newRow("largest") << quint64(18446744073709551615ULL)
                             << head + "18446744073709551615" + tail;
}

void TestTextArray::outOfMemory() {
    QFETCH(quint64, bytes);
    QFETCH(QByteArray, message);

    const RuntimeError error = OutOfMemory(bytes);
    QCOMPARE(Bytes(error.Message()), message);
    QCOMPARE(error.Code(), 0);
}

QTEST_APPLESS_MAIN(TestTextArray)
#include "tst_text_array.moc"
