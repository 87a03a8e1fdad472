#pragma once

// Points the client's settings at a started simulator, with the short poll
// and receive intervals that let an end-to-end test run in seconds.

#include "SimulatorProcess.h"

#include "util/SettingsUtil.h"

inline void pointClientAtSimulator(const SimulatorProcess& simulator)
{
    SettingsUtil::setValue(QStringLiteral("Config/Network/WebServer/IPAdress"), QStringLiteral("127.0.0.1"));
    SettingsUtil::setValue(QStringLiteral("Config/Network/WebServer/Port"), QString::number(simulator.port()));
    SettingsUtil::setValue(QStringLiteral("Config/TevaroApp/PollTime"), QStringLiteral("20"));
    SettingsUtil::setValue(QStringLiteral("Config/TevaroApp/UpdateTime"), QStringLiteral("10"));
}
