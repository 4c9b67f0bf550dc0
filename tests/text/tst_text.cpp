#include "text/runtime_error.h"
#include "text/text.h"
#include "text/text_array.h"

#include <QByteArray>
#include <QByteArrayList>
#include <QTest>
#include <random>

using namespace quillora::text;

namespace {

QByteArray Bytes(TextView text) {
    return QByteArray(text.data(), qsizetype(text.size()));
}

TextView View(const QByteArray& bytes) {
    return TextView(bytes.constData(), size_t(bytes.size()));
}

QByteArrayList Members(const TextArray& array) {
    QByteArrayList members;
    for (std::int64_t i = 1; i <= array.Count(); ++i) {
        members.append(Bytes(array.At(i)));
    }
    return members;
}

// Two GBK characters whose trail byte is an ASCII delimiter.
// 亅: trail byte "|"
const QByteArray kTrailBar("\x81\x7c");
// 乗: trail byte "\"
const QByteArray kTrailBackslash("\x81\x5c");

// The search as a plain character-by-character walk: the model the fast
// search has to agree with.
std::int64_t WalkingFind(TextView text, TextView sought, std::int64_t start) {
    if (start < 1) {
        start = 1;
    }
    if (std::uint64_t(start) > text.size()) {
        return -1;
    }
    for (std::size_t at = std::size_t(start - 1); at < text.size();) {
        if (text.substr(at).starts_with(sought)) {
            return std::int64_t(at) + 1;
        }
        if (IsLeadByte(static_cast<unsigned char>(text[at]))) {
            if (at + 1 >= text.size()) {
                return -1;
            }
            at += 2;
        } else {
            at += 1;
        }
    }
    return -1;
}

// Splitting and deleting by the same walk.
QByteArrayList WalkingSplit(TextView text, char delimiter) {
    QByteArrayList pieces;
    QByteArray piece;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t width =
            IsLeadByte(static_cast<unsigned char>(text[at])) && at + 1 < text.size() ? 2 : 1;
        if (width == 1 && text[at] == delimiter) {
            pieces.append(piece);
            piece.clear();
        } else {
            piece.append(text.data() + at, qsizetype(width));
        }
        at += width;
    }
    if (!piece.isEmpty()) {
        pieces.append(piece);
    }
    return pieces;
}

QByteArray WalkingDelete(TextView text, char ch) {
    QByteArray kept;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t width =
            IsLeadByte(static_cast<unsigned char>(text[at])) && at + 1 < text.size() ? 2 : 1;
        if (width == 2 || text[at] != ch) {
            kept.append(text.data() + at, qsizetype(width));
        }
        at += width;
    }
    return kept;
}

// Random texts made of runs of high bytes (as in Chinese text, up to a few
// hundred bytes long) broken by a few ASCII bytes that are also valid trail
// bytes, so that every candidate a raw byte search finds may or may not begin
// a character.
std::string RandomText(std::mt19937& random, int maxRun) {
    static const char high[] = {'\x81', '\xb4', '\xfe'};
    static const char low[] = {'|', '\\', ';', 'a'};
    std::string text;
    const int segments = int(random() % 5);
    for (int segment = 0; segment < segments; ++segment) {
        const int run = int(random() % (maxRun + 1));
        for (int i = 0; i < run; ++i) {
            text += high[random() % sizeof high];
        }
        const int lows = int(random() % 3);
        for (int i = 0; i < lows; ++i) {
            text += low[random() % sizeof low];
        }
    }
    return text;
}

std::string RandomSought(std::mt19937& random) {
    static const char alphabet[] = {'|', '\\', ';', 'a', '\x81', '\xb4', '\xfe'};
    std::string sought;
    const int length = 1 + int(random() % 3);
    for (int i = 0; i < length; ++i) {
        sought += alphabet[random() % sizeof alphabet];
    }
    return sought;
}

QString Hex(TextView bytes) {
    return QString::fromLatin1(Bytes(bytes).toHex());
}

} // namespace

