// The measured-value widgets under the application style sheets: the status
// becomes "measureStatus", the sheet turns it into the blinking overlay text
// and the value colour, function flags become pictures in a 2 x 3 grid.
// With TEVARO_MEASURE_SHOWCASE=<file.png> a showcase of every status is saved.
#include "widgets/TevaroResources.h"
#include "widgets/ZAnimatedLabel.h"
#include "widgets/ZCheckButton.h"
#include "widgets/ZComboBox.h"
#include "widgets/ZFlagIcon.h"
#include "widgets/ZFlagWidget.h"
#include "widgets/ZHorizontalHeader.h"
#include "widgets/ZLabel.h"
#include "widgets/ZMeasureDisplayWidget.h"
#include "widgets/ZMeasureTextWidget.h"
#include "widgets/ZRadioGroup.h"
#include "widgets/ZScaleLabel.h"

#include <QDateTime>
#include <QFontMetricsF>
#include <QGridLayout>
#include <QHeaderView>
#include <QTableWidget>
#include <QVBoxLayout>
#include <QtTest>

namespace {

enum class Ink { None, Black, Red, Blue };

const QColor kOverlayColor(167, 67, 67);

QString readResource(const QString& name)
{
    QFile file(name);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return QString();
    return QString::fromUtf8(file.readAll());
}

// Grabs happen in the blink's solid phase (0 .. 1647 ms of the 4096 ms cycle),
// so the block has its full colour.
void waitForSolidBlink()
{
    for (;;) {
        const qint64 t = QDateTime::currentMSecsSinceEpoch() % 4096;
        if (t < 1400)
            return;
        QTest::qWait(int(4096 - t + 20));
    }
}

QImage grabSolid(QWidget* widget)
{
    waitForSolidBlink();
    return widget->grab().toImage();
}

QRect rectIn(const QWidget* child, const QWidget* ancestor)
{
    return QRect(child->mapTo(ancestor, QPoint(0, 0)), child->size());
}

// The colour of the text drawn in an area, ignoring the area `except`.
Ink inkIn(const QImage& image, const QRect& area, const QRect& except = QRect())
{
    int black = 0;
    int red = 0;
    int blue = 0;
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
    const int threshold = 5;
    if (red >= threshold && blue < threshold && black < threshold)
        return Ink::Red;
    if (blue >= threshold && red < threshold && black < threshold)
        return Ink::Blue;
    if (black >= threshold && red < threshold && blue < threshold)
        return Ink::Black;
    return Ink::None;
}

double shareOfColour(const QImage& image, const QRect& area, const QColor& colour)
{
    int hits = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (image.pixelColor(x, y) == colour)
                ++hits;
    return area.isEmpty() ? 0.0 : double(hits) / (area.width() * area.height());
}

// Pixels of the white overlay text (antialiased at small sizes).
int lightPixels(const QImage& image, const QRect& area)
{
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (qMin(c.red(), qMin(c.green(), c.blue())) > 200)
                ++count;
        }
    return count;
}

// A white table-cell-like host, shown, with the app sheets in effect.
struct Host
{
    QWidget window;
    QVBoxLayout* layout;

    Host()
        : layout(new QVBoxLayout(&window))
    {
        window.setObjectName(QStringLiteral("measureHost"));
        window.setStyleSheet(QStringLiteral("#measureHost { background-color: white; }"));
        layout->setContentsMargins(4, 4, 4, 4);
    }
    void show()
    {
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
    }
};

template <typename W>
QLabel* valueLabelOf(W* widget);
template <>
QLabel* valueLabelOf(ZMeasureTextWidget* widget)
{
    return widget->template findChild<QLabel*>(QStringLiteral("ZMeasureTextValue"));
}
template <>
QLabel* valueLabelOf(ZMeasureDisplayWidget* widget)
{
    return widget->getValueLabel();
}

ZAnimatedLabel* overlayOf(QWidget* widget)
{
    return widget->findChild<ZAnimatedLabel*>();
}

