// Device and program messages: conversion, queue, display, answers.
#include "../common/LogCapture.h"
#include "../util/TestJson.h"

#include "util/AppContext.h"
#include "util/FileUtil.h"
#include "util/JSONUtil.h"
#include "util/MessageDialogUtil.h"
#include "util/OwnMessageId.h"
#include "util/TevaroApp.h"
#include "view/MainWindow.h"
#include "view/MessageDialog.h"
#include "view/StatusBar.h"
#include "widgets/ZDialog.h"

#include <QPushButton>
#include <QTextEdit>
#include <QScrollBar>
#include <QtTest>

class TestMessageDialog : public QObject
{
    Q_OBJECT

    TevaroApp* app = nullptr;
    MessageDialog* dialog = nullptr;
    MessageDialogUtil* util = nullptr;
    StatusBar* bar = nullptr;

    QPushButton* button(int index)
    {
        return dialog->findChild<QPushButton*>(QStringLiteral("btnMessageDialog%1").arg(index));
    }
    QStringList shownButtons()
    {
        QStringList captions;
        for (int i = 0; i < 3; ++i)
            if (button(i) && button(i)->isVisibleTo(dialog))
                captions.append(button(i)->text());
        return captions;
    }
    QString shownText() { return dialog->findChild<QTextEdit*>(QStringLiteral("tedMessageContent"))->toPlainText(); }
    void press(int index)
    {
        QVERIFY(button(index) && button(index)->isVisible());
        QTest::mouseClick(button(index), Qt::LeftButton);
    }
    // A telegram with messages, the list given as quoted JSON.
    void convert(const QString& messages)
    {
        util->convertJSONtoMessage(parseQuoted("{'INST':{'SET':{'MSG':" + messages + "}}}"));
        QCoreApplication::processEvents();
    }

private slots:
    void initTestCase()
    {
        QDir(FileUtil::basePath()).removeRecursively();
        app = new TevaroApp(nullptr);
        dialog = OverallView::getMessageDialog();
        bar = OverallView::getStatusBar();
        util = app->getMessageDialogUtil();
        QVERIFY(dialog && bar && util && QTest::qWaitForWindowExposed(app->getMainWindow()));
    }

    void cleanupTestCase() { delete app; }

    void cleanup()
    {
        while (dialog->queuedCount() > 0)
            dialog->hideMessage(0);
        app->getJSONUtil()->clearRequests();
    }

    void dialogMessageWithButtons()
    {
        convert("[{'MID':3000000000,'MUID':77,'MTYP':1,'ICON':1,'SEV':0,'MSG':{'ID':0,'T':'Filter wechseln'},"
                "'INP':{'TAB':[{'ID':0,'T':'Ja','OPRT':1,'VAL':1},{'T':'Nein','OPRT':4,'VAL':0}]}}]");
        QVERIFY(dialog->isVisible());
        QCOMPARE(shownButtons(), (QStringList{"Ja", "Nein"}));
        QCOMPARE(dialog->currentMessage().mid, Q_INT64_C(3000000000));
        cleanup();

        // Each caption is looked up by its own id: the second has none and must not borrow the first one's.
        convert("[{'MID':41,'MUID':41,'MTYP':1,'MSG':{'ID':220,'T':'Messwert'},"
                "'INP':{'TAB':[{'ID':70,'T':'Manuell','OPRT':4,'VAL':0},{'T':'Eigener Text','OPRT':4,'VAL':1}]}}]");
        QCOMPARE(shownButtons(), (QStringList{app->getJSONUtil()->getTranslation(70, "?"), "Eigener Text"}));
        QCOMPARE(shownText(), app->getJSONUtil()->getTranslation(220, QStringLiteral("?")));
    }

    // A long text shows whole, without scrolling; a short one keeps the panel's size.
    void theTextShowsWhole()
    {
        QTextEdit* text = dialog->findChild<QTextEdit*>(QStringLiteral("tedMessageContent"));
        QWidget* panel = dialog->findChild<QWidget*>(QStringLiteral("wgtMessageDialog"));
        convert("[{'MID':51,'MUID':51,'MTYP':1,'MSG':{'ID':0,'T':'Eins\\nZwei\\nDrei\\nVier\\nFünf\\nSechs\\nSieben'}}]");
        QTRY_VERIFY(dialog->isVisible() && shownText().count('\n') == 6);
        QVERIFY(panel->height() > 150 && panel->height() <= dialog->height() * 2 / 3);
        QCOMPARE(text->verticalScrollBar()->maximum(), 0);
        cleanup();
        convert("[{'MID':52,'MUID':52,'MTYP':1,'MSG':{'ID':0,'T':'Filter wechseln'}}]");
        QTRY_VERIFY(dialog->isVisible() && shownText() == QLatin1String("Filter wechseln"));
        QCOMPARE(panel->height(), 150);
    }

    void statusBarMessage()
    {
        // A time of its own, or the default for a negative one.
        for (const auto& row : {qMakePair(QStringLiteral("3000"), 3000), qMakePair(QStringLiteral("-4"), 10000)}) {
            QSignalSpy spy(bar, SIGNAL(showMessage(QString,Severity,int)));
            convert("[{'MID':5,'MUID':5,'MTYP':0,'MTD':" + row.first + ",'MSG':{'T':'Willkommen'}}]");
            QCOMPARE(spy.size(), 1);
            QCOMPARE(spy.first().at(0).toString(), QStringLiteral("Willkommen"));
            QCOMPARE(spy.first().at(2).toInt(), row.second);
            QVERIFY(!dialog->isVisible());
        }
    }

