// The chart's time axis: however wide the range and whatever the tick count,
// never more labels than the count and never two neighbours alike.
#include "widgets/ChartTimeTicker.h"

#include <QtTest>

class TestChartTimeTicker : public QObject
{
    Q_OBJECT

private slots:
    void labelsNeverRunTogether_data()
    {
        QTest::addColumn<QString>("format");
        QTest::addColumn<double>("shortest");
        QTest::addColumn<double>("longest");
        QTest::newRow("time") << QStringLiteral("hh:mm:ss") << 0.5 << 0.9 * 86400;   // a day or more needs the date
        QTest::newRow("milliseconds") << QStringLiteral("hh:mm:ss.zzz") << 0.05 << 3600.0;
        QTest::newRow("date") << QStringLiteral("dd.MM.yyyy") << 3600.0 << 800.0 * 86400;
    }

    void labelsNeverRunTogether()
    {
        QFETCH(QString, format);
        QFETCH(double, shortest);
        QFETCH(double, longest);
        ChartTimeTicker ticker;
        ticker.setDateTimeFormat(format);
        const double start = 1765000000.25;   // a December afternoon, off any whole step
        int checked = 0;
        for (int count = 1; count <= 14; ++count) {
            ticker.setTickCount(count);
            for (double span = shortest; span <= longest; span *= 1.13) {
                QVector<double> ticks;
                QVector<QString> labels;
                ticker.generate(QCPRange(start, start + span), QLocale(), QLatin1Char('g'), 6, ticks, nullptr, &labels);
                const QString where = QStringLiteral("count %1, span %2 s: %3")
                                          .arg(count).arg(span).arg(QStringList(labels.toList()).join(QLatin1Char(' ')));
                QVERIFY2(labels.size() <= count, qPrintable(where));
                for (int i = 1; i < labels.size(); ++i)
                    QVERIFY2(labels[i] != labels[i - 1], qPrintable(where));
                ++checked;
            }
        }
        QVERIFY(checked > 500);
    }
};

QTEST_MAIN(TestChartTimeTicker)
#include "tst_charttimeticker.moc"