class TestText : public QObject {
    Q_OBJECT

private slots:
    void find_data();
    void find();
    void scansAgreeWithCharacterWalk_data();
    void scansAgreeWithCharacterWalk();
    void slice_data();
    void slice();
    void split_data();
    void split();
    void deleteCharacter_data();
    void deleteCharacter();
    void join();
    void compare_data();
    void compare();
    void fromByteSet_data();
    void fromByteSet();
};

void TestText::find_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("sought");
    QTest::addColumn<qint64>("start");
    QTest::addColumn<qint64>("expected");

    QTest::newRow("ascii") << QByteArray("abc|def") << QByteArray("|") << qint64(1) << qint64(4);
    QTest::newRow("start 0 means first byte")
        << QByteArray("abc|def") << QByteArray("|") << qint64(0) << qint64(4);
    QTest::newRow("negative start means first byte")
        << QByteArray("|bc") << QByteArray("|") << qint64(-5) << qint64(1);
    QTest::newRow("start inside, position counts from text start")
        << QByteArray("a|b|c") << QByteArray("|") << qint64(3) << qint64(4);
    QTest::newRow("start on the match")
        << QByteArray("a|b|c") << QByteArray("|") << qint64(2) << qint64(2);
    QTest::newRow("start on last byte")
        << QByteArray("abc") << QByteArray("c") << qint64(3) << qint64(3);
    QTest::newRow("start past last byte")
        << QByteArray("abc") << QByteArray("c") << qint64(4) << qint64(-1);
    QTest::newRow("start far past last byte")
        << QByteArray("abc") << QByteArray("a") << qint64(1000) << qint64(-1);
    QTest::newRow("empty text") << QByteArray() << QByteArray("a") << qint64(1) << qint64(-1);
    QTest::newRow("sought longer than text")
        << QByteArray("ab") << QByteArray("abc") << qint64(1) << qint64(-1);
    QTest::newRow("case matters") << QByteArray("NUM2 = numformat(")
                                  << QByteArray("num2 = numFormat(") << qint64(1) << qint64(-1);
    QTest::newRow("first of two") << QByteArray("x);y);") << QByteArray(");") << qint64(1)
                                  << qint64(2);
    QTest::newRow("empty sought matches at start")
        << QByteArray("abc") << QByteArray() << qint64(2) << qint64(2);
    QTest::newRow("empty sought past end")
        << QByteArray("abc") << QByteArray() << qint64(4) << qint64(-1);

    QTest::newRow("bar as trail byte is skipped")
        << (kTrailBar + "|") << QByteArray("|") << qint64(1) << qint64(3);
    QTest::newRow("bar only as trail byte")
        << (QByteArray("ab") + kTrailBar) << QByteArray("|") << qint64(1) << qint64(-1);
    QTest::newRow("backslash as trail byte is skipped")
        << (QByteArray("C:") + kTrailBackslash + "\\x") << QByteArray("\\") << qint64(1)
        << qint64(5);
    QTest::newRow("trail byte then marker")
        << (kTrailBar + "|;") << QByteArray("|;") << qint64(1) << qint64(3);
    // Three high bytes: the first two pair up, the third takes the "|".
    QTest::newRow("odd run of high bytes")
        << QByteArray("\x81\x81\x81|") << QByteArray("|") << qint64(1) << qint64(-1);
    QTest::newRow("even run of high bytes")
        << QByteArray("\x81\x81|") << QByteArray("|") << qint64(1) << qint64(3);
    // The lead byte takes the marker's first letter, so the marker is not seen.
    QTest::newRow("lead byte swallows marker start")
        << QByteArray("\xb4num2 = numFormat(1);") << QByteArray("num2 = numFormat(") << qint64(1)
        << qint64(-1);
    QTest::newRow("double-byte character before marker")
        << QByteArray("\xb4\xa6num2") << QByteArray("num2") << qint64(1) << qint64(3);
    // 美元: "\xc0\xd4" straddles the two characters.
    QTest::newRow("no match across characters")
        << QByteArray("\xc3\xc0\xd4\xaa") << QByteArray("\xc0\xd4") << qint64(1) << qint64(-1);
    // 美元人民币元, seeking 人民币元
    QTest::newRow("chinese sought")
        << QByteArray("\xc3\xc0\xd4\xaa\xc8\xcb\xc3\xf1\xb1\xd2\xd4\xaa")
        << QByteArray("\xc8\xcb\xc3\xf1\xb1\xd2\xd4\xaa") << qint64(1) << qint64(5);
    QTest::newRow("lead byte as last byte ends search")
        << QByteArray("ab\x81") << QByteArray("x") << qint64(1) << qint64(-1);
    QTest::newRow("lead byte as last byte still compared")
        << QByteArray("ab\x81") << QByteArray("\x81") << qint64(1) << qint64(3);
    // Characters are counted from the start given, so a start on a trail
    // byte makes that byte begin a character.
    QTest::newRow("start on a trail byte")
        << (kTrailBar + "|") << QByteArray("|") << qint64(2) << qint64(2);
    QTest::newRow("start after trail byte")
        << (QByteArray("|") + kTrailBar + "|") << QByteArray("|") << qint64(2) << qint64(4);
}

