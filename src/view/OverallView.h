#pragma once

class Language;
class MainWindow;
class MessageDialog;
class QString;
class QWidget;
class StatusBar;

// Mixin base of every screen and dialog, beside its widget base: holds the
// shared Language object and gives access to the main window, its status bar
// and its message dialog. Screens and dialogs live in the GUI thread only.
class OverallView
{
public:
    // The main window and its parts, as registered by the main window's
    // constructor before it creates the pages; null before that.
    static MainWindow* getMainWindow();
    static StatusBar* getStatusBar();
    static MessageDialog* getMessageDialog();

    // Marks a widget for the language switch: its text id and the built-in
    // German text shown until a language is applied.
    static void setTranslatable(QWidget* widget, int id, const QString& defaultText);
    // Closes dialog when the session ends, so nothing of one login stays open for the next.
    static void closeOnLogout(QWidget* dialog);
    // The text of id in the selected language; defaultText while no view holds
    // the language, or when the language lacks the id.
    static QString translated(int id, const QString& defaultText);
    // Shows severity-0 text on the status bar for durationMs.
    static void showStatus(const QString& text, int durationMs = 10000);
    // Takes text off the status bar while it shows there (GUI thread).
    static void withdrawStatus(const QString& text);

protected:
    // The first view creates the shared Language, the last one deletes it.
    OverallView();
    ~OverallView();

    static void setFrame(MainWindow* mainWindow, StatusBar* statusBar, MessageDialog* messageDialog);

    Language* language;

private:
    OverallView(const OverallView&) = delete;
    OverallView& operator=(const OverallView&) = delete;
};
