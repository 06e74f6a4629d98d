#pragma once

#include "db/DbError.h"

#include <QDate>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <functional>
#include <memory>

struct sqlite3;

namespace tamvel {
class OpenMark;
}

namespace tamvel {

// Values bound to the `?` placeholders of a statement, in order. A QDate binds as
// "YYYY-MM-DD" (a null QDate as NULL); a QString always binds as text (a null QString as
// ''); only an invalid QVariant binds as NULL.
using Values = QVariantList;

// The rows of a query. A NULL field is an invalid QVariant; text is QString, numbers are
// double or qlonglong, dates are ISO text (read them with date()). The values of all rows
// lie in one array, row after row.
class Rows
{
public:
    Rows() = default;
    explicit Rows(QStringList columns) : m_columns(std::move(columns)) {}

    const QStringList &columns() const { return m_columns; }
    int columnCount() const { return int(m_columns.size()); }
    int size() const { return m_columns.isEmpty() ? 0 : int(m_values.size() / m_columns.size()); }
    bool isEmpty() const { return m_values.isEmpty(); }
    int column(const QString &name) const { return int(m_columns.indexOf(name)); }

    const QVariant &at(int row, int column) const
    {
        return m_values[qsizetype(row) * m_columns.size() + column];
    }
    QVariant value(int row, const QString &name) const;
    QString text(int row, const QString &name) const { return value(row, name).toString(); }
    double number(int row, const QString &name) const { return value(row, name).toDouble(); }
    qint64 integer(int row, const QString &name) const { return value(row, name).toLongLong(); }
    QDate date(int row, const QString &name) const;
    bool isNull(int row, const QString &name) const { return !value(row, name).isValid(); }

    // Appends the next value; a row is complete after columnCount() values.
    void append(QVariant &&value) { m_values.append(std::move(value)); }
    void reserve(qsizetype rowCount) { m_values.reserve(rowCount * m_columns.size()); }

private:
    QStringList m_columns;
    QVariantList m_values;
};

class Transaction;

// One row of a streamed query, valid only inside the callback of Database::forEach.
// Values read as in Rows; texts that repeat in a column share one QString.
class RowView
{
public:
    int columnCount() const;
    QVariant value(int column) const;
    bool isNull(int column) const;

private:
    friend class Database;
    struct Cursor;
    explicit RowView(Cursor &cursor) : m_cursor(cursor) {}
    Cursor &m_cursor;
};

// The one interface to the database engine: one connection to one SQLite file.
// SQL is SQLite's dialect with bound `?` parameters; every failure throws DbError.
class Database
{
public:
    // Marks a file as a Tamvel database in the SQLite header ("TAMV").
    static constexpr int ApplicationId = 0x54414D56;

    // Opens an existing database file. Never creates a file: a missing path, a file that
    // is not a database, a damaged or unreadable file is refused with the engine's error.
    static std::unique_ptr<Database> open(const QString &path);
    // Creates a new database at a path that does not exist yet or is an empty file.
    static std::unique_ptr<Database> create(const QString &path);
    // True when another connection (of this or another process) holds a lock on the file.
    static bool isLockedByOther(const QString &path);
    // True when any copy of the program has the file open, idle or not, or another
    // connection holds a lock on it: for files this connection does not have open.
    static bool isInUse(const QString &path);
    // The same for this connection's own file, its own use not counted.
    bool isOpenElsewhere() const;

    ~Database();
    Database(const Database &) = delete;
    Database &operator=(const Database &) = delete;

    const QString &path() const { return m_path; }

    // Runs one statement and returns the number of rows it changed.
    qint64 execute(const QString &sql, const Values &values = {});
    Rows query(const QString &sql, const Values &values = {});
    // Streams the rows of a query without keeping them: for large reads into a window's
    // own model. The callback must not run statements on this database.
    void forEach(const QString &sql, const Values &values,
                 const std::function<void(const RowView &)> &onRow);
    // First column of the first row; an invalid QVariant when there is no row.
    QVariant scalar(const QString &sql, const Values &values = {});
    qint64 scalarInt(const QString &sql, const Values &values = {});
    QString scalarText(const QString &sql, const Values &values = {});
    bool exists(const QString &sql, const Values &values = {});

    // How long a statement waits for another connection's lock before failing busy.
    void setBusyTimeout(int milliseconds);
    int transactionDepth() const { return m_transactionDepth; }

    static QVariant toDbValue(const QVariant &value);
    static QDate toDate(const QVariant &value);

    // Registers what the program's SQL uses on a raw engine connection: the Czech collation
    // "CS", and single_value(x), a number as a risk value keeps it (asSingle), so that values
    // stored with binary noise by older versions compare and sort as the Single they stand for.
    static void registerExtensions(sqlite3 *handle);

private:
    friend class Transaction;
    struct Private;

    explicit Database(const QString &path);
    // How much of an existing file is read before it counts as sound.
    enum class Check { Structure, EveryPage };
    void connect(bool create, Check check = Check::Structure);

    QString m_path;
    std::unique_ptr<Private> d;
    std::unique_ptr<OpenMark> m_mark; // tells other copies that the file is open here
    sqlite3 *m_handle = nullptr;
    int m_transactionDepth = 0;
    int m_savepointCounter = 0;
};

// Scope guard: begins a transaction (a savepoint when one is already open) and rolls it
// back on destruction unless commit() was called. The outermost transaction takes the
// write lock at once, so a busy database is reported before anything is changed.
class Transaction
{
public:
    explicit Transaction(Database &db);
    ~Transaction();
    Transaction(const Transaction &) = delete;
    Transaction &operator=(const Transaction &) = delete;

    void commit();

private:
    void rollback() noexcept;

    Database &m_db;
    QString m_savepoint;
    bool m_open = true;
};

// Runs work inside one transaction; it is committed when work returns normally.
template <class Work> void inTransaction(Database &db, Work &&work)
{
    Transaction transaction(db);
    work();
    transaction.commit();
}

} // namespace tamvel
