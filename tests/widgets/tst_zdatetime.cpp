// Date and time editors: the running clock of ZTimeEdit, the focus signal and
// the calendar popup signals of ZDateEdit.
#include "widgets/ZCalendarWidget.h"
#include "widgets/ZDateEdit.h"
#include "widgets/ZTimeEdit.h"

#include <QLineEdit>
#include <QSignalSpy>
#include <QtTest>

namespace {

// Gives the test access to the editor's line edit.
class SelectableTimeEdit : public ZTimeEdit
{
public:
    using ZTimeEdit::lineEdit;
};

} // namespace

class TestZDateTime : public QObject
{
    Q_OBJECT

private slots:
    void clockTicksSilentlyUnlessEditedOrDisabled()
    {
        QWidget page;
        auto* first = new QLineEdit(&page);
        auto* edit = new SelectableTimeEdit;
        edit->setParent(&page);
        edit->move(0, 60);
        edit->setDisplayFormat("hh:mm:ss");
        edit->setTime(QTime(23, 59, 59));
        QSignalSpy changed(edit, &QDateTimeEdit::timeChanged);
        edit->updateClock();
        edit->updateClock();
        QCOMPARE(edit->time(), QTime(0, 0, 1)); // wraps at midnight
        QCOMPARE(changed.count(), 0);
        edit->setEnabled(false);
        edit->updateClock();
        QCOMPARE(edit->time(), QTime(0, 0, 1));
        edit->setEnabled(true);

        page.show();
        QVERIFY(QTest::qWaitForWindowExposed(&page));
        QApplication::setActiveWindow(&page);
        first->setFocus();
        QTRY_VERIFY(first->hasFocus());
        QSignalSpy focused(edit, &ZDateTimeEdit::focusDateTime);
        edit->setFocus();
        QTRY_COMPARE(focused.count(), 1);
        edit->lineEdit()->deselect(); // focused without a selection is still being edited
        edit->updateClock();
        QCOMPARE(edit->time(), QTime(0, 0, 1));
        first->setFocus();
        QTRY_VERIFY(!edit->hasFocus());
        edit->updateClock();
        QCOMPARE(edit->time(), QTime(0, 0, 2));
    }

    void calendarPopupIsReported()
    {
        QStringList events; // outlives the editor, whose calendar reports hiding when destroyed
        ZDateEdit edit;
        edit.show();
        QVERIFY(QTest::qWaitForWindowExposed(&edit));
        auto* calendar = qobject_cast<ZCalendarWidget*>(edit.calendarWidget());
        QVERIFY(calendar);
        connect(&edit, &ZDateEdit::openCalendarPopup, this, [&] { events << "open popup"; });
        connect(calendar, &ZCalendarWidget::showCalendar, this, [&] { events << "show"; });
        connect(calendar, &ZCalendarWidget::hideCalendar, this, [&] { events << "hide"; });
        // A tap on the drop-down arrow at the right end opens the calendar.
        QTest::mouseClick(&edit, Qt::LeftButton, {}, QPoint(edit.width() - 6, edit.height() / 2));
        QTRY_VERIFY(calendar->isVisible());
        calendar->window()->hide();
        QTRY_VERIFY(!calendar->isVisible());
        QCOMPARE(events, QStringList({"open popup", "show", "hide"}));
    }
};

QTEST_MAIN(TestZDateTime)
#include "tst_zdatetime.moc"
