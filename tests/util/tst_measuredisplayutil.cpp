// The measured-value display's worker on a mirror filled by the test: the
// channel description, the channel list built on the worker's thread, which
// channel is current, and the ChannelData of one channel with its tables.
#include "../common/LogCapture.h"
#include "ConfigMirrorFixture.h"

#include "util/MeasureDisplayUtil.h"
#include "util/MeasureDisplayUtilChannelBuilder.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QThread>
#include <QtTest>

namespace {

const char* const DESCRIPTION = R"({"DISP": {"PATH": "$.DATA.MK[*]"}, "UPD": {"PATH": "$.DATA.MK"},
  "DESC": [{"WAY": "ADR"}, {"WAY": "MV.T"}, {"WAY": "NONE"}], "FL": {"WAY": "MV.STF"}, "BE": {"WAY": "MV.BE"},
  "MVTB": {"MW": {"WAY": "MV.MW"}, "MAW": {"WAY": "MV.MAW"}, "MIW": {"WAY": "MV.MIW"}}, "FR": {"WAY": "MV.FR"},
  "COMP": [{"WAY": "MV.CJ"}, {"WAY": "MV.CT"}, {"WAY": "MV.CP"}, {"WAY": "MV.XX"}, {"WAY": 4}],
  "MADJ": {"ITEM": ["CLMX", "TARA", "GONE", 7, "BAD"], "CLMX": {"WAY": "FCT.CLMX", "ADD": []},
           "TARA": {"WAY": "FCT.TARA", "ADD": [{"WAY": "FCT.TARA.OFFS"}, {"WAY": "FCT.TARA.ODD"}, {"WAY": 3}]},
           "GONE": {"WAY": "FCT.GONE", "ADD": []}, "BAD": {"WAY": "FCT.BAD"}},
  "CLNT": [{"WAY": "IDX", "PATH": "$.CLNT.CH"}, {"WAY": "ADR", "PATH": "$.CLNT.ADR"}]})";

// Channel 0: numbers, an object unit, CJ and CTP active (CJ, CT and CP rows),
// functions. Channel 1: strings, CT only, a value item without VAL. Element
// 2 is no channel (a delete in mode 1 leaves a null). Channel 3: mistyped members.
const char* const CHANNELS = R"([
  {"IDX": 0, "ADR": "CH01", "MV": {"T": "Kessel", "MW": {"VAL": 21.530000000000001, "DIM": {"T": "Pa", "ID": 20301}},
     "MAW": {"T": "Max", "VAL": 1234567}, "MIW": {"T": "Min", "VAL": "-0.5"}, "STF": {"VAL": ["O", "h", "l", "Z", 5]},
     "FR": {"CJ": true, "CTP": true, "XYZ": true, "CT": 1}, "BE": "-200 ... 850 °C",
     "CJ": {"T": "Vergleichsstelle", "VAL": "23.4", "DIM": "°C"}, "CT": {"T": "Temperaturkompensation", "VAL": 20, "DIM": "°C"},
     "CP": {"T": "Druckkompensation", "VAL": "1013", "DIM": {"T": "mbar"}}, "XX": {"T": "Unbekannt", "VAL": "1"}},
   "FCT": {"CLMX": {"T": "Max/Min löschen", "VAL": 0, "INP": {"MODE": "Z", "AUT": 3}},
           "TARA": {"T": "Nullsetzen", "VAL": 0, "INP": {"MODE": "Z", "AUT": 2},
                    "OFFS": {"T": "Offset", "VAL": "0.00", "DIM": "°C", "INP": {"MODE": "Z", "AUT": 3, "MIN": -100, "MAX": 100, "DP": 2}},
                    "ODD": {"T": "Verworfen", "VAL": true, "INP": {"MODE": "Z", "AUT": 3}}},
           "BAD": {"T": "Ohne ADD", "VAL": 0, "INP": {"MODE": "Z", "AUT": 3}}}},
  {"IDX": 1, "NR": 7, "ADR": "CH02", "MV": {"T": "Vorlauf", "MW": {"DIM": "°C"}, "MAW": {"T": "Max"}, "MIW": {"T": "Min", "VAL": [1]},
     "STF": {"VAL": "O"}, "FR": {"CT": true, "CJ": false}, "CJ": {"T": "Vergleichsstelle", "VAL": "23.4", "DIM": "°C"},
     "CT": {"T": "Temperaturkompensation", "VAL": "20.0", "DIM": "°C"}}},
  null, {"IDX": "3", "ADR": 3, "MV": "kaputt", "FCT": 5}])";

