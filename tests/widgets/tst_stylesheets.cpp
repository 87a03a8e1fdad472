// The application style sheets: they load without complaint, use only what Qt
// knows, point at pictures that exist, and give the widgets their colours.
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
#include <QHeaderView>
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

QString readResource(const QString& name)
{
    QFile file(name);
    return file.open(QIODevice::ReadOnly | QIODevice::Text) ? QString::fromUtf8(file.readAll()) : QString();
}

// The sheets in the order the application sets them.
QString applicationStyleSheet()
{
    return readResource(":/qss/TevaroApp.qss") + readResource(":/qss/TevaroApp_Desktop.qss");
}

QString withoutComments(QString sheet)
{
    static const QRegularExpression comment("/\\*.*?\\*/",
                                            QRegularExpression::DotMatchesEverythingOption);
    return sheet.remove(comment);
}

QColor pixel(QWidget* widget, const QPoint& at)
{
    return widget->grab().toImage().pixelColor(at);
}

bool near(const QColor& got, const QColor& expected, int tolerance = 2)
{
    return qAbs(got.red() - expected.red()) <= tolerance
           && qAbs(got.green() - expected.green()) <= tolerance
           && qAbs(got.blue() - expected.blue()) <= tolerance;
}

QString describe(const QColor& c)
{
    return QString("rgb(%1,%2,%3)").arg(c.red()).arg(c.green()).arg(c.blue());
}

#define COMPARE_COLOUR(got, expected)                                                             \
    QVERIFY2(near((got), (expected)),                                                              \
             qPrintable(describe(got) + " instead of " + describe(expected)))

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
    void initTestCase();
    void cleanupTestCase() { log.reset(); }
    void picturesNamedBySheetsExist();
    void showcaseRendersWithoutComplaints();
    void headerButtonFollowsZZActive();
    void dialogVeilsTheWindow();

private:
    QWidget* buildShowcase();
    std::unique_ptr<LogCapture> log;   // made once Qt Test has set up its own logging
};

void TestStyleSheets::initTestCase()
{
    log.reset(new LogCapture);
    ensureTevaroResources();
    const QString sheet = applicationStyleSheet();
    QVERIFY(sheet.contains("QPushButton"));
    QVERIFY(sheet.contains("TevaroApp_Desktop.qss"));
    qApp->setStyleSheet(sheet);
    QVERIFY(styleComplaints(*log).isEmpty());
}

void TestStyleSheets::picturesNamedBySheetsExist()
{
    static const QRegularExpression url("url\\(([^)]*)\\)");
    auto it = url.globalMatch(withoutComments(applicationStyleSheet()));
    int count = 0;
    while (it.hasNext()) {
        const QString name = it.next().captured(1).trimmed();
        QVERIFY2(name.startsWith(":/"), qPrintable(name));
        QVERIFY2(!QImage(name).isNull(), qPrintable(name + " is missing"));
        ++count;
    }
    // 2 radio, 4 arrows, the calendar, 17 flags, 6 templates.
    QCOMPARE(count, 30);
}

QWidget* TestStyleSheets::buildShowcase()
{
    auto* window = named(new QWidget, "showcase");
    window->resize(1280, 800);
    auto* rows = new QVBoxLayout(window);
    rows->setContentsMargins(0, 0, 0, 0);
    rows->setSpacing(0);

    auto* header = named(new QWidget, "wgtDataHeader");
    header->setFixedHeight(64);
    auto* headerRow = new QHBoxLayout(header);
    headerRow->addWidget(named(new ZLabel("Liniendiagramm"), "lblDataHeaderCrumb"), 1);
    for (const char* name : {"tbtnDataHeadMeasure", "tbtnDataHeadChart"}) {
        auto* button = named(new QToolButton, name);
        button->setFixedSize(52, 52);
        headerRow->addWidget(button);
    }
    setStyleProperty(header->findChild<QToolButton*>("tbtnDataHeadChart"), "ZZActive", true);
    rows->addWidget(header);

    auto* body = named(new ZStylableWidget, "stackedWidgetLogger");
    auto* grid = new QHBoxLayout(body);
    auto* tabs = named(new ZTabWidget, "tabwgtDisplay");
    auto* table = new QTableWidget(4, 2);
    table->setHorizontalHeaderLabels({"Messkanal", "Einstellung"});
    table->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    for (int row = 0; row < 4; ++row)
        table->setRowHeight(row, 65);
    auto* value = new ZScaleLabel;
    table->setCellWidget(0, 0, value);
    auto* time = new ZTimeEdit;
    time->setTime(QTime(10, 0, 0));
    table->setCellWidget(1, 1, time);
    table->setCellWidget(2, 1, new ZDateEdit);
    auto* combo = new ZComboBox;
    combo->addItems({"Messwert", "Maximalwert", "Minimalwert"});
    table->setCellWidget(3, 1, combo);
    tabs->addTab(table, "Kanalliste");
    tabs->addTab(new QWidget, "Usermenü");
    grid->addWidget(tabs, 3);
    auto* side = new QVBoxLayout;
    side->addWidget(named(new QPushButton("Start"), "btnDataStartStop"));
    side->addWidget(named(new QPushButton, "btnBlank"));
    side->addWidget(named(new QLineEdit("192.168.100.1"), "ledtIp"));
    side->addWidget(named(new ZCheckButton(true), "chkOn"));
    side->addStretch();
    grid->addLayout(side, 1);
    rows->addWidget(body, 1);
    auto* status = named(new QLineEdit, "ledtDockbar");
    status->setEnabled(false);
    rows->addWidget(status);

    window->show();
    value->setText("21.53");
    status->setText("05.03.2026 14:03:07  Eine neue Messung wurde gestartet");
    setStyleProperty(status, "ZZActive", true);
    return window;
}

