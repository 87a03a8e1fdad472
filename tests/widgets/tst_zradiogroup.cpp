// The radio list of table cells: unique descriptions, the first option chosen,
// a tap on another option reported once (both signals), a choice made by the
// program never reported, and the chosen index always naming the checked button.
#include "AppStyleSheet.h"
#include "widgets/ZRadioButton.h"
#include "widgets/ZRadioGroup.h"

#include <QSignalSpy>
#include <QtTest>

namespace {

QList<bool> checkStates(const ZRadioGroup& group)
{
    QList<bool> states;
    for (int i = 0; i < group.count(); ++i)
        states << group.button(i)->isChecked();
    return states;
}

void tap(ZRadioGroup& group, int index)
{
    ZRadioButton* button = group.button(index);
    QTest::mouseClick(button, Qt::LeftButton, Qt::NoModifier, QPoint(12, button->height() / 2));
}

} // namespace

class TestZRadioGroup : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(!useApplicationStyleSheet().isEmpty()); }

    // A choice made by the program, or moved by a re-added description, is
    // never reported.
    void programChangesAreSilent()
    {
        ZRadioGroup group;
        QSignalSpy changes(&group, qOverload<int>(&ZRadioGroup::currentIndexChanged));
        group.addItem(QStringLiteral("A"), QStringLiteral("first"));
        group.addItem(QStringLiteral("B"));
        group.addItem(QStringLiteral("C"));
        QCOMPARE(checkStates(group), (QList<bool>{true, false, false}));
        group.addItem(QStringLiteral("A"), QStringLiteral("second"));
        QCOMPARE(group.descriptions(), (QStringList{"B", "C", "A"}));
        QCOMPARE(group.selectedIndex(), 2); // moved with its description
        QCOMPARE(checkStates(group), (QList<bool>{false, false, true}));
        QVERIFY(group.setSelectedIndex(1));
        QVERIFY(!group.setSelectedIndex(3));
        QVERIFY(!group.setSelectedIndex(-1));
        QCOMPARE(checkStates(group), (QList<bool>{false, true, false}));
        QCOMPARE(changes.count(), 0);
        QVERIFY(!group.removeItem(3));
        QVERIFY(!group.removeItem(QStringLiteral("x")));
    }

    // After a removal the choice stays on its entry, and a tap on another
    // option is reported once by both signals; a tap on the chosen one is not.
    void removalKeepsTheChoiceOnItsEntry_data()
    {
        QTest::addColumn<int>("chosen");
        QTest::addColumn<int>("removed");
        QTest::addColumn<int>("selectedAfter");
        QTest::newRow("before the choice") << 2 << 0 << 1;
        QTest::newRow("the choice itself") << 1 << 1 << -1;
    }

    void removalKeepsTheChoiceOnItsEntry()
    {
        QFETCH(int, chosen);
        QFETCH(int, removed);
        QFETCH(int, selectedAfter);
        ZRadioGroup group;
        group.addItem(QStringLiteral("a"), 10);
        group.addItem(QStringLiteral("b"), 20);
        group.addItem(QStringLiteral("c"), 30);
        group.setSelectedIndex(chosen);
        group.show();
        QVERIFY(QTest::qWaitForWindowExposed(&group));
        QVERIFY(group.removeItem(removed));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCOMPARE(group.selectedIndex(), selectedAfter);
        QCOMPARE(checkStates(group), (QList<bool>{selectedAfter == 0, selectedAfter == 1}));
        QCOMPARE(group.findChildren<ZRadioButton*>().size(), 2);

        QSignalSpy byText(&group, qOverload<QString, QVariant>(&ZRadioGroup::currentIndexChanged));
        QSignalSpy byIndex(&group, qOverload<int>(&ZRadioGroup::currentIndexChanged));
        const int other = selectedAfter == 0 ? 1 : 0;
        tap(group, other);
        tap(group, other);
        QCOMPARE(byIndex.count(), 1);
        QCOMPARE(byIndex.at(0).at(0).toInt(), other);
        QCOMPARE(byText.count(), 1);
        const QString text = group.descriptions().at(other);
        QCOMPARE(byText.at(0).at(0).toString(), text);
        QCOMPARE(byText.at(0).at(1).toInt(), (text.at(0).unicode() - 'a' + 1) * 10);
        QCOMPARE(checkStates(group), (QList<bool>{other == 0, other == 1}));
    }
};

QTEST_MAIN(TestZRadioGroup)
#include "tst_zradiogroup.moc"
