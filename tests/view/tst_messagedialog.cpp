// Device and program messages: conversion, queue, display, answers.
#include "../common/LogCapture.h"

#include "util/AppContext.h"
#include "util/FileUtil.h"
#include "util/JSONUtil.h"
#include "util/Language.h"
#include "util/MessageDialogUtil.h"
#include "util/OwnMessageId.h"
#include "util/TevaroApp.h"
#include "view/MainWindow.h"
#include "view/MessageDialog.h"
#include "view/StatusBar.h"
#include "widgets/ZDialog.h"

#include <json/json.h>

#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTextEdit>
#include <QtTest>

#include <stdexcept>
#include <thread>

namespace {

Json::Value parse(const char* text)
{
    Json::Value value;
    Json::CharReaderBuilder builder;
    std::string errors;
    std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
    const std::string source(text);
    reader->parse(source.data(), source.data() + source.size(), &value, &errors);
    return value;
}

Json::Value telegram(const char* messages)
{
    return parse((std::string("{\"INST\":{\"SET\":{\"MSG\":") + messages + "}}}").c_str());
}

// Fails on the device text "wirft", as a translation running out of memory would.
class ThrowingMessageDialogUtil : public MessageDialogUtil
{
protected:
    void translate(const Json::Value& deviceText, QString& text) override
    {
        if (deviceText["T"] == "wirft")
            throw std::runtime_error("translation failed");
        MessageDialogUtil::translate(deviceText, text);
    }
};

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
        QCOMPARE(shownText(), QStringLiteral("Filter wechseln"));
        QCOMPARE(shownButtons(), (QStringList{"Ja", "Nein"}));
        const structMessage message = dialog->currentMessage();
        QCOMPARE(message.mid, Q_INT64_C(3000000000));
        QCOMPARE(message.muid, Q_INT64_C(77));
        QCOMPARE(message.type, 1);
        QCOMPARE(message.icon, 1);
        QCOMPARE(message.severity, 0);
        QCOMPARE(message.buttonValues, (QList<int>{1, 0}));
        QCOMPARE(message.buttonOperations, (QList<int>{1, 4}));
        QVERIFY(!dialog->findChild<QLabel*>(QStringLiteral("lblIcon"))->pixmap(Qt::ReturnByValue).isNull());
    }

    void statusBarMessage_data()
    {
        QTest::addColumn<QByteArray>("element");
        QTest::addColumn<int>("duration");
        QTest::newRow("no time") << QByteArray(R"({"MID":5,"MUID":5,"MTYP":0,"MSG":{"T":"Willkommen"}})") << 10000;
        QTest::newRow("own time") << QByteArray(R"({"MID":6,"MUID":6,"MTYP":0,"MTD":3000,"MSG":{"T":"Willkommen"}})")
                                  << 3000;
        QTest::newRow("negative time")
            << QByteArray(R"({"MID":7,"MUID":7,"MTYP":0,"MTD":-4,"MSG":{"T":"Willkommen"}})") << 10000;
        QTest::newRow("zero time") << QByteArray(R"({"MID":8,"MUID":8,"MTYP":0,"MTD":0,"MSG":{"T":"Willkommen"}})")
                                   << 0;
    }

    void statusBarMessage()
    {
        QFETCH(QByteArray, element);
        QFETCH(int, duration);
        QSignalSpy spy(bar, SIGNAL(showMessage(QString,Severity,int)));
        convert(telegram(("[" + element + "]").constData()));
        QCOMPARE(spy.size(), 1);
        QCOMPARE(spy.first().at(0).toString(), QStringLiteral("Willkommen"));
        QCOMPARE(spy.first().at(1).value<Severity>(), SEVERITY_ERROR);
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
        QCOMPARE(log.matching(QStringLiteral("Recieved missing JSON knot")),
                 QStringList{QStringLiteral("Recieved missing JSON knot \"MUID\" in JSON path "
                                            "$.\"INST\".\"SET\".\"MSG\".\nUnable to execute message processing")});
    }

    // Elements converted before a failing one stay delivered; the rest is skipped.
    void failureKeepsTheMessagesBeforeIt()
    {
        ThrowingMessageDialogUtil throwing;
        QSignalSpy lines(bar, SIGNAL(showMessage(QString,Severity,int)));
        LogCapture log;
        throwing.convertJSONtoMessage(telegram(R"([{"MID":171,"MUID":1,"MTYP":1,"MSG":{"T":"vorher"}},
                                                   {"MID":172,"MUID":1,"MTYP":0,"MSG":{"T":"Zeile vorher"}},
                                                   {"MID":173,"MUID":1,"MTYP":1,"MSG":{"T":"wirft"}},
                                                   {"MID":174,"MUID":1,"MTYP":1,"MSG":{"T":"danach"}}])"));
        QCoreApplication::processEvents();
        QCOMPARE(dialog->queuedCount(), 1);
        QCOMPARE(shownText(), QStringLiteral("vorher"));
        QCOMPARE(lines.size(), 1);
        QCOMPARE(lines.first().at(0).toString(), QStringLiteral("Zeile vorher"));
        QCOMPARE(log.matching(QStringLiteral("translation failed")).size(), 1);
    }

    void malformedInputNeverThrows_data()
    {
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<QString>("warning");   // empty: none
        QTest::newRow("empty list") << QByteArray(R"({"INST":{"SET":{"MSG":[]}}})") << "";
        QTest::newRow("object") << QByteArray(R"({"INST":{"SET":{"MSG":{"MID":1}}}})") << "";
        QTest::newRow("INST a text") << QByteArray(R"({"INST":"x"})") << "";
        QTest::newRow("SET a list") << QByteArray(R"({"INST":{"SET":[1]}})") << "";
        QTest::newRow("telegram a list") << QByteArray(R"([1,2])") << "";
        QTest::newRow("element a number") << QByteArray(R"({"INST":{"SET":{"MSG":[1]}}})") << "\"MID\"";
        QTest::newRow("MID a text") << QByteArray(R"({"INST":{"SET":{"MSG":[{"MID":"1","MUID":1,"MTYP":1,"MSG":{"T":"a"}}]}}})")
                                    << "\"MID\"";
        QTest::newRow("MID beyond 64 bits")
            << QByteArray(R"({"INST":{"SET":{"MSG":[{"MID":18446744073709551615,"MUID":1,"MTYP":1,"MSG":{"T":"a"}}]}}})")
            << "\"MID\"";
        QTest::newRow("MTYP a fraction")
            << QByteArray(R"({"INST":{"SET":{"MSG":[{"MID":1,"MUID":1,"MTYP":1.5,"MSG":{"T":"a"}}]}}})") << "\"MTYP\"";
        QTest::newRow("MTYP beyond 32 bits")
            << QByteArray(R"({"INST":{"SET":{"MSG":[{"MID":1,"MUID":1,"MTYP":4294967296,"MSG":{"T":"a"}}]}}})")
            << "\"MTYP\"";
        QTest::newRow("MSG empty") << QByteArray(R"({"INST":{"SET":{"MSG":[{"MID":1,"MUID":1,"MTYP":1,"MSG":{}}]}}})")
                                   << "Received missing JSON knot \"MSG\"";
        QTest::newRow("MSG a text") << QByteArray(R"({"INST":{"SET":{"MSG":[{"MID":1,"MUID":1,"MTYP":1,"MSG":"a"}]}}})")
                                    << "Received missing JSON knot \"MSG\"";
    }

    void malformedInputNeverThrows()
    {
        QFETCH(QByteArray, input);
        QFETCH(QString, warning);
        LogCapture log;
        convert(parse(input.constData()));
        QCOMPARE(dialog->queuedCount(), 0);
        if (warning.isEmpty())
            QVERIFY2(log.messages().isEmpty(), qPrintable(log.all()));
        else
            QCOMPARE(log.matching(warning).size(), 1);
    }

    void wholeNumbersWrittenAsRealsCount()
    {
        convert(telegram(R"([{"MID":21.0,"MUID":2.2e1,"MTYP":1.0,"ICON":2.0,"MSG":{"T":"real"}}])"));
        QCOMPARE(dialog->queuedCount(), 1);
        QCOMPARE(dialog->currentMessage().mid, Q_INT64_C(21));
        QCOMPARE(dialog->currentMessage().muid, Q_INT64_C(22));
        QCOMPARE(dialog->currentMessage().icon, 2);
    }

    void oddButtonEntries()
    {
        LogCapture log;
        convert(telegram(R"([{"MID":31,"MUID":31,"MTYP":1,"MSG":{"T":"Frage"},
            "INP":{"TAB":["Text allein",5,null,{"T":"Objekt","OPRT":"1"}]}}])"));
        QCOMPARE(shownButtons(), (QStringList{"Text allein", "Objekt"}));
        const structMessage message = dialog->currentMessage();
        QCOMPARE(message.buttonOperations, (QList<int>{0, 0}));
        QCOMPARE(message.buttonValues, (QList<int>{-1, -1}));
        QCOMPARE(log.matching(QStringLiteral("\"VAL\" will be set to value -1")).size(), 2);
        QCOMPARE(log.matching(QStringLiteral("was left out")).size(), 2);
    }

    void eachCaptionIsLookedUpByItsOwnId()
    {
        // The second entry has no id: it must not borrow the first one's.
        convert(telegram(R"([{"MID":41,"MUID":41,"MTYP":1,"MSG":{"ID":220,"T":"Messwert"},
            "INP":{"TAB":[{"ID":70,"T":"Manuell","OPRT":4,"VAL":0},{"T":"Eigener Text","OPRT":4,"VAL":1}]}}])"));
        const QString manual = app->getJSONUtil()->getTranslation(70, QStringLiteral("?"));
        QCOMPARE(shownButtons(), (QStringList{manual, "Eigener Text"}));
        QCOMPARE(shownText(), app->getJSONUtil()->getTranslation(220, QStringLiteral("?")));
    }

    void buttonCaptions_data()
    {
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<QStringList>("captions");
        const QString ok = QStringLiteral("<ok>");
        QTest::newRow("no buttons") << QByteArray(R"({"MID":51,"MUID":1,"MTYP":1,"MSG":{"T":"a"}})")
                                    << QStringList{"OK"};
        QTest::newRow("four entries, three shown")
            << QByteArray(R"({"MID":52,"MUID":1,"MTYP":1,"MSG":{"T":"a"},"INP":{"TAB":[{"T":"1"},{"T":"2"},{"T":"3"},{"T":"4"}]}})")
            << QStringList{"1", "2", "3"};
        QTest::newRow("one after three")
            << QByteArray(R"({"MID":53,"MUID":1,"MTYP":1,"MSG":{"T":"a"},"INP":{"TAB":[{"T":"allein"}]}})")
            << QStringList{"allein"};
        QTest::newRow("empty first caption")
            << QByteArray(R"({"MID":54,"MUID":1,"MTYP":1,"MSG":{"T":"a"},"INP":{"TAB":[{"T":""},{"T":""},{"T":"c"}]}})")
            << QStringList{ok, "c"};
        QTest::newRow("empty TAB") << QByteArray(R"({"MID":55,"MUID":1,"MTYP":1,"MSG":{"T":"a"},"INP":{"TAB":[]}})")
                                   << QStringList{"OK"};
    }

    void buttonCaptions()
    {
        QFETCH(QByteArray, input);
        QFETCH(QStringList, captions);
        const QString ok = app->getJSONUtil()->getTranslation(628, QStringLiteral("Ok"));
        captions.replaceInStrings(QStringLiteral("<ok>"), ok);
        convert(telegram(("[" + input + "]").constData()));
        QCOMPARE(shownButtons(), captions);
    }

    void icons()
    {
        for (int icon : {0, 1, 2})
            QVERIFY(!dialog->iconPixmap(icon).isNull());
        QVERIFY(dialog->iconPixmap(7).isNull());
        QVERIFY(dialog->iconPixmap(-1).isNull());
    }

    void sameIdIsShownOnce()
    {
        const Json::Value message = telegram(R"([{"MID":61,"MUID":1,"MTYP":1,"MSG":{"T":"a"}}])");
        convert(message);
        convert(telegram(R"([{"MID":62,"MUID":1,"MTYP":1,"MSG":{"T":"b"}}])"));
        convert(message);   // on screen
        QCOMPARE(dialog->queuedCount(), 2);
        dialog->hideMessage(0);
        QCOMPARE(shownText(), QStringLiteral("b"));
        convert(message);   // answered: accepted again
        QCOMPARE(dialog->queuedCount(), 2);
        convert(telegram(R"([{"MID":62,"MUID":1,"MTYP":1,"MSG":{"T":"b"}}])"));   // queued
        QCOMPARE(dialog->queuedCount(), 2);
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
        QVERIFY(dialog->isVisible());
        press(0);
        QVERIFY(!dialog->isVisible());
    }

    void convertedOnAnotherThread()
    {
        std::thread receiver([this]() {
            util->convertJSONtoMessage(telegram(R"([{"MID":81,"MUID":1,"MTYP":1,"MSG":{"T":"vom Empfang"}}])"));
        });
        receiver.join();
        QTRY_COMPARE(dialog->queuedCount(), 1);
        QCOMPARE(shownText(), QStringLiteral("vom Empfang"));
    }

    void answerTelegramIsQueued_data()
    {
        QTest::addColumn<int>("operation");
        QTest::addColumn<int>("answers");
        QTest::addColumn<int>("logouts");
        QTest::newRow("send") << 1 << 1 << 0;
        QTest::newRow("nothing") << 0 << 0 << 0;
        QTest::newRow("nothing wins over send") << 5 << 0 << 0;
        QTest::newRow("nothing wins over logout") << 6 << 0 << 0;
        QTest::newRow("logout") << 2 << 0 << 1;
        QTest::newRow("send and logout") << 3 << 1 << 1;
    }

    void answerTelegramIsQueued()
    {
        QFETCH(int, operation);
        QFETCH(int, answers);
        QFETCH(int, logouts);
        QSignalSpy logout(app, SIGNAL(onLogout()));
        const std::string text = R"([{"MID":4000000001,"MUID":4000000002,"MTYP":3,"MSG":{"T":"q"},"INP":{"TAB":[{"T":"a","OPRT":)"
                                 + std::to_string(operation) + R"(,"VAL":7}]}}])";
        convert(telegram(text.c_str()));
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

    void ownMessages()
    {
        LogCapture log;
        dialog->showDialog(0, 1, QStringLiteral("nie"), 0, {});
        QCOMPARE(dialog->queuedCount(), 0);
        QCOMPARE(log.messages(), QStringList{QStringLiteral("MesageDialog can not be set. nie")});

        qint64 mid = 0;
        qint64 muid = 0;
        OwnMessageId::next(mid, muid);
        QSignalSpy spy(dialog, SIGNAL(sendButton_ID(int,structMessage)));
        dialog->showDialog(mid, muid, QStringLiteral("Wirklich?"), 0, {QStringLiteral("Löschen"), QStringLiteral("Abbrechen")});
        QCOMPARE(shownButtons(), (QStringList{"Löschen", "Abbrechen"}));
        press(1);
        QCOMPARE(spy.size(), 1);
        QCOMPARE(spy.first().at(0).toInt(), 1);
        QCOMPARE(spy.first().at(1).value<structMessage>().mid, mid);
        QCOMPARE(app->getJSONUtil()->getRequestCount(), 0);
    }

    void ownIdsNeverRepeat()
    {
        qint64 lastMid = 0;
        QSet<qint64> seen;
        for (int i = 0; i < 2000; ++i) {
            qint64 mid = 0;
            qint64 muid = 0;
            OwnMessageId::next(mid, muid);
            QVERIFY(mid < 0);
            QCOMPARE(muid, -mid);
            if (i > 0)
                QVERIFY(mid < lastMid);
            lastMid = mid;
            seen.insert(mid);
        }
        QCOMPARE(seen.size(), 2000);
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
        QVERIFY(top);
        QVERIFY(dialog->isAncestorOf(top));
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
        dialog->showDialog(mid, muid, QStringLiteral("eigene Frage"), 0, {});
        convert(telegram(R"([{"MID":112,"MUID":1,"MTYP":1,"MSG":{"T":"Gerät 2"}}])"));
        QCOMPARE(dialog->queuedCount(), 3);

        app->stop();
        QCOMPARE(dialog->queuedCount(), 1);
        QVERIFY(dialog->isVisible());
        QCOMPARE(shownText(), QStringLiteral("eigene Frage"));
        answerAll();
        QVERIFY(!dialog->isVisible());
    }

    void messageOfAnEndedSessionIsDropped()
    {
        // Converted during the session, delivered after its end.
        const QList<structMessage> late = util->convertMessages(
            telegram(R"([{"MID":121,"MUID":1,"MTYP":1,"MSG":{"T":"zu spät"}}])"));
        QCOMPARE(late.size(), 1);
        app->stop();
        emit dialog->showMessage(late.first());
        QCoreApplication::processEvents();
        QCOMPARE(dialog->queuedCount(), 0);
        QVERIFY(!dialog->isVisible());
    }

    void statusLineOfAnEndedSessionIsNotShown()
    {
        // From the receive thread, in the running session: shown.
        std::thread current([this]() {
            util->convertJSONtoMessage(telegram(R"([{"MID":181,"MUID":1,"MTYP":0,"MSG":{"T":"rechtzeitig"}}])"));
        });
        current.join();
        QTRY_VERIFY(bar->text().endsWith(QStringLiteral("  rechtzeitig")));

        // Converted in the session, on screen only after its end: dropped.
        std::thread late([this]() {
            util->convertJSONtoMessage(telegram(R"([{"MID":182,"MUID":1,"MTYP":0,"MSG":{"T":"zu spät"}}])"));
        });
        late.join();
        app->stop();
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
        QVERIFY2(!bar->text().contains(QStringLiteral("zu spät")), qPrintable(bar->text()));
    }

    // Only a button answers a message: Escape leaves it on screen.
    void escapeKeepsTheMessage()
    {
        convert(telegram(R"([{"MID":191,"MUID":1,"MTYP":1,"MSG":{"T":"bleibt"}}])"));
        QVERIFY(dialog->isVisible());
        QWidget* focused = app->getMainWindow()->focusWidget();
        QVERIFY(focused && dialog->isAncestorOf(focused));
        QTest::keyClick(focused, Qt::Key_Escape);
        QVERIFY(dialog->isVisible());
        QCOMPARE(dialog->queuedCount(), 1);
        QCOMPARE(shownText(), QStringLiteral("bleibt"));
    }

    void backKeyIsBlockedWhileShown()
    {
        MainWindow* window = app->getMainWindow();
        window->setPage(MainWindow::NETWORK_CONFIG);
        convert(telegram(R"([{"MID":131,"MUID":1,"MTYP":1,"MSG":{"T":"blockiert"}}])"));
        QTest::keyClick(window, Qt::Key_Back);
        QVERIFY(window->isCurrentPage(MainWindow::NETWORK_CONFIG));
        answerAll();
        QTest::keyClick(window, Qt::Key_Back);
        QVERIFY(window->isCurrentPage(MainWindow::LOGIN));
    }

    void messagesBeforeTheWindowExistsAreDropped()
    {
        MessageDialogUtil orphan;   // shares the context holder with the app
        AppContext* context = AppContext::get();
        MainWindow* window = context->getMainWindow();
        context->setMainWindow(nullptr);
        orphan.convertJSONtoMessage(telegram(R"([{"MID":141,"MUID":1,"MTYP":1,"MSG":{"T":"zu früh"}}])"));
        context->setMainWindow(window);
        AppContext::release();
        QCoreApplication::processEvents();
        QCOMPARE(dialog->queuedCount(), 0);
    }
};

QTEST_MAIN(TestMessageDialog)
#include "tst_messagedialog.moc"
