#include "legacy/Import.h"

#include "conversions/Conversions.h"
#include "core/Messages.h"
#include "db/Database.h"
#include "db/DatabaseFiles.h"
#include "db/Schema.h"
#include "legacy/AccessFile.h"
#include "legacy/FileFormat.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <sqlite3.h>

#include <algorithm>
#include <cmath>
#include <optional>

namespace tamvel::legacy {

namespace {

const QString Title = QStringLiteral("Převod databáze z formátu Access");

// The user answered No: nothing is to be created.
struct Cancelled
{
};

// A failure that has been described for the user already.
struct Failed
{
    QString text;
};

QString shown(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

const AccessColumn *findColumn(const AccessTable &table, const QString &name)
{
    for (const AccessColumn &c : table.columns)
        if (c.name.compare(name, Qt::CaseInsensitive) == 0)
            return &c;
    return nullptr;
}

QString findTable(const QStringList &names, const QString &name)
{
    for (const QString &n : names)
        if (n.compare(name, Qt::CaseInsensitive) == 0)
            return n;
    return {};
}

bool isIdentifier(const schema::Field &field)
{
    return schema::sqlType(field) == QStringLiteral("INT");
}

// A value of the file as the field stores it; fails with the reason it cannot be stored.
Result<QVariant> toField(const QVariant &value, const schema::Field &field, bool required)
{
    if (!value.isValid() || value.isNull()) {
        if (required)
            return Failure{QStringLiteral("chybí povinná hodnota pole %1").arg(field.name)};
        return QVariant();
    }
    switch (field.type) {
    case schema::FieldType::Text: {
        const QString text = value.metaType().id() == QMetaType::QDateTime
                                 ? value.toDateTime().date().toString(Qt::ISODate)
                                 : value.toString();
        if (text.size() > field.size)
            return Failure{QStringLiteral("text pole %1 je delší než %2 znaků")
                               .arg(field.name)
                               .arg(field.size)};
        return QVariant(text);
    }
    case schema::FieldType::Date: {
        const QDate date = value.metaType().id() == QMetaType::QDateTime
                               ? value.toDateTime().date()
                               : QDate::fromString(value.toString(), Qt::ISODate);
        if (!date.isValid())
            return Failure{QStringLiteral("pole %1 neobsahuje datum").arg(field.name)};
        return QVariant(date);
    }
    case schema::FieldType::Single:
        break;
    }
    bool ok = false;
    QString text = value.toString();
    const double number = value.metaType().id() == QMetaType::QString
                              ? text.replace(QLatin1Char(','), QLatin1Char('.')).toDouble(&ok)
                              : value.toDouble(&ok);
    if (!ok || !std::isfinite(number))
        return Failure{QStringLiteral("pole %1 neobsahuje číslo").arg(field.name)};
    if (isIdentifier(field)) {
        if (number != std::trunc(number) || std::fabs(number) > 9.0e15)
            return Failure{QStringLiteral("pole %1 neobsahuje celé číslo").arg(field.name)};
        return QVariant(qlonglong(number));
    }
    return QVariant(number);
}

QString rowText(const QVector<QVariant> &values)
{
    QStringList parts;
    for (const QVariant &v : values) {
        if (!v.isValid() || v.isNull())
            parts << QStringLiteral("(prázdné)");
        else if (v.metaType().id() == QMetaType::QDateTime)
            parts << v.toDateTime().date().toString(QStringLiteral("dd.MM.yyyy"));
        else
            parts << v.toString();
    }
    return parts.join(QStringLiteral(" | "));
}

// Tells the caller which step the import is at; a No from it cancels the import.
class Steps
{
public:
    Steps(const ImportProgress &progress, int count) : m_progress(progress), m_count(count) {}

    void at(const QString &text)
    {
        m_text = text;
        ++m_step;
        if (!tell())
            throw Cancelled{};
    }
    // Between rows: every thousandth keeps the caller's window alive and lets it stop.
    bool row() { return ++m_rows % 1000 != 0 || tell(); }
    bool cancelled() const { return m_cancelled; }

private:
    bool tell()
    {
        if (!m_cancelled && m_progress && !m_progress(m_text, m_step, m_count))
            m_cancelled = true;
        return !m_cancelled;
    }

    const ImportProgress &m_progress;
    int m_count;
    int m_step = -1;
    qint64 m_rows = 0;
    QString m_text;
    bool m_cancelled = false;
};

struct Rejected
{
    QString table;
    QString row;
    QString reason;
};

// Copies one table of the file into the same table of the new database.
void copyTable(Database &db, const TableSource &file, const QString &sourceName,
               const schema::Table &table, ImportResult &result, QVector<Rejected> &rejected,
               Steps &steps)
{
    const std::optional<AccessTable> source = file.table(sourceName);
    if (!source)
        throw Failed{QStringLiteral("Tabulku %1 nelze přečíst.").arg(sourceName)};
    // Column i of the file goes to field target[i]; nullptr: a field the program does not know.
    QVector<const schema::Field *> target;
    QStringList columns;
    for (const AccessColumn &column : source->columns) {
        const schema::Field *field = nullptr;
        for (const schema::Field &f : table.fields)
            if (f.name.compare(column.name, Qt::CaseInsensitive) == 0)
                field = &f;
        target << field;
        if (field)
            columns << field->name;
        else
            result.unknown << QStringLiteral("pole %1.%2").arg(table.name, column.name);
    }
    const QString insert =
        QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
            .arg(table.name, columns.join(QLatin1Char(',')),
                 QStringList(columns.size(), QStringLiteral("?")).join(QLatin1Char(',')));
    // The reader is left normally even when the engine fails; the failure is raised after.
    std::optional<DbError> failure;
    const Result<void> read = file.readRows(sourceName, [&](const QVector<QVariant> &row) {
        if (failure || !steps.row())
            return;
        Values values;
        QString why;
        for (int i = 0; i < row.size() && i < target.size() && why.isEmpty(); ++i)
            if (target[i]) {
                const Result<QVariant> value = toField(
                    row[i], *target[i], target[i]->required || table.key.contains(target[i]->name));
                if (value)
                    values << *value;
                else
                    why = value.error();
            }
        if (why.isEmpty()) {
            try {
                db.execute(insert, values);
                return;
            } catch (const DbError &e) {
                if ((e.code() & 0xff) != SQLITE_CONSTRAINT) {
                    failure = e;
                    return;
                }
                why = (e.code() == SQLITE_CONSTRAINT_PRIMARYKEY ||
                       e.code() == SQLITE_CONSTRAINT_UNIQUE)
                          ? QStringLiteral("řádek se stejným klíčem už byl převeden")
                          : e.text();
            }
        }
        rejected.append({table.name, rowText(row), why});
    });
    if (failure)
        throw *failure;
    if (steps.cancelled())
        throw Cancelled{};
    if (!read)
        throw Failed{QStringLiteral("Tabulku %1 nelze přečíst: %2").arg(sourceName, read.error())};
}

void writeRejected(const QString &path, const QString &source, const QVector<Rejected> &rows)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text))
        throw Failed{
            QStringLiteral("Soubor '%1' nelze zapsat: %2").arg(shown(path), file.errorString())};
    QString text = QStringLiteral("Řádky databáze %1, které nebylo možné převést.\n"
                                  "Každý řádek: tabulka, důvod a hodnoty polí v pořadí "
                                  "původní tabulky.\n\n")
                       .arg(shown(source));
    for (const Rejected &r : rows)
        text += QStringLiteral("%1: %2\n  %3\n").arg(r.table, r.reason, r.row);
    file.write(text.toUtf8());
    if (!file.commit())
        throw Failed{
            QStringLiteral("Soubor '%1' nelze zapsat: %2").arg(shown(path), file.errorString())};
}