const QString CHANNEL0 = QStringLiteral("$.DATA.MK[0]");
const QString CHANNEL1 = QStringLiteral("$.DATA.MK[1]");
const QString CHANNEL3 = QStringLiteral("$.DATA.MK[3]");

QString text(const TableStructure& table, int row, int column)
{
    return table.cellAt(row, column).getValue().toString();
}

} // namespace

class TestMeasureDisplayUtil : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<ConfigMirrorFixture> fixture;

    // The util with the description read and its first channel list built.
    std::unique_ptr<MeasureDisplayUtil> readyUtil()
    {
        std::unique_ptr<MeasureDisplayUtil> util(new MeasureDisplayUtil());
        util->readChannelDescription();
        buildList(*util);
        return util;
    }

    static void buildList(MeasureDisplayUtil& util)
    {
        util.requestChannelList();
        QTRY_VERIFY(!util.isWorking());
        QCoreApplication::processEvents();   // the end of the build reaches the util
    }

    // The ChannelData emitted for path, with the path it was built for.
    static ChannelData build(MeasureDisplayUtil& util, const QString& path, bool withFunctions,
                             QString* builtPath = nullptr)
    {
        ChannelData result;
        const auto connection = QObject::connect(
            &util, QOverload<ChannelData&, bool&>::of(&MeasureDisplayUtil::updateChannelData),
            [&](ChannelData& data, bool&) {
                result = data;
                if (builtPath)
                    *builtPath = util.getDeliveredChannelPath();
            });
        util.buildChannelData(path, withFunctions);
        QObject::disconnect(connection);
        return result;
    }