void TestStyleSheets::showcaseRendersWithoutComplaints()
{
    log->clear();
    std::unique_ptr<QWidget> window(buildShowcase());
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    const QImage plain = window->grab().toImage();
    // The sheet reaches a plain widget subclass and the check button.
    auto* body = window->findChild<QWidget*>("stackedWidgetLogger");
    COMPARE_COLOUR(pixel(body, {body->width() - 3, body->height() - 3}), QColor(204, 205, 204));
    auto* check = window->findChild<ZCheckButton*>("chkOn");
    QCOMPARE(check->size(), QSize(32, 32));
    COMPARE_COLOUR(pixel(check, {16, 8}), QColor(0, 82, 66));

    auto* combo = window->findChild<ZComboBox*>();
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

void TestStyleSheets::headerButtonFollowsZZActive()
{
    QWidget header;
    header.setObjectName("wgtDataHeader");
    auto* chart = named(new QToolButton(&header), "tbtnDataHeadChart");
    chart->setGeometry(0, 0, 52, 52);
    header.resize(200, 60);
    header.show();
    QVERIFY(QTest::qWaitForWindowExposed(&header));

    const QColor green(0, 82, 66);
    const QColor nearWhite(248, 248, 248);
    COMPARE_COLOUR(pixel(chart, {26, 26}), green);

    QVERIFY(setStyleProperty(chart, "ZZActive", true));
    COMPARE_COLOUR(pixel(chart, {26, 26}), nearWhite);
    QVERIFY(!setStyleProperty(chart, "ZZActive", true));

    QVERIFY(setStyleProperty(chart, "ZZActive", false));
    COMPARE_COLOUR(pixel(chart, {26, 26}), green);

    // A property set directly counts once the widget is re-polished.
    chart->setProperty("ZZActive", true);
    repolish(chart);
    COMPARE_COLOUR(pixel(chart, {26, 26}), nearWhite);
}

void TestStyleSheets::dialogVeilsTheWindow()
{
    QWidget window;
    window.resize(1280, 800);
    auto* header = named(new QWidget(&window), "wgtDataHeader");
    header->setGeometry(0, 0, 1280, 64);
    auto* body = named(new QWidget(&window), "wgtHomeBodyContainer");
    body->setGeometry(0, 64, 1280, 736);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    ZDialog dialog(&window);
    auto* panel = named(new QWidget(&dialog), "wgtFunctionDialog");
    panel->setGeometry(340, 200, 600, 400);
    QCoreApplication::processEvents();
    dialog.show();

    // Half of rgb(151,151,151) over the header (0,82,66) and the body (204,205,204).
    const QImage image = window.grab().toImage();
    COMPARE_COLOUR(image.pixelColor(20, 20), QColor(76, 117, 109));
    COMPARE_COLOUR(image.pixelColor(20, 400), QColor(178, 178, 178));
    // The panel: white, with a black frame.
    COMPARE_COLOUR(image.pixelColor(640, 400), QColor(Qt::white));
    COMPARE_COLOUR(image.pixelColor(340, 400), QColor(Qt::black));
    COMPARE_COLOUR(image.pixelColor(640, 200), QColor(Qt::black));
}

QTEST_MAIN(TestStyleSheets)
#include "tst_stylesheets.moc"
