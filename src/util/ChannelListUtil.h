#pragma once

#include "common/GlobalEnums.h"
#include "common/TableStructure.h"
#include "util/ChannelListUtilRows.h"
#include "util/OverallUtil.h"

#include <QMap>
#include <QPair>
#include <QString>
#include <QStringList>

class ChannelListUtilGetTableDataWorker;
class QThread;

// The worker of the channel list. It reads the channel description
// ("$.DATA.CH") from the mirror, builds the header (a label and one combo box
// of measured-value items per value column, the choice kept in the
// settings), has the rows built on a thread of its own and tells the screen
// when device changes call for new rows or a new header.
//
// GUI thread only; the change filter is reached through queued connections.
// The user-menu store uses a parentless instance for getItemNames and
// getItemWays after readChannelDescription and buildTableHeader.
class ChannelListUtil : public OverallUtil
{
    Q_OBJECT

public:
    static constexpr int DEFAULT_CYCLE_MS = 200;
    static constexpr int MIN_CYCLE_MS = 50;

    explicit ChannelListUtil(QObject* parent = nullptr);
    // Aborts a running build and waits for its thread.
    ~ChannelListUtil() override;

    // Reads the description; a field whose source is missing or mistyped keeps its value.
    void readChannelDescription();
    // Item names and the column choices from the settings; emits updateTableHeader(TableStructure&).
    void buildTableHeader();
    // Stores the item index shown in column (1 to 3) and asks for rows.
    void setSelectionIndex(const int& column, const int& index);
    // Starts a build, or has the running one build again when it ends.
    void requestTableData();
    // Stops a running build; neither it nor a request made during it publishes rows.
    void abortTableData();
    bool isBuilding() const;
    // Forgets the items of an earlier session, so that no header is built
    // from them before the new session's description has arrived.
    void forgetItems();

    QStringList getItemNames() const;
    QStringList getItemWays() const;
    QString getDisplayPath() const { return displayPath; }
    // The input a build requested now would work on.
    ChannelListBuildInput buildInput() const;
    // The rows of the last build.
    TableStructure getTable() const { return table; }

    // The refresh cycle from the setting's text: empty the default; not a
    // whole number above 0 the default and a warning; at least MIN_CYCLE_MS.
    static int cycleTimeFromSetting(const QString& text);

signals:
    void updateTableData(TableStructure& table);
    void updateTableHeader(TableStructure& table);
    void updateTableData();
    void updateTableHeader();

public slots:
    void jsonTelegramm(GlobalEnums::InstructionType type, QString path);
    void beforeJsonTelegramm();
    void afterJsonTelegramm();

private slots:
    void publishTable(TableStructure built, quint64 builtSession);
    // The path evaluator refused the display path: no more queries of it
    // until the description changes; said once.
    void refuseDisplayPath(QString path);

private:
    void readItems(const Json::Value& description);
    void readWay(const QString& path, QString& way);
    bool isAncestorOfDisplayPath(const QString& genericPath) const;

    QStringList itemNames;
    QMap<int, int> selection;                      // column 1..3 -> item index
    QMap<int, QPair<QString, QString>> items;      // item index -> (name, way)
    QString displayPath;
    QStringList descriptionWays;
    QString valueWay;
    QString updatePath;
    QString flagWay;
    QString minimumWay;
    QString maximumWay;
    bool dataDirty = false;
    bool headerDirty = false;
    TableStructure table;

    QString displayGenericPath;
    quint64 session = 0;                           // counts resets (logout, setDefault): a build of an earlier one is dropped
    QString refusedPath;                           // display path refused since the last description change

    ChannelListUtilGetTableDataWorker* worker;     // owned
    QThread* thread;                               // owned
};
