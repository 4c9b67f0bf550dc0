// The shell in-process: the event gate, the creation event, and the control
// properties handlers rely on, on a small form of each control kind.

#include "shell/codepage.h"
#include "shell/shell.h"
#include "shell/testing.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QtTest>

namespace {

using namespace quillora;

constexpr shell::WindowId kWindow = 0x52010001;
constexpr shell::ControlId kLine = 1;
constexpr shell::ControlId kBox = 2;
constexpr shell::ControlId kList = 3;
constexpr shell::ControlId kButton = 4;

constexpr shell::ControlDescription kControls[] = {
    {"line", shell::ControlKind::SingleLineEdit, kLine, 10, 10, 100, 20, ""},
    {"box", shell::ControlKind::MultiLineEdit, kBox, 10, 40, 100, 60, "start"},
    {"list", shell::ControlKind::DropDownList, kList, 10, 110, 100, 160, ""},
    {"button", shell::ControlKind::PushButton, kButton, 10, 140, 80, 20, "Go"},
};
constexpr shell::WindowDescription kWindows[] = {{kWindow, "Test", 255, 245, kControls}};

struct Record {
    int clicks = 0;
    int created = 0;
    bool visibleWhenCreated = true;
    int itemsToAdd = 0;
};
Record record;

void OnCreated() {
    ++record.created;
    record.visibleWhenCreated = shell::testing::FindWindow(kWindow)->isVisible();
    for (int i = 0; i < record.itemsToAdd; ++i)
        shell::AppendListItem(kWindow, kList, "item " + std::to_string(i));
}

void OnClicked() {
    ++record.clicks;
}

constexpr shell::Binding kBindings[] = {
    {kWindow, shell::kCreatedEvent, &OnCreated},
    {kButton, shell::kClickedEvent, &OnClicked},
};
constexpr shell::Program kProgram{kWindows, kWindow, kBindings};

text::Text Gbk(const char* utf8) {
    return shell::codepage::FromUtf8(utf8);
}

} // namespace

class ShellTest final : public QObject {
    Q_OBJECT

private:
    void Load(int items = 0) {
        record = Record{};
        record.itemsToAdd = items;
        shell::testing::LoadProgram(kProgram);
    }
    QWidget* Window() const { return shell::testing::FindWindow(kWindow); }

private slots:
    void init() {
        shell::testing::SetErrorBoxHook([](const QString&, const QString& text) {
            qFatal("unexpected error box: %s", qPrintable(text));
        });
    }
    void cleanup() {
        shell::testing::SetBuildObserver({});
        shell::testing::UnloadProgram();
    }

    void creationEventRunsOnceBeforeTheWindowIsShown() {
        Load(3);
        QCOMPARE(record.created, 1);
        QVERIFY(!record.visibleWhenCreated);
        QVERIFY(Window()->isVisible());
        // What the creation handler did is there on the first show.
        QCOMPARE(Window()->findChild<QComboBox*>(QStringLiteral("list"))->count(), 3);
    }

    void eventsRaisedWhileBuildingAreDroppedNotQueued() {
        shell::testing::SetBuildObserver([] {
            shell::testing::FindWindow(kWindow)
                ->findChild<QPushButton*>(QStringLiteral("button"))
                ->click();
            shell::testing::RaiseEvent(kWindow, kButton, shell::kClickedEvent);
        });
        Load();
        QCoreApplication::processEvents();
        QCOMPARE(record.clicks, 0);
        Window()->findChild<QPushButton*>(QStringLiteral("button"))->click();
        QCOMPARE(record.clicks, 1);
    }

    void buttonClickRunsTheBoundHandlerSynchronously() {
        Load();
        auto* button = Window()->findChild<QPushButton*>(QStringLiteral("button"));
        QTest::mouseClick(button, Qt::LeftButton);
        QCOMPARE(record.clicks, 1);
        button->setFocus();
        QTest::keyClick(button, Qt::Key_Space);
        QCOMPARE(record.clicks, 2);
    }

    void contentOfEditBoxes_data() {
        QTest::addColumn<quint32>("control");
        QTest::addColumn<QString>("written");
        QTest::newRow("line, Chinese")
            << quint32(kLine) << QStringLiteral("100美元 = 688.5人民币元");
        QTest::newRow("line, empty") << quint32(kLine) << QString();
        QTest::newRow("box, Chinese") << quint32(kBox) << QStringLiteral("处理错误.");
        QTest::newRow("box, empty") << quint32(kBox) << QString();
        QTest::newRow("box, punctuation") << quint32(kBox) << QStringLiteral("  &#%+ \"' ");
    }

    void contentOfEditBoxes() {
        QFETCH(quint32, control);
        QFETCH(QString, written);
        Load();
        const text::Text bytes = shell::codepage::FromUnicode(written);
        shell::WriteProperty(kWindow, control, shell::Content, bytes);
        QCOMPARE(shell::ReadProperty(kWindow, control, shell::Content), bytes);
        QWidget* widget = Window()->findChild<QWidget*>(control == kLine ? "line" : "box");
        const QString shown = control == kLine
                                  ? qobject_cast<QLineEdit*>(widget)->text()
                                  : qobject_cast<QPlainTextEdit*>(widget)->toPlainText();
        QCOMPARE(shown, written);
    }

