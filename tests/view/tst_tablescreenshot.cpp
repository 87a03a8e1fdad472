// A table of every cell type under the application style sheets: every cell
// is laid out and visible, and the delegate's backgrounds survive the sheet.
// With TEVARO_TABLE_SCREENSHOT=<file.png> the table is saved as a picture.

#include "TableTestSupport.h"

#include "widgets/TevaroResources.h"

#include <QApplication>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QPixmap>
#include <QtTest>

using namespace tabletest;

namespace {

QString readSheet(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

TableCell named(TableCell::CellType type, const QVariant& value, int rights = TableCell::EDITABLE,
                const QVariant& data = QVariant(QString("")))
{
    return cell(type, value, rights, data);
}

QVector<QVector<TableCell>> everyCellType()
{
    const QStringList options{QStringLiteral("Aus"), QStringLiteral("Ein"), QStringLiteral("Automatisch")};
    TableCell number = named(TableCell::NUMBER_EDIT, QStringLiteral("12.50"));
    number.setAlignment(TableCell::ALIGN_RIGHT);
    TableCell linkCell = named(TableCell::LINK, QStringLiteral("$.CONF.IN"));
    linkCell.setAlignment(TableCell::ALIGN_RIGHT);
    TableCell iconCell = named(TableCell::ICON, QPixmap(QStringLiteral(":/pic/measureflags/FlagAFAlarm.png")));
    iconCell.setAlignment(TableCell::ALIGN_CENTER);

    const QList<QPair<QString, TableCell>> entries{
        {QStringLiteral("0 Text"), named(TableCell::TEXT, QStringLiteral("Temperatur Kessel"), 0)},
        {QStringLiteral("1 Auswahl"), named(TableCell::CHECK, true)},
        {QStringLiteral("2 Zahl"), number},
        {QStringLiteral("3 Text-Eingabe"), named(TableCell::TEXT_EDIT, QStringLiteral("Messstelle 1"))},
        {QStringLiteral("3 nur lesen"), named(TableCell::TEXT_EDIT, QStringLiteral("Seriennummer 4711"), 1)},
        {QStringLiteral("4 Symbol"), iconCell},
        {QStringLiteral("5 Uhr"), named(TableCell::CLOCK, QTime(14, 5, 30), 2, QStringLiteral("HH:mm:ss"))},
        {QStringLiteral("6 Zeit"), named(TableCell::TIME, QTime(6, 45), 2, QStringLiteral("HH:mm"))},
        {QStringLiteral("7 Datum"), named(TableCell::DATE, QDate(2024, 5, 17), 2, QStringLiteral("dd.MM.yyyy"))},
        {QStringLiteral("8 Untertabelle"), linkCell},
        {QStringLiteral("9 Optionen"), named(TableCell::RADIO_GROUP, 1, 2, options)},
        {QStringLiteral("10 Liste (Index)"), named(TableCell::COMBO_INDEX, 2, 2, options)},
        {QStringLiteral("11 Liste (Text)"), named(TableCell::COMBO_TEXT, QStringLiteral("Ein"), 2, options)},
        {QStringLiteral("12 Messwert"), named(TableCell::MEASURE, QStringList{"21.53", "°C"}, 0, 1024)},
        {QStringLiteral("13 Info"),
         named(TableCell::GROWING_TEXT,
               QStringLiteral("Ein längerer Hinweistext, der in seiner Zeile umbricht, damit er ganz zu lesen "
                              "ist, auch wenn die Spalte schmal ist."),
               0)},
        {QStringLiteral("14 Eigenes Element"), named(TableCell::OWNER_WIDGET, QStringLiteral("vom Bildschirm"))},
        {QStringLiteral("15 Dokument"), named(TableCell::DOCUMENT_LINK, QStringLiteral("PDF"), 2,
                                               QStringLiteral("/opt/doc/handbuch.pdf"))},
        {QStringLiteral("15 Dokument (gesperrt)"), named(TableCell::DOCUMENT_LINK, QStringLiteral("PDF"), 1)},
        {QStringLiteral("16 Verweis"),
         named(TableCell::LINK_LABEL, QStringLiteral("Siehe <a href=\"https://example.org\">Handbuch</a>"))},
        {QStringLiteral("17 Animation"),
         named(TableCell::ANIMATION, QStringLiteral(":/pic/logger/icon_ringspeicher_aktiv_31x31_01.gif"))},
        {QStringLiteral("Kein Zugriff"), named(TableCell::COMBO_INDEX, 0, TableCell::NO_ACCESS, options)},
        {QStringLiteral("18 keine Zelle"), named(TableCell::NONE, QString())},
    };
    QVector<QVector<TableCell>> rows;
    for (const auto& entry : entries)
        rows.append({named(TableCell::TEXT, entry.first, 0), entry.second});
    return rows;
}

} // namespace

class TestTableScreenshot : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void everyCellTypeUnderTheStyleSheet();
};

