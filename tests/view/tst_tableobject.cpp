// The table widget: cells of every type and rights state (also styled), the
// edit chain, partial rebuilds, a refresh held for an open editor, links,
// header widgets, combo lists, teardown;
// its delegate: validators from a cell's limits and how a change enters.

#include "../common/LogCapture.h"
#include "AppStyleSheet.h"
#include "TableTestSupport.h"

#include "util/DocumentOpener.h"
#include "view/DoubleValidator.h"
#include "view/EditTableDelegate.h"
#include "widgets/ZCheckButton.h"
#include "widgets/ZClickLabel.h"
#include "widgets/ZCalendarWidget.h"
#include "widgets/ZComboBox.h"
#include "widgets/ZDateEdit.h"
#include "widgets/ZMeasureTextWidget.h"
#include "widgets/ZTimeEdit.h"

#include <QAbstractItemView>
#include <QHeaderView>
#include <QLabel>
#include <QPixmap>
#include <QRegExpValidator>
#include <QtTest>

#include <memory>

using namespace tabletest;

namespace {

const QStringList options{QStringLiteral("aus"), QStringLiteral("ein"), QStringLiteral("auto")};

// A typical value and data of each cell type.
TableCell sampleCell(int type, int rights)
{
    const QMap<int, std::pair<QVariant, QVariant>> samples{
        {TableCell::CHECK, {true, ""}}, {TableCell::NUMBER_EDIT, {"12.5", ""}}, {TableCell::ICON, {QPixmap(16, 16), ""}},
        {TableCell::CLOCK, {QTime(12, 30, 15), "HH:mm:ss"}}, {TableCell::TIME, {QTime(12, 30, 15), "HH:mm:ss"}},
        {TableCell::DATE, {QDate(2024, 2, 29), "dd.MM.yyyy"}}, {TableCell::LINK, {"$.CONF.SUB", ""}},
        {TableCell::RADIO_GROUP, {1, options}}, {TableCell::COMBO_INDEX, {1, options}}, {TableCell::COMBO_TEXT, {"auto", options}},
        {TableCell::MEASURE, {QStringList{"21.53", "°C"}, 1024}}, {TableCell::DOCUMENT_LINK, {"PDF", "/tmp/manual.pdf"}},
        {TableCell::LINK_LABEL, {"<a href=\"https://example.org\">Hilfe</a>", ""}},
        {TableCell::ANIMATION, {":/pic/logger/icon_ringspeicher_aktiv_31x31_01.gif", ""}}};
    const auto sample = samples.value(type, {QStringLiteral("Text %1").arg(type), ""});
    return cell(TableCell::CellType(type), sample.first, rights, sample.second);
}

// A plain table widget with the delegate and an item for the one held cell.
struct DelegateFixture
{
    explicit DelegateFixture(const TableCell& cell, int tableType = TableStructure::ROWS)
    {
        view.setItemDelegate(&delegate);
        delegate.setTable(table({{cell}}, 1, tableType));
        view.setItem(0, 0, new QTableWidgetItem(cell.getValue().toString()));
    }
    ~DelegateFixture() { view.setItemDelegate(nullptr); }

    QLineEdit* openEditor()
    {
        return static_cast<QLineEdit*>(delegate.createEditor(view.viewport(), {}, view.model()->index(0, 0)));
    }

    QTableWidget view{1, 1};
    EditTableDelegate delegate{&view};
};

} // namespace

class TestTableObject : public QObject
{
    Q_OBJECT

    QList<QUrl> opened;   // what the tables asked to open; no viewer is ever started

private slots:
    void initTestCase()
    {
        ensureTevaroResources();
        DocumentOpener::setHook([this](const QUrl& url) {
            opened.append(url);
            return false;
        });
    }

