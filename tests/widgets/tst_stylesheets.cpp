// The application style sheets: they load without complaint, point at
// pictures that exist, and give the widgets their colours.
// With TEVARO_WIDGETS_SHOWCASE=<folder> the showcase is saved there as PNG.
#include "../common/LogCapture.h"
#include "widgets/Repolish.h"
#include "widgets/TevaroResources.h"
#include "widgets/ZCheckButton.h"
#include "widgets/ZComboBox.h"
#include "widgets/ZDateEdit.h"
#include "widgets/ZDialog.h"
#include "widgets/ZLabel.h"
#include "widgets/ZScaleLabel.h"
#include "widgets/ZStylableWidget.h"
#include "widgets/ZTabWidget.h"
#include "widgets/ZTimeEdit.h"

#include <QBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTableWidget>
#include <QToolButton>
#include <QtTest>

namespace {

// Messages that say something about the sheets or the pictures they name.
QStringList styleComplaints(const LogCapture& log)
{
    static const QRegularExpression about(
        "parse|stylesheet|style sheet|property|QPixmap|QImage|Cannot open|Could not|QFont",
        QRegularExpression::CaseInsensitiveOption);
    return log.messages().filter(about);
}

// The sheets in the order the application sets them.
QString applicationStyleSheet()
{
    QString sheet;
    for (const char* name : {":/qss/TevaroApp.qss", ":/qss/TevaroApp_Desktop.qss"}) {
        QFile file(QString::fromLatin1(name));
        if (file.open(QIODevice::ReadOnly | QIODevice::Text))
            sheet += QString::fromUtf8(file.readAll());
    }
    return sheet;
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
        ensureTevaroResources();
        qApp->setStyleSheet(applicationStyleSheet());
        QVERIFY(styleComplaints(*log).isEmpty());
    }
    void cleanupTestCase() { log.reset(); }

    void picturesNamedBySheetsExist()
    {
        static const QRegularExpression comment("/\\*.*?\\*/", QRegularExpression::DotMatchesEverythingOption);
        static const QRegularExpression url("url\\(([^)]*)\\)");
        auto it = url.globalMatch(applicationStyleSheet().remove(comment));
        int count = 0;
        for (; it.hasNext(); ++count) {
            const QString name = it.next().captured(1).trimmed();
            QVERIFY2(name.startsWith(":/") && !QImage(name).isNull(), qPrintable(name + " is missing"));
        }
        QCOMPARE(count, 30); // 2 radio, 4 arrows, the calendar, 17 flags, 6 templates
    }

    void showcaseRendersWithoutComplaints()
    {
        log->clear();
        QWidget window;
        window.resize(1280, 800);
        auto* rows = new QVBoxLayout(&window);
        auto* header = named(new QWidget, "wgtDataHeader");
        auto* chart = named(new QToolButton(header), "tbtnDataHeadChart");
        chart->setGeometry(0, 0, 52, 52);
        header->setFixedHeight(60);
        rows->addWidget(header);
        auto* body = named(new ZStylableWidget, "stackedWidgetLogger");
        auto* grid = new QHBoxLayout(body);
        auto* tabs = named(new ZTabWidget, "tabwgtDisplay");
        auto* table = new QTableWidget(4, 2);
        table->setHorizontalHeaderLabels({"Messkanal", "Einstellung"});
        auto* value = new ZScaleLabel;
        table->setCellWidget(0, 0, value);
        table->setCellWidget(1, 1, new ZTimeEdit);
        table->setCellWidget(2, 1, new ZDateEdit);
        auto* combo = new ZComboBox;
        combo->addItems({"Messwert", "Maximalwert", "Minimalwert"});
        table->setCellWidget(3, 1, combo);
        tabs->addTab(table, "Kanalliste");
        grid->addWidget(tabs, 3);
        auto* side = new QVBoxLayout;
        side->addWidget(named(new QPushButton("Start"), "btnDataStartStop"));
        side->addWidget(named(new QLineEdit("192.168.100.1"), "ledtIp"));
        auto* check = named(new ZCheckButton(true), "chkOn");
        side->addWidget(check);
        side->addStretch();
        grid->addLayout(side, 1);
        rows->addWidget(body);
        window.show();
        value->setText("21.53");
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        const QImage plain = window.grab().toImage();
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
        const QImage list = combo->view()->window()->grab().toImage();
        QVERIFY(combo->view()->visualRect(combo->model()->index(1, 0)).height() >= 50);
        combo->hidePopup();

        const QStringList complaints = styleComplaints(*log);
        QVERIFY2(complaints.isEmpty(), qPrintable(complaints.join('\n')));
        const QString folder = QString::fromLocal8Bit(qgetenv("TEVARO_WIDGETS_SHOWCASE"));
        if (!folder.isEmpty()) {
            QVERIFY(plain.save(folder + "/widgets.png"));
            QVERIFY(list.save(folder + "/widgets-combo.png"));
        }
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
};

QTEST_MAIN(TestStyleSheets)
#include "tst_stylesheets.moc"
