// Writes settings into the client's settings file, exactly as the client
// does: the same data folder (from the environment, e.g. XDG_DATA_HOME) and
// the same INI format.
//
//     setini Config/Network/WebServer/IPAdress=127.0.0.1 Config/Network/WebServer/Port=8080
//     setini --file      prints the path of the settings file
#include "util/SettingsUtil.h"

#include <QCoreApplication>
#include <QStringList>
#include <QTextStream>

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    const QStringList arguments = application.arguments().mid(1);

    if (arguments.isEmpty() || arguments.contains(QStringLiteral("--help"))) {
        out << "Usage: setini KEY=VALUE [KEY=VALUE ...] | --file\n"
               "Writes settings (e.g. Config/Network/WebServer/Port=8080) into the client's settings file.\n";
        return arguments.isEmpty() ? 1 : 0;
    }
    if (arguments == QStringList{QStringLiteral("--file")}) {
        out << SettingsUtil::fileName() << "\n";
        return 0;
    }
    for (const QString& argument : arguments) {
        const int equals = argument.indexOf(QLatin1Char('='));
        if (equals <= 0) {
            err << "Not KEY=VALUE: " << argument << "\n";
            return 1;
        }
        SettingsUtil::setValue(argument.left(equals), argument.mid(equals + 1));
    }
    return 0;
}
