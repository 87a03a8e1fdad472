// The widget header of tables: every widget lies over its section, check
// buttons are centred in containers of the header's own, and the caller's
// widgets come back to the caller. Rebuilding headers without leaks is
// checked with the table view.
#include "widgets/TevaroResources.h"
#include "widgets/ZCheckButton.h"
#include "widgets/ZComboBox.h"
#include "widgets/ZHorizontalHeader.h"
#include "widgets/ZLabel.h"

#include <QTableWidget>
#include <QtTest>

namespace {

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

    // A widget its owner deleted is skipped, the rest lie over their
    // sections and come back to the caller with the header's end.
    void widgetsLieOverTheirSections()
    {
        QTableWidget table(2, 4);
        QList<QWidget*> widgets = makeHeaderWidgets();
        widgets.append(new ZLabel(QStringLiteral("Einheit")));
        auto* header = new ZHorizontalHeader(widgets, &table);
        table.setHorizontalHeader(header);
        table.resize(630, 300);
        table.show();
        QVERIFY(QTest::qWaitForWindowExposed(&table));
        delete widgets.takeAt(3);
        table.grab();
        QCOMPARE(header->sectionWidget(3), nullptr);
        header->resizeSection(0, 100);
        table.grab();
        for (int i = 0; i < 3; ++i)
            QCOMPARE(header->sectionWidget(i)->geometry(),
                     QRect(header->sectionViewportPosition(i), 0, header->sectionSize(i), header->height()));
        // The check button is centred in a container of the header's own.
        QVERIFY(header->sectionWidget(2)->isAncestorOf(widgets.at(2)));
        const QRect button(widgets.at(2)->mapTo(header, QPoint(0, 0)), widgets.at(2)->size());
        QVERIFY(qAbs(button.center().x() - header->sectionWidget(2)->geometry().center().x()) <= 1);
        table.setHorizontalHeader(new QHeaderView(Qt::Horizontal));
        QCOMPARE(widgets.at(0)->parentWidget(), nullptr);
        qDeleteAll(widgets);
    }
};

QTEST_MAIN(TestZHorizontalHeader)
#include "tst_zhorizontalheader.moc"
