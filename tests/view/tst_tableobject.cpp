// The table widget: header, full and partial rebuilds, the edit chain that
// brings every user change back exactly once, the line editor, link and
// document cells, open-editor tracking, scroll phases and the status text.

#include "TableTestSupport.h"

#include "../common/LogCapture.h"
#include "common/Severity.h"
#include "util/DocumentOpener.h"
#include "view/OverallView.h"
#include "view/StatusBar.h"
#include "widgets/TevaroResources.h"
#include "widgets/ZCalendarWidget.h"
#include "widgets/ZCheckButton.h"
#include "widgets/ZClickLabel.h"
#include "widgets/ZComboBox.h"
#include "widgets/ZDateEdit.h"
#include "widgets/ZRadioButton.h"
#include "widgets/ZRadioGroup.h"
#include "widgets/ZTimeEdit.h"

#include <QElapsedTimer>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QScrollBar>
#include <QScrollEvent>
#include <QSignalSpy>
#include <QtTest>

#include <functional>

using namespace tabletest;

namespace {

using TableAction = std::function<void(TableObject&)>;

const QStringList options{QStringLiteral("aus"), QStringLiteral("ein"), QStringLiteral("auto")};

// Lets the test register a status bar the way the main window does.
class FrameAccess : public OverallView
{
public:
    static void setStatusBar(StatusBar* statusBar) { setFrame(nullptr, statusBar, nullptr); }
};

// Every document the table asked to open; the viewer is never started.
struct OpenerRecorder
{
    explicit OpenerRecorder(bool succeed)
    {
        DocumentOpener::setHook([this, succeed](const QUrl& url) {
            opened.append(url);
            return succeed;
        });
    }
    ~OpenerRecorder() { DocumentOpener::setHook(DocumentOpener::Hook()); }

    QList<QUrl> opened;
};

QLineEdit* openLineEditor(TableObject& object)
{
    const QList<QLineEdit*> editors = object.viewport()->findChildren<QLineEdit*>();
    return editors.isEmpty() ? nullptr : editors.last();
}

void clickItem(TableObject& object, int row, int column)
{
    const QRect rect = object.visualItemRect(object.item(row, column));
    QTest::mouseClick(object.viewport(), Qt::LeftButton, Qt::NoModifier, rect.center());
}

} // namespace

Q_DECLARE_METATYPE(TableAction)

class TestTableObject : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();

    void headerFromEntries();
    void unchangedHeaderKeepsTheContent();
    void changedHeaderClearsTheContent();
    void spans();
    void badSpansAreCutOrIgnored();
    void keepScrollReturnsToThePosition();
    void statusTextGoesToTheStatusBar();
    void refreshRebuildsOnlyChangedCells();
    void refreshLeavesAllInputOff();
    void clearingTheTable();
    void columnWidthOnlyForExistingColumns();

    void widgetEditComesBackOnce_data();
    void widgetEditComesBackOnce();
    void editOutsideTheHeldTableIsIgnored();
    void lineEditorCommitsOnce();
    void lineEditorOpensByRightsAndInput_data();
    void lineEditorOpensByRightsAndInput();
    void lineEditorKeepsInvalidNumbersOut();

    void linkClickIsReported();
    void linkClickCanBeQueued();
    void documentLinkOpensThroughTheOpener();
    void documentLinkFailures_data();
    void documentLinkFailures();
    void labelLinksOnlyOpenSafeTargets();

    void openPopupsCountAsEditing();
    void destroyedWithOpenPopups();
    void scrollPhase();

private:
    QMainWindow* window = nullptr;
};

void TestTableObject::initTestCase()
{
    ensureTevaroResources();
    qRegisterMetaType<Severity>("Severity");
}

void TestTableObject::init()
{
    DocumentOpener::setHook([](const QUrl& url) {
        qFatal("A test tried to open %s with the desktop viewer", qPrintable(url.toString()));
        return false;
    });
}

// ------------------------------------------------------------------ header

