#include "TestDatabase.h"

#include "legacy/AccessFile.h"
#include "legacy/FileFormat.h"
#include "legacy/Properties.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <clocale>
#include <cstring>

using namespace tamvel::legacy;
using tamvel::Failure;
using tamvel::Result;

using Row = QVector<QVariant>;
using Rows = QVector<Row>;
using Type = AccessColumn::Type;

namespace tamvel::legacy {

bool operator==(const AccessColumn &a, const AccessColumn &b)
{
    return a.name == b.name && a.type == b.type && a.size == b.size && a.required == b.required;
}

char *toString(const AccessColumn &c)
{
    return QTest::toString(QStringLiteral("%1: type %2, size %3, required %4")
                               .arg(c.name)
                               .arg(int(c.type))
                               .arg(c.size)
                               .arg(c.required));
}

} // namespace tamvel::legacy

// The users of every fixture, in the order of their rows.
static const Row Administrator{QStringLiteral("Administrator"), QStringLiteral(" "),
                               QStringLiteral("admin")};
static const Row Novak{QStringLiteral("Novák"), QStringLiteral("tajne1"), QStringLiteral("bozp")};
static const Row Dvorakova{QStringLiteral("Dvořáková"), QStringLiteral("heslo"),
                           QStringLiteral("prohlizeni")};

class TestLegacyReader : public QObject
{
    Q_OBJECT

private slots:
    void detectsFormats();
    void tablesAndLayoutsFollowTheVersion();
    void tablesAndLayoutsFollowTheVersion_data();
    void requiredComesFromTheProperties();
    void czechTextsAreDecoded();
    void riskValuesNullsAndDates();
    void compressedTextIsDecoded();
    void singleKeepsItsDecimalForm();
    void numbersIgnoreTheLocale();
    void otherColumnTypesComeFromStoredBytes();
    void movedRowsAreFollowed();
    void nestedReadsKeepTheirPlace();
    void encryptedReadsLikePlainAndNothingIsWritten();
    void hostileFilesAreRefused();
    void hostileFilesAreRefused_data();
    void damagedPagesNeverCrash();
    void unknownTableIsAnError();

private:
    QString copy(const QString &fixture);
    QString write(const QString &name, const QByteArray &content);
    QTemporaryDir m_dir;
};

static QByteArray fixtureBytes(const QString &name)
{
    QFile file(QStringLiteral(TAMVEL_LEGACY_FIXTURES "/") + name);
    if (!file.open(QIODevice::ReadOnly))
        qFatal("missing fixture");
    return file.readAll();
}

// The code under test only ever sees copies.
QString TestLegacyReader::copy(const QString &fixture)
{
    return write(fixture, fixtureBytes(fixture));
}

QString TestLegacyReader::write(const QString &name, const QByteArray &content)
{
    const QString path = m_dir.filePath(name);
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
    QFile::remove(path);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size())
        qFatal("cannot write a test file");
    return path;
}

// Text as Jet 4 stores it without compression.
static QByteArray ucs2(const QString &text)
{
    QByteArray result;
    for (const QChar c : text) {
        result.append(char(c.unicode() & 0xff));
        result.append(char(c.unicode() >> 8));
    }
    return result;
}

static Result<Rows> readAll(const AccessFile &file, const QString &table)
{
    Rows rows;
    const Result<void> read = file.readRows(table, [&](const Row &row) { rows.push_back(row); });
    if (!read)
        return Failure{read.error()};
    return rows;
}

static int column(const AccessTable &table, const char *name)
{
    for (int i = 0; i < table.columns.size(); ++i)
        if (table.columns[i].name == QString::fromUtf8(name))
            return i;
    return -1;
}

struct Table
{
    AccessTable layout;
    Rows rows;

    // The row whose first column (the register's key) is `id`.
    Row row(double id) const
    {
        for (const Row &r : rows)
            if (r.value(0).toDouble() == id)
                return r;
        return {};
    }
    QVariant at(double id, const char *name) const { return row(id).value(column(layout, name)); }
};

// Opens the file and reads the table; false, with the reason, when either fails.
static bool readTable(const QString &path, const char *name, Table *table)
{
    const auto file = AccessFile::open(path);
    const Result<Rows> rows =
        file ? readAll(*file, QString::fromUtf8(name)) : Result<Rows>(Failure{file.error()});
    if (!rows) {
        qWarning("%s", qPrintable(rows.error()));
        return false;
    }
    *table = {*file->table(QString::fromUtf8(name)), *rows};
    return true;
}

