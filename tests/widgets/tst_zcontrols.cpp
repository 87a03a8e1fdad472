// The controls without the application style sheets: check button, combo box,
// tab widget, clock, tooltip, labels, table header widgets, ZDialog (covers its
// window, counts dialogs on screen, holds the keyboard) and the animated button
// and label (whose alpha follows the wall clock's 4096 ms cycle so all blocks
// fade together, repainting only when a frame would differ).
#include "widgets/Repolish.h"
#include "widgets/TevaroResources.h"
#include "widgets/ZAnimatedButton.h"
#include "widgets/ZAnimatedLabel.h"
#include "widgets/ZCheckButton.h"
#include "widgets/ZClickLabel.h"
#include "widgets/ZCalendarWidget.h"
#include "widgets/ZComboBox.h"
#include "widgets/ZDateEdit.h"
#include "widgets/ZDialog.h"
#include "widgets/ZHorizontalHeader.h"
#include "widgets/ZLabel.h"
#include "widgets/ZScaleLabel.h"
#include "widgets/ZTabWidget.h"
#include "widgets/ZTimeEdit.h"
#include "widgets/ZTooltip.h"

#include <QFontMetricsF>
#include <QHBoxLayout>
#include <QImageReader>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabBar>
#include <QTableWidget>
#include <QTextDocument>
#include <QToolButton>
#include <QToolTip>
#include <QtTest>

#include <functional>
#include <memory>

namespace {

// Shows a widget and waits until it is on screen.
bool shown(QWidget* widget)
{
    widget->show();
    return QTest::qWaitForWindowExposed(widget);
}

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
    qint64 currentTimeMs() const override { return now; }
};

qreal textWidth(const QFont& font, const QString& text) { return QFontMetricsF(font).boundingRect(text).width(); }

const QString kRunning = QStringLiteral(":/pic/logger/icon_ringspeicher_aktiv_31x31_01.gif");
const QString kIdle = QStringLiteral(":/pic/logger/icon_ringspeicher_inaktiv_31x31_02.gif");
const QColor kBlock(167, 67, 67);

QImage iconImage(const QAbstractButton& button)
{
    return button.icon().pixmap(31, 31).toImage().convertToFormat(QImage::Format_ARGB32);
}

// Waits until the button has shown `count` distinct pictures.
void waitForFrames(const QAbstractButton& button, int count)
{
    QList<QImage> seen;
    QTRY_VERIFY_WITH_TIMEOUT(
        [&] {
            const QImage now = iconImage(button);
            if (!now.isNull() && !seen.contains(now))
                seen.append(now);
            return seen.size() >= count;
        }(),
        5000);
}

// A label on a clock the test sets, counting its paints.
class ClockedLabel : public ZAnimatedLabel
{
public:
    explicit ClockedLabel(qint64 start) : ZAnimatedLabel(QStringLiteral("BREAK")), now(start)
    {
        setColor(kBlock);
        resize(60, 20);
    }
    QColor corner() { return grab().toImage().pixelColor(58, 18); }
    qint64 now;
    int paints = 0;
    qint64 currentTimeMs() const override { return now; }
    void paintEvent(QPaintEvent* event) override
    {
        ++paints;
        ZAnimatedLabel::paintEvent(event);
    }
};

} // namespace

// Stands in for the main window: it counts dialogs through the same slots.
class CountingWindow : public QWidget
{
    Q_OBJECT

public:
    CountingWindow() { resize(1280, 800); }
    int counter = 0;
    QLineEdit* edit = new QLineEdit(this);

public slots:
    void addDialogCounter() { ++counter; }
    void reduceDialogCounter() { --counter; }
};

