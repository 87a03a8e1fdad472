#include "LiveNotifications.h"

#include "GuiApplication.h"

#include <benchmark/benchmark.h>

namespace tevarobench {

QVector<QString> livePaths()
{
    static const char* const ways[] = {"MV.MW.VAL", "MV.MAW.VAL", "MV.MIW.VAL", "MV.MTW.VAL",
                                       "MV.STF.VAL", "MV.CJ.VAL", "MV.CT.VAL", "MV.CP.VAL",
                                       "MV.MW.DIM", "MV.T", "MV.BE", "MV.FR.CJ",
                                       "FCT.TARA.OFFS.VAL", "FCT.TARA.VAL", "FCT.CLMX.VAL", "ADR"};
    QVector<QString> paths;
    paths.reserve(livePathCount);
    for (int w = 0; paths.size() < livePathCount; ++w)
        for (int c = 0; c < liveChannelCount && paths.size() < livePathCount; ++c)
            paths.append(QStringLiteral("$.DATA.MK[%1].").arg(c) + QLatin1String(ways[w % 16]));
    return paths;
}

void emitLiveValues(benchmark::State& state, NotificationSource& source)
{
    const QVector<QString> paths = livePaths();
    settleEvents();
    for (auto _ : state) {
        for (const QString& path : paths)
            emit source.telegramAvailable(GlobalEnums::SET, path);
        settleEvents();
    }
    state.SetItemsProcessed(state.iterations() * livePathCount);
}

} // namespace tevarobench
