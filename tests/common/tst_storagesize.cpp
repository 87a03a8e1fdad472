// Storage sizes converted between the units the instrument uses.
#include "common/StorageSize.h"

#include <QtTest>

class TestStorageSize : public QObject
{
    Q_OBJECT

private slots:
    void convertsInStepsOf1024()
    {
        double result = -1.0;
        QVERIFY(StorageSize::convert(1.0, "TB", "B", result));
        QCOMPARE(result, 1099511627776.0);
        // Any letter case: "Mb" and "kB" as the instrument writes them.
        QVERIFY(StorageSize::convert(3.0, "Mb", "kB", result));
        QCOMPARE(result, 3072.0);
        QVERIFY(StorageSize::convert(512.0, "MB", "GB", result));
        QCOMPARE(result, 0.5);
        // Unknown units are refused and leave the result alone...
        QVERIFY(!StorageSize::convert(1.0, "GB", "Blöcke", result));
        QVERIFY(!StorageSize::convert(1.0, "", "MB", result));
        QCOMPARE(result, 0.5);
        // ...but equal texts compare as they are, even when unknown.
        QVERIFY(StorageSize::convert(7.0, "Seiten", "Seiten", result));
        QCOMPARE(result, 7.0);
        double bytes = 0.0;
        QVERIFY(!StorageSize::bytesPerUnit("PB", bytes));
        QVERIFY(StorageSize::bytesPerUnit(" kb ", bytes));
        QCOMPARE(bytes, 1024.0);
    }
};

QTEST_MAIN(TestStorageSize)
#include "tst_storagesize.moc"