void TestText::find() {
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, sought);
    QFETCH(qint64, start);
    QFETCH(qint64, expected);

    QCOMPARE(Find(View(text), View(sought), start), expected);
}

// The scans jump ahead with a raw byte search and work out character
// boundaries afterwards, looking back over long runs of high bytes in blocks;
// they must agree with a plain walk through the characters.
void TestText::scansAgreeWithCharacterWalk_data() {
    QTest::addColumn<int>("maxRun");
    QTest::addColumn<int>("rounds");

    QTest::newRow("short runs") << 4 << 30000;
    QTest::newRow("long runs") << 400 << 3000;
}

void TestText::scansAgreeWithCharacterWalk() {
    QFETCH(int, maxRun);
    QFETCH(int, rounds);

    std::mt19937 random(20240611);
    for (int round = 0; round < rounds; ++round) {
        const std::string text = RandomText(random, maxRun);
        const std::string sought = RandomSought(random);
        const std::int64_t start = std::int64_t(random() % (text.size() + 4)) - 1;
        const std::int64_t found = Find(text, sought, start);
        const std::int64_t expected = WalkingFind(text, sought, start);
        if (found != expected) {
            QFAIL(qPrintable(QStringLiteral("Find(%1, %2, %3) gave %4, expected %5")
                                 .arg(Hex(text), Hex(sought))
                                 .arg(start)
                                 .arg(found)
                                 .arg(expected)));
        }
        // Delimiters and deleted characters are single-byte characters.
        const char ch = sought.front();
        if (IsLeadByte(static_cast<unsigned char>(ch))) {
            continue;
        }
        if (Members(Split(text, TextView(&ch, 1))) != WalkingSplit(text, ch)) {
            QFAIL(qPrintable(QStringLiteral("Split(%1, %2) differs").arg(Hex(text), Hex(sought))));
        }
        if (Bytes(DeleteCharacter(text, ch)) != WalkingDelete(text, ch)) {
            QFAIL(qPrintable(
                QStringLiteral("DeleteCharacter(%1, %2) differs").arg(Hex(text), Hex(sought))));
        }
    }
}

void TestText::slice_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<qint64>("start");
    QTest::addColumn<qint64>("count");
    QTest::addColumn<QByteArray>("expected");

    const QByteArray text("abcdef");
    QTest::newRow("whole") << text << qint64(1) << qint64(6) << text;
    QTest::newRow("middle") << text << qint64(2) << qint64(3) << QByteArray("bcd");
    QTest::newRow("count past end") << text << qint64(5) << qint64(10) << QByteArray("ef");
    QTest::newRow("huge count") << text << qint64(1) << (qint64(1) << 62) << text;
    QTest::newRow("last byte") << text << qint64(6) << qint64(1) << QByteArray("f");
    QTest::newRow("start 0") << text << qint64(0) << qint64(2) << QByteArray();
    QTest::newRow("start negative") << text << qint64(-3) << qint64(5) << QByteArray();
    QTest::newRow("start past end") << text << qint64(7) << qint64(1) << QByteArray();
    QTest::newRow("count 0") << text << qint64(1) << qint64(0) << QByteArray();
    QTest::newRow("count negative") << text << qint64(2) << qint64(-4) << QByteArray();
    QTest::newRow("empty text") << QByteArray() << qint64(1) << qint64(1) << QByteArray();
    // Slices count bytes and may cut a character in two: 美元 from byte 2.
    QTest::newRow("bytes, not characters")
        << QByteArray("\xc3\xc0\xd4\xaa") << qint64(2) << qint64(2) << QByteArray("\xc0\xd4");
}

