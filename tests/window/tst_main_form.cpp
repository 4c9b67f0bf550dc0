// The main window as the user meets it: every control where the form puts it,
// with its text, and the keyboard behaving as on a plain dialog-like form.

#include "support/running_program.h"

#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QSignalSpy>
#include <QWindow>
#include <QtTest>

using quillora::testsupport::RunningProgram;

namespace {

const QString kIntroduction = QStringLiteral(
    "   Quillora可以查询全球所有国家和地区的货币汇率，并进行迅速的换算。汇率按国际银行数据换汇牌价"
    "进行自动调整。使你不需登陆任何网站就可以在桌面进行最新查询结果。");

const QStringList kTabSequence = {
    QStringLiteral("编辑框_值"),        QStringLiteral("组合框_源货币"),
    QStringLiteral("组合框_目标货币"),  QStringLiteral("按钮_取查询结果"),
    QStringLiteral("编辑框_结果"),      QStringLiteral("按钮_取兑换结果1"),
    QStringLiteral("按钮_取查询结果1"),
};

QString ShownText(QWidget* widget) {
    if (auto* line = qobject_cast<QLineEdit*>(widget))
        return line->text();
    if (auto* box = qobject_cast<QPlainTextEdit*>(widget))
        return box->toPlainText();
    if (auto* button = qobject_cast<QPushButton*>(widget))
        return button->text();
    if (auto* label = qobject_cast<QLabel*>(widget))
        return label->text();
    return {};
}

} // namespace

class MainFormTest final : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<RunningProgram> program_;

    QWidget* Control(const QString& name) const { return program_->Find<QWidget>(name); }

