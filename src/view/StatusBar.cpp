#include "view/StatusBar.h"

#include "util/SettingsUtil.h"
#include "util/StatusMessageSink.h"
#include "widgets/Repolish.h"

#include <QDateTime>
#include <QDockWidget>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QMainWindow>
#include <QTimer>

StatusBar::StatusBar(QMainWindow* mainWindow, QObject* parent)
    : QObject(parent),
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

void StatusBar::showedMessage(QString text, Severity severity, int durationMs)
{
    Q_UNUSED(severity)   // every severity looks the same
    line->setProperty("ZZActive", true);
    line->setText(QDateTime::currentDateTime().toString(QStringLiteral("dd.MM.yyyy hh:mm:ss"))
                  + QStringLiteral("  ") + text);
    repolish(line);
    line->home(false);
    showDock();
    timer->start(qMax(0, durationMs));
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
