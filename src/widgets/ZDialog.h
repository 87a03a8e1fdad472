#pragma once

#include <QDialog>
#include <QPointer>

// Base of every dialog: a frameless panel inside the main window that covers it
// and follows its size, instead of a window of its own.
//
// Shown dialogs are counted: openDialogCount() tells how many are open, and the
// covered window is told through its slots addDialogCounter() and
// reduceDialogCounter() when it has them (the main window blocks its Back key
// while a dialog is open). Every counted show is matched by exactly one
// decrement, also when a dialog is destroyed while visible.
class ZDialog : public QDialog
{
    Q_OBJECT

public:
    // The parent is the window to cover; it is required.
    explicit ZDialog(QWidget* parent, Qt::WindowFlags flags = Qt::WindowFlags());
    ~ZDialog() override;

    static int openDialogCount();

public slots:
    void resizeToMainWindow(QSize size);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void countOpened();
    void countClosed();

    QPointer<QWidget> m_mainWindow;
    bool m_counted = false;
};
