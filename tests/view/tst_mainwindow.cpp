// The main window: Back key, closing, the status bar (form, timing, other threads),
// fallback language and the language switch, with the odd cases of a widget tree.
#include "util/AppContext.h"
#include "util/FileUtil.h"
#include "util/Language.h"
#include "util/SettingsUtil.h"
#include "util/StatusMessageSink.h"
#include "util/TevaroApp.h"
#include "view/MainWindow.h"
#include "view/OverallView.h"
#include "view/StatusBar.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDockWidget>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QTableWidget>
#include <QtTest>

#include <thread>

namespace {

const QString SELECTION = QStringLiteral("Config/Language/Selection");

// Reaches the shared Language the way every screen does.
class LanguageProbe : public OverallView
{
public:
    Language* get() const { return language; }
};

QString shownText(const QWidget* widget)
{
    if (auto* label = qobject_cast<const QLabel*>(widget))
        return label->text();
    if (auto* button = qobject_cast<const QAbstractButton*>(widget))
        return button->text();
    if (auto* edit = qobject_cast<const QLineEdit*>(widget))
        return edit->placeholderText();
    if (auto* box = qobject_cast<const QGroupBox*>(widget))
        return box->title();
    return QStringLiteral("<none>");
}

template <class W>
W* translatable(QWidget* parent, const QVariant& id, const QString& defaultText)
{
    W* widget = new W(parent);
    widget->setProperty("Language_ID", id);
    widget->setProperty("Language_Default", defaultText);
    return widget;
}

// A table whose header carries ids (one per column, or too few), and its header texts.
QTableWidget* headedTable(QWidget* parent, const QStringList& ids)
{
    auto* table = new QTableWidget(1, 4, parent);
    table->setHorizontalHeaderLabels({"alt0", "alt1", "alt2", "alt3"});
    table->horizontalHeader()->setProperty("Language_ID", ids);
    const QStringList defaults = QStringList({"Messwert", "bleibt", "Vorgabe", "Manuell"}).mid(0, ids.size());
    table->horizontalHeader()->setProperty("Language_Default", defaults);
    return table;
}

QStringList headerTexts(const QTableWidget* table)
{
    QStringList texts;
    for (int column = 0; column < table->columnCount(); ++column)
        texts << table->horizontalHeaderItem(column)->text();
    return texts;
}

} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT

    TevaroApp* app = nullptr;
    MainWindow* window = nullptr;

    StatusBar* bar() { return window->statusBarObject(); }
    QLineEdit* barLine() { return window->findChild<QLineEdit*>(QStringLiteral("ledtDockbar")); }
    bool barVisible()
    {
        auto* dock = window->findChild<QDockWidget*>(QStringLiteral("dockStatusBar"));
        return dock && dock->isVisible() && window->dockWidgetArea(dock) == Qt::BottomDockWidgetArea;
    }

    // A language-file text posted from another thread; an argument's own "%2" stays.
    static void postText()
    {
        std::thread([] {
            StatusMessageSink::postText(1455, QStringLiteral("default %1 %2"),
                                        {QStringLiteral("404"), QStringLiteral("$.A.%2")}, SEVERITY_ERROR, 10000);
        }).join();
    }

