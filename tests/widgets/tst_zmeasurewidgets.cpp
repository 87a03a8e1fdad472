// Widgets under the application style sheets. The measured-value widgets: the
// status becomes "measureStatus", the sheet turns it into the blinking overlay
// text and the value colour, function flags become pictures in a 2 x 3 grid.
// The radio list of table cells: unique descriptions, the first option chosen,
// a tap on another option reported once (both signals), a choice made by the
// program never reported, and the chosen index always naming the checked button.
#include "AppStyleSheet.h"
#include "widgets/ZAnimatedLabel.h"
#include "widgets/ZFlagIcon.h"
#include "widgets/ZFlagWidget.h"
#include "widgets/ZMeasureDisplayWidget.h"
#include "widgets/ZMeasureTextWidget.h"
#include "widgets/ZRadioButton.h"
#include "widgets/ZRadioGroup.h"
#include "widgets/ZScaleLabel.h"

#include <QDateTime>
#include <QGridLayout>
#include <QSignalSpy>
#include <QVBoxLayout>
#include <QtTest>

namespace {

enum class Ink { None, Black, Red, Blue };

// Grabs in the blink's solid phase (0 .. 1647 ms of the 4096 ms cycle).
QImage grabSolid(QWidget* widget)
{
    for (qint64 t; (t = QDateTime::currentMSecsSinceEpoch() % 4096) >= 1400;)
        QTest::qWait(int(4096 - t + 20));
    return widget->grab().toImage();
}

QRect rectIn(const QWidget* child, const QWidget* ancestor)
{
    return QRect(child->mapTo(ancestor, QPoint(0, 0)), child->size());
}

// The one colour of the text drawn in an area (None when mixed), ignoring `except`.
Ink inkIn(const QImage& image, const QRect& area, const QRect& except)
{
    int count[4] = {0, 0, 0, 0};
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) {
            if (except.contains(x, y) || !image.rect().contains(x, y))
                continue;
            const QColor c = image.pixelColor(x, y);
            count[c.red() - qMax(c.green(), c.blue()) > 120    ? int(Ink::Red)
                  : c.blue() - qMax(c.red(), c.green()) > 120 ? int(Ink::Blue)
                  : qMax(c.red(), qMax(c.green(), c.blue())) < 80 ? int(Ink::Black)
                                                                 : int(Ink::None)]++;
        }
    int inks = 0;
    Ink found = Ink::None;
    for (Ink ink : {Ink::Black, Ink::Red, Ink::Blue})
        if (count[int(ink)] >= 5)
            ++inks, found = ink;
    return inks == 1 ? found : Ink::None;
}

QStringList iconNames(const ZFlagWidget* grid)
{
    auto* layout = qobject_cast<QGridLayout*>(grid->layout());
    QStringList names;
    for (int r = 0; r < layout->rowCount(); ++r)
        for (int c = 0; c < layout->columnCount(); ++c)
            if (QLayoutItem* item = layout->itemAtPosition(r, c))
                names << QStringLiteral("%1,%2:%3").arg(r).arg(c).arg(
                    static_cast<ZFlagIcon*>(item->widget())->flagName());
    return names;
}

// The overlay and value of one widget after setMeasureStatus, from pixels.
template <typename W>
void checkStatusLook(W* widget, int flags, const QString& overlay, Ink ink, const char* row)
{
    widget->setMeasureStatus(flags);
    QCoreApplication::processEvents();
    QVERIFY2(widget->measureOverlay() == overlay, row);
    auto* block = widget->template findChild<ZAnimatedLabel*>();
    QVERIFY2(block && block->isVisible() == !overlay.isEmpty(), row);
    const QImage image = grabSolid(widget);
    const QRect blockRect = block->isVisible() ? rectIn(block, widget) : QRect();
    int solid = 0; // the block is drawn solid, not faded
    for (int y = blockRect.top(); y <= blockRect.bottom(); ++y)
        for (int x = blockRect.left(); x <= blockRect.right(); ++x)
            solid += image.pixelColor(x, y) == QColor(167, 67, 67);
    QVERIFY2(solid >= blockRect.width() * blockRect.height() * 0.4, row);
    QVERIFY2(inkIn(image, rectIn(widget->template findChild<ZScaleLabel*>(), widget), blockRect) == ink, row);
}

