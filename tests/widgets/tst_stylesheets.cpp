// The application style sheets: they load without complaint, use only what Qt
// knows, point at pictures that exist, and give the widgets their colours.
// With TEVARO_WIDGETS_SHOWCASE=<folder> the showcase is saved there as PNG.
#include "widgets/Repolish.h"
#include "widgets/TevaroResources.h"
#include "widgets/ZCheckButton.h"
#include "widgets/ZClickLabel.h"
#include "widgets/ZComboBox.h"
#include "widgets/ZDateEdit.h"
#include "widgets/ZDialog.h"
#include "widgets/ZLabel.h"
#include "widgets/ZScaleLabel.h"
#include "widgets/ZStylableWidget.h"
#include "widgets/ZTabWidget.h"
#include "widgets/ZTimeEdit.h"

#include <QBoxLayout>
#include <QCalendarWidget>
#include <QFontMetricsF>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTabBar>
#include <QTableWidget>
#include <QToolButton>
#include <QtTest>

namespace {

QStringList capturedMessages;
QtMessageHandler previousHandler = nullptr;

void captureMessages(QtMsgType type, const QMessageLogContext& context, const QString& text)
{
    if (type != QtDebugMsg && type != QtInfoMsg)
        capturedMessages << text;
    if (previousHandler)
        previousHandler(type, context, text);
}

// Messages that say something about the sheets or the pictures they name.
QStringList styleComplaints()
{
    static const QRegularExpression about(
        "parse|stylesheet|style sheet|property|QPixmap|QImage|Cannot open|Could not|QFont",
        QRegularExpression::CaseInsensitiveOption);
    QStringList found;
    for (const QString& message : capturedMessages)
        if (about.match(message).hasMatch())
            found << message;
    return found;
}

QString readResource(const QString& name)
{
    QFile file(name);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return QString();
    return QString::fromUtf8(file.readAll());
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

struct Rule
{
    QString selectors;
    QStringList declarations;
};

// Splits a sheet into rules; false when the braces do not pair up.
bool splitRules(const QString& sheet, QList<Rule>* rules)
{
    const QString text = withoutComments(sheet);
    int pos = 0;
    while (true) {
        const int open = text.indexOf('{', pos);
        if (open < 0)
            return text.mid(pos).trimmed().isEmpty();
        const int close = text.indexOf('}', open);
        if (close < 0 || text.mid(open + 1, close - open - 1).contains('{'))
            return false;
        Rule rule;
        rule.selectors = text.mid(pos, open - pos).trimmed();
        for (const QString& d : text.mid(open + 1, close - open - 1).split(';'))
            if (!d.trimmed().isEmpty())
                rule.declarations << d.trimmed();
        rules->append(rule);
        pos = close + 1;
    }
}

const QSet<QString>& knownProperties()
{
    static const QSet<QString> names = {
        "background", "background-color", "background-image", "background-repeat",
        "background-position", "background-clip", "background-origin", "border", "border-top",
        "border-right", "border-bottom", "border-left", "border-color", "border-style",
        "border-width", "border-radius", "border-top-left-radius", "border-top-right-radius",
        "border-bottom-left-radius", "border-bottom-right-radius", "color", "font", "font-family",
        "font-size", "font-style", "font-weight", "gridline-color", "height", "width", "icon-size",
        "image", "left", "right", "top", "bottom", "margin", "margin-top", "margin-right",
        "margin-bottom", "margin-left", "max-height", "max-width", "min-height", "min-width",
        "outline", "padding", "padding-top", "padding-right", "padding-bottom", "padding-left",
        "position", "selection-background-color", "selection-color", "spacing",
        "subcontrol-origin", "subcontrol-position", "text-align", "alternate-background-color"};
    return names;
}

// Classes the selectors may name: Qt's and the system's own.
const QSet<QString>& knownClasses()
{
    static const QSet<QString> names = {
        "QMainWindow", "QWidget", "QLabel", "QToolButton", "QTabWidget", "QTabBar", "QTextEdit",
        "QGroupBox", "QPushButton", "QLineEdit", "QTableView", "QHeaderView", "QComboBox",
        "QAbstractItemView", "QRadioButton", "QDialog", "QCalendarWidget", "QMenu", "QSpinBox",
        "QPlainTextEdit", "ZTabWidget", "ZLabel", "ZAnimatedLabel", "ZClickLabel", "ZScaleLabel",
        "ZUserMenuWidget", "ZCheckButton", "ZComboBox", "ZRadioGroup", "ZTimeEdit", "ZDateEdit",
        "ZMeasureTextWidget", "ZMeasureDisplayWidget", "ZFlagIcon", "UserManagement",
        "UserManagementEditDialog", "UserMenuSelectValueDialog"};
    return names;
}

const QSet<QString>& knownStates()
{
    static const QSet<QString> names = {"separator", "tab",      "pane",       "item",
                                        "indicator", "up-button", "down-button", "drop-down",
                                        "down-arrow", "up-arrow", "section",  "pressed",    "disabled",
                                        "selected",  "focus",    "checked",    "unchecked"};
    return names;
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

// A plain QWidget subclass: the style sheet's background does not reach it.
class PlainPanel : public QWidget
{
    Q_OBJECT

public:
    using QWidget::QWidget;
};

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
    void cleanupTestCase();
    void rulesAreWellFormed();
    void picturesNamedBySheetsExist();
    void showcaseRendersWithoutComplaints();
    void headerButtonFollowsZZActive();
    void statusLineFollowsZZActive();
    void dialogVeilsTheWindow();
    void controlsTakeTheirColours();
    void stylableWidgetPaintsSheetBackground();
    void templateButtonsShowTheirPicture_data();
    void templateButtonsShowTheirPicture();
    void measuredValuesKeepTheirFit_data();
    void measuredValuesKeepTheirFit();

private:
    QWidget* buildShowcase();
};

void TestStyleSheets::initTestCase()
{
    ensureTevaroResources();
    previousHandler = qInstallMessageHandler(captureMessages);
    const QString sheet = applicationStyleSheet();
    QVERIFY(sheet.contains("QPushButton"));
    QVERIFY(sheet.contains("TevaroApp_Desktop.qss"));
    qApp->setStyleSheet(sheet);
    QVERIFY(styleComplaints().isEmpty());
}

void TestStyleSheets::cleanupTestCase()
{
    qInstallMessageHandler(previousHandler);
}

void TestStyleSheets::rulesAreWellFormed()
{
    for (const QString& name : {":/qss/TevaroApp.qss", ":/qss/TevaroApp_Desktop.qss"}) {
        QList<Rule> rules;
        QVERIFY2(splitRules(readResource(name), &rules), qPrintable(name));
        QVERIFY(!rules.isEmpty());
        for (const Rule& rule : rules) {
            QVERIFY2(!rule.selectors.isEmpty(), qPrintable(name));
            for (const QString& declaration : rule.declarations) {
                const int colon = declaration.indexOf(':');
                QVERIFY2(colon > 0, qPrintable(rule.selectors + " { " + declaration));
                const QString property = declaration.left(colon).trimmed();
                QVERIFY2(property.startsWith("qproperty-") || knownProperties().contains(property),
                         qPrintable(rule.selectors + ": unknown property " + property));
                QVERIFY2(!declaration.mid(colon + 1).trimmed().isEmpty(),
                         qPrintable(rule.selectors + ": no value for " + property));
            }
            for (QString selector : rule.selectors.split(',')) {
                selector.remove(QRegularExpression("\\[[^\\]]*\\]"));
                for (const QString& part : selector.split(QRegularExpression("[\\s>]+"),
                                                          Qt::SkipEmptyParts)) {
                    const QStringList pieces = part.split(':', Qt::SkipEmptyParts);
                    QString type = pieces.first();
                    if (type.startsWith('.'))
                        type = type.mid(1);
                    type = type.section('#', 0, 0);
                    QVERIFY2(type.isEmpty() || knownClasses().contains(type),
                             qPrintable(rule.selectors + ": unknown class " + type));
                    for (int i = 1; i < pieces.size(); ++i)
                        QVERIFY2(knownStates().contains(pieces[i]),
                                 qPrintable(rule.selectors + ": unknown state " + pieces[i]));
                }
            }
        }
    }
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
    headerRow->addWidget(named(new QToolButton, "tbtnDataBack"));
    header->findChild<QToolButton*>("tbtnDataBack")->setText("Zurück");
    header->findChild<QToolButton*>("tbtnDataBack")->setFixedHeight(52);
    auto* crumb = named(new ZLabel("Liniendiagramm"), "lblDataHeaderCrumb");
    crumb->setFont(QFont(crumb->font().family(), 18, QFont::Bold));
    headerRow->addWidget(crumb, 1);
    for (const char* name :
         {"tbtnDataHeadMeasure", "tbtnDataHeadChart", "tbtnDataHeadLogger", "tbtnDataHeadSettings"}) {
        auto* button = named(new QToolButton, name);
        button->setFixedSize(52, 52);
        headerRow->addWidget(button);
    }
    setStyleProperty(header->findChild<QToolButton*>("tbtnDataHeadChart"), "ZZActive", true);
    auto* clock = named(new QLabel("05.03.26\n14:03"), "lblDataTime");
    headerRow->addWidget(clock);
    rows->addWidget(header);

    auto* body = named(new ZStylableWidget, "stackedWidgetLogger");
    auto* grid = new QGridLayout(body);
    grid->setSpacing(12);

    auto* tabs = named(new ZTabWidget, "tabwgtDisplay");
    for (const char* tab : {"Kanalliste", "Messwertanzeige", "Liniendiagramm", "Usermenü"})
        tabs->addTab(new QWidget, QString::fromUtf8(tab));
    tabs->setCurrentIndex(0);

    auto* table = new QTableWidget(4, 3);
    table->setHorizontalHeaderLabels({"Messkanal", "Messwert", "Einstellung"});
    table->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    table->verticalHeader()->hide();
    for (int row = 0; row < 4; ++row)
        table->setRowHeight(row, 65);
    table->setItem(0, 0, new QTableWidgetItem("M01 Temperatur Kessel"));
    auto* value = new ZScaleLabel;
    value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    table->setCellWidget(0, 1, value);
    table->setCellWidget(0, 2, new ZCheckButton(true));
    table->setItem(1, 0, new QTableWidgetItem("Messzeit"));
    auto* time = new ZTimeEdit;
    time->setDisplayFormat("hh:mm:ss");
    time->setTime(QTime(10, 0, 0));
    table->setCellWidget(1, 2, time);
    table->setItem(2, 0, new QTableWidgetItem("Startdatum"));
    auto* date = new ZDateEdit;
    date->setDisplayFormat("dd.MM.yyyy");
    date->setDate(QDate(2026, 3, 5));
    table->setCellWidget(2, 2, date);
    table->setItem(3, 0, new QTableWidgetItem("Funktion"));
    auto* combo = new ZComboBox;
    combo->addItems({"Messwert", "Maximalwert", "Minimalwert"});
    table->setCellWidget(3, 2, combo);
    auto* tabPage = new QVBoxLayout(tabs->widget(0));
    tabPage->addWidget(table);
    grid->addWidget(tabs, 0, 0, 3, 1);

    auto* side = new QVBoxLayout;
    auto* start = named(new QPushButton("Start"), "btnDataStartStop");
    side->addWidget(start);
    auto* save = named(new QPushButton("Speichern"), "btnSaveChannelConfig");
    save->setEnabled(false);
    side->addWidget(save);
    side->addWidget(named(new QPushButton("Abbrechen"), "btnPlain"));
    side->addWidget(named(new QPushButton, "btnBlank"));
    side->addWidget(named(new QLineEdit("192.168.100.1"), "ledtIp"));
    auto* checks = new QHBoxLayout;
    checks->addWidget(named(new ZCheckButton(true), "chkOn"));
    checks->addWidget(named(new ZCheckButton(false), "chkOff"));
    auto* partly = named(new ZCheckButton, "chkPartly");
    partly->setButtonIcon(ZCheckButton::Tristate);
    checks->addWidget(partly);
    checks->addStretch();
    side->addLayout(checks);
    auto* elided = new ZLabel("Vergleichsstelle Kessel Vorlauf links oben");
    elided->setFixedWidth(220);
    side->addWidget(elided);
    side->addWidget(new ZClickLabel);
    side->addStretch();
    grid->addLayout(side, 0, 1);
    grid->setColumnStretch(0, 3);
    grid->setColumnStretch(1, 1);
    rows->addWidget(body, 1);

    auto* footer = named(new ZStylableWidget, "wgtHomeFooterContainer");
    footer->setFixedHeight(40);
    rows->addWidget(footer);
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
    capturedMessages.clear();
    std::unique_ptr<QWidget> window(buildShowcase());
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    const QImage plain = window->grab().toImage();

    auto* dialog = new ZDialog(window.get());
    auto* panel = named(new ZStylableWidget(dialog), "wgtMessageDialog");
    panel->setGeometry(390, 250, 500, 300);
    auto* panelRows = new QVBoxLayout(panel);
    auto* panelHeader = named(new ZLabel("Usermenü hinzufügen"), "lblUserMenuAddDialogHeader");
    panelRows->addWidget(panelHeader);
    panelRows->addWidget(new QLineEdit("Kessel"));
    panelRows->addWidget(new QPushButton("Hinzufügen"));
    QCoreApplication::processEvents();
    dialog->show();
    const QImage veiled = window->grab().toImage();

    dialog->hide();

    // The popups: the calendar of a date editor and the list of a combo box.
    auto* date = window->findChild<ZDateEdit*>();
    QTest::mouseClick(date, Qt::LeftButton, {}, QPoint(date->width() - 6, date->height() / 2));
    QTRY_VERIFY(date->calendarWidget()->isVisible());
    const QImage calendar = date->calendarWidget()->window()->grab().toImage();
    date->calendarWidget()->window()->hide();
    auto* combo = window->findChild<ZComboBox*>();
    combo->showPopup();
    const QImage list = combo->view()->window()->grab().toImage();
    const QRect second = combo->view()->visualRect(combo->model()->index(1, 0));
    QVERIFY(second.height() >= 50);
    const QImage rows = combo->view()->viewport()->grab().toImage();
    int ink = -1;
    for (int x = 0; x < second.width() && ink < 0; ++x)
        for (int y = second.top(); y <= second.bottom() && ink < 0; ++y)
            if (qGray(rows.pixel(x, y)) < 100)
                ink = x;
    QVERIFY2(ink >= 10, qPrintable(QString("item text starts at %1").arg(ink)));
    combo->hidePopup();

    QStringList complaints = styleComplaints();
    QVERIFY2(complaints.isEmpty(), qPrintable(complaints.join('\n')));

    const QString folder = QString::fromLocal8Bit(qgetenv("TEVARO_WIDGETS_SHOWCASE"));
    if (!folder.isEmpty()) {
        QVERIFY(plain.save(folder + "/widgets.png"));
        QVERIFY(veiled.save(folder + "/widgets-dialog.png"));
        QVERIFY(calendar.save(folder + "/widgets-calendar.png"));
        QVERIFY(list.save(folder + "/widgets-combo.png"));
    }
}

void TestStyleSheets::headerButtonFollowsZZActive()
{
    QWidget header;
    header.setObjectName("wgtDataHeader");
    auto* chart = named(new QToolButton(&header), "tbtnDataHeadChart");
    auto* homeLogger = named(new QToolButton(&header), "tbtnHomeHeaderLogger");
    chart->setGeometry(0, 0, 52, 52);
    homeLogger->setGeometry(60, 0, 52, 52);
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

    // Without a re-polish the sheet does not notice the change.
    chart->setProperty("ZZActive", true);
    COMPARE_COLOUR(pixel(chart, {26, 26}), green);
    repolish(chart);
    COMPARE_COLOUR(pixel(chart, {26, 26}), nearWhite);

    QVERIFY(setStyleProperty(homeLogger, "ZZActive", true));
    COMPARE_COLOUR(pixel(homeLogger, {26, 26}), green);
}

void TestStyleSheets::statusLineFollowsZZActive()
{
    QLineEdit line;
    line.setObjectName("ledtDockbar");
    line.setEnabled(false);
    line.resize(800, 45);
    line.show();
    QVERIFY(QTest::qWaitForWindowExposed(&line));
    COMPARE_COLOUR(pixel(&line, {790, 22}), QColor(Qt::white));

    line.setText("05.03.2026 14:03:07  Verbindung unterbrochen");
    setStyleProperty(&line, "ZZActive", true);
    QCOMPARE(line.font().pointSize(), 12);
    const QImage image = line.grab().toImage();
    COMPARE_COLOUR(image.pixelColor(790, 22), QColor(240, 240, 240));
    bool redText = false;
    for (int x = 0; x < 400 && !redText; ++x)
        for (int y = 0; y < image.height() && !redText; ++y) {
            const QColor c = image.pixelColor(x, y);
            redText = c.red() > 200 && c.green() < 80 && c.blue() < 80;
        }
    QVERIFY(redText);

    line.clear();
    setStyleProperty(&line, "ZZActive", false);
    COMPARE_COLOUR(pixel(&line, {790, 22}), QColor(Qt::white));
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
    COMPARE_COLOUR(pixel(&window, {20, 20}), QColor(0, 82, 66));
    COMPARE_COLOUR(pixel(&window, {20, 400}), QColor(204, 205, 204));

    ZDialog dialog(&window);
    auto* panel = named(new QWidget(&dialog), "wgtFunctionDialog");
    panel->setGeometry(340, 200, 600, 400);
    QCoreApplication::processEvents();
    dialog.show();

    // Half of rgb(151,151,151) over what lies beneath.
    const QImage image = window.grab().toImage();
    COMPARE_COLOUR(image.pixelColor(20, 20), QColor(76, 117, 109));
    COMPARE_COLOUR(image.pixelColor(20, 400), QColor(178, 178, 178));
    // The panel: white, with a black frame.
    COMPARE_COLOUR(image.pixelColor(640, 400), QColor(Qt::white));
    COMPARE_COLOUR(image.pixelColor(340, 400), QColor(Qt::black));
    COMPARE_COLOUR(image.pixelColor(640, 200), QColor(Qt::black));
}

void TestStyleSheets::controlsTakeTheirColours()
{
    std::unique_ptr<QWidget> window(buildShowcase());
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));