// Jet 4 pages as the published format describes them, for tests that alter a copy.
namespace jet4 {

constexpr int PageSize = 4096;
constexpr int RowCountAt = 12;

quint32 u16(const QByteArray &b, qsizetype at)
{
    return quint32(uchar(b[at])) | quint32(uchar(b[at + 1])) << 8;
}

quint32 u32(const QByteArray &b, qsizetype at)
{
    return u16(b, at) | u16(b, at + 2) << 16;
}

void put16(QByteArray &b, qsizetype at, quint32 v)
{
    b[at] = char(v & 0xff);
    b[at + 1] = char((v >> 8) & 0xff);
}

// File offset of the entry of `row` in the row table of the page at `page`.
qsizetype rowEntry(qsizetype page, int row)
{
    return page + RowCountAt + 2 + row * 2;
}

struct Slot
{
    qsizetype page = -1; // file offset of the page
    int row = -1;
    int start = 0, end = 0;
};

// The data row holding the file byte at `offset`.
Slot slotAt(const QByteArray &file, qsizetype offset)
{
    Slot s;
    s.page = offset / PageSize * PageSize;
    const int inPage = int(offset - s.page);
    const int rows = int(u16(file, s.page + RowCountAt));
    for (int r = 0; r < rows; ++r) {
        const int start = int(u16(file, rowEntry(s.page, r)) & 0x1fff);
        const int end = r == 0 ? PageSize : int(u16(file, rowEntry(s.page, r - 1)) & 0x1fff);
        if (inPage >= start && inPage < end)
            return {s.page, r, start, end};
    }
    return {};
}

// Novák's row of `uzivatele`, whose name and password are stored once, uncompressed.
Slot novaksRow(const QByteArray &file)
{
    const QByteArray stored = ucs2(QStringLiteral("Novák") + QStringLiteral("tajne1"));
    return file.count(stored) == 1 ? slotAt(file, file.indexOf(stored)) : Slot();
}

// File offset of the column entry `column` in the definition of the table that also has
// the column `sibling`.
qsizetype columnEntry(const QByteArray &file, const QString &column, const QString &sibling)
{
    for (qsizetype base = PageSize; base + PageSize <= file.size(); base += PageSize) {
        if (file[base] != 0x02)
            continue;
        const int numCols = int(u16(file, base + 45));
        const qsizetype entries = base + 63 + qsizetype(u32(file, base + 51)) * 12;
        qsizetype pos = entries + numCols * 25;
        QStringList names;
        for (int i = 0; i < numCols && pos + 2 < base + PageSize; ++i) {
            const int length = int(u16(file, pos));
            names << QString::fromUtf16(
                reinterpret_cast<const char16_t *>(file.constData() + pos + 2), length / 2);
            pos += 2 + length;
        }
        if (names.contains(sibling) && names.contains(column))
            return entries + names.indexOf(column) * 25;
    }
    return -1;
}

} // namespace jet4

void TestLegacyReader::detectsFormats()
{
    // A missing, an empty and a text file: unknownTableIsAnError, hostileFilesAreRefused.
    QCOMPARE(detectFormat(m_dir.path()), FileFormat::Missing);
    QCOMPARE(detectFormat(write(QStringLiteral("short.mdb"), "SQL")), FileFormat::Unknown);
    // The signatures only count at their own offsets.
    QCOMPARE(detectFormat(
                 write(QStringLiteral("offset.mdb"), QByteArray("Standard Jet DB\0\0\0\0\0", 20))),
             FileFormat::Unknown);
    QCOMPARE(detectFormat(write(QStringLiteral("ace.accdb"),
                                QByteArray("\0\1\0\0Standard ACE DB\0", 20) + QByteArray(100, 0))),
             FileFormat::Access);

    // The header of a register of this program (tst_commandline imports a whole one).
    const QString tamvel = write(QStringLiteral("tamvel.mdb"), QByteArray("SQLite format 3\0", 16));
    QCOMPARE(detectFormat(tamvel), FileFormat::Tamvel);
    const auto file = AccessFile::open(tamvel);
    QVERIFY(!file);
    QVERIFY2(file.error().contains(QStringLiteral("Tamvel")), qPrintable(file.error()));
}