void TestTableObject::headerFromEntries()
{
    TableObject object;
    TableStructure shown = table({}, 3);
    shown.setHeaderVisible(true);
    object.setTableHeader(shown);
    QCOMPARE(object.columnCount(), 3);
    QVERIFY(!object.horizontalHeader()->isHidden());
    QVERIFY(!object.horizontalHeader()->sectionsClickable());
    QCOMPARE(object.horizontalHeader()->textElideMode(), Qt::ElideRight);
    for (int c = 0; c < 3; ++c) {
        QCOMPARE(object.horizontalHeaderItem(c)->text(), QStringLiteral("Spalte %1").arg(c));
        QCOMPARE(object.horizontalHeaderItem(c)->textAlignment(), 0x85);
        QCOMPARE(object.horizontalHeader()->sectionResizeMode(c), QHeaderView::Stretch);
    }

    TableStructure hidden = table({}, 2);
    object.setTableHeader(hidden);
    QCOMPARE(object.columnCount(), 2);
    QVERIFY(object.horizontalHeader()->isHidden());
    QVERIFY(!object.horizontalHeaderItem(0));
    QCOMPARE(object.horizontalHeader()->sectionResizeMode(1), QHeaderView::Stretch);
}

void TestTableObject::unchangedHeaderKeepsTheContent()
{
    TableObject object;
    TableStructure shown = table({{cell(TableCell::TEXT, "a"), cell(TableCell::COMBO_INDEX, 1, 2, options)}}, 2);
    shown.setHeaderVisible(true);
    show(object, shown);
    QTableWidgetItem* header = object.horizontalHeaderItem(1);
    QTableWidgetItem* item = object.item(0, 0);
    QWidget* combo = object.cellWidget(0, 1);

    object.setTableHeader(shown);
    QCOMPARE(object.horizontalHeaderItem(1), header);
    QCOMPARE(object.item(0, 0), item);
    QCOMPARE(object.cellWidget(0, 1), combo);
    QCOMPARE(object.rowCount(), 1);
}

void TestTableObject::changedHeaderClearsTheContent()
{
    TableObject object;
    TableStructure shown = table({{cell(TableCell::TEXT, "a"), cell(TableCell::TEXT, "b")}}, 2);
    shown.setHeaderVisible(true);
    show(object, shown);

    TableStructure renamed = shown;
    renamed.setHeader({TableEntry(QStringLiteral("Kanal")), TableEntry(QStringLiteral("Wert"))});
    object.setTableHeader(renamed);
    QCOMPARE(object.rowCount(), 0);
    QCOMPARE(object.horizontalHeaderItem(0)->text(), QStringLiteral("Kanal"));

    // Visibility alone is a change too.
    show(object, renamed);
    TableStructure hidden = renamed;
    hidden.setHeaderVisible(false);
    object.setTableHeader(hidden);
    QCOMPARE(object.rowCount(), 0);
    QVERIFY(object.horizontalHeader()->isHidden());
}

// --------------------------------------------------------------- rebuild

void TestTableObject::spans()
{
    TableObject object;
    TableCell wide = cell(TableCell::TEXT, "breit", 0);
    wide.setRowSpan(2);
    wide.setColumnSpan(3);
    TableCell plain = cell(TableCell::TEXT, "x", 0);
    show(object, table({{wide, plain, plain, plain}, {plain, plain, plain, plain}, {plain, plain, plain, plain}}, 4));
    QCOMPARE(object.rowSpan(0, 0), 2);
    QCOMPARE(object.columnSpan(0, 0), 3);
    QCOMPARE(object.rowSpan(2, 3), 1);
    QCOMPARE(object.columnSpan(2, 3), 1);
    QCOMPARE(object.item(0, 1)->text(), QStringLiteral("x"));   // the covered cells stay built
    for (int r = 0; r < 3; ++r)
        QCOMPARE(object.rowHeight(r), TableObject::ROW_HEIGHT);

    // A rebuild without spans removes them.
    show(object, table({{plain, plain}}, 4));
    QCOMPARE(object.columnSpan(0, 0), 1);
}

void TestTableObject::badSpansAreCutOrIgnored()
{
    LogCapture log;
    TableObject object;
    TableCell tooWide = cell(TableCell::TEXT, "a", 0);
    tooWide.setColumnSpan(5);
    TableCell negative = cell(TableCell::TEXT, "b", 0);
    negative.setRowSpan(-2);
    negative.setColumnSpan(3);
    show(object, table({{tooWide, negative}, {negative}}, 2));
    QCOMPARE(object.columnSpan(0, 0), 2);
    QCOMPARE(object.rowSpan(1, 0), 1);
    QCOMPARE(object.columnSpan(1, 0), 1);
    QCOMPARE(log.matching(QStringLiteral("span")).size(), 3);
}

