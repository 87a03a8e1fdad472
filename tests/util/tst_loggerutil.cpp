// The logger worker on a mirror filled by the test: the memory-status table
// with the device's memory nodes and values of the wrong kind, the
// measurement-name cell, the durations and the change filter.
#include "ConfigMirrorFixture.h"
#include "SimulatorProcess.h"

#include "util/LoggerUtil.h"

#include <QDateTime>
#include <QSignalSpy>
#include <QtTest>

namespace {

const char* const MEMORY = R"({"RING": 1, "SFP": {"VAL": 42, "DIM": {"T": "%"}},
  "SG": {"VAL": 3.8, "DIM": {"T": "GB"}}, "SF": {"VAL": 2.2, "DIM": {"T": "GB"}},
  "TRE": {"VAL": 3723, "DIM": {"T": "s"}}})";
const char* const MEASUREMENT = R"({"VAL": "STOP", "ID": 13, "STAT": 1709537400000, "STOT": 1709541000000,
  "FILE": {"T": "Name der Messung", "ID": 854, "VAL": "Messung_0014",
           "INP": {"MODE": "A", "AUT": 7, "REGX": "^[A-Za-z0-9_-]{1,32}$"}}})";

const QString FILE_PATH = QStringLiteral("$.SERV.STAT.MEAS.FILE");

// The value column (2) of a row, or another column.
TableCell cellAt(const TableStructure& table, int row, int column = 2) { return LoggerUtil::getCell(table, row, column); }
QString textAt(const TableStructure& table, int row, int column = 2) { return cellAt(table, row, column).getValue().toString(); }

} // namespace

class TestLoggerUtil : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<ConfigMirrorFixture> fixture;
    std::unique_ptr<LoggerUtil> logger;

    // The one table a refresh emits; a failed check when it emits none or several.
    TableStructure refresh()
    {
        QSignalSpy spy(logger.get(), QOverload<TableStructure>::of(&LoggerUtil::updateLogger));
        logger->updateMemoryTable();
        [&] { QCOMPARE(spy.size(), 1); }();
        return spy.size() == 1 ? spy.first().first().value<TableStructure>() : TableStructure();
    }
    void set(const QString& path, const QString& json) { fixture->fill(path, json); }
    // The refreshes the logger asked for in one notification batch as the device link delivers it.
    int batch(const QStringList& paths)
    {
        QSignalSpy spy(logger.get(), QOverload<>::of(&LoggerUtil::updateLogger));
        emit fixture->json()->beforeTelegramAvailable();
        for (const QString& path : paths)
            emit fixture->json()->telegramAvailable(GlobalEnums::SET, path);
        emit fixture->json()->afterTelegramAvailable();
        return spy.size();
    }
    // The refreshes for the device's echo of a value, applied through the device link.
    int echo(const QString& path, const Json::Value& value)
    {
        QSignalSpy spy(logger.get(), QOverload<>::of(&LoggerUtil::updateLogger));
        Json::Value telegram = SimulatorProcess::setTelegram(path, value);
        fixture->json()->handleReceiveJSON(telegram);
        return spy.size();
    }

