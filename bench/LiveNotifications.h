#pragma once

// One live update of the 64 channels as the mirror announces it, for the
// benchmarks of the workers' change-notification filters.

#include "common/GlobalEnums.h"

#include <QObject>
#include <QString>
#include <QVector>

namespace benchmark {
class State;
}

namespace tevarobench {

constexpr int liveChannelCount = 64;
constexpr int livePathCount = 1000;

// The paths of one live update of the 64 channels: values, extremes,
// status, compensations, functions, texts.
QVector<QString> livePaths();

// Sends the mirror's change notification; connected queued, as the mirror's
// reach the GUI thread from its receive thread.
class NotificationSource : public QObject
{
    Q_OBJECT

signals:
    void telegramAvailable(GlobalEnums::InstructionType type, QString path);
};

// Receives the notifications and does nothing with them.
class EmptyReceiver : public QObject
{
public:
    void onTelegram(GlobalEnums::InstructionType, QString) {}
};

// Emits the 1,000 live-value notifications from source per iteration and
// runs the queued deliveries.
void emitLiveValues(benchmark::State& state, NotificationSource& source);

// Queues the 1,000 live-value notifications to receiver's slot and runs them.
template<typename Receiver>
void queueLiveValues(benchmark::State& state, Receiver* receiver,
                     void (Receiver::*slot)(GlobalEnums::InstructionType, QString))
{
    NotificationSource source;
    QObject::connect(&source, &NotificationSource::telegramAvailable, receiver, slot, Qt::QueuedConnection);
    emitLiveValues(state, source);
}

} // namespace tevarobench