void TestLegacyReader::tablesAndLayoutsFollowTheVersion_data()
{
    QTest::addColumn<QString>("fixture");
    QTest::addColumn<int>("notesSize");
    QTest::addColumn<int>("damageSize");
    QTest::addColumn<QStringList>("damageKey");
    const QStringList key{QStringLiteral("cast_tela")};
    // The columns of `rizika` as a whole tell the structure, which tst_import checks.
    QTest::newRow("x.0") << QStringLiteral("legacy-v0.mdb") << 150 << 30 << QStringList();
    QTest::newRow("x.1") << QStringLiteral("legacy-v1.mdb") << 160 << 50 << key;
    QTest::newRow("x.2") << QStringLiteral("legacy-v2.mdb") << 50 << 50 << key;
    QTest::newRow("x.3") << QStringLiteral("legacy-v3.mdb") << 50 << 50 << key;
}

void TestLegacyReader::tablesAndLayoutsFollowTheVersion()
{
    QFETCH(QString, fixture);
    QFETCH(int, notesSize);
    QFETCH(int, damageSize);
    QFETCH(QStringList, damageKey);

    const auto file = AccessFile::open(copy(fixture));
    QVERIFY2(file, qPrintable(file.error()));
    QCOMPARE(file->jetVersion(), 4);
    // The user tables in the catalogue's order, no system tables.
    QCOMPARE(file->tableNames(),
             QStringLiteral("skupiny uzivatele pracovnici systemy system_pracovnik "
                            "nebezpeci_kategorie nebezpeci_kategorie_druh poskozeni zavaznost "
                            "pravdepodobnost frekvence urovne_rizika algoritmy oop typ predpisy "
                            "dokumenty pozadavky pozadavky_predpisy rizika rizika_uzavrene "
                            "uzivatelske_nastaveni oop_rizika dilci_ukoly")
                 .split(QLatin1Char(' ')));
    QVERIFY(!file->table(QStringLiteral("neexistuje")));

    // Access names ignore letter case. The fixtures keep no column properties (MSysObjects.LvProp
    // is empty), so no column is Required, not even a key.
    const auto risks = file->table(QStringLiteral("RIZIKA"));
    QVERIFY(risks);
    QCOMPARE(risks->name, QStringLiteral("rizika"));
    QCOMPARE(risks->primaryKey, QStringList{QStringLiteral("id_riziko")});
    QCOMPARE(risks->columns[0],
             (AccessColumn{QStringLiteral("id_riziko"), Type::Single, 4, false}));
    QCOMPARE(risks->columns[1], (AccessColumn{QStringLiteral("system"), Type::Text, 50, false}));
    QCOMPARE(risks->columns[12].name, QStringLiteral("riziko"));
    QCOMPARE(risks->columns[24],
             (AccessColumn{QStringLiteral("poznamky"), Type::Text, notesSize, false}));
    QCOMPARE(risks->columns[column(*risks, "opatreni_termin")],
             (AccessColumn{QStringLiteral("opatreni_termin"), Type::Date, 8, false}));

    const auto damage = file->table(QStringLiteral("poskozeni"));
    QVERIFY(damage);
    QCOMPARE(damage->columns,
             (QVector<AccessColumn>{{QStringLiteral("cast_tela"), Type::Text, damageSize, false}}));
    QCOMPARE(damage->primaryKey, damageKey);
    // Keys of several columns keep the index's order; a table may have none.
    QCOMPARE(file->table(QStringLiteral("uzivatelske_nastaveni"))->primaryKey,
             (QStringList{QStringLiteral("uzivatel"), QStringLiteral("typ"),
                          QStringLiteral("polozka")}));
    QCOMPARE(file->table(QStringLiteral("dokumenty"))->primaryKey, QStringList());
}

