#include "db/Database.h"

#include "core/SingleValue.h"
#include "db/OpenMark.h"

#include <QAtomicInt>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlError>
#include <QUrl>

#include <sqlite3.h>
#include <unicode/ucol.h>

namespace tamvel {

namespace {

constexpr int DefaultBusyTimeoutMs = 5000;
// Prepared statements kept per connection; a few dozen distinct statements are hot.
constexpr int StatementCacheLimit = 64;

extern "C" int compareCzech(void *collator, int length1, const void *text1, int length2,
                            const void *text2)
{
    UErrorCode status = U_ZERO_ERROR;
    const UCollationResult result =
        ucol_strcollUTF8(static_cast<UCollator *>(collator), static_cast<const char *>(text1),
                         length1, static_cast<const char *>(text2), length2, &status);
    if (U_FAILURE(status)) {
        const int common = std::min(length1, length2);
        const int byBytes = memcmp(text1, text2, size_t(common));
        return byBytes != 0 ? byBytes : length1 - length2;
    }
    return int(result);
}

extern "C" void closeCollator(void *collator)
{
    ucol_close(static_cast<UCollator *>(collator));
}

extern "C" void singleValue(sqlite3_context *context, int, sqlite3_value **arguments)
{
    sqlite3_value *value = arguments[0];
    const std::optional<double> single = sqlite3_value_type(value) == SQLITE_FLOAT
                                             ? asSingle(sqlite3_value_double(value))
                                             : std::nullopt;
    if (single)
        sqlite3_result_double(context, *single);
    else
        sqlite3_result_value(context, value);
}

DbError errorOf(const QSqlError &error)
{
    bool ok = false;
    int code = error.nativeErrorCode().toInt(&ok);
    if (!ok)
        code = SQLITE_ERROR;
    QString text = error.databaseText();
    if (text.isEmpty())
        text = error.driverText();
    return DbError::fromEngine(code, text);
}

QString nextConnectionName()
{
    static QAtomicInt counter;
    return QStringLiteral("tamvel-%1").arg(counter.fetchAndAddRelaxed(1));
}

DbError engineError(sqlite3 *handle)
{
    return DbError::fromEngine(sqlite3_extended_errcode(handle),
                               QString::fromUtf8(sqlite3_errmsg(handle)));
}

void bind(sqlite3_stmt *stmt, int index, const QVariant &value)
{
    const QVariant v = Database::toDbValue(value);
    switch (v.metaType().id()) {
    case QMetaType::UnknownType:
    case QMetaType::Nullptr:
        sqlite3_bind_null(stmt, index);
        break;
    case QMetaType::Bool:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::LongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
        sqlite3_bind_int64(stmt, index, v.toLongLong());
        break;
    case QMetaType::Double:
    case QMetaType::Float:
        sqlite3_bind_double(stmt, index, v.toDouble());
        break;
    case QMetaType::QByteArray: {
        const QByteArray bytes = v.toByteArray();
        sqlite3_bind_blob64(stmt, index, bytes.constData(), sqlite3_uint64(bytes.size()),
                            SQLITE_TRANSIENT);
        break;
    }
    default: {
        const QString text = v.toString();
        sqlite3_bind_text16(stmt, index, text.utf16(), int(text.size() * 2), SQLITE_TRANSIENT);
        break;
    }
    }
}

QVariant column(sqlite3_stmt *stmt, int index)
{
    switch (sqlite3_column_type(stmt, index)) {
    case SQLITE_INTEGER:
        return QVariant(qlonglong(sqlite3_column_int64(stmt, index)));
    case SQLITE_FLOAT:
        return QVariant(sqlite3_column_double(stmt, index));
    case SQLITE_TEXT:
        return QVariant(
            QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(stmt, index)),
                              sqlite3_column_bytes(stmt, index)));
    case SQLITE_BLOB:
        return QVariant(QByteArray(static_cast<const char *>(sqlite3_column_blob(stmt, index)),
                                   sqlite3_column_bytes(stmt, index)));
    default:
        return QVariant();
    }
}

