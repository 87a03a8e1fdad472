// The widget header of tables: every widget lies over its section, check
// buttons are centred in containers of the header's own, and ownership stays
// clear: the header deletes only its containers, the caller's widgets come
// back to the caller, and replacing headers again and again leaves nothing.
#include "widgets/TevaroResources.h"
#include "widgets/ZCheckButton.h"
#include "widgets/ZComboBox.h"
#include "widgets/ZHorizontalHeader.h"
#include "widgets/ZLabel.h"

#include <QApplication>
#include <QTableWidget>
#include <QtTest>

namespace {

void flushDeferredDeletes()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

QList<QWidget*> makeHeaderWidgets()
{
    auto* combo = new ZComboBox;
    combo->addItems({QStringLiteral("Messwert"), QStringLiteral("Maximalwert")});
    return {new ZLabel(QStringLiteral("Messkanal")), combo, new ZCheckButton(true)};
}

} // namespace

class TestZHorizontalHeader : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { ensureTevaroResources(); }

    void widgetsLieOverTheirSections()
    {
        QTableWidget table(2, 3);
        QList<QWidget*> widgets = makeHeaderWidgets();
        auto* header = new ZHorizontalHeader(widgets, &table);
        table.setHorizontalHeader(header);
        header->setSectionResizeMode(QHeaderView::Stretch);
        table.resize(630, 300);
        table.show();
        QVERIFY(QTest::qWaitForWindowExposed(&table));
        table.grab();
        for (int i = 0; i < 3; ++i)
            QCOMPARE(header->sectionWidget(i)->geometry(),
                     QRect(header->sectionViewportPosition(i), 0, header->sectionSize(i), header->height()));
        // Label and combo box are shown as they are; the check button centred in a container.
        QCOMPARE(header->sectionWidget(1), widgets.at(1));
        QVERIFY(header->sectionWidget(2)->isAncestorOf(widgets.at(2)));
        const QRect button(widgets.at(2)->mapTo(header, QPoint(0, 0)), widgets.at(2)->size());
        QVERIFY(qAbs(button.center().x() - header->sectionWidget(2)->geometry().center().x()) <= 1);

        // Resizing the columns moves the widgets along.
        header->setSectionResizeMode(QHeaderView::Interactive);
        header->resizeSection(0, 100);
        table.grab();
        QCOMPARE(header->sectionWidget(1)->x(), header->sectionViewportPosition(1));
        qDeleteAll(widgets);
    }

    void widgetDeletedByItsOwnerIsSkipped()
    {
        QTableWidget table(1, 3);
        QList<QWidget*> widgets = makeHeaderWidgets();
        auto* header = new ZHorizontalHeader(widgets, &table);
        table.setHorizontalHeader(header);
        table.show();
        QVERIFY(QTest::qWaitForWindowExposed(&table));
        delete widgets.takeAt(1);
        delete widgets.takeAt(1); // the check button, out of its container
        table.grab();
        QCOMPARE(header->sectionWidget(1), nullptr);
        header->viewport()->repaint();
        table.setHorizontalHeader(new QHeaderView(Qt::Horizontal));
        QCOMPARE(widgets.at(0)->parentWidget(), nullptr);
        qDeleteAll(widgets);
    }

    void replacingHeadersLeavesNothingBehind()
    {
        QTableWidget table(3, 3);
        table.show();
        QVERIFY(QTest::qWaitForWindowExposed(&table));
        QList<QWidget*> previous;
        // What a table does with a new widget header: the view deletes the
        // old header, the table deletes the old header's widgets.
        auto replace = [&] {
            QList<QWidget*> next = makeHeaderWidgets();
            table.setHorizontalHeader(new ZHorizontalHeader(next, &table));
            qDeleteAll(previous);
            previous = next;
            table.grab();
            flushDeferredDeletes();
        };
        replace();
        const int settled = QApplication::allWidgets().size();
        for (int round = 0; round < 20; ++round) {
            replace();
            QCOMPARE(QApplication::allWidgets().size(), settled);
        }
        table.setHorizontalHeader(new QHeaderView(Qt::Horizontal));
        qDeleteAll(previous);
        flushDeferredDeletes();
        // Nothing parentless is left over but the table itself.
        int parentless = 0;
        for (QWidget* widget : QApplication::topLevelWidgets())
            parentless += !widget->parentWidget();
        QCOMPARE(parentless, 1);
    }
};

QTEST_MAIN(TestZHorizontalHeader)
#include "tst_zhorizontalheader.moc"