QString rejectedQuestion(const QVector<Rejected> &rows)
{
    constexpr int Listed = 10;
    QStringList lines;
    for (int i = 0; i < rows.size() && i < Listed; ++i)
        lines << QStringLiteral("%1: %2").arg(rows[i].table, rows[i].reason);
    if (rows.size() > Listed)
        lines << QStringLiteral("… a dalších %1").arg(rows.size() - Listed);
    return QStringLiteral("%1 řádků nelze uložit:\n%2\n\nPokračovat bez nich? Budou vypsány do "
                          "souboru vedle nové databáze.")
        .arg(rows.size())
        .arg(lines.join(QLatin1Char('\n')));
}

// The rows of the file, the conversions and the counts; runs on the new database before it
// is put in the target's place.
void fill(Database &db, const TableSource &file, const QString &source, const QString &target,
          Messages &messages, const ImportProgress &progress, ImportResult &result,
          QStringList &written)
{
    const QStringList names = file.tableNames();
    const QVector<schema::Table> &tables = schema::tables(result.structure);
    Steps steps(progress, int(tables.size()) + conversions::LastStep + 1 - result.structure);
    QStringList known;
    QVector<Rejected> rejected;
    inTransaction(db, [&] {
        // The file brings its own users, groups and settings.
        for (const char *table : {"uzivatelske_nastaveni", "uzivatele", "skupiny"})
            db.execute(QStringLiteral("DELETE FROM ") + QString::fromUtf8(table));
        for (const schema::Table &table : tables) {
            steps.at(QStringLiteral("Převod tabulky %1 ...").arg(table.name));
            const QString sourceName = findTable(names, table.name);
            known << sourceName;
            if (sourceName.isEmpty())
                result.missingTables << table.name;
            else
                copyTable(db, file, sourceName, table, result, rejected, steps);
        }
    });
    QStringList unknownTables;
    for (const QString &name : names)
        if (!known.contains(name))
            unknownTables << QStringLiteral("tabulka %1").arg(name);
    result.unknown = unknownTables + result.unknown;

    if (!rejected.isEmpty()) {
        if (!messages.ask(Title, rejectedQuestion(rejected), Messages::Tone::Warning))
            throw Cancelled{};
        result.rejectedRows = rejected.size();
        result.rejectedFile =
            files::freeNameBeside(target, QStringLiteral("neprevedene"), QStringLiteral("txt"));
        writeRejected(result.rejectedFile, source, rejected);
        written << result.rejectedFile;
    }

    for (int step = result.structure; step <= conversions::LastStep; ++step) {
        steps.at(QStringLiteral("Převod struktury %1 na %2 ...")
                     .arg(conversions::structureName(step), conversions::structureName(step + 1)));
        const QVector<conversions::LongNote> notes = conversions::notesTooLong(db, step);
        if (!notes.isEmpty()) {
            if (!messages.ask(Title, conversions::longNotesQuestion(notes.size(), step),
                              Messages::Tone::Warning))
                throw Cancelled{};
            result.notesFile = conversions::notesFilePath(target);
            const Result<void> saved = conversions::writeNotesFile(result.notesFile, target, notes);
            if (!saved)
                throw Failed{QStringLiteral("Soubor '%1' nelze zapsat: %2")
                                 .arg(shown(result.notesFile), saved.error())};
            written << result.notesFile;
        }
        conversions::convertStep(db, step);
        result.steps << step;
    }

    for (const schema::Table &table : schema::tables())
        result.rows.append(
            {table.name, db.scalarInt(QStringLiteral("SELECT count(*) FROM ") + table.name)});
}

} // namespace

