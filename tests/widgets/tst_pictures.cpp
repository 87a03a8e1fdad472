// The pictures of the widgets and style sheets: every name is in the
// resources, at the size its place needs, and the animations animate.
#include "widgets/TevaroResources.h"

#include <QImageReader>
#include <QtTest>

class TestPictures : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void pictureIsThere_data();
    void pictureIsThere();
};

void TestPictures::initTestCase()
{
    ensureTevaroResources();
}

void TestPictures::pictureIsThere_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<bool>("animated");

    const auto add = [](const QString& name, QSize size, bool animated = false) {
        QTest::newRow(qPrintable(name)) << name << size << animated;
    };
    for (const char* state : {"checked", "unchecked", "tristate"})
        add(QString(":/pic/icon/%1_checkbox.png").arg(state), {26, 26});
    // The check button loads its pictures by the relative resource name.
    add(":pic/icon/checked_checkbox.png", {26, 26});
    // The sheets name the rest; their loading is checked with the sheets. The
    // user-menu templates are shown at 50 x 35; their names give it the other way round.
    add(":/pic/icon/icon_usermenu_schablone1_grau_35x50.png", {50, 35});
    for (const char* state : {"inaktiv", "aktiv"})
        for (const char* variant : {"01", "02"})
            add(QString(":/pic/logger/icon_ringspeicher_%1_31x31_%2.gif").arg(state).arg(variant),
                {31, 31}, true);
}

void TestPictures::pictureIsThere()
{
    QFETCH(QString, name);
    QFETCH(QSize, size);
    QFETCH(bool, animated);

    QImageReader reader(name);
    const QImage first = reader.read();
    QVERIFY2(!first.isNull(), qPrintable(reader.errorString()));
    QCOMPARE(first.size(), size);
    if (!animated)
        return;

    QVERIFY(reader.supportsAnimation());
    QCOMPARE(reader.loopCount(), -1); // for ever
    QVERIFY(reader.nextImageDelay() > 0);
    QImage next;
    bool differs = false;
    while (reader.read(&next))
        differs = differs || next != first;
    QVERIFY(differs);
}

QTEST_MAIN(TestPictures)
#include "tst_pictures.moc"
