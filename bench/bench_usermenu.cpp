// The user menus on a mirror shaped like the simulator's: its channel
// description ("$.DATA.CH") and its channels repeated to 64 ("$.DATA.MK"),
// and a user-menu file with one menu of twelve assigned cells (template
// twelve, two cells per row) showing the value, maximum or minimum of twelve
// channels spread over the 64.
//   - a refresh of the shown grid: UserMenuUtil::getUserMenu and the screen's
//     setUserMenu (a tile per cell), shown offscreen with layout, paint and
//     the deletion of the previous tiles, against the floor of the same 60
//     mirror reads (per cell: ADR, MV, the value's VAL and DIM, MV.STF.VAL)
//     and one plain QLabel per cell in a QTableWidget;
//   - the store's three change notifications over the 1,000 paths of one
//     live update (before, one per path, after), against twelve
//     QString::contains per path; once before the cell dialog was ever
//     opened (no update path known yet) and once after;
//   - the cell dialog's choices: getActiveChannels until updateAddSelectDialog
//     arrives (a channel-list worker, its query and the value items), against
//     one query of the channels ("$.DATA.MK[*]"). Both in wall-clock time, as
//     the list is built on worker threads; the request, the wait for the
//     answer and the deletion of the worker afterwards are shown apart.

#include "Ratio.h"

#include "util/FileUtil.h"
#include "util/JSONUtil.h"
#include "util/TevaroApp.h"
#include "util/UserMenuUtil.h"
#include "view/TableObject.h"
#include "view/UserMenu.h"
#include "widgets/ZUserMenuWidget.h"

#include "GuiApplication.h"
#include "LiveNotifications.h"
#include "SimulatorTree.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QTableWidget>
#include <QTimer>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>

using namespace tevarobench;

namespace {

constexpr int channelCount = 64;
constexpr int cellCount = 12;
constexpr int cellsPerRow = 2;
constexpr int tileRowHeight = 80;   // the template's row height for its rows

const char* const valueWays[] = {"MV.MW", "MV.MAW", "MV.MIW"};

// Cell k shows channel channelOfCell(k).
int channelOfCell(int k)
{
    return k * 5 + 2;
}

QString channelPath(int channel)
{
    return QStringLiteral("$.DATA.MK[%1]").arg(channel);
}

// The user-menu file in the benchmark's own data folder (see guiApplication).
void writeMenuFile()
{
    Json::Value cells(Json::arrayValue);
    for (int k = 0; k < cellCount; ++k) {
        Json::Value cell(Json::objectValue);
        cell["IDX"] = k;
        cell["CHAN"]["PATH"] = channelPath(channelOfCell(k)).toStdString();
        cell["VAL"]["WAY"] = valueWays[k % 3];
        cells.append(cell);
    }
    Json::Value menu(Json::objectValue);
    menu["NAME"] = "Kessel";
    menu["ST"] = static_cast<int>(UserMenuUtil::STYLE_TWELVE);
    menu["CELL"] = cells;
    Json::Value root(Json::objectValue);
    root["MENU"].append(menu);

    const QString path = FileUtil::basePath() + QStringLiteral("/User/UserMenu.json");
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    const std::string text = Json::StyledWriter().write(root);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)
        || file.write(text.data(), qint64(text.size())) != qint64(text.size())) {
        std::fprintf(stderr, "Cannot write the user-menu file %s\n", qPrintable(path));
        std::exit(1);
    }
}

// A client without a session whose mirror holds the simulator's description
// and 64 channels, a user-menu file, the user-menu screen showing the menu's
// grid at a width for two cells per row, and two stores of their own showing
// the menu for the notifications and the cell dialog's choices: one that is
// asked for the choices and one that never is.
struct UserMenuBench
{
    UserMenuBench()
    {
        guiApplication();
        writeMenuFile();
        app.reset(new TevaroApp());

        const Json::Value tree = simulatorTree();
        const Json::Value& own = tree["DATA"]["MK"];
        Json::Value channels(Json::arrayValue);
        for (int i = 0; i < channelCount; ++i) {
            Json::Value channel = own[Json::ArrayIndex(i) % own.size()];
            channel["IDX"] = i;
            channel["ADR"] = QStringLiteral("CH%1").arg(i + 1, 2, 10, QLatin1Char('0')).toStdString();
            channels.append(channel);
        }
        JSONUtil* json = app->getJSONUtil();
        json->appendJson(tree["DATA"]["CH"], QStringLiteral("$.DATA.CH"));
        json->appendJson(channels, QStringLiteral("$.DATA.MK"));

        screen.reset(new UserMenu(nullptr));
        screen->resize(screenWidth, screenHeight);
        screen->show();
        settleEvents();
        screen->deleteSetUserMenu(0, 0);   // a tap on the menu's name opens its grid
        settleEvents();

        store = showingStore();
        storeWithoutChoices = showingStore();
    }

    static std::unique_ptr<UserMenuUtil> showingStore()
    {
        std::unique_ptr<UserMenuUtil> util(new UserMenuUtil(nullptr));
        util->setColumnCount(cellsPerRow);
        util->setRowCount(cellCount / cellsPerRow);
        util->getJsonPath();
        util->getUserMenu(0);
        return util;
    }

