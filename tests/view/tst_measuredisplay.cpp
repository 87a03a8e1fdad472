// The measured-value display and its channel-function dialog end to end on the simulator: the channel
// tapped in the channel list, the compensation rows and status marks, deletes, reads of channel nodes,
// the dialog's edits and triggers with the device's answers, rights, a list that changes under an open
// dialog, pictures, a logout during a build. What the rows and functions hold: tst_measuredisplayutil.
#include "Screenshot.h"
#include "ScreenSession.h"
#include "TableTestSupport.h"

#include "util/MeasureDisplayUtil.h"
#include "view/ChannelFunctionDialog.h"
#include "view/ChannelList.h"
#include "view/MeasureDisplay.h"
#include "view/TableObject.h"
#include "widgets/ZComboBox.h"
#include "widgets/ZLabel.h"
#include "widgets/ZMeasureDisplayWidget.h"
#include "widgets/ZScaleLabel.h"

#include <memory>

#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QtTest>

class TestMeasureDisplay : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<ScreenSession> session;

    static QString channelPath(int k) { return QStringLiteral("$.DATA.MK[%1]").arg(k); }

    MeasureDisplay* display() { return session->dataMain()->getMeasureDisplay(); }
    MeasureDisplayUtil* util() { return display()->getUtil(); }
    ChannelFunctionDialog* dialog() { return display()->getFunctionDialog(); }
    ZComboBox* combo() { return session->find<ZComboBox>(QStringLiteral("cmbMeasureDisplayTop")); }
    ZMeasureDisplayWidget* value() { return session->find<ZMeasureDisplayWidget>("wgtMeasureDisplayMainValue"); }
    TableStructure compensation()
    {
        return session->find<TableObject>(QStringLiteral("tblMeasureDisplayCompensation"))->getTable();
    }

    template <typename T>
    T* inDialog(const char* name) { return dialog() ? dialog()->findChild<T*>(QLatin1String(name)) : nullptr; }
    TableObject* functionTable() { return inDialog<TableObject>("tblChannelFunctionContent"); }
    QPushButton* trigger() { return inDialog<QPushButton>("btnFunctionDialogSetFunction"); }
    ZComboBox* menu() { return inDialog<ZComboBox>("cmbFunctionDialogMenu"); }

    void inject(const Json::Value& telegram, bool applyToTree = true) { QVERIFY(session->inject(telegram, applyToTree)); }

    // The simulator's own value at path as the display writes it.
    QString deviceText(const QString& path)
    {
        const Json::Value node = session->deviceValue(path);
        if (node.isNull())
            return QStringLiteral("?");
        return node.isString() ? QString::fromStdString(node.asString()) : QString::number(node.asDouble(), 'g', 6);
    }

    QString channelName(int k)
    {
        return deviceText(channelPath(k) + QStringLiteral(".ADR")) + QLatin1Char(' ')
               + deviceText(channelPath(k) + QStringLiteral(".MV.T")) + QLatin1Char(' ');
    }

    // Channel k with its value, and its entry in the channel box.
    bool shows(int k)
    {
        return combo()->currentIndex() == k && combo()->currentText() == channelName(k)
               && value()->measureValue() == deviceText(channelPath(k) + QStringLiteral(".MV.MW.VAL"))
               && util()->getCurrentChannelPath() == channelPath(k);
    }

    // Home, "Anzeige", the channel list, a tap on row k.
    void tapChannel(int k)
    {
        QVERIFY(session->openFromHome(QStringLiteral("tbtnHomeDisplay")));
        auto* tabs = session->find<QTabWidget>(QStringLiteral("tabwgtDisplay"));
        auto* tabBar = tabs->findChild<QTabBar*>();
        QTest::mouseClick(tabBar, Qt::LeftButton, Qt::NoModifier, tabBar->tabRect(0).center());
        TableObject* list = session->dataMain()->getChannelList()->tableObject();
        QTRY_VERIFY(list->rowCount() > k && list->item(k, 0));
        tabletest::tapCell(list, k, 0);
        QCOMPARE(tabs->currentIndex(), 1);
        QTRY_VERIFY2(shows(k), qPrintable(combo()->currentText() + " / " + util()->getCurrentChannelPath()));
    }

    void openDialog(int k)
    {
        if (!shows(k))
            tapChannel(k);
        QVERIFY(!dialog());
        // A tap right after another one is taken for a bounce: tapped again then.
        for (int tries = 0; !dialog() && tries < 40; ++tries) {
            QTest::mouseClick(value()->getValueLabel(), Qt::LeftButton);
            ScreenSession::waitUntil([this] { return dialog() != nullptr; }, 250);
        }
        QVERIFY(dialog());
        QCOMPARE(dialog()->getChannelPath(), channelPath(k));
        QTRY_VERIFY(menu()->count() > 0);
    }

    void chooseFunction(const QString& name)
    {
        const int index = menu()->findText(name);
        QVERIFY2(index >= 0, qPrintable(name));
        menu()->setCurrentIndex(index);
    }

    void closeDialog()
    {
        if (dialog())
            QVERIFY(session->click(QStringLiteral("btnFunctionDialogClose")));
        QTRY_VERIFY(!dialog());
    }

    // The client has sent count settings so far, the last one path = value.
    void expectLastSet(int count, const QString& path, const Json::Value& value)
    {
        QTRY_COMPARE(session->configSets().size(), count);
        QCOMPARE(session->configSets().last().first, path);
        QCOMPARE(session->configSets().last().second, value);
    }

    // Opens the value editor of row's column 1, types text and presses Return.
    void typeValue(int row, const QString& text)
    {
        QVERIFY(functionTable()->isInputEnabled());
        QVERIFY(tabletest::typeIntoCell(functionTable(), row, 1, text));
        QWidget* editor = QApplication::focusWidget();
        QCoreApplication::processEvents();   // the view commits an accepted entry queued
        if (QApplication::focusWidget() == editor)
            QTest::keyClick(editor, Qt::Key_Escape);   // refused: the editor stays open
        QTRY_VERIFY(!functionTable()->isEditing());
    }

