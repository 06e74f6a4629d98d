#pragma once

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
    void setDatabase(std::unique_ptr<Database> database);

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

private:
    std::unique_ptr<Database> m_database;
};

} // namespace tamvel