int flushDeferredDeletes()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return 0;
}

QStringList iconNames(const ZFlagWidget* grid)
{
    auto* layout = qobject_cast<QGridLayout*>(grid->layout());
    QStringList names;
    for (int r = 0; r < layout->rowCount(); ++r)
        for (int c = 0; c < layout->columnCount(); ++c)
            if (QLayoutItem* item = layout->itemAtPosition(r, c))
                names << QStringLiteral("%1,%2:%3")
                             .arg(r)
                             .arg(c)
                             .arg(static_cast<ZFlagIcon*>(item->widget())->flagName());
    return names;
}

struct StatusCase
{
    const char* name;
    int flags;
    const char* overlay;
    Ink textInk;
    Ink displayInk;
};

const StatusCase kStatusCases[] = {
    {"ok", 0, "", Ink::Black, Ink::Black},
    {"LF1", 0x1, "OVERRANGE", Ink::Black, Ink::Black},
    {"LF2", 0x2, "UNDERRANGE", Ink::Black, Ink::Black},
    {"LF4", 0x4, "BREAK", Ink::Black, Ink::Black},
    {"LF8", 0x8, "U-LOW", Ink::Black, Ink::Black},
    {"LF16", 0x10, "INSTABLE", Ink::Black, Ink::Black},
    {"LF32", 0x20, "RESOLUTION", Ink::Black, Ink::Black},
    {"LF64", 0x40, "UNDEFINED", Ink::Black, Ink::Black},
    {"LF128", 0x80, "SENSOR OFFLINE", Ink::Black, Ink::Black},
    {"LF256", 0x100, "TIMEOUT", Ink::Black, Ink::Black},
    {"LF512", 0x200, "INIT", Ink::Black, Ink::Black},
    {"LF1024", 0x400, "", Ink::Red, Ink::Red},
    {"LF2048", 0x800, "", Ink::Blue, Ink::Blue},
    {"LF4096", 0x1000, "", Ink::Red, Ink::Black},
    {"LF8192", 0x2000, "", Ink::Blue, Ink::Black},
    {"break and high", 0x404, "BREAK", Ink::Red, Ink::Red},
    {"over and under: the higher bit wins", 0x3, "UNDERRANGE", Ink::Black, Ink::Black},
    {"offline and low", 0x880, "SENSOR OFFLINE", Ink::Blue, Ink::Blue},
    {"negative word", -1, "", Ink::Black, Ink::Black},
};

QStringList expectedEntries(int flags)
{
    QStringList entries;
    for (qint64 bit = 1; bit <= flags; bit <<= 1)
        if (flags & bit)
            entries << QStringLiteral("LF%1").arg(bit);
    return entries;
}

void addStatusRows()
{
    QTest::addColumn<int>("flags");
    QTest::addColumn<QString>("overlay");
    QTest::addColumn<int>("textInk");
    QTest::addColumn<int>("displayInk");
    for (const StatusCase& c : kStatusCases)
        QTest::newRow(c.name) << c.flags << QString::fromLatin1(c.overlay) << int(c.textInk)
                              << int(c.displayInk);
}

