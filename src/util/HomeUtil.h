#pragma once

#include "common/GlobalEnums.h"
#include "util/OverallUtil.h"

#include <QString>

// Worker of the home page: the ring-buffer state ("$.MEM.RING") and whether
// the logged-in user may manage users ("$.USMG.AUT" judged by the user's
// rights). Lives in the GUI thread; the change notifications reach it queued.
class HomeUtil : public OverallUtil
{
    Q_OBJECT

public:
    explicit HomeUtil(QObject* parent = nullptr);

    // Reads "$.MEM.RING" (a missing one is requested) and emits
    // updateRingBuffer(int) when it is an integer.
    void getRingBuffer();
    // Reads "$.USMG.AUT" (a missing one is requested) and emits
    // updateUserManagment(true) exactly when the user has full rights on it;
    // a value that is no whole 64-bit number gives false, a missing one nothing.
    void getUserManagement();

signals:
    void updateRingBuffer();
    void updateRingBuffer(int state);
    void updateUserManagment(bool enabled);

public slots:
    void jsonTelegramm(GlobalEnums::InstructionType type, QString path);

private slots:
    void rightsChanged();
};
