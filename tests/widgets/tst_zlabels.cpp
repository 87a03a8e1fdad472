// The labels: ZLabel elides, ZClickLabel debounces presses, ZScaleLabel fits
// its font to its size (and keeps the fit when a style sheet sets a font size).
#include "widgets/Repolish.h"
#include "widgets/ZClickLabel.h"
#include "widgets/ZLabel.h"
#include "widgets/ZScaleLabel.h"

#include <QFontMetricsF>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QtTest>

namespace {

// A click label on a clock the test sets.
class ClockedClickLabel : public ZClickLabel
{
public:
    qint64 now = 0;

protected:
    qint64 currentTimeMs() const override { return now; }
};

class PressRecorder : public QWidget
{
public:
    int presses = 0;

protected:
    void mousePressEvent(QMouseEvent* event) override
    {
        ++presses;
        QWidget::mousePressEvent(event);
    }
};

// Columns that hold ink (pixels darker than the background).
QPair<int, int> inkColumns(const QImage& image)
{
    int first = -1;
    int last = -1;
    for (int x = 0; x < image.width(); ++x)
        for (int y = 0; y < image.height(); ++y)
            if (qGray(image.pixel(x, y)) < 128) {
                if (first < 0)
                    first = x;
                last = x;
                break;
            }
    return {first, last};
}

qreal textWidth(const QFont& font, const QString& text)
{
    return QFontMetricsF(font).boundingRect(text).width();
}

} // namespace

class TestZLabels : public QObject
{
    Q_OBJECT

private slots:
    void labelElidesOnlyWhenTooWide();
    void labelPaintsInContentsWithAlignment_data();
    void labelPaintsInContentsWithAlignment();
    void clickLabelDebounces_data();
    void clickLabelDebounces();
    void clickLabelConsumesPress();
    void clickLabelWithRealClock();
    void fitPointSize_data();
    void fitPointSize();
    void scaleLabelFitsNewTextIntoWidth();
    void scaleLabelRefitsOnResize();
    void scaleLabelEdgeCases();
    void styleSheetDoesNotUndoFit();
    void scaleLabelIsClickLabel();
};

void TestZLabels::labelElidesOnlyWhenTooWide()
{
    ZLabel label(QStringLiteral("M01 Temperatur Kessel Vorlauf"));
    label.setContentsMargins(0, 0, 0, 0);
    label.resize(1000, 30);
    QCOMPARE(label.displayedText(), label.text());

    label.resize(80, 30);
    const QString shown = label.displayedText();
    QVERIFY(shown.endsWith(QChar(0x2026)));
    QVERIFY(label.text().startsWith(shown.chopped(1)));
    QVERIFY(label.fontMetrics().horizontalAdvance(shown) <= 80);
}

void TestZLabels::labelPaintsInContentsWithAlignment_data()
{
    QTest::addColumn<int>("alignment");
    QTest::addColumn<bool>("atLeft");
    QTest::newRow("left") << int(Qt::AlignLeft | Qt::AlignVCenter) << true;
    QTest::newRow("right") << int(Qt::AlignRight | Qt::AlignVCenter) << false;
}

void TestZLabels::labelPaintsInContentsWithAlignment()
{
    QFETCH(int, alignment);
    QFETCH(bool, atLeft);

    QWidget page;
    page.setStyleSheet("background-color: white; color: black;");
    ZLabel label(QStringLiteral("Messwertanzeige Messwertanzeige Messwertanzeige"), &page);
    label.setAlignment(Qt::Alignment(alignment));
    label.setContentsMargins(20, 0, 20, 0);
    label.setGeometry(0, 0, 200, 40);
    page.resize(200, 40);
    page.show();
    QVERIFY(QTest::qWaitForWindowExposed(&page));

    const QImage image = label.grab().toImage();
    const QPair<int, int> ink = inkColumns(image);
    QVERIFY(ink.first >= 20);
    QVERIFY(ink.second < 180);
    // The elided text fills the contents width; alignment decides where it sits.
    if (atLeft)
        QVERIFY(ink.first < 24);
    else
        QVERIFY(ink.second > 174);

    ZLabel shortLabel(QStringLiteral("Kanal"), &page);
    shortLabel.setAlignment(Qt::Alignment(alignment));
    shortLabel.setGeometry(0, 0, 200, 40);
    shortLabel.show();
    const QPair<int, int> shortInk = inkColumns(shortLabel.grab().toImage());
    QVERIFY(atLeft ? shortInk.second < 100 : shortInk.first > 100);
}

