// The language files carried in the resources: their format, their texts in
// all four languages, and the manual they name.
#include "widgets/TevaroResources.h"

#include <json/json.h>

#include <QFile>
#include <QMap>
#include <QRegularExpression>
#include <QSet>
#include <QtTest>

#include <memory>

namespace {

const QStringList FOLDERS = {QStringLiteral("cs_CS"), QStringLiteral("de_DE"), QStringLiteral("en_GB"),
                             QStringLiteral("fr_FR")};

QByteArray readResource(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    return file.readAll();
}

QString jsonPath(const QString& folder)
{
    return QStringLiteral(":/lang/%1/%1.json").arg(folder);
}

// Strict parse: one object, no comments, no duplicate keys. The byte-order
// mark is checked and removed first.
bool parseLanguageFile(const QString& folder, Json::Value& root, QString* error)
{
    QByteArray text = readResource(jsonPath(folder));
    if (!text.startsWith("\xEF\xBB\xBF")) {
        *error = QStringLiteral("no UTF-8 byte-order mark");
        return false;
    }
    text.remove(0, 3);
    Json::CharReaderBuilder builder;
    Json::CharReaderBuilder::strictMode(&builder.settings_);
    builder["rejectDupKeys"] = true;
    std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
    std::string errors;
    if (!reader->parse(text.constData(), text.constData() + text.size(), &root, &errors)) {
        *error = QString::fromStdString(errors);
        return false;
    }
    return true;
}

// Text id -> "T" of one language.
QMap<int, QString> texts(const QString& folder)
{
    Json::Value root;
    QString error;
    QMap<int, QString> result;
    if (!parseLanguageFile(folder, root, &error))
        return result;
    for (const Json::Value& entry : root["LT"])
        result.insert(entry["ID"].asInt(), QString::fromStdString(entry["T"].asString()));
    return result;
}

} // namespace

class TestLanguageFiles : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        ensureTevaroResources();
    }

    void everyLanguageHasTheSameTexts()
    {
        const QMap<int, QString> german = texts(QStringLiteral("de_DE"));
        QVERIFY(!german.isEmpty());
        for (const QString& folder : FOLDERS) {
            const QMap<int, QString> other = texts(folder);
            const QSet<int> missing = QSet<int>(german.keyBegin(), german.keyEnd()) - QSet<int>(other.keyBegin(), other.keyEnd());
            const QSet<int> extra = QSet<int>(other.keyBegin(), other.keyEnd()) - QSet<int>(german.keyBegin(), german.keyEnd());
            QVERIFY2(missing.isEmpty(), qPrintable(folder + QStringLiteral(" lacks ") + QString::number(*missing.begin())));
            QVERIFY2(extra.isEmpty(), qPrintable(folder + QStringLiteral(" has extra ") + QString::number(*extra.begin())));
        }
    }

    void germanManualIsAPdf()
    {
        const QByteArray pdf = readResource(QStringLiteral(":/lang/de_DE/Bedienungsanleitung.pdf"));
        QVERIFY(pdf.startsWith("%PDF-1."));
        QVERIFY(pdf.trimmed().endsWith("%%EOF"));
    }
};

QTEST_GUILESS_MAIN(TestLanguageFiles)
#include "tst_languagefiles.moc"