// A dialog with a row of buttons named "b0", "b1", ...
class ButtonDialog : public ZDialog
{
public:
    ButtonDialog(QWidget* window, int count) : ZDialog(window)
    {
        auto* layout = new QHBoxLayout(this);
        for (int i = 0; i < count; ++i)
            layout->addWidget(new QPushButton(QStringLiteral("b%1").arg(i), this));
    }
    QPushButton* button(int i) { return findChildren<QPushButton*>().at(i); }
};

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
            {"real tap", C::Unchecked, [](C& b) { QVERIFY(shown(&b)); QTest::mouseClick(&b, Qt::LeftButton); },
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
            const auto premultiplied = QImage::Format_ARGB32_Premultiplied;
            QVERIFY2(!picture.isNull() && button.icon().pixmap(26, 26).toImage().convertToFormat(premultiplied)
                                              == picture.convertToFormat(premultiplied), c.name);
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
        QVERIFY(shown(&table));
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
    void calendarPopupIsReported()
    {
        QStringList events; // outlives the editor, whose calendar reports hiding when destroyed
        ZDateEdit edit;
        QVERIFY(shown(&edit));
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

    void tapOnCurrentTabReloads()
    {
        ZTabWidget tabs;
        tabs.addTab(new QWidget, QStringLiteral("Kanalliste"));
        tabs.addTab(new QWidget, QStringLiteral("Liniendiagramm"));
        QVERIFY(shown(&tabs));
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
        const auto ticked = [edit] { edit->updateClock(); return edit->time(); };
        edit->updateClock();
        QCOMPARE(ticked(), QTime(0, 0, 1));   // wraps at midnight
        QCOMPARE(changed.count(), 0);
        edit->setEnabled(false);
        QCOMPARE(ticked(), QTime(0, 0, 1));
        edit->setEnabled(true);

        QVERIFY(shown(&page));
        QApplication::setActiveWindow(&page);
        first->setFocus();
        QTRY_VERIFY(first->hasFocus());
        QSignalSpy focused(edit, &ZDateTimeEdit::focusDateTime);
        edit->setFocus();
        QTRY_COMPARE(focused.count(), 1);
        edit->lineEdit()->deselect();   // focused without a selection is still being edited
        QCOMPARE(ticked(), QTime(0, 0, 1));
        first->setFocus();
        QTRY_VERIFY(!edit->hasFocus());
        QCOMPARE(ticked(), QTime(0, 0, 2));
    }

    // Shown under its widget for its time, then gone; a resize of the watched
    // window hides it early; markup is shown as typed.
    void tooltipShowsUnderItsWidgetForItsTime()
    {
        QWidget window;
        window.resize(800, 600);
        auto* button = new QToolButton(&window);
        button->setGeometry(600, 10, 52, 52);
        QVERIFY(shown(&window));
        QPointer<ZTooltip> tip = new ZTooltip(QStringLiteral("Pegel < 3 & <b>1</b>"), button, &window, 400);
        QTextDocument tipText;
        tipText.setHtml(QToolTip::text());
        QCOMPARE(tipText.toPlainText(), QStringLiteral("Pegel < 3 & <b>1</b>"));
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
        const QString displayed = label.displayedText();
        QVERIFY(displayed.endsWith(QChar(0x2026)) && label.text().startsWith(displayed.chopped(1)));
        QVERIFY(label.fontMetrics().horizontalAdvance(displayed) <= 80);

        QWidget parent;
        auto* clickLabel = new ClockedClickLabel;
        clickLabel->setParent(&parent);
        clickLabel->setGeometry(0, 0, 100, 40);
        QVERIFY(shown(&parent));
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
        QVERIFY(shown(&label));
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
        QVERIFY(shown(&page));
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
        QVERIFY(shown(&table));
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

    // It covers its window and follows its size. Shown twice counts once;
    // hidden, deleted or taken down with the window it uncounts.
    void dialogCoversTheWindowAndCountsShownDialogsOnce()
    {
        auto* window = new CountingWindow;
        QVERIFY(shown(window));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("ZDialog needs the window it covers"));
        ZDialog withoutWindow(nullptr);
        auto* first = new ZDialog(window);
        auto* second = new ZDialog(window, Qt::Dialog | Qt::WindowStaysOnTopHint);   // both go with the window below
        QVERIFY(!second->isWindow());
        QCoreApplication::processEvents();
        first->hide();
        QCOMPARE(window->counter, 0);
        first->show();
        first->show();
        second->show();
        QCOMPARE(second->geometry(), QRect(0, 0, 1280, 800));
        QCOMPARE(window->counter, 2);
        first->close();
        QCOMPARE(window->counter, 1);
        // The window hidden and shown again keeps the count balanced.
        window->hide();
        QCOMPARE(window->counter, 0);
        window->show();
        QCOMPARE(window->counter, 1);
        window->resize(1024, 768);
        QTRY_COMPARE(second->size(), QSize(1024, 768));
        delete second;
        QCOMPARE(window->counter, 0);

        QPointer<ZDialog> orphan = new ZDialog(window);
        orphan->show();
        QCOMPARE(ZDialog::openDialogCount(), 1);
        delete window;
        QVERIFY(orphan.isNull());
        QCOMPARE(ZDialog::openDialogCount(), 0);
    }

    void shownDialogsHoldTheKeyboardAndHandItBack()
    {
        CountingWindow window;
        QVERIFY(shown(&window));
        QApplication::setActiveWindow(&window);
        QVERIFY(QTest::qWaitForWindowActive(&window));
        ButtonDialog lower(&window, 2);
        ButtonDialog upper(&window, 1);
        QCoreApplication::processEvents();
        const auto focused = [&window] { return window.focusWidget(); };
        window.edit->setFocus();
        lower.show();
        QCOMPARE(focused(), lower.button(0));
        // Keys aimed at the covered field are dropped; Tab stays inside the dialog.
        QTest::keyClicks(window.edit, QStringLiteral("ef"));
        QCOMPARE(window.edit->text(), QString());
        QSignalSpy clicked(lower.button(0), SIGNAL(clicked()));
        QTest::keyClick(window.windowHandle(), Qt::Key_Return);
        QCOMPARE(clicked.size(), 1);
        QTest::keyClick(window.windowHandle(), Qt::Key_Tab);
        QTest::keyClick(window.windowHandle(), Qt::Key_Tab);
        QCoreApplication::processEvents();
        QCOMPARE(focused(), lower.button(0));

        lower.button(1)->setFocus();
        upper.show();
        QCOMPARE(focused(), upper.button(0));
        upper.hide();
        QCOMPARE(focused(), lower.button(1));
        // Lower one hidden first: the upper goes back past it.
        upper.show();
        lower.hide();
        QCOMPARE(focused(), upper.button(0));
        upper.hide();
        QCOMPARE(focused(), window.edit);
        QTest::keyClick(window.windowHandle(), 'g');
        QCOMPARE(window.edit->text(), QStringLiteral("g"));
    }

    void buttonStillUntilStartedAndAfterStop()
    {
        QVERIFY2(QImageReader(kRunning).supportsAnimation(), "the GIF image plugin is needed");
        auto button = std::make_unique<QToolButton>();
        QPointer<ZAnimatedButton> animation = new ZAnimatedButton(button.get(), kRunning);
        animation->setIcon(kIdle);
        QCOMPARE(iconImage(*button), QImageReader(kIdle).read().convertToFormat(QImage::Format_ARGB32));

        // A second start then one stop leaves nothing running.
        animation->setIcon(kRunning);
        animation->start();
        animation->start();
        waitForFrames(*button, 4);
        animation->stop();
        QVERIFY(!animation->isRunning());
        const QImage frozen = iconImage(*button);
        QTest::qWait(400);
        QCOMPARE(iconImage(*button), frozen);

        // The header's ring icon: stop, set the next picture, start plays it.
        animation->setIcon(kIdle);
        animation->start();
        waitForFrames(*button, 2);
        QVERIFY(iconImage(*button) != frozen);
        animation->stop();

        // A picture that cannot play is reported and stays still.
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("ZAnimatedButton: cannot play.*no_such_picture"));
        animation->setIcon(QStringLiteral(":/pic/logger/no_such_picture.gif"));
        animation->start();
        QVERIFY(!animation->isRunning());
        // Dies with its button, even while running.
        animation->setIcon(kRunning);
        animation->start();
        button.reset();
        QVERIFY(animation.isNull());
    }

    // Frames only while fading; a stop in a fade repaints the kept colour
    // solid, then nothing more whatever the clock says.
    void labelBlinksOnTheWallClockAndStopsSolid()
    {
        const qint64 someDay = 1700000000000LL - 1700000000000LL % 4096;
        // The fade-out begins; InOutCubic a quarter of the way is 1/16 done; solid again, not stuck
        // at the last fade frame; before the epoch.
        const QPair<qint64, int> alphas[] = {{someDay + 1648, 255}, {someDay + 1748, 239}, {someDay + 2047, 0},
                                             {someDay + 2448, 255}, {qint64(-4096 + 1848), 127}};
        for (const auto& [time, alpha] : alphas)
            QCOMPARE(ZAnimatedLabel::blinkAlpha(time), alpha);

        ClockedLabel label(100);
        label.startAnimation();
        QVERIFY(shown(&label));
        QTRY_VERIFY(label.paints > 0);
        QCoreApplication::processEvents();
        const int solidPaints = label.paints;
        QTest::qWait(200);
        QCOMPARE(label.paints, solidPaints);
        label.now = 2000; // nearly faded out
        QTRY_VERIFY(label.paints > solidPaints);
        QVERIFY(label.corner() != kBlock);
        label.setColor(QColor(0, 0, 255));
        label.grab();
        label.stopAnimation();
        const int stopPaints = label.paints;
        QCOMPARE(label.corner(), QColor(0, 0, 255));
        QTRY_VERIFY(label.paints > stopPaints + 1); // the grab above and the on-screen frame
        QCoreApplication::processEvents();
        const int stoppedPaints = label.paints;
        label.now = 1900;
        QTest::qWait(150);
        QCOMPARE(label.paints, stoppedPaints);
    }
};

QTEST_MAIN(TestZControls)
#include "tst_zcontrols.moc"
