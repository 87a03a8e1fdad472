// The stored-measurement lists end to end on the simulator, reached as a user reaches them: what each
// mode shows, check states and rights, the delete and export telegrams and the device's answers, the
// choose dialog, an empty table, repeated logins.
#include "Screenshot.h"
#include "ScreenSession.h"
#include "TableTestSupport.h"

#include "util/HistMeasureListUtil.h"
#include "util/LoggerUtil.h"
#include "view/ExportMeasureDialog.h"
#include "view/HistMeasureList.h"
#include "view/Logger.h"
#include "widgets/ZClickLabel.h"
#include "widgets/ZHorizontalHeader.h"

#include <QComboBox>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QtTest>

namespace {

using Check = ZCheckButton::CheckState;

QTableWidget* tableOf(QWidget* list) { return list->findChild<QTableWidget*>(QStringLiteral("tblHistMeasureList")); }
QPushButton* buttonOf(QWidget* parent, const char* name) { return parent->findChild<QPushButton*>(QLatin1String(name)); }
QPushButton* actionOf(QWidget* list) { return buttonOf(list, "btnHistMeasureDelete"); }
ZCheckButton* headerCheck(QWidget* list) { return tableOf(list)->horizontalHeader()->findChild<ZCheckButton*>(); }

ZCheckButton* rowCheck(QWidget* list, int row)
{
    QTableWidget* table = tableOf(list);
    return qobject_cast<ZCheckButton*>(table->cellWidget(row, table->columnCount() - 1));
}

QStringList columnOf(QWidget* list, int column) { return tabletest::columnTexts(tableOf(list), column); }

QList<int> idsOf(const HistMeasureList* list)
{
    QList<int> ids;
    for (const Measure& measure : list->shownMeasures())
        ids << measure.getId();
    return ids;
}

// "c" checked, "u" unchecked, "-" disabled, per row.
QString checksOf(QWidget* list)
{
    QString states;
    for (int row = 0; row < tableOf(list)->rowCount(); ++row) {
        ZCheckButton* check = rowCheck(list, row);
        states += !check ? QLatin1Char('?') : !check->isEnabled() ? QLatin1Char('-')
                  : check->getButtonCheckState() == Check::Checked ? QLatin1Char('c') : QLatin1Char('u');
    }
    return states;
}

bool press(QWidget* widget)
{
    if (!widget || !widget->isVisible())
        return false;
    QTest::mouseClick(widget, Qt::LeftButton);
    return true;
}

void clickRow(QWidget* list, int row) { tabletest::tapCell(tableOf(list), row, 0); }

Json::Value parsed(const char* text)
{
    Json::Value value;
    Json::Reader().parse(text, value);
    return value;
}

} // namespace

class TestHistMeasureList : public QObject
{
    Q_OBJECT

    std::unique_ptr<ScreenSession> session;

    DataMain* screen() { return session->dataMain(); }
    bool inject(const QString& path, const Json::Value& value, bool toDevice = true)
    {
        return session->injectSet(path, value, toDevice);
    }

