// The cell factory: every cell type under every rights state is shown by the
// right item or widget, enabled by its rights, with its value, its data and
// the cell properties; nothing is reported while a table is being built.

#include "TableTestSupport.h"

#include "widgets/TevaroResources.h"
#include "widgets/ZCalendarWidget.h"
#include "widgets/ZCheckButton.h"
#include "widgets/ZClickLabel.h"
#include "widgets/ZComboBox.h"
#include "widgets/ZDateEdit.h"
#include "widgets/ZLabel.h"
#include "widgets/ZMeasureTextWidget.h"
#include "widgets/ZRadioGroup.h"
#include "widgets/ZTimeEdit.h"

#include <QHeaderView>
#include <QLabel>
#include <QMovie>
#include <QPixmap>
#include <QSet>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

using namespace tabletest;

namespace {

const QString dashes = QStringLiteral("-------------");
const QString animationFile = QStringLiteral(":/pic/logger/icon_ringspeicher_aktiv_31x31_01.gif");

QPixmap samplePixmap()
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::darkGreen);
    return pixmap;
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
        return cell(TableCell::ICON, samplePixmap(), rights);
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
    void initTestCase();
    void cellByTypeAndRights_data();
    void cellByTypeAndRights();
    void lineEditorItemsByRights_data();
    void lineEditorItemsByRights();
    void valuesReachTheWidgets();
    void propertiesNameEveryReportingWidget();
    void measureCellValues_data();
    void measureCellValues();
    void picturesThatCannotBeShown();
    void linkLabelKeepsOnlySimpleMarkup_data();
    void linkLabelKeepsOnlySimpleMarkup();
    void linkLabelLoadsNoLocalPicture();
    void ownerSuppliedWidget();
    void inputSwitchesOnlyEditableWidgets();
    void growingRowsFitTheirContent();
    void buildingReportsNothing();
};

void TestTableCells::initTestCase()
{
    ensureTevaroResources();
}

void TestTableCells::cellByTypeAndRights_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("rights");
    QTest::addColumn<QString>("shown");      // class name, "item" or "nothing"
    QTest::addColumn<bool>("inContainer");
    QTest::addColumn<bool>("enabled");

    const QVector<int> types{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 15, 16, 17, 18, 99};
    for (int type : types) {
        for (int rights = 0; rights <= 3; ++rights) {
            const QByteArray name = QStringLiteral("type %1, rights %2").arg(type).arg(rights).toLatin1();
            const bool editable = rights == TableCell::EDITABLE;
            if (rights == TableCell::NO_ACCESS) {
                QTest::newRow(name) << type << rights << "item" << false << true;
                continue;
            }
            switch (type) {
            case 1:
                QTest::newRow(name) << type << rights << "ZCheckButton" << true << editable;
                break;
            case 4:
                QTest::newRow(name) << type << rights << "QLabel" << false << true;
                break;
            case 5:
            case 6:
                QTest::newRow(name) << type << rights << "ZTimeEdit" << false << editable;
                break;
            case 7:
                QTest::newRow(name) << type << rights << "ZDateEdit" << false << editable;
                break;
            case 8:
                QTest::newRow(name) << type << rights << "ZClickLabel" << false << editable;
                break;
            case 9:
                QTest::newRow(name) << type << rights << "ZRadioGroup" << true << editable;
                break;
            case 10:
            case 11:
                QTest::newRow(name) << type << rights << "ZComboBox" << true << editable;
                break;
            case 12:
                QTest::newRow(name) << type << rights << "ZMeasureTextWidget" << true << editable;
                break;
            case 15:
                QTest::newRow(name) << type << rights << (editable ? "ZClickLabel" : "ZLabel") << true << true;
                break;
            case 16:
                QTest::newRow(name) << type << rights << "QLabel" << true << true;
                break;
            case 17:
                QTest::newRow(name) << type << rights << "QLabel" << false << true;
                break;
            default:
                QTest::newRow(name) << type << rights << "item" << false << true;
                break;
            }
        }
    }
}

