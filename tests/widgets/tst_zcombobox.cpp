// ZComboBox leaves the wheel to the table it sits in and reports its popup.
#include "widgets/ZComboBox.h"

#include <QSignalSpy>
#include <QTableWidget>
#include <QtTest>

namespace {

// Sends a wheel turn to target; true when the target took it. Qt hands a wheel
// event the target leaves ignored on to its parents (the table's viewport).
bool turnWheel(QWidget* target, int eighthsOfDegree)
{
    const QPoint local = target->rect().center();
    QWheelEvent event(QPointF(local), QPointF(target->mapToGlobal(local)), QPoint(),
                      QPoint(0, eighthsOfDegree), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(target, &event);
    return event.isAccepted();
}

ZComboBox* fillCombo(ZComboBox* combo)
{
    combo->addItems({QStringLiteral("Messwert"), QStringLiteral("Maximalwert"), QStringLiteral("Minimalwert")});
    return combo;
}

} // namespace

class TestZComboBox : public QObject
{
    Q_OBJECT

private slots:
    void wheelIsLeftToTheTable()
    {
        QTableWidget table(40, 1);
        table.resize(300, 200);
        auto* combo = fillCombo(new ZComboBox);
        combo->setCurrentIndex(1);
        table.setCellWidget(0, 0, combo);
        table.show();
        QVERIFY(QTest::qWaitForWindowExposed(&table));
        QSignalSpy changed(combo, QOverload<int>::of(&QComboBox::currentIndexChanged));
        QVERIFY(!turnWheel(combo, -120));
        QVERIFY(!turnWheel(combo, 120));
        QCOMPARE(changed.count(), 0);
    }

    void popupSignalsComeBeforeOpeningAndClosing()
    {
        QStringList events; // outlives the combo box, which reports closing when destroyed
        QWidget page;
        ZComboBox* combo = fillCombo(new ZComboBox(&page));
        page.resize(300, 100);
        page.show();
        QVERIFY(QTest::qWaitForWindowExposed(&page));
        connect(combo, &ZComboBox::openCombox, this, [&events, combo] {
            events << (combo->view()->isVisible() ? "open while shown" : "open before shown");
        });
        connect(combo, &ZComboBox::closeCombobox, this, [&events, combo] {
            events << (combo->view()->isVisible() ? "close before hidden" : "close while hidden");
        });

        combo->showPopup();
        combo->hidePopup();
        QTRY_VERIFY(!combo->view()->isVisible());
        QCOMPARE(events, QStringList({"open before shown", "close before hidden"}));
    }
};

QTEST_MAIN(TestZComboBox)
#include "tst_zcombobox.moc"