private slots:
    void initTestCase()
    {
        QDir(FileUtil::basePath()).removeRecursively();
        // A choice no language file offers: the window falls back without storing it.
        SettingsUtil::setValue(SELECTION, QStringLiteral("XX"));
        app = new TevaroApp(nullptr);
        window = app->getMainWindow();
        QVERIFY(window && QTest::qWaitForWindowExposed(window));
        QCOMPARE(LanguageProbe().get()->getCurrentKey(), QStringLiteral("DE"));
        QCOMPARE(SettingsUtil::getValue(SELECTION, QString()).toString(), QStringLiteral("XX"));
    }

    void cleanupTestCase()
    {
        delete app;
        QVERIFY(!AppContext::get()->getApp());
        AppContext::release();
    }

    // Back on the home page logs out; on the network page it returns to the login.
    void backKey()
    {
        for (const auto& [from, logouts] : {std::pair{MainWindow::HOME, 1}, std::pair{MainWindow::NETWORK_CONFIG, 0}}) {
            window->setPage(from);
            QSignalSpy logout(app, SIGNAL(onLogout()));
            QKeyEvent press(QEvent::KeyPress, Qt::Key_Back, Qt::NoModifier);
            QVERIFY(QApplication::sendEvent(window, &press) && press.isAccepted());
            QVERIFY(window->isCurrentPage(MainWindow::LOGIN));
            QCOMPARE(logout.size(), logouts);
        }
    }

    void statusBar()
    {
        window->setPage(MainWindow::HOME);
        const QDateTime before = QDateTime::currentDateTime().addMSecs(-1000);
        emit bar()->showMessage(QStringLiteral("X"), SEVERITY_ERROR, 300);
        const QString text = barLine()->text();
        const QDateTime shown = QDateTime::fromString(text.left(19), QStringLiteral("dd.MM.yyyy hh:mm:ss"));
        QVERIFY(barVisible() && barLine()->property("ZZActive").toBool() && text.mid(19) == QLatin1String("  X"));
        QVERIFY(shown >= before.addMSecs(-before.time().msec()) && shown <= QDateTime::currentDateTime());
        QTRY_VERIFY_WITH_TIMEOUT(!barVisible(), 5000);
        QVERIFY(barLine()->text().isEmpty() && !barLine()->property("ZZActive").toBool());

        // A page change keeps a message until its time is over.
        emit bar()->showPermanent(true);
        emit bar()->showMessage(QStringLiteral("welcome"), SEVERITY_NOTICE, 800);
        emit bar()->showPermanent(false);   // the login page is left
        QVERIFY(barVisible() && bar()->text().endsWith(QStringLiteral("welcome")));
        emit bar()->showPermanent(true);    // and entered again
        QVERIFY(bar()->text().endsWith(QStringLiteral("welcome")));
        emit bar()->showPermanent(false);
        QTRY_VERIFY_WITH_TIMEOUT(!barVisible(), 5000);
        QCOMPARE(bar()->text(), QString());

        std::thread([this] { emit bar()->showMessage(QStringLiteral("from a worker"), SEVERITY_ERROR, 10000); }).join();
        QTRY_VERIFY(bar()->text().endsWith(QStringLiteral("  from a worker")));
        std::thread([] { StatusMessageSink::post(QStringLiteral("from the link"), SEVERITY_ERROR, 10000); }).join();
        QTRY_VERIFY(bar()->text().endsWith(QStringLiteral("  from the link")) && barVisible());
        postText();
        QTRY_COMPARE(bar()->text().mid(21), QStringLiteral("Das Gerät hat die Anfrage abgelehnt (HTTP 404); verworfen: $.A.%2"));

        // A withdrawn notice goes only while it is the message shown.
        bar()->withdraw(QStringLiteral("Eingabe nicht übernommen."));
        QVERIFY(bar()->message().startsWith(QStringLiteral("Das Gerät hat die Anfrage abgelehnt")) && barVisible());
        emit bar()->showMessage(QStringLiteral("Eingabe nicht übernommen."), SEVERITY_NOTICE, 10000);
        bar()->withdraw(QStringLiteral("Eingabe nicht übernommen."));
        QVERIFY(bar()->message().isEmpty() && bar()->text().isEmpty() && !barVisible());
    }

    // Every translatable widget follows a switch; the choice is stored; a later tree takes it.
    void languageSwitch()
    {
        Language* language = LanguageProbe().get();
        int english = -1, german = -1;
        QVERIFY(language->findLanguage(QStringLiteral("EN"), english) && language->findLanguage(QStringLiteral("DE"), german));
        // Odd cases below the window, checked with the rest: a group box, an unknown id (its default).
        auto* odd = new QWidget(window);
        translatable<QGroupBox>(odd, 70, "Manuell");
        translatable<QLabel>(odd, 999999, "Vorgabe");
        QList<QLabel*> untouched{translatable<QLabel>(odd, -1, "bleibt"), translatable<QLabel>(odd, "abc", "kaputt")};
        for (QLabel* label : untouched)
            label->setText(QStringLiteral("alt"));
        QTableWidget* table = headedTable(odd, {"220", "-1", "abc", "70"});
        QTableWidget* shortTable = headedTable(odd, {"220", "-1", "abc"});

        language->update(english, window);
        const QString measured = language->getText(220, QStringLiteral("?"));
        const QString manual = language->getText(70, QStringLiteral("?"));
        QVERIFY(measured == QLatin1String("Measured value ") && manual == QLatin1String("Manual"));
        QCOMPARE(SettingsUtil::getValue(SELECTION, QString()).toString(), QStringLiteral("EN"));
        postText();
        QTRY_COMPARE(bar()->text().mid(21), QStringLiteral("Request rejected by the device (HTTP 404) and dropped: $.A.%2"));
        int translated = 0;
        for (QWidget* widget : window->findChildren<QWidget*>()) {
            bool ok = false;
            const int id = widget->property("Language_ID").toInt(&ok);
            if (!ok || id == -1 || shownText(widget) == QLatin1String("<none>"))
                continue;
            ++translated;
            QCOMPARE(shownText(widget), language->getText(id, widget->property("Language_Default").toString()));
        }
        QVERIFY(translated > 10);
        for (QLabel* label : untouched)
            QCOMPARE(label->text(), QStringLiteral("alt"));
        QCOMPARE(headerTexts(table), QStringList({measured, "alt1", "Vorgabe", manual}));
        // An id list shorter than the columns leaves the whole header alone.
        QCOMPARE(headerTexts(shortTable), QStringList({"alt0", "alt1", "alt2", "alt3"}));

        language->update(german, window);
        QCOMPARE(language->getCurrentKey(), QStringLiteral("DE"));
        QCOMPARE(SettingsUtil::getValue(SELECTION, QString()).toString(), QStringLiteral("DE"));
        auto* later = translatable<QGroupBox>(odd, 70, "?");
        language->update(odd);
        QCOMPARE(later->title(), language->getText(70, QString()));
        QVERIFY(later->title() != manual);
        delete odd;
    }

    void closingOnTheLoginPageStillLogsOut()
    {
        window->setPage(MainWindow::LOGIN);
        QList<bool> visibleAtLogout;
        QMetaObject::Connection connection =
            connect(app, &TevaroApp::onLogout, [&]() { visibleAtLogout.append(window->isVisible()); });
        QVERIFY(window->close());
        disconnect(connection);
        QCOMPARE(visibleAtLogout, QList<bool>{true});
        window->show();
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
