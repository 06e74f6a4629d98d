#include "conversions/Conversions.h"

#include "codelists/SystemPaths.h"
#include "core/Messages.h"
#include "db/Database.h"
#include "db/DatabaseFiles.h"
#include "db/Schema.h"
#include "risks/RiskRecord.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSaveFile>

namespace tamvel::conversions {

namespace {

const QString Title = QStringLiteral("Konverze databáze");
const QString InUseText =
    QStringLiteral("Databáze nebyla převedena! Databáze je používaná i jiným uživatelem.");
const QString Risks = QStringLiteral("rizika");
const QString Notes = QStringLiteral("poznamky");

int notesSize(int version)
{
    return schema::table(Risks, version).field(Notes)->size;
}

schema::Table renamed(schema::Table table, const QString &name)
{
    table.name = name;
    table.indexes.clear();
    return table;
}

void replaceTable(Database &db, const schema::Table &table)
{
    db.execute(QStringLiteral("DROP TABLE IF EXISTS ") + table.name);
    db.execute(schema::createTableSql(table));
    for (const QString &sql : schema::createIndexSql(table))
        db.execute(sql);
}

// How a value of the source column is carried into the target column: texts trimmed
// and cut to a smaller target, everything else as it is. No value stays no value.
QString carried(const schema::Field &target, const schema::Field &source)
{
    if (target.type != schema::FieldType::Text)
        return source.name;
    if (target.size < source.size)
        return QStringLiteral("rtrim(substr(trim(%1), 1, %2))").arg(source.name).arg(target.size);
    return QStringLiteral("trim(%1)").arg(source.name);
}

// Copies every row: each target column that the source has is carried over, the others
// take the expression given for them (or stay empty).
void copyRows(Database &db, const schema::Table &source, const schema::Table &target,
              const QHash<QString, QString> &computed = {})
{
    QStringList columns, values;
    for (const schema::Field &field : target.fields) {
        QString value = computed.value(field.name);
        if (value.isEmpty()) {
            const schema::Field *from = source.field(field.name);
            if (!from)
                continue;
            value = carried(field, *from);
        }
        columns << field.name;
        values << value;
    }
    db.execute(QStringLiteral("INSERT INTO %1 (%2) SELECT %3 FROM %4")
                   .arg(target.name, columns.join(QLatin1Char(',')), values.join(QLatin1Char(',')),
                        source.name));
}

// Renames the table to the temporary name, replacing a leftover of that name.
void holdInTemporaryTable(Database &db, const QString &table, const QString &temporary)
{
    db.execute(QStringLiteral("DROP TABLE IF EXISTS ") + temporary);
    // Lookup indexes would keep their names on the renamed table and block the new ones.
    const Rows indexes = db.query(QStringLiteral("SELECT name FROM sqlite_schema WHERE type = "
                                                 "'index' AND tbl_name = ? AND sql IS NOT NULL"),
                                  {table});
    for (int i = 0; i < indexes.size(); ++i)
        db.execute(QStringLiteral("DROP INDEX \"%1\"").arg(indexes.at(i, 0).toString()));
    db.execute(QStringLiteral("ALTER TABLE %1 RENAME TO %2").arg(table, temporary));
}

// Rebuilds a table with the target layout. The rows wait in the temporary table under the
// source layout (renamed rather than copied, which halves the work on a large register)
// until they are copied into the new table.
void rebuild(Database &db, const schema::Table &source, const schema::Table &target,
             const QHash<QString, QString> &computed = {})
{
    const schema::Table temporary = renamed(source, target.name + QStringLiteral("1"));
    holdInTemporaryTable(db, source.name, temporary.name);
    replaceTable(db, target);
    copyRows(db, temporary, target, computed);
    db.execute(QStringLiteral("DROP TABLE ") + temporary.name);
}

// The oldest list of damaged objects had no key: a name listed twice is kept once and a
// row without a name is dropped.
void rebuildDamagedObjects(Database &db, int source)
{
    holdInTemporaryTable(db, QStringLiteral("poskozeni"), QStringLiteral("poskozeni1"));
    replaceTable(db, schema::table(QStringLiteral("poskozeni"), source + 1));
    db.execute(QStringLiteral("INSERT INTO poskozeni (cast_tela) SELECT DISTINCT cast_tela "
                              "FROM poskozeni1 WHERE cast_tela IS NOT NULL"));
    db.execute(QStringLiteral("DROP TABLE poskozeni1"));
}

void writeVersionRow(Database &db, int version)
{
    db.execute(QStringLiteral("DELETE FROM uzivatelske_nastaveni WHERE uzivatel = "
                              "'administrator' AND typ = 'rizika' AND polozka = 'verze'"));
    db.execute(QStringLiteral("INSERT INTO uzivatelske_nastaveni "
                              "(uzivatel,typ,polozka,hodnota1,hodnota2,hodnota3) "
                              "VALUES ('administrator','rizika','verze',?,'','')"),
               {QString::number(version)});
}

QString shownPath(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

} // namespace

QString structureName(int version)
{
    return QStringLiteral("x.%1.x").arg(version);
}

int detectStructure(Database &db)
{
    QStringList columns;
    const Rows info = db.query(QStringLiteral("SELECT name FROM pragma_table_info('rizika')"));
    for (int i = 0; i < info.size(); ++i)
        columns << info.at(i, 0).toString();
    if (columns.isEmpty())
        return -1;
    // The size of a text lives in its length check.
    const QString sql = db.scalarText(
        QStringLiteral("SELECT sql FROM sqlite_schema WHERE type = 'table' AND name = 'rizika'"));
    static const QRegularExpression notesCheck(
        QStringLiteral("length\\(poznamky\\)\\s*<=\\s*(\\d+)"));
    const QRegularExpressionMatch match = notesCheck.match(sql);
    const int size = match.hasMatch() ? match.captured(1).toInt() : -1;
    for (int version = schema::OldestStructure; version <= StructureVersion; ++version)
        if (schema::table(Risks, version).fieldNames() == columns && notesSize(version) == size)
            return version;
    return -1;
}

QVector<LongNote> notesTooLong(Database &db, int source)
{
    QVector<LongNote> result;
    const int size = notesSize(source + 1);
    if (size >= notesSize(source))
        return result;
    const Rows rows =
        db.query(QStringLiteral("SELECT id_riziko, trim(poznamky) FROM rizika "
                                "WHERE length(trim(poznamky)) > ? ORDER BY id_riziko"),
                 {size});
    for (int i = 0; i < rows.size(); ++i)
        result.append({rows.at(i, 0).toLongLong(), rows.at(i, 1).toString()});
    return result;
}

qint64 convertStep(Database &db, int source)
{
    Q_ASSERT(source >= FirstStep && source <= LastStep);
    const int target = source + 1;
    const schema::Table &from = schema::table(Risks, source);
    const schema::Table &to = schema::table(Risks, target);
    qint64 risks = 0;
    inTransaction(db, [&] {
        // A risk value kept with binary noise is cleaned to the Single it stands for (the
        // identifiers, also stored as numbers, are carried as they are).
        QHash<QString, QString> computed{
            {QStringLiteral("riziko"), QStringLiteral("single_value(riziko)")}};
        if (target >= 2)
            // No requirement is written as 0, as the editor writes it.
            computed.insert(QStringLiteral("pozadavek_id"),
                            QStringLiteral("coalesce(pozadavek_id, 0)"));
        if (target == 3)
            computed.insert(QStringLiteral("legislativa"), QStringLiteral("'n'"));
        rebuild(db, from, to, computed);
        if (source == 0)
            rebuildDamagedObjects(db, source);
        if (target >= 2)
            risks::refreshAllSummaryFields(db);
        // The older structure kept no paths, so every risk gets its path from the tree;
        // later, closed risks keep the path they were closed with.
        if (target == 2)
            systems::setAllRiskPaths(db);
        else if (target == 3)
            systems::refreshAllOpenRiskPaths(db);
        // The step's own result, so that a file part-way through the steps still fails
        // the version check at login.
        writeVersionRow(db, target);
        risks = db.scalarInt(QStringLiteral("SELECT count(*) FROM rizika"));
    });
    return risks;
}

QString longNotesQuestion(qsizetype count, int source)
{
    return QStringLiteral("Poznámky %1 rizik jsou delší než %2 znaků a ve struktuře %3 budou "
                          "zkráceny. Jejich plné znění se nejprve uloží do souboru vedle "
                          "databáze. Chcete pokračovat?")
        .arg(count)
        .arg(notesSize(source + 1))
        .arg(structureName(source + 1));
}

QString notesFilePath(const QString &databasePath)
{
    return files::freeNameBeside(databasePath, QStringLiteral("poznamky"), QStringLiteral("txt"));
}

Result<void> writeNotesFile(const QString &path, const QString &databasePath,
                            const QVector<LongNote> &notes)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text))
        return Failure{file.errorString()};
    QString text = QStringLiteral("Plné znění poznámek rizik, které převod databáze %1 na "
                                  "strukturu %2 zkrátil na %3 znaků.\n\n")
                       .arg(shownPath(databasePath), structureName(2))
                       .arg(notesSize(2));
    for (const LongNote &note : notes)
        text += QStringLiteral("Riziko %1\n%2\n\n").arg(note.id).arg(note.text);
    file.write(text.toUtf8());
    if (!file.commit())
        return Failure{file.errorString()};
    return {};
}