Result<int> accessStructure(const TableSource &file)
{
    const QStringList names = file.tableNames();
    const QString risks = findTable(names, QStringLiteral("rizika"));
    if (risks.isEmpty()) {
        // Nothing to read the layout from: the version row decides, else the current one.
        int version = StructureVersion;
        const QString settings = findTable(names, QStringLiteral("uzivatelske_nastaveni"));
        const std::optional<AccessTable> table =
            settings.isEmpty() ? std::nullopt : file.table(settings);
        if (table) {
            QVector<int> at;
            for (const char *name : {"uzivatel", "typ", "polozka", "hodnota1"}) {
                const AccessColumn *c = findColumn(*table, QString::fromUtf8(name));
                at << (c ? int(c - table->columns.data()) : -1);
            }
            if (!at.contains(-1)) {
                // The version row is looked for as far as the table can be read.
                static_cast<void>(file.readRows(settings, [&](const QVector<QVariant> &row) {
                    if (row[at[0]].toString() == QStringLiteral("administrator") &&
                        row[at[1]].toString() == QStringLiteral("rizika") &&
                        row[at[2]].toString() == QStringLiteral("verze")) {
                        bool ok = false;
                        const int stored = row[at[3]].toString().trimmed().toInt(&ok);
                        if (ok && stored >= schema::OldestStructure && stored <= StructureVersion)
                            version = stored;
                    }
                }));
            }
        }
        return version;
    }
    const std::optional<AccessTable> table = file.table(risks);
    if (!table)
        return Failure{QStringLiteral("Tabulku rizika nelze přečíst.")};
    QStringList columns;
    for (const AccessColumn &c : table->columns)
        columns << c.name.toLower();
    const AccessColumn *notes = findColumn(*table, QStringLiteral("poznamky"));
    for (int version = schema::OldestStructure; version <= StructureVersion; ++version) {
        const schema::Table &layout = schema::table(QStringLiteral("rizika"), version);
        QStringList expected = layout.fieldNames();
        std::sort(expected.begin(), expected.end());
        QStringList found = columns;
        std::sort(found.begin(), found.end());
        if (found == expected && notes &&
            notes->size == layout.field(QStringLiteral("poznamky"))->size)
            return version;
    }
    return Failure{
        QStringLiteral("Tabulka rizika má %1 polí%2, což neodpovídá žádné známé struktuře.")
            .arg(columns.size())
            .arg(notes ? QStringLiteral(" a poznámky o délce %1 znaků").arg(notes->size)
                       : QStringLiteral(" bez pole poznamky"))};
}