    void cellByTypeAndRights_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("rights");
        for (int type : {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 15, 16, 17, 18, 99})
            for (int rights = 0; rights <= 3; ++rights)
                QTest::addRow("type %d, rights %d", type, rights) << type << rights;
    }

    void cellByTypeAndRights()
    {
        QFETCH(int, type);
        QFETCH(int, rights);
        // Per widget type: class, held in a container, enabled by rights. Others are items.
        struct Shown { const char* name; bool inContainer; bool followsRights; };
        const QMap<int, Shown> widgets{{1, {"ZCheckButton", true, true}},   {4, {"QLabel", false, false}},
                                       {5, {"ZTimeEdit", false, true}},     {6, {"ZTimeEdit", false, true}},
                                       {7, {"ZDateEdit", false, true}},     {8, {"ZClickLabel", false, true}},
                                       {9, {"ZRadioGroup", true, true}},    {10, {"ZComboBox", true, true}},
                                       {11, {"ZComboBox", true, true}},     {12, {"ZMeasureTextWidget", true, true}},
                                       {15, {"ZClickLabel", true, false}},  {16, {"QLabel", true, false}},
                                       {17, {"QLabel", false, false}}};
        const Shown shown = widgets.value(type, {"item", false, false});
        const bool editable = rights == TableCell::EDITABLE;
        // Without access every cell is an item; without edit rights a document link is a plain label.
        const QString expected = rights == TableCell::NO_ACCESS ? QStringLiteral("item")
                                 : type == 15 && !editable    ? QStringLiteral("ZLabel") : QString(shown.name);

        TableObject object;
        show(object, table({{cell(TableCell::TEXT, QStringLiteral("Bezeichnung"), 0), sampleCell(type, rights)}}, 2));
        QWidget* widget = object.cellWidget(0, 1);
        QTableWidgetItem* item = object.item(0, 1);
        if (expected == QLatin1String("item")) {
            QVERIFY(item && !widget);
            // Line-editor items without rights information keep the default flags.
            QCOMPARE(bool(item->flags() & Qt::ItemIsSelectable), (type == 2 || type == 3) && rights == 0);
            QCOMPARE(item->text(), rights == TableCell::NO_ACCESS ? QStringLiteral("-------------")
                                                                 : sampleCell(type, rights).getValue().toString());
            return;
        }
        QVERIFY(!item && widget);
        QWidget* inner = reporting(object, 0, 1);
        QCOMPARE(QString(inner->metaObject()->className()), expected);
        QCOMPARE(inner != widget, shown.inContainer);
        QCOMPARE(inner->isEnabled(), !shown.followsRights || editable);
    }

    // Every cell type under the application style sheets: laid out, visible, the
    // delegate's backgrounds kept. Owner widgets follow rights and the input switch;
    // measure cells show value, unit and flags, also from odd device data.
    void everyCellTypeUnderTheStyleSheet()
    {
        useApplicationStyleSheet();
        TableObject object;
        QList<QPointer<QWidget>> supplied;
        connect(&object, &TableObject::detectDisplayWidget, &object, [&](int row, int column, TableCell request) {
            supplied.append(new QLabel(request.getValue().toString()));
            object.insertCellWidget(supplied.last(), request, row, column);
        });
        QVector<QVector<TableCell>> rows;
        for (int type = 0; type <= 18; ++type)
            rows.append({cell(TableCell::TEXT, QString::number(type), 0), sampleCell(type, TableCell::EDITABLE)});
        rows.append({cell(TableCell::TEXT, QStringLiteral("nur lesen"), 0), sampleCell(TableCell::TEXT_EDIT, 1)});
        rows.append({cell(TableCell::TEXT, QStringLiteral("kein Zugriff"), 0), sampleCell(TableCell::COMBO_INDEX, 3)});
        rows.append({cell(TableCell::TEXT, QStringLiteral("Kachel"), 0), sampleCell(TableCell::OWNER_WIDGET, 1)});
        rows.append({cell(TableCell::MEASURE, QStringList{"1", "2", "3"}, 0, 2),
                     cell(TableCell::MEASURE, QStringLiteral("7"), 0, QStringLiteral("x"))});
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

        auto measured = [&object](int row, int column) {
            auto* measure = reportingAs<ZMeasureTextWidget>(object, row, column);
            return measure ? QStringList{measure->measureValue(), measure->measureUnit()}
                                 + measure->property("measureStatus").toStringList()
                           : QStringList();
        };
        QCOMPARE(measured(12, 1), (QStringList{"21.53", "°C", "LF1024"}));
        QCOMPARE(measured(22, 0), (QStringList{"", "", "LF2"}));
        QCOMPARE(measured(22, 1), (QStringList{"7", ""}));

        QVERIFY(supplied.size() == 2 && reporting(object, 14, 1) == supplied.at(0).data());
        QVERIFY(supplied.at(0)->isEnabled() && !supplied.at(1)->isEnabled());
        object.setInputEnabled(false);
        QVERIFY(!supplied.at(0)->isEnabled());
        // Outside the table: refused, and the widget stays the caller's.
        QLabel stray;
        object.insertCellWidget(&stray, sampleCell(TableCell::OWNER_WIDGET, 2), 50, 0);
        QVERIFY(!stray.parent());
    }

    // Each user change comes back once, into the held table (a widget's repeat is no
    // change); a refresh rebuilds only changed cells, a widget cell turned text leaves none.
    void editsAndRefreshes()
    {
        TableObject object;
        show(object, table({{cell(TableCell::COMBO_INDEX, 1, 2, options), cell(TableCell::TEXT, "a", 0)},
                            {cell(TableCell::CHECK, true), cell(TableCell::TIME, QTime(8, 0), 2, QStringLiteral("HH:mm"))}},
                           2));
        QSignalSpy changes(&object, &TableObject::changeValue);
        auto* check = reportingAs<ZCheckButton>(object, 1, 0);
        check->click();
        emit check->changeCheckStatus(false);
        auto* time = reportingAs<ZTimeEdit>(object, 1, 1);
        time->setTime(QTime(9, 15));
        emit time->editingFinished();
        emit time->editingFinished();
        QCOMPARE(changes.count(), 2);
        QCOMPARE(changes.at(1).mid(0, 2), QVariantList({1, 1}));
        TableStructure held = object.getTable();
        QVERIFY(held.cellAt(1, 0).isChanged() && !held.cellAt(0, 1).isChanged());
        QCOMPARE(held.cellAt(1, 0).getValue(), QVariant(false));
        QCOMPARE(held.cellAt(1, 1).getValue(), QVariant(QTime(9, 15)));

        QPointer<QWidget> combo = object.cellWidget(0, 0);
        QPointer<QWidget> checkCell = object.cellWidget(1, 0);
        held.getRow(1)[0].setValue(true);
        held.getRow(0)[1].setValue(QStringLiteral("neu"));
        QVERIFY(object.refreshTableData(held));
        QCOMPARE(reportingAs<ZCheckButton>(object, 1, 0)->getButtonCheckState(), ZCheckButton::Checked);
        QCOMPARE(object.item(0, 1)->text(), QStringLiteral("neu"));
        flushDeletes();
        QVERIFY(!checkCell && combo);
        held.getRow(0)[0] = cell(TableCell::TEXT, "kein Combo", 0);
        object.refreshTableData(held);
        QVERIFY(!object.cellWidget(0, 0));
    }

    // A refresh that meets an open editor is held, the newest in place of older ones, and runs
    // once whatever ends the last edit: a line editor, a combo, time or date editor closing, a
    // rebuild. A hidden table runs it when it shows again; a cleared one drops it.
    void aHeldRefreshRunsOnceWhateverEndsTheEdit()
    {
        TableObject object;
        const TableStructure shown = table({{cell(TableCell::COMBO_INDEX, 1, 2, options), cell(TableCell::TEXT_EDIT, "a")},
                                            {cell(TableCell::TIME, QTime(8, 0), 2, QStringLiteral("HH:mm")),
                                             cell(TableCell::DATE, QDate(2024, 2, 29), 2, QStringLiteral("dd.MM.yyyy"))}},
                                           2);
        show(object, shown);
        object.show();
        QVERIFY(QTest::qWaitForWindowActive(&object));
        QStringList runs;
        const auto hold = [&object, &runs](const QString& name) {
            object.refreshWhenIdle([&runs, name] { runs << name; });
        };
        const auto ranOnce = [&runs](const QString& name) {
            QTest::qWait(0);   // a second run would come in the same turns as the first
            return runs == QStringList{name};
        };

        // A line editor.
        object.editItem(object.item(0, 1));
        QVERIFY(object.isEditing());
        hold(QStringLiteral("older"));
        hold(QStringLiteral("line"));
        QVERIFY(runs.isEmpty());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        QTRY_VERIFY(ranOnce(QStringLiteral("line")));

        // A combo, a time and a date editor, each ended by its own signal.
        const auto widgetEdit = [&](const QString& name, const std::function<void()>& open,
                                    const std::function<void()>& close) {
            runs.clear();
            open();
            QVERIFY2(object.isEditing(), qPrintable(name));
            hold(name);
            QVERIFY2(runs.isEmpty(), qPrintable(name));
            close();
            QTRY_VERIFY2(ranOnce(name), qPrintable(runs.join(',')));
        };
        auto* combo = reportingAs<ZComboBox>(object, 0, 0);
        widgetEdit(QStringLiteral("combo"), [combo] { combo->showPopup(); }, [combo] { combo->hidePopup(); });
        auto* time = reportingAs<ZTimeEdit>(object, 1, 0);
        widgetEdit(QStringLiteral("time"), [time] { emit time->focusDateTime(); },
                   [time] { emit time->editingFinished(); });
        auto* calendar = qobject_cast<ZCalendarWidget*>(reportingAs<ZDateEdit>(object, 1, 1)->calendarWidget());
        QVERIFY(calendar);
        widgetEdit(QStringLiteral("date"), [calendar] { emit calendar->showCalendar(); },
                   [calendar] { emit calendar->hideCalendar(); });

        // One edit ends and the next begins before the refresh's turn: it waits for the next to end.
        runs.clear();
        emit time->focusDateTime();
        hold(QStringLiteral("next"));
        emit time->editingFinished();
        emit calendar->showCalendar();
        QTest::qWait(0);
        QVERIFY(runs.isEmpty() && object.isEditing());
        emit calendar->hideCalendar();
        QTRY_VERIFY(ranOnce(QStringLiteral("next")));

        // A rebuild ends the edits, whole or of the changed cells only (here none, so the editor's
        // widget stays and tells nothing); the refresh runs after the rebuild, never inside it. (No
        // combo here: one disabled by the rebuild tells it closed, and would run it too.)
        TableObject noCombo;
        const TableStructure times = table({{cell(TableCell::TIME, QTime(8, 0), 2, QStringLiteral("HH:mm"))}}, 1);
        show(noCombo, times);
        noCombo.show();
        for (const QString& rebuild : {QStringLiteral("whole"), QStringLiteral("changed cells")}) {
            runs.clear();
            emit reportingAs<ZTimeEdit>(noCombo, 0, 0)->focusDateTime();
            QVERIFY(noCombo.isEditing());
            noCombo.refreshWhenIdle([&runs, rebuild] { runs << rebuild; });
            if (rebuild == QLatin1String("whole"))
                noCombo.setTableData(times, true, QString(), false, 0);
            else
                noCombo.refreshTableData(noCombo.getTable());
            QVERIFY2(!noCombo.isEditing() && runs.isEmpty(), qPrintable(rebuild));
            QTRY_VERIFY2(ranOnce(rebuild), qPrintable(runs.join(',')));
        }

        // Hidden meanwhile: run when shown again. Cleared: dropped.
        runs.clear();
        emit reportingAs<ZTimeEdit>(object, 1, 0)->focusDateTime();
        hold(QStringLiteral("hidden"));
        object.hide();
        emit reportingAs<ZTimeEdit>(object, 1, 0)->editingFinished();
        QTest::qWait(0);
        QVERIFY(runs.isEmpty() && object.holdsRefresh());
        object.show();
        QTRY_VERIFY(ranOnce(QStringLiteral("hidden")));
        emit reportingAs<ZTimeEdit>(object, 1, 0)->focusDateTime();
        hold(QStringLiteral("cleared"));
        object.clearTable();
        QVERIFY(!object.holdsRefresh());
    }

    // Link signals are queueable as they come; an empty document path is dropped, a
    // failed open tells the owner; label links go to the opener, only with rights.
    void linksAndDocuments()
    {
        opened.clear();
        TableObject object;
        const QString text = QStringLiteral("<a href=\"https://example.org/hilfe\">Hilfe</a>");
        show(object, table({{cell(TableCell::DOCUMENT_LINK, "PDF", 2, QString()),
                             cell(TableCell::DOCUMENT_LINK, "PDF", 2, QStringLiteral("/opt/doc/x.pdf")),
                             cell(TableCell::LINK_LABEL, text), cell(TableCell::LINK_LABEL, text, 1), cell(TableCell::LINK, "$.CONF.IN")}},
                           5));
        QObject receiver;
        QStringList received;
        connect(&object, &TableObject::clickValue, &receiver,
                [&received](int&, int&, TableCell& clicked) { received << clicked.getValue().toString(); },
                Qt::QueuedConnection);
        QTest::mouseClick(reportingAs<ZClickLabel>(object, 0, 4), Qt::LeftButton);
        QCoreApplication::processEvents();
        QCOMPARE(received, QStringList{QStringLiteral("$.CONF.IN")});

        QSignalSpy failures(&object, &TableObject::detectFailure);
        QTest::mouseClick(reportingAs<ZClickLabel>(object, 0, 0), Qt::LeftButton);
        QTest::mouseClick(reportingAs<ZClickLabel>(object, 0, 1), Qt::LeftButton);
        QCOMPARE(failures.count(), 1);
        QCOMPARE(failures.first().at(0).value<TableObject::TableFailure>(), TableObject::DOCUMENT_OPEN_FAILED);
        QCOMPARE(failures.first().at(1).toString(), QStringLiteral("/opt/doc/x.pdf"));
        emit reportingAs<QLabel>(object, 0, 2)->linkActivated(QStringLiteral("https://example.org/hilfe"));
        QCOMPARE(opened, (QList<QUrl>{QUrl::fromLocalFile(QStringLiteral("/opt/doc/x.pdf")),
                                      QUrl(QStringLiteral("https://example.org/hilfe"))}));
        QCOMPARE(reportingAs<QLabel>(object, 0, 3)->textInteractionFlags(), Qt::NoTextInteraction);
    }

    // Header widgets belong to the table: fresh ones leave nothing behind, kept ones
    // survive. A combo makes its styled list on first use (a press makes Qt's own
    // before showPopup()). Open popups closing while the table goes must not call it.
    void headerWidgetsCombosAndTeardown()
    {
        auto* object = new TableObject;
        object->resize(600, 400);
        object->show();
        QVERIFY(QTest::qWaitForWindowExposed(object));
        const TableStructure rows =
            table({{sampleCell(TableCell::COMBO_INDEX, 2), sampleCell(TableCell::TIME, 2), sampleCell(TableCell::MEASURE, 0)}}, 3);
        int baseline = 0;
        for (int i = 0; i < 20; ++i) {
            auto* combo = new ZComboBox;
            combo->addItems(options);
            QList<QWidget*> fresh{new QLabel(QStringLiteral("Messkanal")), combo, new ZCheckButton(true)};
            object->setHeaderWidgets(fresh, true);
            object->setTableData(rows, true, QString(), false, 0);
            flushDeletes();
            baseline = i == 0 ? QApplication::allWidgets().size() : baseline;
        }
        QCOMPARE(QApplication::allWidgets().size(), baseline);
        QPointer<ZComboBox> combo = reportingAs<ZComboBox>(*object, 0, 0);
        QVERIFY(!combo->findChild<QAbstractItemView*>());
        QTest::mouseClick(combo, Qt::LeftButton);
        const QList<QAbstractItemView*> lists = combo->findChildren<QAbstractItemView*>();
        QCOMPARE(lists.size(), 1);
        QCOMPARE(QByteArray(lists.first()->itemDelegate()->metaObject()->className()), QByteArray("QStyledItemDelegate"));
        combo->showPopup();
        QCOMPARE(combo->view(), lists.first());
        QVERIFY(object->isEditing());
        combo->hidePopup();
        QVERIFY(!object->isEditing());

        auto* label = new QLabel(QStringLiteral("Messkanal"));
        QPointer<QWidget> kept(label), dropped(new ZComboBox), added(new ZCheckButton(false));
        QList<QWidget*> first{label, dropped};
        QList<QWidget*> second{label, added};
        object->setHeaderWidgets(first, true);
        object->setHeaderWidgets(second, true);
        object->setHeaderWidgets(second, true);   // the same list once more deletes nothing
        flushDeletes();
        QVERIFY(kept && !dropped && added && object->horizontalHeader()->isAncestorOf(added));
        object->setTableData(rows, true, QString(), false, 0);
        combo = reportingAs<ZComboBox>(*object, 0, 0);
        combo->showPopup();
        reportingAs<ZTimeEdit>(*object, 0, 1)->setFocus();
        QVERIFY(object->isEditing());
        delete object;
        QVERIFY(!combo);
    }

    // The editor's validator from a cell's limits, judged by what it keeps of typing: every
    // keystroke, a comma in a numeric cell as the decimal point. A text the cell does not take
    // stays as typed and is not acceptable, so Enter cannot write another value made of the rest,
    // nor is it written when the editor is left another way.
    void validatorFromLimits()
    {
        enum Kind { None, Numeric, CommaOnly, Pattern };
        struct Case { int tableType, cellType, limits; const char* regx; double min; Kind kind; bool warning;
                      const char *typed, *kept; bool acceptable; };
        const int rows = TableStructure::ROWS, number = TableCell::NUMBER_EDIT, range = TableCell::MIN | TableCell::MAX;
        const int checks = range | TableCell::DP | TableCell::DG;
        const Case cases[] = {
            {rows, number, checks, "", 0.0, Numeric, false, "12,34", "12.34", true},
            {rows, number, checks, "", 0.0, Numeric, false, "12,345", "12.345", false},     // decimals
            {rows, number, checks, "", 0.0, Numeric, false, "1,2,3", "1.2.3", false},       // a second separator
            {rows, number, checks, "", 0.0, Numeric, false, "1.000,5", "1.000.5", false},   // German thousands
            {rows, number, checks, "", 1.0, Numeric, false, "-3", "-3", false},             // no room for a minus
            {rows, number, checks, "", 0.0, Numeric, false, "1x", "1x", false},
            {rows, number, TableCell::DP | TableCell::DG, "", 0.0, Numeric, false, "-123456", "-123456", false},
            {rows, number, TableCell::DP | TableCell::DG, "", 0.0, Numeric, false, "-12345", "-12345", true},
            {rows, number, TableCell::DG, "", 0.0, CommaOnly, false, "abc1,5", "abc1.5", true},   // a digit count alone
            {TableStructure::STAB, number, range, "", 0.0, CommaOnly, false, "2,5", "2.5", true},
            {TableStructure::DTAB, number, range, "", 0.0, CommaOnly, false, "1,2,5", "1.2.5", true},
            // An impossible range is left out rather than refusing every number.
            {rows, number, range, "", qQNaN(), Numeric, true, "-50", "-50", true},
            {rows, number, range, "", 200.0, Numeric, true, "150", "150", true},   // MIN above MAX
            {rows, TableCell::TEXT_EDIT, TableCell::REGX, "[0-9]{3}", 0.0, Pattern, false, "123", "123", true},
            {rows, TableCell::TEXT_EDIT, TableCell::REGX, "[0-9]{3}", 0.0, Pattern, false, "1234", "1234", false},
            {rows, TableCell::TEXT_EDIT, TableCell::REGX, "[0-9]{3}", 0.0, Pattern, false, "1a23", "1a23", false},
            {rows, TableCell::TEXT_EDIT, 0, "", 0.0, None, false, "1,5", "1,5", true},   // a text keeps its comma
            // Patterns QRegExp cannot read would lock the cell: no validator, a warning.
            {rows, TableCell::TEXT_EDIT, TableCell::REGX, "[A-Z]+?", 0.0, None, true, "ABC", "ABC", true},
        };
        for (const Case& c : cases) {
            const QByteArray row = "row " + QByteArray::number(int(&c - cases));
            TableCell edited = cell(TableCell::CellType(c.cellType), QStringLiteral("12"));
            edited.setLimitFlags(c.limits);
            edited.setMin(c.min);
            edited.setMax(100.0);
            edited.setDp(2);
            edited.setDg(5);
            edited.setRegx(QLatin1String(c.regx));
            DelegateFixture fixture(edited, c.tableType);
            LogCapture log;
            const std::unique_ptr<QLineEdit> editor(fixture.openEditor());
            QVERIFY2(log.messages().size() == (c.warning ? 1 : 0), row);
            const QValidator* validator = editor->validator();
            auto* numeric = qobject_cast<const DoubleValidator*>(validator);
            const Kind kind = !validator ? None
                              : numeric ? Numeric
                              : qobject_cast<const DecimalCommaValidator*>(validator) ? CommaOnly
                              : qobject_cast<const QRegExpValidator*>(validator) ? Pattern : None;
            QVERIFY2(kind == c.kind && editor->findChildren<QValidator*>().size() == (c.kind == None ? 0 : 1), row);
            const bool ranged = (c.limits & TableCell::MIN) && !c.warning;
            QVERIFY2(!numeric || (numeric->locale().decimalPoint() == QLatin1Char('.')
                                  && numeric->bottom() == (ranged ? c.min : -qInf()) && numeric->top() == (ranged ? 100.0 : qInf())),
                     row);
            if (numeric && c.warning)   // the range left out: the hint names none
                QVERIFY2(editor->toolTip() == QStringLiteral("Erlaubt: eine Zahl."), row);
            QTest::keyClicks(editor.get(), QLatin1String(c.typed));
            QVERIFY2(editor->text() == QLatin1String(c.kept), row + ": " + editor->text().toUtf8());
            QVERIFY2((!validator || editor->hasAcceptableInput()) == c.acceptable, row);
            if (validator && !c.acceptable)   // the frame tells before Enter does
                QVERIFY2(editor->styleSheet().contains(QLatin1String("red")), row);
            // However the editor is left, only a text the cell takes enters the table.
            QSignalSpy written(&fixture.delegate, &EditTableDelegate::updateCellValue);
            fixture.delegate.setModelData(editor.get(), fixture.view.model(), fixture.view.model()->index(0, 0));
            QVERIFY2((written.size() == 1) == c.acceptable, row);
        }
    }

    // What a checked cell takes is said in the selected language, from the checks its editor makes.
    void inputHintFromTheChecks()
    {
        struct Case { int limits; double min, max; const char* regx; const char* hint; };
        const int number = TableCell::MIN | TableCell::MAX | TableCell::DP;
        const Case cases[] = {
            {number, 1.0, 3600.0, "", "Erlaubt: eine Zahl von 1 bis 3600, "
                                      "Nachkommastellen: höchstens 1."},
            {TableCell::MIN | TableCell::DP | TableCell::DG, -200.0, 0.0, "",
             "Erlaubt: eine Zahl ab -200, Nachkommastellen: höchstens 1, Zeichen: höchstens 6."},
            {TableCell::MAX | TableCell::DP, 0.0, 0.5, "", "Erlaubt: eine Zahl bis 0.5, "
                                                          "Nachkommastellen: höchstens 1."},
            {TableCell::REGX, 0.0, 0.0, "[A-Z]{2}", "Erlaubt: ein Text nach der Vorgabe des Geräts."},
        };
        for (const Case& c : cases) {
            TableCell edited = cell(*c.regx ? TableCell::TEXT_EDIT : TableCell::NUMBER_EDIT, QStringLiteral("1"));
            edited.setLimitFlags(c.limits);
            edited.setMin(c.min);
            edited.setMax(c.max);
            edited.setDp(1);
            edited.setDg(6);
            edited.setRegx(QLatin1String(c.regx));
            DelegateFixture fixture(edited);
            const std::unique_ptr<QLineEdit> editor(fixture.openEditor());
            QCOMPARE(editor->toolTip(), QString::fromUtf8(c.hint));
        }
        TableCell zeroDecimals = cell(TableCell::NUMBER_EDIT, QStringLiteral("1"));
        zeroDecimals.setLimitFlags(TableCell::DP);
        zeroDecimals.setDp(0);
        DelegateFixture fixture(zeroDecimals);
        const std::unique_ptr<QLineEdit> editor(fixture.openEditor());
        QCOMPARE(editor->toolTip(), QStringLiteral("Erlaubt: eine Zahl, ohne Nachkommastellen."));
    }

    // Same text or outside the table: no change; a commit while a listener empties the view enters once.
    void changeEntersTheTableOnce()
    {
        DelegateFixture fixture(cell(TableCell::TEXT_EDIT, QStringLiteral("2")));
        QSignalSpy updates(&fixture.delegate, &EditTableDelegate::updateCellValue);
        fixture.delegate.setCellValue(0, 0, QVariant(2));
        fixture.delegate.setCellValue(1, 0, QVariant(4));
        QVERIFY(updates.isEmpty() && !fixture.delegate.getCell(0, 0).isChanged());
        QObject::connect(&fixture.delegate, &EditTableDelegate::updateCellValue, &fixture.view,
                         [&fixture]() { fixture.view.setRowCount(0); });
        const std::unique_ptr<QLineEdit> editor(fixture.openEditor());
        editor->setText(QStringLiteral("neu"));
        fixture.delegate.setModelData(editor.get(), fixture.view.model(), fixture.view.model()->index(0, 0));
        QCOMPARE(updates.count(), 1);
        QCOMPARE(fixture.view.rowCount(), 0);
        QVERIFY(fixture.delegate.getCell(0, 0).isChanged());
        QCOMPARE(fixture.delegate.getTable().cellAt(0, 0).getValue().toString(), QStringLiteral("neu"));
    }
};

QTEST_MAIN(TestTableObject)
#include "tst_tableobject.moc"
