#pragma once

#include <QList>
#include <QMetaType>
#include <QString>
#include <QStringList>

// One device or application message, copied by value; travels through queued
// signals as the metatype "structMessage".
struct structMessage
{
    QString text;                 // already translated
    int severity = 1;             // passed on to the status bar
    int icon = -1;                // 0 information, 1 warning, 2 critical, else none
    qint64 mid = 0;               // "MID": the queue key; negative for the program's own messages
    qint64 muid = 0;              // "MUID": echoed in the answer
    int type = 0;                 // "MTYP": 0 status-bar line, else dialog
    int duration = -1;            // status-bar time in ms; negative: 10000
    QStringList buttonTexts;      // captions, translated
    QList<int> buttonValues;      // "VAL" of each button
    QList<int> buttonOperations;  // "OPRT" bits of each button
    // Login session the device message arrived in; a message of an ended
    // session is not shown. 0 for the program's own messages.
    quint64 session = 0;

    // Bits of buttonOperations.
    enum Operation { SEND_ANSWER = 1, LOGOUT = 2, NO_OPERATION = 4 };

    bool isOwnMessage() const { return mid < 0; }
};

Q_DECLARE_METATYPE(structMessage)
