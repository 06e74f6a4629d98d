#pragma once

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

// The 24 tables of the current structure, in creation order.
const QVector<Table> &tables();
const Table &table(const QString &name);

// Engine type of a field: identifiers are integers, other Singles real numbers,
// texts and dates (YYYY-MM-DD) text.
QString sqlType(const Field &field);
QString createTableSql(const Table &table);
QStringList createIndexSql(const Table &table);

// Creates every table and inserts the four initial rows, in one transaction.
void createStructure(Database &db);

// The column set of the risk overview that every new database starts with.
QString defaultColumnSet();
// The administrator group's rights: every right granted.
QString adminRights();

} // namespace schema
} // namespace tamvel
