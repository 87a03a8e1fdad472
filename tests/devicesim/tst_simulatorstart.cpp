// The simulator refuses to start on bad options, a missing or damaged tree or
// users file, or a port another program listens on, and says why: the option,
// the file and what is wrong with it, or the port.
#include "SimulatorProcess.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

class TestSimulatorStart : public QObject
{
    Q_OBJECT

private slots:
    void badStartsAreRefusedWithTheReason()
    {
        QTemporaryDir folder;
        QVERIFY(folder.isValid());
        const auto write = [&folder](const char* name, const QByteArray& text) {
            QFile file(folder.filePath(QLatin1String(name)));
            return file.open(QIODevice::WriteOnly) && file.write(text) == text.size() ? file.fileName() : QString();
        };
        const QString damaged = write("damaged.json", "{ \"DATA\": [1, 2");
        const QString list = write("list.json", "[1, 2]");
        const QString missing = folder.filePath(QStringLiteral("missing.json"));
        QVERIFY(!damaged.isEmpty() && !list.isEmpty());

        const struct { QStringList arguments; QStringList said; } rows[] = {
            {{"--port", "70000"}, {"bad argument \"--port\""}},
            {{"--channels"}, {"bad argument \"--channels\"", "value missing"}},
            {{"--tree", missing}, {"cannot open", missing}},
            {{"--tree", damaged}, {damaged, "Line 1"}},
            {{"--tree", list}, {list, "must be a JSON object"}},
            {{"--users", missing}, {"cannot open", missing}},
            {{"--users", damaged}, {damaged, "Line 1"}},
            {{"--users", list}, {list, "\"USERS\" and \"ROLES\""}},
        };
        for (const auto& row : rows) {
            QProcess simulator;
            simulator.start(SimulatorProcess::binaryPath(), QStringList{"--port", "0"} + row.arguments);
            const QString what = row.arguments.join(QLatin1Char(' '));
            QVERIFY2(simulator.waitForFinished(10000), qPrintable(what + ": still running"));
            QVERIFY2(simulator.exitStatus() == QProcess::NormalExit && simulator.exitCode() != 0, qPrintable(what));
            const QString error = QString::fromUtf8(simulator.readAllStandardError());
            for (const QString& part : row.said)
                QVERIFY2(error.contains(part), qPrintable(what + ": " + error));
        }
    }

    // A port is the simulator's alone: a second one started on it ends at once and says so,
    // and every connection still reaches the first. It takes its port back after a restart.
    void aTakenPortIsRefused()
    {
        SimulatorProcess first;
        QVERIFY(first.start());
        const QString port = QString::number(first.port());
        QProcess second;
        second.start(SimulatorProcess::binaryPath(), {"--port", port});
        QVERIFY2(second.waitForFinished(10000), "the second simulator shares the port");
        QVERIFY(second.exitStatus() == QProcess::NormalExit && second.exitCode() != 0);
        const QString error = QString::fromUtf8(second.readAllStandardError());
        QVERIFY2(error.contains("cannot listen on 127.0.0.1:" + port + ": the port is taken"), qPrintable(error));
        for (int i = 0; i < 20; ++i)
            QVERIFY(first.state().isObject());

        QVERIFY(!first.login(QStringLiteral("admin"), QStringLiteral("admin")).isEmpty());
        QVERIFY(first.stop());
        QVERIFY(first.startAgain());   // its last connections may linger in TIME_WAIT
        QVERIFY(first.state().isObject());
    }
};

QTEST_GUILESS_MAIN(TestSimulatorStart)
#include "tst_simulatorstart.moc"
