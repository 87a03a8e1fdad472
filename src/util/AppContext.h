#pragma once

#include <atomic>

class MainWindow;
class TevaroApp;

// The process-wide context holder: gives every part access to the main window
// and the application object. One shared instance behind a reference count;
// taking and releasing a reference is safe from any thread.
class AppContext
{
public:
    // The shared instance, created on first use; adds one reference.
    static AppContext* get();
    // Drops one reference; the last one deletes the instance.
    static void release();

    void setApp(TevaroApp* app);
    TevaroApp* getApp() const;
    void setMainWindow(MainWindow* mainWindow);
    MainWindow* getMainWindow() const;

private:
    AppContext() = default;

    // Written during start-up, read from the GUI and the receive thread.
    std::atomic<MainWindow*> mainWindow{nullptr};
    std::atomic<TevaroApp*> app{nullptr};
};