void TestTableObject::keepScrollReturnsToThePosition()
{
    TableObject object;
    object.resize(400, 600);
    object.show();
    QVERIFY(QTest::qWaitForWindowExposed(&object));
    QVector<QVector<TableCell>> rows(1000, QVector<TableCell>{cell(TableCell::TEXT, "z", 0)});
    const TableStructure shown = table(rows, 1);
    object.setTableHeader(shown);

    object.setTableData(shown, true, 500);
    QCOMPARE(object.verticalScrollBar()->value(), 500);
    QCOMPARE(object.rowCount(), 1000);
    QCoreApplication::processEvents();
    QCOMPARE(object.verticalScrollBar()->value(), 500);

    // Without keepScroll a new table starts at its top.
    object.setTableData(shown, false, 500);
    QCoreApplication::processEvents();
    QCOMPARE(object.verticalScrollBar()->value(), 0);
}

void TestTableObject::statusTextGoesToTheStatusBar()
{
    QMainWindow window;
    StatusBar bar(&window);
    FrameAccess::setStatusBar(&bar);
    QSignalSpy shown(&bar, &StatusBar::showMessage);
    TableObject object;
    const TableStructure one = table({{cell(TableCell::TEXT, "a", 0)}}, 1);
    object.setTableHeader(one);

    object.setTableData(one, false, QString(), false, 0);
    QCOMPARE(shown.count(), 0);
    object.setTableData(one, false, QStringLiteral("Konfiguration gespeichert"), false, 0);
    FrameAccess::setStatusBar(nullptr);
    QCOMPARE(shown.count(), 1);
    QCOMPARE(shown.at(0).at(0).toString(), QStringLiteral("Konfiguration gespeichert"));
    QCOMPARE(shown.at(0).at(1).value<Severity>(), SEVERITY_NOTICE);
    QCOMPARE(shown.at(0).at(2).toInt(), 10000);

    // Without a main window the text is dropped quietly.
    object.setTableData(one, false, QStringLiteral("x"), false, 0);
    QCOMPARE(shown.count(), 1);
}

void TestTableObject::refreshRebuildsOnlyChangedCells()
{
    TableObject object;
    const TableStructure first = table({{cell(TableCell::COMBO_INDEX, 1, 2, options), cell(TableCell::TEXT, "a", 0)},
                                        {cell(TableCell::CHECK, true), cell(TableCell::TEXT, "b", 0)}},
                                       2);
    show(object, first);
    QPointer<QWidget> combo = object.cellWidget(0, 0);
    QPointer<QWidget> check = object.cellWidget(1, 0);

    TableStructure second = first;
    second.getRow(1)[0].setValue(false);
    second.getRow(0)[1].setValue(QStringLiteral("neu"));
    QVector<QVector<TableCell>> rows = second.getRows();
    rows.append({cell(TableCell::TEXT, "extra", 0)});
    second.setRows(rows);

    QSignalSpy input(&object, &TableObject::enablingInput);
    QVERIFY(object.refreshTableData(second));
    QCOMPARE(input.count(), 1);
    QCOMPARE(input.at(0).at(0).toBool(), false);
    QCOMPARE(object.cellWidget(0, 0), combo.data());
    QVERIFY(object.cellWidget(1, 0) != check.data());
    QCOMPARE(reportingAs<ZCheckButton>(object, 1, 0)->getButtonCheckState(), ZCheckButton::Unchecked);
    QCOMPARE(object.item(0, 1)->text(), QStringLiteral("neu"));
    QCOMPARE(object.rowCount(), 2);
    QCOMPARE(object.getTable().rowCount(), 3);
    flushDeletes();
    QVERIFY(!check);
    QVERIFY(combo);

    // A widget cell that becomes a text cell leaves no widget behind.
    TableStructure third = object.getTable();
    third.getRow(0)[0] = cell(TableCell::TEXT, "kein Combo", 0);
    object.refreshTableData(third);
    QVERIFY(!object.cellWidget(0, 0));
    QCOMPARE(object.item(0, 0)->text(), QStringLiteral("kein Combo"));
}

