#include "view/OverallView.h"

#include "util/AppContext.h"
#include "util/Language.h"
#include "util/TevaroApp.h"
#include "view/StatusBar.h"

#include <QString>
#include <QVariant>
#include <QWidget>

#include <atomic>

namespace {

Language* sharedLanguage = nullptr;
int languageUsers = 0;

// Read from the receive thread too (device messages).
std::atomic<MainWindow*> frameMainWindow{nullptr};
std::atomic<StatusBar*> frameStatusBar{nullptr};
std::atomic<MessageDialog*> frameMessageDialog{nullptr};

} // namespace

OverallView::OverallView()
    : language(nullptr)
{
    if (!sharedLanguage)
        sharedLanguage = new Language();
    ++languageUsers;
    language = sharedLanguage;
}

OverallView::~OverallView()
{
    if (languageUsers <= 1) {
        delete sharedLanguage;
        sharedLanguage = nullptr;
        languageUsers = 0;
    } else {
        --languageUsers;
    }
}

MainWindow* OverallView::getMainWindow()
{
    return frameMainWindow;
}

StatusBar* OverallView::getStatusBar()
{
    return frameStatusBar;
}

MessageDialog* OverallView::getMessageDialog()
{
    return frameMessageDialog;
}

void OverallView::setFrame(MainWindow* mainWindow, StatusBar* statusBar, MessageDialog* messageDialog)
{
    frameMainWindow = mainWindow;
    frameStatusBar = statusBar;
    frameMessageDialog = messageDialog;
}

void OverallView::setTranslatable(QWidget* widget, int id, const QString& defaultText)
{
    widget->setProperty("Language_ID", id);
    widget->setProperty("Language_Default", defaultText);
}

QString OverallView::translated(int id, const QString& defaultText)
{
    return sharedLanguage ? sharedLanguage->getText(id, defaultText) : defaultText;
}

void OverallView::showStatus(const QString& text, int durationMs)
{
    if (StatusBar* bar = getStatusBar())
        emit bar->showMessage(text, SEVERITY_NOTICE, durationMs);
}

void OverallView::withdrawStatus(const QString& text)
{
    if (StatusBar* bar = getStatusBar())
        bar->withdraw(text);
}

void OverallView::closeOnLogout(QWidget* dialog)
{
    AppContext* context = AppContext::get();
    if (TevaroApp* app = context->getApp())
        QObject::connect(app, SIGNAL(onLogout()), dialog, SLOT(close()));
    AppContext::release();
}
