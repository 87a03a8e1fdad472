// The radio list of table cells: unique descriptions, the first option chosen,
// a tap on another option reported once (both signals), a choice made by the
// program never reported, and the chosen index always naming the checked button.
#include "widgets/TevaroResources.h"
#include "widgets/ZRadioButton.h"
#include "widgets/ZRadioGroup.h"

#include <QSignalSpy>
#include <QStyleOptionButton>
#include <QtTest>

namespace {

QString readResource(const QString& name)
{
    QFile file(name);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return QString();
    return QString::fromUtf8(file.readAll());
}

void flushDeferredDeletes()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

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

// Both change signals, recorded as "description/userData/index".
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
        qApp->setStyleSheet(readResource(QStringLiteral(":/qss/TevaroApp.qss"))
                            + readResource(QStringLiteral(":/qss/TevaroApp_Desktop.qss")));
    }

    void firstOptionIsChosenSilently()
    {
        ZRadioGroup group;
        QCOMPARE(group.selectedIndex(), -1);
        ChangeRecorder changes(&group);
        group.addItem(QStringLiteral("Aus"), 0);
        group.addItem(QStringLiteral("Ein"), 1);
        group.addItem(QStringLiteral("Auto"), 2);
        QCOMPARE(group.selectedIndex(), 0);
        QCOMPARE(checkStates(group), (QList<bool>{true, false, false}));
        QCOMPARE(changes.count(), 0);
    }

    void readdedDescriptionMovesToTheEnd()
    {
        ZRadioGroup group;
        ChangeRecorder changes(&group);
        group.addItem(QStringLiteral("A"), QStringLiteral("first"));
        group.addItem(QStringLiteral("B"));
        group.addItem(QStringLiteral("A"), QStringLiteral("second"));
        QCOMPARE(group.descriptions(), (QStringList{"B", "A"}));
        // The chosen option moved with its description and is still the one checked.
        QCOMPARE(group.selectedIndex(), 1);
        QCOMPARE(checkStates(group), (QList<bool>{false, true}));
        QCOMPARE(changes.count(), 0);

        group.show();
        QVERIFY(QTest::qWaitForWindowExposed(&group));
        flushDeferredDeletes();
        QCOMPARE(group.findChildren<ZRadioButton*>().size(), 2);
        QVERIFY(group.button(0)->y() < group.button(1)->y());

        // The new entry carries the new user data.
        tap(group, 0);
        tap(group, 1);
        QCOMPARE(changes.byText.count(), 2);
        QCOMPARE(changes.byText.at(1).at(1).toString(), QStringLiteral("second"));
    }

    void tapReportsEachChangeOnce()
    {
        ZRadioGroup group;
        group.addItem(QStringLiteral("Linear"), 10);
        group.addItem(QStringLiteral("Quadratisch"), 20);
        group.addItem(QStringLiteral("Tabelle"), 30);
        group.show();
        QVERIFY(QTest::qWaitForWindowExposed(&group));
        ChangeRecorder changes(&group);

        tap(group, 2);
        QCOMPARE(changes.byText.count(), 1);
        QCOMPARE(changes.byIndex.count(), 1);
        QCOMPARE(changes.byText.at(0).at(0).toString(), QStringLiteral("Tabelle"));
        QCOMPARE(changes.byText.at(0).at(1).toInt(), 30);
        QCOMPARE(changes.byIndex.at(0).at(0).toInt(), 2);
        QCOMPARE(checkStates(group), (QList<bool>{false, false, true}));

        // The chosen option again: nothing changed, nothing reported.
        tap(group, 2);
        QCOMPARE(changes.count(), 2);

        tap(group, 0);
        QCOMPARE(changes.byIndex.count(), 2);
        QCOMPARE(changes.byIndex.at(1).at(0).toInt(), 0);
        QCOMPARE(group.selectedIndex(), 0);
    }

    void programmaticChoiceIsSilent_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<int>("selected");
        QTest::newRow("another option") << 2 << true << 2;
        QTest::newRow("the chosen option") << 0 << true << 0;
        QTest::newRow("negative") << -1 << false << 0;
        QTest::newRow("past the end") << 3 << false << 0;
    }

    void programmaticChoiceIsSilent()
    {
        QFETCH(int, index);
        QFETCH(bool, accepted);
        QFETCH(int, selected);
        ZRadioGroup group;
        for (const char* text : {"a", "b", "c"})
            group.addItem(QString::fromLatin1(text));
        ChangeRecorder changes(&group);
        QCOMPARE(group.setSelectedIndex(index), accepted);
        QCOMPARE(group.selectedIndex(), selected);
        QList<bool> expected{false, false, false};
        expected[selected] = true;
        QCOMPARE(checkStates(group), expected);
        QCOMPARE(changes.count(), 0);
    }

    void removalKeepsTheChoiceOnItsEntry_data()
    {
        QTest::addColumn<int>("chosen");
        QTest::addColumn<int>("removed");
        QTest::addColumn<int>("selectedAfter");
        QTest::addColumn<QString>("checkedAfter");
        QTest::newRow("before the choice") << 2 << 0 << 1 << "c";
        QTest::newRow("after the choice") << 0 << 2 << 0 << "a";
        QTest::newRow("the choice itself") << 1 << 1 << -1 << "";
    }

    void removalKeepsTheChoiceOnItsEntry()
    {
        QFETCH(int, chosen);
        QFETCH(int, removed);
        QFETCH(int, selectedAfter);
        QFETCH(QString, checkedAfter);
        ZRadioGroup group;
        for (const char* text : {"a", "b", "c"})
            group.addItem(QString::fromLatin1(text));
        group.setSelectedIndex(chosen);
        group.show();
        QVERIFY(QTest::qWaitForWindowExposed(&group));

        QVERIFY(group.removeItem(removed));
        flushDeferredDeletes();
        QCOMPARE(group.count(), 2);
        QCOMPARE(group.selectedIndex(), selectedAfter);
        QString checked;
        for (int i = 0; i < group.count(); ++i)
            if (group.button(i)->isChecked())
                checked += group.descriptions().at(i);
        QCOMPARE(checked, checkedAfter);

        // Every option not shown as chosen reports a tap.
        ChangeRecorder changes(&group);
        for (int i = 0; i < group.count(); ++i) {
            if (i == selectedAfter)
                continue;
            const int before = changes.byIndex.count();
            tap(group, i);
            QCOMPARE(changes.byIndex.count(), before + 1);
            QCOMPARE(changes.byIndex.last().at(0).toInt(), i);
            break;
        }
    }

    void removalRefusals()
    {
        ZRadioGroup group;
        QVERIFY(!group.removeItem(0));
        group.addItem(QStringLiteral("a"));
        QVERIFY(!group.removeItem(-1));
        QVERIFY(!group.removeItem(1));
        QVERIFY(!group.removeItem(QStringLiteral("b")));
        QVERIFY(group.removeItem(QStringLiteral("a")));
        QCOMPARE(group.count(), 0);
        QCOMPARE(group.selectedIndex(), -1);

        // An emptied group chooses its next first option again.
        group.addItem(QStringLiteral("z"));
        QCOMPARE(group.selectedIndex(), 0);
        QVERIFY(group.button(0)->isChecked());
    }

    void longCaptionsElide()
    {
        ZRadioGroup group;
        const QString caption = QStringLiteral("Verhalten bei Fühlerbruch: letzten Wert halten");
        group.addItem(caption);
        group.addItem(QStringLiteral("Aus"));
        // The caption does not force the cell wide.
        QVERIFY(group.minimumSizeHint().width()
                < group.button(0)->fontMetrics().horizontalAdvance(caption));

        group.resize(160, 150);
        group.show();
        QVERIFY(QTest::qWaitForWindowExposed(&group));
        const QString shown = group.button(0)->displayedText();
        QVERIFY2(shown.endsWith(QChar(0x2026)), qPrintable(shown));
        QVERIFY(group.button(0)->fontMetrics().horizontalAdvance(shown) < 160);
        QCOMPARE(group.button(1)->displayedText(), QStringLiteral("Aus"));

        group.resize(700, 150);
        QTRY_COMPARE(group.button(0)->displayedText(), caption);
    }

    void indicatorShowsTheRadioPictures()
    {
        ZRadioGroup group;
        group.addItem(QStringLiteral("Ein"));
        group.addItem(QStringLiteral("Aus"));
        group.resize(200, 120);
        group.show();
        QVERIFY(QTest::qWaitForWindowExposed(&group));

        for (int i = 0; i < 2; ++i) {
            ZRadioButton* button = group.button(i);
            QStyleOptionButton option;
            option.initFrom(button);
            const QRect indicator = button->style()->subElementRect(QStyle::SE_RadioButtonIndicator, &option, button);
            QCOMPARE(indicator.size(), QSize(24, 42));
            const QImage shown = button->grab().toImage().convertToFormat(QImage::Format_ARGB32);
            const QImage picture = QImage(i == 0 ? QStringLiteral(":/pic/icon/ico_radio_checked.png")
                                                 : QStringLiteral(":/pic/icon/ico_radio_unchecked.png"))
                                       .convertToFormat(QImage::Format_ARGB32);
            int compared = 0;
            for (int y = 0; y < picture.height(); ++y)
                for (int x = 0; x < picture.width(); ++x)
                    if (qAlpha(picture.pixel(x, y)) == 255) {
                        QCOMPARE(shown.pixel(indicator.left() + x, indicator.top() + y), picture.pixel(x, y));
                        ++compared;
                    }
            QVERIFY(compared > 50);
            // White behind the caption.
            QCOMPARE(shown.pixelColor(shown.width() - 2, 2), QColor(Qt::white));
        }
    }
};

QTEST_MAIN(TestZRadioGroup)
#include "tst_zradiogroup.moc"
