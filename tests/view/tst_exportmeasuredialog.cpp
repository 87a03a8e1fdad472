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

// Destination 1 is named by a text id (20080, "USB-Stick"), the others by the device's text only.
ExportDestination destination(int id, double available, const QString& unit, double factor = 1.0, bool valid = true)
{
    return ExportDestination(id, QStringLiteral("/media/ziel%1").arg(id), QStringLiteral("Ziel %1").arg(id),
                             id == 1 ? 20080 : -1, available, unit, factor, valid);
}

Measure recording(double size, const QString& unit) { return Measure("Messung_0012", 12, 1000, 5000, size, unit); }

template <typename T> T* child(QWidget* dialog, const char* name)
{
    T* widget = dialog->findChild<T*>(QLatin1String(name));
    if (!widget)
        qFatal("missing widget %s", name);
    return widget;
}

bool exportAllowed(QWidget* dialog) { return child<QPushButton>(dialog, "btnExportMeasureDialog_ExportFile")->isEnabled(); }
QString text(QWidget* dialog, const char* name) { return child<QLabel>(dialog, name)->text(); }
ZComboBox* box(QWidget* dialog) { return child<ZComboBox>(dialog, "cbxExportMeasureDialog_StorageSelector"); }
bool freeSpaceRed(QWidget* dialog)
{
    return child<QLabel>(dialog, "lblExportMeasureDialog_ValueMemoryFree")->palette().color(QPalette::WindowText)
           == QColor(Qt::red);
}

} // namespace

class TestExportMeasureDialog : public QObject
{
    Q_OBJECT

    std::unique_ptr<ConfigMirrorFixture> fixture;
    std::unique_ptr<QWidget> window;

    Dialog open(const Measure& measure, const Destinations& targets, HistMeasureListUtil* util = nullptr)
    {
        return new ExportMeasureDialog(window.get(), measure, targets, util);
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
            QVERIFY(box(dialog)->count() == 1 && !box(dialog)->itemData(0).isValid() && !exportAllowed(dialog));
            QVERIFY(grabScreenshot(dialog, QStringLiteral("exportmeasuredialog_none.png")));
            dialog->close();
        }
    }

    void allowedOnlyWithStrictlyMoreFreeSpace()
    {
        const struct { double size; const char* unit; double free; const char* freeUnit; double factor; bool allowed;
                       const char* needed; } rows[] = {
            {10, "MB", 15, "MB", 1.5, false, "15.00 MB"}, {10, "MB", 15.01, "MB", 1.5, true, "15.00 MB"},
            // An empty recording still needs a hundredth of the destination's unit.
            {0, "MB", 0.01, "MB", 1, false, "0.01 MB"}, {0, "MB", 0.02, "MB", 1, true, "0.01 MB"},
            {0, "MB", 0.01, "GB", 1, false, "0.01 MB"},
            // Unit spellings are tst_storagesize's; here the dialog converts in both directions.
            {1000, "MB", 1, "GB", 1, true, "1000.00 MB"}, {2048, "kB", 1.5, "MB", 1, false, "2048.00 kB"},
            {2048, "kB", 2.5, "MB", 1, true, "2048.00 kB"}, {10, "Blöcke", 1e9, "MB", 1, false, "10.00 Blöcke"}};
        for (const auto& row : rows) {
            Dialog dialog = open(recording(row.size, row.unit), {{3, destination(3, row.free, row.freeUnit, row.factor)}});
            QVERIFY2(exportAllowed(dialog) == row.allowed && freeSpaceRed(dialog) != row.allowed, row.needed);
            QCOMPARE(text(dialog, "lblExportMeasureDialog_ValueMemoryNeeded"), QString::fromUtf8(row.needed));
            auto* check = child<QLabel>(dialog, "lblExportMeasureDialog_SizeCheck");
            QCOMPARE(check->isVisible(), QByteArray(row.unit) == "Blöcke");
            if (check->isVisible())
                QCOMPARE(check->text(), QStringLiteral("Der Speicherbedarf kann nicht geprüft werden (Einheiten Blöcke / MB)."));
            if (&row == rows || &row == rows + 7)
                QVERIFY(grabScreenshot(dialog, QStringLiteral("exportmeasuredialog_%1.png").arg(row.allowed ? "allowed" : "red")));
            dialog->close();
        }
    }

    void switchingDestinationUpdatesAtOnce()
    {
        Dialog dialog = open(recording(10, "MB"), {{2, destination(2, 5, "MB")}, {1, destination(1, 30, "MB", 2)}});
        QCOMPARE(QVariantList({box(dialog)->itemData(0), box(dialog)->itemData(1)}), QVariantList({1, 2}));
        QCOMPARE(QStringList({box(dialog)->itemText(0), box(dialog)->itemText(1)}), QStringList({"USB-Stick", "Ziel 2"}));
        QVERIFY(exportAllowed(dialog));
        box(dialog)->setCurrentIndex(1);
        emit box(dialog)->activated(1);
        QCOMPARE(text(dialog, "lblExportMeasureDialog_ValueMemoryFree"), QStringLiteral("5.00 MB"));
        QVERIFY(!exportAllowed(dialog) && freeSpaceRed(dialog));
        dialog->close();
    }

    void exportsThroughTheWorker()
    {
        fixture->reset(), fixture->login();
        fixture->fill(QStringLiteral("$.EXP"), QStringLiteral(R"({"INP":{"AUT":3},"STAS":1,"TPL":[{"ID":1,"FACT":1.5}],
            "DEST":[{"ID":4,"DEV":{"ID":5,"T":"USB"},"UNC":"/usb","SIZE":{"VAL":2,"DIM":{"T":"GB"}}},
                    {"ID":6,"DEV":{"ID":6,"T":"Lokal"},"UNC":"/data","SIZE":{"VAL":"voll","DIM":{"T":"MB"}}}]})"));
        HistMeasureListUtil util(2);
        util.readDestinations();
        Dialog dialog = open(recording(100, "MB"), util.getDestinations(), &util);
        QCOMPARE(box(dialog)->count(), 1);   // the one without a numeric free space is not offered
        QCOMPARE(text(dialog, "lblExportMeasureDialog_ValueMemoryNeeded"), QStringLiteral("150.00 MB"));
        fixture->json()->clearRequests();
        // The end of the session closes it without a request (the request itself: tst_logger's export step).
        emit fixture->app->onLogout();
        QTRY_VERIFY(dialog.isNull());
        int kind = 0;
        Json::Value telegram;
        QList<qint64> ids;
        fixture->json()->buildTelegram(kind, telegram, ids);
        QCOMPARE(kind, 0);
    }
};

QTEST_MAIN(TestExportMeasureDialog)
#include "tst_exportmeasuredialog.moc"