    bool gridShown() const
    {
        return !screen->isShowingMenuList() && screen->getCellsPerRow() == cellsPerRow
               && screen->getTable()->rowCount() == cellCount / cellsPerRow
               && screen->getTable()->findChildren<ZUserMenuWidget*>().size() == cellCount;
    }

    std::unique_ptr<TevaroApp> app;
    std::unique_ptr<UserMenu> screen;
    std::unique_ptr<UserMenuUtil> store;
    std::unique_ptr<UserMenuUtil> storeWithoutChoices;
};

UserMenuBench& bench()
{
    static UserMenuBench instance;
    return instance;
}

// ------------------------------------------------------------ grid refresh

// Widgets built (and polished against the style sheet) per cell at every refresh.
double widgetsPerCell(const QTableWidget& table)
{
    return double(table.viewport()->findChildren<QWidget*>().size()) / cellCount;
}

void BM_UserMenuGridRefresh(benchmark::State& state)
{
    UserMenuBench& setup = bench();
    if (!setup.gridShown()) {
        state.SkipWithError("the menu's grid is not shown");
        return;
    }
    for (auto _ : state) {
        setup.screen->getUserMenu();   // the refresh timer's slot
        settleEvents();
    }
    if (!setup.gridShown())
        state.SkipWithError("the grid was lost on the way");
    state.SetItemsProcessed(state.iterations() * cellCount);
    state.counters["widgets_per_cell"] = widgetsPerCell(*setup.screen->getTable());
}
BENCHMARK(BM_UserMenuGridRefresh)->Unit(benchmark::kMicrosecond);

QString plainText(const Json::Value& value)
{
    if (value.isString())
        return QString::fromStdString(value.asString());
    if (value.isNumeric())
        return QString::number(value.asDouble(), 'g', 6);
    return QStringLiteral("---");
}

// The same reads of a cell, straight into one label text.
QString plainCellText(JSONUtil* json, int k)
{
    const QString channel = channelPath(channelOfCell(k));
    const QString value = channel + QLatin1Char('.') + QLatin1String(valueWays[k % 3]);
    Json::Value address, measured, number, unit, status;
    json->getMasterJSONbyPath(channel + QStringLiteral(".ADR"), address, true);
    json->getMasterJSONbyPath(channel + QStringLiteral(".MV"), measured, true);
    json->getMasterJSONbyPath(value + QStringLiteral(".VAL"), number, true);
    json->getMasterJSONbyPath(value + QStringLiteral(".DIM"), unit, true);
    json->getMasterJSONbyPath(channel + QStringLiteral(".MV.STF.VAL"), status, true);
    const QString flagged = status.isArray() && !status.empty() ? QStringLiteral(" !") : QString();
    return plainText(address) + QLatin1Char(' ') + plainText(measured["T"]) + QLatin1Char('\n') + plainText(number)
           + QLatin1Char(' ') + plainText(unit) + flagged;
}

void BM_PlainQLabelGridFloor(benchmark::State& state)
{
    JSONUtil* json = bench().app->getJSONUtil();
    const int rows = cellCount / cellsPerRow;
    QTableWidget widget;
    showPlainTable(widget, cellsPerRow);
    for (auto _ : state) {
        renewRows(widget, rows);
        for (int k = 0; k < cellCount; ++k) {
            widget.setCellWidget(k / cellsPerRow, k % cellsPerRow, new QLabel(plainCellText(json, k)));
            widget.setRowHeight(k / cellsPerRow, tileRowHeight);
        }
        settleEvents();
    }
    state.SetItemsProcessed(state.iterations() * cellCount);
    state.counters["widgets_per_cell"] = widgetsPerCell(widget);
}
BENCHMARK(BM_PlainQLabelGridFloor)->Unit(benchmark::kMicrosecond);

// ------------------------------------------------------- live notifications

double secondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Wall-clock seconds of the phases of one request for the choices.
struct ChoicePhases
{
    double request = 0;   // getActiveChannels itself
    double waiting = 0;   // until updateAddSelectDialog arrives
    double cleanup = 0;   // the deferred deletion of the channel-list worker
};

// Spins the event loop until the store hands the cell dialog its choices;
// false after five seconds without them.
bool awaitChoices(UserMenuUtil& store, ChoicePhases* phases = nullptr)
{
    bool arrived = false;
    QEventLoop loop;
    const auto connection = QObject::connect(&store, &UserMenuUtil::updateAddSelectDialog, &loop,
                                             [&](QStringList&, QStringList&, QStringList&, QStringList&) {
                                                 arrived = true;
                                                 loop.quit();
                                             });
    QTimer::singleShot(5000, &loop, &QEventLoop::quit);
    auto start = std::chrono::steady_clock::now();
    store.getActiveChannels();
    const double request = secondsSince(start);
    start = std::chrono::steady_clock::now();
    if (!arrived)
        loop.exec();
    const double waiting = secondsSince(start);
    QObject::disconnect(connection);
    start = std::chrono::steady_clock::now();
    settleEvents();   // the channel-list worker deletes itself later
    if (phases)
        *phases = ChoicePhases{request, waiting, secondsSince(start)};
    return arrived;
}

