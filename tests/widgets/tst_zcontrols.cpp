// The small controls: the three-state check button's states, signals and
// pictures; ZComboBox leaving the wheel to its table and reporting its popup;
// ZTabWidget's reload tap; the date and time editors; ZTooltip; the labels
// (ZLabel elides, ZClickLabel debounces, ZScaleLabel fits its font to its size,
// also under a style sheet); and the widget header of tables.
#include "widgets/Repolish.h"
#include "widgets/TevaroResources.h"
#include "widgets/ZCalendarWidget.h"
#include "widgets/ZCheckButton.h"
#include "widgets/ZClickLabel.h"
#include "widgets/ZComboBox.h"
#include "widgets/ZDateEdit.h"
#include "widgets/ZHorizontalHeader.h"
#include "widgets/ZLabel.h"
#include "widgets/ZScaleLabel.h"
#include "widgets/ZTabWidget.h"
#include "widgets/ZTimeEdit.h"
#include "widgets/ZTooltip.h"

#include <QFontMetricsF>
#include <QLineEdit>
#include <QPointer>
#include <QSignalSpy>
#include <QTabBar>
#include <QTableWidget>
#include <QTextDocument>
#include <QToolButton>
#include <QToolTip>
#include <QtTest>

#include <functional>

namespace {

// Sends a wheel turn to target; true when the target took it. Qt hands a wheel
// event the target leaves ignored on to its parents (the table's viewport).
bool turnWheel(QWidget* target, int eighthsOfDegree)
{
    const QPoint local = target->rect().center();
    QWheelEvent event(QPointF(local), QPointF(target->mapToGlobal(local)), QPoint(), QPoint(0, eighthsOfDegree),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(target, &event);
    return event.isAccepted();
}

// Gives the test access to the editor's line edit.
class SelectableTimeEdit : public ZTimeEdit
{
public:
    using ZTimeEdit::lineEdit;
};

// A click label on a clock the test sets.
class ClockedClickLabel : public ZClickLabel
{
public:
    qint64 now = 0;

protected:
    qint64 currentTimeMs() const override { return now; }
};

qreal textWidth(const QFont& font, const QString& text)
{
    return QFontMetricsF(font).boundingRect(text).width();
}

} // namespace

class TestZControls : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { ensureTevaroResources(); }