void TestTableObject::refreshLeavesAllInputOff()
{
    TableObject object;
    object.resize(600, 300);
    object.show();
    QVERIFY(QTest::qWaitForWindowExposed(&object));
    const TableStructure first = table({{cell(TableCell::COMBO_INDEX, 1, 2, options), cell(TableCell::CHECK, true)},
                                        {cell(TableCell::NUMBER_EDIT, QStringLiteral("7")), cell(TableCell::TEXT, "")}},
                                       2);
    show(object, first);
    QVERIFY(object.isInputEnabled());
    QVERIFY(reporting(object, 0, 0)->isEnabled());

    TableStructure second = first;
    second.getRow(0)[0].setValue(2);
    object.refreshTableData(second);
    auto* rebuilt = reportingAs<ZComboBox>(object, 0, 0);
    auto* kept = reportingAs<ZCheckButton>(object, 0, 1);
    QCOMPARE(rebuilt->currentIndex(), 2);
    QVERIFY(!object.isInputEnabled());
    QVERIFY(!rebuilt->isEnabled());
    QVERIFY(!kept->isEnabled());
    clickItem(object, 1, 0);
    QVERIFY(!openLineEditor(object));
    QVERIFY(!object.isEditing());

    object.setInputEnabled(true);
    QVERIFY(rebuilt->isEnabled());
    QVERIFY(kept->isEnabled());
    clickItem(object, 1, 0);
    QVERIFY(openLineEditor(object));
}

void TestTableObject::clearingTheTable()
{
    TableObject object;
    show(object, table({{cell(TableCell::TEXT, "a", 0)}}, 1));
    object.clearTableContent();
    QCOMPARE(object.rowCount(), 0);
    QCOMPARE(object.getTable().rowCount(), 1);
    object.clearTable();
    QCOMPARE(object.getTable().rowCount(), 0);
}

void TestTableObject::columnWidthOnlyForExistingColumns()
{
    TableObject object;
    object.setTableHeader(table({}, 2));
    object.setColumnWidth(1, 120);
    QCOMPARE(object.horizontalHeader()->sectionResizeMode(1), QHeaderView::Fixed);
    QCOMPARE(object.columnWidth(1), 120);
    QCOMPARE(object.horizontalHeader()->sectionResizeMode(0), QHeaderView::Stretch);
    object.setColumnWidth(2, 50);
    object.setColumnWidth(-1, 50);
    QCOMPARE(object.columnCount(), 2);
}

// ------------------------------------------------------------ edit chain

void TestTableObject::widgetEditComesBackOnce_data()
{
    QTest::addColumn<TableCell>("shown");
    QTest::addColumn<TableAction>("change");
    QTest::addColumn<TableAction>("sameAgain");
    QTest::addColumn<QVariant>("expected");

    QTest::newRow("check button")
        << cell(TableCell::CHECK, true)
        << TableAction([](TableObject& t) { reportingAs<ZCheckButton>(t, 0, 1)->click(); })
        << TableAction([](TableObject& t) { emit reportingAs<ZCheckButton>(t, 0, 1)->changeCheckStatus(false); })
        << QVariant(false);
    QTest::newRow("combo by index")
        << cell(TableCell::COMBO_INDEX, 1, 2, options)
        << TableAction([](TableObject& t) { reportingAs<ZComboBox>(t, 0, 1)->setCurrentIndex(2); })
        << TableAction([](TableObject& t) { emit reportingAs<ZComboBox>(t, 0, 1)->currentIndexChanged(2); })
        << QVariant(2);
    QTest::newRow("combo by text")
        << cell(TableCell::COMBO_TEXT, "ein", 2, options)
        << TableAction([](TableObject& t) { reportingAs<ZComboBox>(t, 0, 1)->setCurrentIndex(0); })
        << TableAction([](TableObject& t) { emit reportingAs<ZComboBox>(t, 0, 1)->currentTextChanged("aus"); })
        << QVariant(QStringLiteral("aus"));
    QTest::newRow("radio group")
        << cell(TableCell::RADIO_GROUP, 0, 2, options)
        << TableAction([](TableObject& t) { reportingAs<ZRadioGroup>(t, 0, 1)->button(2)->click(); })
        << TableAction([](TableObject& t) { emit reportingAs<ZRadioGroup>(t, 0, 1)->currentIndexChanged(2); })
        << QVariant(2);
    QTest::newRow("time")
        << cell(TableCell::TIME, QTime(8, 0), 2, QStringLiteral("HH:mm"))
        << TableAction([](TableObject& t) {
               auto* edit = reportingAs<ZTimeEdit>(t, 0, 1);
               edit->setTime(QTime(9, 15));
               emit edit->editingFinished();
           })
        << TableAction([](TableObject& t) { emit reportingAs<ZTimeEdit>(t, 0, 1)->editingFinished(); })
        << QVariant(QTime(9, 15));
    QTest::newRow("date")
        << cell(TableCell::DATE, QDate(2024, 1, 31), 2, QStringLiteral("dd.MM.yyyy"))
        << TableAction([](TableObject& t) {
               auto* edit = reportingAs<ZDateEdit>(t, 0, 1);
               edit->setDate(QDate(2024, 3, 1));
               emit edit->editingFinished();
           })
        << TableAction([](TableObject& t) { emit reportingAs<ZDateEdit>(t, 0, 1)->editingFinished(); })
        << QVariant(QDate(2024, 3, 1));
    QTest::newRow("calendar")
        << cell(TableCell::DATE, QDate(2024, 1, 31), 2, QStringLiteral("dd.MM.yyyy"))
        << TableAction([](TableObject& t) {
               auto* calendar = qobject_cast<ZCalendarWidget*>(reportingAs<ZDateEdit>(t, 0, 1)->calendarWidget());
               calendar->setSelectedDate(QDate(2024, 5, 6));
               emit calendar->clicked(QDate(2024, 5, 6));
           })
        << TableAction([](TableObject& t) {
               auto* edit = reportingAs<ZDateEdit>(t, 0, 1);
               edit->setDate(QDate(2024, 5, 6));
               emit edit->editingFinished();
           })
        << QVariant(QDate(2024, 5, 6));
}