void notify(benchmark::State& state, bool updatePathKnown)
{
    UserMenuUtil& store = updatePathKnown ? *bench().store : *bench().storeWithoutChoices;
    if (updatePathKnown && !awaitChoices(store)) {
        state.SkipWithError("the cell dialog's choices did not arrive");
        return;
    }
    const QVector<QString> paths = livePaths();
    int shown = 0;
    const auto connection = QObject::connect(&store, &UserMenuUtil::updateChannelData, [&] { ++shown; });
    for (auto _ : state) {
        store.beforeJsonTelegramm();
        for (const QString& path : paths)
            store.jsonTelegramm(GlobalEnums::SET, path);
        store.afterJsonTelegramm();
    }
    QObject::disconnect(connection);
    if (shown != int(state.iterations()))
        state.SkipWithError("an update did not reach the grid");
    state.SetItemsProcessed(state.iterations() * livePathCount);
}

// The cell dialog was never opened: no update path known yet.
void BM_UserMenuNotifyBeforeChoices(benchmark::State& state)
{
    notify(state, false);
}
BENCHMARK(BM_UserMenuNotifyBeforeChoices)->Unit(benchmark::kMicrosecond);

void BM_UserMenuNotify(benchmark::State& state)
{
    notify(state, true);
}
BENCHMARK(BM_UserMenuNotify)->Unit(benchmark::kMicrosecond);

void BM_PlainContainsFloor(benchmark::State& state)
{
    QVector<QString> valuePaths;
    for (int k = 0; k < cellCount; ++k)
        valuePaths.append(channelPath(channelOfCell(k)) + QLatin1Char('.') + QLatin1String(valueWays[k % 3]));
    const QVector<QString> paths = livePaths();
    for (auto _ : state) {
        int hits = 0;
        for (const QString& path : paths)
            for (const QString& valuePath : qAsConst(valuePaths))
                hits += path.contains(valuePath) ? 1 : 0;
        benchmark::DoNotOptimize(hits);
    }
    state.SetItemsProcessed(state.iterations() * livePathCount);
}
BENCHMARK(BM_PlainContainsFloor)->Unit(benchmark::kMicrosecond);

// ------------------------------------------------------ cell dialog choices

void BM_UserMenuChoices(benchmark::State& state)
{
    UserMenuUtil& store = *bench().store;
    ChoicePhases sum;
    for (auto _ : state) {
        ChoicePhases phases;
        const bool arrived = awaitChoices(store, &phases);
        state.SetIterationTime(phases.request + phases.waiting + phases.cleanup);
        if (!arrived) {
            state.SkipWithError("the cell dialog's choices did not arrive");
            break;
        }
        sum.request += phases.request;
        sum.waiting += phases.waiting;
        sum.cleanup += phases.cleanup;
    }
    // Where the wall-clock time goes, in microseconds per request.
    const auto perRequest = benchmark::Counter::kAvgIterations;
    state.counters["request_us"] = benchmark::Counter(sum.request * 1e6, perRequest);
    state.counters["waiting_us"] = benchmark::Counter(sum.waiting * 1e6, perRequest);
    state.counters["cleanup_us"] = benchmark::Counter(sum.cleanup * 1e6, perRequest);
}
BENCHMARK(BM_UserMenuChoices)->UseManualTime()->Unit(benchmark::kMicrosecond);

void BM_ChannelQueryFloor(benchmark::State& state)
{
    JSONUtil* json = bench().app->getJSONUtil();
    const QString displayPath = QStringLiteral("$.DATA.MK[*]");
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        int found = 0;
        {
            // Found and let go, as the choices' worker does with its copies.
            QVector<Json::Value> channels;
            QVector<QString> paths;
            json->getMasterJSONbyPath(displayPath, channels, paths, true);
            found = channels.size();
        }
        state.SetIterationTime(secondsSince(start));
        if (found != channelCount) {
            state.SkipWithError("the query found another number of channels");
            break;
        }
    }
}
BENCHMARK(BM_ChannelQueryFloor)->UseManualTime()->Unit(benchmark::kMicrosecond);

} // namespace

// The refresh reads the same values (and translates the channel's text)
// and builds a tile per cell: number, name and a measured-value widget.
TEVARO_BENCH_RATIO("BM_UserMenuGridRefresh", "BM_PlainQLabelGridFloor", 3.0);
// Per path: twelve value paths, the description path and, once the update
// path is known, the path's generic form.
TEVARO_BENCH_RATIO("BM_UserMenuNotifyBeforeChoices", "BM_PlainContainsFloor", 3.0);
TEVARO_BENCH_RATIO("BM_UserMenuNotify", "BM_PlainContainsFloor", 3.0);
// The choices come from a channel-list worker on its own thread (the same
// query) and the value items of the channel description.
TEVARO_BENCH_RATIO("BM_UserMenuChoices", "BM_ChannelQueryFloor", 3.0);
