// The swap and home-page buttons of the real main window, pressed as a user
// presses them.

#include "support/running_program.h"

#include <QComboBox>
#include <QDesktopServices>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QUrl>
#include <memory>

using namespace quillora;
using testsupport::RunningProgram;

namespace {

// Stands in for the desktop's browser: notes every address it is asked to
// open.
class UrlRecorder final : public QObject {
    Q_OBJECT
public:
    QList<QUrl> opened;

public slots:
    void open(const QUrl& url) { opened << url; }
};

} // namespace

class TestCommands final : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void swapExchangesSelections_data();
    void swapExchangesSelections();
    void swapExchangesPositionsNotTexts();
    void homePageOpensOnEveryPress();

private:
    void PressSwap() { QTest::mouseClick(swap_, Qt::LeftButton); }

    // Outlives every test, so it is never destroyed while registered.
    UrlRecorder browser_;
    std::unique_ptr<RunningProgram> program_;
    QComboBox* source_ = nullptr;
    QComboBox* target_ = nullptr;
    QLineEdit* amount_ = nullptr;
    QPlainTextEdit* result_ = nullptr;
    QPushButton* swap_ = nullptr;
    QPushButton* homePage_ = nullptr;
};

void TestCommands::init() {
    program_ = std::make_unique<RunningProgram>();
    source_ = program_->Find<QComboBox>("组合框_源货币");
    target_ = program_->Find<QComboBox>("组合框_目标货币");
    amount_ = program_->Find<QLineEdit>("编辑框_值");
    result_ = program_->Find<QPlainTextEdit>("编辑框_结果");
    swap_ = program_->Find<QPushButton>("按钮_取兑换结果1");
    homePage_ = program_->Find<QPushButton>("按钮_取查询结果1");
    QVERIFY(source_ && target_ && amount_ && result_ && swap_ && homePage_);
    QCOMPARE(swap_->text(), QString("互换"));
    QCOMPARE(homePage_->text(), QString("Ostrevin"));
}

void TestCommands::cleanup() {
    QDesktopServices::unsetUrlHandler("http");
    browser_.opened.clear();
    program_.reset();
}

void TestCommands::swapExchangesSelections_data() {
    QTest::addColumn<int>("sourceBefore"); // -2: leave the start-up selection
    QTest::addColumn<int>("targetBefore");
    QTest::addColumn<int>("presses");
    QTest::addColumn<int>("sourceAfter");
    QTest::addColumn<int>("targetAfter");

    QTest::newRow("start state, once") << -2 << -2 << 1 << 1 << 0;
    QTest::newRow("start state, twice") << -2 << -2 << 2 << 0 << 1;
    QTest::newRow("same currency on both sides") << 13 << 13 << 1 << 13 << 13;
    QTest::newRow("first and last") << 40 << 0 << 1 << 0 << 40;
    QTest::newRow("source without selection") << -1 << 16 << 1 << 16 << -1;
    QTest::newRow("target without selection") << 22 << -1 << 1 << -1 << 22;
    QTest::newRow("target without selection, twice") << 22 << -1 << 2 << 22 << -1;
    QTest::newRow("neither has a selection") << -1 << -1 << 1 << -1 << -1;
}

void TestCommands::swapExchangesSelections() {
    QFETCH(int, sourceBefore);
    QFETCH(int, targetBefore);
    QFETCH(int, presses);
    QFETCH(int, sourceAfter);
    QFETCH(int, targetAfter);

    // As the user would choose; -1 as only a program can leave it.
    if (sourceBefore != -2) {
        source_->setCurrentIndex(sourceBefore);
        target_->setCurrentIndex(targetBefore);
    }
    amount_->setText("100");
    result_->setPlainText("100美元 = 688.5人民币元");
    const QSignalSpy resultChanges(result_, &QPlainTextEdit::textChanged);
    const QSignalSpy amountChanges(amount_, &QLineEdit::textChanged);

    for (int i = 0; i < presses; ++i) {
        PressSwap();
    }

    QCOMPARE(source_->currentIndex(), sourceAfter);
    QCOMPARE(target_->currentIndex(), targetAfter);
    // The shown texts follow the positions; no selection shows nothing.
    QCOMPARE(source_->currentText(), sourceAfter < 0 ? QString() : source_->itemText(sourceAfter));
    QCOMPARE(target_->currentText(), targetAfter < 0 ? QString() : target_->itemText(targetAfter));
    // Only the selections move: no query runs, nothing else is written.
    QCOMPARE(source_->count(), 41);
    QCOMPARE(target_->count(), 41);
    QCOMPARE(result_->toPlainText(), QString("100美元 = 688.5人民币元"));
    QCOMPARE(resultChanges.count(), 0);
    QCOMPARE(amount_->text(), QString("100"));
    QCOMPARE(amountChanges.count(), 0);
}

void TestCommands::swapExchangesPositionsNotTexts() {
    // Positions are what travel. Should the lists ever differ, the source
    // gets the target's position, not its currency.
    target_->insertItem(0, "X");
    source_->setCurrentIndex(0); // 人民币元
    target_->setCurrentIndex(2); // 美元, one further down than in the source

    PressSwap();

    QCOMPARE(source_->currentIndex(), 2);
    QCOMPARE(source_->currentText(), QString("奥地利先令"));
    QCOMPARE(target_->currentIndex(), 0);
    QCOMPARE(target_->currentText(), QString("X"));
}

void TestCommands::homePageOpensOnEveryPress() {
    QDesktopServices::setUrlHandler("http", &browser_, "open");
    const QString introduction = result_->toPlainText();

    for (int press = 1; press <= 3; ++press) {
        QTest::mouseClick(homePage_, Qt::LeftButton);
        QCOMPARE(browser_.opened.size(), press);
        QCOMPARE(browser_.opened.last().toString(QUrl::FullyEncoded),
                 QString("http://www.ostrevin.com/"));
    }

    // Opening the page changes nothing in the window.
    QCOMPARE(source_->currentIndex(), 0);
    QCOMPARE(target_->currentIndex(), 1);
    QCOMPARE(result_->toPlainText(), introduction);
    QVERIFY(amount_->text().isEmpty());
    QVERIFY(program_->Window()->isVisible());
}

QTEST_MAIN(TestCommands)
#include "tst_commands.moc"