    // The list of a logger page, opened with the link of the memory or export table; null when it did not open.
    HistMeasureList* openList(Logger::Page page, int rows)
    {
        session->window->setPage(MainWindow::DATA_MAIN);
        screen()->setLoggerWidget();
        Logger* logger = screen()->getLogger();
        const bool manage = page == Logger::MANAGE_PAGE;
        if (!manage) {
            QTabBar* tabs = session->find<QTabWidget>(QStringLiteral("tabwgtLoggerDisplay"))->tabBar();
            QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(Logger::EXPORT_TAB).center());
        }
        TableObject* table = manage ? logger->memoryTable() : logger->exportTable();
        const int row = manage ? LoggerUtil::MANAGE_ROW : page == Logger::EXPORT_PAGE ? 0 : 1;
        ZClickLabel* link = nullptr;
        ScreenSession::waitUntil([&] {
            link = tabletest::reportingAs<ZClickLabel>(*table, row, LoggerUtil::VALUE_COLUMN);
            return link && link->isVisible();
        });
        // A link swallows presses closer than 100 ms to its last one (touch bounce).
        QTest::qWait(120);
        auto* pages = session->find<QStackedWidget>(QStringLiteral("stackedWidgetLogger"));
        if (!press(link) || pages->currentIndex() != page)
            return nullptr;
        auto* list = pages->currentWidget()->findChild<HistMeasureList*>();
        const bool loaded = ScreenSession::waitUntil([&] {
            return list->shownMeasures().size() == rows && tableOf(list)->rowCount() == rows
                   && (page != Logger::EXPORT_PAGE || list->worker()->getExportState() == 1);
        });
        return loaded ? list : nullptr;
    }

    // The choose dialog as the chart opens it, with the list in it.
    HistMeasureList* openChooseDialog(QPointer<ZDialog>& dialog)
    {
        screen()->showHistMeasureList();
        for (HistMeasureList* list : session->window->findChildren<HistMeasureList*>())
            if ((dialog = qobject_cast<ZDialog*>(list->parentWidget())))
                return list;
        return nullptr;
    }

