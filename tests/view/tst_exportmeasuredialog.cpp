// The export dialog as a real widget: the destinations it offers, when it allows the export (sizes in
// comparable and foreign units), the colour of the free space, the request it sends through the worker.
#include "../util/ConfigMirrorFixture.h"
#include "Screenshot.h"

#include "util/HistMeasureListUtil.h"
#include "view/ExportMeasureDialog.h"
#include "widgets/ZComboBox.h"

#include <QLabel>
#include <QPushButton>
#include <QtTest>

namespace {

using Destinations = QMap<int, ExportDestination>;
using Dialog = QPointer<ExportMeasureDialog>;

ExportDestination destination(int id, double available, const QString& unit, double factor = 1.0,
                              bool sizeValid = true)
{
    return ExportDestination(id, QStringLiteral("/media/ziel%1").arg(id), QStringLiteral("Ziel %1").arg(id), -1,
                             available, unit, factor, sizeValid);
}

Measure recording(double size, const QString& unit) { return Measure("Messung_0012", 12, 1000, 5000, size, unit); }

template <typename T> T* child(QWidget* dialog, const char* name)
{
    T* widget = dialog->findChild<T*>(QLatin1String(name));
    if (!widget)
        qFatal("missing widget %s", name);
    return widget;
}

bool exportAllowed(QWidget* dialog)
{
    return child<QPushButton>(dialog, "btnExportMeasureDialog_ExportFile")->isEnabled();
}

bool freeSpaceRed(QWidget* dialog)
{
    return child<QLabel>(dialog, "lblExportMeasureDialog_ValueMemoryFree")->palette().color(QPalette::WindowText)
           == QColor(Qt::red);
}

const QString ALLOWED = QStringLiteral("allowed");
const QString REFUSED = QStringLiteral("refused");

QString text(QWidget* dialog, const char* name) { return child<QLabel>(dialog, name)->text(); }

} // namespace

class TestExportMeasureDialog : public QObject
{
    Q_OBJECT

    std::unique_ptr<ConfigMirrorFixture> fixture;
    std::unique_ptr<QWidget> window;

    Dialog open(const Measure& measure, const Destinations& targets, HistMeasureListUtil* util = nullptr)
    { return new ExportMeasureDialog(window.get(), measure, targets, util); }

    // ALLOWED, REFUSED (button off and free space red) or anything else for a mix.
    QString verdict(const Measure& measure, const ExportDestination& target)
    {
        Dialog dialog = open(measure, {{target.getId(), target}});
        const bool allowed = exportAllowed(dialog), red = freeSpaceRed(dialog);
        dialog->close();
        return allowed == red ? QStringLiteral("mixed") : allowed ? ALLOWED : REFUSED;
    }

private slots:
    void initTestCase()
    {
        fixture.reset(new ConfigMirrorFixture());
        window.reset(new QWidget());
        window->resize(1024, 700);
        window->show();
    }
    void cleanupTestCase() { window.reset(), fixture.reset(); }

    void withoutUsableDestination()
    {
        for (const Destinations& destinations :
             {Destinations(), Destinations({{1, destination(1, 100, "MB", 1.0, false)}})}) {
            Dialog dialog = open(recording(10, "MB"), destinations);
            auto* box = child<ZComboBox>(dialog, "cbxExportMeasureDialog_StorageSelector");
            QVERIFY(box->count() == 1 && !box->itemData(0).isValid());
            QVERIFY(!exportAllowed(dialog));
            QVERIFY(grabScreenshot(dialog, QStringLiteral("exportmeasuredialog_none.png")));
            dialog->close();
        }
    }

    void needsStrictlyMoreFreeSpace()
    {
        Dialog dialog = open(recording(10, "MB"), {{3, destination(3, 15, "MB", 1.5)}});
        QCOMPARE(text(dialog, "lblExportMeasureDialog_ValueMemoryNeeded"), QStringLiteral("15.00 MB"));
        QVERIFY(!exportAllowed(dialog) && freeSpaceRed(dialog));
        QVERIFY(grabScreenshot(dialog, QStringLiteral("exportmeasuredialog_red.png")));
        dialog->close();

        QCOMPARE(verdict(recording(10, "MB"), destination(3, 15.01, "MB", 1.5)), ALLOWED);
        // An empty recording still needs a hundredth of the destination's unit.
        QCOMPARE(verdict(recording(0, "MB"), destination(1, 0.01, "MB")), REFUSED);
        QCOMPARE(verdict(recording(0, "MB"), destination(1, 0.02, "MB")), ALLOWED);
        QCOMPARE(verdict(recording(0, "MB"), destination(1, 0.01, "GB")), REFUSED);
    }

