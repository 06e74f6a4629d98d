#pragma once

#include "core/Result.h"

#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>

#include <functional>
#include <memory>
#include <optional>

namespace tamvel::legacy {

struct AccessColumn
{
    QString name;
    enum class Type { Text, Memo, Single, Double, Integer, Date, Boolean, Other } type;
    int size;      // characters for Text, bytes otherwise (0 for Memo, Boolean and long binary)
    bool required; // the column's Required property when the file states it, else false
};

struct AccessTable
{
    QString name;
    QVector<AccessColumn> columns; // in the table's column order
    QStringList primaryKey;        // columns of the primary-key index; empty when there is none
};

// Reads a register kept in the Access file format (Jet 3 and Jet 4 pages, also the RC4 page
// encryption) through libmdb. The file is opened read-only and never written.
// One object serves one thread at a time; readRows may be nested (another table read from
// inside onRow).
class AccessFile
{
public:
    // Opens read-only; never writes to the file. Fails with a Czech message when the file
    // is not an Access database, is damaged or truncated, or cannot be read.
    // The file's structure is checked before libmdb is trusted with it: the header, a size
    // of whole pages, the catalogue and every user table's definition and page maps.
    static Result<AccessFile> open(const QString &path);
    ~AccessFile();
    AccessFile(AccessFile &&) noexcept;
    AccessFile &operator=(AccessFile &&) noexcept;

    int jetVersion() const;         // 3 or 4 (later Access versions use Jet 4 pages: 4)
    QStringList tableNames() const; // user tables only (no MSys*, no "~" temporary ones)
    std::optional<AccessTable> table(const QString &name) const; // name in any letter case

    // Streams every live row of a table (deleted rows are skipped, moved rows followed).
    // Values, one per column in column order:
    //   Null -> invalid QVariant; Text/Memo -> QString (an empty text is a valid empty
    //   QString); Single/Double -> double (a Single goes through its shortest decimal form,
    //   so 0.1 stays 0.1); Integer (Byte/Integer/Long) -> qlonglong;
    //   Date -> QDateTime in Qt::UTC holding the stored date and time as they are (no time
    //   zone is applied: the file has none); Boolean -> bool; Other -> QByteArray of the
    //   stored bytes.
    // Fails with a Czech message when the table cannot be read; rows before the damaged
    // place may already have been passed to onRow.
    Result<void> readRows(const QString &table,
                          const std::function<void(const QVector<QVariant> &)> &onRow) const;

private:
    struct Impl;
    explicit AccessFile(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> d;
};

} // namespace tamvel::legacy
