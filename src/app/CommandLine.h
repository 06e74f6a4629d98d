#pragma once

#include "core/Result.h"

#include <QString>
#include <QStringList>

class QTextStream;

namespace tamvel {

struct CommandLine
{
    enum class Action { Gui, Help, CreateDatabase, DemoDatabase, ImportMdb, Invalid };

    Action action = Action::Gui;
    QString path;   // the database to create or to start on, or the Access file to import
    QString target; // --import-mdb: the new database
    int risks = 60;
    int structure = -1;    // --structure: an older structure version for --create-database
    bool firstRun = false; // select a demo database when none is selected yet
    QString error;         // one line, for Action::Invalid
};

// Reads the arguments without the program name.
CommandLine parseCommandLine(const QStringList &arguments);

QString helpText();

// Runs an action that needs no window; returns the exit code (2 for bad input; an import
// that did not succeed gives 1).
int runCommand(const CommandLine &command, QTextStream &out, QTextStream &err);

// The database given when the program starts: selected as "Výběr databáze" would. Fails
// when there is no such file.
Result<void> selectGivenDatabase(const QString &path);

// At every start: what killed runs on this machine left beside the current database and
// in the demo database's folder (temporary files of creations, copies, imports, exports) is
// removed.
void removeLeftoversAtStart();

// On the first start: when the selected database is missing, creates the demo database
// in the user's data folder (unless it is there already) and selects it.
Result<void> ensureDatabaseSelected();

} // namespace tamvel