    auto* blank = window->findChild<QPushButton*>("btnBlank");
    QVERIFY(blank->width() >= 100 && blank->height() >= 30);
    COMPARE_COLOUR(pixel(blank, blank->rect().center()), QColor(210, 210, 210));

    auto* start = window->findChild<QPushButton*>("btnDataStartStop");
    COMPARE_COLOUR(pixel(start, {12, start->height() / 2}), QColor(130, 130, 130));
    QVERIFY(start->font().bold());
    auto* save = window->findChild<QPushButton*>("btnSaveChannelConfig");
    COMPARE_COLOUR(pixel(save, {12, save->height() / 2}), QColor(152, 152, 152));

    auto* back = window->findChild<QToolButton*>("tbtnDataBack");
    COMPARE_COLOUR(pixel(back, {3, 3}), QColor(0, 74, 57));
    auto* header = window->findChild<QWidget*>("wgtDataHeader");
    COMPARE_COLOUR(pixel(header, {header->width() / 2, 2}), QColor(0, 82, 66));
    COMPARE_COLOUR(pixel(window->findChild<QWidget*>("tbtnDataHeadChart"), {26, 26}),
                   QColor(248, 248, 248));
    COMPARE_COLOUR(pixel(window->findChild<QWidget*>("wgtHomeFooterContainer"), {5, 5}),
                   QColor(189, 190, 189));
    auto* body = window->findChild<QWidget*>("stackedWidgetLogger");
    COMPARE_COLOUR(pixel(body, {body->width() - 3, body->height() - 3}), QColor(204, 205, 204));

