// The stored-measurement worker against a hand-filled mirror: the three
// tables with good and malformed elements, the rights, reads of missing
// tables, the reload filter and the exact delete and export requests.
#include "../common/LogCapture.h"
#include "ConfigMirrorFixture.h"

#include "util/HistMeasureListUtil.h"

#include <QSignalSpy>
#include <QtTest>

#include <memory>

namespace {

// JSON written with single quotes, which keeps the texts here readable.
QString quoted(QString text)
{
    return text.replace(QLatin1Char('\''), QLatin1Char('"'));
}

struct Emitted { bool emitted = false; bool editable = false; QVector<Measure> records; };

Emitted read(HistMeasureListUtil& util)
{
    Emitted result;
    const QMetaObject::Connection connection = QObject::connect(
        &util, QOverload<QVector<Measure>, bool>::of(&HistMeasureListUtil::updateHistMeasure),
        [&](QVector<Measure> records, bool editable) {
            result = {true, editable, records};
        });
    util.getHistMeasures();
    QObject::disconnect(connection);
    return result;
}

QStringList ids(const QVector<Measure>& records)
{
    QStringList list;
    for (const Measure& record : records)
        list << QString::number(record.getId());
    return list;
}

const char* const RECORDINGS = R"({'INP':{'AUT':3},'MTAB':[
 {'ID':12,'FILE':'Messung_0012','STAT':1000,'STOT':5000,'SIZE':{'VAL':1.5,'DIM':{'ID':0,'T':'MB'}},
  'ADR':['$.DATA.CH[0]','$.DATA.CH[1]','$.DATA.CH[2]'],'DIM':['V','A'],'KB':['U1','I1','P1']},
 {'ID':13,'STAT':'1000','STOT':5000},
 {},
 {'ID':12,'STAT':1,'STOT':2},
 {'ID':14,'STAT':2000,'STOT':3000,'SIZE':{'VAL':'viel','DIM':{'T':'kB'}},'ADR':['a'],'DIM':'V','KB':7}]})";

const char* const EXPORTS = R"({'INP':{'AUT':3},'STAS':1, 'TPL':[{'ID':2,'FACT':9},{'ID':1,'FACT':0.4}],
 'DEST':[{'ID':1,'DEV':{'ID':5,'T':'USB'},'UNC':'/usb','SIZE':{'VAL':-5,'DIM':{'T':'GB'}}},
         {'ID':2,'DEV':{'ID':6,'T':'Lokal'},'UNC':'/data','SIZE':{'VAL':null,'DIM':{'T':'MB'}}},
         {'ID':3,'DEV':{'ID':7,'T':'Netz'},'SIZE':{'VAL':1}}],
 'MTAB':[{'ID':4,'FILE':'a.csv','DU':300,'DEST':{'ID':1},'SIZE':{'VAL':0.6,'DIM':{'T':'MB'}}},
         {'ID':5,'DU':100,'DEST':{'ID':2}},
         {'ID':6,'DU':200,'DEST':{'ID':1}},
         {'ID':7,'DU':'gestern'},
         {'ID':'8','DU':50}]})";

} // namespace

class TestHistMeasureListUtil : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<ConfigMirrorFixture> fixture;

    void fill(const QString& path, const char* text) { fixture->fill(path, quoted(QString::fromUtf8(text))); }

    // The next queued telegram as its kind and compact JSON.
    QPair<int, QString> takeTelegram()
    {
        int kind = 0;
        const Json::Value telegram = fixture->takeTelegram(kind);
        return {kind, kind ? QString::fromStdString(Json::FastWriter().write(telegram)).trimmed() : QString()};
    }