void TestTableCells::cellByTypeAndRights()
{
    QFETCH(int, type);
    QFETCH(int, rights);
    QFETCH(QString, shown);
    QFETCH(bool, inContainer);
    QFETCH(bool, enabled);

    TableObject object;
    TableCell label = cell(TableCell::TEXT, QStringLiteral("Bezeichnung"), 0);
    show(object, table({{label, sampleCell(type, rights)}}, 2));

    QWidget* widget = object.cellWidget(0, 1);
    QTableWidgetItem* item = object.item(0, 1);
    if (shown == QLatin1String("item")) {
        QVERIFY(item);
        QVERIFY(!widget);
        // Line-editor items without rights information keep the default flags.
        const bool defaultFlags = (type == 2 || type == 3) && rights == 0;
        QCOMPARE(bool(item->flags() & Qt::ItemIsSelectable), defaultFlags);
        if (rights == TableCell::NO_ACCESS) {
            QCOMPARE(item->text(), dashes);
            QCOMPARE(item->textAlignment(), 0x84);
            QVERIFY(!(item->flags() & Qt::ItemIsEditable));
        } else {
            QCOMPARE(item->text(), sampleCell(type, rights).getValue().toString());
            QCOMPARE(item->textAlignment(), 0x81);
        }
        return;
    }

    QVERIFY(!item);
    QVERIFY(widget);
    QWidget* inner = reporting(object, 0, 1);
    QCOMPARE(QString(inner->metaObject()->className()), shown);
    QCOMPARE(inner != widget, inContainer);
    QCOMPARE(inner->isEnabled(), enabled);
    if (type != TableCell::ICON && type != TableCell::ANIMATION) {
        QCOMPARE(inner->property("PropertyRow").toInt(), 0);
        QCOMPARE(inner->property("PropertyColumn").toInt(), 1);
        QVERIFY(inner->property("PropertyIdentifier").toLongLong() > 0);
    }
}

void TestTableCells::lineEditorItemsByRights_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("rights");
    QTest::addColumn<bool>("editable");
    for (int type : {2, 3}) {
        QTest::newRow(qPrintable(QStringLiteral("type %1, no rights info").arg(type))) << type << 0 << true;
        QTest::newRow(qPrintable(QStringLiteral("type %1, read only").arg(type))) << type << 1 << false;
        QTest::newRow(qPrintable(QStringLiteral("type %1, editable").arg(type))) << type << 2 << true;
    }
}

void TestTableCells::lineEditorItemsByRights()
{
    QFETCH(int, type);
    QFETCH(int, rights);
    QFETCH(bool, editable);

    TableObject object;
    TableCell entry = sampleCell(type, rights);
    entry.setAlignment(TableCell::ALIGN_RIGHT);
    show(object, table({{entry}}, 1));
    QTableWidgetItem* item = object.item(0, 0);
    QVERIFY(item);
    QCOMPARE(bool(item->flags() & Qt::ItemIsEditable), editable);
    // Only items without rights information keep the default flags.
    QCOMPARE(bool(item->flags() & Qt::ItemIsSelectable), rights == 0);
    QCOMPARE(item->textAlignment(), 0x82);
    QCOMPARE(item->text(), entry.getValue().toString());
}

