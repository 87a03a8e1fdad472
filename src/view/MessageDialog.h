#pragma once

#include "util/StructMessage.h"
#include "view/OverallView.h"
#include "widgets/ZDialog.h"

#include <QList>
#include <QPixmap>
#include <QStringList>

#include <functional>

class QPushButton;
class QSignalMapper;
class TevaroApp;

namespace Ui {
class MessageDialog;
}

// The one message panel: queues device and program messages and shows them
// one at a time over the main window, each with up to three answer buttons.
// A pressed button leaves the panel as sendButton_ID(index, message).
//
// Device messages belong to the login session they arrived in: at logout they
// leave the queue, and one that arrives after its session ended is dropped.
// The program's own messages (negative MID) stay.
//
// The panel is modal: while it shows a message it holds the keyboard focus
// (its first button), and only its buttons take it away.
class MessageDialog : public ZDialog, public OverallView
{
    Q_OBJECT

public:
    MessageDialog(QWidget* parent, TevaroApp* app);
    ~MessageDialog() override;

    // Shows a message of the program's own; MID must be negative.
    void showDialog(const qint64& MID, const qint64& MUID, const QString& text, const int& icon,
                    const QStringList& buttons);
    // Asks a question of the program's own with fresh ids and calls onAnswer
    // once with the index of the button pressed; the connection ends with the
    // answer, or with context. Returns the question's MID.
    qint64 askQuestion(const QString& text, const int& icon, const QStringList& buttons, QObject* context,
                       const std::function<void(int)>& onAnswer);

    int queuedCount() const;
    // The message on screen; a default message when the queue is empty.
    structMessage currentMessage() const;
    // The picture shown for an icon number: ":pic/msg/Icon_<n>.png" or the
    // style's standard message-box icon; null for other numbers.
    QPixmap iconPixmap(int icon) const;

signals:
    void showMessage(structMessage message);
    void sendButton_ID(int index, structMessage message);

public slots:
    void settingDialog(structMessage message);
    void hideMessage(int index);
    // Removes the device messages of the ended session.
    void dropDeviceMessages();
    // Escape and the like: a message is answered by its buttons only.
    void reject() override;

private:
    void displayHead();
    // The panel grows with a long text, up to two thirds of the window, so
    // that a list of values needs no scrolling; a short one keeps its size.
    void fitPanelToText();
    void focusFirstButton();
    bool belongsToEndedSession(const structMessage& message) const;

    Ui::MessageDialog* ui;
    QWidget* parentWidget;
    TevaroApp* app;
    QList<structMessage> messageQueue;   // the head is on screen
    QList<QPushButton*> buttons;
    QSignalMapper* mapper;
};
