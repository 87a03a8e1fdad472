#pragma once

class QApplication;

namespace tevarobench {

// The one QApplication of a benchmark of screens and widgets: offscreen
// unless QT_QPA_PLATFORM says otherwise, with settings and language files in
// a temporary folder of its own, so a benchmark never touches the user's.
QApplication& guiApplication();

// Runs pending events and deferred deletions, as the event loop would.
void settleEvents();

} // namespace tevarobench