void TestTableCells::valuesReachTheWidgets()
{
    TableObject object;
    QVector<TableCell> cells;
    for (int type : {1, 5, 6, 7, 8, 9, 10, 11, 15, 16, 17})
        cells.append(sampleCell(type, TableCell::EDITABLE));
    show(object, table({cells}, cells.size()));

    auto* check = reportingAs<ZCheckButton>(object, 0, 0);
    QCOMPARE(check->getButtonCheckState(), ZCheckButton::Checked);

    auto* clock = reportingAs<ZTimeEdit>(object, 0, 1);
    QCOMPARE(clock->displayFormat(), QStringLiteral("HH:mm:ss"));
    QVERIFY(clock->time() >= QTime(12, 30, 15));
    QCOMPARE(clock->sizePolicy().horizontalPolicy(), QSizePolicy::Expanding);
    auto* time = reportingAs<ZTimeEdit>(object, 0, 2);
    QCOMPARE(time->time(), QTime(12, 30, 15));
    // Only the clock runs.
    QTRY_VERIFY_WITH_TIMEOUT(clock->time() > QTime(12, 30, 15), 3000);
    QCOMPARE(time->time(), QTime(12, 30, 15));

    auto* date = reportingAs<ZDateEdit>(object, 0, 3);
    QCOMPARE(date->date(), QDate(2024, 2, 29));
    QCOMPARE(date->displayFormat(), QStringLiteral("dd.MM.yyyy"));
    auto* calendar = qobject_cast<ZCalendarWidget*>(date->calendarWidget());
    QVERIFY(calendar);
    QCOMPARE(calendar->property("PropertyColumn").toInt(), 3);
    QCOMPARE(calendar->property("PropertyRow").toInt(), 0);

    auto* link = reportingAs<ZClickLabel>(object, 0, 4);
    QCOMPARE(link->text(), QStringLiteral(">"));
    QVERIFY(link->font().bold());

    auto* radio = reportingAs<ZRadioGroup>(object, 0, 5);
    QCOMPARE(radio->descriptions(), (QStringList{"aus", "ein", "auto"}));
    QCOMPARE(radio->selectedIndex(), 1);

    auto* comboIndex = reportingAs<ZComboBox>(object, 0, 6);
    QCOMPARE(comboIndex->count(), 3);
    QCOMPARE(comboIndex->currentIndex(), 1);
    auto* comboText = reportingAs<ZComboBox>(object, 0, 7);
    QCOMPARE(comboText->currentText(), QStringLiteral("auto"));

    auto* document = reportingAs<ZClickLabel>(object, 0, 8);
    QCOMPARE(document->text(), QStringLiteral("PDF"));
    QCOMPARE(document->textFormat(), Qt::PlainText);

    auto* links = reportingAs<QLabel>(object, 0, 9);
    QCOMPARE(links->textFormat(), Qt::RichText);
    QVERIFY(!links->openExternalLinks());
    QVERIFY(links->textInteractionFlags() & Qt::LinksAccessibleByMouse);

    auto* animation = qobject_cast<QLabel*>(object.cellWidget(0, 10));
    QVERIFY(animation && animation->movie());
    QCOMPARE(animation->movie()->state(), QMovie::Running);
    QCOMPARE(animation->parentWidget()->parentWidget(), &object);
}

void TestTableCells::propertiesNameEveryReportingWidget()
{
    TableObject object;
    QVector<QVector<TableCell>> rows;
    for (int r = 0; r < 4; ++r)
        rows.append({sampleCell(1, 2), sampleCell(10, 2), sampleCell(8, 2)});
    show(object, table(rows, 3));

    QSet<qint64> identifiers;
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 3; ++c) {
            QWidget* widget = reporting(object, r, c);
            QCOMPARE(widget->property("PropertyRow").toInt(), r);
            QCOMPARE(widget->property("PropertyColumn").toInt(), c);
            QCOMPARE(widget->property("PropertyIdentifier").userType(), int(QMetaType::LongLong));
            identifiers.insert(widget->property("PropertyIdentifier").toLongLong());
        }
    }
    QCOMPARE(identifiers.size(), 12);
    QVERIFY(!identifiers.contains(0));

    // A rebuild keeps counting: identifiers stay unique within the table.
    show(object, table(rows, 3));
    QVERIFY(!identifiers.contains(reporting(object, 0, 0)->property("PropertyIdentifier").toLongLong()));
}

