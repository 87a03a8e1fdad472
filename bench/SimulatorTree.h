#pragma once

#include <json/json.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>

#include <cstdio>
#include <cstdlib>

namespace tevarobench {

// The simulator's own device tree, beside this file's folder; a benchmark
// without it cannot measure anything, so it stops.
inline Json::Value simulatorTree()
{
    const QString path = QFileInfo(QStringLiteral(__FILE__)).dir().filePath(
        QStringLiteral("../tools/devicesim/device_tree.json"));
    QFile file(path);
    Json::Value tree;
    if (!file.open(QIODevice::ReadOnly) || !Json::Reader().parse(file.readAll().toStdString(), tree)) {
        std::fprintf(stderr, "Cannot read the simulator's tree %s\n", qPrintable(path));
        std::exit(1);
    }
    return tree;
}

} // namespace tevarobench