    void malformedInput()
    {
        // An element without MUID: it and the rest are dropped, with one warning.
        LogCapture log;
        convert("[{'MID':11,'MUID':11,'MTYP':1,'MSG':{'T':'eins'}},{'MID':12,'MTYP':1,'MSG':{'T':'zwei'}},"
                "{'MID':13,'MUID':13,'MTYP':1,'MSG':{'T':'drei'}}]");
        QCOMPARE(dialog->queuedCount(), 1);
        QCOMPARE(shownText(), QStringLiteral("eins"));
        QCOMPARE(log.matching(QStringLiteral("\"MUID\"")).size(), 1);
        cleanup();

        const QPair<QString, QString> rows[] = {
            {"[1]", "\"MID\""},
            {"[{'MID':18446744073709551615,'MUID':1,'MTYP':1,'MSG':{'T':'a'}}]", "\"MID\""},   // beyond 64 bits
            {"[{'MID':1,'MUID':1,'MTYP':1,'MSG':'a'}]", "Received missing JSON knot \"MSG\""}};
        for (const auto& row : rows) {
            log.clear();
            convert(row.first);
            QCOMPARE(dialog->queuedCount(), 0);
            QVERIFY2(log.matching(row.second).size() == 1, qPrintable(row.first));
        }
    }

    void messagesComeOneAtATimeInOrder()
    {
        convert("[{'MID':71,'MUID':1,'MTYP':1,'MSG':{'T':'erste'}},{'MID':72,'MUID':1,'MTYP':2,'MSG':{'T':'zweite'}},"
                "{'MID':73,'MUID':1,'MTYP':0,'MSG':{'T':'Zeile'}}]");
        QCOMPARE(shownText(), QStringLiteral("erste"));
        QVERIFY(bar->text().endsWith(QStringLiteral("  Zeile")));
        press(0);
        QCOMPARE(shownText(), QStringLiteral("zweite"));
        press(0);
        QVERIFY(!dialog->isVisible());
    }

    void answerTelegramIsQueued()
    {
        // Operation 5 sends nothing; 3 sends the answer and logs out.
        Json::Value built;
        int kind = 0;
        QList<qint64> ids;
        for (const int operation : {5, 3}) {
            QSignalSpy logout(app, SIGNAL(onLogout()));
            convert("[{'MID':4000000001,'MUID':4000000002,'MTYP':3,'MSG':{'T':'q'},'INP':{'TAB':[{'T':'a','OPRT':"
                    + QString::number(operation) + ",'VAL':7}]}}]");
            press(0);
            app->getJSONUtil()->buildTelegram(kind, built, ids);
            QCOMPARE(logout.size(), operation == 3 ? 1 : 0);
            QCOMPARE(ids.size(), operation == 3 ? 1 : 0);
        }
        QCOMPARE(kind, 3);
        const Json::Value answer = built["INST"]["SET"]["MSG"][0];
        QCOMPARE(answer["MID"].asInt64(), Q_INT64_C(4000000001));
        QCOMPARE(answer["MUID"].asInt64(), Q_INT64_C(4000000002));
        QVERIFY(answer["MTYP"].asInt() == 3 && answer["VAL"].asInt() == 7 && answer["USER"].isString());
    }

    void questionAnswerReachesOnlyItsAsker()
    {
        QList<int> answers;
        QObject asker;
        convert("[{'MID':91,'MUID':1,'MTYP':1,'MSG':{'T':'Gerät'},'INP':{'TAB':[{'T':'x','OPRT':4}]}}]");
        dialog->askQuestion(QStringLiteral("Benutzer löschen?"), 1, {QStringLiteral("Ja"), QStringLiteral("Nein")},
                            &asker, [&answers](int index) { answers.append(index); });
        press(0);   // the device message first: not the asker's
        QVERIFY(answers.isEmpty());
        QCOMPARE(shownText(), QStringLiteral("Benutzer löschen?"));
        press(1);
        QCOMPARE(answers, QList<int>{1});
        // Answered once: a later question with the same captions is no concern of it.
        dialog->askQuestion(QStringLiteral("andere"), 0, {QStringLiteral("Ja")}, nullptr, nullptr);
        press(0);
        QCOMPARE(answers, QList<int>{1});
    }

    void messageIsShownAboveOtherDialogs()
    {
        MainWindow* window = app->getMainWindow();
        ZDialog other(window);
        other.show();
        QCoreApplication::processEvents();
        convert("[{'MID':101,'MUID':1,'MTYP':1,'MSG':{'T':'oben'}}]");
        QCoreApplication::processEvents();
        const QPoint centre = dialog->findChild<QWidget*>(QStringLiteral("wgtMessageDialog"))->geometry().center();
        QWidget* top = window->childAt(dialog->mapTo(window, centre));
        QVERIFY(top && dialog->isAncestorOf(top));
        QCOMPARE(window->getDialogCounter(), 2);
        cleanup();
        other.hide();
        QCOMPARE(window->getDialogCounter(), 0);
    }

    void logoutDropsTheSessionsDeviceMessages()
    {
        convert("[{'MID':111,'MUID':1,'MTYP':1,'MSG':{'T':'Gerät 1'}}]");
        qint64 mid = 0;
        qint64 muid = 0;
        OwnMessageId::next(mid, muid);
        QVERIFY(mid < 0);   // never one of the device's
        dialog->showDialog(mid, muid, QStringLiteral("eigene Frage"), 0, {});
        convert("[{'MID':112,'MUID':1,'MTYP':1,'MSG':{'T':'Gerät 2'}}]");
        QCOMPARE(dialog->queuedCount(), 3);

        app->stop();
        QCOMPARE(dialog->queuedCount(), 1);
        QVERIFY(dialog->isVisible());
        QCOMPARE(shownText(), QStringLiteral("eigene Frage"));
    }
};

QTEST_MAIN(TestMessageDialog)
#include "tst_messagedialog.moc"