    auto* edit = window->findChild<QLineEdit*>("ledtIp");
    QVERIFY(edit->height() >= 45);
    COMPARE_COLOUR(pixel(edit, {edit->width() - 4, edit->height() / 2}), QColor(Qt::white));

    auto* tabs = window->findChild<ZTabWidget*>("tabwgtDisplay");
    const QRect other = tabs->tabBar()->tabRect(1);
    COMPARE_COLOUR(pixel(tabs->tabBar(), {other.left() + 3, other.bottom() - 2}),
                   QColor(128, 128, 128));
    const QRect current = tabs->tabBar()->tabRect(0);
    COMPARE_COLOUR(pixel(tabs->tabBar(), {current.left() + 3, current.bottom() - 2}),
                   QColor(Qt::white));

    auto* table = window->findChild<QTableWidget*>();
    QVERIFY(table->horizontalHeader()->height() >= 50);
    COMPARE_COLOUR(pixel(table->viewport(), {table->viewport()->width() / 2,
                                             table->viewport()->height() - 3}),
                   QColor(Qt::white));

    auto* check = window->findChild<ZCheckButton*>("chkOn");
    QCOMPARE(check->size(), QSize(32, 32));
    // Transparent: the body shows at the corner, the picture in the middle.
    COMPARE_COLOUR(pixel(window.get(), check->mapTo(window.get(), QPoint(0, 0))),
                   QColor(204, 205, 204));
    COMPARE_COLOUR(pixel(check, {16, 8}), QColor(0, 82, 66));

