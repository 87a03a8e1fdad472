// The user-menu tab end to end on the simulator: menus made in each template, the grid's geometry by
// width, taps on the list and on tiles, the cell dialog, tiles with live values and device text, refresh
// on value changes, a deleted channel, no widget leak, pictures. Tile texts: tst_usermenuutil.
#include "Screenshot.h"
#include "ScreenSession.h"
#include "TableTestSupport.h"

#include "util/FileUtil.h"
#include "util/UserMenuUtil.h"
#include "view/TableObject.h"
#include "view/UserMenu.h"
#include "view/UserMenuAddDialog.h"
#include "view/UserMenuSelectValueDialog.h"
#include "widgets/ZComboBox.h"
#include "widgets/ZLabel.h"
#include "widgets/ZMeasureTextWidget.h"
#include "widgets/ZScaleLabel.h"
#include "widgets/ZUserMenuWidget.h"

#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTabWidget>
#include <QThread>
#include <QToolButton>
#include <QtTest>

#include <atomic>

namespace {

// The value cell 0 shows, and its changes as the receive thread applies them.
const char* const SHOWN_VALUE = "$.DATA.MK[1].MV.MW.VAL";
std::atomic<int> shownValueChanges{0};

QByteArray menuFile()
{
    QFile file(FileUtil::basePath() + QStringLiteral("/User/UserMenu.json"));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class TestUserMenu : public QObject
{
    Q_OBJECT

    std::unique_ptr<ScreenSession> session;

    UserMenu* screen() { return session->dataMain()->getUserMenu(); }
    TableObject* table() { return screen()->getTable(); }
    template <typename T>
    QList<T*> dialogs() { return session->window->findChildren<T*>(QString(), Qt::FindDirectChildrenOnly); }
    UserMenuSelectValueDialog* cellDialog() { return screen()->getSelectValueDialog(); }
    ZComboBox* combo(const char* name) { return cellDialog()->findChild<ZComboBox*>(QLatin1String(name)); }

    // The tab, entered from another one: it shows the list.
    void showTab(int from = 0, bool home = true)
    {
        QVERIFY(!home || session->openFromHome(QStringLiteral("tbtnHomeDisplay")));
        auto* tabs = session->find<QTabWidget>(QStringLiteral("tabwgtDisplay"));
        tabs->setCurrentIndex(from);
        tabs->setCurrentIndex(3);
        QVERIFY(screen()->isShowingMenuList());
    }

    void tap(int row, int column) { tabletest::tapCell(table(), row, column); }
    void tapCell(int cell) { tap(cell / screen()->getCellsPerRow(), cell % screen()->getCellsPerRow()); }
    ZUserMenuWidget* tile(int cell)
    {
        QWidget* shown = table()->cellWidget(cell / screen()->getCellsPerRow(), cell % screen()->getCellsPerRow());
        return shown ? shown->findChild<ZUserMenuWidget*>() : nullptr;
    }
    QString valueOf(int cell) { return tile(cell) ? tile(cell)->getMeasureText()->measureValue() : QString(); }
    void addMenu(const QString& name, int style, const QString& picture = QString())
    {
        QVERIFY(screen()->isShowingMenuList() && session->click(QStringLiteral("btnUserMenuListAdd")));
        QCOMPARE(dialogs<UserMenuAddDialog>().size(), 1);
        UserMenuAddDialog* dialog = dialogs<UserMenuAddDialog>().first();
        // Typed as an input method would: key clicks carry Latin-1 only.
        dialog->findChild<QLineEdit*>(QStringLiteral("edtUserMenuAddName"))->insert(name);
        QTest::mouseClick(dialog->findChild<QToolButton*>(QStringLiteral("btnUserMenuAddStyle%1").arg(style)),
                          Qt::LeftButton);
        if (!picture.isEmpty())
            QVERIFY(grabScreenshot(session->window, picture));
        QVERIFY(session->click(QStringLiteral("btnUserMenuAdd")));
        QTRY_VERIFY(dialogs<UserMenuAddDialog>().isEmpty());
    }

    // Opens the cell dialog of cell and waits for its choices.
    void openCell(int cell)
    {
        tapCell(cell);
        QVERIFY(cellDialog());
        QTRY_VERIFY(combo("cmbUserMenuSelectChannel")->count() > 0 && combo("cmbUserMenuSelectValue")->count() > 0);
    }

    // Closes the cell dialog, when open, with button.
    void closeCell(const QString& button = QStringLiteral("btnUserMenuSelectClose"))
    {
        if (cellDialog())
            QVERIFY(session->click(button));
        QTRY_VERIFY(!cellDialog());
    }

    // Injects telegram and returns once the GUI thread has handled its change
    // at path; the store's slots, connected earlier, have run by then.
    void injectHandled(const Json::Value& telegram, const QString& path)
    {
        bool seen = false;
        bool handled = false;
        QObject scope;   // destroyed first, ending the connections
        connect(session->json(), QOverload<GlobalEnums::InstructionType, QString>::of(&JSONUtil::telegramAvailable),
                &scope, [&](GlobalEnums::InstructionType, const QString& changed) { seen = seen || changed == path; });
        connect(session->json(), &JSONUtil::afterTelegramAvailable, &scope, [&] { handled = seen; });
        QVERIFY(session->inject(telegram));
        QTRY_VERIFY(handled);
    }

    // Values with and without status, units as text and as text object; cells 4 and 5 stay empty.
    void assignTiles()
    {
        const QVector<QPair<int, const char*>> cells{{1, "MV.MW"}, {2, "MV.MAW"}, {4, "MV.MW"}, {6, "MV.MW"},
                                                     {-1, ""},      {-1, ""},       {5, "MV.MIW"}, {0, "MV.MTW"}};
        for (int k = 0; k < cells.size(); ++k)
            if (cells.at(k).first >= 0)
                screen()->getUtil()->setCell(k, QStringLiteral("$.DATA.MK[%1]").arg(cells.at(k).first),
                                             QLatin1String(cells.at(k).second));
        QTRY_COMPARE(tile(7)->getChannelNumber()->text(), QStringLiteral("CH01"));
    }

private slots:
    void initTestCase()
    {
        QFile::remove(FileUtil::basePath() + QStringLiteral("/User/UserMenu.json"));   // of an earlier run
        session.reset(new ScreenSession());
        QVERIFY(session->startAs());
        showTab();
    }

    void cleanupTestCase() { session.reset(); }
    void cleanup() { closeCell(); }

    void newMenuOpensInItsTemplate()
    {
        const int cells[] = {12, 10, 8};
        for (int style = 0; style < 3; ++style) {
            addMenu(QStringLiteral("Menü %1 ÄÖÜ \U0001F600").arg(style), style,
                    style == 2 ? QStringLiteral("usermenu-de-add.png") : QString());
            QCOMPARE(table()->rowCount() * table()->columnCount(), cells[style]);
            QVERIFY(tile(cells[style] - 1) && screen()->goBack());
        }
        QVERIFY(!screen()->goBack());
        QCOMPARE(table()->rowCount(), 3);
        QCOMPARE(table()->item(2, 0)->text(), QStringLiteral("Menü 2 ÄÖÜ \U0001F600"));
        QVERIFY(grabScreenshot(session->window, QStringLiteral("usermenu-de-list.png")));
    }

    void gridFollowsTheWidth()
    {
        // A screen of its own, on the same file; as a child its width is not held at the table's minimum.
        QWidget host;
        host.resize(1000, 800);
        auto* standalone = new UserMenu(&host);
        standalone->resize(800, 700);
        host.show();
        QVERIFY(QTest::qWaitForWindowExposed(&host));
        standalone->deleteSetUserMenu(2, 0);
        QCOMPARE(standalone->getCellsPerRow(), 2);
        standalone->resize(799, 700);
        QCOMPARE(standalone->getTable()->columnCount(), 1);
        standalone->resize(300, 700);
        QVERIFY(standalone->width() == 300 && standalone->getTable()->rowCount() == 8);
    }

    void listTapsDeleteAndOpen()
    {
        showTab();
        addMenu(QStringLiteral("Weg"), 0);
        QVERIFY(screen()->goBack());
        QCOMPARE(table()->rowCount(), 4);
        tap(3, 1);   // the trash picture: gone at once
        QCOMPARE(table()->rowCount(), 3);
        QVERIFY(!menuFile().contains("Weg"));
        tap(1, 0);   // a name: opens the menu
        QVERIFY(!screen()->isShowingMenuList());
        QCOMPARE(table()->rowCount(), 5);
    }

    void tilesShowValuesStatusAndPlainText()
    {
        showTab();
        tap(0, 0);
        assignTiles();
        QCOMPARE(tile(0)->getChannelName()->text(), QStringLiteral("Temperatur Vorlauf"));
        QCOMPARE(tile(0)->getMeasureText()->measureUnit(), QStringLiteral("°C"));
        QCOMPARE(tile(2)->getMeasureText()->measureOverlay(), QStringLiteral("OVERRANGE"));
        QVERIFY(tile(4) && tile(4)->getChannelNumber()->text().isEmpty());   // unassigned: an empty frame

        Json::Value change(Json::arrayValue);
        change.append(SimulatorProcess::setTelegram(QStringLiteral("$.DATA.MK[1].MV.T"), "<b>x</b>"));
        change.append(SimulatorProcess::setTelegram(QStringLiteral("$.DATA.MK[1].MV.MW.VAL"), "<i>7</i>"));
        QVERIFY(session->inject(change));
        QTRY_COMPARE(valueOf(0), QStringLiteral("<i>7</i>"));
        QVERIFY(tile(0)->getChannelName()->text() == "<b>x</b>" && tile(0)->getChannelName()->textFormat() == Qt::PlainText);
        QVERIFY(grabScreenshot(session->window, QStringLiteral("usermenu-de-grid-style0.png")));

        QVERIFY(screen()->goBack());
        tap(2, 0);
        assignTiles();
        QVERIFY(grabScreenshot(session->window, QStringLiteral("usermenu-de-grid-style2.png")));
    }

    void refreshFollowsShownValuesOnly()
    {
        // Still menu 2, its cell dialog not opened yet (so no update path is
        // known). Narrow, one tile a row: the grid scrolls.
        session->window->resize(700, 600);
        QTRY_COMPARE(screen()->getCellsPerRow(), 1);
        QScrollBar* scroll = table()->verticalScrollBar();
        QTRY_VERIFY(scroll->maximum() > 0);
        scroll->setValue(scroll->maximum());
        const int scrolled = scroll->value();

        int rebuilds = 0;
        int notices = 0;
        QObject scope;   // ends the counting before the counters go
        connect(screen()->getUtil(), &UserMenuUtil::updateUserMenu, &scope, [&] { ++rebuilds; });
        connect(screen()->getUtil(), &UserMenuUtil::updateChannelData, &scope, [&] { ++notices; });
        const QString shown = QLatin1String(SHOWN_VALUE);   // cell 0's value
        // Ten changes, each in a telegram of its own, all applied before the GUI thread hears
        // of the first: however slow the machine, they come within one refresh delay. Counted
        // on the receive thread by a lambda without captures, so it shares no memory but an atomic.
        shownValueChanges = 0;
        std::atomic<int>& applied = shownValueChanges;
        QObject receiving;
        connect(session->json(), QOverload<GlobalEnums::InstructionType, QString>::of(&JSONUtil::telegramAvailable),
                &receiving, [](GlobalEnums::InstructionType, const QString& changed) {
                    shownValueChanges += changed == QLatin1String(SHOWN_VALUE);
                }, Qt::DirectConnection);
        Json::Value telegrams(Json::arrayValue);
        for (int i = 1; i <= 10; ++i)
            telegrams.append(SimulatorProcess::setTelegram(shown, i + 0.5));
        QVERIFY(session->inject(telegrams));
        QElapsedTimer waited;
        waited.start();
        while (applied < 10 && waited.elapsed() < 20000)
            QThread::msleep(5);   // no event loop: the notices wait in the GUI thread's queue
        QCOMPARE(applied.load(), 10);
        QTRY_COMPARE(valueOf(0), QStringLiteral("10.5"));
        QCOMPARE(notices, 10);
        // They are gathered into fewer rebuilds.
        QVERIFY2(rebuilds >= 1 && rebuilds < notices, qPrintable(QString::number(rebuilds)));
        QCOMPARE(scroll->value(), scrolled);

        // A channel no cell shows counts not; the channel description does.
        rebuilds = notices = 0;
        const QString unshown = QStringLiteral("$.DATA.MK[3].MV.MW.VAL");
        injectHandled(SimulatorProcess::setTelegram(unshown, 1.5), unshown);
        QCOMPARE(notices, 0);
        const QString description = QStringLiteral("$.DATA.CH");
        injectHandled(SimulatorProcess::setTelegram(description, session->deviceValue(description)), description);
        QCOMPARE(notices, 1);
        QTRY_COMPARE(rebuilds, 1);
        QCOMPARE(scroll->value(), scrolled);

        // The list shown: a shown cell's change counts not.
        QVERIFY(screen()->goBack());
        injectHandled(SimulatorProcess::setTelegram(shown, 0.5), shown);
        QCOMPARE(notices, 1);
        QCOMPARE(rebuilds, 1);

        session->window->resize(1280, 800);
        QTRY_COMPARE(screen()->getCellsPerRow(), 2);
        tap(2, 0);
        QTRY_COMPARE(valueOf(0), QStringLiteral("0.5"));
    }

    void cellDialogOpensAtTheAssignmentAndKeepsTheChoice()
    {
        // Still menu 2. A tap on the big value, through the window as a finger
        // gives it, reaches the table, once the grid is laid out.
        QTRY_COMPARE(tile(1)->parentWidget()->geometry(), table()->visualRect(table()->model()->index(0, 1)));
        QWidget* bigValue = tile(1)->getMeasureText()->findChild<ZScaleLabel*>();
        QTest::mouseClick(session->window->windowHandle(), Qt::LeftButton, Qt::NoModifier,
                          bigValue->mapTo(session->window, bigValue->rect().center()));
        QVERIFY(cellDialog());
        QTRY_VERIFY(combo("cmbUserMenuSelectValue")->count() > 0);
        QVERIFY(combo("cmbUserMenuSelectChannel")->currentText().startsWith(QStringLiteral("CH03")));
        QCOMPARE(combo("cmbUserMenuSelectValue")->currentText(), QStringLiteral("Maximalwert"));
        QVERIFY(grabScreenshot(session->window, QStringLiteral("usermenu-de-select.png")));

        combo("cmbUserMenuSelectChannel")->setCurrentIndex(6);
        const QString chosen = combo("cmbUserMenuSelectChannel")->currentText();
        int refreshes = 0;
        QObject scope;   // ends the counting before the counter goes
        connect(screen()->getUtil(), &UserMenuUtil::updateAddSelectDialog, &scope, [&] { ++refreshes; });
        QVERIFY(session->injectSet(QStringLiteral("$.DATA.MK[2].MV.MAW.VAL"), "9.5"));
        QTRY_VERIFY(refreshes > 0);
        QCOMPARE(combo("cmbUserMenuSelectChannel")->currentText(), chosen);
        closeCell(QStringLiteral("btnUserMenuSelectSet"));
        QCOMPARE(screen()->getUtil()->getCellChannelPath(1), QStringLiteral("$.DATA.MK[6]"));

        // Nothing to choose from: nothing written.
        openCell(5);
        const QByteArray before = menuFile();
        QStringList none;
        cellDialog()->setComboBox(none, none, none, none);
        closeCell(QStringLiteral("btnUserMenuSelectSet"));
        QCOMPARE(menuFile(), before);
        QVERIFY(tile(5)->getChannelNumber()->text().isEmpty());
    }

    void twoQuickTapsOpenOneDialog()
    {
        tap(3, 0);
        tap(3, 0);
        screen()->getUserMenu();   // a refresh rebuilds the grid under the open dialog
        tap(3, 0);
        QCOMPARE(dialogs<UserMenuSelectValueDialog>().size(), 1);
        closeCell();
        tabletest::flushDeletes();
        tap(3, 1);   // the tap works again once the dialog is gone
        QVERIFY(cellDialog() && cellDialog()->getCellIndex() == 7);
        closeCell();
        showTab(1, false);   // back on the tab: the list
        QCOMPARE(table()->rowCount(), 3);
    }

    void thousandListShowsLeakNoWidget()
    {
        // Counted on the screen and at the top level: other screens build widgets of their own as live values arrive.
        const auto widgets = [this] {
            return screen()->findChildren<QWidget*>().size() + QApplication::topLevelWidgets().size();
        };
        screen()->init();
        tabletest::flushDeletes();
        const int baseline = widgets();
        for (int i = 0; i < 1000; ++i) {
            screen()->init();
            if (i % 100 == 0)
                tabletest::flushDeletes();
        }
        tabletest::flushDeletes();
        QCOMPARE(widgets(), baseline);
    }

    void deletedChannel()
    {
        // Last, as the deleted channel stays deleted. In menu 2, a deletion that keeps the places: CH03 keeps its path.
        tap(2, 0);
        const QString deleted = QStringLiteral("$.DATA.MK[1]");
        injectHandled(SimulatorProcess::delTelegram(deleted, 1), deleted);
        bool servedWhileGathering = false;
        QObject scope;   // drops the call below should a check fail first
        // Queued before the tap, so handled before the choices can arrive.
        QMetaObject::invokeMethod(
            &scope, [&] { servedWhileGathering = cellDialog() && combo("cmbUserMenuSelectChannel")->count() == 0; },
            Qt::QueuedConnection);
        tap(2, 1);
        QVERIFY(cellDialog());
        QTRY_VERIFY(combo("cmbUserMenuSelectChannel")->count() > 0);
        QVERIFY(servedWhileGathering);
        const int third = combo("cmbUserMenuSelectChannel")->findText(QStringLiteral("CH03"), Qt::MatchStartsWith);
        QVERIFY(third >= 0);
        combo("cmbUserMenuSelectChannel")->setCurrentIndex(third);
        closeCell(QStringLiteral("btnUserMenuSelectSet"));
        const QJsonArray cells =
            QJsonDocument::fromJson(menuFile()).object()["MENU"].toArray().at(2).toObject()["CELL"].toArray();
        QVERIFY(!cells.isEmpty());
        const QJsonObject assigned = cells.last().toObject();   // a reassigned cell comes last
        QCOMPARE(assigned["IDX"].toInt(), 5);
        QCOMPARE(assigned["CHAN"].toObject()["PATH"].toString(), QStringLiteral("$.DATA.MK[2]"));
    }
};

QTEST_MAIN(TestUserMenu)
#include "tst_usermenu.moc"
