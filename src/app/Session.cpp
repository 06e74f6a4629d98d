#include "app/Session.h"

#include "app/Settings.h"
#include "db/Database.h"
#include "db/RiskState.h"

#include <QFileInfo>

namespace tamvel {

Session::Session() = default;
Session::~Session() = default;

void Session::startUp()
{
    m_database.reset();
    m_retired.reset();
    loggedIn = false;
    printRight = false;
    overview = risks::OverviewState();
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
    m_retired = std::move(m_database);
    m_database = std::move(database);
}

void Session::releaseRetiredDatabase()
{
    m_retired.reset();
}

QString Session::openRisksFilter()
{
    return QLatin1Char('(') + OpenRiskCondition + QLatin1Char(')');
}

} // namespace tamvel