void TestZLabels::clickLabelDebounces_data()
{
    QTest::addColumn<QList<qint64>>("pressTimes");
    QTest::addColumn<int>("clicks");
    QTest::newRow("one press") << QList<qint64>{1000} << 1;
    QTest::newRow("50 ms apart") << QList<qint64>{1000, 1050} << 1;
    QTest::newRow("150 ms apart") << QList<qint64>{1000, 1150} << 2;
    QTest::newRow("exactly 100 ms") << QList<qint64>{1000, 1100} << 1;
    QTest::newRow("101 ms") << QList<qint64>{1000, 1101} << 2;
    // A swallowed press does not restart the wait.
    QTest::newRow("bounce then press") << QList<qint64>{1000, 1060, 1120} << 2;
    QTest::newRow("burst") << QList<qint64>{1000, 1020, 1040, 1060, 1080, 1100} << 1;
}

void TestZLabels::clickLabelDebounces()
{
    QFETCH(QList<qint64>, pressTimes);
    QFETCH(int, clicks);

    ClockedClickLabel label;
    label.resize(100, 40);
    label.show();
    QVERIFY(QTest::qWaitForWindowExposed(&label));
    QSignalSpy spy(&label, &ZClickLabel::clicked);
    for (qint64 t : pressTimes) {
        label.now = t;
        QTest::mousePress(&label, Qt::LeftButton);
        QTest::mouseRelease(&label, Qt::LeftButton);
    }
    QCOMPARE(spy.count(), clicks);
}

void TestZLabels::clickLabelConsumesPress()
{
    PressRecorder parent;
    parent.resize(200, 100);
    auto* label = new ClockedClickLabel;
    label->setParent(&parent);
    label->setGeometry(0, 0, 100, 40);
    parent.show();
    QVERIFY(QTest::qWaitForWindowExposed(&parent));
    QCOMPARE(label->objectName(), QStringLiteral("ZClickLabel"));

    label->now = 5000;
    QTest::mousePress(label, Qt::LeftButton);
    label->now = 5010; // swallowed, and still not passed on
    QTest::mousePress(label, Qt::LeftButton);
    QCOMPARE(parent.presses, 0);

    QTest::mousePress(&parent, Qt::LeftButton, {}, QPoint(150, 80));
    QCOMPARE(parent.presses, 1);
}

void TestZLabels::clickLabelWithRealClock()
{
    ZClickLabel label;
    label.resize(100, 40);
    label.show();
    QVERIFY(QTest::qWaitForWindowExposed(&label));
    QSignalSpy spy(&label, &ZClickLabel::clicked);
    QTest::mouseClick(&label, Qt::LeftButton);
    QCOMPARE(spy.count(), 1);
}

void TestZLabels::fitPointSize_data()
{
    QTest::addColumn<QSizeF>("contents");
    QTest::addColumn<QSizeF>("text");
    QTest::addColumn<qreal>("points");
    QTest::newRow("width decides") << QSizeF(508, 100) << QSizeF(50, 1.2) << 10.0;
    QTest::newRow("height decides") << QSizeF(1008, 50) << QSizeF(10, 1.2) << 40.0;
    QTest::newRow("fractional") << QSizeF(108, 100) << QSizeF(40, 1.2) << 2.5;
    QTest::newRow("too narrow stays 1") << QSizeF(40, 100) << QSizeF(50, 1.2) << 1.0;
    QTest::newRow("too low stays 1") << QSizeF(508, 1) << QSizeF(50, 1.2) << 1.0;
    QTest::newRow("narrower than reserve") << QSizeF(6, 100) << QSizeF(50, 1.2) << 1.0;
    QTest::newRow("no text width") << QSizeF(508, 100) << QSizeF(0, 1.2) << 1.0;
    QTest::newRow("no text height") << QSizeF(508, 100) << QSizeF(50, 0) << 1.0;
}

void TestZLabels::fitPointSize()
{
    QFETCH(QSizeF, contents);
    QFETCH(QSizeF, text);
    QFETCH(qreal, points);
    QCOMPARE(ZScaleLabel::fitPointSize(contents, text), points);
}

