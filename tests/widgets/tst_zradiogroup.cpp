// The radio list of table cells: unique descriptions, the first option chosen,
// a tap on another option reported once (both signals), a choice made by the
// program never reported, and the chosen index always naming the checked button.
#include "widgets/TevaroResources.h"
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

void fill(ZRadioGroup& group)
{
    group.addItem(QStringLiteral("a"), 10);
    group.addItem(QStringLiteral("b"), 20);
    group.addItem(QStringLiteral("c"), 30);
}

struct ChangeRecorder
{
    QSignalSpy byText;
    QSignalSpy byIndex;

    explicit ChangeRecorder(ZRadioGroup* group)
        : byText(group, qOverload<QString, QVariant>(&ZRadioGroup::currentIndexChanged))
        , byIndex(group, qOverload<int>(&ZRadioGroup::currentIndexChanged))
    {
    }
    int count() const { return byText.count() + byIndex.count(); }
};

} // namespace

class TestZRadioGroup : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        ensureTevaroResources();
        QString sheet;
        for (const char* name : {":/qss/TevaroApp.qss", ":/qss/TevaroApp_Desktop.qss"}) {
            QFile file(QString::fromLatin1(name));
            QVERIFY(file.open(QIODevice::ReadOnly));
            sheet += QString::fromUtf8(file.readAll());
        }
        qApp->setStyleSheet(sheet);
    }

    // A choice made by the program, or moved by a re-added description, is
    // never reported.
    void programChangesAreSilent()
    {
        ZRadioGroup group;
        QCOMPARE(group.selectedIndex(), -1);
        ChangeRecorder changes(&group);
        group.addItem(QStringLiteral("A"), QStringLiteral("first"));
        group.addItem(QStringLiteral("B"));
        group.addItem(QStringLiteral("C"));
        QCOMPARE(checkStates(group), (QList<bool>{true, false, false}));
        group.addItem(QStringLiteral("A"), QStringLiteral("second"));
        QCOMPARE(group.descriptions(), (QStringList{"B", "C", "A"}));
        // The chosen option moved with its description.
        QCOMPARE(group.selectedIndex(), 2);
        QCOMPARE(checkStates(group), (QList<bool>{false, false, true}));

        QVERIFY(group.setSelectedIndex(1));
        QVERIFY(!group.setSelectedIndex(3));
        QVERIFY(!group.setSelectedIndex(-1));
        QCOMPARE(group.selectedIndex(), 1);
        QCOMPARE(checkStates(group), (QList<bool>{false, true, false}));
        QCOMPARE(changes.count(), 0);
    }

    // After a removal the choice stays on its entry, and a tap on another
    // option is reported once by both signals; a tap on the chosen one is not.
    void removalKeepsTheChoiceOnItsEntry_data()
    {
        QTest::addColumn<int>("chosen");
        QTest::addColumn<int>("removed");
        QTest::addColumn<int>("selectedAfter");
        QTest::newRow("before the choice") << 2 << 0 << 1;
        QTest::newRow("after the choice") << 0 << 2 << 0;
        QTest::newRow("the choice itself") << 1 << 1 << -1;
    }

    void removalKeepsTheChoiceOnItsEntry()
    {
        QFETCH(int, chosen);
        QFETCH(int, removed);
        QFETCH(int, selectedAfter);
        ZRadioGroup group;
        fill(group);
        group.setSelectedIndex(chosen);
        group.show();
        QVERIFY(QTest::qWaitForWindowExposed(&group));
        QVERIFY(group.removeItem(removed));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCOMPARE(group.selectedIndex(), selectedAfter);
        QList<bool> expected{false, false};
        if (selectedAfter >= 0)
            expected[selectedAfter] = true;
        QCOMPARE(checkStates(group), expected);
        QCOMPARE(group.findChildren<ZRadioButton*>().size(), 2);

        ChangeRecorder changes(&group);
        const int other = selectedAfter == 0 ? 1 : 0;
        tap(group, other);
        QCOMPARE(changes.byIndex.count(), 1);
        QCOMPARE(changes.byIndex.at(0).at(0).toInt(), other);
        QCOMPARE(changes.byText.count(), 1);
        const QString text = group.descriptions().at(other);
        QCOMPARE(changes.byText.at(0).at(0).toString(), text);
        QCOMPARE(changes.byText.at(0).at(1).toInt(), (text.at(0).unicode() - 'a' + 1) * 10);
        expected = {other == 0, other == 1};
        QCOMPARE(checkStates(group), expected);
        tap(group, other);
        QCOMPARE(changes.count(), 2);
    }

    void removalRefusals()
    {
        ZRadioGroup group;
        group.addItem(QStringLiteral("a"));
        QVERIFY(!group.removeItem(1));
        QVERIFY(!group.removeItem(QStringLiteral("b")));
        QVERIFY(group.removeItem(QStringLiteral("a")));
        QCOMPARE(group.selectedIndex(), -1);
        // An emptied group chooses its next first option again.
        group.addItem(QStringLiteral("z"));
        QCOMPARE(group.selectedIndex(), 0);
        QVERIFY(group.button(0)->isChecked());
    }
};

QTEST_MAIN(TestZRadioGroup)
#include "tst_zradiogroup.moc"
