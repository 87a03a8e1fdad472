#pragma once

#include "util/Singleton.h"

#include <QList>
#include <QObject>
#include <QPair>
#include <QString>

class LanguageUtil;
class QWidget;

// The one language object every screen holds: translates whole widget trees
// by their "Language_ID" and "Language_Default" properties and offers the
// lookups of the selected language.
class Language : public QObject, public Singleton<Language>
{
    Q_OBJECT

public:
    explicit Language(QObject* parent = nullptr);
    ~Language() override;

    QString getText(const int& id, const QString& defaultText);
    QString getLanguageTitle(const int& index);
    QString getLanguageIcon(const int& index);
    QList<QPair<int, int>> getOrderedIndexes();
    QString getCurrentKey();
    bool findLanguage(const QString& key, int& index);
    void refreshLanguages();
    LanguageUtil* getUtil() const;

public slots:
    // Selects the language at index (the user's choice, stored) and translates
    // the widgets below root; nothing for -1 or a language that cannot be read.
    void update(int index, QWidget* root);
    // Translates the widgets below root into the selected language; reads
    // and stores nothing (the way to apply the language again).
    void update(QWidget* root);

private:
    void translate(QWidget* root);

    LanguageUtil* util;
};