// Texts of one result column that repeat (the code-list names every risk carries) are
// converted once and then shared, which saves most of the allocations of a large read.
// A column whose texts keep differing stops being pooled.
class TextPool
{
public:
    QVariant text(const char *data, int size)
    {
        if (m_off)
            return QVariant(QString::fromUtf8(data, size));
        const auto found = m_texts.constFind(QByteArray::fromRawData(data, size));
        if (found != m_texts.constEnd())
            return QVariant(*found);
        QString text = QString::fromUtf8(data, size);
        if (m_texts.size() < MaxTexts)
            m_texts.insert(QByteArray(data, size), text);
        else
            m_off = true;
        return QVariant(text);
    }

private:
    static constexpr int MaxTexts = 4096;
    QHash<QByteArray, QString> m_texts;
    bool m_off = false;
};

} // namespace

// Qt SQL opens and closes the connection; statements run on its engine handle through
// a cache of prepared statements, which reads rows without Qt SQL's per-value overhead.
struct Database::Private
{
    QString connectionName;
    QSqlDatabase db;
    sqlite3 *handle = nullptr;
    QHash<QString, sqlite3_stmt *> statements;

    ~Private() { finalizeAll(); }

    void finalizeAll()
    {
        for (sqlite3_stmt *stmt : std::as_const(statements))
            sqlite3_finalize(stmt);
        statements.clear();
    }

    sqlite3_stmt *prepared(const QString &sql)
    {
        if (sqlite3_stmt *cached = statements.value(sql))
            return cached;
        if (statements.size() >= StatementCacheLimit)
            finalizeAll();
        const QByteArray text = sql.toUtf8();
        sqlite3_stmt *stmt = nullptr;
        const char *tail = nullptr;
        if (sqlite3_prepare_v3(handle, text.constData(), int(text.size()),
                               SQLITE_PREPARE_PERSISTENT, &stmt, &tail) != SQLITE_OK)
            throw engineError(handle);
        if (!stmt)
            throw DbError(SQLITE_MISUSE, QStringLiteral("Prázdný příkaz SQL."));
        if (!QByteArray(tail).trimmed().isEmpty()) {
            sqlite3_finalize(stmt);
            throw DbError(SQLITE_MISUSE,
                          QStringLiteral("Jen jeden příkaz SQL najednou: %1").arg(sql));
        }
        statements.insert(sql, stmt);
        return stmt;
    }

    // A statement with its values bound, reset and unbound again when the scope ends.
    class Run
    {
    public:
        Run(Private &p, const QString &sql, const Values &values)
            : m_handle(p.handle), m_stmt(p.prepared(sql))
        {
            const int expected = sqlite3_bind_parameter_count(m_stmt);
            if (expected != values.size()) {
                release();
                throw DbError(SQLITE_RANGE, QStringLiteral("Příkaz čeká %1 hodnot, dostal %2: %3")
                                                .arg(expected)
                                                .arg(values.size())
                                                .arg(sql));
            }
            for (int i = 0; i < values.size(); ++i)
                bind(m_stmt, i + 1, values[i]);
        }
        ~Run() { release(); }
        Run(const Run &) = delete;
        Run &operator=(const Run &) = delete;

        sqlite3_stmt *stmt() const { return m_stmt; }

        // True for a row, false at the end; throws on an engine error.
        bool step()
        {
            const int rc = sqlite3_step(m_stmt);
            if (rc == SQLITE_ROW)
                return true;
            if (rc == SQLITE_DONE)
                return false;
            throw engineError(m_handle);
        }

    private:
        void release()
        {
            sqlite3_reset(m_stmt);
            sqlite3_clear_bindings(m_stmt);
        }

        sqlite3 *m_handle;
        sqlite3_stmt *m_stmt;
    };
};

