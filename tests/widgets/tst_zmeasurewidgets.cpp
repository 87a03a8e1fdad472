// The measured-value widgets under the application style sheets: the status
// becomes "measureStatus", the sheet turns it into the blinking overlay text
// and the value colour, function flags become pictures in a 2 x 3 grid.
#include "AppStyleSheet.h"
#include "widgets/ZAnimatedLabel.h"
#include "widgets/ZFlagIcon.h"
#include "widgets/ZFlagWidget.h"
#include "widgets/ZMeasureDisplayWidget.h"
#include "widgets/ZMeasureTextWidget.h"
#include "widgets/ZScaleLabel.h"

#include <QDateTime>
#include <QGridLayout>
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
void checkStatusLook(W* widget, int flags, const QString& overlay, Ink ink)
{
    widget->setMeasureStatus(flags);
    QCoreApplication::processEvents();
    QCOMPARE(widget->measureOverlay(), overlay);
    auto* block = widget->template findChild<ZAnimatedLabel*>();
    QVERIFY(block);
    QCOMPARE(block->isVisible(), !overlay.isEmpty());
    const QImage image = grabSolid(widget);
    const QRect blockRect = block->isVisible() ? rectIn(block, widget) : QRect();
    int solid = 0; // the block is drawn solid, not faded
    for (int y = blockRect.top(); y <= blockRect.bottom(); ++y)
        for (int x = blockRect.left(); x <= blockRect.right(); ++x)
            solid += image.pixelColor(x, y) == QColor(167, 67, 67);
    QVERIFY(solid >= blockRect.width() * blockRect.height() * 0.4);
    QCOMPARE(int(inkIn(image, rectIn(widget->template findChild<ZScaleLabel*>(), widget), blockRect)), int(ink));
}

} // namespace

class TestZMeasureWidgets : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(!useApplicationStyleSheet().isEmpty()); }

    // The scaling and the large widget share the look; a status set again
    // after a clear must look the same.
    void statusLook_data()
    {
        QTest::addColumn<int>("flags");
        QTest::addColumn<QString>("overlay");
        QTest::addColumn<int>("textInk");
        QTest::addColumn<int>("displayInk");
        const struct { const char* name; int flags; const char* overlay; Ink text, display; } rows[] = {
            {"LF4096", 0x1000, "", Ink::Red, Ink::Black},
            {"top bit of an int", 0x40002000, "", Ink::Blue, Ink::Black},
            {"break and high", 0x404, "BREAK", Ink::Red, Ink::Red},
            {"over and under: the higher bit wins", 0x3, "UNDERRANGE", Ink::Black, Ink::Black},
            {"negative word", -1, "", Ink::Black, Ink::Black},
        };
        for (const auto& r : rows)
            QTest::newRow(r.name) << r.flags << QString::fromLatin1(r.overlay) << int(r.text) << int(r.display);
    }

    void statusLook()
    {
        QFETCH(int, flags);
        QFETCH(QString, overlay);
        QFETCH(int, textInk);
        QFETCH(int, displayInk);
        QWidget host;
        host.setObjectName(QStringLiteral("measureHost"));
        host.setStyleSheet(QStringLiteral("#measureHost { background-color: white; }"));
        auto* layout = new QVBoxLayout(&host);
        auto* scaled = new ZMeasureTextWidget(true);
        scaled->setMinimumSize(300, 80);
        scaled->setMeasureStatus(flags); // before showing
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
        checkStatusLook(scaled, flags, overlay, Ink(textInk));
        checkStatusLook(display, flags, overlay, Ink(displayInk));
        checkStatusLook(display, 0, QString(), Ink::Black);
        checkStatusLook(display, flags, overlay, Ink(displayInk));
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
};

QTEST_MAIN(TestZMeasureWidgets)
#include "tst_zmeasurewidgets.moc"