void TestTableCells::measureCellValues_data()
{
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QVariant>("data");
    QTest::addColumn<QString>("shownValue");
    QTest::addColumn<QString>("shownUnit");
    QTest::addColumn<QStringList>("status");

    QTest::newRow("text") << QVariant(QStringLiteral("21.53")) << QVariant(0) << "21.53" << "" << QStringList();
    QTest::newRow("string list pair") << QVariant(QStringList{"21.53", "°C"}) << QVariant(1024) << "21.53" << "°C"
                                      << QStringList{"LF1024"};
    QTest::newRow("vector pair") << QVariant::fromValue(QVector<QString>{"-4.2", "bar"}) << QVariant(5) << "-4.2"
                                 << "bar" << QStringList{"LF1", "LF4"};
    QTest::newRow("three texts") << QVariant(QStringList{"1", "2", "3"}) << QVariant(2) << "" << ""
                                 << QStringList{"LF2"};
    QTest::newRow("vector of one") << QVariant::fromValue(QVector<QString>{"1"}) << QVariant(0) << "" << ""
                                   << QStringList();
    QTest::newRow("number") << QVariant(21.5) << QVariant(QString("")) << "" << "" << QStringList();
    QTest::newRow("status as text") << QVariant(QStringLiteral("7")) << QVariant(QStringLiteral("128")) << "7" << ""
                                    << QStringList{"LF128"};
    QTest::newRow("status not a number") << QVariant(QStringLiteral("7")) << QVariant(QStringLiteral("x")) << "7"
                                         << "" << QStringList();
}

void TestTableCells::measureCellValues()
{
    QFETCH(QVariant, value);
    QFETCH(QVariant, data);
    QFETCH(QString, shownValue);
    QFETCH(QString, shownUnit);
    QFETCH(QStringList, status);

    TableObject object;
    show(object, table({{cell(TableCell::MEASURE, value, 0, data)}}, 1));
    auto* measure = reportingAs<ZMeasureTextWidget>(object, 0, 0);
    QVERIFY(measure);
    QCOMPARE(measure->measureValue(), shownValue);
    QCOMPARE(measure->measureUnit(), shownUnit);
    QCOMPARE(measure->property("measureStatus").toStringList(), status);
    // Without rights the value stays disabled, so taps reach the table.
    QVERIFY(!measure->isEnabled());
}

void TestTableCells::picturesThatCannotBeShown()
{
    TableObject object;
    show(object, table({{cell(TableCell::ICON, QStringLiteral("not a picture")),
                         cell(TableCell::ICON, QPixmap()),
                         cell(TableCell::ANIMATION, QStringLiteral("/nonexistent/picture.gif")),
                         cell(TableCell::ICON, samplePixmap().toImage())}},
                       4));
    QVERIFY(!object.cellWidget(0, 0));
    QVERIFY(!object.item(0, 0));
    QVERIFY(!object.cellWidget(0, 1));
    QVERIFY(!object.cellWidget(0, 2));
    auto* icon = qobject_cast<QLabel*>(object.cellWidget(0, 3));
    QVERIFY(icon);
    QCOMPARE(icon->pixmap(Qt::ReturnByValue).size(), QSize(16, 16));
}

