// The cell factory: every cell type under every rights state is shown by the
// right item or widget, enabled by its rights, with the cell properties.

#include "TableTestSupport.h"

#include "widgets/TevaroResources.h"
#include "widgets/ZLabel.h"
#include "widgets/ZMeasureTextWidget.h"

#include <QApplication>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QPixmap>
#include <QtTest>

using namespace tabletest;

namespace {

const QString dashes = QStringLiteral("-------------");
const QString animationFile = QStringLiteral(":/pic/logger/icon_ringspeicher_aktiv_31x31_01.gif");

QString readSheet(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

// A typical value and data of each cell type.
TableCell sampleCell(int type, int rights)
{
    const QStringList options{QStringLiteral("aus"), QStringLiteral("ein"), QStringLiteral("auto")};
    switch (type) {
    case TableCell::CHECK:
        return cell(TableCell::CHECK, true, rights);
    case TableCell::NUMBER_EDIT:
        return cell(TableCell::NUMBER_EDIT, QStringLiteral("12.5"), rights);
    case TableCell::ICON:
        return cell(TableCell::ICON, QPixmap(16, 16), rights);
    case TableCell::CLOCK:
    case TableCell::TIME:
        return cell(TableCell::CellType(type), QTime(12, 30, 15), rights, QStringLiteral("HH:mm:ss"));
    case TableCell::DATE:
        return cell(TableCell::DATE, QDate(2024, 2, 29), rights, QStringLiteral("dd.MM.yyyy"));
    case TableCell::LINK:
        return cell(TableCell::LINK, QStringLiteral("$.CONF.SUB"), rights);
    case TableCell::RADIO_GROUP:
    case TableCell::COMBO_INDEX:
        return cell(TableCell::CellType(type), 1, rights, options);
    case TableCell::COMBO_TEXT:
        return cell(TableCell::COMBO_TEXT, QStringLiteral("auto"), rights, options);
    case TableCell::MEASURE:
        return cell(TableCell::MEASURE, QStringList{"21.53", "°C"}, rights, 1024);
    case TableCell::DOCUMENT_LINK:
        return cell(TableCell::DOCUMENT_LINK, QStringLiteral("PDF"), rights, QStringLiteral("/tmp/manual.pdf"));
    case TableCell::LINK_LABEL:
        return cell(TableCell::LINK_LABEL, QStringLiteral("<a href=\"https://example.org\">Hilfe</a>"), rights);
    case TableCell::ANIMATION:
        return cell(TableCell::ANIMATION, animationFile, rights);
    default:
        return cell(TableCell::CellType(type), QStringLiteral("Text %1").arg(type), rights);
    }
}

} // namespace

class TestTableCells : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { ensureTevaroResources(); }

    void cellByTypeAndRights_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("rights");
        QTest::addColumn<QString>("shown");   // class name or "item"
        QTest::addColumn<bool>("inContainer");
        QTest::addColumn<bool>("enabled");

