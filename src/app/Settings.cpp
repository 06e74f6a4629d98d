#include "app/Settings.h"

#include <QSettings>
#include <QStandardPaths>

namespace tamvel::settings {

namespace {

QString read(const QString &key)
{
    QSettings settings(QStringLiteral("Tamvel"), QStringLiteral("Tamvel"));
    settings.beginGroup(QStringLiteral("Volby"));
    return settings.value(key).toString();
}

void write(const QString &key, const QString &value)
{
    QSettings settings(QStringLiteral("Tamvel"), QStringLiteral("Tamvel"));
    settings.beginGroup(QStringLiteral("Volby"));
    settings.setValue(key, value);
}

} // namespace

QString databasePath()
{
    return read(QStringLiteral("databaze"));
}

void setDatabasePath(const QString &path)
{
    write(QStringLiteral("databaze"), path);
}

QString documentsFolder()
{
    return read(QStringLiteral("dokumenty"));
}

void setDocumentsFolder(const QString &folder)
{
    write(QStringLiteral("dokumenty"), folder);
}

QString lastLogin()
{
    return read(QStringLiteral("lastlogin"));
}

void setLastLogin(const QString &user)
{
    write(QStringLiteral("lastlogin"), user);
}

QString defaultDemoPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/Tamvel/demo.mdb");
}

} // namespace tamvel::settings
