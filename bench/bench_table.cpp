// A configuration-like table of 500 rows of mixed cells: building the
// TableStructure, and showing it with TableObject (items, cell widgets in
// their containers, wiring), against the floor of one plain QLabel per cell
// set as cell widgets of a plain QTableWidget of 500 rows. Both widgets are
// shown offscreen; each iteration includes the layout, the paint and the
// deletion of the previous content.

#include "Ratio.h"

#include "common/TableStructure.h"
#include "view/TableObject.h"

#include "GuiApplication.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QEvent>
#include <QLabel>
#include <QTableWidget>

using namespace tevarobench;

namespace {

constexpr int rowCount = 500;
constexpr int columnCount = 5;

TableCell makeCell(TableCell::CellType type, const QVariant& value, int rights,
                   const QVariant& data = QVariant(QString("")))
{
    TableCell cell;
    cell.setCellType(type);
    cell.setValue(value);
    cell.setData(data);
    cell.setRights(rights);
    return cell;
}

// Per row: name, number entry with limits, combo box, check button, link.
TableStructure buildTable(int rows)
{
    static const QStringList options{QStringLiteral("aus"), QStringLiteral("ein"), QStringLiteral("auto")};
    TableStructure table;
    table.setTitle(QStringLiteral("Konfiguration"));
    table.setHeaderVisible(true);
    QVector<TableEntry> header;
    for (int c = 0; c < columnCount; ++c)
        header.append(TableEntry(QStringLiteral("Spalte %1").arg(c)));
    table.setHeader(header);
    QVector<QVector<TableCell>> cells;
    cells.reserve(rows);
    for (int r = 0; r < rows; ++r) {
        const QString path = QStringLiteral("$.CONF.E[%1]").arg(r);
        TableCell number = makeCell(TableCell::NUMBER_EDIT, QString::number(r * 0.5), TableCell::EDITABLE);
        number.setPath(path + QStringLiteral(".VAL"));
        number.setLimitFlags(TableCell::MIN | TableCell::MAX | TableCell::DP);
        number.setMax(1000.0);
        number.setDp(1);
        TableCell combo = makeCell(TableCell::COMBO_INDEX, r % 3, TableCell::EDITABLE, options);
        combo.setPath(path + QStringLiteral(".MODE"));
        TableCell link = makeCell(TableCell::LINK, path, TableCell::EDITABLE);
        link.setAlignment(TableCell::ALIGN_RIGHT);
        cells.append({makeCell(TableCell::TEXT, QStringLiteral("Eintrag %1").arg(r), 0), number, combo,
                      makeCell(TableCell::CHECK, r % 2 == 0, TableCell::EDITABLE), link});
    }
    table.setRows(cells);
    return table;
}

void BM_TableBuildStructure(benchmark::State& state)
{
    for (auto _ : state) {
        TableStructure table = buildTable(rowCount);
        benchmark::DoNotOptimize(table);
    }
    state.SetItemsProcessed(state.iterations() * rowCount * columnCount);
}
BENCHMARK(BM_TableBuildStructure)->Unit(benchmark::kMillisecond);

void BM_TableObjectShow(benchmark::State& state)
{
    guiApplication();
    const TableStructure table = buildTable(rowCount);
    TableObject object;
    object.resize(1000, 700);
    object.show();
    object.setTableHeader(table);
    settleEvents();
    for (auto _ : state) {
        object.setTableData(table, true, QString(), false, 0);
        settleEvents();
    }
    state.SetItemsProcessed(state.iterations() * rowCount * columnCount);
}
BENCHMARK(BM_TableObjectShow)->Unit(benchmark::kMillisecond);

void BM_PlainQLabelTableFloor(benchmark::State& state)
{
    guiApplication();
    const TableStructure table = buildTable(rowCount);
    QTableWidget widget;
    showPlainTable(widget, columnCount, 1000, 700);
    for (auto _ : state) {
        renewRows(widget, rowCount);
        for (int r = 0; r < rowCount; ++r) {
            const QVector<TableCell>& cells = table.rowAt(r);
            for (int c = 0; c < cells.size(); ++c)
                widget.setCellWidget(r, c, new QLabel(cells.at(c).getValue().toString()));
        }
        settleEvents();
    }
    state.SetItemsProcessed(state.iterations() * rowCount * columnCount);
}
BENCHMARK(BM_PlainQLabelTableFloor)->Unit(benchmark::kMillisecond);

} // namespace

// The table builds heavier widgets than the floor's labels (combo boxes,
// check buttons with pictures, a container with a layout around most widget
// cells, a style sheet on each link), though fewer of them (text and number
// cells are items); combo boxes make their popup list only when opened.
TEVARO_BENCH_RATIO("BM_TableObjectShow", "BM_PlainQLabelTableFloor", 2.5);
