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
    add(":/pic/icon/ico_radio_unchecked.png", {24, 42});
    add(":/pic/icon/ico_radio_checked.png", {24, 42});
    add(":/pic/icon/arrow_left.png", {48, 48});
    add(":/pic/icon/arrow_right.png", {48, 48});
    add(":/pic/icon/arrow_up.png", {24, 24});
    add(":/pic/icon/arrow_down.png", {24, 24});
    add(":/pic/icon/calendar_24.png", {24, 24});
    // The user-menu templates are shown at an icon size of 50 x 35 (width x
    // height); their names give the two the other way round.
    for (int t = 1; t <= 3; ++t)
        for (const char* colour : {"grau", "gruen"})
            add(QString(":/pic/icon/icon_usermenu_schablone%1_%2_35x50.png").arg(t).arg(colour),
                {50, 35});
    for (const char* flag :
         {"FlagAFAlarm", "FlagAFDiff", "FlagAFMax", "FlagAFMin", "FlagAFMittel", "FlagCP", "FlagCP_",
          "FlagCT", "FlagCT_", "FlagCTP", "FlagCTP_", "FlagCJ", "FlagDaempfung", "FlagKorr",
          "FlagMittel", "FlagREF", "FlagREL"})
        add(QString(":/pic/measureflags/%1.png").arg(flag), {26, 26});
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
