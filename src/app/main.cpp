#include "app/CommandLine.h"
#include "app/MDITamvel.h"
#include "app/Settings.h"
#include "ui/MessageBoxes.h"

#include <QApplication>
#include <QFileInfo>
#include <QTextStream>

#include <cstdio>

namespace {

void nameApplication()
{
    QCoreApplication::setOrganizationName(QStringLiteral("Tamvel"));
    QCoreApplication::setApplicationName(QStringLiteral("Tamvel"));
}

} // namespace

int main(int argc, char *argv[])
{
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const tamvel::CommandLine command = tamvel::parseCommandLine(arguments);

    if (command.action != tamvel::CommandLine::Action::Gui) {
        // Command-line actions need no display.
        QCoreApplication app(argc, argv);
        nameApplication();
        QTextStream out(stdout), err(stderr);
        return tamvel::runCommand(command, out, err);
    }

    QApplication app(argc, argv);
    nameApplication();
    tamvel::MDITamvel window;
    if (command.firstRun) {
        const QString error = tamvel::ensureDatabaseSelected();
        if (!error.isEmpty())
            tamvel::MessageBoxes(&window).fail(QStringLiteral("Tamvel"), error);
    }
    QString path = tamvel::settings::databasePath();
    if (!QFileInfo(path).isFile())
        path.clear();
    window.showState(QString(), path);
    window.show();
    return app.exec();
}