private slots:
    void initTestCase() { fixture.reset(new ConfigMirrorFixture()); }
    void cleanupTestCase() { fixture.reset(); }

    void init()
    {
        fixture->reset();
        fixture->login();
    }

    void readsRecordingsAndSkipsMalformedOnesOnce()
    {
        fill(QStringLiteral("$.MEM"), RECORDINGS);
        HistMeasureListUtil util(1);
        LogCapture log;
        Emitted result = read(util);
        QVERIFY(result.editable);
        QCOMPARE(ids(result.records), QStringList({"12", "14"}));

        const QList<CharacteristicLine> channels = result.records.at(0).getChannels();
        QCOMPARE(channels.size(), 3);
        QCOMPARE(channels.at(2).getDimension(), QString());   // DIM has two entries
        QCOMPARE(channels.at(2).getDesignation(), QStringLiteral("P1"));

        // A size that is no number reads 0; DIM and KB that are no lists give empty texts.
        const Measure& odd = result.records.at(1);
        QCOMPARE(odd.getSize(), 0.0);
        QCOMPARE(odd.getChannels().at(0).getDesignation(), QString());

        const int warnings = log.messages().size();
        read(util);
        QCOMPARE(log.messages().size(), warnings);   // each warning once

        // Rights: a role the mask does not cover, then no rights node at all.
        fixture->login(4);
        QVERIFY(!read(util).editable);
        fixture->login();
        fixture->fill(QStringLiteral("$.MEM.INP"), QStringLiteral("null"));
        QVERIFY(!read(util).editable);
        QVERIFY(!read(*new HistMeasureListUtil(9, &util)).emitted);
    }

    void readsExportsAndDestinations()
    {
        fill(QStringLiteral("$.EXP"), EXPORTS);
        HistMeasureListUtil util(3);
        Emitted result = read(util);
        QVERIFY(result.editable);
        // Oldest export first; one without a time of export before all others.
        QCOMPARE(ids(result.records), QStringList({"7", "5", "6", "4"}));
        QCOMPARE(HistMeasureListUtil::exportTimeText(result.records.at(0), QStringLiteral("yyyy")), QString());
        QCOMPARE(result.records.at(0).getDestinationId(), HistMeasureListUtil::NO_DESTINATION);

        const QMap<int, ExportDestination> destinations = util.getDestinations();
        QCOMPARE(destinations.keys(), QList<int>({1, 2}));
        QCOMPARE(destinations[1].getAvailable(), 0.0);   // a negative size
        QCOMPARE(destinations[1].getFactor(), 0.4);
        QVERIFY(!destinations[2].isSizeValid());

        // Mode 2 follows the export state, read on its own notification.
        HistMeasureListUtil exporting(2);
        read(exporting);
        QCOMPARE(exporting.getExportState(), 1);
        fixture->fill(QStringLiteral("$.EXP.STAS"), QStringLiteral("2"));
        QSignalSpy reloads(&exporting, QOverload<>::of(&HistMeasureListUtil::updateHistMeasure));
        ConfigMirrorFixture::notify(exporting, QStringLiteral("$.EXP.STAS"));
        QCOMPARE(exporting.getExportState(), 2);
        QCOMPARE(reloads.count(), 0);

        fixture->fill(QStringLiteral("$.EXP.TPL"), QStringLiteral("[]"));
        QCOMPARE(util.getTemplateFactor(1), 0.0);
    }

    void readsOnlyMissingTablesAndReloadsOncePerBatch()
    {
        // An empty table is a table: listed as empty, never asked for.
        fixture->fill(QStringLiteral("$.MEM"), quoted("{'INP':{'AUT':3},'MTAB':[]}"));
        HistMeasureListUtil util(0);
        Emitted result = read(util);
        QVERIFY(result.emitted);
        QCOMPARE(fixture->takeQueuedReads(), QStringList());

        // A missing one is asked for as a whole, once until it changes.
        fixture->reset();
        fixture->fill(QStringLiteral("$.MEM.INP"), quoted("{'AUT':3}"));
        QVERIFY(read(util).emitted);
        read(util);
        QCOMPARE(fixture->takeQueuedReads(), QStringList({"$.MEM.MTAB"}));

        // So is one another screen's read of its names left in part.
        fixture->reset();
        fixture->fill(QStringLiteral("$.MEM.INP"), quoted("{'AUT':3}"));
        fixture->merge(QStringLiteral("$.MEM.MTAB"), quoted("[{'FILE':'M1'},{'FILE':'M2'}]"));
        fixture->acceptRead(QStringLiteral("$.MEM.MTAB[*].FILE"));
        read(util);
        read(util);
        QCOMPARE(fixture->takeQueuedReads(), QStringList({"$.MEM.MTAB"}));

        // 500 changes of recordings in one telegram: one reload.
        QStringList elements, sets;
        for (int i = 0; i < 500; ++i) {
            elements << QStringLiteral("{'ID':%1,'STAT':1,'STOT':2}").arg(i);
            sets << QStringLiteral("{'DEST':{'PATH':'$.MEM.MTAB[%1].FILE'},'VAL':'M%1'}").arg(i);
        }
        fixture->fill(QStringLiteral("$.MEM.MTAB"), quoted(QLatin1Char('[') + elements.join(',') + ']'));
        QSignalSpy reloads(&util, QOverload<>::of(&HistMeasureListUtil::updateHistMeasure));
        Json::Value telegram = parseQuoted("{'INST':{'SET':{'VAL':[" + sets.join(',') + "]}}}");
        fixture->json()->handleReceiveJSON(telegram);
        QCOMPARE(reloads.count(), 1);
        QCOMPARE(read(util).records.at(499).getName(), QStringLiteral("M499"));
        QCOMPARE(fixture->takeQueuedReads(), QStringList());

        // A rights node counts with what it holds, a namesake does not.
        ConfigMirrorFixture::notify(util, QStringLiteral("$.EXP.INPX"));
        QCOMPARE(reloads.count(), 1);
        ConfigMirrorFixture::notify(util, QStringLiteral("$.MEM.INP.AUT"));
        QCOMPARE(reloads.count(), 2);
        emit fixture->rights()->updateRights();
        QCOMPARE(reloads.count(), 3);
    }

    void sendsExactDeleteAndExportRequests()
    {
        const QVector<Measure> recordings = {Measure("a", 12, 0, 0), Measure("b", 13, 0, 0)};
        HistMeasureListUtil(1).deleteMeasures(recordings);
        QCOMPARE(takeTelegram(), qMakePair(4, quoted("{'INST':{'DEL':{'VAL':[{'DEST':{'PATH':'$.MEM.MTAB'},'MODE':0,"
                                     "'VAL':{'ID':'12,13'}}]},'GET':{'VAL':[]},'SET':{'MSG':[],'VAL':[]}}}")));

        HistMeasureListUtil(2).exportMeasure(1, 12);
        QCOMPARE(takeTelegram(),
                 qMakePair(5, quoted("{'INST':{'DEL':{'VAL':[]},'GET':{'VAL':[{'DEST':{'PATH':'$.EXP.MTAB'},"
                                     "'MODE':0,'VAL':{'DEST':{'ID':1},'MTAB':{'ID':12}}}]},"
                                     "'SET':{'MSG':[],'VAL':[]}}}")));

        // Lists that delete nothing send nothing.
        HistMeasureListUtil(0).deleteMeasures(recordings);
        HistMeasureListUtil(2).deleteMeasures(recordings);
        QCOMPARE(takeTelegram().first, 0);
    }
};

QTEST_MAIN(TestHistMeasureListUtil)
#include "tst_histmeasurelistutil.moc"
