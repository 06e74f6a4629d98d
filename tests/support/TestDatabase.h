#pragma once

#include "db/Database.h"
#include "db/DatabaseFiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <memory>

// A fresh database with the whole structure in a temporary folder.
inline std::unique_ptr<tamvel::Database> newDatabase(const QTemporaryDir &dir,
                                                     const QString &name = QStringLiteral("t.mdb"))
{
    const QString path = dir.filePath(name);
    tamvel::files::writeNewDatabase(path);
    return tamvel::Database::open(path);
}

inline QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Names in a folder, hidden files included: what an operation left behind. The marks of
// databases open at the moment ("-inuse") are not.
inline QStringList folderEntries(const QString &path)
{
    QStringList names =
        QDir(path).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
    names.removeIf([](const QString &name) { return name.endsWith(QLatin1String("-inuse")); });
    return names;
}