void TestLegacyReader::requiredComesFromTheProperties()
{
    // The fixtures keep no column properties, so a blob is made here as Access writes it: a list
    // of names, then a block per column.
    auto le16 = [](int v) { return QByteArray(1, char(v & 0xff)) + QByteArray(1, char(v >> 8)); };
    auto le32 = [&](int v) { return le16(v & 0xffff) + le16(v >> 16); };
    auto name = [&](const QString &s) { return le16(int(s.size() * 2)) + ucs2(s); };
    auto record = [&](int nameIndex, int type, const QByteArray &data) {
        return le16(8 + int(data.size())) + QByteArray(1, 0) + QByteArray(1, char(type)) +
               le16(nameIndex) + le16(int(data.size())) + data;
    };
    auto block = [&](const QString &object, const QByteArray &records) {
        const QByteArray objectName = le32(4 + 2 + int(object.size()) * 2) + name(object);
        return le32(6 + int(objectName.size() + records.size())) + le16(0x01) + objectName +
               records;
    };
    const QByteArray names = name(QStringLiteral("Required")) + name(QStringLiteral("Format"));
    const QByteArray blob =
        QByteArray("MR2\0", 4) + le32(6 + int(names.size())) + le16(0x80) + names +
        block(QStringLiteral("predpis_id"), record(0, 0x01, QByteArray(1, char(0xff)))) +
        block(QStringLiteral("typ"),
              record(0, 0x01, QByteArray(1, 0)) + record(1, 0x0a, ucs2(QStringLiteral(">")))) +
        block(QStringLiteral("nazev"), record(1, 0x01, QByteArray(1, 1)));
    auto decode = [](const char *data, int size) {
        return QString::fromUtf16(reinterpret_cast<const char16_t *>(data), size / 2);
    };
    QCOMPARE(detail::objectsWithFlag(blob, QStringLiteral("Required"), decode),
             QSet<QString>{QStringLiteral("predpis_id")});
    // Cut anywhere, the blob gives at most what came before the cut.
    for (qsizetype cut = 0; cut < blob.size(); ++cut) {
        const QSet<QString> found =
            detail::objectsWithFlag(blob.left(cut), QStringLiteral("Required"), decode);
        QVERIFY(found.isEmpty() || found == QSet<QString>{QStringLiteral("predpis_id")});
    }
    QVERIFY(detail::objectsWithFlag(QByteArray("XYZ\0", 4) + blob.mid(4),
                                    QStringLiteral("Required"), decode)
                .isEmpty());
}

void TestLegacyReader::czechTextsAreDecoded()
{
    for (const char *name : {"legacy-v0.mdb", "legacy-v3.mdb"}) {
        Table systems;
        QVERIFY(readTable(copy(QString::fromUtf8(name)), "systemy", &systems));
        QCOMPARE(systems.rows.size(), 9);
        QVERIFY(systems.rows.contains(
            Row{QStringLiteral("Svařovací pracoviště 1"), QStringLiteral("Svařovna")}));
        // The root's parent is stored as an empty text (its Null bit says present), which
        // stays apart from Null.
        QVERIFY(systems.rows.contains(Row{QStringLiteral("Závod Kolín"), QStringLiteral("")}));
        QVERIFY(systems.rows.contains(
            Row{QStringLiteral("Stará lakovna"), QStringLiteral("Zrušená hala")}));
    }
}

void TestLegacyReader::riskValuesNullsAndDates()
{
    const QString path = copy(QStringLiteral("legacy-v3.mdb"));
    Table risks;
    QVERIFY(readTable(path, "rizika", &risks));
    QCOMPARE(risks.rows.size(), 6);
    for (const Row &row : risks.rows)
        QCOMPARE(row.size(), risks.layout.columns.size());

    QCOMPARE(risks.at(1, "opatreni_termin").toDateTime(),
             QDateTime(QDate(2024, 3, 31), QTime(0, 0), Qt::UTC));
    QCOMPARE(risks.at(1, "opatreni_termin").toDateTime().timeSpec(), Qt::UTC);
    QVERIFY(!risks.at(1, "opatreni_splneno").isValid());
    QCOMPARE(risks.at(1, "riziko").toDouble(), 54.0);
    QCOMPARE(risks.at(1, "pozadavek_id").toDouble(), 1.0);

    // Risk 2: no requirement, no dates, Null texts (texts and dates of the other risks:
    // czechTextsAreDecoded, numbersIgnoreTheLocale, otherColumnTypesComeFromStoredBytes).
    for (const char *name : {"pozadavek_id", "opatreni_termin", "opatreni_splneno",
                             "program_termin", "napravna_opatreni", "opatreni_zodpovida", "cil"})
        QVERIFY2(!risks.at(2, name).isValid(), name);
    QCOMPARE(risks.at(2, "poznamky"), QVariant(QStringLiteral("kukla s automatickým stmíváním")));

    // Risk 3: the value 2.5 and requirement 0, which is not Null.
    QCOMPARE(risks.at(3, "riziko").typeId(), QMetaType::Double);
    QVERIFY(risks.at(3, "pozadavek_id").isValid());
    QCOMPARE(risks.at(3, "pozadavek_id").toDouble(), 0.0);

    QCOMPARE(risks.at(6, "poznamky"), QVariant(QStringLiteral("it's \"quoted\" & 50% done")));

    Table regulations;
    QVERIFY(readTable(path, "predpisy", &regulations));
    QCOMPARE(regulations.rows.size(), 3);
    QVERIFY(!regulations.row(4).value(4).isValid()); // regulation 4 has no issue date
}

