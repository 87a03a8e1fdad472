// The language files carried in the resources: their format, their texts in
// all four languages, and the pictures and documents they name.
#include "widgets/TevaroResources.h"

#include <json/json.h>

#include <QFile>
#include <QImage>
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
    if (text.isEmpty()) {
        *error = QStringLiteral("missing");
        return false;
    }
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

QString str(const Json::Value& value)
{
    return QString::fromStdString(value.asString());
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
        result.insert(entry["ID"].asInt(), str(entry["T"]));
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

    void fileFormat_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("title");
        QTest::addColumn<int>("order");
        QTest::addColumn<bool>("hasManual");

        QTest::newRow("Czech") << "cs_CS" << "CS" << QStringLiteral("český") << 40 << false;
        QTest::newRow("German") << "de_DE" << "DE" << QStringLiteral("Deutsch") << 0 << true;
        QTest::newRow("English") << "en_GB" << "EN" << QStringLiteral("English") << 20 << false;
        QTest::newRow("French") << "fr_FR" << "FR" << QStringLiteral("Français") << 30 << false;
    }

    void fileFormat()
    {
        QFETCH(QString, folder);
        QFETCH(QString, key);
        QFETCH(QString, title);
        QFETCH(int, order);
        QFETCH(bool, hasManual);

        Json::Value root;
        QString error;
        QVERIFY2(parseLanguageFile(folder, root, &error), qPrintable(folder + QStringLiteral(": ") + error));
        QVERIFY(root.isObject());

        const Json::Value& info = root["INFO"];
        QVERIFY(info.isObject());
        QVERIFY(info["VER"].isString());
        QVERIFY2(QRegularExpression(QStringLiteral("^\\d+\\.\\d+\\.\\d+$")).match(str(info["VER"])).hasMatch(),
                 qPrintable(str(info["VER"])));
        QVERIFY(info["ORD"].isInt());
        QCOMPARE(info["ORD"].asInt(), order);
        QVERIFY(info["LANG"]["K"].isString());
        QCOMPARE(str(info["LANG"]["K"]), key);
        QVERIFY(info["LANG"]["T"].isString());
        QCOMPARE(str(info["LANG"]["T"]), title);

        const Json::Value& table = root["LT"];
        QVERIFY(table.isArray());
        QVERIFY(table.size() > 0);
        QSet<int> ids;
        for (const Json::Value& entry : table) {
            QVERIFY(entry.isObject());
            QVERIFY2(entry["ID"].isInt(), entry.toStyledString().c_str());
            const int id = entry["ID"].asInt();
            QVERIFY2(id >= 48 && id <= 1472, qPrintable(QString::number(id)));
            QVERIFY2(!ids.contains(id), qPrintable(QStringLiteral("id %1 twice").arg(id)));
            ids.insert(id);
            QVERIFY2(entry["T"].isString(), entry.toStyledString().c_str());
            QVERIFY2(!str(entry["T"]).trimmed().isEmpty(), qPrintable(QStringLiteral("id %1 empty").arg(id)));
            for (const char* extra : {"HS", "HL"}) {
                if (entry.isMember(extra)) {
                    QVERIFY(entry[extra].isString());
                    QVERIFY(!str(entry[extra]).trimmed().isEmpty());
                }
            }
        }

        const Json::Value& files = root["FILE"];
        QVERIFY(files.isArray());
        QCOMPARE(files.size() > 0, hasManual);
        for (const Json::Value& file : files) {
            QVERIFY(file["ID"].isInt());
            QVERIFY(file["ID"].asInt() != 0);
            QVERIFY(file["NAME"].isString());
            const QString source = QStringLiteral(":/lang/%1/%2").arg(folder, str(file["NAME"]));
            QVERIFY2(QFile::exists(source), qPrintable(source));
        }

        QImage icon(QStringLiteral(":/lang/%1/%1.png").arg(folder));
        QVERIFY(!icon.isNull());
        QVERIFY(icon.width() > icon.height());
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

    // A copy of the German text is allowed only for words that are the same
    // in both languages; anything more means the file was not translated.
    void otherLanguagesAreTranslated_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::newRow("Czech") << "cs_CS";
        QTest::newRow("English") << "en_GB";
        QTest::newRow("French") << "fr_FR";
    }

    void otherLanguagesAreTranslated()
    {
        QFETCH(QString, folder);
        const QMap<int, QString> german = texts(QStringLiteral("de_DE"));
        const QMap<int, QString> other = texts(folder);
        int same = 0;
        for (auto it = german.cbegin(); it != german.cend(); ++it)
            if (other.value(it.key()) == it.value())
                ++same;
        QVERIFY2(same * 10 < german.size(), qPrintable(QStringLiteral("%1 of %2 texts are German").arg(same).arg(german.size())));
    }

    void knownTexts_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<int>("id");
        QTest::addColumn<QString>("text");

        QTest::newRow("70 de") << "de_DE" << 70 << QStringLiteral("Manuell");
        QTest::newRow("70 en") << "en_GB" << 70 << QStringLiteral("Manual");
        QTest::newRow("220 de") << "de_DE" << 220 << QStringLiteral("Messwert");
        QTest::newRow("220 en, trailing blank") << "en_GB" << 220 << QStringLiteral("Measured value ");
        QTest::newRow("849 de") << "de_DE" << 849 << QStringLiteral("Anmelden");
        QTest::newRow("907 de") << "de_DE" << 907 << QStringLiteral("Anmeldung wird durchgeführt");
        QTest::newRow("908 de") << "de_DE" << 908 << QStringLiteral("Anmeldung konnte nicht durchgeführt werden");
        QTest::newRow("964 de") << "de_DE" << 964
                                << QStringLiteral("Benutzer wurde automatisch vom System abgemeldet");
        QTest::newRow("859 fr") << "fr_FR" << 859 << QStringLiteral("Paramètres réseau");
        QTest::newRow("849 cs") << "cs_CS" << 849 << QStringLiteral("Přihlásit");
    }

    void knownTexts()
    {
        QFETCH(QString, folder);
        QFETCH(int, id);
        QFETCH(QString, text);
        QCOMPARE(texts(folder).value(id), text);
    }

    void germanManualIsAPdf()
    {
        const QByteArray pdf = readResource(QStringLiteral(":/lang/de_DE/Bedienungsanleitung.pdf"));
        QVERIFY(pdf.startsWith("%PDF-1."));
        QVERIFY(pdf.trimmed().endsWith("%%EOF"));
        // The cross-reference table must point at the objects it names.
        const QRegularExpressionMatch start = QRegularExpression(QStringLiteral("startxref\\s+(\\d+)")).match(QString::fromLatin1(pdf));
        QVERIFY(start.hasMatch());
        const int xref = start.captured(1).toInt();
        QVERIFY(pdf.mid(xref).startsWith("xref"));
        QRegularExpressionMatchIterator entries =
            QRegularExpression(QStringLiteral("(\\d{10}) 00000 n")).globalMatch(QString::fromLatin1(pdf.mid(xref)));
        int object = 0;
        while (entries.hasNext()) {
            ++object;
            const int offset = entries.next().captured(1).toInt();
            QVERIFY2(pdf.mid(offset).startsWith(QByteArray::number(object) + " 0 obj"), qPrintable(QString::number(object)));
        }
        QVERIFY(object >= 4);
    }

    void pictures_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QSize>("size");
        QTest::newRow("banner") << QStringLiteral(":/pic/background/Logo_Anmeldebilschirm_960x240 - V2.0.png")
                                << QSize(960, 240);
        QTest::newRow("no icon") << QStringLiteral(":/lang/NoIcon.png") << QSize(60, 40);
    }

    void pictures()
    {
        QFETCH(QString, path);
        QFETCH(QSize, size);
        const QImage image(path);
        QVERIFY2(!image.isNull(), qPrintable(path));
        QCOMPARE(image.size(), size);
    }
};

QTEST_GUILESS_MAIN(TestLanguageFiles)
#include "tst_languagefiles.moc"
