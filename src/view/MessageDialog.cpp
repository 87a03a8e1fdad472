#include "view/MessageDialog.h"
#include "ui_MessageDialog.h"

#include "util/Language.h"
#include "util/MessageDialogUtil.h"
#include "util/OwnMessageId.h"
#include "util/TevaroApp.h"

#include <QLayout>
#include <QPushButton>
#include <QTextDocument>
#include <QTextEdit>
#include <QtMath>
#include <QSignalMapper>
#include <QStyle>
#include <QtDebug>

#include <memory>

namespace {
const int PANEL_HEIGHT = 150;   // the form's height of the panel
const int BUTTON_COUNT = 3;
const int OK_TEXT_ID = 628;
}

MessageDialog::MessageDialog(QWidget* parent, TevaroApp* app)
    : ZDialog(parent, Qt::WindowStaysOnTopHint),
      OverallView(),
      ui(new Ui::MessageDialog),
      parentWidget(parent),
      app(app),
      mapper(new QSignalMapper())
{
    ui->setupUi(this);
    ui->tedMessageContent->setTextInteractionFlags(Qt::NoTextInteraction);
    // Nothing to do in the text: the keyboard belongs to the buttons.
    ui->tedMessageContent->setFocusPolicy(Qt::NoFocus);

    for (int i = 0; i < BUTTON_COUNT; ++i) {
        QPushButton* button = new QPushButton(QString::number(i));
        button->setObjectName(QStringLiteral("btnMessageDialog%1").arg(i));
        button->hide();
        ui->hlButtons->addWidget(button);
        connect(button, SIGNAL(clicked(bool)), mapper, SLOT(map()));
        mapper->setMapping(button, i);
        buttons.append(button);
    }
    connect(mapper, SIGNAL(mappedInt(int)), this, SLOT(hideMessage(int)));

    qRegisterMetaType<structMessage>("structMessage");
    connect(this, SIGNAL(showMessage(structMessage)), this, SLOT(settingDialog(structMessage)));
    if (app) {
        connect(this, SIGNAL(sendButton_ID(int,structMessage)), app->getMessageDialogUtil(),
                SLOT(receivedButton_ID(int,structMessage)));
        connect(app, SIGNAL(onLogout()), this, SLOT(dropDeviceMessages()));
    }
}

MessageDialog::~MessageDialog()
{
    delete ui;
    delete mapper;
    for (QPushButton* button : qAsConst(buttons))
        button->deleteLater();
}

int MessageDialog::queuedCount() const
{
    return messageQueue.size();
}

structMessage MessageDialog::currentMessage() const
{
    return messageQueue.isEmpty() ? structMessage() : messageQueue.first();
}

bool MessageDialog::belongsToEndedSession(const structMessage& message) const
{
    return !message.isOwnMessage() && app && message.session != app->getSession();
}

void MessageDialog::settingDialog(structMessage message)
{
    if (belongsToEndedSession(message)) {
        qInfo().noquote() << QStringLiteral("Message %1 of an ended session is not shown").arg(message.mid);
        return;
    }
    if (messageQueue.isEmpty()) {
        messageQueue.append(message);
        displayHead();
        return;
    }
    for (const structMessage& queued : qAsConst(messageQueue)) {
        if (queued.mid == message.mid)
            return;   // already waiting or on screen
    }
    messageQueue.append(message);
}

QPixmap MessageDialog::iconPixmap(int icon) const
{
    QPixmap picture(QStringLiteral(":/pic/msg/Icon_") + QString::number(icon) + QStringLiteral(".png"));
    if (!picture.isNull())
        return picture;
    QStyle::StandardPixmap standard;
    switch (icon) {
    case 0:
        standard = QStyle::SP_MessageBoxInformation;
        break;
    case 1:
        standard = QStyle::SP_MessageBoxWarning;
        break;
    case 2:
        standard = QStyle::SP_MessageBoxCritical;
        break;
    default:
        return QPixmap();
    }
    const int size = style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, this);
    return style()->standardIcon(standard, nullptr, this).pixmap(size, size);
}