void TestTableCells::linkLabelKeepsOnlySimpleMarkup_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("shown");

    QTest::newRow("plain text") << "Siehe Handbuch" << "Siehe Handbuch";
    QTest::newRow("link") << "Siehe <a href=\"https://example.org\">Handbuch</a>"
                          << "Siehe <a href=\"https://example.org\">Handbuch</a>";
    QTest::newRow("link attributes")
        << "<a href='https://x.org/a\"b' style=\"color:red\" target=_blank>Hilfe</a>"
        << "<a href=\"https://x.org/a&quot;b\">Hilfe</a>";
    QTest::newRow("unquoted href") << "<A HREF=/opt/doc/x.pdf>PDF</A>" << "<a href=\"/opt/doc/x.pdf\">PDF</a>";
    QTest::newRow("emphasis") << "<B>fett</B> <i>kursiv</i> <u style=\"x\">unter</u><br>Zeile<BR/>"
                              << "<b>fett</b> <i>kursiv</i> <u>unter</u><br/>Zeile<br/>";
    QTest::newRow("picture") << "Vor<img src=\"/tmp/x.png\">nach" << "Vornach";
    QTest::newRow("picture in a link") << "<a href=\"https://x.org\"><img src=\"/tmp/x.png\"/>Start</a>"
                                       << "<a href=\"https://x.org\">Start</a>";
    QTest::newRow("style sheet") << "<style>a{color:red}</style>Text" << "Text";
    QTest::newRow("linked style sheet") << "<link rel=\"stylesheet\" href=\"/tmp/x.css\">Text" << "Text";
    QTest::newRow("styled span") << "<span style=\"background-image:url(/tmp/x.png)\">Wert</span>" << "Wert";
    QTest::newRow("table background")
        << "<table background=\"/tmp/x.png\"><tr><td>Zelle</td></tr></table>" << "Zelle";
    QTest::newRow("whole document")
        << "<html><head><title>T</title></head><body background=\"/x.png\"><p>Absatz</p></body></html>"
        << "Absatz";
    QTest::newRow("comment") << "A<!-- <img src=\"/x.png\"> -->B" << "AB";
    QTest::newRow("quoted >") << "<img alt=\"a>b\" src=\"/x.png\">C" << "C";
    QTest::newRow("less-than sign") << "1 < 2 und 3 > 2" << "1 &lt; 2 und 3 > 2";
    QTest::newRow("unclosed tag") << "Wert <img src=\"/x.png\"" << "Wert &lt;img src=\"/x.png\"";
    QTest::newRow("unclosed style") << "Text<style>a{}" << "Text";
    QTest::newRow("entities") << "Gr&ouml;&szlig;e &amp; Ma&szlig;" << "Gr&ouml;&szlig;e &amp; Ma&szlig;";
}

void TestTableCells::linkLabelKeepsOnlySimpleMarkup()
{
    QFETCH(QString, text);
    QFETCH(QString, shown);

    TableObject object;
    show(object, table({{cell(TableCell::LINK_LABEL, text)}}, 1));
    auto* label = reportingAs<QLabel>(object, 0, 0);
    QVERIFY(label);
    QCOMPARE(label->text(), shown);
    QCOMPARE(label->textFormat(), Qt::RichText);
}

void TestTableCells::linkLabelLoadsNoLocalPicture()
{
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const QString file = folder.filePath(QStringLiteral("rot.png"));
    QImage red(40, 40, QImage::Format_RGB32);
    red.fill(Qt::red);
    QVERIFY(red.save(file));

    TableObject object;
    object.resize(400, 200);
    show(object, table({{cell(TableCell::LINK_LABEL, QStringLiteral("Bild <img src=\"%1\"> <span style=\"background-image:"
                                                                      "url(%1)\">Wert</span>")
                                                           .arg(file))}},
                       1));
    object.show();
    QVERIFY(QTest::qWaitForWindowExposed(&object));
    auto* label = reportingAs<QLabel>(object, 0, 0);
    const QImage image = label->grab().toImage();
    int redPixels = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            redPixels += image.pixelColor(x, y) == QColor(Qt::red) ? 1 : 0;
    QCOMPARE(redPixels, 0);
    QVERIFY(label->text().contains(QStringLiteral("Wert")));
}