// The fixtures store texts as plain UCS-2; Access compresses them when it can: after the
// marker FF FE one byte per character, a zero byte switching to and from two-byte characters.
void TestLegacyReader::compressedTextIsDecoded()
{
    QByteArray content = fixtureBytes(QStringLiteral("legacy-v3.mdb"));
    const QByteArray plain = ucs2(QStringLiteral("tajne1"));
    QCOMPARE(content.count(plain), 1);
    // Same 12 bytes: "Šťáva1" with Š (U+0160) and ť (U+0165) in two-byte mode.
    const QByteArray compressed("\xff\xfe\x00\x60\x01\x65\x01\x00\xe1va1", 12);
    content.replace(content.indexOf(plain), compressed.size(), compressed);

    Table users;
    QVERIFY(readTable(write(QStringLiteral("compressed.mdb"), content), "uzivatele", &users));
    const Row novak{QStringLiteral("Novák"), QStringLiteral("Šťáva1"), QStringLiteral("bozp")};
    QCOMPARE(users.rows, (Rows{Administrator, novak, Dvorakova}));
}

// A Single that has no exact binary form reads as the decimal Access shows.
void TestLegacyReader::singleKeepsItsDecimalForm()
{
    QByteArray content = fixtureBytes(QStringLiteral("legacy-v3.mdb"));
    const float stored = 2.5f, replacement = 0.1f;
    const QByteArray from(reinterpret_cast<const char *>(&stored), 4);
    QCOMPARE(content.count(from), 1); // only risk 3's value
    content.replace(from, QByteArray(reinterpret_cast<const char *>(&replacement), 4));

    Table risks;
    QVERIFY(readTable(write(QStringLiteral("single.mdb"), content), "rizika", &risks));
    QCOMPARE(risks.at(3, "riziko").toDouble(), 0.1);
}

// Risk 3's value and date under the C locale and a decimal-comma one.
void TestLegacyReader::numbersIgnoreTheLocale()
{
    const QString path = copy(QStringLiteral("legacy-v3.mdb"));
    auto riskThree = [&](Row *values) {
        Table risks;
        if (!readTable(path, "rizika", &risks))
            return false;
        *values = {risks.at(3, "riziko"), risks.at(3, "opatreni_termin")};
        return true;
    };
    const QByteArray original = setlocale(LC_ALL, nullptr);
    auto restore = qScopeGuard([&] {
        setlocale(LC_ALL, original.constData());
        qunsetenv("LOCPATH");
    });

    Row inC, inComma;
    QVERIFY(setlocale(LC_ALL, "C"));
    QVERIFY(riskThree(&inC));
    QCOMPARE(inC[0].toDouble(), 2.5);
    QCOMPARE(inC[1].toDateTime(), QDateTime(QDate(2023, 1, 15), QTime(0, 0), Qt::UTC));

    // An installed decimal-comma locale, else a Czech one built here when the definitions
    // are present.
    auto comma = [] { return QByteArray(localeconv()->decimal_point) == ","; };
    bool found = false;
    for (const char *name : {"cs_CZ.UTF-8", "cs_CZ.utf8", "cs_CZ", "de_DE.UTF-8", "fr_FR.UTF-8"})
        if (setlocale(LC_ALL, name) && comma()) {
            found = true;
            break;
        }
    if (!found) {
        const QString locales = m_dir.filePath(QStringLiteral("locales"));
        QDir().mkpath(locales);
        QProcess::execute(QStringLiteral("localedef"),
                          {QStringLiteral("-i"), QStringLiteral("cs_CZ"), QStringLiteral("-f"),
                           QStringLiteral("UTF-8"), locales + QStringLiteral("/cs_CZ.UTF-8")});
        qputenv("LOCPATH", QFile::encodeName(locales));
        found = setlocale(LC_ALL, "cs_CZ.UTF-8") && comma();
    }
    if (!found)
        QSKIP("No decimal-comma locale is available here.");
    qInfo("Decimal comma under the locale %s", setlocale(LC_NUMERIC, nullptr));
    QVERIFY(riskThree(&inComma));
    QCOMPARE(inComma, inC);
}