    void comparesSizesAcrossUnits()
    {
        // Unit spellings are tst_storagesize's; here the dialog converts in both directions.
        QCOMPARE(verdict(recording(1000, "MB"), destination(1, 1, "GB")), ALLOWED);
        QCOMPARE(verdict(recording(2048, "kB"), destination(1, 1.5, "MB")), REFUSED);

        Dialog dialog = open(recording(2048, "kB"), {{1, destination(1, 2.5, "MB")}});
        QVERIFY(!child<QLabel>(dialog, "lblExportMeasureDialog_SizeCheck")->isVisible());
        QVERIFY(grabScreenshot(dialog, QStringLiteral("exportmeasuredialog_allowed.png")));
        dialog->close();

        dialog = open(recording(10, "Blöcke"), {{1, destination(1, 1e9, "MB")}});
        QVERIFY(!exportAllowed(dialog) && freeSpaceRed(dialog));
        QCOMPARE(text(dialog, "lblExportMeasureDialog_SizeCheck"),
                 QStringLiteral("Der Speicherbedarf kann nicht geprüft werden (Einheiten Blöcke / MB)."));
        dialog->close();
    }

    void switchingDestinationUpdatesAtOnce()
    {
        Dialog dialog =
            open(recording(10, "MB"), {{2, destination(2, 5, "MB")}, {1, destination(1, 20, "MB", 2)}});
        auto* box = child<ZComboBox>(dialog, "cbxExportMeasureDialog_StorageSelector");
        QCOMPARE(QVariantList({box->itemData(0), box->itemData(1)}), QVariantList({1, 2}));
        QVERIFY(!exportAllowed(dialog));   // 20 MB needed, 20 MB free
        box->setCurrentIndex(1);
        emit box->activated(1);
        QCOMPARE(text(dialog, "lblExportMeasureDialog_ValueMemoryFree"), QStringLiteral("5.00 MB"));
        QVERIFY(!exportAllowed(dialog) && freeSpaceRed(dialog));
        QCOMPARE(text(dialog, "lblExportMeasureDialog_ValueMemoryNeeded"), QStringLiteral("20.00 MB"));
        dialog->close();
    }

    void exportsThroughTheWorker()
    {
        fixture->reset(), fixture->login();
        fixture->fill(QStringLiteral("$.EXP"),
                      QStringLiteral(R"({"INP":{"AUT":3},"STAS":1,"TPL":[{"ID":1,"FACT":1.5}],
            "DEST":[{"ID":4,"DEV":{"ID":5,"T":"USB"},"UNC":"/usb","SIZE":{"VAL":2,"DIM":{"T":"GB"}}},
                    {"ID":6,"DEV":{"ID":6,"T":"Lokal"},"UNC":"/data","SIZE":{"VAL":"voll","DIM":{"T":"MB"}}}]})"));
        HistMeasureListUtil util(2);
        util.readDestinations();
        Dialog dialog = open(recording(100, "MB"), util.getDestinations(), &util);
        auto* box = child<ZComboBox>(dialog, "cbxExportMeasureDialog_StorageSelector");
        QCOMPARE(box->count(), 1);   // the one without a numeric free space is not offered
        QCOMPARE(text(dialog, "lblExportMeasureDialog_ValueMemoryNeeded"), QStringLiteral("150.00 MB"));
        fixture->json()->clearRequests();

        QTest::mouseClick(child<QPushButton>(dialog, "btnExportMeasureDialog_ExportFile"), Qt::LeftButton);
        int kind = 0; Json::Value telegram; QList<qint64> ids;
        fixture->json()->buildTelegram(kind, telegram, ids);
        fixture->json()->removeRequests(ids);
        QCOMPARE(kind, 5);
        QCOMPARE(QString::fromStdString(Json::FastWriter().write(telegram["INST"]["GET"])).trimmed(),
                 QStringLiteral(R"({"VAL":[{"DEST":{"PATH":"$.EXP.MTAB"},"MODE":0,)"
                                R"("VAL":{"DEST":{"ID":4},"MTAB":{"ID":12}}}]})"));
        QTRY_VERIFY(dialog.isNull());

        // The end of the session closes it without a request.
        dialog = open(recording(100, "MB"), util.getDestinations(), &util);
        emit fixture->app->onLogout();
        QTRY_VERIFY(dialog.isNull());
        fixture->json()->buildTelegram(kind, telegram, ids);
        QCOMPARE(kind, 0);
    }
};

QTEST_MAIN(TestExportMeasureDialog)
#include "tst_exportmeasuredialog.moc"