    auto* time = window->findChild<ZTimeEdit*>();
    QVERIFY(time->height() >= 60);
}

void TestStyleSheets::stylableWidgetPaintsSheetBackground()
{
    QWidget page;
    page.setObjectName("wgtDataHeader");
    auto* stylable = named(new ZStylableWidget(&page), "wgtHomeBodyContainer");
    auto* plain = named(new PlainPanel(&page), "wgtHomeBodyContainer");
    stylable->setGeometry(0, 0, 50, 50);
    plain->setGeometry(60, 0, 50, 50);
    page.resize(120, 60);
    page.show();
    QVERIFY(QTest::qWaitForWindowExposed(&page));
    const QImage image = page.grab().toImage();
    COMPARE_COLOUR(image.pixelColor(25, 25), QColor(204, 205, 204));
    COMPARE_COLOUR(image.pixelColor(85, 25), QColor(0, 82, 66));
}

void TestStyleSheets::templateButtonsShowTheirPicture_data()
{
    QTest::addColumn<QString>("name");
    for (const char* name : {"btnUserMenuAddStyle0", "btnUserMenuAddStyle1", "btnUserMenuAddStyle2"})
        QTest::newRow(name) << QString::fromLatin1(name);
}

// The template buttons are checkable tool buttons: grey picture, green while checked.
void TestStyleSheets::templateButtonsShowTheirPicture()
{
    QFETCH(QString, name);
    QWidget group;
    auto* button = new QToolButton(&group);
    button->setObjectName(name);
    button->setCheckable(true);
    button->setIconSize(QSize(50, 35));
    button->setGeometry(0, 0, 80, 60);
    group.resize(80, 60);
    group.show();
    QVERIFY(QTest::qWaitForWindowExposed(&group));

    auto contains = [button](const QColor& colour) {
        const QImage image = button->grab().toImage();
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (near(image.pixelColor(x, y), colour, 0))
                    return true;
        return false;
    };
    const QColor grey(128, 128, 128);
    const QColor green(0, 82, 66);
    QVERIFY(contains(grey));
    QVERIFY(!contains(green));
    button->setChecked(true);
    QVERIFY(contains(green));
    QVERIFY(!contains(grey));
}

