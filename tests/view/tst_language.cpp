// Translating widget trees by their "Language_ID" and "Language_Default".
#include "util/FileUtil.h"
#include "util/Language.h"
#include "util/LanguageUtil.h"
#include "util/SettingsUtil.h"
#include "widgets/TevaroResources.h"
#include "widgets/ZLabel.h"

#include <QDir>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <QtTest>

namespace {

template <class W>
W* translatable(QWidget* parent, const QString& name, const QVariant& id, const QString& defaultText)
{
    W* widget = new W(parent);
    widget->setObjectName(name);
    if (id.isValid())
        widget->setProperty("Language_ID", id);
    widget->setProperty("Language_Default", defaultText);
    return widget;
}

} // namespace

class TestLanguage : public QObject
{
    Q_OBJECT

private:
    Language* language = nullptr;
    int english = -1;
    int german = -1;

    // A tree holding every kind of translated widget.
    QWidget* buildTree()
    {
        QWidget* root = new QWidget();
        root->setProperty("Language_ID", 220);   // the root itself is never translated
        QVBoxLayout* layout = new QVBoxLayout(root);
        layout->addWidget(translatable<QLabel>(root, "label", 220, "Messwert"));
        layout->addWidget(translatable<ZLabel>(root, "zlabel", 70, "Manuell"));
        layout->addWidget(translatable<QLabel>(root, "unknownId", 999999, "Vorgabe"));
        layout->addWidget(translatable<QLabel>(root, "minusOne", -1, "bleibt"));
        layout->addWidget(translatable<QLabel>(root, "badId", QStringLiteral("abc"), "kaputt"));
        layout->addWidget(translatable<QPushButton>(root, "button", 70, "Manuell"));
        QGroupBox* box = translatable<QGroupBox>(root, "box", 70, "Manuell");
        layout->addWidget(box);

        for (const char* name : {"table", "shortTable"}) {
            QTableWidget* table = new QTableWidget(1, 4, root);
            table->setObjectName(QLatin1String(name));
            for (int column = 0; column < 4; ++column)
                table->setHorizontalHeaderItem(column, new QTableWidgetItem(QStringLiteral("old%1").arg(column)));
            QStringList ids{"220", "-1", "abc", "70"};
            QStringList defaults{"Messwert", "bleibt", "Vorgabe", "Manuell"};
            if (QLatin1String(name) == QLatin1String("shortTable")) {
                ids.removeLast();
                defaults.removeLast();
            }
            table->horizontalHeader()->setProperty("Language_ID", ids);
            table->horizontalHeader()->setProperty("Language_Default", defaults);
            layout->addWidget(table);
        }
        return root;
    }

    QString text(QWidget* root, const char* name)
    {
        QObject* object = root->findChild<QObject*>(QLatin1String(name));
        if (auto* label = qobject_cast<QLabel*>(object))
            return label->text();
        if (auto* button = qobject_cast<QAbstractButton*>(object))
            return button->text();
        if (auto* edit = qobject_cast<QLineEdit*>(object))
            return edit->placeholderText();
        if (auto* box = qobject_cast<QGroupBox*>(object))
            return box->title();
        return QStringLiteral("<missing>");
    }

    QString header(QWidget* root, const char* table, int column)
    {
        return root->findChild<QTableWidget*>(QLatin1String(table))->horizontalHeaderItem(column)->text();
    }

private slots:
    void initTestCase()
    {
        ensureTevaroResources();
        QDir(FileUtil::basePath()).removeRecursively();
        language = new Language();
        QVERIFY(language->findLanguage(QStringLiteral("EN"), english));
        QVERIFY(language->findLanguage(QStringLiteral("DE"), german));
    }

    void cleanupTestCase()
    {
        delete language;
    }

    void everyKindIsTranslated()
    {
        QScopedPointer<QWidget> root(buildTree());
        language->update(english, root.data());
        const QString measured = language->getText(220, QStringLiteral("?"));
        const QString manual = language->getText(70, QStringLiteral("?"));
        QCOMPARE(measured, QStringLiteral("Measured value "));
        QCOMPARE(manual, QStringLiteral("Manual"));

        QCOMPARE(text(root.data(), "label"), measured);
        QCOMPARE(text(root.data(), "zlabel"), manual);
        QCOMPARE(text(root.data(), "button"), manual);
        QCOMPARE(text(root.data(), "box"), manual);
        QCOMPARE(text(root.data(), "unknownId"), QStringLiteral("Vorgabe"));
        QCOMPARE(text(root.data(), "minusOne"), QString());
        QCOMPARE(text(root.data(), "badId"), QString());

        QCOMPARE(header(root.data(), "table", 0), measured);
        QCOMPARE(header(root.data(), "table", 1), QStringLiteral("old1"));
        QCOMPARE(header(root.data(), "table", 2), QStringLiteral("Vorgabe"));
        QCOMPARE(header(root.data(), "table", 3), manual);
        // An id list shorter than the columns leaves the whole header alone.
        for (int column = 0; column < 4; ++column)
            QCOMPARE(header(root.data(), "shortTable", column), QStringLiteral("old%1").arg(column));
    }

    void switchingBackAndForth()
    {
        QScopedPointer<QWidget> root(buildTree());
        language->update(english, root.data());
        language->update(german, root.data());
        QCOMPARE(text(root.data(), "label"), language->getText(220, QString()));
        QCOMPARE(language->getCurrentKey(), QStringLiteral("DE"));
        QCOMPARE(SettingsUtil::getValue(QStringLiteral("Config/Language/Selection"), QString()).toString(),
                 QStringLiteral("DE"));

        // A widget built later takes the language in force.
        QScopedPointer<QWidget> later(buildTree());
        language->update(later.data());
        QCOMPARE(text(later.data(), "button"), language->getText(70, QString()));
    }

};

QTEST_MAIN(TestLanguage)
#include "tst_language.moc"
