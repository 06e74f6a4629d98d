#pragma once

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

// Points the per-user settings and data folders into a temporary folder, so that no
// test reads or writes the real user's settings. Create it before the first QSettings.
class IsolatedSettings
{
public:
    IsolatedSettings()
    {
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_home.filePath(QStringLiteral("config"))));
        qputenv("XDG_DATA_HOME", QFile::encodeName(m_home.filePath(QStringLiteral("data"))));
        QCoreApplication::setOrganizationName(QStringLiteral("Tamvel"));
        QCoreApplication::setApplicationName(QStringLiteral("Tamvel"));
    }
    QString path() const { return m_home.path(); }

private:
    QTemporaryDir m_home;
};
