// The two currency lists as the user first meets them in the real main
// window.

#include "shell/shell.h"
#include "shell/testing.h"
#include "support/running_program.h"
#include "window/main_form.h"

#include <QComboBox>
#include <QEvent>
#include <QPointer>
#include <QTest>
#include <memory>

using namespace quillora;
using testsupport::RunningProgram;

namespace {

// Catalogue order, full names only.
const QStringList kFullNames{
    "人民币元",     "美元",           "奥地利先令",   "澳元",       "比利时法郎", "巴西里尔",
    "加元",         "瑞郎",           "智利比索",     "捷克克朗",   "德国马克",   "丹麦克朗",
    "西班牙比塞塔", "欧元",           "芬兰马克",     "法国法郎",   "英镑",       "港币",
    "匈牙利福林",   "印度尼西亚盾",   "印度卢比",     "意大利里拉", "日元",       "韩元",
    "墨西哥比索",   "马来西亚元",     "荷兰盾",       "挪威克朗",   "新西兰元",   "菲律宾比索",
    "波兰兹罗提",   "葡萄牙埃斯库多", "俄罗斯卢布",   "沙特里亚尔", "瑞典克朗",   "新加坡元",
    "泰铢",         "台币",           "强势玻利瓦尔", "越南盾",     "南非兰特",
};

QStringList Items(const QComboBox* list) {
    QStringList items;
    for (int i = 0; i < list->count(); ++i) {
        items << list->itemText(i);
    }
    return items;
}

// Notes how many items each list holds at the moment the window is first
// shown.
class ShowWatcher final : public QObject {
public:
    int sourceCountAtShow = -1;
    int targetCountAtShow = -1;
    QString sourceTextAtShow;
    QString targetTextAtShow;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show && sourceCountAtShow < 0) {
            auto* window = static_cast<QWidget*>(watched);
            const auto* source = window->findChild<QComboBox*>(u"组合框_源货币"_qs);
            const auto* target = window->findChild<QComboBox*>(u"组合框_目标货币"_qs);
            sourceCountAtShow = source->count();
            targetCountAtShow = target->count();
            sourceTextAtShow = source->currentText();
            targetTextAtShow = target->currentText();
        }
        return false;
    }
};

} // namespace

class TestStartLists final : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void holdTheFullNamesInCatalogueOrder();
    void preselectFirstAsSourceAndSecondAsTarget();
    void areFilledBeforeTheWindowIsShown();

private:
    std::unique_ptr<RunningProgram> program_;
    QComboBox* source_ = nullptr;
    QComboBox* target_ = nullptr;
};

void TestStartLists::init() {
    program_ = std::make_unique<RunningProgram>();
    source_ = program_->Find<QComboBox>(u"组合框_源货币"_qs);
    target_ = program_->Find<QComboBox>(u"组合框_目标货币"_qs);
    QVERIFY(source_ && target_);
}

void TestStartLists::cleanup() {
    program_.reset();
    source_ = target_ = nullptr;
}

void TestStartLists::holdTheFullNamesInCatalogueOrder() {
    QCOMPARE(kFullNames.size(), 41);
    QCOMPARE(Items(source_), kFullNames);
    QCOMPARE(Items(target_), kFullNames);

    QCOMPARE(source_->itemText(0), u"人民币元"_qs);
    QCOMPARE(source_->itemText(1), u"美元"_qs);
    QCOMPARE(source_->itemText(13), u"欧元"_qs);
    QCOMPARE(source_->itemText(40), u"南非兰特"_qs);

    // Short names and codes stay inside the catalogue.
    QCOMPARE(source_->findText(u"人民币"_qs), -1);
    for (const QString& code : {u"CNY"_qs, u"USD"_qs, u"EUR"_qs, u"KER"_qs, u"ZAR"_qs}) {
        QVERIFY2(!Items(source_).join(u'|').contains(code), qPrintable(code));
        QVERIFY2(!Items(target_).join(u'|').contains(code), qPrintable(code));
    }
}

void TestStartLists::preselectFirstAsSourceAndSecondAsTarget() {
    QCOMPARE(shell::ReadProperty(window::kMainWindow, window::kSourceList, shell::CurrentSelection),
             0);
    QCOMPARE(shell::ReadProperty(window::kMainWindow, window::kTargetList, shell::CurrentSelection),
             1);
    // What the query will read: the GBK names, not positions or codes.
    QCOMPARE(shell::ReadProperty(window::kMainWindow, window::kSourceList, shell::Content),
             testsupport::Gbk("人民币元"));
    QCOMPARE(shell::ReadProperty(window::kMainWindow, window::kTargetList, shell::Content),
             testsupport::Gbk("美元"));
    QCOMPARE(source_->currentText(), u"人民币元"_qs);
    QCOMPARE(target_->currentText(), u"美元"_qs);
}

void TestStartLists::areFilledBeforeTheWindowIsShown() {
    program_.reset();

    ShowWatcher watcher;
    int sourceCountAtBuild = -1;
    shell::testing::SetBuildObserver([&] {
        QWidget* window = shell::testing::FindWindow(window::kMainWindow);
        QVERIFY(window);
        window->installEventFilter(&watcher);
        sourceCountAtBuild = window->findChild<QComboBox*>(u"组合框_源货币"_qs)->count();
    });
    program_ = std::make_unique<RunningProgram>();

    QCOMPARE(sourceCountAtBuild, 0);
    QCOMPARE(watcher.sourceCountAtShow, 41);
    QCOMPARE(watcher.targetCountAtShow, 41);
    QCOMPARE(watcher.sourceTextAtShow, u"人民币元"_qs);
    QCOMPARE(watcher.targetTextAtShow, u"美元"_qs);
}

QTEST_MAIN(TestStartLists)
#include "tst_start_lists.moc"