// The fixtures have no Integer, Double or Yes/No columns: a copy's definition gives stored
// columns those types, and their values must follow from the same bytes.
void TestLegacyReader::otherColumnTypesComeFromStoredBytes()
{
    QByteArray content = fixtureBytes(QStringLiteral("legacy-v3.mdb"));
    auto retype = [&](const char *name, char type) {
        const qsizetype entry =
            jet4::columnEntry(content, QString::fromUtf8(name), QStringLiteral("opatreni_splneno"));
        if (entry < 0)
            return false;
        content[entry] = type;
        return true;
    };
    QVERIFY(retype("riziko", 0x04));           // Single -> Long
    QVERIFY(retype("opatreni_termin", 0x07));  // Date -> Double
    QVERIFY(retype("opatreni_splneno", 0x01)); // Date -> Yes/No

    Table risks;
    QVERIFY(readTable(write(QStringLiteral("types.mdb"), content), "rizika", &risks));
    const auto type = [&](const char *name) {
        return risks.layout.columns[column(risks.layout, name)].type;
    };
    QCOMPARE(type("riziko"), Type::Integer);
    QCOMPARE(type("opatreni_termin"), Type::Double);
    QCOMPARE(type("opatreni_splneno"), Type::Boolean);

    float twoAndHalf = 2.5f;
    qint32 bits = 0;
    std::memcpy(&bits, &twoAndHalf, 4);
    QCOMPARE(risks.at(3, "riziko").typeId(), QMetaType::LongLong);
    QCOMPARE(risks.at(3, "riziko").toLongLong(), qlonglong(bits));
    // A date is the number of days since 1899-12-30.
    QCOMPARE(risks.at(1, "opatreni_termin").typeId(), QMetaType::Double);
    QCOMPARE(risks.at(1, "opatreni_termin").toDouble(),
             double(QDate(1899, 12, 30).daysTo(QDate(2024, 3, 31))));
    QVERIFY(!risks.at(2, "opatreni_termin").isValid());
    // Yes/No lives in the Null bit: risks 3 and 6 have the date, the others not.
    for (double id : {1, 2, 3, 4, 5, 6}) {
        const QVariant yes = risks.at(id, "opatreni_splneno");
        QCOMPARE(yes.typeId(), QMetaType::Bool);
        QCOMPARE(yes.toBool(), id == 3 || id == 6);
    }
}

// Jet moves a row that grew to a new place and leaves its address at the old one; the new
// place is marked deleted so that a page scan does not meet the row twice. Reading the row
// once also shows that deleted rows are skipped.
void TestLegacyReader::movedRowsAreFollowed()
{
    QByteArray content = fixtureBytes(QStringLiteral("legacy-v3.mdb"));
    const jet4::Slot slot = jet4::novaksRow(content);
    QVERIFY(slot.row >= 0);
    const qsizetype page = slot.page;
    const int rows = int(jet4::u16(content, page + jet4::RowCountAt));
    const int lowest = int(jet4::u16(content, jet4::rowEntry(page, rows - 1)) & 0x1fff);
    const int length = slot.end - slot.start;
    const int newStart = lowest - length;
    QVERIFY(newStart >= jet4::rowEntry(0, rows + 1));

    content.replace(page + newStart, length, content.mid(page + slot.start, length));
    jet4::put16(content, jet4::rowEntry(page, rows), quint32(newStart) | 0x8000);
    jet4::put16(content, page + jet4::RowCountAt, quint32(rows + 1));
    const quint32 pageNumber = quint32(page / jet4::PageSize);
    content[page + slot.start] = char(rows);
    content[page + slot.start + 1] = char(pageNumber & 0xff);
    content[page + slot.start + 2] = char((pageNumber >> 8) & 0xff);
    content[page + slot.start + 3] = char((pageNumber >> 16) & 0xff);
    const qsizetype old = jet4::rowEntry(page, slot.row);
    jet4::put16(content, old, jet4::u16(content, old) | 0x4000);

    Table users;
    QVERIFY(readTable(write(QStringLiteral("moved.mdb"), content), "uzivatele", &users));
    QCOMPARE(users.rows, (Rows{Administrator, Novak, Dvorakova}));
}