void TestTableCells::ownerSuppliedWidget()
{
    TableObject object;
    QSignalSpy requests(&object, &TableObject::detectDisplayWidget);
    QList<QPointer<QWidget>> supplied;
    connect(&object, &TableObject::detectDisplayWidget, &object,
            [&object, &supplied](int row, int column, TableCell request) {
                auto* widget = new QLabel(request.getValue().toString());
                supplied.append(widget);
                object.insertCellWidget(widget, request, row, column);
            });
    TableCell editable = cell(TableCell::OWNER_WIDGET, QStringLiteral("Kachel A"), TableCell::EDITABLE);
    TableCell readOnly = cell(TableCell::OWNER_WIDGET, QStringLiteral("Kachel B"), TableCell::READ_ONLY);
    show(object, table({{editable, readOnly}}, 2));

    QCOMPARE(requests.count(), 2);
    QCOMPARE(requests.at(0).at(0).toInt(), 0);
    QCOMPARE(requests.at(1).at(1).toInt(), 1);
    QCOMPARE(requests.at(0).at(2).value<TableCell>().getValue().toString(), QStringLiteral("Kachel A"));
    QCOMPARE(reporting(object, 0, 0), supplied.at(0).data());
    QVERIFY(object.cellWidget(0, 0) != supplied.at(0).data());   // in the container
    QCOMPARE(supplied.at(0)->property("PropertyColumn").toInt(), 0);
    QCOMPARE(supplied.at(1)->property("PropertyColumn").toInt(), 1);
    QCOMPARE(supplied.at(0)->sizePolicy().verticalPolicy(), QSizePolicy::Expanding);
    QVERIFY(supplied.at(0)->isEnabled());
    QVERIFY(!supplied.at(1)->isEnabled());
    object.setInputEnabled(false);
    QVERIFY(!supplied.at(0)->isEnabled());

    // Outside the table: refused, and the widget stays the caller's.
    QLabel stray;
    const int row = 5;
    const int column = 0;
    object.insertCellWidget(&stray, editable, row, column);
    QVERIFY(!stray.parent());
    QVERIFY(!stray.property("PropertyIdentifier").isValid());
}

void TestTableCells::inputSwitchesOnlyEditableWidgets()
{
    TableObject object;
    show(object, table({{sampleCell(10, 2), sampleCell(10, 1), sampleCell(8, 2), sampleCell(1, 2)}}, 4), false);
    auto* editable = reportingAs<ZComboBox>(object, 0, 0);
    auto* readOnly = reportingAs<ZComboBox>(object, 0, 1);
    auto* link = reportingAs<ZClickLabel>(object, 0, 2);
    auto* check = reportingAs<ZCheckButton>(object, 0, 3);

    object.setInputEnabled(false);
    QVERIFY(!object.isInputEnabled());
    QVERIFY(!editable->isEnabled());
    QVERIFY(!check->isEnabled());
    QVERIFY(!readOnly->isEnabled());
    QVERIFY(link->isEnabled());   // links only navigate

    object.setInputEnabled(true);
    QVERIFY(editable->isEnabled());
    QVERIFY(check->isEnabled());
    QVERIFY(!readOnly->isEnabled());
}

void TestTableCells::growingRowsFitTheirContent()
{
    TableObject object;
    show(object, table({{sampleCell(0, 0)}, {sampleCell(13, 0)}, {sampleCell(9, 2)}}, 1));
    QHeaderView* rows = object.verticalHeader();
    QCOMPARE(rows->sectionResizeMode(0), QHeaderView::Interactive);
    QCOMPARE(rows->sectionResizeMode(1), QHeaderView::ResizeToContents);
    QCOMPARE(rows->sectionResizeMode(2), QHeaderView::ResizeToContents);
    QCOMPARE(object.rowHeight(0), TableObject::ROW_HEIGHT);
    QTableWidgetItem* text = object.item(1, 0);
    QVERIFY(!(text->flags() & (Qt::ItemIsEditable | Qt::ItemIsSelectable)));
}

void TestTableCells::buildingReportsNothing()
{
    TableObject object;
    QSignalSpy changes(&object, &TableObject::changeValue);
    QVector<TableCell> cells;
    for (int type : {1, 5, 6, 7, 9, 10, 11, 12})
        cells.append(sampleCell(type, TableCell::EDITABLE));
    TableCell comboAtTwo = sampleCell(10, 2);
    comboAtTwo.setValue(2);
    cells.append(comboAtTwo);
    show(object, table({cells, cells}, cells.size()));
    object.refreshTableData(table({cells, cells}, cells.size()));
    QCoreApplication::processEvents();
    QCOMPARE(changes.count(), 0);
    QVERIFY(!object.isEditing());
    const TableStructure held = object.getTable();
    for (int c = 0; c < cells.size(); ++c)
        QVERIFY(!held.cellAt(0, c).isChanged());
}

QTEST_MAIN(TestTableCells)
#include "tst_tablecells.moc"
