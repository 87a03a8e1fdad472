#pragma once

#include <QDialog>
#include <QPointer>

class QFocusEvent;

// Base of every dialog: a frameless panel inside the main window that covers it
// and follows its size, instead of a window of its own.
//
// Shown dialogs are counted: openDialogCount() tells how many are open, and the
// covered window is told through its slots addDialogCounter() and
// reduceDialogCounter() when it has them (the main window blocks its Back key
// while a dialog is open). Every counted show is matched by exactly one
// decrement, also when a dialog is destroyed while visible.
//
// A shown dialog is modal for the keyboard: the topmost shown dialog of a
// window takes the focus (also when raised), key events aimed at the covered
// widgets are dropped,
// focus that strays onto them (Tab, code) is brought back, and when the dialog
// hides the focus returns to where it was before.
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
    // Moves the keyboard focus into this dialog unless it is already inside:
    // to the widget that had it last, else the first (or, for Backtab, the
    // last) widget that takes focus, else the dialog itself.
    void takeFocus(Qt::FocusReason reason = Qt::OtherFocusReason);
    void countOpened();
    void countClosed();
    bool isTopmost() const;
    bool contains(const QWidget* widget) const;
    // Covered: the window or one of its widgets, outside this dialog.
    bool isCovered(const QWidget* widget) const;
    QList<QWidget*> focusableWidgets() const;
    void giveFocusBack();
    static ZDialog* topmostShownOf(QWidget* window, const ZDialog* except);

    QPointer<QWidget> m_mainWindow;
    QPointer<QWidget> m_focusBefore;   // focus owner when this dialog was shown
    bool m_counted = false;
};