void TestZLabels::scaleLabelFitsNewTextIntoWidth()
{
    ZScaleLabel label;
    label.setContentsMargins(0, 0, 0, 0);
    label.resize(508, 100);

    label.setText(QStringLiteral("1"));
    const qreal oneDigit = label.font().pointSizeF();
    // The text is that of the call, not the previous one.
    label.setText(QStringLiteral("-1234.567"));
    QCOMPARE(label.text(), QStringLiteral("-1234.567"));
    QVERIFY(label.font().pointSizeF() < oneDigit);

    // A connection by signature reaches the fitting setter, not QLabel's.
    QVERIFY(QMetaObject::invokeMethod(&label, "setText", Q_ARG(QString, QStringLiteral("7"))));
    QCOMPARE(label.font().pointSizeF(), oneDigit);
    label.setText(QStringLiteral("-1234.567"));

    // Width-bound: the text fills the width less the reserve; the reserve takes
    // up the rounding of hinted glyphs, so nothing is clipped.
    const qreal width = textWidth(label.font(), label.text());
    QVERIFY2(width <= 508.0, qPrintable(QString::number(width)));
    QVERIFY2(width >= 490.0, qPrintable(QString::number(width)));
}

void TestZLabels::scaleLabelRefitsOnResize()
{
    ZScaleLabel label;
    label.setContentsMargins(0, 0, 0, 0);
    label.resize(508, 400);
    label.show();
    QVERIFY(QTest::qWaitForWindowExposed(&label));
    label.setText(QStringLiteral("21.53"));
    const qreal wide = label.font().pointSizeF();

    label.resize(258, 400);
    const qreal narrow = label.font().pointSizeF();
    QVERIFY(narrow < wide);
    QVERIFY(textWidth(label.font(), label.text()) <= 258.0);

    // Height-bound: 40 px high gives 40 / 1.25 = 32 points.
    label.resize(2000, 40);
    QCOMPARE(label.font().pointSizeF(), 32.0);
}

void TestZLabels::scaleLabelEdgeCases()
{
    ZScaleLabel label;
    label.setContentsMargins(0, 0, 0, 0);
    label.resize(508, 100);
    label.setText(QString());
    QCOMPARE(label.font().pointSizeF(), 1.0);

    label.resize(20, 10);
    label.setText(QStringLiteral("SENSOR OFFLINE 1234567890"));
    QCOMPARE(label.font().pointSizeF(), 1.0);
}

// A sheet may restyle the value (weight, family) and re-polish it on every status
// change; the fitted size stays.
void TestZLabels::styleSheetDoesNotUndoFit()
{
    QWidget page;
    page.setObjectName("wgtMeasureDisplayMainValue");
    page.setStyleSheet("#wgtMeasureDisplayMainValue ZScaleLabel { font-weight: bold; color: red; }");
    auto* label = new ZScaleLabel(&page);
    label->setContentsMargins(0, 0, 0, 0);
    label->setGeometry(0, 0, 508, 120);
    page.resize(600, 200);
    page.show();
    QVERIFY(QTest::qWaitForWindowExposed(&page));

    label->setText(QStringLiteral("-1234.567"));
    const qreal fitted = label->font().pointSizeF();
    QVERIFY(label->font().bold());
    QVERIFY(fitted > 20.0);
    QVERIFY(textWidth(label->font(), label->text()) <= 508.0);

    // What a status change does to the value label.
    repolish(label);
    QCOMPARE(label->font().pointSizeF(), fitted);

    // Dropping the bold rule makes the text narrower: refitted, larger.
    page.setStyleSheet("#wgtMeasureDisplayMainValue ZScaleLabel { color: blue; }");
    QVERIFY(!label->font().bold());
    QVERIFY(label->font().pointSizeF() > fitted);
    QVERIFY(textWidth(label->font(), label->text()) <= 508.0);
}

void TestZLabels::scaleLabelIsClickLabel()
{
    ZScaleLabel label;
    label.resize(100, 40);
    label.show();
    QVERIFY(QTest::qWaitForWindowExposed(&label));
    QCOMPARE(label.objectName(), QStringLiteral("ZClickLabel"));
    QSignalSpy spy(&label, &ZClickLabel::clicked);
    QTest::mouseClick(&label, Qt::LeftButton);
    QCOMPARE(spy.count(), 1);
}

QTEST_MAIN(TestZLabels)
#include "tst_zlabels.moc"
