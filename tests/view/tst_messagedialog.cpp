// Device and program messages: conversion, queue, display, answers.
#include "../common/LogCapture.h"

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

#include <json/json.h>

#include <QDir>
#include <QPushButton>
#include <QSignalSpy>
#include <QTextEdit>
#include <QtTest>

namespace {

Json::Value parse(const std::string& text)
{
    Json::Value value;
    Json::Reader().parse(text, value);
    return value;
}

Json::Value telegram(const std::string& messages)
{
    return parse(std::string("{\"INST\":{\"SET\":{\"MSG\":") + messages + "}}}");
}

} // namespace

class TestMessageDialog : public QObject
{
    Q_OBJECT

private:
    TevaroApp* app = nullptr;
    MessageDialog* dialog = nullptr;
    MessageDialogUtil* util = nullptr;
    StatusBar* bar = nullptr;

    QStringList shownButtons()
    {
        QStringList captions;
        for (int i = 0; i < 3; ++i) {
            QPushButton* button = dialog->findChild<QPushButton*>(QStringLiteral("btnMessageDialog%1").arg(i));
            if (button && button->isVisibleTo(dialog))
                captions.append(button->text());
        }
        return captions;
    }

    QString shownText()
    {
        return dialog->findChild<QTextEdit*>(QStringLiteral("tedMessageContent"))->toPlainText();
    }

    void press(int index)
    {
        QPushButton* button = dialog->findChild<QPushButton*>(QStringLiteral("btnMessageDialog%1").arg(index));
        QVERIFY(button && button->isVisible());
        QTest::mouseClick(button, Qt::LeftButton);
    }

    void answerAll()
    {
        while (dialog->queuedCount() > 0)
            dialog->hideMessage(0);
    }

    void convert(const Json::Value& value)
    {
        util->convertJSONtoMessage(value);
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
        QVERIFY(dialog && bar && util);
        QVERIFY(QTest::qWaitForWindowExposed(app->getMainWindow()));
    }

    void cleanupTestCase()
    {
        delete app;
    }

    void cleanup()
    {
        answerAll();
        app->getJSONUtil()->clearRequests();
    }

    void dialogMessageWithButtons()
    {
        convert(telegram(R"([{"MID":3000000000,"MUID":77,"MTYP":1,"ICON":1,"SEV":0,
            "MSG":{"ID":0,"T":"Filter wechseln"},
            "INP":{"TAB":[{"ID":0,"T":"Ja","OPRT":1,"VAL":1},{"T":"Nein","OPRT":4,"VAL":0}]}}])"));
        QVERIFY(dialog->isVisible());
        QCOMPARE(shownButtons(), (QStringList{"Ja", "Nein"}));
        QCOMPARE(dialog->currentMessage().mid, Q_INT64_C(3000000000));
        answerAll();

