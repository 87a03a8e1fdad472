// The labels: ZLabel elides, ZClickLabel debounces presses, ZScaleLabel fits
// its font to its size (and keeps the fit when a style sheet sets a font).
#include "widgets/Repolish.h"
#include "widgets/ZClickLabel.h"
#include "widgets/ZLabel.h"
#include "widgets/ZScaleLabel.h"

#include <QFontMetricsF>
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

qreal textWidth(const QFont& font, const QString& text)
{
    return QFontMetricsF(font).boundingRect(text).width();
}

} // namespace

class TestZLabels : public QObject
{
    Q_OBJECT

private slots:
    void labelElidesOnlyWhenTooWide()
    {
        ZLabel label(QStringLiteral("M01 Temperatur Kessel Vorlauf"));
        label.setContentsMargins(0, 0, 0, 0);
        label.resize(1000, 30);
        QCOMPARE(label.displayedText(), label.text());
        label.resize(80, 30);
        const QString shown = label.displayedText();
        QVERIFY(shown.endsWith(QChar(0x2026)) && label.text().startsWith(shown.chopped(1)));
        QVERIFY(label.fontMetrics().horizontalAdvance(shown) <= 80);
    }

    // Presses 100 ms apart are one click; a swallowed press does not restart the wait.
    void clickLabelDebounces()
    {
        QWidget parent;
        auto* label = new ClockedClickLabel;
        label->setParent(&parent);
        label->setGeometry(0, 0, 100, 40);
        parent.show();
        QVERIFY(QTest::qWaitForWindowExposed(&parent));
        QSignalSpy spy(label, &ZClickLabel::clicked);
        for (qint64 t : {1000, 1060, 1100, 1101}) {
            label->now = t;
            QTest::mouseClick(label, Qt::LeftButton);
        }
        QCOMPARE(spy.count(), 2);
    }

    void scaleLabelFitsTextAndSize()
    {
        QCOMPARE(ZScaleLabel::fitPointSize({40, 100}, {50, 1.2}), 1.0); // too narrow stays 1
        QCOMPARE(ZScaleLabel::fitPointSize({508, 100}, {0, 1.2}), 1.0); // no text width
        ZScaleLabel label;
        label.setContentsMargins(0, 0, 0, 0);
        label.resize(508, 100);
        label.setText(QStringLiteral("1"));
        const qreal oneDigit = label.font().pointSizeF();
        // The fit uses the new text, not the previous one.
        label.setText(QStringLiteral("-1234.567"));
        QVERIFY(label.font().pointSizeF() < oneDigit);
        // A connection by signature reaches the fitting setter, not QLabel's.
        QVERIFY(QMetaObject::invokeMethod(&label, "setText", Q_ARG(QString, QStringLiteral("7"))));
        QCOMPARE(label.font().pointSizeF(), oneDigit);
        label.setText(QStringLiteral("-1234.567"));
        const qreal width = textWidth(label.font(), label.text());
        QVERIFY2(width <= 508.0 && width >= 490.0, qPrintable(QString::number(width)));
        label.show();
        QVERIFY(QTest::qWaitForWindowExposed(&label));
        // Height-bound: 40 px high gives 40 / 1.25 = 32 points.
        label.resize(2000, 40);
        QCOMPARE(label.font().pointSizeF(), 32.0);
    }

    // A sheet may restyle the value and re-polish it on every status change;
    // the fitted size stays.
    void styleSheetDoesNotUndoFit()
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
        QVERIFY(label->font().bold() && fitted > 20.0);
        repolish(label);
        QCOMPARE(label->font().pointSizeF(), fitted);

        // Dropping the bold rule makes the text narrower: refitted, larger.
        page.setStyleSheet("#wgtMeasureDisplayMainValue ZScaleLabel { color: blue; }");
        QVERIFY(!label->font().bold());
        QVERIFY(label->font().pointSizeF() > fitted);
        QVERIFY(textWidth(label->font(), label->text()) <= 508.0);
    }
};

QTEST_MAIN(TestZLabels)
#include "tst_zlabels.moc"