void MessageDialog::displayHead()
{
    if (messageQueue.isEmpty())
        return;
    const structMessage& message = messageQueue.first();
    ui->tedMessageContent->setPlainText(message.text);
    ui->lblIcon->setPixmap(iconPixmap(message.icon));

    for (QPushButton* button : qAsConst(buttons))
        button->hide();
    if (message.buttonTexts.isEmpty()) {
        buttons.at(0)->setText(QStringLiteral("OK"));
        buttons.at(0)->show();
    } else {
        const int count = qMin(message.buttonTexts.size(), BUTTON_COUNT);
        for (int i = 0; i < count; ++i) {
            const QString& caption = message.buttonTexts.at(i);
            if (!caption.isEmpty()) {
                buttons.at(i)->setText(caption);
                buttons.at(i)->show();
            } else if (i == 0) {
                buttons.at(i)->setText(language->getText(OK_TEXT_ID, QStringLiteral("Ok")));
                buttons.at(i)->show();
            }
        }
    }

    show();
    fitPanelToText();
    // Above any dialog opened after this panel was created.
    raise();
    focusFirstButton();
}

void MessageDialog::fitPanelToText()
{
    QWidget* panel = ui->wgtMessageDialog;
    QTextEdit* text = ui->tedMessageContent;
    panel->setFixedHeight(PANEL_HEIGHT);
    layout()->activate();
    QTextDocument* document = text->document();
    document->setTextWidth(text->viewport()->width());
    const int textHeight = qCeil(document->size().height()) + 2 * text->frameWidth();
    const int besideText = PANEL_HEIGHT - text->height();   // margins, icon row and buttons
    const int wanted = qBound(PANEL_HEIGHT, textHeight + besideText, qMax(PANEL_HEIGHT, height() * 2 / 3));
    panel->setFixedHeight(wanted);
}

void MessageDialog::focusFirstButton()
{
    for (QPushButton* button : qAsConst(buttons)) {
        if (button->isVisibleTo(this)) {
            button->setFocus(Qt::OtherFocusReason);
            return;
        }
    }
}

void MessageDialog::reject()
{
    qInfo().noquote() << "The message panel is answered by its buttons only";
}

void MessageDialog::hideMessage(int index)
{
    if (messageQueue.isEmpty())
        return;
    const structMessage message = messageQueue.takeFirst();
    // Hidden before the answer is carried out: a logout may run its own event
    // loop, and the panel must not take a second press meanwhile.
    hide();
    emit sendButton_ID(index, message);
    if (!messageQueue.isEmpty() && !isVisible())
        displayHead();
}

void MessageDialog::dropDeviceMessages()
{
    if (messageQueue.isEmpty())
        return;
    const qint64 shownMid = messageQueue.first().mid;
    for (int i = messageQueue.size() - 1; i >= 0; --i) {
        if (!messageQueue.at(i).isOwnMessage())
            messageQueue.removeAt(i);
    }
    if (messageQueue.isEmpty()) {
        hide();
    } else if (messageQueue.first().mid != shownMid) {
        displayHead();
    }
}

void MessageDialog::showDialog(const qint64& MID, const qint64& MUID, const QString& text, const int& icon,
                               const QStringList& buttonCaptions)
{
    if (MID >= 0) {
        qWarning().noquote() << QStringLiteral("MesageDialog can not be set. ") + text;
        return;
    }
    structMessage message;
    message.text = text;
    message.icon = icon;
    message.mid = MID;
    message.muid = MUID;
    message.severity = 0;
    message.type = 0;
    for (const QString& caption : buttonCaptions) {
        message.buttonTexts.append(caption);
        message.buttonValues.append(0);
        message.buttonOperations.append(structMessage::NO_OPERATION);
    }
    emit showMessage(message);
    if (!messageQueue.isEmpty())
        raise();   // takes the keyboard with it
}

qint64 MessageDialog::askQuestion(const QString& text, const int& icon, const QStringList& buttonCaptions,
                                  QObject* context, const std::function<void(int)>& onAnswer)
{
    qint64 mid = 0;
    qint64 muid = 0;
    OwnMessageId::next(mid, muid);
    auto connection = std::make_shared<QMetaObject::Connection>();
    *connection = connect(this, &MessageDialog::sendButton_ID, context ? context : this,
                          [connection, mid, onAnswer](int index, const structMessage& answered) {
                              if (answered.mid != mid)
                                  return;   // someone else's message
                              QObject::disconnect(*connection);
                              if (onAnswer)
                                  onAnswer(index);
                          });
    showDialog(mid, muid, text, icon, buttonCaptions);
    return mid;
}
