// The measured-value widgets under the application style sheets: the status
// becomes "measureStatus", the sheet turns it into the blinking overlay text
// and the value colour, function flags become pictures in a 2 x 3 grid.
#include "widgets/TevaroResources.h"
#include "widgets/ZAnimatedLabel.h"
#include "widgets/ZFlagIcon.h"
#include "widgets/ZFlagWidget.h"
#include "widgets/ZMeasureDisplayWidget.h"
#include "widgets/ZMeasureTextWidget.h"
#include "widgets/ZScaleLabel.h"

#include <QDateTime>
#include <QFontMetricsF>
#include <QGridLayout>
#include <QVBoxLayout>
#include <QtTest>

namespace {

enum class Ink { None, Black, Red, Blue };

const QColor kOverlayColor(167, 67, 67);

QString readResource(const QString& name)
{
    QFile file(name);
    return file.open(QIODevice::ReadOnly | QIODevice::Text) ? QString::fromUtf8(file.readAll()) : QString();
}

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

// The colour of the text drawn in an area, ignoring the area `except`.
Ink inkIn(const QImage& image, const QRect& area, const QRect& except)
{
    int black = 0, red = 0, blue = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) {
            if (except.contains(x, y) || !image.rect().contains(x, y))
                continue;
            const QColor c = image.pixelColor(x, y);
            if (c.red() - qMax(c.green(), c.blue()) > 120)
                ++red;
            else if (c.blue() - qMax(c.red(), c.green()) > 120)
                ++blue;
            else if (qMax(c.red(), qMax(c.green(), c.blue())) < 80)
                ++black;
        }
    const int n = 5;
    if (red >= n && blue < n && black < n)
        return Ink::Red;
    if (blue >= n && red < n && black < n)
        return Ink::Blue;
    if (black >= n && red < n && blue < n)
        return Ink::Black;
    return Ink::None;
}

double shareOfColour(const QImage& image, const QRect& area, const QColor& colour)
{
    int hits = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            hits += image.pixelColor(x, y) == colour;
    return area.isEmpty() ? 0.0 : double(hits) / (area.width() * area.height());
}

// A white host, shown, with the app sheets in effect.
struct Host
{
    QWidget window;
    QVBoxLayout* layout = new QVBoxLayout(&window);
    Host()
    {
        window.setObjectName(QStringLiteral("measureHost"));
        window.setStyleSheet(QStringLiteral("#measureHost { background-color: white; }"));
    }
    void show()
    {
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
    }
};

QLabel* valueLabelOf(ZMeasureTextWidget* widget)
{
    return widget->findChild<QLabel*>(QStringLiteral("ZMeasureTextValue"));
}
QLabel* valueLabelOf(ZMeasureDisplayWidget* widget)
{
    return widget->getValueLabel();
}

void flushDeferredDeletes()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
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
void checkStatusLook(W* widget, int flags, const QString& overlay, Ink ink, double overlayPointSize)
{
    widget->setMeasureStatus(flags);
    QCoreApplication::processEvents();
    QCOMPARE(widget->measureOverlay(), overlay);
    // One "LFn" entry per set bit, for the sheet to select on.
    const QStringList entries = widget->property("measureStatus").toStringList();
    QCOMPARE(entries.size(), flags < 0 ? 0 : qPopulationCount(quint32(flags)));
    if (flags == 0x404)
        QCOMPARE(entries, (QStringList{"LF4", "LF1024"}));
    auto* block = widget->template findChild<ZAnimatedLabel*>();
    QVERIFY(block);
    QCOMPARE(block->isVisible(), !overlay.isEmpty());
    const QImage image = grabSolid(widget);
    const QRect blockRect = block->isVisible() ? rectIn(block, widget) : QRect();
    if (!overlay.isEmpty()) {
        QCOMPARE(block->pos(), QPoint(0, 0));
        QCOMPARE(block->size(), block->sizeHint());
        QCOMPARE(block->font().pointSizeF(), overlayPointSize);
        QVERIFY(shareOfColour(image, blockRect, kOverlayColor) > 0.4);
    }
    QCOMPARE(int(inkIn(image, rectIn(valueLabelOf(widget), widget), blockRect)), int(ink));
}

} // namespace