    void readingWhatTheUserTypedGivesGbkBytes() {
        Load();
        auto* line = Window()->findChild<QLineEdit*>(QStringLiteral("line"));
        QTest::keyClicks(line, QStringLiteral("12 "));
        // Chinese arrives as committed text, the way an input method sends it.
        QTest::sendKeyEvent(QTest::Click, line, Qt::Key_unknown, QStringLiteral("美元"),
                            Qt::NoModifier);
        QCOMPARE(shell::ReadProperty(kWindow, kLine, shell::Content), Gbk("12 美元"));
        // Reading leaves the control as it was.
        QCOMPARE(line->text(), QStringLiteral("12 美元"));
    }

    void appendingLeavesTheListWithoutSelection() {
        Load(3);
        QCOMPARE(shell::ReadProperty(kWindow, kList, shell::CurrentSelection), -1);
        QCOMPARE(shell::ReadProperty(kWindow, kList, shell::Content), text::Text{});
    }

    void writingContentReplacesAllAndSignalsOnce() {
        Load();
        auto* box = Window()->findChild<QPlainTextEdit*>(QStringLiteral("box"));
        QSignalSpy changed(box, &QPlainTextEdit::textChanged);
        shell::WriteProperty(kWindow, kBox, shell::Content, "first");
        shell::WriteProperty(kWindow, kBox, shell::Content, "second");
        QCOMPARE(changed.count(), 2);
        QCOMPARE(box->toPlainText(), QStringLiteral("second"));
    }

    void currentSelectionIsClamped_data() {
        QTest::addColumn<int>("items");
        QTest::addColumn<int>("written");
        QTest::addColumn<int>("selected");
        QTest::newRow("inside") << 5 << 2 << 2;
        QTest::newRow("last") << 5 << 4 << 4;
        QTest::newRow("n selects the last") << 5 << 5 << 4;
        QTest::newRow("far above selects the last") << 5 << 1000000 << 4;
        QTest::newRow("-1 clears") << 5 << -1 << -1;
        QTest::newRow("-2 clears") << 5 << -2 << -1;
        QTest::newRow("int min clears") << 5 << std::numeric_limits<int>::min() << -1;
        QTest::newRow("one item, 1") << 1 << 1 << 0;
        QTest::newRow("empty list, 0") << 0 << 0 << -1;
        QTest::newRow("empty list, 1") << 0 << 1 << -1;
    }

    void currentSelectionIsClamped() {
        QFETCH(int, items);
        QFETCH(int, written);
        QFETCH(int, selected);
        Load(items);
        auto* list = Window()->findChild<QComboBox*>(QStringLiteral("list"));
        shell::WriteProperty(kWindow, kList, shell::CurrentSelection, 0);
        shell::WriteProperty(kWindow, kList, shell::CurrentSelection, written);
        QCOMPARE(shell::ReadProperty(kWindow, kList, shell::CurrentSelection), selected);
        QCOMPARE(list->currentIndex(), selected);
        const text::Text expectedText =
            selected < 0 ? text::Text{} : "item " + std::to_string(selected);
        QCOMPARE(shell::ReadProperty(kWindow, kList, shell::Content), expectedText);
        QCOMPARE(list->currentText(), QString::fromStdString(expectedText));
    }

    void propertiesOfAClosedWindowAreInert() {
        Load(2);
        Window()->close();
        QVERIFY(!shell::WindowExists(kWindow));
        shell::WriteProperty(kWindow, kBox, shell::Content, "late");
        shell::WriteProperty(kWindow, kList, shell::CurrentSelection, 1);
        QCOMPARE(shell::ReadProperty(kWindow, kBox, shell::Content), text::Text{});
        QCOMPARE(shell::ReadProperty(kWindow, kList, shell::CurrentSelection), -1);
    }

    void errorBoxText_data() {
        QTest::addColumn<QString>("message");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("expected");
        const QString head = QStringLiteral("运行时出错!\r\n\r\n");
        QTest::newRow("code and message")
            << QStringLiteral("数组成员引用下标超出定义范围") << 1
            << head +
                   QStringLiteral("错误代码：1\r\n\r\n错误信息：数组成员引用下标超出定义范围\r\n");
        QTest::newRow("negative code, no message")
            << QString() << -7 << head + QStringLiteral("错误代码：-7\r\n\r\n");
        QTest::newRow("message only") << QStringLiteral("载入启动窗口失败") << 0
                                      << head + QStringLiteral("错误信息：载入启动窗口失败\r\n");
        QTest::newRow("neither") << QString() << 0 << head;
    }

    void errorBoxText() {
        QFETCH(QString, message);
        QFETCH(int, code);
        QFETCH(QString, expected);
        const text::Text composed =
            shell::ComposeRuntimeErrorText(shell::codepage::FromUnicode(message), code);
        QCOMPARE(shell::codepage::ToUnicode(composed), expected);
    }
};

QTEST_MAIN(ShellTest)
#include "tst_shell.moc"
