// Widgets under the application style sheets: the sheets load without
// complaint and name pictures that exist; pictures with a trap in their name
// are there at their size; colours, the measured-value widgets' status look
// (overlay text, value colour, flag pictures) and the radio list of table cells.
#include "../common/LogCapture.h"
#include "AppStyleSheet.h"
#include "Screenshot.h"
#include "widgets/Repolish.h"
#include "widgets/ZAnimatedLabel.h"
#include "widgets/ZCheckButton.h"
#include "widgets/ZComboBox.h"
#include "widgets/ZDateEdit.h"
#include "widgets/ZFlagIcon.h"
#include "widgets/ZFlagWidget.h"
#include "widgets/ZMeasureDisplayWidget.h"
#include "widgets/ZMeasureTextWidget.h"
#include "widgets/ZRadioButton.h"
#include "widgets/ZRadioGroup.h"
#include "widgets/ZScaleLabel.h"
#include "widgets/ZStylableWidget.h"
#include "widgets/ZTabWidget.h"
#include "widgets/ZTimeEdit.h"

#include <QAbstractItemView>
#include <QBoxLayout>
#include <QDateTime>
#include <QGridLayout>
#include <QImageReader>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QToolButton>
#include <QtTest>

namespace {

// Shows a widget and waits until it is on screen.
bool shown(QWidget* widget)
{
    widget->show();
    return QTest::qWaitForWindowExposed(widget);
}

// Messages that say something about the sheets or the pictures they name.
QStringList styleComplaints(const LogCapture& log)
{
    static const QRegularExpression about("parse|stylesheet|style sheet|property|QPixmap|QImage|Cannot open|Could not|QFont",
                                          QRegularExpression::CaseInsensitiveOption);
    return log.messages().filter(about);
}

bool near(const QColor& got, const QColor& expected)
{
    return qAbs(got.red() - expected.red()) <= 2 && qAbs(got.green() - expected.green()) <= 2
           && qAbs(got.blue() - expected.blue()) <= 2;
}

#define COMPARE_COLOUR(got, expected)                                                              \
    QVERIFY2(near((got), (expected)), qPrintable(QColor(got).name() + " instead of " + QColor(expected).name()))

template <typename W>
W* named(W* widget, const char* name)
{
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

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

class TestStyleSheets : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        log.reset(new LogCapture);
        sheet = useApplicationStyleSheet();
        QVERIFY(styleComplaints(*log).isEmpty());
    }

    void cleanupTestCase() { log.reset(); }

    void picturesNamedBySheetsExist()
    {
        static const QRegularExpression comment("/\\*.*?\\*/", QRegularExpression::DotMatchesEverythingOption);
        static const QRegularExpression url("url\\(([^)]*)\\)");
        auto it = url.globalMatch(QString(sheet).remove(comment));
        int count = 0;
        for (; it.hasNext(); ++count) {
            const QString name = it.next().captured(1).trimmed();
            QVERIFY2(name.startsWith(":/") && !QImage(name).isNull(), qPrintable(name + " is missing"));
        }
        QCOMPARE(count, 30);   // 2 radio, 4 arrows, the calendar, 17 flags, 6 templates
    }

    // Pictures loaded by a name with a trap in it are there at the size their
    // place needs: the check button's relative name, the user-menu template
    // shown at 50 x 35 (its name gives it the other way round), and the ring
    // buffer's animations, which play for ever.
    void picturesLoadedByNameExist()
    {
        const struct { const char* name; int width, height; } pictures[] = {
            {":pic/icon/checked_checkbox.png", 26, 26},
            {":/pic/icon/icon_usermenu_schablone1_grau_35x50.png", 50, 35},
            {":/pic/logger/icon_ringspeicher_inaktiv_31x31_01.gif", 31, 31},
            {":/pic/logger/icon_ringspeicher_inaktiv_31x31_02.gif", 31, 31},
            {":/pic/logger/icon_ringspeicher_aktiv_31x31_01.gif", 31, 31},
            {":/pic/logger/icon_ringspeicher_aktiv_31x31_02.gif", 31, 31},
            {":/pic/logger/icon_rinspeicher_inaktiv_195x195.gif", 195, 195},
            {":/pic/logger/icon_rinspeicher_aktiv_195x195.gif", 195, 195},
        };
        for (const auto& picture : pictures) {
            QImageReader reader(picture.name);
            const QImage first = reader.read();
            QVERIFY2(first.size() == QSize(picture.width, picture.height),
                     qPrintable(picture.name + (": " + reader.errorString())));
            if (!QByteArray(picture.name).endsWith(".gif"))
                continue;
            QVERIFY2(reader.supportsAnimation() && reader.loopCount() == -1, picture.name);
            bool differs = false;
            for (QImage next; reader.read(&next);)
                differs = differs || next != first;
            QVERIFY2(differs, picture.name);
        }
    }