// The overlay and value of one widget after setMeasureStatus, from pixels.
template <typename W>
void checkStatusLook(W* widget, int flags, const QString& overlay, Ink ink, double overlayPointSize)
{
    widget->setMeasureStatus(flags);
    QCoreApplication::processEvents();

    QCOMPARE(widget->property("measureStatus").toStringList(), expectedEntries(flags));
    QCOMPARE(widget->measureOverlay(), overlay);

    ZAnimatedLabel* block = overlayOf(widget);
    QVERIFY(block);
    QCOMPARE(block->isVisible(), !overlay.isEmpty());
    const QImage image = grabSolid(widget);
    const QRect blockRect = block->isVisible() ? rectIn(block, widget) : QRect();
    if (!overlay.isEmpty()) {
        QCOMPARE(block->pos(), QPoint(0, 0));
        QCOMPARE(block->size(), block->sizeHint());
        QCOMPARE(block->font().pointSizeF(), overlayPointSize);
        // Mostly block colour, the rest white text.
        QVERIFY2(shareOfColour(image, blockRect, kOverlayColor) > 0.4,
                 qPrintable(QStringLiteral("block share %1")
                                .arg(shareOfColour(image, blockRect, kOverlayColor))));
        QVERIFY(lightPixels(image, blockRect) >= 3);
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
        const QString sheet =
            readResource(QStringLiteral(":/qss/TevaroApp.qss")) + readResource(QStringLiteral(":/qss/TevaroApp_Desktop.qss"));
        QVERIFY(!sheet.isEmpty());
        qApp->setStyleSheet(sheet);
    }

    void statusEntries_data()
    {
        QTest::addColumn<int>("flags");
        QTest::addColumn<QStringList>("entries");
        QTest::newRow("none") << 0 << QStringList();
        QTest::newRow("negative") << -4 << QStringList();
        QTest::newRow("one") << 0x4 << QStringList{"LF4"};
        QTest::newRow("break and high") << 0x404 << QStringList{"LF4", "LF1024"};
        QTest::newRow("every defined bit") << 0x3FFF
                                           << QStringList{"LF1", "LF2", "LF4", "LF8", "LF16", "LF32",
                                                          "LF64", "LF128", "LF256", "LF512", "LF1024",
                                                          "LF2048", "LF4096", "LF8192"};
        QTest::newRow("top bit of an int") << 0x40000001 << QStringList{"LF1", "LF1073741824"};
    }

    void statusEntries()
    {
        QFETCH(int, flags);
        QFETCH(QStringList, entries);
        ZMeasureTextWidget text(false);
        text.setMeasureStatus(flags);
        QCOMPARE(text.property("measureStatus").toStringList(), entries);
        ZMeasureDisplayWidget display;
        display.setMeasureStatus(flags);
        QCOMPARE(display.property("measureStatus").toStringList(), entries);
    }

    void textWidgetLook_data() { addStatusRows(); }

    void textWidgetLook()
    {
        QFETCH(int, flags);
        QFETCH(QString, overlay);
        QFETCH(int, textInk);
        Host host;
        auto* widget = new ZMeasureTextWidget(false);
        widget->setMinimumSize(260, 40);
        widget->setMeasureValue(QStringLiteral("-1234.56"));
        widget->setMeasureUnit(QStringLiteral("°C"));
        host.layout->addWidget(widget);
        host.show();
        // A status set before and one after showing must look the same.
        checkStatusLook(widget, flags, overlay, Ink(textInk), 6.0);
        checkStatusLook(widget, 0, QString(), Ink::Black, 6.0);
        checkStatusLook(widget, flags, overlay, Ink(textInk), 6.0);
    }

    void scalableTextWidgetLook_data() { addStatusRows(); }

    void scalableTextWidgetLook()
    {
        QFETCH(int, flags);
        QFETCH(QString, overlay);
        QFETCH(int, textInk);
        Host host;
        auto* widget = new ZMeasureTextWidget(true);
        widget->setMinimumSize(300, 80);
        widget->setMeasureValue(QStringLiteral("21.53"));
        widget->setMeasureUnit(QStringLiteral("%rF"));
        host.layout->addWidget(widget);
        widget->setMeasureStatus(flags);
        host.show();
        QVERIFY(qobject_cast<ZScaleLabel*>(valueLabelOf(widget)));
        checkStatusLook(widget, flags, overlay, Ink(textInk), 6.0);
    }

    void displayWidgetLook_data() { addStatusRows(); }

    void displayWidgetLook()
    {
        QFETCH(int, flags);
        QFETCH(QString, overlay);
        QFETCH(int, displayInk);
        Host host;
        auto* widget = new ZMeasureDisplayWidget;
        widget->setMeasureValue(QStringLiteral("-1234.567"));
        widget->setMeasureUnit(QStringLiteral("°C"));
        widget->setFlags(0x801);
        host.layout->addWidget(widget);
        host.show();
        QCOMPARE(widget->getValueLabel()->size(), QSize(500, 120));
        checkStatusLook(widget, flags, overlay, Ink(displayInk), 12.0);
        checkStatusLook(widget, 0, QString(), Ink::Black, 12.0);
        checkStatusLook(widget, flags, overlay, Ink(displayInk), 12.0);
    }

    void displayValueKeepsItsFitThroughStatusChanges()
    {
        Host host;
        auto* widget = new ZMeasureDisplayWidget;
        host.layout->addWidget(widget);
        host.show();
        widget->setMeasureValue(QStringLiteral("-1234.567"));
        ZScaleLabel* value = widget->getValueLabel();
        const qreal fitted = value->font().pointSizeF();
        QVERIFY(fitted > 10.0);

        for (const int flags : {0x404, 0x800, 0x1, 0}) {
            widget->setMeasureStatus(flags);
            QCoreApplication::processEvents();
            QCOMPARE(value->font().pointSizeF(), fitted);
        }
        // The fitted value fits its 500 x 120 area.
        const QFontMetricsF metrics(value->font());
        QVERIFY(metrics.boundingRect(value->text()).width() <= value->contentsRect().width());
        QVERIFY(metrics.height() <= value->contentsRect().height() * 1.25);

        // A longer value is refitted at once, not on the next resize.
        widget->setMeasureValue(QStringLiteral("-1234567.890"));
        QVERIFY(value->font().pointSizeF() < fitted);
    }

    void emptyTextsHideTheirLabels()
    {
        Host host;
        auto* text = new ZMeasureTextWidget(false);
        auto* display = new ZMeasureDisplayWidget;
        host.layout->addWidget(text);
        host.layout->addWidget(display);
        host.show();
        auto* textValue = valueLabelOf(text);
        auto* textUnit = text->findChild<QLabel*>(QStringLiteral("ZMeasureTextUnit"));
        auto* displayUnit = display->findChild<QLabel*>(QStringLiteral("ZMeasureDisplayUnit"));
        QVERIFY(textValue && textUnit && displayUnit);

        // Both start shown.
        QVERIFY(textValue->isVisible() && textUnit->isVisible());
        QVERIFY(display->getValueLabel()->isVisible() && displayUnit->isVisible());
        QVERIFY(!overlayOf(text)->isVisible() && !overlayOf(display)->isVisible());

        text->setMeasureValue(QString());
        text->setMeasureUnit(QString());
        display->setMeasureValue(QString());
        display->setMeasureUnit(QString());
        QVERIFY(!textValue->isVisible() && !textUnit->isVisible());
        QVERIFY(!display->getValueLabel()->isVisible() && !displayUnit->isVisible());

        text->setMeasureValue(QStringLiteral("1.0"));
        display->setMeasureUnit(QStringLiteral("V"));
        QVERIFY(textValue->isVisible() && displayUnit->isVisible());
        QCOMPARE(text->property("measureValue").toString(), QStringLiteral("1.0"));
        QCOMPARE(display->property("measureUnit").toString(), QStringLiteral("V"));

        text->setMeasureOverlay(QStringLiteral("BREAK"));
        QVERIFY(overlayOf(text)->isVisible());
        text->setMeasureOverlay(QString());
        QVERIFY(!overlayOf(text)->isVisible());
    }

    void deviceTextIsShownAsPlainText()
    {
        Host host;
        auto* text = new ZMeasureTextWidget(false);
        host.layout->addWidget(text);
        host.show();
        const QString markup = QStringLiteral("<b>1</b><img src=\"x\">");
        text->setMeasureUnit(markup);
        auto* unit = text->findChild<QLabel*>(QStringLiteral("ZMeasureTextUnit"));
        // Shown as typed: as wide as the whole markup, not as one bold digit.
        QVERIFY(unit->sizeHint().width() >= QFontMetrics(unit->font()).horizontalAdvance(markup));
        text->setMeasureOverlay(markup);
        QVERIFY(overlayOf(text)->sizeHint().width()
                >= QFontMetrics(overlayOf(text)->font()).horizontalAdvance(markup));
    }

    void overlayFollowsALaterFontChange()
    {
        Host host;
        auto* text = new ZMeasureTextWidget(false);
        host.layout->addWidget(text);
        host.show();
        text->setMeasureStatus(0x80);
        ZAnimatedLabel* block = overlayOf(text);
        const QSize small = block->size();
        QCOMPARE(small, block->sizeHint());

        // Another parent rule brings a bigger font after the text was set.
        host.window.setStyleSheet(QStringLiteral("#measureHost { background-color: white; }"
                                                 " ZMeasureTextWidget #ZMeasureTextOverlay { font-size: 14pt; }"));
        QTRY_COMPARE(block->font().pointSizeF(), 14.0);
        QTRY_COMPARE(block->size(), block->sizeHint());
        QVERIFY(block->width() > small.width());
    }

    void flagsFillTheGridInBitOrder_data()
    {
        QTest::addColumn<int>("flags");
        QTest::addColumn<QStringList>("placed");
        QTest::newRow("none") << 0 << QStringList();
        QTest::newRow("negative") << -1 << QStringList();
        QTest::newRow("alarm and CP") << 0x21 << QStringList{"0,0:RF1", "0,1:RF32"};
        QTest::newRow("seven bits show six")
            << 0x7F << QStringList{"0,0:RF1", "0,1:RF2", "0,2:RF4", "1,0:RF8", "1,1:RF16", "1,2:RF32"};
        QTest::newRow("highest flag") << 0x10800 << QStringList{"0,0:RF2048", "0,1:RF65536"};
    }

    void flagsFillTheGridInBitOrder()
    {
        QFETCH(int, flags);
        QFETCH(QStringList, placed);
        ZMeasureDisplayWidget display;
        display.setFlags(flags);
        flushDeferredDeletes();
        auto* grid = display.findChild<ZFlagWidget*>(QStringLiteral("ZMeasureDisplayFlags"));
        QVERIFY(grid);
        QCOMPARE(iconNames(grid), placed);
        QCOMPARE(grid->findChildren<ZFlagIcon*>().size(), placed.size());

        display.clearFlags();
        flushDeferredDeletes();
        QCOMPARE(grid->flags(), QStringList());
        QCOMPARE(grid->findChildren<ZFlagIcon*>().size(), 0);
    }

    void flagGridRefusals_data()
    {
        QTest::addColumn<int>("rows");
        QTest::addColumn<int>("columns");
        QTest::addColumn<int>("filled");
        QTest::addColumn<int>("index");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("append") << 2 << 3 << 2 << 2 << true;
        QTest::newRow("insert at the front") << 2 << 3 << 2 << 0 << true;
        QTest::newRow("negative index") << 2 << 3 << 2 << -1 << false;
        QTest::newRow("index past the end") << 2 << 3 << 2 << 3 << false;
        QTest::newRow("full grid") << 2 << 3 << 6 << 6 << false;
        QTest::newRow("one by one, full") << 1 << 1 << 1 << 0 << false;
        QTest::newRow("no columns") << 2 << 0 << 0 << 0 << false;
    }

    void flagGridRefusals()
    {
        QFETCH(int, rows);
        QFETCH(int, columns);
        QFETCH(int, filled);
        QFETCH(int, index);
        QFETCH(bool, accepted);
        ZFlagWidget grid(rows, columns);
        for (int i = 0; i < filled; ++i)
            QVERIFY(grid.addFlag(i, QStringLiteral("RF%1").arg(1 << i)));
        QCOMPARE(grid.addFlag(index, QStringLiteral("RF4096")), accepted);
        QCOMPARE(grid.flags().size(), filled + (accepted ? 1 : 0));
        if (accepted)
            QCOMPARE(grid.flags().at(index), QStringLiteral("RF4096"));
        flushDeferredDeletes();
        QCOMPARE(grid.findChildren<ZFlagIcon*>().size(), grid.flags().size());
    }

    void flagIconShowsItsPicture_data()
    {
        QTest::addColumn<QString>("flagName");
        QTest::addColumn<QString>("picture");
        const char* const pictures[] = {"FlagAFAlarm", "FlagAFDiff", "FlagAFMax", "FlagAFMin",
                                        "FlagAFMittel", "FlagCP", "FlagCP_", "FlagCT", "FlagCT_",
                                        "FlagCTP", "FlagCTP_", "FlagCJ", "FlagDaempfung", "FlagKorr",
                                        "FlagMittel", "FlagREF", "FlagREL"};
        int bit = 1;
        for (const char* picture : pictures) {
            const QString name = QStringLiteral("RF%1").arg(bit);
            QTest::newRow(qPrintable(name))
                << name << QStringLiteral(":/pic/measureflags/%1.png").arg(QLatin1String(picture));
            bit <<= 1;
        }
        QTest::newRow("unknown flag") << QStringLiteral("RF3") << QString();
    }

    void flagIconShowsItsPicture()
    {
        QFETCH(QString, flagName);
        QFETCH(QString, picture);
        Host host;
        auto* icon = new ZFlagIcon(flagName);
        host.layout->addWidget(icon);
        host.show();
        QCOMPARE(icon->size(), QSize(26, 26));
        const QImage shown = icon->grab().toImage().convertToFormat(QImage::Format_ARGB32);
        if (picture.isEmpty()) {
            QCOMPARE(shown.pixelColor(13, 13), QColor(Qt::black));
            return;
        }
        const QImage expected = QImage(picture).convertToFormat(QImage::Format_ARGB32);
        QCOMPARE(expected.size(), QSize(26, 26));
        int compared = 0;
        for (int y = 0; y < 26; ++y)
            for (int x = 0; x < 26; ++x)
                if (qAlpha(expected.pixel(x, y)) == 255) {
                    QCOMPARE(shown.pixel(x, y), expected.pixel(x, y));
                    ++compared;
                }
        QVERIFY(compared > 100);

        // A flag renamed later changes its picture.
        icon->setFlagName(QStringLiteral("RF999"));
        QCOMPARE(icon->grab().toImage().pixelColor(13, 13), QColor(Qt::black));
    }

    // A showcase of every status in both widgets, flags, a radio group and a
    // widget header, with the application style sheets.
    void showcase()
    {
        QWidget page;
        page.setObjectName(QStringLiteral("showcasePage"));
        page.setStyleSheet(QStringLiteral("#showcasePage { background-color: rgb(204,205,204); }"));
        auto* grid = new QGridLayout(&page);
        grid->setSpacing(6);

        auto* textColumn = new QWidget;
        textColumn->setObjectName(QStringLiteral("textColumn"));
        textColumn->setStyleSheet(QStringLiteral("#textColumn { background-color: white; }"));
        auto* textLayout = new QGridLayout(textColumn);
        int row = 0;
        for (const StatusCase& c : kStatusCases) {
            if (c.flags < 0)
                continue;
            auto* caption = new QLabel(QString::fromLatin1(c.name));
            auto* plain = new ZMeasureTextWidget(false);
            plain->setFixedSize(170, 44);
            plain->setMeasureValue(QStringLiteral("21.53"));
            plain->setMeasureUnit(QStringLiteral("°C"));
            plain->setMeasureStatus(c.flags);
            auto* scaled = new ZMeasureTextWidget(true);
            scaled->setFixedSize(200, 60);
            scaled->setMeasureValue(QStringLiteral("-4.2"));
            scaled->setMeasureUnit(QStringLiteral("bar"));
            scaled->setMeasureStatus(c.flags);
            textLayout->addWidget(caption, row, 0);
            textLayout->addWidget(plain, row, 1);
            textLayout->addWidget(scaled, row, 2);
            ++row;
        }
        grid->addWidget(textColumn, 0, 0, 3, 1, Qt::AlignTop);

        auto* displayColumn = new QWidget;
        displayColumn->setObjectName(QStringLiteral("displayColumn"));
        displayColumn->setStyleSheet(QStringLiteral("#displayColumn { background-color: white; }"));
        auto* displayLayout = new QGridLayout(displayColumn);
        int index = 0;
        for (const StatusCase& c : kStatusCases) {
            if (c.flags < 0)
                continue;
            auto* display = new ZMeasureDisplayWidget;
            display->setMeasureValue(index % 2 ? QStringLiteral("-1234.567") : QStringLiteral("21.5"));
            display->setMeasureUnit(QStringLiteral("°C"));
            display->setFlags(index == 0 ? 0x7F : (1 << (index % 17)) | (index > 8 ? 0x800 : 0));
            display->setMeasureStatus(c.flags);
            displayLayout->addWidget(display, index / 2, index % 2);
            ++index;
        }
        grid->addWidget(displayColumn, 0, 1, 3, 1, Qt::AlignTop);

        auto* radios = new ZRadioGroup;
        radios->setFixedWidth(220);
        radios->addItem(QStringLiteral("Sensor offline behaviour: hold last value"));
        radios->addItem(QStringLiteral("Kanal aus"));
        radios->addItem(QStringLiteral("Kanal ein"));
        radios->setSelectedIndex(2);
        grid->addWidget(radios, 0, 2, Qt::AlignTop);

        auto* table = new QTableWidget(2, 3);
        table->setFixedSize(520, 200);
        table->verticalHeader()->hide();
        auto* combo = new ZComboBox;
        combo->addItems({QStringLiteral("Messwert"), QStringLiteral("Maximalwert")});
        QList<QWidget*> headerWidgets{new ZLabel(QStringLiteral("Messkanal")), combo, new ZCheckButton(true)};
        table->setHorizontalHeader(new ZHorizontalHeader(headerWidgets, table));
        table->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
        for (int r = 0; r < 2; ++r) {
            table->setRowHeight(r, 65);
            table->setItem(r, 0, new QTableWidgetItem(QStringLiteral("M0%1 Temperatur").arg(r + 1)));
            auto* cell = new ZMeasureTextWidget(false);
            cell->setMeasureValue(QStringLiteral("2%1.53").arg(r));
            cell->setMeasureUnit(QStringLiteral("°C"));
            cell->setMeasureStatus(r ? 0x480 : 0x800);
            table->setCellWidget(r, 1, cell);
        }
        grid->addWidget(table, 1, 2, Qt::AlignTop);

        page.show();
        QVERIFY(QTest::qWaitForWindowExposed(&page));
        QCoreApplication::processEvents();
        flushDeferredDeletes();
        const QImage shot = grabSolid(&page);
        QVERIFY(shot.width() > 1000);
        // Every status with a text shows its block: three widgets per status,
        // and the table's offline channel.
        int withText = 0;
        for (const StatusCase& c : kStatusCases)
            if (c.flags >= 0 && *c.overlay)
                ++withText;
        int blocks = 0;
        for (ZAnimatedLabel* block : page.findChildren<ZAnimatedLabel*>())
            if (block->isVisible())
                ++blocks;
        QCOMPARE(blocks, 3 * withText + 1);
        const QString target = qEnvironmentVariable("TEVARO_MEASURE_SHOWCASE");
        if (!target.isEmpty())
            QVERIFY(shot.save(target));
    }
};

QTEST_MAIN(TestZMeasureWidgets)
#include "tst_zmeasurewidgets.moc"