void TestText::slice() {
    QFETCH(QByteArray, text);
    QFETCH(qint64, start);
    QFETCH(qint64, count);
    QFETCH(QByteArray, expected);

    QCOMPARE(Bytes(Slice(View(text), start, count)), expected);
}

void TestText::split_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("delimiter");
    QTest::addColumn<QByteArrayList>("expected");

    QTest::newRow("empty text") << QByteArray() << QByteArray(",") << QByteArrayList();
    QTest::newRow("no delimiter") << QByteArray("abc") << QByteArray(",") << QByteArrayList{"abc"};
    QTest::newRow("plain") << QByteArray("a,b,c") << QByteArray(",")
                           << QByteArrayList{"a", "b", "c"};
    QTest::newRow("ends with delimiter")
        << QByteArray("a,b,") << QByteArray(",") << QByteArrayList{"a", "b"};
    QTest::newRow("leading delimiter")
        << QByteArray(",a") << QByteArray(",") << QByteArrayList{"", "a"};
    QTest::newRow("adjacent delimiters")
        << QByteArray("a,,b") << QByteArray(",") << QByteArrayList{"a", "", "b"};
    QTest::newRow("delimiter only") << QByteArray(",") << QByteArray(",") << QByteArrayList{""};
    QTest::newRow("two delimiters only")
        << QByteArray(",,") << QByteArray(",") << QByteArrayList{"", ""};
    QTest::newRow("empty middle field")
        << QByteArray("a||c") << QByteArray("|") << QByteArrayList{"a", "", "c"};
    QTest::newRow("two fields, trailing bar")
        << QByteArray("a|b|") << QByteArray("|") << QByteArrayList{"a", "b"};
    // 人民币|CNY|人民币元
    QTest::newRow("catalogue entry")
        << QByteArray("\xc8\xcb\xc3\xf1\xb1\xd2|CNY|\xc8\xcb\xc3\xf1\xb1\xd2\xd4\xaa")
        << QByteArray("|")
        << QByteArrayList{"\xc8\xcb\xc3\xf1\xb1\xd2", "CNY", "\xc8\xcb\xc3\xf1\xb1\xd2\xd4\xaa"};
    QTest::newRow("bar as trail byte stays in piece")
        << (QByteArray("x|") + kTrailBar + "|y") << QByteArray("|")
        << QByteArrayList{"x", kTrailBar, "y"};
    QTest::newRow("backslash as trail byte stays in piece")
        << (QByteArray("C:\\") + kTrailBackslash + "\\q.exe") << QByteArray("\\")
        << QByteArrayList{"C:", kTrailBackslash, "q.exe"};
    QTest::newRow("lead byte last")
        << QByteArray("a|\x81") << QByteArray("|") << QByteArrayList{"a", "\x81"};
    QTest::newRow("lead byte takes the last delimiter")
        << QByteArray("a|\x81|") << QByteArray("|") << QByteArrayList{"a", "\x81|"};
    QTest::newRow("multi-byte delimiter")
        << QByteArray("1 = 2 = ") << QByteArray(" = ") << QByteArrayList{"1", "2"};
    QTest::newRow("empty delimiter separates nothing")
        << QByteArray("ab") << QByteArray() << QByteArrayList{"ab"};
}

void TestText::split() {
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, delimiter);
    QFETCH(QByteArrayList, expected);

    const TextArray pieces = Split(View(text), View(delimiter));
    QCOMPARE(pieces.Count(), qint64(expected.size()));
    QCOMPARE(Members(pieces), expected);
}

