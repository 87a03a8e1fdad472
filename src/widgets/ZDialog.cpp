#include "ZDialog.h"

#include <QApplication>
#include <QDebug>
#include <QFocusEvent>
#include <QMetaObject>
#include <QResizeEvent>
#include <QShortcut>

namespace {

int openDialogs = 0;

// Bounds the walk along a window's focus chain.
const int MAX_FOCUS_CHAIN = 100000;

// Calls a slot of the covered window by name when it has one, so any window
// can host dialogs and the main window still learns about them.
void tellWindow(QWidget* window, const char* slotSignature, const char* slotName)
{
    if (window && window->metaObject()->indexOfSlot(slotSignature) >= 0)
        QMetaObject::invokeMethod(window, slotName, Qt::DirectConnection);
}

bool isKeyboardEvent(QEvent::Type type)
{
    switch (type) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::InputMethod:
        return true;
    default:
        return false;
    }
}

// The widget a keyboard event is meant for; a shortcut stands for its widget.
QWidget* keyboardTarget(QObject* receiver)
{
    if (QWidget* widget = qobject_cast<QWidget*>(receiver))
        return widget;
    if (QShortcut* shortcut = qobject_cast<QShortcut*>(receiver))
        return shortcut->parentWidget();
    return nullptr;
}

bool canTakeFocus(const QWidget* widget)
{
    return widget && widget->isVisible() && widget->isEnabled();
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
    if (qApp)
        qApp->removeEventFilter(this);
    // QWidget's destructor hides without reaching hideEvent here.
    if (m_counted) {
        countClosed();
        if (m_mainWindow && m_mainWindow->isVisible())
            giveFocusBack();
    }
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
    const QEvent::Type type = event->type();
    if (watched == m_mainWindow && type == QEvent::Resize)
        resizeToMainWindow(static_cast<QResizeEvent*>(event)->size());

    // Application-wide while shown: the topmost dialog keeps the keyboard.
    if (type == QEvent::ZOrderChange) {
        // A dialog raised above the others (or one lowered below them).
        QWidget* widget = qobject_cast<QWidget*>(watched);
        if (widget && m_mainWindow && widget->parentWidget() == m_mainWindow && isVisible() && isTopmost())
            takeFocus();
    } else if (isKeyboardEvent(type)) {
        if (isVisible() && isCovered(keyboardTarget(watched)) && isTopmost())
            return true;
    } else if (type == QEvent::FocusIn) {
        QWidget* widget = qobject_cast<QWidget*>(watched);
        if (isVisible() && isCovered(widget) && isTopmost()) {
            // Taken back once the focus change is complete.
            const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
            QPointer<ZDialog> self(this);
            QMetaObject::invokeMethod(
                this,
                [self, reason]() {
                    if (self && self->isVisible() && self->isTopmost())
                        self->takeFocus(reason);
                },
                Qt::QueuedConnection);
        }
    }
    return QDialog::eventFilter(watched, event);
}

void ZDialog::showEvent(QShowEvent* event)
{
    countOpened();
    // The dialog shown last is the one the user must see, above earlier ones.
    raise();
    QDialog::showEvent(event);
    if (!m_mainWindow)
        return;
    QWidget* owner = m_mainWindow->window()->focusWidget();
    if (!contains(owner))
        m_focusBefore = owner;
    qApp->installEventFilter(this);
    takeFocus();
}

void ZDialog::hideEvent(QHideEvent* event)
{
    countClosed();
    QDialog::hideEvent(event);
    qApp->removeEventFilter(this);
    giveFocusBack();
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

ZDialog* ZDialog::topmostShownOf(QWidget* window, const ZDialog* except)
{
    if (!window)
        return nullptr;
    // raise() moves a widget to the end of its parent's children.
    const QObjectList& children = window->children();
    for (int i = children.size() - 1; i >= 0; --i) {
        ZDialog* dialog = qobject_cast<ZDialog*>(children.at(i));
        if (dialog && dialog != except && dialog->isVisible())
            return dialog;
    }
    return nullptr;
}

bool ZDialog::isTopmost() const
{
    return topmostShownOf(m_mainWindow, nullptr) == this;
}

bool ZDialog::contains(const QWidget* widget) const
{
    return widget && (widget == this || isAncestorOf(widget));
}

bool ZDialog::isCovered(const QWidget* widget) const
{
    return widget && m_mainWindow && (widget == m_mainWindow || m_mainWindow->isAncestorOf(widget))
           && !contains(widget);
}

QList<QWidget*> ZDialog::focusableWidgets() const
{
    QList<QWidget*> result;
    // The chain runs through the whole window, in tab order, back to here.
    QWidget* widget = nextInFocusChain();
    for (int steps = 0; widget && widget != this && steps < MAX_FOCUS_CHAIN; ++steps) {
        if (isAncestorOf(widget) && widget->isVisibleTo(this) && widget->isEnabled()
            && (widget->focusPolicy() & Qt::TabFocus) && !widget->focusProxy())
            result.append(widget);
        widget = widget->nextInFocusChain();
    }
    return result;
}

void ZDialog::takeFocus(Qt::FocusReason reason)
{
    if (contains(window()->focusWidget()))
        return;
    const QList<QWidget*> candidates = focusableWidgets();
    QWidget* last = focusWidget();
    QWidget* target = this;
    if (reason == Qt::TabFocusReason && !candidates.isEmpty())
        target = candidates.first();   // Tab past the last widget wraps round
    else if (reason == Qt::BacktabFocusReason && !candidates.isEmpty())
        target = candidates.last();
    else if (last != this && contains(last) && canTakeFocus(last))
        target = last;
    else if (!candidates.isEmpty())
        target = candidates.first();
    target->setFocus(reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason ? reason
                                                                                      : Qt::OtherFocusReason);
}

void ZDialog::giveFocusBack()
{
    if (!m_mainWindow)
        return;
    const QPointer<QWidget> before = m_focusBefore;
    m_focusBefore = nullptr;

    // A dialog shown over this one that remembered a widget in here goes
    // back past it, to where this one came from.
    for (QObject* child : m_mainWindow->children()) {
        ZDialog* other = qobject_cast<ZDialog*>(child);
        if (other && other != this && contains(other->m_focusBefore))
            other->m_focusBefore = before;
    }

    QWidget* owner = m_mainWindow->window()->focusWidget();
    if (owner && !contains(owner))
        return;   // the focus is elsewhere already, e.g. in a dialog above
    if (ZDialog* below = topmostShownOf(m_mainWindow, this)) {
        if (below->contains(before) && canTakeFocus(before))
            before->setFocus(Qt::OtherFocusReason);
        else
            below->takeFocus();
        return;
    }
    if (canTakeFocus(before))
        before->setFocus(Qt::OtherFocusReason);
}