void TestTableObject::widgetEditComesBackOnce()
{
    QFETCH(TableCell, shown);
    QFETCH(TableAction, change);
    QFETCH(TableAction, sameAgain);
    QFETCH(QVariant, expected);

    TableObject object;
    show(object, table({{cell(TableCell::TEXT, "Name", 0), shown}, {cell(TableCell::TEXT, "x", 0)}}, 2));
    QSignalSpy changes(&object, &TableObject::changeValue);
    TableCell reported;
    int reportedRow = -1;
    int reportedColumn = -1;
    connect(&object, &TableObject::changeValue, &object, [&](int row, int column, TableCell& cell) {
        reported = cell;
        reportedRow = row;
        reportedColumn = column;
    });

    change(object);
    QCOMPARE(changes.count(), 1);
    QCOMPARE(reportedRow, 0);
    QCOMPARE(reportedColumn, 1);
    QVERIFY(reported.isChanged());
    QCOMPARE(reported.getValue(), expected);
    QCOMPARE(reported.getPath(), shown.getPath());
    const TableStructure held = object.getTable();
    QVERIFY(held.cellAt(0, 1).isChanged());
    QCOMPARE(held.cellAt(0, 1).getValue(), expected);
    QVERIFY(!held.cellAt(0, 0).isChanged());

    sameAgain(object);
    QCOMPARE(changes.count(), 1);
}

void TestTableObject::editOutsideTheHeldTableIsIgnored()
{
    TableObject object;
    show(object, table({{cell(TableCell::COMBO_INDEX, 0, 2, options)}}, 1));
    QPointer<ZComboBox> combo = reportingAs<ZComboBox>(object, 0, 0);
    QSignalSpy changes(&object, &TableObject::changeValue);
    object.clearTable();
    QVERIFY(combo);   // deleted later
    combo->setCurrentIndex(2);
    QCOMPARE(changes.count(), 0);
    flushDeletes();
    QVERIFY(!combo);

    // A sender of a foreign kind is ignored even with the right properties.
    show(object, table({{cell(TableCell::COMBO_INDEX, 0, 2, options)}}, 1));
    QLabel stranger;
    stranger.setProperty("PropertyRow", 0);
    stranger.setProperty("PropertyColumn", 0);
    connect(&stranger, &QLabel::linkActivated, &object, [&object]() { object.changedIndex(2); });
    emit stranger.linkActivated(QString());
    QCOMPARE(changes.count(), 0);
}

