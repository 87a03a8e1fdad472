#pragma once

class Language;
class MainWindow;
class MessageDialog;
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
