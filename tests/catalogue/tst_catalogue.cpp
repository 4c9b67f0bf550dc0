// The built-in catalogue as bytes: its size before and after the quotes go,
// and the entries the lists and the query depend on.

#include "catalogue/catalogue.h"
#include "text/text.h"
#include "text/text_array.h"

#include <QTest>

using namespace quillora;

class TestCatalogue final : public QObject {
    Q_OBJECT

private slots:
    void isGbkOfTheExpectedSize();
    void entriesSplitIntoThreeFields();
    void isTheSameConstantEveryTime();
};

void TestCatalogue::isGbkOfTheExpectedSize() {
    const text::TextView catalogue = catalogue::CurrencyCatalogue();
    // 859 only holds when every Chinese character became two GBK bytes; UTF-8
    // left behind would be half as long again.
    QCOMPARE(catalogue.size(), std::size_t{859});
    QCOMPARE(text::DeleteCharacter(catalogue, '"').size(), std::size_t{777});
    QCOMPARE(catalogue.front(), '"');
    QCOMPARE(catalogue.back(), '"');
}

void TestCatalogue::entriesSplitIntoThreeFields() {
    const text::TextArray entries =
        text::Split(text::DeleteCharacter(catalogue::CurrencyCatalogue(), '"'), ",");
    QCOMPARE(entries.Count(), std::int64_t{41});

    // 人民币|CNY|人民币元
    QCOMPARE(entries.At(1),
             text::Text("\xc8\xcb\xc3\xf1\xb1\xd2|CNY|\xc8\xcb\xc3\xf1\xb1\xd2\xd4\xaa"));
    // 韩元|KER|韩元 - the code is carried as it always was, not corrected.
    QCOMPARE(entries.At(24), text::Text("\xba\xab\xd4\xaa|KER|\xba\xab\xd4\xaa"));

    for (std::int64_t i = 1; i <= entries.Count(); ++i) {
        const text::TextArray fields = text::Split(entries.At(i), "|");
        QVERIFY2(fields.Count() == 3, qPrintable(QStringLiteral("entry %1").arg(i)));
        QCOMPARE(fields.At(2).size(), std::size_t{3});
    }
}

void TestCatalogue::isTheSameConstantEveryTime() {
    // Converted once: later calls hand out the same bytes, not a new copy.
    QCOMPARE(catalogue::CurrencyCatalogue().data(), catalogue::CurrencyCatalogue().data());
}

QTEST_GUILESS_MAIN(TestCatalogue)
#include "tst_catalogue.moc"
