#pragma once

#include "core/Result.h"
#include "legacy/AccessFile.h"

#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>

#include <functional>
#include <optional>

namespace tamvel {

class Messages;

namespace legacy {

// Where an import reads the tables from: an Access file, or a test's own tables.
class TableSource
{
public:
    virtual ~TableSource() = default;
    virtual QStringList tableNames() const = 0;
    virtual std::optional<AccessTable> table(const QString &name) const = 0;
    // Values as AccessFile::readRows gives them; fails with the reason.
    virtual Result<void>
    readRows(const QString &table,
             const std::function<void(const QVector<QVariant> &)> &onRow) const = 0;
};

struct TableCount
{
    QString table;
    qint64 rows = 0;
};

// What an import found and did, for its final report.
struct ImportResult
{
    int structure = -1;        // the structure of the Access file
    QVector<int> steps;        // the conversion steps run, by source structure
    QVector<TableCount> rows;  // rows per table of the new database
    QStringList missingTables; // absent from the file, created empty
    QStringList unknown;       // tables and fields the program does not know, not carried over
    qint64 rejectedRows = 0;   // rows that could not be stored, left out on the user's word
    QString rejectedFile;      // where those rows are listed
    QString notesFile;         // full notes a conversion shortened
};

// Told what the import is doing (a text, the step and the number of steps); false stops it
// and nothing is created.
using ImportProgress = std::function<bool(const QString &text, int current, int count)>;

// The structure of the register in an Access file, read from the layout of `rizika` (its
// fields and the size of `poznamky`); without `rizika`, from the version row. Fails with the
// reason when the layout is none the program knows.
Result<int> accessStructure(const TableSource &file);

// Brings a register kept in the Access format into a new Tamvel database at target: the
// file's own structure is created from the catalogue, every row of every table copied,
// then the conversions run up to the current structure. The source is only read. Rows
// that cannot be stored and notes a conversion would shorten are asked about; a No, a
// failure or a refused source leaves no target behind and gives no result; failures are
// told through messages, the success report is the caller's (reportText).
std::optional<ImportResult> importAccess(const QString &source, const QString &target,
                                         bool replaceExisting, Messages &messages,
                                         const ImportProgress &progress = {});

// The same from tables already open; sourceName names them in messages and files.
std::optional<ImportResult> importTables(const TableSource &source, const QString &sourceName,
                                         const QString &target, bool replaceExisting,
                                         Messages &messages, const ImportProgress &progress = {});

// The final message of a successful import.
QString reportText(const QString &source, const QString &target, const ImportResult &result);

// The name proposed for the new database: beside the source, "<name>_tamvel.mdb", or with a
// number when that file exists.
QString proposedImportName(const QString &source);

} // namespace legacy
} // namespace tamvel