void TestTableObject::lineEditorCommitsOnce()
{
    TableObject object;
    object.resize(500, 300);
    object.show();
    QVERIFY(QTest::qWaitForWindowExposed(&object));
    TableCell number = cell(TableCell::NUMBER_EDIT, QStringLiteral("12.5"));
    number.setLimitFlags(TableCell::MIN | TableCell::MAX | TableCell::DP);
    number.setMax(100);
    number.setDp(2);
    show(object, table({{cell(TableCell::TEXT, "Sollwert", 0), number}}, 2));
    QSignalSpy changes(&object, &TableObject::changeValue);

    clickItem(object, 0, 1);
    QLineEdit* editor = openLineEditor(object);
    QVERIFY(editor);
    QVERIFY(object.isEditing());
    QCOMPARE(editor->text(), QStringLiteral("12.5"));
    editor->selectAll();
    QTest::keyClicks(editor, QStringLiteral("42.25"));
    QTest::keyClick(editor, Qt::Key_Return);
    QTRY_COMPARE(changes.count(), 1);
    flushDeletes();
    QVERIFY(!object.isEditing());
    QCOMPARE(changes.at(0).at(0).toInt(), 0);
    QCOMPARE(changes.at(0).at(1).toInt(), 1);
    QCOMPARE(object.item(0, 1)->text(), QStringLiteral("42.25"));
    const TableCell held = object.getTable().cellAt(0, 1);
    QVERIFY(held.isChanged());
    QCOMPARE(held.getValue().toString(), QStringLiteral("42.25"));
    QCOMPARE(held.getPath(), number.getPath());

    // Typing the same text again commits no change.
    clickItem(object, 0, 1);
    editor = openLineEditor(object);
    QVERIFY(editor);
    QTest::keyClick(editor, Qt::Key_Return);
    QCoreApplication::processEvents();
    flushDeletes();
    QCOMPARE(changes.count(), 1);
}

void TestTableObject::lineEditorOpensByRightsAndInput_data()
{
    QTest::addColumn<int>("rights");
    QTest::addColumn<bool>("inputOn");
    QTest::addColumn<bool>("opens");
    QTest::newRow("editable, input on") << 2 << true << true;
    QTest::newRow("editable, input off") << 2 << false << false;
    QTest::newRow("no rights info, input on") << 0 << true << true;
    QTest::newRow("read only, input on") << 1 << true << false;
    QTest::newRow("no access, input on") << 3 << true << false;
}

void TestTableObject::lineEditorOpensByRightsAndInput()
{
    QFETCH(int, rights);
    QFETCH(bool, inputOn);
    QFETCH(bool, opens);

    TableObject object;
    object.resize(400, 200);
    object.show();
    QVERIFY(QTest::qWaitForWindowExposed(&object));
    show(object, table({{cell(TableCell::NUMBER_EDIT, QStringLiteral("7"), rights)}}, 1), inputOn);
    clickItem(object, 0, 0);
    QCOMPARE(openLineEditor(object) != nullptr, opens);
    QCOMPARE(object.isEditing(), opens);
}

void TestTableObject::lineEditorKeepsInvalidNumbersOut()
{
    TableObject object;
    object.resize(400, 200);
    object.show();
    QVERIFY(QTest::qWaitForWindowExposed(&object));
    TableCell number = cell(TableCell::NUMBER_EDIT, QStringLiteral("5"));
    number.setLimitFlags(TableCell::MIN | TableCell::MAX);
    number.setMax(100);
    show(object, table({{number}}, 1));
    QSignalSpy changes(&object, &TableObject::changeValue);

    clickItem(object, 0, 0);
    QLineEdit* editor = openLineEditor(object);
    QVERIFY(editor);
    editor->selectAll();
    QTest::keyClicks(editor, QStringLiteral("150"));
    QCOMPARE(editor->styleSheet(), QStringLiteral("QLineEdit{border-color:red;}"));
    QTest::keyClick(editor, Qt::Key_Return);
    QCoreApplication::processEvents();
    QCOMPARE(changes.count(), 0);
    QCOMPARE(object.getTable().cellAt(0, 0).getValue().toString(), QStringLiteral("5"));
}

// ----------------------------------------------------------------- links

void TestTableObject::linkClickIsReported()
{
    OpenerRecorder opener(true);
    TableObject object;
    show(object, table({{cell(TableCell::TEXT, "Eingänge", 0), cell(TableCell::LINK, "$.CONF.IN")}}, 2), false);
    QSignalSpy clicks(&object, &TableObject::clickValue);
    QTest::mouseClick(reportingAs<ZClickLabel>(object, 0, 1), Qt::LeftButton);
    QCOMPARE(clicks.count(), 1);
    QCOMPARE(clicks.at(0).at(0).toInt(), 0);
    QCOMPARE(clicks.at(0).at(1).toInt(), 1);
    QCOMPARE(clicks.at(0).at(2).value<TableCell>().getValue().toString(), QStringLiteral("$.CONF.IN"));
    QVERIFY(opener.opened.isEmpty());
}

