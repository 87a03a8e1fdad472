// The table widget: partial rebuilds, the edit chain that brings every user
// change back exactly once, combo lists made on first use, link and document
// cells, teardown with open popups.

#include "TableTestSupport.h"

#include "../common/LogCapture.h"

#include "util/DocumentOpener.h"
#include "widgets/TevaroResources.h"
#include "widgets/ZCheckButton.h"
#include "widgets/ZClickLabel.h"
#include "widgets/ZComboBox.h"
#include "widgets/ZRadioButton.h"
#include "widgets/ZRadioGroup.h"
#include "widgets/ZTimeEdit.h"

#include <QAbstractItemView>
#include <QLabel>
#include <QSignalSpy>
#include <QtTest>

#include <functional>

using namespace tabletest;

namespace {

using TableAction = std::function<void(TableObject&)>;

const QStringList options{QStringLiteral("aus"), QStringLiteral("ein"), QStringLiteral("auto")};

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

} // namespace

Q_DECLARE_METATYPE(TableAction)

class TestTableObject : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();

    void refreshRebuildsOnlyChangedCells();

    void widgetEditComesBackOnce_data();
    void widgetEditComesBackOnce();
    void comboListMadeOnFirstUse_data();
    void comboListMadeOnFirstUse();

    void linkClickCanBeQueued();
    void documentLinkFailures_data();
    void documentLinkFailures();
    void labelLinksOnlyOpenSafeTargets();

    void destroyedWithOpenPopups();
};

void TestTableObject::initTestCase()
{
    ensureTevaroResources();
}

void TestTableObject::init()
{
    DocumentOpener::setHook([](const QUrl& url) {
        qFatal("A test tried to open %s with the desktop viewer", qPrintable(url.toString()));
        return false;
    });
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
    QCOMPARE(reportingAs<ZCheckButton>(object, 1, 0)->getButtonCheckState(), ZCheckButton::Unchecked);
    QCOMPARE(object.item(0, 1)->text(), QStringLiteral("neu"));
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

void TestTableObject::comboListMadeOnFirstUse_data()
{
    QTest::addColumn<TableAction>("firstUse");

    // On a press QComboBox makes a list of its own before it calls showPopup().
    QTest::newRow("tap") << TableAction(
        [](TableObject& t) { QTest::mouseClick(reportingAs<ZComboBox>(t, 0, 1), Qt::LeftButton); });
    // A style change makes QComboBox look at its list's delegate.
    QTest::newRow("style change") << TableAction(
        [](TableObject& t) { t.setStyleSheet(QStringLiteral("QComboBox { padding-left: 12px; }")); });
}

// A combo cell makes its popup list when first needed; from then on it is the
// styled list of every ZComboBox, and it is the list that opens.
void TestTableObject::comboListMadeOnFirstUse()
{
    QFETCH(TableAction, firstUse);

    TableObject object;
    object.resize(600, 300);
    object.show();
    QVERIFY(QTest::qWaitForWindowExposed(&object));
    show(object, table({{cell(TableCell::TEXT, "Modus", 0), cell(TableCell::COMBO_INDEX, 1, 2, options)}}, 2));
    auto* combo = reportingAs<ZComboBox>(object, 0, 1);
    QVERIFY(combo);
    QVERIFY(!combo->findChild<QAbstractItemView*>());

    firstUse(object);
    const QList<QAbstractItemView*> lists = combo->findChildren<QAbstractItemView*>();
    QCOMPARE(lists.size(), 1);
    QAbstractItemView* list = lists.first();
    QCOMPARE(QByteArray(list->metaObject()->className()), QByteArray("QListView"));
    QCOMPARE(QByteArray(list->itemDelegate()->metaObject()->className()), QByteArray("QStyledItemDelegate"));

    combo->showPopup();
    QCOMPARE(combo->view(), list);
    QVERIFY(list->isVisible());
    QCOMPARE(list->model()->rowCount(), options.size());
    QCOMPARE(list->currentIndex().row(), 1);
    QVERIFY(object.isEditing());
    combo->hidePopup();
    QVERIFY(!object.isEditing());
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

void TestTableObject::documentLinkFailures_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("viewerWorks");
    QTest::addColumn<bool>("reachesViewer");
    QTest::addColumn<QString>("warning");

    const QString failed = QStringLiteral("Can't open PDF %1\nDid you install a PDF reader (Adobe Reader)?");
    QTest::newRow("empty path") << "" << true << false << "Can't open PDF because of empty path. ";
    QTest::newRow("viewer fails") << "/opt/doc/x.pdf" << false << true << failed.arg("/opt/doc/x.pdf");
    QTest::newRow("refused target") << "doc/x.pdf" << true << false << failed.arg("doc/x.pdf");
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
    QCOMPARE(opener.opened, QList<QUrl>{QUrl(QStringLiteral("https://example.org/hilfe"))});
    QCOMPARE(log.matching(QStringLiteral("javascript:alert(1)")).size(), 2);

    // Without rights the links are plain text to the user.
    auto* readOnly = reportingAs<QLabel>(object, 0, 1);
    QCOMPARE(readOnly->textInteractionFlags(), Qt::NoTextInteraction);
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

QTEST_MAIN(TestTableObject)
#include "tst_tableobject.moc"
