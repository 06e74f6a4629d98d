#include "app/CommandLine.h"

#include "app/DemoDatabase.h"
#include "app/Settings.h"
#include "core/Messages.h"
#include "db/DatabaseFiles.h"
#include "db/DbError.h"
#include "db/Schema.h"
#include "legacy/Import.h"

#include <QDir>
#include <QFileInfo>
#include <QTextStream>

namespace tamvel {

namespace {

CommandLine invalid(const QString &error)
{
    CommandLine command;
    command.action = CommandLine::Action::Invalid;
    command.error = error;
    return command;
}

// Messages of an action without windows: told on the terminal, questions answered Yes.
class ConsoleMessages : public Messages
{
public:
    ConsoleMessages(QTextStream &out, QTextStream &err) : m_out(out), m_err(err) {}

    void inform(const QString &, const QString &text) override { m_out << text << Qt::endl; }
    void warn(const QString &, const QString &text) override { m_err << text << Qt::endl; }
    void fail(const QString &, const QString &text) override
    {
        m_err << QStringLiteral("tamvel: ") << text << Qt::endl;
    }
    bool ask(const QString &, const QString &text, Tone) override
    {
        m_out << text << QStringLiteral(" ano") << Qt::endl;
        return true;
    }

private:
    QTextStream &m_out;
    QTextStream &m_err;
};

} // namespace

CommandLine parseCommandLine(const QStringList &arguments)
{
    CommandLine command;
    bool risksGiven = false;
    for (int i = 0; i < arguments.size(); ++i) {
        const QString &arg = arguments[i];
        const auto takeValue = [&](QString &value) {
            if (i + 1 >= arguments.size() || arguments[i + 1].startsWith(QStringLiteral("--")))
                return false;
            value = arguments[++i];
            return true;
        };
        if (arg == QStringLiteral("--help") || arg == QStringLiteral("-h")) {
            command.action = CommandLine::Action::Help;
            return command;
        } else if (arg == QStringLiteral("--create-database") ||
                   arg == QStringLiteral("--demo-database")) {
            if (command.action != CommandLine::Action::Gui)
                return invalid(QStringLiteral("Lze zadat jen jednu z voleb --create-database, "
                                              "--demo-database a --import-mdb."));
            if (!takeValue(command.path) || command.path.isEmpty())
                return invalid(QStringLiteral("Volba %1 potřebuje cestu k souboru.").arg(arg));
            command.action = arg == QStringLiteral("--create-database")
                                 ? CommandLine::Action::CreateDatabase
                                 : CommandLine::Action::DemoDatabase;
        } else if (arg == QStringLiteral("--import-mdb")) {
            if (command.action != CommandLine::Action::Gui)
                return invalid(QStringLiteral("Volbu --import-mdb nelze spojit s jinou akcí."));
            if (!takeValue(command.path) || !takeValue(command.target) || command.path.isEmpty() ||
                command.target.isEmpty())
                return invalid(QStringLiteral("Volba --import-mdb potřebuje původní soubor a "
                                              "cestu nové databáze."));
            command.action = CommandLine::Action::ImportMdb;
        } else if (arg == QStringLiteral("--risks")) {
            QString value;
            bool ok = false;
            if (takeValue(value))
                command.risks = value.toInt(&ok);
            if (!ok || command.risks < 0)
                return invalid(QStringLiteral("Volba --risks potřebuje nezáporný počet rizik."));
            risksGiven = true;
        } else if (arg == QStringLiteral("--structure")) {
            QString value;
            bool ok = false;
            if (takeValue(value))
                command.structure = value.toInt(&ok);
            if (!ok || command.structure < schema::OldestStructure ||
                command.structure > StructureVersion)
                return invalid(QStringLiteral("Volba --structure potřebuje verzi struktury %1 "
                                              "až %2.")
                                   .arg(schema::OldestStructure)
                                   .arg(StructureVersion));
        } else if (arg == QStringLiteral("--first-run")) {
            command.firstRun = true;
        } else if (!arg.startsWith(QLatin1Char('-')) &&
                   command.action == CommandLine::Action::Gui && command.path.isEmpty()) {
            // A database to start on, e.g. an .mdb file opened from the desktop.
            command.path = arg;
        } else {
            return invalid(QStringLiteral("Neznámá volba: %1 (viz tamvel --help)").arg(arg));
        }
    }
    if (risksGiven && command.action != CommandLine::Action::DemoDatabase)
        return invalid(QStringLiteral("Volba --risks platí jen s --demo-database."));
    if (command.structure >= 0 && command.action != CommandLine::Action::CreateDatabase)
        return invalid(QStringLiteral("Volba --structure platí jen s --create-database."));
    if (command.firstRun && command.action != CommandLine::Action::Gui)
        return invalid(QStringLiteral("Volba --first-run platí jen pro spuštění programu."));
    return command;
}

QString helpText()
{
    return QStringLiteral(
        "Použití: tamvel [volby] [DATABÁZE]\n"
        "Bez voleb spustí program Tamvel; je-li zadána DATABÁZE, zvolí ji jako aktuální\n"
        "(soubor ve formátu Access nabídne převést do nové databáze).\n"
        "\n"
        "  --create-database CESTA      vytvoří prázdnou databázi (jako Nastavení › Vytvoření "
        "databáze)\n"
        "  --demo-database CESTA        vytvoří ukázkovou databázi s vyplněným registrem rizik\n"
        "  --risks N                    počet rizik ukázkové databáze (výchozí 60)\n"
        "  --structure N                s --create-database: prázdná databáze starší struktury "
        "x.N.x\n"
        "                               (0 až 3) pro převody a zkoušky\n"
        "  --import-mdb ZDROJ CIL       převede registr ze souboru ve formátu Access do nové "
        "databáze\n"
        "                               (otázky zodpoví „pokračovat“, hlášení vypíše)\n"
        "  --first-run                  není-li zvolena databáze, vytvoří ukázkovou v datové "
        "složce\n"
        "                               uživatele, zvolí ji a spustí program\n"
        "  --help                       vypíše tuto nápovědu\n");
}

int runCommand(const CommandLine &command, QTextStream &out, QTextStream &err)
{
    switch (command.action) {
    case CommandLine::Action::Help:
        out << helpText();
        return 0;
    case CommandLine::Action::Invalid:
        err << QStringLiteral("tamvel: ") << command.error << Qt::endl;
        return 2;
    case CommandLine::Action::CreateDatabase:
    case CommandLine::Action::DemoDatabase:
        try {
            if (command.action == CommandLine::Action::CreateDatabase)
                files::writeNewDatabase(command.path, false, {},
                                        command.structure >= 0 ? command.structure
                                                               : StructureVersion);
            else
                demo::writeDemoDatabase(command.path, command.risks);
        } catch (const DbError &e) {
            err << QStringLiteral("tamvel: databázi '%1' nelze vytvořit: %2")
                       .arg(command.path, e.describe())
                << Qt::endl;
            return 2;
        }
        return 0;
    case CommandLine::Action::ImportMdb: {
        ConsoleMessages messages(out, err);
        const std::optional<legacy::ImportResult> result =
            legacy::importAccess(command.path, command.target, false, messages);
        if (!result)
            return 1;
        out << legacy::reportText(command.path, command.target, *result) << Qt::endl;
        return 0;
    }
    case CommandLine::Action::Gui:
        break;
    }
    return 0;
}

Result<void> selectGivenDatabase(const QString &path)
{
    const QString chosen = QFileInfo(files::withMdbExtension(path)).absoluteFilePath();
    if (!QFileInfo(chosen).isFile())
        return Failure{QStringLiteral("Databáze  '%1'  nenalezena ! Zvolte databázi.").arg(chosen)};
    settings::setDatabasePath(chosen);
    return {};
}

void removeLeftoversAtStart()
{
    QStringList folders;
    for (const QString &path : {settings::databasePath(), settings::defaultDemoPath()})
        if (!path.isEmpty() && !folders.contains(QFileInfo(path).absolutePath()))
            folders << QFileInfo(path).absolutePath();
    for (const QString &folder : folders)
        files::removeLeftovers(folder);
}

Result<void> ensureDatabaseSelected()
{
    const QString current = settings::databasePath();
    if (!current.isEmpty() && QFileInfo(current).isFile())
        return {};
    const QString demoPath = settings::defaultDemoPath();
    if (!QFileInfo(demoPath).isFile()) {
        QDir().mkpath(QFileInfo(demoPath).absolutePath());
        try {
            demo::writeDemoDatabase(demoPath);
        } catch (const DbError &e) {
            return Failure{QStringLiteral("Ukázkovou databázi '%1' nelze vytvořit: %2")
                               .arg(demoPath, e.describe())};
        }
    }
    settings::setDatabasePath(demoPath);
    return {};
}

} // namespace tamvel
