#include "ZDialog.h"

#include <QDebug>
#include <QMetaObject>
#include <QResizeEvent>

namespace {

int openDialogs = 0;

// Calls a slot of the covered window by name when it has one, so any window
// can host dialogs and the main window still learns about them.
void tellWindow(QWidget* window, const char* slotSignature, const char* slotName)
{
    if (window && window->metaObject()->indexOfSlot(slotSignature) >= 0)
        QMetaObject::invokeMethod(window, slotName, Qt::DirectConnection);
}

} // namespace

ZDialog::ZDialog(QWidget* parent, Qt::WindowFlags flags)
    : QDialog(parent, flags)
    , m_mainWindow(parent)
{
    // Exactly frameless: no window type bit, so the dialog is a child widget.
    setWindowFlags(Qt::FramelessWindowHint);
    move(0, 0);
    if (!parent) {
        qWarning() << "ZDialog needs the window it covers as parent; it stays a window of its own";
        close();
        return;
    }
    parent->installEventFilter(this);
    close();
    // The parent may still be laid out; take its size once the event loop runs.
    QMetaObject::invokeMethod(this, "resizeToMainWindow", Qt::QueuedConnection,
                              Q_ARG(QSize, parent->size()));
}

ZDialog::~ZDialog()
{
    // QWidget's destructor hides without reaching hideEvent here.
    if (m_counted)
        countClosed();
}

int ZDialog::openDialogCount()
{
    return openDialogs;
}

void ZDialog::resizeToMainWindow(QSize size)
{
    setMinimumSize(size);
    setMaximumSize(size);
}

bool ZDialog::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_mainWindow && event->type() == QEvent::Resize)
        resizeToMainWindow(static_cast<QResizeEvent*>(event)->size());
    return QDialog::eventFilter(watched, event);
}

void ZDialog::showEvent(QShowEvent* event)
{
    countOpened();
    // The dialog shown last is the one the user must see, above earlier ones.
    raise();
    QDialog::showEvent(event);
}

void ZDialog::hideEvent(QHideEvent* event)
{
    countClosed();
    QDialog::hideEvent(event);
}

void ZDialog::countOpened()
{
    if (m_counted)
        return;
    m_counted = true;
    ++openDialogs;
    tellWindow(m_mainWindow, "addDialogCounter()", "addDialogCounter");
}

void ZDialog::countClosed()
{
    if (!m_counted)
        return;
    m_counted = false;
    --openDialogs;
    tellWindow(m_mainWindow, "reduceDialogCounter()", "reduceDialogCounter");
}