void TestTableObject::linkClickCanBeQueued()
{
    // The owner registers nothing itself: the table makes its signals queueable.
    TableObject object;
    show(object, table({{cell(TableCell::TEXT, "Eingänge", 0), cell(TableCell::LINK, "$.CONF.IN")}}, 2), false);
    QObject receiver;
    QList<QPair<QPoint, QString>> received;
    connect(&object, &TableObject::clickValue, &receiver,
            [&received](int& row, int& column, TableCell& clicked) {
                received.append({QPoint(column, row), clicked.getValue().toString()});
            },
            Qt::QueuedConnection);
    LogCapture log;
    QTest::mouseClick(reportingAs<ZClickLabel>(object, 0, 1), Qt::LeftButton);
    QVERIFY(received.isEmpty());
    QCoreApplication::processEvents();
    QVERIFY2(log.messages().isEmpty(), qPrintable(log.all()));
    QCOMPARE(received.size(), 1);
    QCOMPARE(received.first().first, QPoint(1, 0));
    QCOMPARE(received.first().second, QStringLiteral("$.CONF.IN"));
}

void TestTableObject::documentLinkOpensThroughTheOpener()
{
    OpenerRecorder opener(true);
    TableObject object;
    show(object, table({{cell(TableCell::DOCUMENT_LINK, "PDF", 2, QStringLiteral("/opt/doc/handbuch.pdf"))}}, 1));
    QSignalSpy clicks(&object, &TableObject::clickValue);
    QSignalSpy failures(&object, &TableObject::detectFailure);
    QTest::mouseClick(reportingAs<ZClickLabel>(object, 0, 0), Qt::LeftButton);
    QCOMPARE(clicks.count(), 1);
    QCOMPARE(failures.count(), 0);
    QCOMPARE(opener.opened, QList<QUrl>{QUrl::fromLocalFile(QStringLiteral("/opt/doc/handbuch.pdf"))});
}

void TestTableObject::documentLinkFailures_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("viewerWorks");
    QTest::addColumn<bool>("reachesViewer");
    QTest::addColumn<QString>("warning");

    const QString failed = QStringLiteral("Can't open PDF %1\nDid you install a PDF reader (Adobe Reader)?");
    QTest::newRow("empty path") << "" << true << false << "Can't open PDF because of empty path. ";
    QTest::newRow("viewer fails") << "/opt/doc/x.pdf" << false << true << failed.arg("/opt/doc/x.pdf");
    QTest::newRow("relative path") << "doc/x.pdf" << true << false << failed.arg("doc/x.pdf");
    QTest::newRow("drive letter") << "C:\\doc\\x.pdf" << true << false << failed.arg("C:\\doc\\x.pdf");
    QTest::newRow("other scheme") << "smb://server/x.pdf" << true << false << failed.arg("smb://server/x.pdf");
}

void TestTableObject::documentLinkFailures()
{
    QFETCH(QString, path);
    QFETCH(bool, viewerWorks);
    QFETCH(bool, reachesViewer);
    QFETCH(QString, warning);

    OpenerRecorder opener(viewerWorks);
    LogCapture log;
    TableObject object;
    show(object, table({{cell(TableCell::DOCUMENT_LINK, "PDF", 2, path)}}, 1));
    QSignalSpy clicks(&object, &TableObject::clickValue);
    QSignalSpy failures(&object, &TableObject::detectFailure);
    QTest::mouseClick(reportingAs<ZClickLabel>(object, 0, 0), Qt::LeftButton);

    QCOMPARE(clicks.count(), 1);
    QCOMPARE(opener.opened.size(), reachesViewer ? 1 : 0);
    QVERIFY2(log.messages().contains(warning), qPrintable(log.all()));
    if (path.isEmpty()) {
        QCOMPARE(failures.count(), 0);
    } else {
        QCOMPARE(failures.count(), 1);
        QCOMPARE(failures.at(0).at(0).value<TableObject::TableFailure>(), TableObject::DOCUMENT_OPEN_FAILED);
        QCOMPARE(failures.at(0).at(1).toString(), path);
    }
}

