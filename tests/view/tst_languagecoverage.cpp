// Every text id the screens use exists in every language file, with a text.
#include "util/AppContext.h"
#include "util/TevaroApp.h"
#include "view/MainWindow.h"
#include "view/NetworkConfig.h"
#include "view/UserLogin.h"
#include "widgets/TevaroResources.h"

#include <json/json.h>

#include <QFile>
#include <QHeaderView>
#include <QMap>
#include <QSet>
#include <QTableWidget>
#include <QtTest>

namespace {

const QStringList FOLDERS = {QStringLiteral("cs_CS"), QStringLiteral("de_DE"), QStringLiteral("en_GB"),
                             QStringLiteral("fr_FR")};

// Ids looked up in code at run time rather than set on a widget.
const QList<int> RUNTIME_IDS = {
    907, 908, 964,        // login hints and the automatic-logout notice
    1450, 1451, 1452,     // network settings input check
};

QMap<int, QString> texts(const QString& folder)
{
    QFile file(QStringLiteral(":/lang/%1/%1.json").arg(folder));
    QMap<int, QString> result;
    if (!file.open(QIODevice::ReadOnly))
        return result;
    QByteArray text = file.readAll();
    if (text.startsWith("\xEF\xBB\xBF"))
        text.remove(0, 3);
    Json::Value root;
    if (!Json::Reader().parse(text.constData(), text.constData() + text.size(), root))
        return result;
    for (const Json::Value& entry : root["LT"])
        result.insert(entry["ID"].asInt(), QString::fromStdString(entry["T"].asString()));
    return result;
}

// Text id -> object names of the widgets that carry it.
void collectIds(QObject* object, QMap<int, QStringList>& ids)
{
    const QVariant id = object->property("Language_ID");
    if (id.isValid()) {
        if (id.type() == QVariant::StringList) {   // a table header: one id per column
            for (const QString& entry : id.toStringList())
                if (entry.toInt() > 0)
                    ids[entry.toInt()].append(object->objectName());
        } else if (id.toInt() > 0) {
            ids[id.toInt()].append(object->objectName());
        }
    }
    for (QObject* child : object->children())
        collectIds(child, ids);
}

} // namespace

class TestLanguageCoverage : public QObject
{
    Q_OBJECT

private:
    TevaroApp* app = nullptr;
    MainWindow* window = nullptr;

    void checkIds(const QMap<int, QStringList>& ids)
    {
        QVERIFY(!ids.isEmpty());
        for (const QString& folder : FOLDERS) {
            const QMap<int, QString> table = texts(folder);
            QVERIFY2(!table.isEmpty(), qPrintable(folder));
            for (auto it = ids.cbegin(); it != ids.cend(); ++it) {
                QVERIFY2(table.contains(it.key()), qPrintable(QStringLiteral("%1 lacks id %2 (%3)")
                                                                  .arg(folder)
                                                                  .arg(it.key())
                                                                  .arg(it.value().join(QStringLiteral(", ")))));
                QVERIFY(!table.value(it.key()).trimmed().isEmpty());
            }
        }
    }

private slots:
    void initTestCase()
    {
        ensureTevaroResources();
        app = new TevaroApp();
        AppContext* context = AppContext::get();
        window = context->getMainWindow();
        AppContext::release();
        QVERIFY(window);
    }

    void cleanupTestCase()
    {
        delete app;
    }

    void loginAndNetworkPages()
    {
        UserLogin* login = window->findChild<UserLogin*>();
        NetworkConfig* network = window->findChild<NetworkConfig*>();
        QVERIFY(login);
        QVERIFY(network);
        QMap<int, QStringList> ids;
        collectIds(login, ids);
        collectIds(network, ids);
        for (int id : RUNTIME_IDS)
            ids[id].append(QStringLiteral("(run time)"));
        for (int id : {849, 859, 901, 902, 630, 302, 687, 860, 861})
            QVERIFY2(ids.contains(id), qPrintable(QString::number(id)));
        checkIds(ids);
    }

    // Everything the running application shows: the main window and its pages.
    void wholeMainWindow()
    {
        QMap<int, QStringList> ids;
        collectIds(window, ids);
        checkIds(ids);
    }
};

QTEST_MAIN(TestLanguageCoverage)
#include "tst_languagecoverage.moc"
