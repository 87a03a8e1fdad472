#pragma once

#include <QObject>
#include <QString>

// Source of the translated user-interface texts. Until language files are
// loaded every lookup returns its default text.
class LanguageUtil : public QObject
{
    Q_OBJECT

public:
    explicit LanguageUtil(QObject* parent = nullptr);

    // kind 0 texts, 1 hs, 2 hl, 3 files; defaultText when the id is unknown.
    QString getText(const int& kind, const int& id, const QString& defaultText);
};
