#include "util/FileUtil.h"

#include <QStandardPaths>

QString FileUtil::basePath()
{
    static const QString path =
        QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/TEVARO500");
    return path;
}