// Wherever a measured value sits, no rule of the sheets undoes its fitted font.
void TestStyleSheets::measuredValuesKeepTheirFit_data()
{
    QTest::addColumn<QString>("screen");
    QTest::addColumn<QString>("holder");
    QTest::addColumn<QString>("valueName");
    QTest::newRow("channel list") << "ChannelList" << "table" << "ZMeasureTextValue";
    QTest::newRow("display table") << "MeasureDisplay" << "table" << "ZMeasureTextValue";
    QTest::newRow("large display") << "MeasureDisplay" << "wgtMeasureDisplayMainValue"
                                   << "ZMeasureDisplayClickValue";
    QTest::newRow("dialog") << "FunctionDialog" << "dialog" << "ZClickLabel";
}

void TestStyleSheets::measuredValuesKeepTheirFit()
{
    QFETCH(QString, screen);
    QFETCH(QString, holder);
    QFETCH(QString, valueName);

    QWidget page;
    page.setObjectName(screen);
    page.resize(900, 400);
    auto* label = new ZScaleLabel;
    label->setObjectName(valueName);
    label->setContentsMargins(0, 0, 0, 0);
    std::unique_ptr<ZDialog> dialog;
    if (holder == "table") {
        auto* table = new QTableWidget(1, 1, &page);
        table->setGeometry(0, 0, 900, 400);
        table->setColumnWidth(0, 300);
        table->setRowHeight(0, 65);
        table->setCellWidget(0, 0, label);
    } else if (holder == "dialog") {
        dialog = std::make_unique<ZDialog>(&page);
        label->setParent(dialog.get());
        label->setGeometry(0, 0, 300, 65);
    } else {
        auto* display = named(new QWidget(&page), "wgtMeasureDisplayMainValue");
        display->setGeometry(0, 0, 900, 400);
        label->setParent(display);
        label->setGeometry(0, 0, 500, 120);
    }
    page.show();
    if (dialog)
        dialog->show();
    QVERIFY(QTest::qWaitForWindowExposed(&page));

    label->setText("-1234.567");
    const qreal fitted = label->font().pointSizeF();
    QVERIFY(fitted > 1.0);
    repolish(label);
    QCOMPARE(label->font().pointSizeF(), fitted);
    QVERIFY(QFontMetricsF(label->font()).boundingRect(label->text()).width()
            <= label->contentsRect().width());
}

QTEST_MAIN(TestStyleSheets)
#include "tst_stylesheets.moc"
