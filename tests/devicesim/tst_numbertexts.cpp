// The simulator reads and writes number texts with a decimal point under a
// German LC_NUMERIC too. Its own program never calls setlocale, so the
// German-locale suite run would not notice a number going through the C
// library's locale there; this test sets the locale itself.
#include "InputLimits.h"
#include "ValueForm.h"

#include <QtTest>

#include <clocale>
#include <string>

class TestNumberTexts : public QObject
{
    Q_OBJECT

    std::string numericBefore;

private slots:
    void initTestCase()
    {
        numericBefore = std::setlocale(LC_NUMERIC, nullptr);
        QVERIFY2(std::setlocale(LC_NUMERIC, "de_DE.UTF-8"),
                 "the locale de_DE.UTF-8 is missing; scripts/install-deps.sh generates it");
        QCOMPARE(std::localeconv()->decimal_point, ",");
    }

    void cleanupTestCase() { std::setlocale(LC_NUMERIC, numericBefore.c_str()); }

    // Texts are read with a point only; what the simulator writes reads back.
    void numberTextsHaveADecimalPoint()
    {
        const auto read = [](const Json::Value& text) {
            double number = 0;
            return devicesim::InputLimits::toNumber(text, number) ? number : qQNaN();
        };
        QCOMPARE(read("12.3"), 12.3);
        QCOMPARE(read(" -0.25 "), -0.25);
        QVERIFY(qIsNaN(read("12,3")));
        QVERIFY(qIsNaN(read("  ")));

        const auto write = [](double number, int decimals) {
            return devicesim::inFormOf(Json::Value("0.00"), number, decimals);
        };
        QCOMPARE(QString::fromStdString(write(78.416, 2).asString()), QStringLiteral("78.42"));
        QCOMPARE(QString::fromStdString(write(-7.25, 1).asString()), QStringLiteral("-7.3"));
        QCOMPARE(read(write(-7.25, 1)), -7.3);
    }
};

QTEST_GUILESS_MAIN(TestNumberTexts)
#include "tst_numbertexts.moc"
