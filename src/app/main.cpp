#include "app/CommandLine.h"
#include "app/FrmLogin.h"
#include "app/MDITamvel.h"
#include "app/Session.h"
#include "ui/MessageBoxes.h"
#include "ui/StandardDialogs.h"

#include <QApplication>
#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QTextStream>
#include <QTranslator>

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
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/tamvel.svg")));
    QGuiApplication::setDesktopFileName(QStringLiteral("tamvel"));
    // The interface is Czech, Qt's own dialogs and buttons included.
    QLocale::setDefault(QLocale(QLocale::Czech, QLocale::CzechRepublic));
    QTranslator qtTranslator;
    if (qtTranslator.load(QLocale(), QStringLiteral("qtbase"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        app.installTranslator(&qtTranslator);
    tamvel::MessageBoxes messages;
    if (!command.path.isEmpty()) {
        if (const tamvel::Result<void> selected = tamvel::selectGivenDatabase(command.path);
            !selected)
            messages.fail(QStringLiteral("Tamvel"), selected.error());
    }
    if (command.firstRun) {
        if (const tamvel::Result<void> selected = tamvel::ensureDatabaseSelected(); !selected)
            messages.fail(QStringLiteral("Tamvel"), selected.error());
    }

    tamvel::removeLeftoversAtStart();

    tamvel::Session session;
    session.startUp();
    tamvel::StandardDialogs files;
    tamvel::LoginDialogPrompt login;
    tamvel::MDITamvel window(session, {messages, files, login});
    messages.setParent(&window);
    messages.setHelpHandler([&window](const QString &page) { window.openHelp(page); });
    files.setParent(&window);
    login.setParent(&window);
    window.show();
    return app.exec();
}
