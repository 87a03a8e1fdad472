// The application style sheets and pictures: the sheets load without
// complaint, point at pictures that exist and give the widgets their colours;
// the pictures widgets and screens load by name are there at the size their
// place needs, and the animations animate.
#include "../common/LogCapture.h"
#include "AppStyleSheet.h"
#include "Screenshot.h"
#include "widgets/Repolish.h"
#include "widgets/ZCheckButton.h"
#include "widgets/ZComboBox.h"
#include "widgets/ZDateEdit.h"
#include "widgets/ZDialog.h"
#include "widgets/ZScaleLabel.h"
#include "widgets/ZStylableWidget.h"
#include "widgets/ZTabWidget.h"
#include "widgets/ZTimeEdit.h"

#include <QAbstractItemView>
#include <QBoxLayout>
#include <QImageReader>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QToolButton>
#include <QtTest>

namespace {

// Messages that say something about the sheets or the pictures they name.
QStringList styleComplaints(const LogCapture& log)
{
    static const QRegularExpression about("parse|stylesheet|style sheet|property|QPixmap|QImage|Cannot open|Could not|QFont",
                                          QRegularExpression::CaseInsensitiveOption);
    return log.messages().filter(about);
}

bool near(const QColor& got, const QColor& expected)
{
    return qAbs(got.red() - expected.red()) <= 2 && qAbs(got.green() - expected.green()) <= 2
           && qAbs(got.blue() - expected.blue()) <= 2;
}

#define COMPARE_COLOUR(got, expected)                                                              \
    QVERIFY2(near((got), (expected)), qPrintable(QColor(got).name() + " instead of " + QColor(expected).name()))

template <typename W>
W* named(W* widget, const char* name)
{
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

} // namespace

class TestStyleSheets : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        log.reset(new LogCapture);
        sheet = useApplicationStyleSheet();
        QVERIFY(styleComplaints(*log).isEmpty());
    }
    void cleanupTestCase() { log.reset(); }

    void picturesNamedBySheetsExist()
    {
        static const QRegularExpression comment("/\\*.*?\\*/", QRegularExpression::DotMatchesEverythingOption);
        static const QRegularExpression url("url\\(([^)]*)\\)");
        auto it = url.globalMatch(QString(sheet).remove(comment));
        int count = 0;
        for (; it.hasNext(); ++count) {
            const QString name = it.next().captured(1).trimmed();
            QVERIFY2(name.startsWith(":/") && !QImage(name).isNull(), qPrintable(name + " is missing"));
        }
        QCOMPARE(count, 30);   // 2 radio, 4 arrows, the calendar, 17 flags, 6 templates
    }

    void picturesLoadedByNameExist()
    {
        // %1 stands for each of the variants.
        const struct { const char* pattern; QStringList variants; int width, height; bool animated; } groups[] = {
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

    void showcaseRendersWithoutComplaints()
    {
        log->clear();
        QWidget window;
        window.resize(1280, 800);
        auto* rows = new QVBoxLayout(&window);
        auto* header = named(new QWidget, "wgtDataHeader");
        header->setFixedHeight(60);
        auto* chart = named(new QToolButton(header), "tbtnDataHeadChart");
        chart->setGeometry(0, 0, 52, 52);
        rows->addWidget(header);
        auto* body = named(new ZStylableWidget, "stackedWidgetLogger");
        auto* side = new QVBoxLayout(body);
        auto* tabs = named(new ZTabWidget, "tabwgtDisplay");
        auto* value = new ZScaleLabel;
        tabs->addTab(value, "Kanalliste");
        side->addWidget(tabs);
        side->addWidget(new ZTimeEdit);
        side->addWidget(new ZDateEdit);
        auto* combo = new ZComboBox;
        combo->addItems({"Messwert", "Maximalwert", "Minimalwert"});
        side->addWidget(combo);
        side->addWidget(named(new QPushButton("Start"), "btnDataStartStop"));
        side->addWidget(named(new QLineEdit("192.168.100.1"), "ledtIp"));
        auto* check = named(new ZCheckButton(true), "chkOn");
        side->addWidget(check);
        side->addStretch();
        rows->addWidget(body);
        window.show();
        value->setText("21.53");
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QVERIFY(grabScreenshot(&window, QStringLiteral("widgets.png")));
        // The sheet reaches a plain widget subclass and the check button.
        COMPARE_COLOUR(body->grab().toImage().pixelColor(body->width() - 3, body->height() - 3), QColor(204, 205, 204));
        COMPARE_COLOUR(check->grab().toImage().pixelColor(16, 8), QColor(0, 82, 66));

        // The header button follows ZZActive.
        const auto centre = [chart] { return chart->grab().toImage().pixelColor(26, 26); };
        COMPARE_COLOUR(centre(), QColor(0, 82, 66));
        QVERIFY(setStyleProperty(chart, "ZZActive", true));
        COMPARE_COLOUR(centre(), QColor(248, 248, 248));
        QVERIFY(setStyleProperty(chart, "ZZActive", false));
        COMPARE_COLOUR(centre(), QColor(0, 82, 66));

        combo->showPopup();
        QVERIFY(grabScreenshot(combo->view()->window(), QStringLiteral("widgets-combo.png")));
        QVERIFY(combo->view()->visualRect(combo->model()->index(1, 0)).height() >= 50);
        combo->hidePopup();
        QVERIFY2(styleComplaints(*log).isEmpty(), qPrintable(styleComplaints(*log).join('\n')));
    }

    void dialogVeilsTheWindow()
    {
        QWidget window;
        window.resize(1280, 800);
        named(new QWidget(&window), "wgtDataHeader")->setGeometry(0, 0, 1280, 64);
        named(new QWidget(&window), "wgtHomeBodyContainer")->setGeometry(0, 64, 1280, 736);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        ZDialog dialog(&window);
        named(new QWidget(&dialog), "wgtFunctionDialog")->setGeometry(340, 200, 600, 400);
        QCoreApplication::processEvents();
        dialog.show();
        // Half of rgb(151,151,151) over the header (0,82,66) and the body (204,205,204).
        const QImage image = window.grab().toImage();
        COMPARE_COLOUR(image.pixelColor(20, 20), QColor(76, 117, 109));
        COMPARE_COLOUR(image.pixelColor(20, 400), QColor(178, 178, 178));
        // The panel: white, with a black frame.
        COMPARE_COLOUR(image.pixelColor(640, 400), QColor(Qt::white));
        COMPARE_COLOUR(image.pixelColor(340, 400), QColor(Qt::black));
    }

private:
    std::unique_ptr<LogCapture> log; // made once Qt Test has set up its own logging
    QString sheet;
};

QTEST_MAIN(TestStyleSheets)
#include "tst_stylesheets.moc"