QVariant Rows::value(int row, const QString &name) const
{
    const int index = column(name);
    return index < 0 ? QVariant() : at(row, index);
}

QDate Rows::date(int row, const QString &name) const
{
    return Database::toDate(value(row, name));
}

Database::Database(const QString &path) : m_path(path), d(std::make_unique<Private>())
{
    d->connectionName = nextConnectionName();
}

Database::~Database()
{
    d->finalizeAll();
    if (d->db.isValid())
        d->db.close();
    d->db = QSqlDatabase();
    QSqlDatabase::removeDatabase(d->connectionName);
    // The mark goes last: the file is no longer open here.
    m_mark.reset();
}

std::unique_ptr<Database> Database::open(const QString &path)
{
    // A copy that ended without closing (a crash, a kill, a machine switched off) may have
    // left the file damaged: only then is every page read before anything is shown. Damage
    // found later, by reading a page, fails that read and is told as damage too.
    const Check check = OpenMark::wasLeftBehind(path) ? Check::EveryPage : Check::Structure;
    std::unique_ptr<Database> db(new Database(path));
    db->connect(false, check);
    db->m_mark = std::make_unique<OpenMark>(path);
    return db;
}

bool Database::isOpenElsewhere() const
{
    return OpenMark::isOpenElsewhere(m_path, m_mark.get()) || isLockedByOther(m_path);
}

bool Database::isInUse(const QString &path)
{
    return OpenMark::isOpenElsewhere(path) || isLockedByOther(path);
}

std::unique_ptr<Database> Database::create(const QString &path)
{
    const QFileInfo info(path);
    if (info.exists() && (!info.isFile() || info.size() > 0))
        throw DbError(SQLITE_CANTOPEN, QStringLiteral("Soubor '%1' již existuje.").arg(path));
    std::unique_ptr<Database> db(new Database(path));
    db->connect(true);
    return db;
}

void Database::registerExtensions(sqlite3 *handle)
{
    UErrorCode status = U_ZERO_ERROR;
    UCollator *collator = ucol_open("cs", &status);
    if (U_FAILURE(status))
        throw DbError(SQLITE_ERROR, QStringLiteral("Nelze vytvořit české řazení (ICU %1).")
                                        .arg(QString::fromLatin1(u_errorName(status))));
    int rc = sqlite3_create_collation_v2(handle, "CS", SQLITE_UTF8, collator, compareCzech,
                                         closeCollator);
    if (rc != SQLITE_OK) {
        ucol_close(collator);
        throw DbError::fromEngine(rc, QString::fromUtf8(sqlite3_errmsg(handle)));
    }
    rc = sqlite3_create_function_v2(handle, "single_value", 1,
                                    SQLITE_UTF8 | SQLITE_DETERMINISTIC | SQLITE_INNOCUOUS, nullptr,
                                    singleValue, nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK)
        throw DbError::fromEngine(rc, QString::fromUtf8(sqlite3_errmsg(handle)));
}

