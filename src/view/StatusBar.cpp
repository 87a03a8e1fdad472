#include "view/StatusBar.h"

#include "util/Language.h"
#include "util/SettingsUtil.h"
#include "util/StatusMessageSink.h"
#include "widgets/Repolish.h"

#include <QDateTime>
#include <QDockWidget>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QMainWindow>
#include <QTimer>

namespace {

// Puts the arguments in for %1 to %9 in one pass, so that an argument holding
// "%2" (a device path, say) is never replaced in turn. A marker without an
// argument stays as it is.
QString fillArguments(const QString& text, const QStringList& arguments)
{
    QString filled;
    filled.reserve(text.size());
    for (int i = 0; i < text.size(); ++i) {
        if (text.at(i) == QLatin1Char('%') && i + 1 < text.size() && text.at(i + 1) >= QLatin1Char('1')
            && text.at(i + 1) <= QLatin1Char('9')) {
            const int index = text.at(i + 1).unicode() - '1';
            if (index < arguments.size()) {
                filled += arguments.at(index);
                ++i;
                continue;
            }
        }
        filled += text.at(i);
    }
    return filled;
}

} // namespace

StatusBar::StatusBar(QMainWindow* mainWindow, QObject* parent)
    : QObject(parent),
      OverallView(),
      mainWindow(mainWindow),
      timer(new QTimer()),
      dock(nullptr),
      line(new QLineEdit()),
      shown(false),
      permanent(false)
{
    dock = new QDockWidget(mainWindow);
    dock->setObjectName(QStringLiteral("dockStatusBar"));
    dock->setFeatures(QDockWidget::NoDockWidgetFeatures);

    QWidget* container = new QWidget(dock);
    QHBoxLayout* layout = new QHBoxLayout(container);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(line);
    dock->setWidget(container);
    dock->setTitleBarWidget(new QWidget(dock));

    // Added and removed at once: the bar starts hidden.
    mainWindow->addDockWidget(Qt::BottomDockWidgetArea, dock);
    mainWindow->removeDockWidget(dock);

    timer->setSingleShot(true);
    connect(timer, SIGNAL(timeout()), this, SLOT(update()));

    line->setEnabled(false);
    line->setAlignment(Qt::AlignLeft);
    line->setObjectName(QStringLiteral("ledtDockbar"));

    if (!SettingsUtil::getValue(QStringLiteral("Config/Statusbar/Show/Value"), QStringLiteral("true")).toBool())
        return;   // switched off: nothing ever reaches the slots

    qRegisterMetaType<Severity>("Severity");
    connect(this, SIGNAL(showMessage(QString,Severity,int)), this, SLOT(showedMessage(QString,Severity,int)));
    connect(this, SIGNAL(showPermanent(bool)), this, SLOT(showedPermanent(bool)));
    // Messages of parts that do not know the window (the device link).
    connect(StatusMessageSink::instance(), SIGNAL(showMessage(QString,Severity,int)), this,
            SLOT(showedMessage(QString,Severity,int)));
    connect(StatusMessageSink::instance(), SIGNAL(showTextMessage(int,QString,QStringList,Severity,int)), this,
            SLOT(showedTextMessage(int,QString,QStringList,Severity,int)));
    connect(StatusMessageSink::instance(), SIGNAL(withdrawMessage(QString)), this, SLOT(withdraw(QString)));
    connect(StatusMessageSink::instance(), SIGNAL(withdrawTextMessage(int,QString,QStringList)), this,
            SLOT(withdrawText(int,QString,QStringList)));
}

StatusBar::~StatusBar()
{
    delete timer;
}

bool StatusBar::isShown() const
{
    return shown;
}

bool StatusBar::isPermanent() const
{
    return permanent;
}

QString StatusBar::text() const
{
    return line->text();
}

QString StatusBar::message() const
{
    return shownMessage;
}

void StatusBar::showedMessage(QString text, Severity severity, int durationMs)
{
    Q_UNUSED(severity)   // every severity looks the same
    shownMessage = text;
    line->setProperty("ZZActive", true);
    line->setText(QDateTime::currentDateTime().toString(QStringLiteral("dd.MM.yyyy hh:mm:ss"))
                  + QStringLiteral("  ") + text);
    repolish(line);
    line->home(false);
    showDock();
    timer->start(qMax(0, durationMs));
}

void StatusBar::showedTextMessage(int textId, QString defaultText, QStringList arguments, Severity severity,
                                  int durationMs)
{
    showedMessage(fillArguments(language->getText(textId, defaultText), arguments), severity, durationMs);
}

void StatusBar::showedPermanent(bool on)
{
    permanent = on;
    if (timer->isActive()) {
        // A message shown keeps its full time, whatever page comes.
        showDock();
        return;
    }
    if (on) {
        clearLine();
        showDock();
    } else {
        update();
    }
}

void StatusBar::withdraw(const QString& text)
{
    if (!text.isEmpty() && text == shownMessage)
        update();
}

void StatusBar::withdrawText(int textId, QString defaultText, QStringList arguments)
{
    withdraw(fillArguments(language->getText(textId, defaultText), arguments));
}

void StatusBar::update()
{
    timer->stop();
    clearLine();
    if (!permanent)
        hideDock();
}

void StatusBar::changeKeyboardVisibility()
{
}

void StatusBar::clearLine()
{
    shownMessage.clear();
    line->clear();
    line->setProperty("ZZActive", false);
    repolish(line);
}

void StatusBar::showDock()
{
    if (!shown) {
        if (!mainWindow->restoreDockWidget(dock))
            mainWindow->addDockWidget(Qt::BottomDockWidgetArea, dock);
        dock->show();
    }
    shown = true;
}

void StatusBar::hideDock()
{
    if (shown)
        mainWindow->removeDockWidget(dock);
    shown = false;
}
