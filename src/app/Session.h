#pragma once

#include "risks/RiskFilter.h"

#include <QString>

#include <memory>

namespace tamvel {

class Database;

// The application-wide state shared by the windows: the current database and its path,
// the documents folder, the logged-in user and the flags of the login, the editors' mode
// word and the state other windows keep between their openings.
class Session
{
public:
    Session();
    ~Session();

    // Start-up, also after another database was selected: flags to their start values,
    // the settings read again, a database path whose file vanished cleared silently, and
    // no database open.
    void startUp();

    Database *database() const { return m_database.get(); }
    // The database it replaces stays open until releaseRetiredDatabase(), so that windows
    // still working on it can be closed first.
    void setDatabase(std::unique_ptr<Database> database);
    bool hasRetiredDatabase() const { return m_retired != nullptr; }
    void releaseRetiredDatabase();

    // The overview's condition that starts as "open risks only".
    static QString openRisksFilter();

    QString databasePath;
    QString documentsFolder;
    QString userName; // trimmed as typed; empty after a database change
    QString password; // trimmed as typed
    bool loggedIn = false;
    bool loginCancelled = false;
    bool autoLoginDone = false;
    QString mode; // "novy", "upravit", "vymazat", "zobrazit", "zobrazitdu", "kopie"
    QString activeFormula;
    QString riskFilter;
    bool printRight = false; // the overview's export button
    risks::OverviewState overview;

private:
    std::unique_ptr<Database> m_database;
    std::unique_ptr<Database> m_retired;
};

} // namespace tamvel