bool Database::isLockedByOther(const QString &path)
{
    sqlite3 *probe = nullptr;
    const QByteArray name = QFile::encodeName(path);
    bool locked = false;
    if (sqlite3_open_v2(name.constData(), &probe, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK) {
        sqlite3_busy_timeout(probe, 0);
        const int rc = sqlite3_exec(probe, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr);
        locked = (rc & 0xff) == SQLITE_BUSY || (rc & 0xff) == SQLITE_LOCKED;
        if (rc == SQLITE_OK)
            sqlite3_exec(probe, "ROLLBACK", nullptr, nullptr, nullptr);
    }
    sqlite3_close(probe);
    return locked;
}

void Database::connect(bool create, Check check)
{
    d->db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), d->connectionName);
    // A URI with mode=rw makes the engine refuse a missing file instead of creating it.
    QString uri =
        QUrl::fromLocalFile(QFileInfo(m_path).absoluteFilePath()).toString(QUrl::FullyEncoded);
    uri += create ? QStringLiteral("?mode=rwc") : QStringLiteral("?mode=rw");
    d->db.setDatabaseName(uri);
    d->db.setConnectOptions(
        QStringLiteral("QSQLITE_OPEN_URI;QSQLITE_BUSY_TIMEOUT=%1").arg(DefaultBusyTimeoutMs));
    if (!d->db.open())
        throw errorOf(d->db.lastError());

    const QVariant handle = d->db.driver()->handle();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0)
        throw DbError(SQLITE_MISUSE, QStringLiteral("Databázový ovladač nevydal spojení SQLite."));
    m_handle = *static_cast<sqlite3 *const *>(handle.constData());
    d->handle = m_handle;

    registerExtensions(m_handle);

    if (create) {
        // Rollback journal: WAL does not work on network shares.
        execute(QStringLiteral("PRAGMA journal_mode=DELETE"));
        execute(QStringLiteral("PRAGMA application_id=%1").arg(ApplicationId));
        return;
    }
    // The engine reads the file lazily; make it prove that it is a sound database now.
    const qint64 pages = scalarInt(QStringLiteral("PRAGMA page_count"));
    if (pages == 0)
        throw DbError(SQLITE_NOTADB, QStringLiteral("Soubor je prázdný, není to databáze."));
    if (check == Check::EveryPage) {
        const QString found = scalarText(QStringLiteral("PRAGMA quick_check(1)"));
        if (found != QStringLiteral("ok"))
            throw DbError(SQLITE_CORRUPT, QStringLiteral("Databáze je poškozená: %1").arg(found));
        return;
    }
    // In a few milliseconds whatever the size: the file is as long as its header says, the
    // schema reads, and so does the first page of every table and index.
    if (QFileInfo(m_path).size() < pages * scalarInt(QStringLiteral("PRAGMA page_size")))
        throw DbError(SQLITE_CORRUPT, QStringLiteral("Databáze je poškozená: soubor je zkrácený."));
    const Rows objects = query(QStringLiteral("SELECT type, name, tbl_name FROM sqlite_schema "
                                              "WHERE type IN ('table', 'index') AND name NOT "
                                              "LIKE 'sqlite_%'"));
    const auto quoted = [](const QVariant &name) {
        return QLatin1Char('"') +
               name.toString().replace(QLatin1Char('"'), QStringLiteral("\"\"")) + QLatin1Char('"');
    };
    for (int i = 0; i < objects.size(); ++i) {
        const bool table = objects.at(i, 0).toString() == QStringLiteral("table");
        scalar(QStringLiteral("SELECT 1 FROM %1%2 LIMIT 1")
                   .arg(quoted(objects.at(i, 2)),
                        table ? QString()
                              : QStringLiteral(" INDEXED BY ") + quoted(objects.at(i, 1))));
    }
}

qint64 Database::execute(const QString &sql, const Values &values)
{
    Private::Run run(*d, sql, values);
    const sqlite3_int64 before = sqlite3_total_changes64(m_handle);
    while (run.step()) {
    }
    return qint64(sqlite3_total_changes64(m_handle) - before);
}

// The statement of a streamed query with a text pool per column.
struct RowView::Cursor
{
    sqlite3_stmt *stmt;
    int columns;
    std::vector<TextPool> pools;

    Cursor(sqlite3_stmt *statement)
        : stmt(statement), columns(sqlite3_column_count(statement)),
          pools(static_cast<size_t>(columns))
    {
    }
};

int RowView::columnCount() const
{
    return m_cursor.columns;
}

QVariant RowView::value(int index) const
{
    sqlite3_stmt *stmt = m_cursor.stmt;
    if (sqlite3_column_type(stmt, index) == SQLITE_TEXT)
        return m_cursor.pools[size_t(index)].text(
            reinterpret_cast<const char *>(sqlite3_column_text(stmt, index)),
            sqlite3_column_bytes(stmt, index));
    return column(stmt, index);
}