        // Each caption is looked up by its own id: the second has none and
        // must not borrow the first one's.
        convert(telegram(R"([{"MID":41,"MUID":41,"MTYP":1,"MSG":{"ID":220,"T":"Messwert"},
            "INP":{"TAB":[{"ID":70,"T":"Manuell","OPRT":4,"VAL":0},{"T":"Eigener Text","OPRT":4,"VAL":1}]}}])"));
        const QString manual = app->getJSONUtil()->getTranslation(70, QStringLiteral("?"));
        QCOMPARE(shownButtons(), (QStringList{manual, "Eigener Text"}));
        QCOMPARE(shownText(), app->getJSONUtil()->getTranslation(220, QStringLiteral("?")));
    }

    void statusBarMessage_data()
    {
        QTest::addColumn<QByteArray>("time");
        QTest::addColumn<int>("duration");
        QTest::newRow("own time") << QByteArray(R"("MTD":3000,)") << 3000;
        QTest::newRow("negative time") << QByteArray(R"("MTD":-4,)") << 10000;
    }

    void statusBarMessage()
    {
        QFETCH(QByteArray, time);
        QFETCH(int, duration);
        QSignalSpy spy(bar, SIGNAL(showMessage(QString,Severity,int)));
        convert(telegram((R"([{"MID":5,"MUID":5,"MTYP":0,)" + time + R"("MSG":{"T":"Willkommen"}}])").toStdString()));
        QCOMPARE(spy.size(), 1);
        QCOMPARE(spy.first().at(0).toString(), QStringLiteral("Willkommen"));
        QCOMPARE(spy.first().at(2).toInt(), duration);
        QVERIFY(!dialog->isVisible());
    }

    void malformedElementStopsTheRest()
    {
        LogCapture log;
        convert(telegram(R"([{"MID":11,"MUID":11,"MTYP":1,"MSG":{"T":"eins"}},
                             {"MID":12,"MTYP":1,"MSG":{"T":"zwei"}},
                             {"MID":13,"MUID":13,"MTYP":1,"MSG":{"T":"drei"}}])"));
        QCOMPARE(dialog->queuedCount(), 1);
        QCOMPARE(shownText(), QStringLiteral("eins"));
        QCOMPARE(log.matching(QStringLiteral("\"MUID\"")).size(), 1);
    }

    void malformedInputNeverThrows_data()
    {
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<QString>("warning");
        QTest::newRow("element a number") << QByteArray(R"({"INST":{"SET":{"MSG":[1]}}})") << "\"MID\"";
        QTest::newRow("MID beyond 64 bits")
            << QByteArray(R"({"INST":{"SET":{"MSG":[{"MID":18446744073709551615,"MUID":1,"MTYP":1,"MSG":{"T":"a"}}]}}})")
            << "\"MID\"";
        QTest::newRow("MSG a text") << QByteArray(R"({"INST":{"SET":{"MSG":[{"MID":1,"MUID":1,"MTYP":1,"MSG":"a"}]}}})")
                                    << "Received missing JSON knot \"MSG\"";
    }

    void malformedInputNeverThrows()
    {
        QFETCH(QByteArray, input);
        QFETCH(QString, warning);
        LogCapture log;
        convert(parse(input.toStdString()));
        QCOMPARE(dialog->queuedCount(), 0);
        QCOMPARE(log.matching(warning).size(), 1);
    }

    void messagesComeOneAtATimeInOrder()
    {
        convert(telegram(R"([{"MID":71,"MUID":1,"MTYP":1,"MSG":{"T":"erste"}},
                             {"MID":72,"MUID":1,"MTYP":2,"MSG":{"T":"zweite"}},
                             {"MID":73,"MUID":1,"MTYP":0,"MSG":{"T":"Zeile"}}])"));
        QCOMPARE(shownText(), QStringLiteral("erste"));
        QVERIFY(bar->text().endsWith(QStringLiteral("  Zeile")));
        press(0);
        QCOMPARE(shownText(), QStringLiteral("zweite"));
        press(0);
        QVERIFY(!dialog->isVisible());
    }

    void answerTelegramIsQueued_data()
    {
        QTest::addColumn<int>("operation");
        QTest::addColumn<int>("answers");
        QTest::addColumn<int>("logouts");
        QTest::newRow("nothing wins over send") << 5 << 0 << 0;
        QTest::newRow("send and logout") << 3 << 1 << 1;
    }

    void answerTelegramIsQueued()
    {
        QFETCH(int, operation);
        QFETCH(int, answers);
        QFETCH(int, logouts);
        QSignalSpy logout(app, SIGNAL(onLogout()));
        convert(telegram(R"([{"MID":4000000001,"MUID":4000000002,"MTYP":3,"MSG":{"T":"q"},"INP":{"TAB":[{"T":"a","OPRT":)"
                         + std::to_string(operation) + R"(,"VAL":7}]}}])"));
        press(0);
        QCOMPARE(logout.size(), logouts);
        Json::Value built;
        int kind = 0;
        QList<qint64> ids;
        app->getJSONUtil()->buildTelegram(kind, built, ids);
        QCOMPARE(ids.size(), answers);
        if (answers) {
            QCOMPARE(kind, 3);
            const Json::Value answer = built["INST"]["SET"]["MSG"][0];
            QCOMPARE(answer["MID"].asInt64(), Q_INT64_C(4000000001));
            QCOMPARE(answer["MUID"].asInt64(), Q_INT64_C(4000000002));
            QCOMPARE(answer["MTYP"].asInt(), 3);
            QCOMPARE(answer["VAL"].asInt(), 7);
            QVERIFY(answer["USER"].isString());
        }
    }

    void questionAnswerReachesOnlyItsAsker()
    {
        QList<int> answers;
        QObject asker;
        convert(telegram(R"([{"MID":91,"MUID":1,"MTYP":1,"MSG":{"T":"Gerät"},"INP":{"TAB":[{"T":"x","OPRT":4}]}}])"));
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
        convert(telegram(R"([{"MID":101,"MUID":1,"MTYP":1,"MSG":{"T":"oben"}}])"));
        QCoreApplication::processEvents();
        const QPoint centre = dialog->findChild<QWidget*>(QStringLiteral("wgtMessageDialog"))->geometry().center();
        QWidget* top = window->childAt(dialog->mapTo(window, centre));
        QVERIFY(top && dialog->isAncestorOf(top));
        QCOMPARE(window->getDialogCounter(), 2);
        answerAll();
        other.hide();
        QCOMPARE(window->getDialogCounter(), 0);
    }

    void logoutDropsTheSessionsDeviceMessages()
    {
        convert(telegram(R"([{"MID":111,"MUID":1,"MTYP":1,"MSG":{"T":"Gerät 1"}}])"));
        qint64 mid = 0;
        qint64 muid = 0;
        OwnMessageId::next(mid, muid);
        QVERIFY(mid < 0);   // never one of the device's
        dialog->showDialog(mid, muid, QStringLiteral("eigene Frage"), 0, {});
        convert(telegram(R"([{"MID":112,"MUID":1,"MTYP":1,"MSG":{"T":"Gerät 2"}}])"));
        QCOMPARE(dialog->queuedCount(), 3);

        app->stop();
        QCOMPARE(dialog->queuedCount(), 1);
        QVERIFY(dialog->isVisible());
        QCOMPARE(shownText(), QStringLiteral("eigene Frage"));
    }

};

QTEST_MAIN(TestMessageDialog)
#include "tst_messagedialog.moc"
