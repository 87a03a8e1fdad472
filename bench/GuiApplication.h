#pragma once

class QApplication;
class QTableWidget;

namespace tevarobench {

// The device's screen, the size at which benchmarks show screens and widgets.
constexpr int screenWidth = 1260;
constexpr int screenHeight = 668;

// The one QApplication of a benchmark of screens and widgets: offscreen
// unless QT_QPA_PLATFORM says otherwise, with settings and language files in
// a temporary folder of its own, so a benchmark never touches the user's.
QApplication& guiApplication();

// Runs pending events and deferred deletions, as the event loop would.
void settleEvents();

// The plain QTableWidget of a table benchmark's floor: columns wide, shown
// at width x height, its events settled.
void showPlainTable(QTableWidget& table, int columns, int width = screenWidth, int height = screenHeight);

// Empties the floor's table, cell widgets included, for rows new empty rows.
void renewRows(QTableWidget& table, int rows);

} // namespace tevarobench
