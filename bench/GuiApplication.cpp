#include "GuiApplication.h"

#include <QApplication>
#include <QEvent>
#include <QTableWidget>
#include <QTemporaryDir>

namespace tevarobench {

QApplication& guiApplication()
{
    static QTemporaryDir dataFolder;
    static const bool environmentSet = [] {
        qputenv("XDG_DATA_HOME", dataFolder.path().toLocal8Bit());
        qputenv("XDG_CONFIG_HOME", (dataFolder.path() + QStringLiteral("/config")).toLocal8Bit());
        qputenv("XDG_CACHE_HOME", (dataFolder.path() + QStringLiteral("/cache")).toLocal8Bit());
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        return true;
    }();
    Q_UNUSED(environmentSet)
    static int argc = 1;
    static char name[] = "tevaro_bench";
    static char* argv[] = {name, nullptr};
    static QApplication app(argc, argv);
    return app;
}

void settleEvents()
{
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void showPlainTable(QTableWidget& table, int columns, int width, int height)
{
    table.resize(width, height);
    table.show();
    table.setColumnCount(columns);
    settleEvents();
}

void renewRows(QTableWidget& table, int rows)
{
    table.clearContents();
    table.setRowCount(0);
    table.setRowCount(rows);
}

} // namespace tevarobench