void TestTableObject::labelLinksOnlyOpenSafeTargets()
{
    OpenerRecorder opener(true);
    LogCapture log;
    TableObject object;
    const QString text = QStringLiteral("<a href=\"https://example.org/hilfe\">Hilfe</a>");
    show(object, table({{cell(TableCell::LINK_LABEL, text), cell(TableCell::LINK_LABEL, text, 1)}}, 2));
    auto* label = reportingAs<QLabel>(object, 0, 0);
    emit label->linkActivated(QStringLiteral("https://example.org/hilfe"));
    emit label->linkActivated(QStringLiteral("javascript:alert(1)"));
    emit label->linkActivated(QStringLiteral("file:etc/passwd"));
    emit label->linkActivated(QStringLiteral("/opt/doc/x.pdf"));
    QCOMPARE(opener.opened, (QList<QUrl>{QUrl(QStringLiteral("https://example.org/hilfe")),
                                         QUrl::fromLocalFile(QStringLiteral("/opt/doc/x.pdf"))}));
    QCOMPARE(log.matching(QStringLiteral("javascript:alert(1)")).size(), 2);

    // Without rights the links are plain text to the user.
    auto* readOnly = reportingAs<QLabel>(object, 0, 1);
    QCOMPARE(readOnly->textInteractionFlags(), Qt::NoTextInteraction);
}

// ---------------------------------------------------------- open editors

void TestTableObject::openPopupsCountAsEditing()
{
    TableObject object;
    object.resize(600, 300);
    object.show();
    QVERIFY(QTest::qWaitForWindowExposed(&object));
    show(object, table({{cell(TableCell::COMBO_INDEX, 0, 2, options), cell(TableCell::TIME, QTime(1, 0), 2, "HH:mm"),
                         cell(TableCell::DATE, QDate(2024, 1, 1), 2, "dd.MM.yyyy")}},
                       3));
    auto* combo = reportingAs<ZComboBox>(object, 0, 0);
    combo->showPopup();
    QVERIFY(object.isEditing());
    combo->hidePopup();
    QVERIFY(!object.isEditing());

    auto* time = reportingAs<ZTimeEdit>(object, 0, 1);
    emit time->focusDateTime();
    QVERIFY(object.isEditing());
    emit time->editingFinished();
    QVERIFY(!object.isEditing());

    auto* date = reportingAs<ZDateEdit>(object, 0, 2);
    auto* calendar = qobject_cast<ZCalendarWidget*>(date->calendarWidget());
    emit calendar->showCalendar();
    emit date->dateChanged(QDate(2024, 1, 2));
    QVERIFY(object.isEditing());
    emit calendar->hideCalendar();
    QVERIFY(object.isEditing());   // the date editor itself is still being edited
    emit date->editingFinished();
    QVERIFY(!object.isEditing());

    // A rebuild forgets editors of the previous content.
    combo = reportingAs<ZComboBox>(object, 0, 0);
    combo->showPopup();
    object.refreshTableData(object.getTable());
    QVERIFY(!object.isEditing());
    combo->hidePopup();
}

void TestTableObject::destroyedWithOpenPopups()
{
    // Closing the popups while the table goes must not call into it (the
    // sanitizer build turns such a call into a failure).
    auto* object = new TableObject;
    object->resize(600, 300);
    object->show();
    QVERIFY(QTest::qWaitForWindowExposed(object));
    show(*object, table({{cell(TableCell::COMBO_INDEX, 0, 2, options), cell(TableCell::TIME, QTime(1, 0), 2, "HH:mm")}},
                        2));
    QPointer<ZComboBox> combo = reportingAs<ZComboBox>(*object, 0, 0);
    combo->showPopup();
    reportingAs<ZTimeEdit>(*object, 0, 1)->setFocus();
    QVERIFY(object->isEditing());
    delete object;
    QVERIFY(!combo);
}

void TestTableObject::scrollPhase()
{
    TableObject object;
    QSignalSpy begins(&object, &TableObject::scrollingBegin);
    QSignalSpy ends(&object, &TableObject::scrollingEnd);
    QScrollEvent first(QPointF(), QPointF(0, 10), QScrollEvent::ScrollStarted);
    QCoreApplication::sendEvent(&object, &first);
    QTest::qWait(500);
    QScrollEvent second(QPointF(), QPointF(0, 20), QScrollEvent::ScrollUpdated);
    QCoreApplication::sendEvent(&object, &second);
    QElapsedTimer sinceLast;
    sinceLast.start();
    QCOMPARE(begins.count(), 1);
    QCOMPARE(ends.count(), 0);
    QVERIFY(ends.wait(3000));
    QVERIFY(sinceLast.elapsed() >= 1900);
    QCOMPARE(begins.count(), 1);
    QCOMPARE(ends.count(), 1);
}

QTEST_MAIN(TestTableObject)
#include "tst_tableobject.moc"
