#include "util/LanguageUtil.h"

LanguageUtil::LanguageUtil(QObject* parent)
    : QObject(parent)
{
}

QString LanguageUtil::getText(const int& kind, const int& id, const QString& defaultText)
{
    Q_UNUSED(kind)
    Q_UNUSED(id)
    return defaultText;
}
