#pragma once

#include "core/Result.h"

#include <QString>
#include <QVector>

namespace tamvel {

class Database;
class Messages;

namespace conversions {

// A step converts from its source structure to the next one: steps 0, 1 and 2.
inline constexpr int FirstStep = 0;
inline constexpr int LastStep = 2;

// "x.N.x", as the menu and the messages name a structure.
QString structureName(int version);

// The structure of the open file, read from the layout of `rizika` (its fields and the
// size of `poznamky`), not from the version row; -1 when no known layout matches.
int detectStructure(Database &db);

struct LongNote
{
    qint64 id;
    QString text;
};

// Risks whose trimmed notes do not fit the step's target layout, by id.
QVector<LongNote> notesTooLong(Database &db, int source);

// Rebuilds `rizika` (and in step 0 `poskozeni`) with the next structure's layout through
// the temporary tables, recomputes the summary fields and paths and writes the version
// row, all in one transaction: on a DbError nothing has changed. Checks nothing and asks
// nothing; notes too long for the target are cut, so save them first. Returns the number
// of risks converted.
qint64 convertStep(Database &db, int source);

// The question before notes are shortened.
QString longNotesQuestion(qsizetype count, int source);

// The file beside the database that receives the full notes; never an existing file.
QString notesFilePath(const QString &databasePath);
// Writes the notes as UTF-8 text; fails with the file's reason when it cannot.
Result<void> writeNotesFile(const QString &path, const QString &databasePath,
                            const QVector<LongNote> &notes);

// The menu's step: refuses a file of another structure, asks before it starts, saves
// the full notes that would be shortened (after asking), runs the step and reports.
// Returns true when the database was converted.
bool runStep(Database &db, int source, Messages &messages);

} // namespace conversions
} // namespace tamvel
