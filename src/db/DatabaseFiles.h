#pragma once

#include "db/Version.h"

#include <QString>

#include <functional>

namespace tamvel {

class Database;
class Messages;

namespace files {

// A chosen name of at least 4 characters not ending in ".mdb" (any case) gets ".mdb".
QString withMdbExtension(const QString &name);

// The copy's proposed name: the current path without its last 4 characters + "_cp.mdb".
QString proposedCopyName(const QString &currentPath);

// A name beside the file that nothing uses yet: "<folder>/<name>_<suffix>.<extension>", or
// with "_2", "_3"… added when that exists.
QString freeNameBeside(const QString &path, const QString &suffix, const QString &extension);

// True when both name the same file (through links and relative parts).
bool samePath(const QString &a, const QString &b);

// Temporary files beside a target (a new database, a copy, a workbook) are named
// ".NAME.HOST.PID.TAG.part": the machine and the process writing them tell what a killed run
// left from what a running one still writes, also in a folder shared over a network.
// The start of such a name for this process, and for another process (HOST as written).
QString temporaryPrefix(const QString &target);
QString temporaryPrefix(const QString &target, const QString &host, qint64 pid);

// Removes from folder the temporary files (and their journals) that runs of this machine
// left when they were killed. Files of a process that still runs, or of another machine,
// stay. Best effort: a file that cannot be removed stays too.
void removeLeftovers(const QString &folder);

// True while a process with this id runs on this machine.
bool isProcessRunning(qint64 pid);

// Writes a new database with the whole structure and the initial rows. The file appears
// whole or not at all: it is built under a temporary name beside the target and renamed
// over it at the end, so a full disk or an unwritable folder leaves nothing behind.
// An existing target is refused unless replaceExisting. Throws DbError.
void writeNewDatabase(const QString &path, bool replaceExisting = false);
// The same, with fill() adding contents after the structure (e.g. the demo register), in
// the given structure version (older ones for support staff and tests).
void writeNewDatabase(const QString &path, bool replaceExisting,
                      const std::function<void(Database &)> &fill,
                      int structureVersion = StructureVersion);

// Before a new database is written over an existing file: asks whether to replace it and
// refuses a file in use. True when the path is free or may be replaced.
bool mayWriteNewDatabase(const QString &path, const QString &currentPath, Messages &messages);

// "Vytvoření databáze" after the save dialog: applies the ".mdb" rule, asks before
// replacing a file, refuses a file in use. Returns the created path, or empty when nothing
// was created. The current database stays as it is.
QString createDatabase(const QString &chosenName, const QString &currentPath, Messages &messages);

// "Kopie databáze" after the save dialog: a consistent copy of the open database, taken
// while it stays open and others may be writing to it. An existing target is replaced.
bool copyDatabase(Database &current, const QString &targetPath, Messages &messages);

// "Vymazání záznamů rizik": after two questions deletes the risks with their equipment,
// sub-tasks and closing records, all in one transaction.
bool clearRisks(Database &db, Messages &messages);

} // namespace files
} // namespace tamvel