private slots:
    void init() {
        program_ = std::make_unique<RunningProgram>();
        QVERIFY(QTest::qWaitForWindowExposed(program_->Window()));
    }
    void cleanup() { program_.reset(); }

    void controlsStandWhereTheFormPutsThem_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("className");
        QTest::addColumn<QRect>("geometry");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("takesFocus");

        auto row = [](const char* name, const char* cls, QRect rect, QString text, bool focus) {
            QTest::newRow(name) << QString::fromUtf8(name) << QString::fromLatin1(cls) << rect
                                << text << focus;
        };
        row("编辑框_值", "QLineEdit", {78, 12, 130, 20}, {}, true);
        row("组合框_源货币", "QComboBox", {78, 36, 130, 20}, {}, true);
        row("标签1", "QLabel", {9, 58, 63, 20}, QStringLiteral("兑换为"), false);
        row("组合框_目标货币", "QComboBox", {78, 58, 130, 20}, {}, true);
        row("按钮_取查询结果", "QPushButton", {133, 85, 78, 20}, QStringLiteral("取查询结果"),
            true);
        row("标签2", "QLabel", {9, 36, 63, 20}, QStringLiteral("源货币"), false);
        row("标签3", "QLabel", {9, 12, 63, 20}, QStringLiteral("数目值"), false);
        row("编辑框_结果", "QPlainTextEdit", {13, 109, 219, 83}, kIntroduction, true);
        row("按钮_取兑换结果1", "QPushButton", {66, 85, 49, 20}, QStringLiteral("互换"), true);
        row("按钮_取查询结果1", "QPushButton", {64, 196, 120, 20}, QStringLiteral("Ostrevin"),
            true);
    }

    void controlsStandWhereTheFormPutsThem() {
        QFETCH(QString, name);
        QFETCH(QString, className);
        QFETCH(QRect, geometry);
        QFETCH(QString, text);
        QFETCH(bool, takesFocus);

        QWidget* control = Control(name);
        QVERIFY2(control, qPrintable(name));
        QVERIFY(control->inherits(className.toLatin1().constData()));
        QCOMPARE(control->parentWidget(), program_->Window());
        QCOMPARE(control->geometry(), geometry);
        QVERIFY(control->isVisible());
        QVERIFY(control->isEnabled());
        QCOMPARE(control->focusPolicy() != Qt::NoFocus, takesFocus);
        if (!qobject_cast<QComboBox*>(control))
            QCOMPARE(ShownText(control), text);
        // The client area holds every control without clipping.
        QVERIFY(program_->Window()->rect().contains(control->geometry()));
    }

    void windowIsFixedCentredAndCaptioned() {
        QWidget* window = program_->Window();
        QCOMPARE(window->windowTitle(), QStringLiteral("Quillora"));
        QCOMPARE(window->minimumSize(), window->maximumSize());
        const Qt::WindowFlags flags = window->windowFlags();
        QVERIFY(flags & Qt::WindowMinimizeButtonHint);
        QVERIFY(!(flags & Qt::WindowMaximizeButtonHint));
        QVERIFY(flags & Qt::WindowCloseButtonHint);
        QCOMPARE(window->frameGeometry().size(), QSize(255, 245));
        const QRect screen = QGuiApplication::primaryScreen()->geometry();
        QCOMPARE(window->frameGeometry().topLeft(),
                 QPoint((screen.width() - 255) / 2, (screen.height() - 245) / 2));
        QCOMPARE(window->palette().color(QPalette::Window),
                 window->palette().color(QPalette::Button));
    }

    void focusStartsInTheAmountBox() {
        QVERIFY(QTest::qWaitForWindowActive(program_->Window()));
        QTRY_COMPARE(QApplication::focusWidget(), Control(QStringLiteral("编辑框_值")));
    }

    void tabCyclesThroughTheSequenceBothWays() {
        QVERIFY(QTest::qWaitForWindowActive(program_->Window()));
        Control(kTabSequence.first())->setFocus();
        for (int step = 1; step <= kTabSequence.size(); ++step) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget()->objectName(),
                     kTabSequence[step % kTabSequence.size()]);
        }
        for (int step = kTabSequence.size() - 1; step >= 0; --step) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
            QCOMPARE(QApplication::focusWidget()->objectName(), kTabSequence[step]);
        }
    }

    void enterEscAndF1DoNothingOutsideTheResultBox_data() {
        QTest::addColumn<QString>("focused");
        for (const QString& name : kTabSequence) {
            if (name != QStringLiteral("编辑框_结果"))
                QTest::newRow(name.toUtf8().constData()) << name;
        }
    }

    void enterEscAndF1DoNothingOutsideTheResultBox() {
        QFETCH(QString, focused);
        QWidget* window = program_->Window();
        QVERIFY(QTest::qWaitForWindowActive(window));
        QWidget* control = Control(focused);
        control->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), control);

        QList<QSignalSpy*> spies;
        for (QPushButton* button : window->findChildren<QPushButton*>())
            spies << new QSignalSpy(button, &QPushButton::clicked);
        for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape, Qt::Key_F1})
            QTest::keyClick(control, key);
        QCoreApplication::processEvents();
        for (QSignalSpy* spy : spies)
            QCOMPARE(spy->count(), 0);
        qDeleteAll(spies);
        QCOMPARE(QApplication::focusWidget(), control);
        QVERIFY(window->isVisible());
    }

    void resultBoxWrapsScrollsAndTakesEnter() {
        auto* box = program_->Find<QPlainTextEdit>(QStringLiteral("编辑框_结果"));
        QCOMPARE(box->lineWrapMode(), QPlainTextEdit::WidgetWidth);
        QCOMPARE(box->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
        QCOMPARE(box->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
        QVERIFY(box->tabChangesFocus());
        QVERIFY(!box->isReadOnly());
        QCOMPARE(box->verticalScrollBar()->value(), 0);
        QCOMPARE(box->textCursor().position(), 0);
        box->setFocus();
        QTest::keyClick(box, Qt::Key_Return);
        QCOMPARE(box->toPlainText(), QStringLiteral("\n") + kIntroduction);
    }

    void buttonsAreNeverDefault() {
        for (QPushButton* button : program_->Window()->findChildren<QPushButton*>()) {
            QVERIFY(!button->isDefault());
            QVERIFY(!button->autoDefault());
        }
    }

    void listsArePickOnly() {
        for (const char* name : {"组合框_源货币", "组合框_目标货币"}) {
            auto* list = program_->Find<QComboBox>(QString::fromUtf8(name));
            QVERIFY(!list->isEditable());
            QVERIFY(list->itemDelegate());
        }
    }

    void labelsAreBoldRightAlignedAndNameTheirInputs_data() {
        QTest::addColumn<QString>("label");
        QTest::addColumn<QString>("input");
        QTest::newRow("amount") << QStringLiteral("标签3") << QStringLiteral("编辑框_值");
        QTest::newRow("source") << QStringLiteral("标签2") << QStringLiteral("组合框_源货币");
        QTest::newRow("target") << QStringLiteral("标签1") << QStringLiteral("组合框_目标货币");
    }

    void labelsAreBoldRightAlignedAndNameTheirInputs() {
        QFETCH(QString, label);
        QFETCH(QString, input);
        auto* shown = program_->Find<QLabel>(label);
        QVERIFY(shown->font().bold());
        QCOMPARE(shown->font().pixelSize(), 12);
        QVERIFY(!shown->font().italic());
        QCOMPARE(shown->alignment(), Qt::AlignRight | Qt::AlignVCenter);
        QVERIFY(!shown->wordWrap());
        QVERIFY(!shown->text().contains(QLatin1Char('&')));
        QCOMPARE(shown->buddy(), Control(input));

        // A screen reader reaches the label's text from the input.
        QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(Control(input));
        QVERIFY(accessible);
        bool labelled = false;
        for (const auto& relation : accessible->relations(QAccessible::Label)) {
            if (relation.first->text(QAccessible::Name) == shown->text())
                labelled = true;
        }
        QVERIFY(labelled);
    }
};

QTEST_MAIN(MainFormTest)
#include "tst_main_form.moc"
