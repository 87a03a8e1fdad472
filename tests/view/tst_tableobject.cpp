// The table widget: partial rebuilds, the edit chain that brings every user
// change back exactly once, combo lists made on first use, link and document
// cells, teardown with open popups.

#include "TableTestSupport.h"

#include "util/DocumentOpener.h"
#include "widgets/TevaroResources.h"
#include "widgets/ZCheckButton.h"
#include "widgets/ZClickLabel.h"
#include "widgets/ZComboBox.h"
#include "widgets/ZTimeEdit.h"

#include <QAbstractItemView>
#include <QLabel>
#include <QSignalSpy>
#include <QtTest>

using namespace tabletest;

namespace {

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

class TestTableObject : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { ensureTevaroResources(); }

    void init()
    {
        DocumentOpener::setHook([](const QUrl& url) {
            qFatal("A test tried to open %s with the desktop viewer", qPrintable(url.toString()));
            return false;
        });
    }

    void refreshRebuildsOnlyChangedCells()
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
        QVERIFY(object.refreshTableData(second));
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
    }

    // Each user change comes back exactly once, into the held table; the
    // widget's own repeat of the same value is not a second change.
    void widgetEditComesBackOnce()
    {
        TableObject object;
        show(object, table({{cell(TableCell::TEXT, "Name", 0), cell(TableCell::CHECK, true),
                             cell(TableCell::TIME, QTime(8, 0), 2, QStringLiteral("HH:mm"))}},
                           3));
        QSignalSpy changes(&object, &TableObject::changeValue);
        auto* check = reportingAs<ZCheckButton>(object, 0, 1);
        check->click();
        emit check->changeCheckStatus(false);
        auto* time = reportingAs<ZTimeEdit>(object, 0, 2);
        time->setTime(QTime(9, 15));
        emit time->editingFinished();
        emit time->editingFinished();

        QCOMPARE(changes.count(), 2);
        QCOMPARE(changes.at(1).at(1).toInt(), 2);
        const TableStructure held = object.getTable();
        QVERIFY(held.cellAt(0, 1).isChanged() && !held.cellAt(0, 0).isChanged());
        QCOMPARE(held.cellAt(0, 1).getValue(), QVariant(false));
        QCOMPARE(held.cellAt(0, 2).getValue(), QVariant(QTime(9, 15)));
    }

    // A combo cell makes its popup list when first needed: on a press QComboBox
    // makes a list of its own before it calls showPopup(); the styled list must
    // be the one that opens.
    void comboListMadeOnFirstUse()
    {
        TableObject object;
        object.resize(600, 300);
        object.show();
        QVERIFY(QTest::qWaitForWindowExposed(&object));
        show(object, table({{cell(TableCell::TEXT, "Modus", 0), cell(TableCell::COMBO_INDEX, 1, 2, options)}}, 2));
        auto* combo = reportingAs<ZComboBox>(object, 0, 1);
        QVERIFY(!combo->findChild<QAbstractItemView*>());

        QTest::mouseClick(combo, Qt::LeftButton);
        const QList<QAbstractItemView*> lists = combo->findChildren<QAbstractItemView*>();
        QCOMPARE(lists.size(), 1);
        QCOMPARE(QByteArray(lists.first()->itemDelegate()->metaObject()->className()), QByteArray("QStyledItemDelegate"));
        combo->showPopup();
        QCOMPARE(combo->view(), lists.first());
        QVERIFY(object.isEditing());
        combo->hidePopup();
        QVERIFY(!object.isEditing());
    }

    void linkClickCanBeQueued()
    {
        // The owner registers nothing itself: the table makes its signals queueable.
        TableObject object;
        show(object, table({{cell(TableCell::TEXT, "Eingänge", 0), cell(TableCell::LINK, "$.CONF.IN")}}, 2), false);
        QObject receiver;
        QStringList received;
        connect(&object, &TableObject::clickValue, &receiver,
                [&received](int&, int&, TableCell& clicked) { received << clicked.getValue().toString(); },
                Qt::QueuedConnection);
        QTest::mouseClick(reportingAs<ZClickLabel>(object, 0, 1), Qt::LeftButton);
        QCoreApplication::processEvents();
        QCOMPARE(received, QStringList{QStringLiteral("$.CONF.IN")});
    }

    // Document links: an empty path is dropped quietly; a failing viewer and a
    // refused (relative) target both tell the owner. Label links open only
    // web targets, and only with rights.
    void linksOpenOnlySafeTargets()
    {
        OpenerRecorder opener(false);
        TableObject object;
        const QString text = QStringLiteral("<a href=\"https://example.org/hilfe\">Hilfe</a>");
        show(object, table({{cell(TableCell::DOCUMENT_LINK, "PDF", 2, QString()),
                             cell(TableCell::DOCUMENT_LINK, "PDF", 2, QStringLiteral("/opt/doc/x.pdf")),
                             cell(TableCell::DOCUMENT_LINK, "PDF", 2, QStringLiteral("doc/x.pdf")),
                             cell(TableCell::LINK_LABEL, text), cell(TableCell::LINK_LABEL, text, 1)}},
                           5));
        QSignalSpy failures(&object, &TableObject::detectFailure);
        for (int column = 0; column < 3; ++column)
            QTest::mouseClick(reportingAs<ZClickLabel>(object, 0, column), Qt::LeftButton);
        QCOMPARE(failures.count(), 2);
        QCOMPARE(failures.at(0).at(0).value<TableObject::TableFailure>(), TableObject::DOCUMENT_OPEN_FAILED);
        QCOMPARE(failures.at(1).at(1).toString(), QStringLiteral("doc/x.pdf"));

        auto* label = reportingAs<QLabel>(object, 0, 3);
        emit label->linkActivated(QStringLiteral("javascript:alert(1)"));
        emit label->linkActivated(QStringLiteral("https://example.org/hilfe"));
        QCOMPARE(opener.opened, (QList<QUrl>{QUrl::fromLocalFile(QStringLiteral("/opt/doc/x.pdf")),
                                             QUrl(QStringLiteral("https://example.org/hilfe"))}));
        QCOMPARE(reportingAs<QLabel>(object, 0, 4)->textInteractionFlags(), Qt::NoTextInteraction);
    }

    void destroyedWithOpenPopups()
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
};

QTEST_MAIN(TestTableObject)
#include "tst_tableobject.moc"