private slots:
    void initTestCase()
    {
        qputenv("TZ", "UTC");
        session.reset(new ScreenSession({"--paused", "--export-ms", "300", "--empty-as-container"}));
        QVERIFY(session->startAs());
    }

    void cleanupTestCase() { session.reset(); }

    void modesShowTheStoredData()
    {
        HistMeasureList* list = openList(Logger::MANAGE_PAGE, 5);
        QVERIFY(list);
        QCOMPARE(columnOf(list, 0),
                 QStringList({"Messung_0012", "Messung_0013", "Messung_0009", "Messung_0010", "Messung_0011"}));
        QCOMPARE(columnOf(list, 1).first(), QStringLiteral("01.03.2024 10.15.00 - 01.03.2024 11.45.30"));
        QCOMPARE(columnOf(list, 2), QStringList({"1.50 MB", "0.75 MB", "350.00 kB", "2.50 Mb", "1.20 GB"}));
        QCOMPARE(checksOf(list), QStringLiteral("uuuuu"));
        QVERIFY(!actionOf(list)->isEnabled());

        QVERIFY(session->click(QStringLiteral("tbtnDataBack")));
        list = openList(Logger::EXPORT_PAGE, 5);
        QVERIFY(list);
        QVERIFY(tableOf(list)->findChildren<ZCheckButton*>().isEmpty());
        QVERIFY(!actionOf(list)->isEnabled());
        QVERIFY(grabScreenshot(session->window, QStringLiteral("list_mode2.png")));

        QVERIFY(session->click(QStringLiteral("tbtnDataBack")));
        list = openList(Logger::DELETE_EXPORTS_PAGE, 2);
        QVERIFY(list);
        // Oldest export first.
        QCOMPARE(columnOf(list, 0), QStringList({"Messung_0011.csv", "Messung_0010.csv"}));
        QCOMPARE(columnOf(list, 3),
                 QStringList({"Netzlaufwerk (\\\\server\\share\\logger)", "USB-Stick (/media/usb0/export)"}));
        QVERIFY(grabScreenshot(session->window, QStringLiteral("list_mode3.png")));
    }

    void checkStatesAndDeletingRecordings()
    {
        HistMeasureList* list = openList(Logger::MANAGE_PAGE, 5);
        QVERIFY(list);
        QPushButton* action = actionOf(list);
        for (int row = 0; row < 5; ++row)
            QVERIFY(press(rowCheck(list, row)) && action->isEnabled());
        QCOMPARE(headerCheck(list)->getButtonCheckState(), Check::Checked);
        for (const char* expected : {"uuuuu", "ccccc", "uuuuu"}) {
            QVERIFY(press(headerCheck(list)));
            QCOMPARE(checksOf(list), QLatin1String(expected));
            QCOMPARE(action->isEnabled(), expected[0] == 'c');
        }

        // Reloads keep the ticks of the recordings still listed (the client's view only):
        // the rights sent again, recording 10 gone (its tick with it), recording 10 back.
        QVERIFY(press(rowCheck(list, 3)) && press(rowCheck(list, 2)));
        const QString table = QStringLiteral("$.MEM.MTAB");
        const Json::Value recordings = session->deviceValue(table);
        Json::Value without10(Json::arrayValue);
        for (const Json::Value& recording : recordings)
            if (recording["ID"].asInt() != 10)
                without10.append(recording);
        // The device replaces a list as it does after a delete: DEL and SET in one telegram.
        const auto replaced = [&](const Json::Value& records) {
            Json::Value telegram = SimulatorProcess::delTelegram(table);
            telegram["INST"]["SET"] = SimulatorProcess::setTelegram(table, records)["INST"]["SET"];
            return telegram;
        };
        QSignalSpy reloads(list->worker(), SIGNAL(updateHistMeasure(QVector<Measure>,bool)));
        const struct { Json::Value telegram; const char* checks; } reloaded[] = {
            {SimulatorProcess::setTelegram(QStringLiteral("$.MEM.INP"), parsed(R"({"AUT":3})")), "uuccu"},
            {replaced(without10), "uucu"},
            {replaced(recordings), "uucuu"},
        };
        for (const auto& reload : reloaded) {
            reloads.clear();
            QVERIFY(session->inject(reload.telegram, false));
            QVERIFY(ScreenSession::waitUntil([&] { return reloads.count() > 0; }));
            QCOMPARE(checksOf(list), QLatin1String(reload.checks));
            QCOMPARE(headerCheck(list)->getButtonCheckState(), Check::Tristate);
            QVERIFY(action->isEnabled());
        }
        QVERIFY(grabScreenshot(session->window, QStringLiteral("list_mode1_checked.png")));

        // Recordings 9 and 10, sent in row order; the device's new list removes them.
        QVERIFY(press(rowCheck(list, 3)));
        QVERIFY(session->simulator.clearRequestLog());
        QVERIFY(press(action));
        QCOMPARE(checksOf(list), QStringLiteral("-----"));
        QVERIFY(ScreenSession::waitUntil([&] { return idsOf(list) == QList<int>({12, 13, 11}); }));
        QCOMPARE(checksOf(list), QStringLiteral("uuu"));
        const QVector<Json::Value> deletes = session->sentElements(QStringLiteral("measure"), "DEL");
        QCOMPARE(deletes.size(), 1);
        QCOMPARE(deletes.first()["DEST"]["PATH"].asString(), std::string("$.MEM.MTAB"));
        QVERIFY(deletes.first()["VAL"] == parsed(R"({"ID":"9,10"})"));
    }

    void exportingAndDeletingExports()
    {
        HistMeasureList* list = openList(Logger::EXPORT_PAGE, 3);
        QVERIFY(list);
        // Only an idle exporter takes a new export.
        QVERIFY(inject(QStringLiteral("$.EXP.STAS"), 2));
        QVERIFY(ScreenSession::waitUntil([&] { return list->worker()->getExportState() == 2; }));
        clickRow(list, 0);
        QVERIFY(!actionOf(list)->isEnabled());
        QVERIFY(inject(QStringLiteral("$.EXP.STAS"), 1));
        QVERIFY(ScreenSession::waitUntil([&] { return list->worker()->getExportState() == 1; }));
        clickRow(list, 0);
        QVERIFY(actionOf(list)->isEnabled());
        // A reload (a destination's free space changed) keeps the selected row, and the button with it.
        QSignalSpy reloads(list->worker(), SIGNAL(updateHistMeasure(QVector<Measure>,bool)));
        QVERIFY(inject(QStringLiteral("$.EXP.DEST[0].SIZE.VAL"), 7.2, false));
        QVERIFY(ScreenSession::waitUntil([&] { return reloads.count() > 0; }));
        QVERIFY(tableOf(list)->selectionModel()->isRowSelected(0, QModelIndex()));
        QVERIFY(actionOf(list)->isEnabled());

        QVERIFY(press(actionOf(list)));
        QPointer<ExportMeasureDialog> dialog = session->window->findChild<ExportMeasureDialog*>();
        QVERIFY(dialog);
        auto* destinations = dialog->findChild<QComboBox*>(QStringLiteral("cbxExportMeasureDialog_StorageSelector"));
        QPushButton* exportButton = buttonOf(dialog, "btnExportMeasureDialog_ExportFile");
        QCOMPARE(destinations->count(), 2);   // the destination without a size is left out
        QVERIFY(grabScreenshot(session->window, QStringLiteral("export_dialog_allowed.png")));
        // 1.5 MB x 0.4 do not fit into 0.5 MB.
        destinations->setCurrentIndex(1);
        emit destinations->activated(1);
        QVERIFY(!exportButton->isEnabled());
        QVERIFY(grabScreenshot(session->window, QStringLiteral("export_dialog_red.png")));
        destinations->setCurrentIndex(0);
        emit destinations->activated(0);

        QVERIFY(session->simulator.clearRequestLog());
        QVERIFY(press(exportButton));
        QVERIFY(ScreenSession::waitUntil([&] { return dialog.isNull(); }));
        QVERIFY(ScreenSession::waitUntil([&] { return list->worker()->getExportState() == 2; }));
        QVERIFY(ScreenSession::waitUntil([&] { return list->worker()->getExportState() == 1; }));
        const QVector<Json::Value> gets = session->sentElements(QStringLiteral("export"), "GET");
        QCOMPARE(gets.size(), 1);
        QCOMPARE(gets.first()["DEST"]["PATH"].asString(), std::string("$.EXP.MTAB"));
        QVERIFY(gets.first()["VAL"] == parsed(R"({"DEST":{"ID":1},"MTAB":{"ID":12}})"));

        QVERIFY(session->click(QStringLiteral("tbtnDataBack")));
        list = openList(Logger::DELETE_EXPORTS_PAGE, 3);
        QVERIFY(list);
        QCOMPARE(columnOf(list, 0).last(), QStringLiteral("Messung_0012.csv"));
        const QList<int> ids = idsOf(list);
        QVERIFY(press(rowCheck(list, 0)) && press(rowCheck(list, 2)));
        QVERIFY(session->simulator.clearRequestLog());
        QVERIFY(press(actionOf(list)));
        QVERIFY(ScreenSession::waitUntil([&] { return idsOf(list) == QList<int>({ids.at(1)}); }));
        const QVector<Json::Value> deletes = session->sentElements(QStringLiteral("export"), "DEL");
        QCOMPARE(deletes.size(), 1);
        QCOMPARE(deletes.first()["DEST"]["PATH"].asString(), std::string("$.EXP.MTAB"));
        QCOMPARE(QString::fromStdString(deletes.first()["VAL"]["ID"].asString()),
                 QStringLiteral("%1,%2").arg(ids.at(0)).arg(ids.at(2)));

        // No destination with a known free space (the client's view only).
        for (const char* path : {"$.EXP.DEST[0].SIZE.VAL", "$.EXP.DEST[1].SIZE.VAL"})
            QVERIFY(inject(QLatin1String(path), Json::Value(), false));
        QVERIFY(session->click(QStringLiteral("tbtnDataBack")));
        list = openList(Logger::EXPORT_PAGE, 3);
        QVERIFY(list);
        QVERIFY(ScreenSession::waitUntil([&] {
            const QMap<int, ExportDestination> known = list->worker()->getDestinations();
            return !known.value(1).isSizeValid() && !known.value(2).isSizeValid();
        }));
        clickRow(list, 0);
        QVERIFY(press(actionOf(list)));
        dialog = session->window->findChild<ExportMeasureDialog*>();
        QVERIFY(dialog);
        destinations = dialog->findChild<QComboBox*>(QStringLiteral("cbxExportMeasureDialog_StorageSelector"));
        QCOMPARE(destinations->currentText(), QStringLiteral("Kein Speicherort verfügbar"));
        QVERIFY(!buttonOf(dialog, "btnExportMeasureDialog_ExportFile")->isEnabled());
        QVERIFY(grabScreenshot(session->window, QStringLiteral("export_dialog_none.png")));
        QVERIFY(press(buttonOf(dialog, "btnExportMeasureDialog_Cancel")));
        QVERIFY(ScreenSession::waitUntil([&] { return dialog.isNull(); }));
    }

    void chooseDialog()
    {
        QPointer<ZDialog> dialog;
        HistMeasureList* list = openChooseDialog(dialog);
        QVERIFY(list);
        QVERIFY(ScreenSession::waitUntil([&] { return idsOf(list) == QList<int>({12, 13, 11}); }));
        QPushButton* load = buttonOf(list, "btnHistMeasureLoad");
        QVERIFY(!load->isEnabled());
        clickRow(list, 1);
        QVERIFY(load->isEnabled());
        QVERIFY(grabScreenshot(session->window, QStringLiteral("list_mode0_dialog.png")));

        QVector<Measure> loaded;
        connect(list, &HistMeasureList::loadingHistMeasure, this, [&loaded](Measure measure) { loaded << measure; });
        QVERIFY(press(load));
        QCOMPARE(loaded.size(), 1);
        QStringList channels;
        for (const CharacteristicLine& line : loaded.first().getChannels()) {
            QCOMPARE(line.getMeasureId(), 13);
            channels << line.getChannel() + QLatin1Char('/') + line.getDimension();
        }
        QCOMPARE(channels, QStringList({"CH01/°C", "CH04/%rF", "CH02/"}));
        QVERIFY(ScreenSession::waitUntil([&] { return dialog.isNull(); }));

        QVERIFY(openChooseDialog(dialog));
        QVERIFY(session->logout());
        QVERIFY(ScreenSession::waitUntil([&] { return dialog.isNull(); }));
    }

    void destinationsInTheUsersLanguage()
    {
        QVERIFY(session->relogin(QStringLiteral("admin"), QStringLiteral("admin"), QStringLiteral("English")));
        HistMeasureList* list = openList(Logger::DELETE_EXPORTS_PAGE, 1);
        QVERIFY(list);
        QCOMPARE(columnOf(list, 3), QStringList{"USB stick (/media/usb0/export)"});
        QVERIFY(grabScreenshot(session->window, QStringLiteral("list_mode3_en.png")));

        QVERIFY(session->click(QStringLiteral("tbtnDataBack")));
        list = openList(Logger::EXPORT_PAGE, 3);
        QVERIFY(list);
        clickRow(list, 0);
        QVERIFY(press(actionOf(list)));
        QPointer<ExportMeasureDialog> dialog = session->window->findChild<ExportMeasureDialog*>();
        QVERIFY(dialog);
        auto* destinations = dialog->findChild<QComboBox*>(QStringLiteral("cbxExportMeasureDialog_StorageSelector"));
        QCOMPARE(QStringList({destinations->itemText(0), destinations->itemText(1)}),
                 QStringList({"USB stick", "Network drive"}));
        QVERIFY(grabScreenshot(session->window, QStringLiteral("export_dialog_en.png")));
        QVERIFY(press(buttonOf(dialog, "btnExportMeasureDialog_Cancel")));
        QVERIFY(ScreenSession::waitUntil([&] { return dialog.isNull(); }));

        QVERIFY(session->relogin(QStringLiteral("admin"), QStringLiteral("admin"), QStringLiteral("Deutsch")));
        QVERIFY(session->logout());
    }

    void userWithoutTheRight()
    {
        QVERIFY(session->login(QStringLiteral("bediener"), QStringLiteral("1234")));
        HistMeasureList* list = openList(Logger::MANAGE_PAGE, 3);
        QVERIFY(list);
        QCOMPARE(checksOf(list), QStringLiteral("---"));
        QVERIFY(!headerCheck(list)->isEnabled());

        // The client is told the user may delete; the device refuses, and sends no new list.
        QVERIFY(inject(QStringLiteral("$.MEM.INP"), parsed(R"({"AUT":7})"), false));
        QVERIFY(ScreenSession::waitUntil([&] { return checksOf(list) == QLatin1String("uuu"); }));
        QVERIFY(press(rowCheck(list, 0)));
        QSignalSpy reloads(list->worker(), SIGNAL(updateHistMeasure(QVector<Measure>,bool)));
        QVERIFY(press(actionOf(list)));
        QCOMPARE(checksOf(list), QStringLiteral("---"));
        QCOMPARE(session->simulator.treeValues(QStringLiteral("$.MEM.MTAB[*].ID")), parsed("[12,13,11]"));
        QVERIFY(ScreenSession::waitUntil([&] { return checksOf(list) == QLatin1String("uuu"); },
                                         HistMeasureList::DELETE_ANSWER_MS + 3000));
        QCOMPARE(reloads.count(), 1);
        QVERIFY(inject(QStringLiteral("$.MEM.INP"), parsed(R"({"AUT":3})"), false));
    }

    void emptyTableIsReadOnce()
    {
        HistMeasureList* list = openList(Logger::MANAGE_PAGE, 3);
        QVERIFY(list);
        Json::Value emptied(Json::arrayValue);
        emptied.append(SimulatorProcess::delTelegram(QStringLiteral("$.MEM.MTAB")));
        emptied.append(SimulatorProcess::setTelegram(QStringLiteral("$.MEM.MTAB"), Json::Value(Json::arrayValue)));
        QVERIFY(session->inject(emptied));
        QVERIFY(ScreenSession::waitUntil([&] { return tableOf(list)->rowCount() == 0; }));

        // The client's memory node loses the table: it is read, and the device answers with the empty container.
        QVERIFY(session->simulator.clearRequestLog());
        Json::Value lost(Json::arrayValue);
        lost.append(SimulatorProcess::delTelegram(QStringLiteral("$.MEM")));
        lost.append(SimulatorProcess::setTelegram(QStringLiteral("$.MEM.INP"), parsed(R"({"AUT":3})")));
        QVERIFY(session->inject(lost, false));
        QTest::qWait(5000);
        QCOMPARE(session->reads().count(QStringLiteral("$.MEM.MTAB")), 1);
        QCOMPARE(tableOf(list)->rowCount(), 0);
    }

    void repeatedLoginsLeaveOneReload()
    {
        for (int login = 0; login < 50; ++login)
            QVERIFY(session->relogin());
        // Rebuilt while hidden, as after a login; the header widgets of every round but the last go.
        auto* list =
            session->find<QWidget>(QStringLiteral("pLoggerDeleteExportedMeasure"))->findChild<HistMeasureList*>();
        for (int round = 0; round < 50; ++round)
            list->setDefault();
        QCOMPARE(openList(Logger::DELETE_EXPORTS_PAGE, 1), list);
        QCOMPARE(list->findChildren<ZHorizontalHeader*>().size(), 1);
        QCOMPARE(list->findChildren<ZCheckButton*>().size(), 2);
        QVERIFY(press(headerCheck(list)));
        QCOMPARE(checksOf(list), QStringLiteral("c"));

        QSignalSpy reloads(list->worker(), SIGNAL(updateHistMeasure(QVector<Measure>,bool)));
        QVERIFY(inject(QStringLiteral("$.EXP.INP"), parsed(R"({"AUT":65537})"), false));
        QVERIFY(reloads.wait());
        QTest::qWait(500);
        QCOMPARE(reloads.count(), 1);
        QCOMPARE(checksOf(list), QStringLiteral("c"));   // the reload keeps the tick
    }
};

QTEST_MAIN(TestHistMeasureList)
#include "tst_histmeasurelist.moc"