private slots:
    void initTestCase()
    {
        session.reset(new ScreenSession());
        QVERIFY(session->startAs());
    }

    void cleanupTestCase() { session.reset(); }

    void init() { QVERIFY(session->simulator.clearRequestLog()); }
    void cleanup()
    {
        if (session)
            closeDialog();
    }

    // The first tap after a login, before the display ever built its list, is the first row here.
    void compensationRowsAndMarks()
    {
        struct Row { int k; QStringList ways, names, status; int maximumMark, minimumMark; };
        const Row rows[] = {
            {1, {"CT"}, {"Temperaturkompensation"}, {"LF1024", "LF4096"}, 0x1000, 0},
            {2, {}, {}, {"LF2048", "LF8192"}, 0, 0x2000},
            {5, {"CT", "CP"}, {"Temperaturkompensation", "Druckkompensation"}, {"LF2"}, 0, 0},
        };
        for (const Row& row : rows) {
            tapChannel(row.k);
            QCOMPARE(value()->property("measureStatus").toStringList(), row.status);
            const TableStructure table = compensation();
            QCOMPARE(table.rowCount(), row.ways.size() + 1);
            const QString channel = channelPath(row.k) + QStringLiteral(".MV.");
            QCOMPARE(table.cellAt(0, 2).getValue().toString(), deviceText(channel + QStringLiteral("MAW.VAL")));
            QCOMPARE(table.cellAt(0, 2).getData().toInt(), row.maximumMark);
            QCOMPARE(table.cellAt(0, 4).getData().toInt(), row.minimumMark);
            for (int i = 0; i < row.ways.size(); ++i) {
                const QString way = channel + row.ways.at(i);
                QCOMPARE(table.cellAt(i + 1, 0).getValue().toString(), row.names.at(i));
                QCOMPARE(table.cellAt(i + 1, 3).getValue().toString(),
                         deviceText(way + ".VAL") + QLatin1Char(' ') + deviceText(way + ".DIM"));
            }
        }
        QVERIFY(grabScreenshot(session->window, QStringLiteral("measuredisplay-ch06-de.png")));
        // Each channel node is read once a login (1 again: not at all); the client index names the
        // shown channel, in the mirror only.
        QVERIFY(session->simulator.clearRequestLog());
        tapChannel(3);
        tapChannel(1);
        QTRY_COMPARE(session->reads().count(channelPath(3)), 1);
        QCOMPARE(session->reads().count(channelPath(1)), 0);
        QCOMPARE(session->mirrorValue(QStringLiteral("$.CLNT.CH")).asInt(), 1);
        QVERIFY(!session->sentText(QStringLiteral("CLNT")));

        // Without channels (as right after a login) the value opens no dialog.
        display()->setDefault();
        QCOMPARE(combo()->count(), 0);
        display()->setFunctionDialog();
        QVERIFY(!dialog());
        tapChannel(0);
    }

    void deletesResetOnlyForTheShownChannel()
    {
        tapChannel(1);
        QSignalSpy reset(util(), SIGNAL(deleteSonsor()));
        // Shared, not on the stack: a queued call may still arrive after the disconnect.
        const auto delivered = std::make_shared<bool>(false);
        connect(session->json(), QOverload<GlobalEnums::InstructionType, QString>::of(&JSONUtil::telegramAvailable),
                this, [delivered](GlobalEnums::InstructionType, QString path) {
                    *delivered = *delivered || path == QLatin1String("$.MEM.MARK");
                }, Qt::QueuedConnection);
        // Shown channel 1: a longer index is another channel; an ancestor is this one.
        const std::pair<QString, int> deletes[] = {{QStringLiteral("$.DATA.MK[10]"), 0},
                                                   {QStringLiteral("$.DATA.MK"), 1}};
        for (const auto& deleted : deletes) {
            reset.clear();
            *delivered = false;
            // Only the client hears of it; a mark after it tells when the display has seen it.
            inject(SimulatorProcess::delTelegram(deleted.first), false);
            inject(SimulatorProcess::setTelegram(QStringLiteral("$.MEM.MARK"), Json::Value(deleted.first.toStdString())), false);
            QTRY_VERIFY(*delivered);
            QCOMPARE(reset.size(), deleted.second);
            inject(SimulatorProcess::setTelegram(QStringLiteral("$.DATA.MK"),
                                                 session->deviceValue(QStringLiteral("$.DATA.MK"))), false);
            tapChannel(1);
        }
        disconnect(session->json(), nullptr, this, nullptr);
    }

    void functionSettingIsWrittenAsTyped()
    {
        openDialog(0);
        chooseFunction(QStringLiteral("Nullsetzen"));
        QTRY_COMPARE(functionTable()->rowCount(), 1);
        QVERIFY(grabScreenshot(session->window, QStringLiteral("functiondialog-ch01-de.png")));
        TableCell name = functionTable()->getTable().cellAt(0, 0);
        dialog()->changeFunctionData(0, 0, name);   // columns 0 and 2 write nothing
        dialog()->changeFunctionData(0, 2, name);

        typeValue(0, QStringLiteral("500"));      // beyond MAX 100: not taken
        typeValue(0, QStringLiteral("12.5"));

        const QString offset = channelPath(0) + QStringLiteral(".FCT.TARA.OFFS.VAL");
        expectLastSet(1, offset, "12.5");
        QTRY_COMPARE(deviceText(offset), QStringLiteral("12.5"));
        typeValue(0, QStringLiteral("0"));
        expectLastSet(2, offset, "0");
    }

    void triggerNeverBlankAndClearsMaximumAndMinimum()
    {
        openDialog(1);
        const Json::Value items = session->deviceValue(QStringLiteral("$.DATA.CH.MADJ.ITEM"));
        inject(SimulatorProcess::setTelegram(QStringLiteral("$.DATA.CH.MADJ.ITEM"), Json::Value(Json::arrayValue)),
               false);
        QTRY_COMPARE(menu()->count(), 0);
        QVERIFY(!trigger()->isEnabled());
        QVERIFY(trigger()->text().isEmpty());
        dialog()->setFunction(false);   // with nothing chosen: writes nothing
        inject(SimulatorProcess::setTelegram(QStringLiteral("$.DATA.CH.MADJ.ITEM"), items), false);
        QTRY_VERIFY(menu()->count() == 2 && trigger()->isEnabled());
        QVERIFY(session->configSets().isEmpty());

        chooseFunction(QStringLiteral("Max/Min löschen"));
        QVERIFY(session->click(QStringLiteral("btnFunctionDialogSetFunction")));
        QTRY_VERIFY(!dialog());
        expectLastSet(1, channelPath(1) + QStringLiteral(".FCT.CLMX.VAL"), 1);
        const QString current = value()->measureValue();
        QTRY_VERIFY(compensation().cellAt(0, 2).getValue().toString() == current
                    && compensation().cellAt(0, 4).getValue().toString() == current);
    }

    void rightsDecideTheTrigger()
    {
        // A change of rights keeps the chosen function.
        openDialog(0);
        chooseFunction(QStringLiteral("Nullsetzen"));
        session->rights()->setMeasurementRunning(true);
        session->rights()->setMeasurementRunning(false);
        QTRY_VERIFY(trigger()->isEnabled());
        QCOMPARE(trigger()->text(), QStringLiteral("Nullsetzen"));
        closeDialog();

        // An operator may clear but not zero.
        QVERIFY(session->relogin(QStringLiteral("bediener"), QStringLiteral("1234")));
        openDialog(0);
        chooseFunction(QStringLiteral("Nullsetzen"));
        QTRY_VERIFY(functionTable()->rowCount() == 1);
        QVERIFY(!trigger()->isEnabled());
        chooseFunction(QStringLiteral("Max/Min löschen"));
        QVERIFY(trigger()->isEnabled());
        QVERIFY(session->relogin());   // the session ends: its dialog goes with it
        QTRY_VERIFY(!dialog());
    }

    void editBegunBeforeTheChannelMovedIsNotWritten()
    {
        // A channel behind the first one that can be zeroed.
        int k = 1;
        while (k < combo()->count() && session->deviceValue(channelPath(k) + QStringLiteral(".FCT.TARA")).isNull())
            ++k;
        QVERIFY(k < combo()->count());
        openDialog(k);
        chooseFunction(QStringLiteral("Nullsetzen"));
        QCOMPARE(functionTable()->getTable().getPath(), channelPath(k) + QStringLiteral(".FCT.TARA.VAL"));
        QTRY_VERIFY(functionTable()->rowCount() == 1 && functionTable()->isInputEnabled());
        functionTable()->editItem(functionTable()->item(0, 1));
        QTRY_VERIFY(qobject_cast<QLineEdit*>(QApplication::focusWidget()));
        auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
        // A channel in front goes while the editor is open: the dialog's channel moves up.
        inject(SimulatorProcess::delTelegram(channelPath(0)));
        QTRY_COMPARE(dialog()->getChannelPath(), channelPath(k - 1));
        QVERIFY(functionTable()->isEditing());
        editor->selectAll();
        QTest::keyClicks(editor, QStringLiteral("7"));
        QTest::keyClick(editor, Qt::Key_Return);
        QTRY_VERIFY(!functionTable()->isEditing());

        // The channel's own table comes back; an entry there goes to it.
        QTRY_VERIFY(functionTable()->getTable().getPath().startsWith(channelPath(k - 1) + QLatin1Char('.')));
        typeValue(0, QStringLiteral("8"));
        const QString own = channelPath(k - 1) + QStringLiteral(".FCT.TARA.OFFS.VAL");
        QTRY_VERIFY(!session->configSets().isEmpty() && session->configSets().last().first == own);
        for (const auto& set : session->configSets())
            QCOMPARE(set.first, own);

        // The device renames it: the dialog follows, usable as before.
        QVERIFY(session->injectSet(channelPath(k - 1) + QStringLiteral(".MV.T"), "Kessel neu"));
        QTRY_COMPARE(inDialog<ZLabel>("lblFunctionDialogChannel")->text(), channelName(k - 1));
        QTRY_VERIFY(dialog()->isChannelListed() && trigger()->isEnabled());
        const int sets = session->configSets().size();
        typeValue(0, QStringLiteral("9"));
        expectLastSet(sets + 1, own, "9");

        // Its own channel goes (the next one takes its place): no trigger and
        // no input, and it stays on its channel.
        const QString name = inDialog<ZLabel>("lblFunctionDialogChannel")->text();
        inject(SimulatorProcess::delTelegram(channelPath(k - 1)));
        QTRY_VERIFY(!dialog()->isChannelListed());
        QVERIFY(!trigger()->isEnabled());
        QVERIFY(!functionTable()->isInputEnabled());
        QCOMPARE(inDialog<ZLabel>("lblFunctionDialogChannel")->text(), name);
    }

    // Kept last before the new session: after this stray dialog the window's editors lose the focus.
    void dialogTakesTheChannelItsBoxShows()
    {
        tapChannel(2);
        // The box still holds an older list in which the name stood first.
        ChannelFunctionDialog opened(0, channelName(2), util(), nullptr);
        QCOMPARE(opened.getChannelPath(), channelPath(2));
        QVERIFY(opened.isChannelListed());
    }

    void logoutDuringABuild()
    {
        // A logout during a build drops it; the next login starts afresh. Closing during a build, with the
        // dialog open, ends cleanly.
        util()->requestChannelList();
        QVERIFY(util()->isWorking());
        QVERIFY(session->logout());
        QTRY_VERIFY(!util()->isWorking());
        QVERIFY(session->login(QStringLiteral("admin"), QStringLiteral("admin")));
        openDialog(2);
        util()->requestChannelList();
        session.reset();
    }
};

QTEST_MAIN(TestMeasureDisplay)
#include "tst_measuredisplay.moc"
