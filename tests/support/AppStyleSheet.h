#pragma once

#include "widgets/TevaroResources.h"

#include <QApplication>
#include <QFile>

// Registers the resources and sets the application's style sheets in the
// order the program sets them; returns the sheets. A missing sheet leaves the
// result without it, which the checks on colours then show.
inline QString useApplicationStyleSheet()
{
    ensureTevaroResources();
    QString sheet;
    for (const char* name : {":/qss/TevaroApp.qss", ":/qss/TevaroApp_Desktop.qss"}) {
        QFile file(QString::fromLatin1(name));
        if (file.open(QIODevice::ReadOnly | QIODevice::Text))
            sheet += QString::fromUtf8(file.readAll());
    }
    qApp->setStyleSheet(sheet);
    return sheet;
}
