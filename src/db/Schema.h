#pragma once

#include "db/Version.h"

#include <QString>
#include <QStringList>
#include <QVector>

namespace tamvel {

class Database;

namespace schema {

enum class FieldType { Text, Single, Date };

// One field as the register defines it. Size, ord, attr and zero-length are the
// register's own properties; the engine enforces the type, the text size, `required`
// and the keys.
struct Field
{
    QString name;
    FieldType type;
    int size;
    int ord;
    int attr;
    bool required = false;
    bool zeroLength = false;
};

struct Table
{
    QString name;
    QVector<Field> fields;
    QStringList key; // empty: the table has no key
    // Non-unique lookup indexes; they enforce nothing and only speed up reads.
    QVector<QStringList> indexes;

    const Field *field(const QString &name) const;
    QStringList fieldNames() const;
};

// The oldest structure version the program knows.
inline constexpr int OldestStructure = 0;

// The 24 tables of a structure version (the current one by default), in creation order.
// Older versions differ in the layout of `rizika` and, in version 0, of `poskozeni`.
const QVector<Table> &tables(int version = StructureVersion);
const Table &table(const QString &name, int version = StructureVersion);

// Engine type of a field: identifiers are integers, other Singles real numbers,
// texts and dates (YYYY-MM-DD) text.
QString sqlType(const Field &field);
QString createTableSql(const Table &table);
QStringList createIndexSql(const Table &table);

// Creates every table of the structure version and inserts the initial rows, in one
// transaction: the version row (none for version 0), the default column set, the
// administrator and the administrator group.
void createStructure(Database &db, int version = StructureVersion);

// The column set of the risk overview that every new database starts with.
QString defaultColumnSet();
// The administrator group's rights: every right granted.
QString adminRights();

} // namespace schema
} // namespace tamvel