    void checkButtonTransitions()
    {
        using C = ZCheckButton;
        const struct {
            const char* name;
            C::CheckState initial;
            std::function<void(C&)> act;
            C::CheckState expected;
            QStringList emitted;
        } cases[] = {
            {"real tap", C::Unchecked, [](C& b) { b.show(); QVERIFY(QTest::qWaitForWindowExposed(&b));
                                                  QTest::mouseClick(&b, Qt::LeftButton); },
             C::Checked, {"bool true", "state 0"}},
            {"tap tristate", C::Tristate, [](C& b) { b.customClick(); }, C::Checked, {"bool true", "state 0"}},
            {"set same tristate", C::Tristate, [](C& b) { b.setButtonCheckState(C::Tristate); }, C::Tristate, {}},
            {"set tristate", C::Checked, [](C& b) { b.setButtonCheckState(C::Tristate); }, C::Tristate, {"state 2"}},
            {"status same", C::Checked, [](C& b) { b.setCheckStatus(true); }, C::Checked, {}},
            {"silent icon", C::Checked, [](C& b) { b.setButtonIcon(C::Tristate); }, C::Tristate, {}},
            {"unknown state", C::Checked, [](C& b) {
                 QTest::ignoreMessage(QtWarningMsg, QRegularExpression("ZCheckButton: ignoring unknown check state 7"));
                 b.setButtonCheckState(C::CheckState(7)); }, C::Checked, {}},
        };
        const char* pictures[] = {"checked", "unchecked", "tristate"};
        for (const auto& c : cases) {
            C button;
            button.setButtonIcon(c.initial);
            QStringList got;
            connect(&button, QOverload<bool>::of(&C::changeCheckStatus), this,
                    [&got](bool on) { got << (on ? "bool true" : "bool false"); });
            connect(&button, QOverload<C::CheckState>::of(&C::changeCheckStatus), this,
                    [&got](C::CheckState s) { got << "state " + QString::number(s); });
            c.act(button);
            QVERIFY2(got == c.emitted && button.getButtonCheckState() == c.expected, c.name);
            const QImage picture(QString(":/pic/icon/%1_checkbox.png").arg(pictures[c.expected]));
            QVERIFY2(!picture.isNull() && button.icon().pixmap(26, 26).toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied)
                                              == picture.convertToFormat(QImage::Format_ARGB32_Premultiplied), c.name);
        }
    }

    void comboLeavesTheWheelAndReportsItsPopup()
    {
        QStringList events;   // outlives the combo box, which reports closing when destroyed
        QTableWidget table(40, 1);
        table.resize(300, 200);
        auto* combo = new ZComboBox;
        combo->addItems({QStringLiteral("Messwert"), QStringLiteral("Maximalwert"), QStringLiteral("Minimalwert")});
        combo->setCurrentIndex(1);
        table.setCellWidget(0, 0, combo);
        table.show();
        QVERIFY(QTest::qWaitForWindowExposed(&table));
        QSignalSpy changed(combo, QOverload<int>::of(&QComboBox::currentIndexChanged));
        QVERIFY(!turnWheel(combo, -120) && !turnWheel(combo, 120));
        QCOMPARE(changed.count(), 0);

        // The popup signals come before opening and before closing.
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

    // A tap on the tab already shown asks for a reload; other taps switch.
    void tapOnCurrentTabReloads()
    {
        ZTabWidget tabs;
        tabs.addTab(new QWidget, QStringLiteral("Kanalliste"));
        tabs.addTab(new QWidget, QStringLiteral("Liniendiagramm"));
        tabs.show();
        QVERIFY(QTest::qWaitForWindowExposed(&tabs));
        QSignalSpy reload(&tabs, &ZTabWidget::currentReload);
        for (int expected : {0, 1}) {
            QTest::mouseClick(tabs.tabBar(), Qt::LeftButton, {}, tabs.tabBar()->tabRect(1).center());
            QVERIFY(tabs.currentIndex() == 1 && reload.count() == expected);
        }
        QTest::mouseClick(tabs.currentWidget(), Qt::LeftButton);   // a press in the page is not a tap on the tab
        QCOMPARE(reload.count(), 1);
    }

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
        QCOMPARE(edit->time(), QTime(0, 0, 1));   // wraps at midnight
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
        edit->lineEdit()->deselect();   // focused without a selection is still being edited
        edit->updateClock();
        QCOMPARE(edit->time(), QTime(0, 0, 1));
        first->setFocus();
        QTRY_VERIFY(!edit->hasFocus());
        edit->updateClock();
        QCOMPARE(edit->time(), QTime(0, 0, 2));
    }

    void calendarPopupIsReported()
    {
        QStringList events;   // outlives the editor, whose calendar reports hiding when destroyed
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

    // Shown under its widget for its time, then gone; a resize of the watched
    // window hides it early; markup is shown as typed.
    void tooltipShowsUnderItsWidgetForItsTime()
    {
        QWidget window;
        window.resize(800, 600);
        auto* button = new QToolButton(&window);
        button->setGeometry(600, 10, 52, 52);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QPointer<ZTooltip> tip = new ZTooltip(QStringLiteral("Pegel < 3 & <b>1</b>"), button, &window, 400);
        QTextDocument shown;
        shown.setHtml(QToolTip::text());
        QCOMPARE(shown.toPlainText(), QStringLiteral("Pegel < 3 & <b>1</b>"));
        QWidget* label = nullptr;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->inherits("QTipLabel") && w->isVisible())
                label = w;
        QVERIFY(label && (label->pos() - button->mapToGlobal(QPoint(0, 39))).manhattanLength() < 40);
        QTRY_VERIFY_WITH_TIMEOUT(tip.isNull(), 3000);

        // Nothing to show under or no time to show it: reported, nothing shown.
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("ZTooltip: nothing shown"));
        QPointer<ZTooltip> noWidget = new ZTooltip(QStringLiteral("x"), nullptr, &window, 1000);
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("ZTooltip: nothing shown"));
        QPointer<ZTooltip> noTime = new ZTooltip(QStringLiteral("x"), button, &window, 0);
        QVERIFY(!QToolTip::isVisible());
        QTRY_VERIFY(noWidget.isNull() && noTime.isNull());

        QPointer<ZTooltip> lasting = new ZTooltip(QStringLiteral("SSID"), button, &window, 5000);
        QVERIFY(QToolTip::isVisible());
        window.resize(1024, 768);
        QTRY_VERIFY(!QToolTip::isVisible());
        delete lasting;   // the object keeps its own time
    }

    // ZLabel elides only when too wide; ZClickLabel takes presses 100 ms apart
    // as one click, and a swallowed press does not restart the wait.
    void labelElidesAndClickLabelDebounces()
    {
        ZLabel label(QStringLiteral("M01 Temperatur Kessel Vorlauf"));
        label.setContentsMargins(0, 0, 0, 0);
        label.resize(1000, 30);
        QCOMPARE(label.displayedText(), label.text());
        label.resize(80, 30);
        const QString shown = label.displayedText();
        QVERIFY(shown.endsWith(QChar(0x2026)) && label.text().startsWith(shown.chopped(1)));
        QVERIFY(label.fontMetrics().horizontalAdvance(shown) <= 80);

        QWidget parent;
        auto* clickLabel = new ClockedClickLabel;
        clickLabel->setParent(&parent);
        clickLabel->setGeometry(0, 0, 100, 40);
        parent.show();
        QVERIFY(QTest::qWaitForWindowExposed(&parent));
        QSignalSpy spy(clickLabel, &ZClickLabel::clicked);
        for (qint64 t : {1000, 1060, 1100, 1101}) {
            clickLabel->now = t;
            QTest::mouseClick(clickLabel, Qt::LeftButton);
        }
        QCOMPARE(spy.count(), 2);
    }

    void scaleLabelFitsTextAndSize()
    {
        QCOMPARE(ZScaleLabel::fitPointSize({40, 100}, {50, 1.2}), 1.0);    // too narrow stays 1
        QCOMPARE(ZScaleLabel::fitPointSize({508, 100}, {0, 1.2}), 1.0);   // no text width
        ZScaleLabel label;
        label.setContentsMargins(0, 0, 0, 0);
        label.resize(508, 100);
        label.setText(QStringLiteral("1"));
        const qreal oneDigit = label.font().pointSizeF();
        label.setText(QStringLiteral("-1234.567"));   // the fit uses the new text, not the previous one
        QVERIFY(label.font().pointSizeF() < oneDigit);
        // A connection by signature reaches the fitting setter, not QLabel's.
        QVERIFY(QMetaObject::invokeMethod(&label, "setText", Q_ARG(QString, QStringLiteral("7"))));
        QCOMPARE(label.font().pointSizeF(), oneDigit);
        label.setText(QStringLiteral("-1234.567"));
        const qreal width = textWidth(label.font(), label.text());
        QVERIFY2(width <= 508.0 && width >= 490.0, qPrintable(QString::number(width)));
        label.show();
        QVERIFY(QTest::qWaitForWindowExposed(&label));
        label.resize(2000, 40);   // height-bound: 40 px high gives 40 / 1.25 = 32 points
        QCOMPARE(label.font().pointSizeF(), 32.0);

        // A sheet may restyle the value and re-polish it on every status change; the fitted size stays.
        QWidget page;
        page.setObjectName("wgtMeasureDisplayMainValue");
        page.setStyleSheet("#wgtMeasureDisplayMainValue ZScaleLabel { font-weight: bold; color: red; }");
        auto* styled = new ZScaleLabel(&page);
        styled->setContentsMargins(0, 0, 0, 0);
        styled->setGeometry(0, 0, 508, 120);
        page.resize(600, 200);
        page.show();
        QVERIFY(QTest::qWaitForWindowExposed(&page));
        styled->setText(QStringLiteral("-1234.567"));
        const qreal fitted = styled->font().pointSizeF();
        QVERIFY(styled->font().bold() && fitted > 20.0);
        repolish(styled);
        QCOMPARE(styled->font().pointSizeF(), fitted);
        // Dropping the bold rule makes the text narrower: refitted, larger.
        page.setStyleSheet("#wgtMeasureDisplayMainValue ZScaleLabel { color: blue; }");
        QVERIFY(!styled->font().bold() && styled->font().pointSizeF() > fitted);
        QVERIFY(textWidth(styled->font(), styled->text()) <= 508.0);
    }

    // Every widget of a table header lies over its section, a check button centred
    // in a container of the header's own; one its owner deleted is skipped, and
    // the rest come back to the caller with the header's end.
    void headerWidgetsLieOverTheirSections()
    {
        QTableWidget table(2, 4);
        auto* combo = new ZComboBox;
        combo->addItems({QStringLiteral("Messwert"), QStringLiteral("Maximalwert")});
        QList<QWidget*> widgets{new ZLabel(QStringLiteral("Messkanal")), combo, new ZCheckButton(true),
                                new ZLabel(QStringLiteral("Einheit"))};
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
        QVERIFY(header->sectionWidget(2)->isAncestorOf(widgets.at(2)));
        const QRect button(widgets.at(2)->mapTo(header, QPoint(0, 0)), widgets.at(2)->size());
        QVERIFY(qAbs(button.center().x() - header->sectionWidget(2)->geometry().center().x()) <= 1);
        table.setHorizontalHeader(new QHeaderView(Qt::Horizontal));
        QCOMPARE(widgets.at(0)->parentWidget(), nullptr);
        qDeleteAll(widgets);
    }
};

QTEST_MAIN(TestZControls)
#include "tst_zcontrols.moc"
