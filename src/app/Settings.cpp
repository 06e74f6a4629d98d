#include "app/Settings.h"

#include <QFileInfo>
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

namespace {

const QString RecentKey = QStringLiteral("posledni_databaze");

void writeRecent(const QStringList &paths)
{
    QSettings settings(QStringLiteral("Tamvel"), QStringLiteral("Tamvel"));
    settings.beginGroup(QStringLiteral("Volby"));
    settings.setValue(RecentKey, paths);
}

// One file under two spellings of its path is one entry.
QString samePath(const QString &path)
{
    return QFileInfo(path).absoluteFilePath();
}

} // namespace

QStringList recentDatabases()
{
    QSettings settings(QStringLiteral("Tamvel"), QStringLiteral("Tamvel"));
    settings.beginGroup(QStringLiteral("Volby"));
    QStringList paths = settings.value(RecentKey).toStringList();
    paths.removeAll(QString());
    return paths.mid(0, RecentCount);
}

void rememberDatabase(const QString &path)
{
    if (path.trimmed().isEmpty())
        return;
    QStringList paths = recentDatabases();
    paths.removeIf([&](const QString &p) { return samePath(p) == samePath(path); });
    paths.prepend(samePath(path));
    writeRecent(paths.mid(0, RecentCount));
}

void forgetDatabase(const QString &path)
{
    QStringList paths = recentDatabases();
    paths.removeIf([&](const QString &p) { return samePath(p) == samePath(path); });
    writeRecent(paths);
}

QString defaultDemoPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/Tamvel/demo.mdb");
}

} // namespace tamvel::settings
