// The pictures the widgets and screens load by name: every one is in the
// resources, at the size its place needs, and the animations animate.
// The pictures the sheets name are checked with the sheets.
#include "widgets/TevaroResources.h"

#include <QImageReader>
#include <QtTest>

class TestPictures : public QObject
{
    Q_OBJECT

private slots:
    void picturesAreThere()
    {
        ensureTevaroResources();
        // %1 stands for each of the variants.
        const struct { const char* pattern; QStringList variants; int width, height; bool animated; } groups[] = {
            {":/pic/icon/%1_checkbox.png", {"checked", "unchecked", "tristate"}, 26, 26, false},
            {":pic/icon/%1_checkbox.png", {"checked"}, 26, 26, false}, // the check button's relative name
            // The user-menu templates are shown at 50 x 35; their names give it the other way round.
            {":/pic/icon/icon_usermenu_schablone1_grau_35x50.png", {""}, 50, 35, false},
            {":/pic/logger/icon_ringspeicher_%1.gif", {"inaktiv_31x31_01", "inaktiv_31x31_02", "aktiv_31x31_01", "aktiv_31x31_02"}, 31, 31, true},
            {":/pic/logger/icon_rinspeicher_%1_195x195.gif", {"inaktiv", "aktiv"}, 195, 195, true},
            {":/pic/logger/icon_messung_inaktiv_195x195.png", {""}, 195, 195, false},
            {":/pic/logger/icon_%1", {"logger_31x31_white_green.bmp", "logger_31x31_green_white.bmp", "logger_31x31_white_grey.png",
                                      "ausgabe_31x31_white_grey.bmp", "ausgabe_31x31_green_white.bmp"}, 31, 31, false},
            {":/pic/icon/icon_%1.bmp", {"anzeige_31x31_green_darkwhite", "anzeige_31x31_white_green",
                                        "einstellungen_31x31_green_darkwhite", "einstellungen_31x31_white_green",
                                        "fuehler_31x31_green_white", "fuehler_31x31_white_green",
                                        "messliste_31x31_white_grey", "messliste_31x31_green_white",
                                        "messwert_31x31_white_grey", "messwert_31x31_green_white",
                                        "linien_31x31_white_grey", "linien_31x31_green_white",
                                        "usermen_31x31_white_grey", "usermen_31x31_green_white"}, 31, 31, false},
            {":/pic/icon/icon_wifi_64x64.png", {""}, 64, 64, false},
            {":/pic/icon/icon_%1.png", {"fuehler_320x320_green_lightgrey_home_round", "anzeige_320x320_green_darkgrey_home_round",
                                        "logger_320x320_green_lightgrey_home_round", "einstellungen_320x320_darkgrey_grey_home",
                                        "logout_320x320_darkgrey_grey_home", "usermanagement_320x320",
                                        "usermanagement_320x320_inaktiv"}, 320, 320, false},
            {":/pic/config/Icon_%1.png", {"1", "2", "3", "4", "5", "6", "7", "8", "9", "10"}, 48, 48, false},
        };
        for (const auto& group : groups)
            for (const QString& variant : group.variants) {
                const QString name = QString::fromLatin1(group.pattern).replace("%1", variant);
                QImageReader reader(name);
                const QImage first = reader.read();
                QVERIFY2(first.size() == QSize(group.width, group.height), qPrintable(name + ": " + reader.errorString()));
                if (!group.animated)
                    continue;
                QVERIFY2(reader.supportsAnimation() && reader.loopCount() == -1, qPrintable(name)); // for ever
                bool differs = false;
                for (QImage next; reader.read(&next);)
                    differs = differs || next != first;
                QVERIFY2(differs, qPrintable(name));
            }
    }
};

QTEST_MAIN(TestPictures)
#include "tst_pictures.moc"