bool runStep(Database &db, int source, Messages &messages)
{
    const QString next = structureName(source + 1);
    QVector<LongNote> longNotes;
    try {
        const int found = detectStructure(db);
        if (found != source) {
            messages.fail(Title,
                          QStringLiteral("Databáze má %1, tento převod je určen pro strukturu "
                                         "%2. Databáze nebyla změněna.")
                              .arg(found < 0 ? QStringLiteral("neznámou strukturu tabulky rizik")
                                             : QStringLiteral("strukturu ") + structureName(found),
                                   structureName(source)));
            return false;
        }
        if (!messages.ask(Title, QStringLiteral("Převést databázi ze struktury %1 na %2?")
                                     .arg(structureName(source), next)))
            return false;
        // Another copy would go on with the old layout under its feet, idle or not.
        if (db.isOpenElsewhere()) {
            messages.fail(Title, InUseText);
            return false;
        }
        longNotes = notesTooLong(db, source);
    } catch (const DbError &e) {
        showEngineError(messages, e);
        return false;
    }

    QString notesFile;
    if (!longNotes.isEmpty()) {
        if (!messages.ask(Title, longNotesQuestion(longNotes.size(), source),
                          Messages::Tone::Warning))
            return false;
        notesFile = notesFilePath(db.path());
        if (const Result<void> saved = writeNotesFile(notesFile, db.path(), longNotes); !saved) {
            messages.fail(Title, QStringLiteral("Soubor '%1' nelze zapsat: %2\nDatabáze nebyla "
                                                "změněna.")
                                     .arg(shownPath(notesFile), saved.error()));
            return false;
        }
    }

    qint64 risks = 0;
    try {
        risks = convertStep(db, source);
    } catch (const DbError &e) {
        // The database is as it was, so the saved notes describe nothing that happened.
        if (!notesFile.isEmpty())
            QFile::remove(notesFile);
        if (e.isBusy())
            messages.fail(Title, InUseText);
        else
            messages.fail(Title, QStringLiteral("Databáze nebyla převedena a zůstala beze "
                                                "změny.\n") +
                                     e.describe());
        return false;
    }
    QString report = QStringLiteral("Databáze byla převedena na strukturu %1. Převedeno rizik: %2.")
                         .arg(next)
                         .arg(risks);
    if (!notesFile.isEmpty())
        report += QStringLiteral("\nPlné znění zkrácených poznámek je uloženo v souboru '%1'.")
                      .arg(shownPath(notesFile));
    messages.inform(Title, report);
    return true;
}

} // namespace tamvel::conversions