void TestLegacyReader::nestedReadsKeepTheirPlace()
{
    const auto file = AccessFile::open(copy(QStringLiteral("legacy-v2.mdb")));
    QVERIFY2(file, qPrintable(file.error()));
    const Result<Rows> plain = readAll(*file, QStringLiteral("rizika"));
    QVERIFY2(plain, qPrintable(plain.error()));

    Rows outer;
    int innerRows = 0;
    const Result<void> read = file->readRows(QStringLiteral("rizika"), [&](const Row &row) {
        outer.push_back(row);
        if (const Result<Rows> users = readAll(*file, QStringLiteral("uzivatele")))
            innerRows += int(users->size());
    });
    QVERIFY2(read, qPrintable(read.error()));
    QCOMPARE(innerRows, 3 * 6);
    QCOMPARE(outer, *plain);
}

// Both files give the same tables and rows, and reading them writes nothing.
void TestLegacyReader::encryptedReadsLikePlainAndNothingIsWritten()
{
    const QString plainPath = copy(QStringLiteral("legacy-v3.mdb"));
    const QString encryptedPath = copy(QStringLiteral("legacy-v3-encrypted.mdb"));
    const QByteArray plainBytes = fileBytes(plainPath), encryptedBytes = fileBytes(encryptedPath);
    const QDateTime plainModified = QFileInfo(plainPath).lastModified();
    const QDateTime encryptedModified = QFileInfo(encryptedPath).lastModified();
    // The pages really are encrypted: a stored text is visible in one file only.
    QVERIFY(plainBytes.contains(ucs2(QStringLiteral("Novák"))));
    QVERIFY(!encryptedBytes.contains(ucs2(QStringLiteral("Novák"))));
    qsizetype values = 0;
    {
        const auto plain = AccessFile::open(plainPath);
        QVERIFY2(plain, qPrintable(plain.error()));
        const auto encrypted = AccessFile::open(encryptedPath);
        QVERIFY2(encrypted, qPrintable(encrypted.error()));
        QCOMPARE(encrypted->jetVersion(), plain->jetVersion());
        QCOMPARE(encrypted->tableNames(), plain->tableNames());
        for (const QString &table : plain->tableNames()) {
            const auto a = plain->table(table), b = encrypted->table(table);
            QVERIFY(a && b);
            QCOMPARE(b->columns, a->columns);
            QCOMPARE(b->primaryKey, a->primaryKey);
            const Result<Rows> expected = readAll(*plain, table),
                               actual = readAll(*encrypted, table);
            QVERIFY2(expected && actual, qPrintable(expected.error() + actual.error()));
            QCOMPARE(*actual, *expected);
            for (const Row &row : *expected)
                values += row.size();
        }
    }
    QVERIFY(values > 400);
    QCOMPARE(fileBytes(plainPath), plainBytes);
    QCOMPARE(fileBytes(encryptedPath), encryptedBytes);
    QCOMPARE(QFileInfo(plainPath).lastModified(), plainModified);
    QCOMPARE(QFileInfo(encryptedPath).lastModified(), encryptedModified);

    // Read permission is all it needs.
    for (const QString &path : {plainPath, encryptedPath}) {
        QVERIFY(QFile::setPermissions(path, QFile::ReadOwner));
        Table risks;
        QVERIFY(readTable(path, "rizika", &risks));
        QCOMPARE(risks.rows.size(), 6);
    }
}

