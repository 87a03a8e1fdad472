#pragma once

#include "common/GlobalEnums.h"
#include "util/OverallUtil.h"

#include <QString>

// Worker of the measurement screen's frame: the ring-buffer state
// ("$.MEM.RING") shown on the logger button and the network name
// ("$.SERV.NET.SSID") behind the connection button. Lives in the GUI thread.
class DataMainUtil : public OverallUtil
{
    Q_OBJECT

public:
    explicit DataMainUtil(QObject* parent = nullptr);

    // Read the value (a missing one is requested) and emit it when it has the right type.
    void readRingBuffer();
    void readConnectionInfo();

signals:
    void updateRingBuffer();
    void updateRingBuffer(int state);
    void updateConnectionInfo();
    void updateConnectionInfo(QString ssid);

public slots:
    void jsonTelegramm(GlobalEnums::InstructionType type, QString path);
};