        // Per widget type: its class, whether a container holds it, whether its
        // enabled state follows the rights. Types not listed are items.
        struct Shown { const char* name; bool inContainer; bool followsRights; };
        const QMap<int, Shown> widgets{{1, {"ZCheckButton", true, true}},   {4, {"QLabel", false, false}},
                                       {5, {"ZTimeEdit", false, true}},     {6, {"ZTimeEdit", false, true}},
                                       {7, {"ZDateEdit", false, true}},     {8, {"ZClickLabel", false, true}},
                                       {9, {"ZRadioGroup", true, true}},    {10, {"ZComboBox", true, true}},
                                       {11, {"ZComboBox", true, true}},     {12, {"ZMeasureTextWidget", true, true}},
                                       {15, {"ZClickLabel", true, false}},  {16, {"QLabel", true, false}},
                                       {17, {"QLabel", false, false}}};
        for (int type : {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 15, 16, 17, 18, 99}) {
            for (int rights = 0; rights <= 3; ++rights) {
                const QByteArray name = QStringLiteral("type %1, rights %2").arg(type).arg(rights).toLatin1();
                const Shown shown = widgets.value(type, {"item", false, false});
                const bool editable = rights == TableCell::EDITABLE;
                // Without access every cell is an item; without edit rights a document link is a plain label.
                const QString widget = rights == TableCell::NO_ACCESS ? QStringLiteral("item")
                                       : type == 15 && !editable    ? QStringLiteral("ZLabel")
                                                                    : QString(shown.name);
                QTest::newRow(name) << type << rights << widget << shown.inContainer << (!shown.followsRights || editable);
            }
        }
    }

    void cellByTypeAndRights()
    {
        QFETCH(int, type);
        QFETCH(int, rights);
        QFETCH(QString, shown);
        QFETCH(bool, inContainer);
        QFETCH(bool, enabled);

        TableObject object;
        show(object, table({{cell(TableCell::TEXT, QStringLiteral("Bezeichnung"), 0), sampleCell(type, rights)}}, 2));
        QWidget* widget = object.cellWidget(0, 1);
        QTableWidgetItem* item = object.item(0, 1);
        if (shown == QLatin1String("item")) {
            QVERIFY(item && !widget);
            // Line-editor items without rights information keep the default flags.
            QCOMPARE(bool(item->flags() & Qt::ItemIsSelectable), (type == 2 || type == 3) && rights == 0);
            QCOMPARE(item->text(), rights == TableCell::NO_ACCESS ? dashes : sampleCell(type, rights).getValue().toString());
            return;
        }
        QVERIFY(!item && widget);
        QWidget* inner = reporting(object, 0, 1);
        QCOMPARE(QString(inner->metaObject()->className()), shown);
        QCOMPARE(inner != widget, inContainer);
        QCOMPARE(inner->isEnabled(), enabled);
    }

    // Value, unit and status flags of measure cells, also from odd device data.
    void measureCellValues()
    {
        TableObject object;
        show(object, table({{cell(TableCell::MEASURE, QStringList{"21.53", "°C"}, 0, 1024),
                             cell(TableCell::MEASURE, QStringList{"1", "2", "3"}, 0, 2),
                             cell(TableCell::MEASURE, QStringLiteral("7"), 0, QStringLiteral("x"))}},
                           3));
        auto shown = [&object](int column) {
            auto* measure = reportingAs<ZMeasureTextWidget>(object, 0, column);
            return measure ? QStringList{measure->measureValue(), measure->measureUnit()}
                                 + measure->property("measureStatus").toStringList()
                           : QStringList();
        };
        QCOMPARE(shown(0), (QStringList{"21.53", "°C", "LF1024"}));
        QCOMPARE(shown(1), (QStringList{"", "", "LF2"}));
        QCOMPARE(shown(2), (QStringList{"7", ""}));
    }

    void ownerSuppliedWidget()
    {
        TableObject object;
        QList<QPointer<QWidget>> supplied;
        connect(&object, &TableObject::detectDisplayWidget, &object,
                [&object, &supplied](int row, int column, TableCell request) {
                    supplied.append(new QLabel(request.getValue().toString()));
                    object.insertCellWidget(supplied.last(), request, row, column);
                });
        TableCell editable = cell(TableCell::OWNER_WIDGET, QStringLiteral("Kachel A"), TableCell::EDITABLE);
        show(object, table({{editable, cell(TableCell::OWNER_WIDGET, QStringLiteral("Kachel B"), TableCell::READ_ONLY)}}, 2));
        QCOMPARE(supplied.size(), 2);
        QCOMPARE(reporting(object, 0, 0), supplied.at(0).data());
        QVERIFY(supplied.at(0)->isEnabled() && !supplied.at(1)->isEnabled());
        object.setInputEnabled(false);
        QVERIFY(!supplied.at(0)->isEnabled());

        // Outside the table: refused, and the widget stays the caller's.
        QLabel stray;
        object.insertCellWidget(&stray, editable, 5, 0);
        QVERIFY(!stray.parent());
    }

    // Every cell type under the application style sheets: every cell is laid out
    // and visible, and the delegate's backgrounds survive the sheet.
    void everyCellTypeUnderTheStyleSheet()
    {
        qApp->setStyleSheet(readSheet(QStringLiteral(":/qss/TevaroApp.qss"))
                            + readSheet(QStringLiteral(":/qss/TevaroApp_Desktop.qss")));
        TableObject object;
        connect(&object, &TableObject::detectDisplayWidget, &object, [&object](int row, int column, TableCell request) {
            object.insertCellWidget(new QLabel(request.getValue().toString()), request, row, column);
        });
        QVector<QVector<TableCell>> rows;
        for (int type = 0; type <= 18; ++type)
            rows.append({cell(TableCell::TEXT, QString::number(type), 0), sampleCell(type, TableCell::EDITABLE)});
        rows.append({cell(TableCell::TEXT, QStringLiteral("nur lesen"), 0), sampleCell(TableCell::TEXT_EDIT, 1)});
        rows.append({cell(TableCell::TEXT, QStringLiteral("kein Zugriff"), 0), sampleCell(TableCell::COMBO_INDEX, 3)});
        TableStructure shown = table(rows, 2);
        shown.setHeaderVisible(true);
        object.setTableHeader(shown);
        object.setTableStyle(4);
        object.setTableData(shown, true, QString(), false, 0);
        object.resize(820, 600);
        object.show();
        QVERIFY(QTest::qWaitForWindowExposed(&object));
        flushDeletes();   // replaced cells gone, layout requests handled
        // Rows that fit their content know their height once laid out.
        object.resize(820, object.horizontalHeader()->height() + object.verticalHeader()->length() + 2 * object.frameWidth());
        flushDeletes();

        for (int r = 0; r < object.rowCount(); ++r) {
            QVERIFY2(object.viewport()->rect().contains(object.visualRect(object.model()->index(r, 1))),
                     qPrintable(QStringLiteral("row %1 is cut off").arg(r)));
            QVERIFY2(!object.cellWidget(r, 1) || object.cellWidget(r, 1)->isVisible(),
                     qPrintable(QStringLiteral("row %1 is hidden").arg(r)));
        }
        const QImage image = object.grab().toImage();
        const QPoint origin = object.viewport()->mapTo(&object, QPoint(3, 3));
        auto backgroundOf = [&](int row) {
            return image.pixelColor(origin + object.visualRect(object.model()->index(row, 1)).topLeft());
        };
        QCOMPARE(backgroundOf(2), QColor(248, 248, 248));    // editable number
        QCOMPARE(backgroundOf(20), QColor(200, 200, 200));   // no access
        qApp->setStyleSheet(QString());
    }
};

QTEST_MAIN(TestTableCells)
#include "tst_tablecells.moc"