void TestLegacyReader::hostileFilesAreRefused_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("says");

    const QByteArray v3 = fixtureBytes(QStringLiteral("legacy-v3.mdb"));
    const qsizetype size = v3.size();
    const QString damaged = QStringLiteral("poškozený");
    QTest::newRow("empty") << QByteArray() << QStringLiteral("prázdný");
    QTest::newRow("three pages") << v3.left(3 * 4096) << damaged;
    QTest::newRow("one page short") << v3.left(size - 4096) << damaged;
    QTest::newRow("one byte short") << v3.left(size - 1) << damaged;
    QTest::newRow("one byte over") << v3 + QByteArray(1, 0) << damaged;
    QTest::newRow("text") << QByteArray("Registr rizik – poznámky\n").repeated(500)
                          << QStringLiteral("není databáze Access");

    QByteArray garbage = v3.left(4096);
    QRandomGenerator random(20240331);
    while (garbage.size() < size)
        garbage += char(random.bounded(256));
    QTest::newRow("Jet header, garbage pages") << garbage << damaged;
    QTest::newRow("Jet header, empty pages")
        << v3.left(4096) + QByteArray(size - 4096, 0) << damaged;

    QByteArray jet3 = v3;
    jet3[0x14] = 0; // claims 2 KiB pages
    QTest::newRow("Jet 3 header on Jet 4 pages") << jet3 << damaged;
    QByteArray future = v3;
    future[0x14] = 0x42;
    QTest::newRow("unknown version") << future << QStringLiteral("nepodporované verzi");

    QByteArray badDefinition = v3;
    const qsizetype entry =
        jet4::columnEntry(v3, QStringLiteral("riziko"), QStringLiteral("opatreni_splneno"));
    const qsizetype definition = entry / 4096 * 4096;
    jet4::put16(badDefinition, definition + 45, 0xffff); // column count
    QTest::newRow("table definition damaged") << badDefinition << QStringLiteral("rizika");
}

void TestLegacyReader::hostileFilesAreRefused()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, says);
    const auto file = AccessFile::open(write(QStringLiteral("hostile.mdb"), content));
    QVERIFY(!file);
    QVERIFY2(file.error().startsWith(QStringLiteral("Soubor ")), qPrintable(file.error()));
    QVERIFY2(file.error().contains(says), qPrintable(file.error()));
}

// Random damage to table definitions, maps and rows (values chosen to hit limits): the file
// is refused, or its tables read, or a table read fails with a message; nothing crashes.
void TestLegacyReader::damagedPagesNeverCrash()
{
    int opened = 0, refused = 0;
    for (const char *name : {"legacy-v3.mdb", "legacy-v3-encrypted.mdb"}) {
        const QByteArray original = fixtureBytes(QString::fromUtf8(name));
        QRandomGenerator random(7);
        for (int round = 0; round < 60; ++round) {
            QByteArray content = original;
            const int pages = int(content.size() / 4096);
            for (int n = random.bounded(1, 9); n > 0; --n) {
                const qsizetype page = qsizetype(random.bounded(1, pages)) * 4096;
                const qsizetype at =
                    page + (random.bounded(2) ? random.bounded(200) : random.bounded(4094));
                const quint32 values[] = {
                    0, 1, 0xff, 0xffff, 0x7fff, 0x8000, 0x4000, 0xc000, random.bounded(65536u)};
                jet4::put16(content, at, values[random.bounded(9)]);
            }
            const auto file = AccessFile::open(write(QStringLiteral("damaged.mdb"), content));
            if (!file) {
                QVERIFY(!file.error().isEmpty());
                ++refused;
                continue;
            }
            ++opened;
            for (const QString &table : file->tableNames()) {
                const Result<Rows> rows = readAll(*file, table);
                if (!rows)
                    QVERIFY2(rows.error().contains(table), qPrintable(rows.error()));
            }
        }
    }
    // Both outcomes occur, so the damage reached the checks and the rows alike.
    QVERIFY(opened > 0);
    QVERIFY(refused > 0);
}

void TestLegacyReader::unknownTableIsAnError()
{
    const auto file = AccessFile::open(copy(QStringLiteral("legacy-v3.mdb")));
    QVERIFY2(file, qPrintable(file.error()));
    int calls = 0;
    const Result<void> read =
        file->readRows(QStringLiteral("MSysObjects"), [&](const Row &) { ++calls; });
    QVERIFY(!read);
    QCOMPARE(calls, 0);
    QVERIFY2(read.error().contains(QStringLiteral("neexistuje")), qPrintable(read.error()));

    const auto missing = AccessFile::open(m_dir.filePath(QStringLiteral("chybi.mdb")));
    QVERIFY(!missing);
    QVERIFY2(missing.error().contains(QStringLiteral("neexistuje")), qPrintable(missing.error()));
}

QTEST_GUILESS_MAIN(TestLegacyReader)
#include "tst_legacy_reader.moc"
