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
    // The line as shown: the time, two blanks and the message.
    QString text() const;
    // The message shown, without its time; empty when none shows.
    QString message() const;

signals:
    void showMessage(QString text, Severity severity, int durationMs);
    void showPermanent(bool on);

public slots:
    void showedMessage(QString text, Severity severity, int durationMs);
    // A text of the language files in the selected language, arguments put in.
    void showedTextMessage(int textId, QString defaultText, QStringList arguments, Severity severity,
                           int durationMs);
    void showedPermanent(bool on);
    // Takes text off the bar while it is the message shown: a notice that is
    // no longer true goes before its time is over. Any other message stays.
    void withdraw(const QString& text);
    void withdrawText(int textId, QString defaultText, QStringList arguments);
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
    QString shownMessage;
    bool shown;
    bool permanent;
};