class TestZMeasureWidgets : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        ensureTevaroResources();
        qApp->setStyleSheet(readResource(QStringLiteral(":/qss/TevaroApp.qss"))
                            + readResource(QStringLiteral(":/qss/TevaroApp_Desktop.qss")));
    }

    // Each of the ten overlay bits has a rule of its own in the sheet.
    void everyOverlayBitHasItsOwnText()
    {
        ZMeasureTextWidget widget(false);
        QSet<QString> overlays;
        for (int bit = 0; bit < 10; ++bit) {
            widget.setMeasureStatus(1 << bit);
            QCoreApplication::processEvents();
            overlays.insert(widget.measureOverlay());
        }
        QCOMPARE(overlays.size(), 10);
        QVERIFY(!overlays.contains(QString()));
    }

    // The statuses in the plain, the scaling and the large widget; a status set
    // again after a clear must look the same (the look is shared by all three).
    void statusLook_data()
    {
        QTest::addColumn<int>("flags");
        QTest::addColumn<QString>("overlay");
        QTest::addColumn<int>("textInk");
        QTest::addColumn<int>("displayInk");
        const struct { const char* name; int flags; const char* overlay; Ink text, display; } rows[] = {
            {"ok", 0, "", Ink::Black, Ink::Black},
            {"LF1", 0x1, "OVERRANGE", Ink::Black, Ink::Black},
            {"LF2048", 0x800, "", Ink::Blue, Ink::Blue},
            {"LF4096", 0x1000, "", Ink::Red, Ink::Black},
            {"LF8192", 0x2000, "", Ink::Blue, Ink::Black},
            {"break and high", 0x404, "BREAK", Ink::Red, Ink::Red},
            {"over and under: the higher bit wins", 0x3, "UNDERRANGE", Ink::Black, Ink::Black},
            {"negative word", -1, "", Ink::Black, Ink::Black},
            {"top bit of an int", 0x40000001, "OVERRANGE", Ink::Black, Ink::Black},
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
        Host host;
        auto* text = new ZMeasureTextWidget(false);
        text->setMinimumSize(260, 40);
        auto* scaled = new ZMeasureTextWidget(true);
        scaled->setMinimumSize(300, 80);
        scaled->setMeasureStatus(flags); // before showing
        auto* display = new ZMeasureDisplayWidget;
        display->setFlags(0x801);
        for (ZMeasureTextWidget* w : {text, scaled}) {
            w->setMeasureValue(QStringLiteral("-1234.56"));
            w->setMeasureUnit(QStringLiteral("°C"));
            host.layout->addWidget(w);
        }
        display->setMeasureValue(QStringLiteral("-1234.567"));
        display->setMeasureUnit(QStringLiteral("°C"));
        host.layout->addWidget(display);
        host.show();
        QVERIFY(qobject_cast<ZScaleLabel*>(valueLabelOf(scaled)));
        checkStatusLook(scaled, flags, overlay, Ink(textInk), 6.0);
        checkStatusLook(text, flags, overlay, Ink(textInk), 6.0);
        checkStatusLook(display, flags, overlay, Ink(displayInk), 12.0);
        checkStatusLook(display, 0, QString(), Ink::Black, 12.0);
        checkStatusLook(display, flags, overlay, Ink(displayInk), 12.0);
    }

    void displayValueKeepsItsFitThroughStatusChanges()
    {
        Host host;
        auto* widget = new ZMeasureDisplayWidget;
        host.layout->addWidget(widget);
        host.show();
        widget->setMeasureValue(QStringLiteral("-1234.567"));
        ZScaleLabel* value = widget->getValueLabel();
        QCOMPARE(value->size(), QSize(500, 120));
        const qreal fitted = value->font().pointSizeF();
        QVERIFY(fitted > 10.0);
        for (const int flags : {0x404, 0x800, 0x1, 0}) {
            widget->setMeasureStatus(flags);
            QCoreApplication::processEvents();
            QCOMPARE(value->font().pointSizeF(), fitted);
        }
        QVERIFY(QFontMetricsF(value->font()).boundingRect(value->text()).width()
                <= value->contentsRect().width());
        // A longer value is refitted at once, not on the next resize.
        widget->setMeasureValue(QStringLiteral("-1234567.890"));
        QVERIFY(value->font().pointSizeF() < fitted);
    }

    void emptyTextsHideTheirLabelsAndMarkupIsPlain()
    {
        Host host;
        auto* text = new ZMeasureTextWidget(false);
        host.layout->addWidget(text);
        host.show();
        auto* unit = text->findChild<QLabel*>(QStringLiteral("ZMeasureTextUnit"));
        text->setMeasureUnit(QString());
        QVERIFY(!unit->isVisible());

        // Device text is shown as typed, not as one bold digit.
        const QString markup = QStringLiteral("<b>1</b><img src=\"x\">");
        text->setMeasureUnit(markup);
        QVERIFY(unit->isVisible());
        QVERIFY(unit->sizeHint().width() >= QFontMetrics(unit->font()).horizontalAdvance(markup));
    }

    void flagsFillTheGridInBitOrder()
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
            flushDeferredDeletes();
            QCOMPARE(iconNames(grid), c.second);
            QCOMPARE(grid->findChildren<ZFlagIcon*>().size(), c.second.size());
            display.clearFlags();
            flushDeferredDeletes();
            QCOMPARE(grid->findChildren<ZFlagIcon*>().size(), 0);
        }
    }

    void flagIconShowsItsPicture()
    {
        Host host;
        auto* icon = new ZFlagIcon(QStringLiteral("RF1"));
        host.layout->addWidget(icon);
        host.show();
        QCOMPARE(icon->size(), QSize(26, 26));
        const QImage shown = icon->grab().toImage().convertToFormat(QImage::Format_ARGB32);
        const QImage expected = QImage(QStringLiteral(":/pic/measureflags/FlagAFAlarm.png")).convertToFormat(QImage::Format_ARGB32);
        int compared = 0;
        for (int y = 0; y < 26; ++y)
            for (int x = 0; x < 26; ++x)
                if (qAlpha(expected.pixel(x, y)) == 255) {
                    QCOMPARE(shown.pixel(x, y), expected.pixel(x, y));
                    ++compared;
                }
        QVERIFY(compared > 100);
        // Renamed to a flag without a picture it shows none.
        icon->setFlagName(QStringLiteral("RF3"));
        QCOMPARE(icon->grab().toImage().pixelColor(13, 13), QColor(Qt::black));
    }
};

QTEST_MAIN(TestZMeasureWidgets)
#include "tst_zmeasurewidgets.moc"