namespace {

class AccessSource : public TableSource
{
public:
    explicit AccessSource(const AccessFile &file) : m_file(file) {}
    QStringList tableNames() const override { return m_file.tableNames(); }
    std::optional<AccessTable> table(const QString &name) const override
    {
        return m_file.table(name);
    }
    Result<void>
    readRows(const QString &table,
             const std::function<void(const QVector<QVariant> &)> &onRow) const override
    {
        return m_file.readRows(table, onRow);
    }

private:
    const AccessFile &m_file;
};

std::nullopt_t failed(Messages &messages, const QString &text)
{
    messages.fail(Title, text + QStringLiteral("\nNová databáze nebyla vytvořena."));
    return std::nullopt;
}

// Why a file with SQLite's header is no source: a register of this program, a database of
// another program, a damaged file, or one the engine cannot read now.
QString sqliteRefusal(const QString &source)
{
    try {
        const auto db = Database::open(source);
        // A register rebuilt by other tools loses the mark but keeps the tables.
        if (db->scalarInt(QStringLiteral("PRAGMA application_id")) == Database::ApplicationId ||
            db->scalarInt(QStringLiteral("SELECT count(*) FROM sqlite_schema WHERE type = "
                                         "'table' AND name IN ('rizika', 'uzivatele')")) == 2)
            return QStringLiteral("Soubor '%1' už je databáze programu Tamvel.").arg(shown(source));
        return QStringLiteral("Soubor '%1' je databáze SQLite jiného programu, není to registr "
                              "ve formátu Access.")
            .arg(shown(source));
    } catch (const DbError &e) {
        switch (e.code() & 0xff) {
        case SQLITE_BUSY:
        case SQLITE_LOCKED:
        case SQLITE_CANTOPEN:
        case SQLITE_IOERR:
        case SQLITE_PERM:
        case SQLITE_AUTH:
        case SQLITE_NOMEM:
            return QStringLiteral("Soubor '%1' nelze přečíst: %2").arg(shown(source), e.describe());
        default:
            return QStringLiteral("Soubor '%1' je poškozená databáze SQLite.\n%2 (chyba %3)")
                .arg(shown(source), e.text())
                .arg(e.code());
        }
    }
}

} // namespace

