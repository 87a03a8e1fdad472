#pragma once

#include "common/ExportDestination.h"
#include "common/GlobalEnums.h"
#include "common/Measure.h"
#include "util/OverallUtil.h"

#include <json/json.h>

#include <QMap>
#include <QSet>
#include <QString>
#include <QVector>

#include <limits>

// The worker behind one stored-measurement list. It reads the recordings in
// the instrument's memory ($.MEM.MTAB), the exported files ($.EXP.MTAB) and
// the export destinations ($.EXP.DEST) from the mirror, tells whether the
// user may change them, sends the delete and export requests, and asks its
// list to reload when one of its tables or rights nodes changes.
//
// List modes: 0 choose a recording for the chart, 1 delete recordings,
// 2 export a recording, 3 delete exported files.
//
// Elements of the wrong shape are skipped with one warning each. A table
// this session has not read is read from the device once, as the whole
// container, even when the mirror holds one; one read, even empty, is not
// asked for again.
class HistMeasureListUtil : public OverallUtil
{
    Q_OBJECT

public:
    // Start of an exported file without a time of export: no date, sorted first.
    static constexpr qint64 NO_EXPORT_TIME = std::numeric_limits<qint64>::min();
    // Destination id of an exported file that names none.
    static constexpr int NO_DESTINATION = -1;

    HistMeasureListUtil(const int& listMode, QObject* parent = nullptr);

    // The time of export of an exported file in the Qt format; empty without one.
    static QString exportTimeText(const Measure& exported, const QString& format);

    // Reads the tables of the mode and emits updateHistMeasure(records, editable).
    void getHistMeasures();
    // One delete request for all of them (modes 1 and 3), ids in list order.
    void deleteMeasures(const QVector<Measure>& measures);
    // One export request of a recording to a destination.
    void exportMeasure(const int& destinationId, const int& measureId);
    QMap<int, ExportDestination> getDestinations() const { return destinations; }
    int getExportState() const { return exportState; }

    void readMeasures(QVector<Measure>& out);
    // Sorted by time of export, oldest first.
    void readExports(QVector<Measure>& out);
    void readDestinations();
    void readExportState();
    // FACT of the export template with that id; 0 when there is none.
    double getTemplateFactor(const int& templateId);

signals:
    void updateHistMeasure(QVector<Measure> measures, bool editable);
    void updateHistMeasure();

public slots:
    void jsonTelegramm(GlobalEnums::InstructionType type, QString path);
    void beforeJsonTelegramm();
    void afterJsonTelegramm();
    void onUpdateHistMeasure();

private:
    // Nodes of the device tree the worker reads and asks for.
    static const QString MEMORY_TABLE;
    static const QString EXPORT_TABLE;
    static const QString EXPORT_STATE;
    static const QString DESTINATIONS;
    static const QString TEMPLATES;

    // The elements of the table at path; a table this session has not read is asked for once.
    bool readTable(const QString& path, Json::Value& table);
    bool readNode(const QString& path, Json::Value& node);
    QString unitText(const Json::Value& size);
    void warnOnce(const QString& path, const QString& reason);
    // A row keyed by an integer ID: an object, typesOk, and an ID not in seen
    // (which it joins). Otherwise warns once and returns false.
    bool acceptKeyedRow(const Json::Value& element, const QString& path, bool typesOk, const QString& typesReason,
                        QSet<int>& seen);

    bool changed;
    int listMode;
    QMap<int, ExportDestination> destinations;
    int exportState;
    // "path: reason" of every warning given, so each is given once.
    QSet<QString> warned;
};
