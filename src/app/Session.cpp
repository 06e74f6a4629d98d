#include "app/Session.h"

#include "app/Settings.h"
#include "db/Database.h"

#include <QFileInfo>

namespace tamvel {

Session::Session() = default;
Session::~Session() = default;

void Session::startUp()
{
    m_database.reset();
    loggedIn = false;
    loginCancelled = false;
    autoLoginDone = false;
    userName.clear();
    password.clear();
    mode.clear();
    activeFormula.clear();
    riskFilter = openRisksFilter();

    databasePath = settings::databasePath();
    documentsFolder = settings::documentsFolder();
    if (!QFileInfo(databasePath).isFile())
        databasePath.clear();
}

void Session::setDatabase(std::unique_ptr<Database> database)
{
    m_database = std::move(database);
}

QString Session::openRisksFilter()
{
    return QStringLiteral("(opatreni_splneno IS NULL AND program_splneno IS NULL)");
}

} // namespace tamvel
