// How FillCurrencyLists reads a catalogue, shown on catalogues of other
// content in a window of two bare drop-down lists, so every row starts from
// empty lists.

#include "catalogue/catalogue.h"
#include "shell/form.h"
#include "shell/shell.h"
#include "shell/testing.h"

#include <QComboBox>
#include <QTest>
#include <QWidget>

using namespace quillora;

namespace {

constexpr shell::WindowId kWindow = 0x52010077;
constexpr shell::ControlId kFrom = 0x16010071;
constexpr shell::ControlId kTo = 0x16010072;

const shell::ControlDescription kControls[] = {
    {"from", shell::ControlKind::DropDownList, kFrom, 10, 10, 130, 160, {}},
    {"to", shell::ControlKind::DropDownList, kTo, 10, 40, 130, 160, {}},
};
const shell::WindowDescription kWindows[] = {{kWindow, "lists", 255, 245, kControls}};
const shell::Program kProgram{kWindows, kWindow, {}};

QStringList Items(const QComboBox* list) {
    QStringList items;
    for (int i = 0; i < list->count(); ++i) {
        items << list->itemText(i);
    }
    return items;
}

} // namespace

class TestFillLists final : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void parsesEntries_data();
    void parsesEntries();

private:
    QComboBox* from_ = nullptr;
    QComboBox* to_ = nullptr;
};

void TestFillLists::init() {
    shell::testing::LoadProgram(kProgram);
    QWidget* window = shell::testing::FindWindow(kWindow);
    QVERIFY(window);
    from_ = window->findChild<QComboBox*>("from");
    to_ = window->findChild<QComboBox*>("to");
    QVERIFY(from_ && to_);
    QCOMPARE(from_->count(), 0);
    QCOMPARE(to_->count(), 0);
}

void TestFillLists::cleanup() {
    shell::testing::UnloadProgram();
    from_ = to_ = nullptr;
}

void TestFillLists::parsesEntries_data() {
    QTest::addColumn<QByteArray>("catalogue");
    QTest::addColumn<QStringList>("items");
    // Where the selections end up after the creation handler's two writes,
    // position 0 to the source list and then position 1 to the target list.
    QTest::addColumn<int>("sourceSelection");
    QTest::addColumn<int>("targetSelection");

    const QStringList cf{"c", "f"};
    QTest::newRow("fewer than three fields is skipped")
        << QByteArray(R"("a|b|c","d|e","g","","d|e|f")") << cf << 0 << 1;
    QTest::newRow("more than three fields shows the third")
        << QByteArray(R"("a|b|c|x|y","d|e|f|")") << cf << 0 << 1;
    QTest::newRow("empty second field still counts")
        << QByteArray(R"("a||c","d||f")") << cf << 0 << 1;
    QTest::newRow("empty third field still counts")
        << QByteArray(R"("a|b||x","d|e|f")") << QStringList{"", "f"} << 0 << 1;
    QTest::newRow("ending in | after the second field is skipped")
        << QByteArray(R"("a|b|c","x|y|","d|e|f")") << cf << 0 << 1;
    QTest::newRow("adjacent commas are skipped")
        << QByteArray(R"("a|b|c",,,"d|e|f")") << cf << 0 << 1;
    QTest::newRow("leading comma adds nothing")
        << QByteArray(R"(,"a|b|c","d|e|f")") << cf << 0 << 1;
    QTest::newRow("trailing comma adds nothing")
        << QByteArray(R"("a|b|c","d|e|f",)") << cf << 0 << 1;
    QTest::newRow("double quote inside a name is dropped")
        << QByteArray(R"("a|b|c"c"c","d|e|f")") << QStringList{"ccc", "f"} << 0 << 1;
    // The quotes are gone before the first split, so they protect nothing.
    QTest::newRow("comma inside quotes still separates")
        << QByteArray(R"("a|b|c,d|e|f")") << cf << 0 << 1;
    QTest::newRow("no quotes at all") << QByteArray("a|b|c,d|e|f") << cf << 0 << 1;
    // 亅 is 0x81 0x7c in GBK: its trail byte is "|" and must not split it.
    QTest::newRow("trail byte equal to | does not split")
        << QByteArray("\"a|b|\x81\x7c\",\"d|e|f\"") << QStringList{QString(QChar(0x4e85)), "f"} << 0
        << 1;
    QTest::newRow("duplicate names are both listed")
        << QByteArray(R"("a|b|c","d|e|c")") << QStringList{"c", "c"} << 0 << 1;
    QTest::newRow("one item: both lists select it")
        << QByteArray(R"("a|b","d|e|f")") << QStringList{"f"} << 0 << 0;
    QTest::newRow("no items: neither list has a selection")
        << QByteArray(R"("a|b","c",,)") << QStringList{} << -1 << -1;
    QTest::newRow("empty catalogue") << QByteArray() << QStringList{} << -1 << -1;
}

void TestFillLists::parsesEntries() {
    QFETCH(QByteArray, catalogue);
    QFETCH(QStringList, items);
    QFETCH(int, sourceSelection);
    QFETCH(int, targetSelection);

    catalogue::FillCurrencyLists(kWindow, kFrom, kTo,
                                 text::TextView(catalogue.constData(), catalogue.size()));
    QCOMPARE(Items(from_), items);
    QCOMPARE(Items(to_), items);

    shell::WriteProperty(kWindow, kFrom, shell::CurrentSelection, 0);
    shell::WriteProperty(kWindow, kTo, shell::CurrentSelection, 1);
    QCOMPARE(shell::ReadProperty(kWindow, kFrom, shell::CurrentSelection), sourceSelection);
    QCOMPARE(shell::ReadProperty(kWindow, kTo, shell::CurrentSelection), targetSelection);
    QCOMPARE(from_->currentIndex(), sourceSelection);
    QCOMPARE(to_->currentIndex(), targetSelection);
}

QTEST_MAIN(TestFillLists)
#include "tst_fill_lists.moc"