void TestText::deleteCharacter_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<char>("ch");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("quotes") << QByteArray("\"a|b\",\"c\"") << '"' << QByteArray("a|b,c");
    QTest::newRow("empty") << QByteArray() << '"' << QByteArray();
    QTest::newRow("only quotes") << QByteArray("\"\"\"") << '"' << QByteArray();
    QTest::newRow("none present") << QByteArray("abc") << '"' << QByteArray("abc");
    QTest::newRow("bar as trail byte kept")
        << (QByteArray("|") + kTrailBar + "|") << '|' << kTrailBar;
    QTest::newRow("backslash as trail byte kept") << (kTrailBackslash + "\\" + kTrailBackslash)
                                                  << '\\' << (kTrailBackslash + kTrailBackslash);
    QTest::newRow("lead byte last") << QByteArray("|a|\x81") << '|' << QByteArray("a\x81");
    QTest::newRow("lead byte takes a quote") << QByteArray("\x81\"") << '"' << QByteArray("\x81\"");
}

void TestText::deleteCharacter() {
    QFETCH(QByteArray, text);
    QFETCH(char, ch);
    QFETCH(QByteArray, expected);

    QCOMPARE(Bytes(DeleteCharacter(View(text), ch)), expected);
}

void TestText::join() {
    QCOMPARE(Bytes(Join({})), QByteArray());
    QCOMPARE(Bytes(Join({"", "", ""})), QByteArray());
    // 100美元 = 688.5人民币元
    QCOMPARE(Bytes(Join(
                 {"100", "\xc3\xc0\xd4\xaa", " = ", "688.5", "\xc8\xcb\xc3\xf1\xb1\xd2\xd4\xaa"})),
             QByteArray("100\xc3\xc0\xd4\xaa = 688.5\xc8\xcb\xc3\xf1\xb1\xd2\xd4\xaa"));
    QCOMPARE(Bytes(Join({"", "\xc3\xc0\xd4\xaa", " = ", ""})), QByteArray("\xc3\xc0\xd4\xaa = "));
}

void TestText::compare_data() {
    QTest::addColumn<QByteArray>("a");
    QTest::addColumn<QByteArray>("b");
    QTest::addColumn<int>("sign");

    QTest::newRow("both empty") << QByteArray() << QByteArray() << 0;
    QTest::newRow("empty below non-empty") << QByteArray() << QByteArray("a") << -1;
    QTest::newRow("non-empty above empty") << QByteArray("\x01") << QByteArray() << 1;
    QTest::newRow("equal") << QByteArray("\xb4\xa6") << QByteArray("\xb4\xa6") << 0;
    QTest::newRow("prefix below") << QByteArray("ab") << QByteArray("abc") << -1;
    QTest::newRow("first difference decides") << QByteArray("b") << QByteArray("abc") << 1;
    QTest::newRow("bytes are unsigned") << QByteArray("\x80") << QByteArray("\x7f") << 1;
    QTest::newRow("case matters") << QByteArray("A") << QByteArray("a") << -1;
}

void TestText::compare() {
    QFETCH(QByteArray, a);
    QFETCH(QByteArray, b);
    QFETCH(int, sign);

    QCOMPARE(Compare(View(a), View(b)), sign);
    QCOMPARE(Compare(View(b), View(a)), -sign);
    QCOMPARE(Equal(View(a), View(b)), sign == 0);
}

void TestText::fromByteSet_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("empty") << QByteArray() << QByteArray();
    QTest::newRow("all kept") << QByteArray("a\x81\x7cz") << QByteArray("a\x81\x7cz");
    QTest::newRow("stops at zero") << QByteArray("ab\0cd", 5) << QByteArray("ab");
    QTest::newRow("zero first") << QByteArray("\0cd", 3) << QByteArray();
}

void TestText::fromByteSet() {
    QFETCH(QByteArray, bytes);
    QFETCH(QByteArray, expected);

    const ByteSet set(bytes.begin(), bytes.end());
    QCOMPARE(Bytes(FromByteSet(set)), expected);
}

QTEST_APPLESS_MAIN(TestText)
#include "tst_text.moc"
