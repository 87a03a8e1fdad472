// The widget header of tables: every widget lies over its section, check
// buttons are centred in containers of the header's own, combo popups take
// the combo's background, and ownership stays clear: the header deletes only
// its containers, the caller's widgets come back to the caller, and replacing
// headers again and again leaves no widget behind.
#include "widgets/TevaroResources.h"
#include "widgets/ZCheckButton.h"
#include "widgets/ZComboBox.h"
#include "widgets/ZHorizontalHeader.h"
#include "widgets/ZLabel.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QPointer>
#include <QTableWidget>
#include <QtTest>

namespace {

// Windows of nobody: what a leak of header widgets would leave behind.
int parentlessWidgets()
{
    int count = 0;
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (!widget->parentWidget())
            ++count;
    return count;
}

void flushDeferredDeletes()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

QList<QWidget*> makeHeaderWidgets()
{
    auto* combo = new ZComboBox;
    combo->addItems({QStringLiteral("Messwert"), QStringLiteral("Maximalwert"), QStringLiteral("Minimalwert")});
    return {new ZLabel(QStringLiteral("Messkanal")), combo, new ZCheckButton(true)};
}

// What a table does when it gets a new widget header: the view deletes the
// old header, the table deletes the old header's widgets.
void replaceHeader(QTableWidget& table, QList<QWidget*>& previous, QList<QWidget*> next)
{
    table.setColumnCount(next.size());
    table.setHorizontalHeader(new ZHorizontalHeader(next, &table));
    table.horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    qDeleteAll(previous);
    previous = next;
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

        for (int i = 0; i < 3; ++i) {
            QWidget* shown = header->sectionWidget(i);
            QVERIFY(shown);
            QCOMPARE(shown->parentWidget(), header);
            QVERIFY(shown->isVisible());
            QCOMPARE(shown->geometry(),
                     QRect(header->sectionViewportPosition(i), 0, header->sectionSize(i), header->height()));
        }
        // Label and combo box are shown as they are; the check button in a container.
        QCOMPARE(header->sectionWidget(0), widgets.at(0));
        QCOMPARE(header->sectionWidget(1), widgets.at(1));
        QVERIFY(header->sectionWidget(2) != widgets.at(2));
        QVERIFY(header->sectionWidget(2)->isAncestorOf(widgets.at(2)));
        QCOMPARE(widgets.at(2)->styleSheet(), QStringLiteral("margin:0px;padding:0px;"));
        const QRect button(widgets.at(2)->mapTo(header, QPoint(0, 0)), widgets.at(2)->size());
        const QRect section = header->sectionWidget(2)->geometry();
        QVERIFY(qAbs(button.center().x() - section.center().x()) <= 1);
        QVERIFY(qAbs(button.center().y() - section.center().y()) <= 1);

        // Resizing the columns moves the widgets along.
        header->setSectionResizeMode(QHeaderView::Interactive);
        header->resizeSection(0, 100);
        table.grab();
        QCOMPARE(header->sectionWidget(1)->x(), header->sectionViewportPosition(1));
        QCOMPARE(header->sectionWidget(0)->width(), 100);

        qDeleteAll(widgets);
    }

    void headerIsAsTallAsItsWidgets()
    {
        auto* tall = new QWidget;
        tall->setMinimumHeight(70);
        auto* tallHint = new QPushButton(QStringLiteral("Hinzufügen"));
        QList<QWidget*> widgets{new ZLabel(QStringLiteral("Benutzer")), tall, tallHint};
        QTableWidget table(0, 3);
        auto* header = new ZHorizontalHeader(widgets, &table);
        table.setHorizontalHeader(header);
        QCOMPARE(header->sizeHint().height(), 70);
        tall->setMinimumHeight(0);
        QVERIFY(header->sizeHint().height() >= tallHint->sizeHint().height());
        QVERIFY(header->sizeHint().height() >= widgets.at(0)->sizeHint().height());
        QVERIFY(header->sizeHint().height() < 70);
        qDeleteAll(widgets);
    }

    void comboPopupTakesTheComboBackground()
    {
        auto* filled = new ZComboBox;
        filled->addItem(QStringLiteral("Messwert"));
        QPalette palette = filled->palette();
        palette.setColor(QPalette::Active, filled->backgroundRole(), QColor(10, 20, 30));
        filled->setPalette(palette);
        auto* empty = new ZComboBox;
        QList<QWidget*> widgets{filled, empty};
        {
            ZHorizontalHeader header(widgets);
            QCOMPARE(filled->view()->styleSheet(),
                     QStringLiteral("QAbstractItemView{background-color:rgb(10,20,30);}"));
            QCOMPARE(empty->view()->styleSheet(), QString());
        }
        qDeleteAll(widgets);
    }

    void destroyedHeaderHandsTheWidgetsBack()
    {
        QList<QWidget*> widgets = makeHeaderWidgets();
        QList<QPointer<QWidget>> lent;
        for (QWidget* widget : widgets)
            lent << widget;
        auto* header = new ZHorizontalHeader(widgets);
        QPointer<QWidget> container = header->sectionWidget(2);
        QVERIFY(container);
        delete header;

        QVERIFY(!container);
        for (const QPointer<QWidget>& widget : lent) {
            QVERIFY(widget);
            QCOMPARE(widget->parentWidget(), nullptr);
            QVERIFY(!widget->isVisible());
        }
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
        QVERIFY(header->sectionWidget(2));
        // Painting and destroying the header must not touch the deleted ones.
        header->viewport()->repaint();
        table.setHorizontalHeader(new QHeaderView(Qt::Horizontal));
        QCOMPARE(widgets.at(0)->parentWidget(), nullptr);
        qDeleteAll(widgets);
    }

    void widgetsMovedToANewHeaderStayThere()
    {
        QTableWidget table(1, 3);
        QList<QWidget*> widgets = makeHeaderWidgets();
        table.setHorizontalHeader(new ZHorizontalHeader(widgets, &table));
        // The same widgets again: the old header is deleted after the new one took them.
        auto* second = new ZHorizontalHeader(widgets, &table);
        table.setHorizontalHeader(second);
        QCOMPARE(widgets.at(0)->parentWidget(), second);
        QCOMPARE(widgets.at(1)->parentWidget(), second);
        QVERIFY(second->sectionWidget(2)->isAncestorOf(widgets.at(2)));

        table.setHorizontalHeader(new QHeaderView(Qt::Horizontal));
        for (QWidget* widget : widgets)
            QCOMPARE(widget->parentWidget(), nullptr);
        qDeleteAll(widgets);
    }

    void replacingHeadersLeavesNothingBehind()
    {
        QTableWidget table(3, 3);
        table.show();
        QVERIFY(QTest::qWaitForWindowExposed(&table));
        QList<QWidget*> previous;
        replaceHeader(table, previous, makeHeaderWidgets());
        table.grab();
        flushDeferredDeletes();
        const int settled = QApplication::allWidgets().size();

        for (int round = 0; round < 20; ++round) {
            replaceHeader(table, previous, makeHeaderWidgets());
            table.grab();
            flushDeferredDeletes();
            QCOMPARE(QApplication::allWidgets().size(), settled);
        }
        // Nothing parentless is left over but the table itself.
        QCOMPARE(parentlessWidgets(), 1);

        table.setHorizontalHeader(new QHeaderView(Qt::Horizontal));
        qDeleteAll(previous);
        flushDeferredDeletes();
        QCOMPARE(parentlessWidgets(), 1);
    }
};

QTEST_MAIN(TestZHorizontalHeader)
#include "tst_zhorizontalheader.moc"
