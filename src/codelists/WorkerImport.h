#pragma once

// "&Import" of the workers' list: names from a text or CSV file, one a line.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVector>

namespace tamvel {

class Database;
class FileDialogs;
class Messages;

namespace codelists {

// UTF-8, with or without its byte-order mark; bytes that are no UTF-8 are Windows-1250, the
// code page Czech Windows programs write.
QString decodeNamesFile(const QByteArray &bytes);

// The trimmed names of the lines, empty lines left out; of a CSV line its first field (fields
// separated by ";" when the file has one, else by ",", a quoted field unquoted).
QStringList namesOfFile(const QString &text, bool csv);

struct SkippedName
{
    QString name;
    QString reason; // "už existuje" or "delší než 30 znaků"
};

struct WorkerImport
{
    QStringList imported;
    QVector<SkippedName> skipped;
};

// Writes the names not yet stored into pracovnici, all in one transaction. A name is stored
// already when it is equal letter case included, as the editor compares; a name repeated in
// the list counts as stored after its first time. Throws DbError, nothing written then.
WorkerImport importWorkers(Database &db, const QStringList &names);

// The message after an import: the count written and each skipped name with its reason.
QString importReport(const WorkerImport &result);

// The whole import: the file chosen in the dialog, read, written and reported. False when
// nothing was chosen or nothing could be written (the reason told).
bool importWorkersFromFile(Database &db, Messages &messages, FileDialogs &files,
                           const QString &folder);

} // namespace codelists
} // namespace tamvel
