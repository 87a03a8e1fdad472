#include "util/TevaroApp.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("TEVARO500"));
    // Lives until the process ends; the event loop's result is the exit code.
    new TevaroApp(nullptr);
    return application.exec();
}
