// The process-level promises: how the program ends after a close and after a
// fatal error, and what the fatal-error box says.

#include <QProcess>
#include <QtTest>

class ShellProcessTest final : public QObject {
    Q_OBJECT

private:
    struct Outcome {
        int status = -1;
        QString output;
    };

    static Outcome Run(const QString& mode) {
        QProcess probe;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        probe.setProcessEnvironment(env);
        probe.start(QStringLiteral(QUILLORA_SHELL_PROBE), {mode});
        if (!probe.waitForFinished(30000)) {
            probe.kill();
            probe.waitForFinished();
            return {};
        }
        Outcome outcome;
        outcome.status = probe.exitStatus() == QProcess::NormalExit ? probe.exitCode() : -2;
        outcome.output = QString::fromUtf8(probe.readAllStandardOutput());
        return outcome;
    }

private slots:
    void closingTheWindowEndsWithStatusZeroAndRunsTheEndStepOnce() {
        const Outcome outcome = Run(QStringLiteral("close"));
        QCOMPARE(outcome.status, 0);
        QCOMPARE(outcome.output.count(QStringLiteral("END")), 1);
        QVERIFY(!outcome.output.contains(QStringLiteral("BOX")));
    }

    void fatalErrorShowsTheBoxAndEndsWithStatus255_data() {
        QTest::addColumn<QString>("mode");
        QTest::addColumn<QString>("boxText");

        const QString head = QStringLiteral("运行时出错!\r\n\r\n");
        QTest::newRow("index above count")
            << QStringLiteral("index-above-count")
            << head +
                   QStringLiteral("错误代码：1\r\n\r\n错误信息：数组成员引用下标超出定义范围\r\n");
        QTest::newRow("index below one")
            << QStringLiteral("index-below-one")
            << head +
                   QStringLiteral("错误代码：4\r\n\r\n错误信息：数组成员引用下标必须大于等于1\r\n");
        QTest::newRow("memory exhausted")
            << QStringLiteral("out-of-memory")
            << head + QStringLiteral("错误信息：分配 123456 字节内存失败!\r\n");
        QTest::newRow("start window missing")
            << QStringLiteral("missing-window")
            << head + QStringLiteral("错误信息：载入启动窗口失败\r\n");
        QTest::newRow("form unreadable")
            << QStringLiteral("no-form")
            << head + QStringLiteral("错误信息：载入窗口模板数据段出错!\r\n");
    }

    void fatalErrorShowsTheBoxAndEndsWithStatus255() {
        QFETCH(QString, mode);
        QFETCH(QString, boxText);

        const Outcome outcome = Run(mode);
        QCOMPARE(outcome.status, 255);
        const QString expected =
            QStringLiteral("BOX 错误\n") + boxText + QStringLiteral("\nBOX END\n");
        QVERIFY2(outcome.output.contains(expected), qPrintable(outcome.output));
        // No normal end after a fatal error, and the gate stayed shut while
        // the box was up: the click the box raised reached no handler.
        const QStringList lines = outcome.output.split(QLatin1Char('\n'));
        QVERIFY(!lines.contains(QStringLiteral("END")));
        QVERIFY(lines.count(QStringLiteral("HANDLER")) <= 1);
    }
};

QTEST_GUILESS_MAIN(ShellProcessTest)
#include "tst_shell_process.moc"
