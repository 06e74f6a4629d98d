#pragma once

#include <QString>
#include <QStringList>

namespace tamvel {

// The per-user settings of the program: QSettings of "Tamvel"/"Tamvel", group "Volby".
namespace settings {

QString databasePath();
void setDatabasePath(const QString &path);
QString documentsFolder();
void setDocumentsFolder(const QString &folder);
QString lastLogin();
void setLastLogin(const QString &user);

// The databases logged into most recently, the latest first; at most RecentCount.
inline constexpr int RecentCount = 5;
QStringList recentDatabases();
void rememberDatabase(const QString &path);
void forgetDatabase(const QString &path);

// Where the demo database goes on the first start: the user's data folder.
QString defaultDemoPath();

} // namespace settings
} // namespace tamvel