private slots:
    void initTestCase() { fixture.reset(new ConfigMirrorFixture()); }
    void cleanupTestCase() { fixture.reset(); }

    void init()
    {
        fixture->reset();
        fixture->login();
        fixture->fill(QStringLiteral("$.DATA.CH"), QString::fromUtf8(DESCRIPTION));
        fixture->fill(QStringLiteral("$.DATA.MK"), QString::fromUtf8(CHANNELS));
        fixture->takeQueuedReads();
    }

    void descriptionKeepsWhatItHadForMistypedMembers()
    {
        MeasureDisplayUtilDescription description;
        description.read(parse(QString::fromUtf8(DESCRIPTION)));
        description.read(parse(QStringLiteral(
            R"({"DISP": {"PATH": 5}, "UPD": "x", "DESC": {"WAY": "A"}, "MVTB": {"MW": 7, "MAW": {"WAY": "MV.HI"}},
                "FL": {"WAY": null}, "MADJ": {"ITEM": "CLMX"}, "CLNT": [{"WAY": "IDX"}]})")));
        QCOMPARE(description.displayPath, QStringLiteral("$.DATA.MK[*]"));
        QCOMPARE(description.valueWay, QStringLiteral("MV.MW"));
        QCOMPARE(description.maximumWay, QStringLiteral("MV.HI"));
        QVERIFY(description.functionWays.isEmpty());
        QVERIFY(description.clientMap.isEmpty());   // a client the device no longer names is not written
    }

    void listKeepsNamesAndPathsParallel()
    {
        auto util = readyUtil();
        // The null left by a delete is skipped; mistyped members give an empty name.
        QCOMPARE(util->getChannelPaths(), QVector<QString>({CHANNEL0, CHANNEL1, CHANNEL3}));
        QCOMPARE(util->getChannelNames(), QVector<QString>({"CH01 Kessel ", "CH02 Vorlauf ", ""}));

        // A script the evaluator refuses is reported once per description, not per build.
        LogCapture log;
        fixture->fill(QStringLiteral("$.DATA.CH.DISP.PATH"), QStringLiteral("\"$.DATA.MK[(@.ADR)]\""));
        for (int i = 0; i < 3; ++i) {
            util->readChannelDescription();
            buildList(*util);
        }
        QVERIFY(util->getChannelPaths().isEmpty());
        QVERIFY(util->getCurrentChannelPath().isEmpty());
        QCOMPARE(log.matching(QStringLiteral("display path is refused")).size(), 1);
    }

    void channelDataFollowsTheDescription()
    {
        auto util = readyUtil();
        const ChannelData data = build(*util, CHANNEL0, true);
        QCOMPARE(data.getValue(), QStringLiteral("21.53"));
        QCOMPARE(data.getLeftFlags(), 0x3001);   // unmasked; "Z" and 5 set nothing
        QCOMPARE(data.getRightFlags(), 0x800 | 0x200);

        const TableStructure table = data.getTable();
        QCOMPARE(table.rowCount(), 4);   // extremes, CJ, CT and CP (CTP), never the unknown way
        QCOMPARE(text(table, 0, 2), QStringLiteral("1.23457e+06"));
        QCOMPARE(text(table, 3, 3), QStringLiteral("1013 mbar"));

        const ChannelData second = build(*util, CHANNEL1, false);
        QCOMPARE(second.getValue(), QString());   // the value item has no VAL
        QCOMPARE(second.getLeftFlags(), 0);       // a status string is no array
        QCOMPARE(text(second.getTable(), 0, 4), QStringLiteral("---"));   // MIW VAL an array
        QCOMPARE(second.getTable().rowCount(), 2);                        // CT only

        // Mistyped members throw nothing and give empty texts and no bits.
        const ChannelData broken = build(*util, CHANNEL3, true);
        QCOMPARE(broken.getChannelIndex(), 2);
        QCOMPARE(broken.getLeftFlags() | broken.getRightFlags(), 0);
        QVERIFY(broken.getFunctionList().isEmpty());
    }

    void functionsComeWithRightsAndLimits()
    {
        auto util = readyUtil();
        const ChannelData data = build(*util, CHANNEL0, true);
        const QVector<ChannelData::Function> functions = data.getFunctionList();
        QCOMPARE(functions.size(), 2);   // no node for GONE; BAD has no ADD
        QVERIFY(functions.at(0).flag);
        QVERIFY(!functions.at(1).flag);   // AUT 2 leaves the administrator out

        const TableStructure tara = data.getFunctionTables().at(1);
        const TableCell offset = tara.cellAt(0, 1);
        QCOMPARE(offset.getRights(), int(TableCell::EDITABLE));
        QCOMPARE(offset.getMax(), 100.0);
        // An entry the factory refuses is shown, never written.
        QVERIFY(tara.cellAt(1, 1).getPath().isEmpty());

        // A save writes only changed editable cells.
        fixture->takeQueuedReads();
        TableStructure edited = tara;
        edited.getRow(0)[1].setValue(QStringLiteral("12.50"));
        edited.getRow(0)[1].setChanged(true);
        edited.getRow(1)[1].setChanged(true);
        util->saveFunctionTable(edited);
        util->triggerFunction(TableStructure(), functions.at(1).name);   // no path: nothing
        int kind = 0;
        const Json::Value sets = fixture->takeTelegram(kind)["INST"]["SET"]["VAL"];
        QCOMPARE(int(sets.size()), 1);
        QCOMPARE(QString::fromStdString(sets[0]["DEST"]["PATH"].asString()), offset.getPath());
        QCOMPARE(QString::fromStdString(sets[0]["VAL"].asString()), QStringLiteral("12.50"));

        // A trigger the device never got is named, like the function's cells, on the login page.
        util->triggerFunction(tara, functions.at(1).name);
        QCOMPARE(fixture->json()->takeUnwrittenWrites().notWritten, QStringList{QStringLiteral("CH01 Kessel – Nullsetzen")});
    }

    void clientNodesNameTheShownChannelAndNodesAreReadOnce()
    {
        LogCapture log;
        fixture->fill(QStringLiteral("$.DATA.CH.CLNT[2]"), QStringLiteral("{\"WAY\": \"NR\", \"PATH\": \"$.CLNT.NR[x\"}"));
        auto util = readyUtil();
        fixture->takeQueuedReads();
        for (int refresh = 0; refresh < 3; ++refresh)
            build(*util, CHANNEL1, false);
        // A client path the mirror cannot take is tried once, not on every refresh.
        QCOMPARE(log.matching(QStringLiteral("could not be added")).size(), 1);
        Json::Value index;
        QVERIFY(fixture->json()->getMasterJSONbyPath(QStringLiteral("$.CLNT.CH"), index, false));
        QCOMPARE(index.asInt(), 1);
        // The list was read whole in this session: its channels are not asked for again.
        QCOMPARE(fixture->takeQueuedReads(), QStringList());

        // Channels another screen's reads left in part are read whole, once.
        fixture->reset();
        fixture->fill(QStringLiteral("$.DATA.CH"), QString::fromUtf8(DESCRIPTION));
        fixture->merge(QStringLiteral("$.DATA.MK"), QString::fromUtf8(CHANNELS));
        fixture->acceptRead(QStringLiteral("$.DATA.MK[*].ADR"));
        auto partial = readyUtil();
        fixture->takeQueuedReads();
        for (int refresh = 0; refresh < 3; ++refresh)
            build(*partial, CHANNEL1, false);
        QCOMPARE(fixture->takeQueuedReads(), QStringList({CHANNEL1}));
    }

    // A change below the update path, or of a node holding it (the first load of the channels), refreshes the data.
    void changeFilter()
    {
        fixture->fill(QStringLiteral("$.DATA.CH.UPD.PATH"), QStringLiteral("\"$.LIVE.MK\""));
        auto util = readyUtil();
        QSignalSpy data(util.get(), SIGNAL(updateChannelData()));
        for (const char* path : {"$.LIVE.MK[1].MV.MW", "$.LIVE", "$.LIVEX", "$.DATA.MK"})
            ConfigMirrorFixture::notify(*util, path);
        QCOMPARE(data.count(), 2);
    }

    // A request that comes between a build's list and the build's end hands the new names
    // over: the screens still hear that the current channel is to be shown anew.
    void namesTakenByARequestRefreshTheData()
    {
        std::unique_ptr<MeasureDisplayUtil> util(new MeasureDisplayUtil());
        util->readChannelDescription();
        QSignalSpy refresh(util.get(), SIGNAL(updateChannelData()));
        int namesShown = 0;
        connect(util.get(), &MeasureDisplayUtil::updateComboBox, util.get(), [&namesShown] { ++namesShown; });
        util->requestChannelList();
        // The list is published on the build thread; the end of the build reaches this thread
        // only through the event loop, which does not run here.
        QElapsedTimer waited;
        waited.start();
        while (util->getChannelPaths().isEmpty() && waited.elapsed() < 10000)
            QThread::msleep(1);
        util->requestChannelList();
        QCOMPARE(namesShown, 1);
        QCOMPARE(refresh.count(), 1);
        QTRY_VERIFY(!util->isWorking());
        QCoreApplication::processEvents();
        QCOMPARE(namesShown, 1);   // the end of the build finds them handed over
    }

    void currentChannelAndHandOver()
    {
        std::unique_ptr<MeasureDisplayUtil> util(new MeasureDisplayUtil());
        util->readChannelDescription();
        // A channel handed over before the list is shown once the list arrives.
        QSignalSpy refresh(util.get(), SIGNAL(updateChannelData()));
        util->selectChannel(CHANNEL1, false);
        util->requestChannelList();
        fixture->fill(QStringLiteral("$.DATA.MK[4]"), QStringLiteral("{\"ADR\": \"CH05\"}"));
        // During the first build it runs once more afterwards, else at once:
        // either way a build after the new channel came has the last word.
        util->requestChannelList();
        QTRY_COMPARE(util->getChannelPaths().size(), 4);
        QTRY_VERIFY(refresh.count() >= 1);   // the end of the build reaches the GUI thread after the list
        QCOMPARE(util->getCurrentChannelPath(), CHANNEL1);

        // A path not listed shows the first channel.
        QString builtPath;
        const ChannelData first = build(*util, QStringLiteral("$.DATA.MK[9]"), false, &builtPath);
        QCOMPARE(first.getChannelIndex(), 0);
        QCOMPARE(builtPath, CHANNEL0);

        // The current channel stays while listed and falls back when gone.
        util->selectChannel(CHANNEL3, false);
        fixture->fill(QStringLiteral("$.DATA.MK[3]"), QStringLiteral("null"));
        buildList(*util);
        QCOMPARE(util->getCurrentChannelPath(), CHANNEL0);
    }

    // A delete resets the screens when it takes the channel they show, also when a list built
    // after the delete, before its notice, has already made another channel current.
    void deleteJudgedByTheShownChannel()
    {
        auto util = readyUtil();
        QSignalSpy reset(util.get(), SIGNAL(deleteSonsor()));
        build(*util, CHANNEL3, false);
        fixture->fill(CHANNEL3, QStringLiteral("null"));
        buildList(*util);
        QCOMPARE(util->getCurrentChannelPath(), CHANNEL0);
        ConfigMirrorFixture::notify(*util, QStringLiteral("$.DATA.MK[30]"), GlobalEnums::DEL);
        QCOMPARE(reset.count(), 0);
        ConfigMirrorFixture::notify(*util, CHANNEL3, GlobalEnums::DEL);
        QCOMPARE(reset.count(), 1);
    }
};

QTEST_GUILESS_MAIN(TestMeasureDisplayUtil)
#include "tst_measuredisplayutil.moc"