bool RowView::isNull(int index) const
{
    return sqlite3_column_type(m_cursor.stmt, index) == SQLITE_NULL;
}

void Database::forEach(const QString &sql, const Values &values,
                       const std::function<void(const RowView &)> &onRow)
{
    Private::Run run(*d, sql, values);
    RowView::Cursor cursor(run.stmt());
    const RowView row(cursor);
    while (run.step())
        onRow(row);
}

Rows Database::query(const QString &sql, const Values &values)
{
    Private::Run run(*d, sql, values);
    RowView::Cursor cursor(run.stmt());
    QStringList columns;
    columns.reserve(cursor.columns);
    for (int i = 0; i < cursor.columns; ++i)
        columns << QString::fromUtf8(sqlite3_column_name(cursor.stmt, i));
    Rows result(std::move(columns));
    const RowView row(cursor);
    while (run.step())
        for (int i = 0; i < cursor.columns; ++i)
            result.append(row.value(i));
    return result;
}

QVariant Database::scalar(const QString &sql, const Values &values)
{
    Private::Run run(*d, sql, values);
    return run.step() ? column(run.stmt(), 0) : QVariant();
}

qint64 Database::scalarInt(const QString &sql, const Values &values)
{
    return scalar(sql, values).toLongLong();
}

QString Database::scalarText(const QString &sql, const Values &values)
{
    return scalar(sql, values).toString();
}

bool Database::exists(const QString &sql, const Values &values)
{
    Private::Run run(*d, sql, values);
    return run.step();
}

void Database::setBusyTimeout(int milliseconds)
{
    sqlite3_busy_timeout(m_handle, milliseconds);
}

QVariant Database::toDbValue(const QVariant &value)
{
    switch (value.metaType().id()) {
    case QMetaType::QDate: {
        const QDate date = value.toDate();
        return date.isValid() ? QVariant(date.toString(Qt::ISODate)) : QVariant();
    }
    case QMetaType::QString: {
        const QString text = value.toString();
        return text.isNull() ? QVariant(QStringLiteral("")) : value;
    }
    default:
        return value;
    }
}

QDate Database::toDate(const QVariant &value)
{
    if (!value.isValid())
        return {};
    if (value.metaType().id() == QMetaType::QDate)
        return value.toDate();
    return QDate::fromString(value.toString().left(10), Qt::ISODate);
}

Transaction::Transaction(Database &db) : m_db(db)
{
    if (db.m_transactionDepth == 0) {
        db.execute(QStringLiteral("BEGIN IMMEDIATE"));
    } else {
        m_savepoint = QStringLiteral("tamvel_%1").arg(++db.m_savepointCounter);
        db.execute(QStringLiteral("SAVEPOINT ") + m_savepoint);
    }
    ++db.m_transactionDepth;
}

Transaction::~Transaction()
{
    if (m_open)
        rollback();
}

void Transaction::commit()
{
    if (!m_open)
        return;
    if (m_savepoint.isEmpty())
        m_db.execute(QStringLiteral("COMMIT"));
    else
        m_db.execute(QStringLiteral("RELEASE ") + m_savepoint);
    m_open = false;
    --m_db.m_transactionDepth;
}

void Transaction::rollback() noexcept
{
    m_open = false;
    --m_db.m_transactionDepth;
    try {
        if (m_savepoint.isEmpty()) {
            m_db.execute(QStringLiteral("ROLLBACK"));
        } else {
            m_db.execute(QStringLiteral("ROLLBACK TO ") + m_savepoint);
            m_db.execute(QStringLiteral("RELEASE ") + m_savepoint);
        }
    } catch (const DbError &) {
        // The engine already rolled back on its own (e.g. after a full disk).
    }
}

} // namespace tamvel