private slots:
    void init()
    {
        fixture.reset(new ConfigMirrorFixture());
        fixture->login();
        fixture->reset();
        set(QStringLiteral("$.MEM"), QString::fromUtf8(MEMORY));
        set(QStringLiteral("$.SERV.STAT.MEAS"), QString::fromUtf8(MEASUREMENT));
        set(QStringLiteral("$.SERV.FCT.STST"), QStringLiteral(R"({"T": "Start", "ID": 20060, "VAL": 0, "AUT": 65543})"));
        logger.reset(new LoggerUtil());
    }

    void cleanup()
    {
        logger.reset();
        fixture.reset();
    }

    void memoryTableShowsTheDeviceValues()
    {
        const TableStructure table = refresh();
        QCOMPARE(table.getRows().size(), 7);
        QCOMPARE(textAt(table, 0), QStringLiteral("42 %"));
        const TableCell name = cellAt(table, 3);
        QCOMPARE(name.getValue().toString(), QStringLiteral("Messung_0014"));
        QCOMPARE(name.getRights(), int(TableCell::EDITABLE));
        QCOMPARE(name.getPath(), FILE_PATH + QStringLiteral(".VAL"));
        QCOMPARE(textAt(table, 4),
                 QDateTime::fromMSecsSinceEpoch(1709537400000LL).toString(QStringLiteral("dd.MM.yyyy / HH:mm:ss")));
        QCOMPARE(textAt(table, 6), QStringLiteral("01:02:03 (3723 s)"));
        QCOMPARE(fixture->takeQueuedReads(), QStringList());
    }

    // Values of another kind and out of range show nothing; a missing remaining time shows "---" and is asked for.
    void valuesOfAnotherKindShowTheTemplate()
    {
        const QList<QPair<QString, QString>> starts = {{"\"1709537400000\"", ""}, {"1e20", ""}, {"253402300800000", ""}};
        const QList<QPair<QString, QString>> remaining = {
            {"\"3723\"", ""}, {"-1", "---"}, {"18446744073709551615", ""}, {"3599", "59:59 (3599 s)"}, {"3600", "01:00:00 (3600 s)"},
            {"86400", "1d 00:00:00 (86400 s)"},
            {"9223372036854775807", "106751991167300d 15:30:07 (9223372036854775807 s)"}};
        for (const auto& start : starts) {
            set(QStringLiteral("$.SERV.STAT.MEAS.STAT"), start.first);
            QCOMPARE(textAt(refresh(), 4), start.second);
        }
        for (const auto& time : remaining) {
            set(QStringLiteral("$.MEM.TRE.VAL"), time.first);
            QCOMPARE(textAt(refresh(), 6), time.second);
        }
        set(QStringLiteral("$.MEM.SFP.VAL"), QStringLiteral("\"42\""));
        QCOMPARE(textAt(refresh(), 0), QString());

        fixture->reset();
        set(QStringLiteral("$.MEM.TRE.DIM"), QStringLiteral("{\"T\": \"s\"}"));
        QCOMPARE(textAt(refresh(), 6), QStringLiteral("---"));
        QVERIFY(fixture->takeQueuedReads().contains(QStringLiteral("$.MEM.TRE.VAL")));
    }

    void ringBufferPicture()
    {
        const QList<QPair<QString, const char*>> states = {{"3", LoggerUtil::PICTURE_RING_ACTIVE},
                                                           {"4", LoggerUtil::PICTURE_IDLE},
                                                           {"\"3\"", LoggerUtil::PICTURE_IDLE}};
        for (const auto& pair : states) {
            set(QStringLiteral("$.MEM.RING"), pair.first);
            QCOMPARE(textAt(refresh(), 0, 0), QString::fromLatin1(pair.second));
        }
    }

    // A saved name keeps the cell read-only until the device confirms it, and
    // the confirmation below the entry refreshes once; a new login forgets a
    // write still waiting; an unknown entry gives a cell nothing is written from.
    void measurementNameCell()
    {
        TableStructure table = refresh();
        TableCell name = cellAt(table, 3);
        name.setValue(QStringLiteral("Neu_1"));
        name.setChanged(true);
        LoggerUtil::setCell(table, name, 3, 2);
        fixture->takeQueuedReads();
        logger->saveConfig(table);
        QCOMPARE(fixture->answerWrites(), 1);
        QCOMPARE(cellAt(refresh(), 3).getRights(), int(TableCell::READ_ONLY));
        QCOMPARE(echo(FILE_PATH + QStringLiteral(".VAL"), Json::Value("Neu_1")), 1);
        QCOMPARE(cellAt(refresh(), 3).getRights(), int(TableCell::EDITABLE));

        logger->saveConfig(table);
        logger->setDefault();
        QCOMPARE(cellAt(refresh(), 3).getRights(), int(TableCell::EDITABLE));

        fixture->json()->clear();
        QCOMPARE(cellAt(refresh(), 3).getRights(), int(TableCell::READ_ONLY));
    }

    void changeFilter()
    {
        QCOMPARE(batch({FILE_PATH + QStringLiteral(".VAL")}), 1);   // where the device confirms a name
        QCOMPARE(batch({QStringLiteral("$.MEM.SF"), QStringLiteral("$.MEM.SF.VAL.X"),
                               QStringLiteral("$.SERV.STAT.MEAS.FILEX"), QStringLiteral("$.MEM.RING.T")}), 0);
        QCOMPARE(batch({QStringLiteral("$.MEM.RING"), QStringLiteral("$.MEM.TRE.VAL"), QStringLiteral("$.MEM.SG.DIM"),
                               FILE_PATH + QStringLiteral(".VAL")}), 1);
    }
};

QTEST_MAIN(TestLoggerUtil)
#include "tst_loggerutil.moc"
