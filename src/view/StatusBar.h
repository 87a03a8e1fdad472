#pragma once

#include "common/Severity.h"
#include "view/OverallView.h"

#include <QObject>
#include <QString>
#include <QStringList>

class QDockWidget;
class QLineEdit;
class QMainWindow;
class QTimer;

// The one-line status bar docked under the main window's page. A message
// shows as "dd.MM.yyyy hh:mm:ss", two blanks and the text for its duration,
// then the bar disappears; in permanent mode (the login page) the bar stays,
// empty. Any thread may emit showMessage(); the GUI thread shows it.
// "Config/Statusbar/Show/Value" false switches the bar off for the run.
class StatusBar : public QObject, public OverallView
{
    Q_OBJECT

public:
    StatusBar(QMainWindow* mainWindow, QObject* parent = nullptr);
    ~StatusBar() override;

    bool isShown() const;
    bool isPermanent() const;
    QString text() const;

signals:
    void showMessage(QString text, Severity severity, int durationMs);
    void showPermanent(bool on);

public slots:
    void showedMessage(QString text, Severity severity, int durationMs);
    // A text of the language files in the selected language, arguments put in.
    void showedTextMessage(int textId, QString defaultText, QStringList arguments, Severity severity,
                           int durationMs);
    void showedPermanent(bool on);
    // The message's time is over.
    void update();
    void changeKeyboardVisibility();

private:
    void clearLine();
    void showDock();
    void hideDock();

    QMainWindow* mainWindow;
    QTimer* timer;
    QDockWidget* dock;
    QLineEdit* line;
    bool shown;
    bool permanent;
};