void TestTableScreenshot::initTestCase()
{
    ensureTevaroResources();
    QFont font = QApplication::font();
    font.setPointSize(12);
    QApplication::setFont(font);
    const QString sheet = readSheet(QStringLiteral(":/qss/TevaroApp.qss"))
                          + readSheet(QStringLiteral(":/qss/TevaroApp_Desktop.qss"));
    QVERIFY(!sheet.isEmpty());
    qApp->setStyleSheet(sheet);
}

void TestTableScreenshot::everyCellTypeUnderTheStyleSheet()
{
    TableObject object;
    connect(&object, &TableObject::detectDisplayWidget, &object, [&object](int row, int column, TableCell request) {
        auto* label = new QLabel(request.getValue().toString());
        label->setStyleSheet(QStringLiteral("QLabel{background:rgb(0,82,66); color:white; padding:4px;}"));
        object.insertCellWidget(label, request, row, column);
    });
    TableStructure shown = table(everyCellType(), 2);
    shown.setHeader({TableEntry(QStringLiteral("Zellart")), TableEntry(QStringLiteral("Zelle"))});
    shown.setHeaderVisible(true);
    object.setTableHeader(shown);
    object.setTableStyle(4);
    object.setColumnWidth(0, 260);
    object.setTableData(shown, true, QString(), false, 0);

    object.resize(820, 600);
    object.show();
    QVERIFY(QTest::qWaitForWindowExposed(&object));
    QTest::qWait(50);
    // Rows that fit their content know their height once laid out.
    const int height = object.horizontalHeader()->height() + object.verticalHeader()->length()
                       + 2 * object.frameWidth();
    object.resize(820, height);
    QTest::qWait(50);

    // Every row is on screen, and every widget cell is laid out inside its cell.
    const QRect viewport = object.viewport()->rect();
    for (int r = 0; r < object.rowCount(); ++r) {
        const QRect cellRect = object.visualRect(object.model()->index(r, 1));
        QVERIFY2(viewport.contains(cellRect), qPrintable(QStringLiteral("row %1 is cut off").arg(r)));
        if (QWidget* widget = object.cellWidget(r, 1)) {
            QVERIFY2(widget->isVisible(), qPrintable(QStringLiteral("row %1 is hidden").arg(r)));
            QVERIFY(!widget->geometry().isEmpty());
            QVERIFY(cellRect.contains(widget->geometry().center()));
        }
    }

    const QImage image = object.grab().toImage();
    const QPoint origin = object.viewport()->mapTo(&object, QPoint(0, 0));
    auto backgroundOf = [&](int row) {
        const QRect rect = object.visualRect(object.model()->index(row, 1));
        return image.pixelColor(origin + rect.topLeft() + QPoint(3, 3));
    };
    QCOMPARE(backgroundOf(2), QColor(248, 248, 248));    // editable number
    QCOMPARE(backgroundOf(20), QColor(200, 200, 200));   // no access
    QCOMPARE(backgroundOf(4), QColor(Qt::white));        // read-only text

    // Text in cell widgets keeps the item text's distance from the cell edges.
    auto inkColumns = [&](int row) {
        const QRect rect = object.visualRect(object.model()->index(row, 1)).translated(origin);
        int first = -1;
        int last = -1;
        for (int x = rect.left(); x <= rect.right(); ++x) {
            for (int y = rect.top() + 2; y < rect.bottom() - 2; ++y) {
                if (qGray(image.pixel(x, y)) < 160) {
                    if (first < 0)
                        first = x - rect.left();
                    last = rect.right() - x;
                    break;
                }
            }
        }
        return qMakePair(first, last);   // distance of the ink from the left and the right edge
    };
    const int itemText = inkColumns(0).first;
    QVERIFY(itemText >= 8);
    for (int row : {16, 17, 18}) {
        const int labelText = inkColumns(row).first;
        QVERIFY2(qAbs(labelText - itemText) <= 3,
                 qPrintable(QStringLiteral("row %1: text at %2, item text at %3").arg(row).arg(labelText).arg(itemText)));
    }
    const int measureMargin = inkColumns(13).second;
    QVERIFY2(measureMargin >= 8, qPrintable(QStringLiteral("unit %1 px from the edge").arg(measureMargin)));

    // The unit of a disabled measured-value cell is as black as its text, not greyed out.
    const QRect measure = object.visualRect(object.model()->index(13, 1)).translated(origin);
    int darkest = 255;
    for (int x = measure.center().x(); x <= measure.right(); ++x) {
        for (int y = measure.top(); y <= measure.bottom(); ++y) {
            const QColor c = image.pixelColor(x, y);
            if (c.red() - c.green() < 60)   // leave the red value out
                darkest = qMin(darkest, qGray(c.rgb()));
        }
    }
    QVERIFY2(darkest < 60, qPrintable(QStringLiteral("darkest unit pixel %1").arg(darkest)));

    const QByteArray target = qgetenv("TEVARO_TABLE_SCREENSHOT");
    if (!target.isEmpty())
        QVERIFY(image.save(QString::fromLocal8Bit(target)));
}

QTEST_MAIN(TestTableScreenshot)
#include "tst_tablescreenshot.moc"