QList<bool> checkStates(const ZRadioGroup& group)
{
    QList<bool> states;
    for (int i = 0; i < group.count(); ++i)
        states << group.button(i)->isChecked();
    return states;
}

} // namespace

class TestZMeasureWidgets : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(!useApplicationStyleSheet().isEmpty()); }

    // The scaling and the large widget share the look; a status set again
    // after a clear must look the same.
    void statusLook()
    {
        const struct { const char* name; int flags; const char* overlay; Ink text, display; } rows[] = {
            {"LF4096", 0x1000, "", Ink::Red, Ink::Black},
            {"top bit of an int", 0x40002000, "", Ink::Blue, Ink::Black},
            {"break and high", 0x404, "BREAK", Ink::Red, Ink::Red},
            {"over and under: the higher bit wins", 0x3, "UNDERRANGE", Ink::Black, Ink::Black},
            {"negative word", -1, "", Ink::Black, Ink::Black},
        };
        for (const auto& r : rows) {
            QWidget host;
            host.setObjectName(QStringLiteral("measureHost"));
            host.setStyleSheet(QStringLiteral("#measureHost { background-color: white; }"));
            auto* layout = new QVBoxLayout(&host);
            auto* scaled = new ZMeasureTextWidget(true);
            scaled->setMinimumSize(300, 80);
            scaled->setMeasureStatus(r.flags);   // before showing
            scaled->setMeasureValue(QStringLiteral("-1234.56"));
            scaled->setMeasureUnit(QStringLiteral("°C"));
            auto* display = new ZMeasureDisplayWidget;
            display->setFlags(0x801);
            display->setMeasureValue(QStringLiteral("-1234.567"));
            display->setMeasureUnit(QStringLiteral("°C"));
            layout->addWidget(scaled);
            layout->addWidget(display);
            host.show();
            QVERIFY(QTest::qWaitForWindowExposed(&host));
            const QString overlay = QString::fromLatin1(r.overlay);
            checkStatusLook(scaled, r.flags, overlay, r.text, r.name);
            checkStatusLook(display, r.flags, overlay, r.display, r.name);
            checkStatusLook(display, 0, QString(), Ink::Black, r.name);
            checkStatusLook(display, r.flags, overlay, r.display, r.name);
        }
    }

    void displayValueKeepsItsFitAndPlainUnit()
    {
        QWidget host;
        auto* layout = new QVBoxLayout(&host);
        auto* widget = new ZMeasureDisplayWidget;
        auto* text = new ZMeasureTextWidget(false);
        layout->addWidget(widget);
        layout->addWidget(text);
        host.show();
        QVERIFY(QTest::qWaitForWindowExposed(&host));
        widget->setMeasureValue(QStringLiteral("-1234.567"));
        ZScaleLabel* value = widget->getValueLabel();
        const qreal fitted = value->font().pointSizeF();
        QVERIFY(fitted > 10.0);
        widget->setMeasureStatus(0x404);
        QCoreApplication::processEvents();
        QCOMPARE(value->font().pointSizeF(), fitted);
        // A longer value is refitted at once, not on the next resize.
        widget->setMeasureValue(QStringLiteral("-1234567.890"));
        QVERIFY(value->font().pointSizeF() < fitted);

        // An empty unit hides its label; device text is shown as typed, not as markup.
        auto* unit = text->findChild<QLabel*>(QStringLiteral("ZMeasureTextUnit"));
        text->setMeasureUnit(QString());
        QVERIFY(!unit->isVisible());
        const QString markup = QStringLiteral("<b>1</b><img src=\"x\">");
        text->setMeasureUnit(markup);
        QVERIFY(unit->isVisible());
        QVERIFY(unit->sizeHint().width() >= QFontMetrics(unit->font()).horizontalAdvance(markup));
    }

    void flagsFillTheGridInBitOrderWithPictures()
    {
        const QPair<int, QStringList> cases[] = {
            {-1, {}},
            {0x7F, {"0,0:RF1", "0,1:RF2", "0,2:RF4", "1,0:RF8", "1,1:RF16", "1,2:RF32"}}, // seven bits show six
            {0x10800, {"0,0:RF2048", "0,1:RF65536"}},                                      // the highest flag
        };
        ZMeasureDisplayWidget display;
        auto* grid = display.findChild<ZFlagWidget*>(QStringLiteral("ZMeasureDisplayFlags"));
        QVERIFY(grid);
        for (const auto& c : cases) {
            display.setFlags(c.first);
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            QCOMPARE(iconNames(grid), c.second);
            display.clearFlags();
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            QCOMPARE(grid->findChildren<ZFlagIcon*>().size(), 0);
        }

        ZFlagIcon icon(QStringLiteral("RF1"));
        icon.show();
        QVERIFY(QTest::qWaitForWindowExposed(&icon));
        QVERIFY(icon.grab().toImage().pixelColor(13, 13) != QColor(Qt::black));
        // Renamed to a flag without a picture it shows none.
        icon.setFlagName(QStringLiteral("RF3"));
        QCOMPARE(icon.grab().toImage().pixelColor(13, 13), QColor(Qt::black));
    }

    // A choice made by the program, or moved by a re-added description, is never reported.
    void radioChoicesByTheProgramAreSilent()
    {
        ZRadioGroup group;
        QSignalSpy changes(&group, qOverload<int>(&ZRadioGroup::currentIndexChanged));
        group.addItem(QStringLiteral("A"), QStringLiteral("first"));
        group.addItem(QStringLiteral("B"));
        group.addItem(QStringLiteral("C"));
        QCOMPARE(checkStates(group), (QList<bool>{true, false, false}));
        group.addItem(QStringLiteral("A"), QStringLiteral("second"));
        QCOMPARE(group.descriptions(), (QStringList{"B", "C", "A"}));
        QCOMPARE(group.selectedIndex(), 2);   // moved with its description
        QCOMPARE(checkStates(group), (QList<bool>{false, false, true}));
        QVERIFY(group.setSelectedIndex(1) && !group.setSelectedIndex(3) && !group.setSelectedIndex(-1));
        QCOMPARE(checkStates(group), (QList<bool>{false, true, false}));
        QCOMPARE(changes.count(), 0);
        QVERIFY(!group.removeItem(3) && !group.removeItem(QStringLiteral("x")));
    }

    // After a removal the choice stays on its entry, and a tap on another
    // option is reported once by both signals; a tap on the chosen one is not.
    void radioRemovalKeepsTheChoiceOnItsEntry()
    {
        const struct { const char* name; int chosen, removed, selectedAfter; } rows[] = {
            {"before the choice", 2, 0, 1}, {"the choice itself", 1, 1, -1}};
        for (const auto& r : rows) {
            ZRadioGroup group;
            group.addItem(QStringLiteral("a"), 10);
            group.addItem(QStringLiteral("b"), 20);
            group.addItem(QStringLiteral("c"), 30);
            group.setSelectedIndex(r.chosen);
            group.show();
            QVERIFY(QTest::qWaitForWindowExposed(&group));
            QVERIFY(group.removeItem(r.removed));
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            QVERIFY2(group.selectedIndex() == r.selectedAfter, r.name);
            QCOMPARE(checkStates(group), (QList<bool>{r.selectedAfter == 0, r.selectedAfter == 1}));
            QCOMPARE(group.findChildren<ZRadioButton*>().size(), 2);

            QSignalSpy byText(&group, qOverload<QString, QVariant>(&ZRadioGroup::currentIndexChanged));
            QSignalSpy byIndex(&group, qOverload<int>(&ZRadioGroup::currentIndexChanged));
            const int other = r.selectedAfter == 0 ? 1 : 0;
            for (int i = 0; i < 2; ++i)
                QTest::mouseClick(group.button(other), Qt::LeftButton, {}, QPoint(12, group.button(other)->height() / 2));
            QVERIFY2(byIndex.count() == 1 && byIndex.at(0).at(0).toInt() == other, r.name);
            const QString text = group.descriptions().at(other);
            QVERIFY2(byText.count() == 1 && byText.at(0).at(0).toString() == text, r.name);
            QCOMPARE(byText.at(0).at(1).toInt(), (text.at(0).unicode() - 'a' + 1) * 10);
            QCOMPARE(checkStates(group), (QList<bool>{other == 0, other == 1}));
        }
    }
};

QTEST_MAIN(TestZMeasureWidgets)
#include "tst_zmeasurewidgets.moc"