    void showcaseRendersWithoutComplaints()
    {
        log->clear();
        QWidget window;
        window.resize(1280, 800);
        auto* rows = new QVBoxLayout(&window);
        auto* header = named(new QWidget, "wgtDataHeader");
        header->setFixedHeight(60);
        auto* chart = named(new QToolButton(header), "tbtnDataHeadChart");
        chart->setGeometry(0, 0, 52, 52);
        rows->addWidget(header);
        auto* body = named(new ZStylableWidget, "stackedWidgetLogger");
        auto* side = new QVBoxLayout(body);
        auto* tabs = named(new ZTabWidget, "tabwgtDisplay");
        auto* value = new ZScaleLabel;
        tabs->addTab(value, "Kanalliste");
        side->addWidget(tabs);
        side->addWidget(new ZTimeEdit);
        side->addWidget(new ZDateEdit);
        auto* combo = new ZComboBox;
        combo->addItems({"Messwert", "Maximalwert", "Minimalwert"});
        side->addWidget(combo);
        side->addWidget(named(new QPushButton("Start"), "btnDataStartStop"));
        side->addWidget(named(new QLineEdit("192.168.100.1"), "ledtIp"));
        auto* check = named(new ZCheckButton(true), "chkOn");
        side->addWidget(check);
        side->addStretch();
        rows->addWidget(body);
        window.show();
        value->setText("21.53");
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QVERIFY(grabScreenshot(&window, QStringLiteral("widgets.png")));
        // The sheet reaches a plain widget subclass and the check button.
        COMPARE_COLOUR(body->grab().toImage().pixelColor(body->width() - 3, body->height() - 3), QColor(204, 205, 204));
        COMPARE_COLOUR(check->grab().toImage().pixelColor(16, 8), QColor(0, 82, 66));

        // The header button follows ZZActive.
        const auto centre = [chart] { return chart->grab().toImage().pixelColor(26, 26); };
        COMPARE_COLOUR(centre(), QColor(0, 82, 66));
        QVERIFY(setStyleProperty(chart, "ZZActive", true));
        COMPARE_COLOUR(centre(), QColor(248, 248, 248));
        QVERIFY(setStyleProperty(chart, "ZZActive", false));
        COMPARE_COLOUR(centre(), QColor(0, 82, 66));

        combo->showPopup();
        QVERIFY(grabScreenshot(combo->view()->window(), QStringLiteral("widgets-combo.png")));
        QVERIFY(combo->view()->visualRect(combo->model()->index(1, 0)).height() >= 50);
        combo->hidePopup();
        QVERIFY2(styleComplaints(*log).isEmpty(), qPrintable(styleComplaints(*log).join('\n')));
    }

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
            QVERIFY(shown(&host));
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
        QVERIFY(shown(&host));
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
        QVERIFY(shown(&icon));
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
            QVERIFY(shown(&group));
            QVERIFY(group.removeItem(r.removed));
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            QVERIFY2(group.selectedIndex() == r.selectedAfter, r.name);
            QCOMPARE(checkStates(group), (QList<bool>{r.selectedAfter == 0, r.selectedAfter == 1}));
            QCOMPARE(group.findChildren<ZRadioButton*>().size(), 2);

            QSignalSpy byText(&group, qOverload<QString, QVariant>(&ZRadioGroup::currentIndexChanged));
            QSignalSpy byIndex(&group, qOverload<int>(&ZRadioGroup::currentIndexChanged));
            const int other = r.selectedAfter == 0 ? 1 : 0;
            for (int i = 0; i < 2; ++i)
                QTest::mouseClick(group.button(other), Qt::LeftButton, {},
                                  QPoint(12, group.button(other)->height() / 2));
            QVERIFY2(byIndex.count() == 1 && byIndex.at(0).at(0).toInt() == other, r.name);
            const QString text = group.descriptions().at(other);
            QVERIFY2(byText.count() == 1 && byText.at(0).at(0).toString() == text, r.name);
            QCOMPARE(byText.at(0).at(1).toInt(), (text.at(0).unicode() - 'a' + 1) * 10);
            QCOMPARE(checkStates(group), (QList<bool>{other == 0, other == 1}));
        }
    }

private:
    std::unique_ptr<LogCapture> log; // made once Qt Test has set up its own logging
    QString sheet;
};

QTEST_MAIN(TestStyleSheets)
#include "tst_stylesheets.moc"
