// Tables whose header is made of widgets (combo boxes, check buttons, labels):
// the table owns them, so screens that rebuild such a header on every show
// leave nothing behind, and widgets kept from one header to the next survive.

#include "TableTestSupport.h"

#include "widgets/TevaroResources.h"
#include "widgets/ZCheckButton.h"
#include "widgets/ZComboBox.h"
#include "widgets/ZHorizontalHeader.h"

#include <QApplication>
#include <QLabel>
#include <QPointer>
#include <QtTest>

using namespace tabletest;

namespace {

QList<QWidget*> newHeaderWidgets()
{
    auto* combo = new ZComboBox;
    combo->addItems({QStringLiteral("Messwert"), QStringLiteral("Maximalwert"), QStringLiteral("Minimalwert")});
    return {new QLabel(QStringLiteral("Messkanal")), combo, new ZCheckButton(true)};
}

TableStructure rowsUnderTheHeader()
{
    const QStringList options{QStringLiteral("a"), QStringLiteral("b")};
    return table({{cell(TableCell::TEXT, "M01", 0), cell(TableCell::COMBO_INDEX, 0, 2, options),
                   cell(TableCell::CHECK, true)},
                  {cell(TableCell::TEXT, "M02", 0), cell(TableCell::MEASURE, QStringList{"1.5", "V"}, 0, 0),
                   cell(TableCell::CHECK, false)}},
                 3);
}

} // namespace

class TestTableHeaderWidgets : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { ensureTevaroResources(); }
    void thousandRebuildsLeakNoWidget();
    void keptWidgetsSurviveARebuild();
};

void TestTableHeaderWidgets::thousandRebuildsLeakNoWidget()
{
    TableObject object;
    object.resize(600, 400);
    object.show();
    QVERIFY(QTest::qWaitForWindowExposed(&object));
    const TableStructure rows = rowsUnderTheHeader();
    QList<QWidget*> widgets = newHeaderWidgets();
    object.setHeaderWidgets(widgets, true);
    object.setTableData(rows, true, QString(), false, 0);
    flushDeletes();
    const int baseline = QApplication::allWidgets().size();

    for (int i = 0; i < 1000; ++i) {
        QList<QWidget*> fresh = newHeaderWidgets();
        object.setHeaderWidgets(fresh, true);
        object.setTableData(rows, true, QString(), false, 0);
        flushDeletes();
    }
    flushDeletes();
    QCOMPARE(QApplication::allWidgets().size(), baseline);
}

void TestTableHeaderWidgets::keptWidgetsSurviveARebuild()
{
    TableObject object;
    auto* label = new QLabel(QStringLiteral("Messkanal"));
    QPointer<QWidget> firstCombo = new ZComboBox;
    QList<QWidget*> first{label, firstCombo};
    object.setHeaderWidgets(first, true);

    QPointer<QWidget> check = new ZCheckButton(false);
    QList<QWidget*> second{label, check};
    object.setHeaderWidgets(second, true);
    flushDeletes();

    QPointer<QLabel> kept(label);
    QVERIFY(kept);
    QVERIFY(!firstCombo);
    QVERIFY(check);
    QVERIFY(object.horizontalHeader()->isAncestorOf(check));

    // The same list once more: nothing is deleted.
    object.setHeaderWidgets(second, true);
    flushDeletes();
    QVERIFY(kept);
    QVERIFY(check);
}

QTEST_MAIN(TestTableHeaderWidgets)
#include "tst_tableheaderwidgets.moc"