std::optional<ImportResult> importAccess(const QString &source, const QString &target,
                                         bool replaceExisting, Messages &messages,
                                         const ImportProgress &progress)
{
    if (files::samePath(source, target))
        return failed(
            messages,
            QStringLiteral("Nová databáze nesmí nahradit původní soubor '%1'.").arg(shown(source)));
    const Result<FileFormat> format = readFormat(source);
    if (!format)
        return failed(
            messages,
            QStringLiteral("Soubor '%1' nelze přečíst: %2").arg(shown(source), format.error()));
    switch (*format) {
    case FileFormat::Access:
        break;
    case FileFormat::Missing:
        return failed(messages, QStringLiteral("Soubor '%1' nebyl nalezen.").arg(shown(source)));
    case FileFormat::Tamvel:
        return failed(messages, sqliteRefusal(source));
    case FileFormat::Empty:
    case FileFormat::Unknown:
        return failed(
            messages,
            QStringLiteral("Soubor '%1' není databáze ve formátu Access.").arg(shown(source)));
    }
    const Result<AccessFile> file = AccessFile::open(source);
    if (!file)
        return failed(
            messages,
            QStringLiteral("Soubor '%1' nelze přečíst: %2").arg(shown(source), file.error()));
    return importTables(AccessSource(*file), source, target, replaceExisting, messages, progress);
}

std::optional<ImportResult> importTables(const TableSource &file, const QString &source,
                                         const QString &target, bool replaceExisting,
                                         Messages &messages, const ImportProgress &progress)
{
    const Result<int> found = accessStructure(file);
    if (!found)
        return failed(messages,
                      QStringLiteral("Soubor '%1': %2").arg(shown(source), found.error()));
    ImportResult result;
    result.structure = *found;

    QStringList written;
    try {
        files::writeNewDatabase(
            target, replaceExisting,
            [&](Database &db) {
                fill(db, file, source, target, messages, progress, result, written);
            },
            result.structure);
        return result;
    } catch (const Cancelled &) {
        messages.inform(Title,
                        QStringLiteral("Převod byl zrušen, nová databáze nebyla vytvořena."));
    } catch (const Failed &f) {
        failed(messages, f.text);
    } catch (const DbError &e) {
        failed(messages, QStringLiteral("Převod se nezdařil: %1").arg(e.describe()));
    }
    for (const QString &path : written)
        QFile::remove(path);
    return std::nullopt;
}

QString reportText(const QString &source, const QString &target, const ImportResult &result)
{
    QStringList lines;
    lines << QStringLiteral("Databáze '%1' byla převedena do nové databáze '%2'.")
                 .arg(shown(source), shown(target));
    lines << QStringLiteral("Nalezená struktura: %1.")
                 .arg(conversions::structureName(result.structure));
    QStringList steps;
    for (int step : result.steps)
        steps << QStringLiteral("%1 na %2")
                     .arg(conversions::structureName(step), conversions::structureName(step + 1));
    lines << (steps.isEmpty()
                  ? QStringLiteral("Převody struktury: žádné (struktura je aktuální).")
                  : QStringLiteral("Převody struktury: %1.").arg(steps.join(QStringLiteral(", "))));
    QStringList counts;
    for (const TableCount &c : result.rows)
        counts << QStringLiteral("    %1: %2").arg(c.table).arg(c.rows);
    lines << QStringLiteral("Počty řádků v nové databázi:") << counts;
    if (!result.missingTables.isEmpty())
        lines << QStringLiteral("V původní databázi chyběly tabulky (vytvořeny prázdné): %1.")
                     .arg(result.missingTables.join(QStringLiteral(", ")));
    if (!result.unknown.isEmpty())
        lines << QStringLiteral("Nepřevedeno, program je nezná: %1.")
                     .arg(result.unknown.join(QStringLiteral(", ")));
    if (result.rejectedRows > 0)
        lines << QStringLiteral("Nepřevedené řádky (%1) jsou vypsány v souboru '%2'.")
                     .arg(result.rejectedRows)
                     .arg(shown(result.rejectedFile));
    if (!result.notesFile.isEmpty())
        lines << QStringLiteral("Plné znění zkrácených poznámek je uloženo v souboru '%1'.")
                     .arg(shown(result.notesFile));
    return lines.join(QLatin1Char('\n'));
}

QString proposedImportName(const QString &source)
{
    return files::freeNameBeside(source, QStringLiteral("tamvel"), QStringLiteral("mdb"));
}

} // namespace tamvel::legacy
