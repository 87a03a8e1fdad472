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
    // The sheets name more pictures; their loading is checked with the sheets.
    // The user-menu templates are shown at 50 x 35; their names give it the other way round.
    add(":/pic/icon/icon_usermenu_schablone1_grau_35x50.png", {50, 35});
    for (const char* state : {"inaktiv", "aktiv"})
        for (const char* variant : {"01", "02"})
            add(QString(":/pic/logger/icon_ringspeicher_%1_31x31_%2.gif").arg(state).arg(variant),
                {31, 31}, true);

    // The screens load the rest by name, in code and designer forms.
    for (const char* colours : {"white_green", "green_white"})
        add(QString(":/pic/logger/icon_logger_31x31_%1.bmp").arg(colours), {31, 31});
    // The logger screen: its memory states and the icons of its two tabs.
    add(":/pic/logger/icon_messung_inaktiv_195x195.png", {195, 195});
    for (const char* state : {"inaktiv", "aktiv"})
        add(QString(":/pic/logger/icon_rinspeicher_%1_195x195.gif").arg(state), {195, 195}, true);
    add(":/pic/logger/icon_logger_31x31_white_grey.png", {31, 31});
    for (const char* colours : {"white_grey", "green_white"})
        add(QString(":/pic/logger/icon_ausgabe_31x31_%1.bmp").arg(colours), {31, 31});
    for (const char* side : {"anzeige_31x31_green_darkwhite", "anzeige_31x31_white_green",
                             "einstellungen_31x31_green_darkwhite", "einstellungen_31x31_white_green",
                             "fuehler_31x31_green_white", "fuehler_31x31_white_green"})
        add(QString(":/pic/icon/icon_%1.bmp").arg(side), {31, 31});
    for (const char* tab : {"messliste", "messwert", "linien", "usermen"})
        for (const char* colours : {"white_grey", "green_white"})
            add(QString(":/pic/icon/icon_%1_31x31_%2.bmp").arg(tab).arg(colours), {31, 31});
    add(":/pic/icon/icon_wifi_64x64.png", {64, 64});
    for (const char* home : {"fuehler_320x320_green_lightgrey_home_round",
                             "anzeige_320x320_green_darkgrey_home_round",
                             "logger_320x320_green_lightgrey_home_round",
                             "einstellungen_320x320_darkgrey_grey_home", "logout_320x320_darkgrey_grey_home",
                             "usermanagement_320x320", "usermanagement_320x320_inaktiv"})
        add(QString(":/pic/icon/icon_%1.png").arg(home), {320, 320});
    for (int group = 1; group <= 10; ++group)
        add(QString(":/pic/config/Icon_%1.png").arg(group), {48, 48});
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
