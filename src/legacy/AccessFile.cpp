#include "legacy/AccessFile.h"

#include "core/SingleValue.h"
#include "legacy/FileFormat.h"
#include "legacy/Properties.h"

#include <QByteArray>
#include <QDateTime>
#include <QFile>
#include <QSet>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

// mdbtools.h includes these inside its extern "C" block, where glib's C++ parts do not
// compile; included first, their guards keep them out of it.
#include <glib.h>
#include <iconv.h>
#include <mdbtools.h>

namespace tamvel::legacy {

namespace {

// Row-offset flags. libmdb 1.0 has them the other way round: it returns deleted rows and
// drops moved ones, so rows are walked here and only cracked by libmdb.
constexpr quint32 DeletedRow = 0x8000;
constexpr quint32 MovedRow = 0x4000;
constexpr quint32 OffsetMask = 0x1fff;

constexpr int DataPage = 0x01;
constexpr int DefinitionPage = 0x02;
constexpr int MapPage = 0x05;
constexpr quint32 CataloguePage = 2;
constexpr qint64 MinPages = 4;
constexpr int MaxDefinitionPages = 64;
constexpr int MaxMoves = 8;
constexpr int MaxColumns = 255;
constexpr int MaxIndexes = 256;
constexpr int MemoHeader = 12;

// Offsets that differ between Jet 3 and Jet 4 (table definitions, data pages).
struct Layout
{
    int pageSize;
    int rowCountOffset;
    int numVarCols, numCols, numIndexes, numRealIndexes, usageMap, freeMap, columnsStart;
    int realIndexHeader;
    int columnEntry, columnNumber, columnFlags, columnFixedOffset, columnSize;
    int nameLengthBytes, maxNameBytes;
    int realIndexBlock, realIndexColumns, realIndexUsage, realIndexRoot;
    int logicalIndexEntry, logicalIndexReal, logicalIndexType;
};

constexpr Layout jet3Layout()
{
    Layout l{};
    l.pageSize = 2048;
    l.rowCountOffset = 8;
    l.numVarCols = 23;
    l.numCols = 25;
    l.numIndexes = 27;
    l.numRealIndexes = 31;
    l.usageMap = 35;
    l.freeMap = 39;
    l.columnsStart = 43;
    l.realIndexHeader = 8;
    l.columnEntry = 18;
    l.columnNumber = 1;
    l.columnFlags = 13;
    l.columnFixedOffset = 14;
    l.columnSize = 16;
    l.nameLengthBytes = 1;
    l.maxNameBytes = 64;
    l.realIndexBlock = 39;
    l.realIndexColumns = 0;
    l.realIndexUsage = 30;
    l.realIndexRoot = 34;
    l.logicalIndexEntry = 20;
    l.logicalIndexReal = 4;
    l.logicalIndexType = 19;
    return l;
}

constexpr Layout jet4Layout()
{
    Layout l{};
    l.pageSize = 4096;
    l.rowCountOffset = 12;
    l.numVarCols = 43;
    l.numCols = 45;
    l.numIndexes = 47;
    l.numRealIndexes = 51;
    l.usageMap = 55;
    l.freeMap = 59;
    l.columnsStart = 63;
    l.realIndexHeader = 12;
    l.columnEntry = 25;
    l.columnNumber = 5;
    l.columnFlags = 15;
    l.columnFixedOffset = 21;
    l.columnSize = 23;
    l.nameLengthBytes = 2;
    l.maxNameBytes = 128; // 64 characters of UCS-2
    l.realIndexBlock = 52;
    l.realIndexColumns = 4;
    l.realIndexUsage = 34;
    l.realIndexRoot = 38;
    l.logicalIndexEntry = 28;
    l.logicalIndexReal = 8;
    l.logicalIndexType = 23;
    return l;
}

constexpr Layout Jet3 = jet3Layout();
constexpr Layout Jet4 = jet4Layout();

quint32 get16(const unsigned char *p, qsizetype at)
{
    return quint32(p[at]) | quint32(p[at + 1]) << 8;
}

quint32 get24(const unsigned char *p, qsizetype at)
{
    return get16(p, at) | quint32(p[at + 2]) << 16;
}

quint32 get32(const unsigned char *p, qsizetype at)
{
    return get16(p, at) | get16(p, at + 2) << 16;
}

const unsigned char *bytes(const QByteArray &b)
{
    return reinterpret_cast<const unsigned char *>(b.constData());
}

struct RowSpan
{
    int start = 0;
    int end = 0;
    quint32 flags = 0;
};

// Slot `row` of a data page: from its offset to the previous slot's offset (rows are stored
// from the end of the page). False when the row table or the offsets leave the page.
bool rowSpan(const unsigned char *page, const Layout &l, int row, RowSpan *span)
{
    const int rows = int(get16(page, l.rowCountOffset));
    const int tableEnd = l.rowCountOffset + 2 + rows * 2;
    if (row < 0 || row >= rows || tableEnd > l.pageSize)
        return false;
    const quint32 raw = get16(page, l.rowCountOffset + 2 + row * 2);
    const int start = int(raw & OffsetMask);
    const int end =
        row == 0 ? l.pageSize : int(get16(page, l.rowCountOffset + row * 2) & OffsetMask);
    if (start < tableEnd || start >= end || end > l.pageSize)
        return false;
    *span = {start, end, raw & (DeletedRow | MovedRow)};
    return true;
}

AccessColumn::Type apiType(int mdbType)
{
    switch (mdbType) {
    case MDB_TEXT:
        return AccessColumn::Type::Text;
    case MDB_MEMO:
        return AccessColumn::Type::Memo;
    case MDB_FLOAT:
        return AccessColumn::Type::Single;
    case MDB_DOUBLE:
        return AccessColumn::Type::Double;
    case MDB_BYTE:
    case MDB_INT:
    case MDB_LONGINT:
        return AccessColumn::Type::Integer;
    case MDB_DATETIME:
        return AccessColumn::Type::Date;
    case MDB_BOOL:
        return AccessColumn::Type::Boolean;
    default:
        return AccessColumn::Type::Other;
    }
}

// Bytes a fixed value of the type needs; 0 when the type has no fixed size to check.
int fixedSize(int mdbType)
{
    switch (mdbType) {
    case MDB_BYTE:
        return 1;
    case MDB_INT:
        return 2;
    case MDB_LONGINT:
    case MDB_FLOAT:
        return 4;
    case MDB_DOUBLE:
    case MDB_DATETIME:
    case MDB_MONEY:
        return 8;
    default:
        return 0;
    }
}

// A Single reads as Access shows it (0.1, not 0.100000001490116); no locale is involved.
double widenSingle(float value)
{
    return asSingle(value).value_or(double(value));
}

// An OLE automation date: days since 1899-12-30, the fraction is the time of day (also for
// negative values, where it counts forward from the whole day's start).
bool oleDate(double value, QDateTime *result)
{
    // Access keeps years 100 to 9999.
    if (!std::isfinite(value) || value < -657434.0 || value >= 2958466.0)
        return false;
    const double whole = std::trunc(value);
    qint64 days = qint64(whole);
    qint64 ms = std::llround(std::fabs(value - whole) * 86400000.0);
    if (ms >= 86400000) {
        ms -= 86400000;
        ++days;
    }
    *result = QDateTime(QDate(1899, 12, 30).addDays(days), QTime::fromMSecsSinceStartOfDay(int(ms)),
                        Qt::UTC);
    return true;
}

QString fileMessage(const QString &path, const QString &text)
{
    return QStringLiteral("Soubor '%1' %2").arg(path, text);
}

QString damaged(const QString &path)
{
    return fileMessage(path, QStringLiteral("je poškozený nebo neúplný a nelze jej načíst."));
}

struct ColumnDef
{
    QString name;
    int type = 0;
    int number = 0; // position in the row's null mask (counts deleted columns too)
    int size = 0;   // as stored: bytes
    bool fixed = false;
};

struct TableDef
{
    QString name;
    quint32 page = 0;
    std::vector<ColumnDef> columns; // in column order
    QStringList primaryKey;
    std::vector<quint32> pages; // the pages the usage map gives the table
    QByteArray properties;      // the LvProp blob, until read
    QSet<QString> required;     // lower-case names of the columns stated Required
    MdbCatalogEntry entry{};    // libmdb reads the definition through one
    MdbTableDef *mdb = nullptr; // for mdb_crack_row
};

} // namespace

struct AccessFile::Impl
{
    QString path;
    MdbHandle *mdb = nullptr;
    const Layout *layout = &Jet4;
    int jet = 4;
    quint32 pageCount = 0;
    std::vector<std::unique_ptr<TableDef>> tables; // user tables in catalogue order
    std::vector<char> textBuffer;
    TableDef catalogue; // MSysObjects

    ~Impl()
    {
        for (auto &table : tables)
            if (table->mdb)
                mdb_free_tabledef(table->mdb);
        if (catalogue.mdb)
            mdb_free_tabledef(catalogue.mdb);
        if (mdb)
            mdb_close(mdb);
    }

    // Decrypted page into libmdb's second buffer, which row cracking does not use.
    const unsigned char *readAltPage(quint32 page)
    {
        if (page == 0 || page >= pageCount)
            return nullptr;
        if (mdb_read_alt_pg(mdb, page) != layout->pageSize)
            return nullptr;
        return mdb->alt_pg_buf;
    }

    // Into the main buffer, where mdb_crack_row looks.
    bool readMainPage(quint32 page)
    {
        if (page == 0 || page >= pageCount)
            return false;
        return mdb_read_pg(mdb, page) == layout->pageSize;
    }

    bool isDataPageOf(const unsigned char *page, quint32 table) const
    {
        return page[0] == DataPage && get32(page, 4) == table;
    }

    QString decodeText(const char *data, int size)
    {
        if (size <= 0)
            return QStringLiteral("");
        // UTF-8 needs at most 3 bytes per stored byte (CP1250), and libmdb keeps one for
        // the terminating zero.
        const size_t capacity = size_t(size) * 3 + 4;
        if (textBuffer.size() < capacity)
            textBuffer.resize(capacity);
        const int n = mdb_unicode2ascii(mdb, data, size_t(size), textBuffer.data(), capacity);
        return QString::fromUtf8(textBuffer.data(), qMax(0, n));
    }

    Result<void> setUpText();
    bool readDefinition(TableDef &table);
    bool readMapPages(TableDef &table, const QByteArray &map);
    const unsigned char *mapRow(quint32 pageRow, int *length);
    bool readLongValue(const unsigned char *header, int size, QByteArray *value);
    Result<void> readCatalogue();
    TableDef *find(const QString &name) const
    {
        for (const auto &table : tables)
            if (table->name.compare(name, Qt::CaseInsensitive) == 0)
                return table.get();
        return nullptr;
    }
    bool attach(TableDef &table);
    // `wanted` (one flag per column) leaves the other columns Null and unread.
    Result<void> walkRows(TableDef &table,
                          const std::function<void(const QVector<QVariant> &)> &onRow,
                          const std::vector<bool> &wanted = {});
    bool decodeRow(TableDef &table, const RowSpan &span, std::vector<MdbField> &fields,
                   QVector<QVariant> &values, const std::vector<bool> &wanted);
};

// libmdb picks its converters from MDBICONV and MDB_JET3_CHARSET when the file is opened.
// They are replaced here so texts always come as UTF-8 and Jet 3 texts default to the Czech
// code page, without changing the process environment under other threads.
Result<void> AccessFile::Impl::setUpText()
{
    QByteArray charset = "UCS-2LE";
    if (jet == 3) {
        charset = qgetenv("MDB_JET3_CHARSET");
        if (charset.isEmpty())
            charset = "CP1250";
    }
    mdb_iconv_close(mdb);
    mdb->iconv_in = iconv_open("UTF-8", charset.constData());
    mdb->iconv_out = iconv_open(charset.constData(), "UTF-8");
    if (mdb->iconv_in == iconv_t(-1) || mdb->iconv_out == iconv_t(-1))
        return Failure{QStringLiteral("Znakovou sadu '%1' pro texty databáze Access nelze použít.")
                           .arg(QString::fromLatin1(charset))};
    return {};
}

// The row of a usage map (page number << 8 | row): its bytes in the second buffer.
const unsigned char *AccessFile::Impl::mapRow(quint32 pageRow, int *length)
{
    const unsigned char *page = readAltPage(pageRow >> 8);
    RowSpan span;
    if (!page || page[0] != DataPage || !rowSpan(page, *layout, int(pageRow & 0xff), &span))
        return nullptr;
    *length = span.end - span.start;
    return page + span.start;
}

// Every page a usage map marks, each of which must lie in the file (a truncated file loses
// the pages at its end).
bool AccessFile::Impl::readMapPages(TableDef &table, const QByteArray &map)
{
    const unsigned char *m = bytes(map);
    const int size = int(map.size());
    table.pages.clear();
    auto add = [&](quint64 page) {
        if (page == 0 || page >= pageCount)
            return false;
        table.pages.push_back(quint32(page));
        return true;
    };
    if (size >= 5 && m[0] == 0) {
        // The bitmap follows, its first bit standing for the start page.
        const quint64 first = get32(m, 1);
        for (int byte = 5; byte < size; ++byte)
            for (int bit = 0; m[byte] && bit < 8; ++bit)
                if ((m[byte] & (1 << bit)) && !add(first + quint64(byte - 5) * 8 + quint64(bit)))
                    return false;
        return true;
    }
    if (size >= 1 && m[0] == 1) {
        // Pointers to bitmap pages, each covering the same number of pages in turn.
        const quint64 perPage = quint64(layout->pageSize - 4) * 8;
        for (int i = 0; 1 + (i + 1) * 4 <= size; ++i) {
            const quint32 mapPage = get32(m, 1 + i * 4);
            if (mapPage == 0)
                continue;
            const unsigned char *bits = readAltPage(mapPage);
            if (!bits || bits[0] != MapPage)
                return false;
            for (int byte = 0; byte < layout->pageSize - 4; ++byte)
                for (int bit = 0; bits[4 + byte] && bit < 8; ++bit)
                    if ((bits[4 + byte] & (1 << bit)) &&
                        !add(quint64(i) * perPage + quint64(byte) * 8 + quint64(bit)))
                        return false;
        }
        return true;
    }
    return false;
}

// Parses a table definition (which may span several pages) with bounds checks, before
// libmdb, which trusts every count and length in it, is let near it.
bool AccessFile::Impl::readDefinition(TableDef &table)
{
    const Layout &l = *layout;
    QByteArray def;
    QSet<quint32> seen;
    for (quint32 page = table.page; page != 0;) {
        if (seen.contains(page) || seen.size() >= MaxDefinitionPages)
            return false;
        seen.insert(page);
        const unsigned char *p = readAltPage(page);
        if (!p || p[0] != DefinitionPage)
            return false;
        // Continuation pages go on after their 8-byte header, as libmdb reads them.
        const int from = def.isEmpty() ? 0 : 8;
        def.append(reinterpret_cast<const char *>(p) + from, l.pageSize - from);
        page = get32(p, 4);
    }
    const unsigned char *d = bytes(def);
    const qsizetype size = def.size();
    const int numVarCols = int(get16(d, l.numVarCols));
    const int numCols = int(get16(d, l.numCols));
    const quint32 numIndexes = get32(d, l.numIndexes);
    const quint32 numReal = get32(d, l.numRealIndexes);
    if (numCols < 1 || numCols > MaxColumns || numVarCols > numCols || numIndexes > MaxIndexes ||
        numReal > MaxIndexes)
        return false;

    qsizetype pos = l.columnsStart + qsizetype(numReal) * l.realIndexHeader;
    auto fits = [&](qsizetype n) { return n >= 0 && pos + n <= size; };

    table.columns.assign(size_t(numCols), ColumnDef());
    QSet<int> numbers;
    for (ColumnDef &c : table.columns) {
        if (!fits(l.columnEntry))
            return false;
        const unsigned char *e = d + pos;
        c.type = e[0];
        c.number = int(get16(e, l.columnNumber));
        c.fixed = e[l.columnFlags] & 0x01;
        c.size = int(get16(e, l.columnSize));
        const int offset = int(get16(e, l.columnFixedOffset));
        if (c.number >= MaxColumns + 1 || numbers.contains(c.number))
            return false;
        if (c.fixed && offset + c.size > l.pageSize)
            return false;
        if (c.fixed && c.type != MDB_BOOL && fixedSize(c.type) && c.size < fixedSize(c.type))
            return false;
        numbers.insert(c.number);
        pos += l.columnEntry;
    }
    auto readName = [&](QString *name) {
        if (!fits(l.nameLengthBytes))
            return false;
        const int n = int(l.nameLengthBytes == 2 ? get16(d, pos) : d[pos]);
        pos += l.nameLengthBytes;
        if (n > l.maxNameBytes || !fits(n))
            return false;
        *name = decodeText(def.constData() + pos, n);
        pos += n;
        return true;
    };
    for (ColumnDef &c : table.columns)
        if (!readName(&c.name))
            return false;

    // Index blocks: only the columns of the primary key are wanted, the rest is checked.
    std::vector<std::vector<int>> realColumns;
    for (quint32 i = 0; i < numReal; ++i) {
        if (!fits(l.realIndexBlock))
            return false;
        const unsigned char *e = d + pos;
        // Ten key slots; an index naming an unknown column gives no key at all.
        std::vector<int> keys;
        for (int k = 0; k < 10; ++k) {
            const quint32 number = get16(e, l.realIndexColumns + k * 3);
            if (number == 0xffff)
                continue;
            if (!numbers.contains(int(number))) {
                keys.clear();
                break;
            }
            keys.push_back(int(number));
        }
        if (get32(e, l.realIndexUsage) >> 8 >= pageCount || get32(e, l.realIndexRoot) >= pageCount)
            return false;
        realColumns.push_back(keys);
        pos += l.realIndexBlock;
    }
    int primary = -1;
    for (quint32 i = 0; i < numIndexes; ++i) {
        if (!fits(l.logicalIndexEntry))
            return false;
        // Logical indexes point to the physical one holding their columns.
        const quint32 real = get32(d + pos, l.logicalIndexReal);
        if (real < numReal && d[pos + l.logicalIndexType] == 0x01 && primary < 0)
            primary = int(real);
        pos += l.logicalIndexEntry;
    }
    for (quint32 i = 0; i < numIndexes; ++i) {
        QString ignored;
        if (!readName(&ignored))
            return false;
    }

    std::sort(table.columns.begin(), table.columns.end(),
              [](const ColumnDef &a, const ColumnDef &b) { return a.number < b.number; });
    table.primaryKey.clear();
    if (primary >= 0)
        for (int number : realColumns[size_t(primary)])
            for (const ColumnDef &c : table.columns)
                if (c.number == number)
                    table.primaryKey << c.name;

    // The usage map lists the data pages; the free-space map is only copied by libmdb.
    int length = 0;
    const unsigned char *freeMap = mapRow(get32(d, l.freeMap), &length);
    if (!freeMap || length > l.pageSize)
        return false;
    const unsigned char *usage = mapRow(get32(d, l.usageMap), &length);
    if (!usage)
        return false;
    return readMapPages(table, QByteArray(reinterpret_cast<const char *>(usage), length));
}

// libmdb's own view of the checked definition, for mdb_crack_row; it must agree with ours.
bool AccessFile::Impl::attach(TableDef &table)
{
    table.entry.mdb = mdb;
    table.entry.object_type = MDB_TABLE;
    table.entry.table_pg = table.page;
    const QByteArray name = table.name.toUtf8().left(MDB_MAX_OBJ_NAME);
    std::memcpy(table.entry.object_name, name.constData(), size_t(name.size()));
    table.entry.object_name[name.size()] = '\0';

    table.mdb = mdb_read_table(&table.entry);
    if (!table.mdb || !mdb_read_columns(table.mdb))
        return false;
    if (table.mdb->num_cols != table.columns.size() || !table.mdb->columns ||
        table.mdb->columns->len != table.columns.size())
        return false;
    for (size_t i = 0; i < table.columns.size(); ++i) {
        const auto *col = static_cast<const MdbColumn *>(g_ptr_array_index(table.mdb->columns, i));
        const ColumnDef &c = table.columns[i];
        if (col->col_num != c.number || col->col_type != c.type || bool(col->is_fixed) != c.fixed)
            return false;
    }
    return true;
}

// A Memo or OLE value: its 12-byte header in the row, the data inline or in LVAL pages.
bool AccessFile::Impl::readLongValue(const unsigned char *header, int size, QByteArray *value)
{
    if (size < MemoHeader)
        return false;
    const quint32 word = get32(header, 0);
    const quint32 length = word & 0x3fffffff;
    if (quint64(length) > quint64(pageCount) * quint64(layout->pageSize))
        return false;
    value->clear();

    auto lvalRow = [&](quint32 pageRow, QByteArray *row) {
        const unsigned char *page = readAltPage(pageRow >> 8);
        RowSpan span;
        if (!page || page[0] != DataPage || std::memcmp(page + 4, "LVAL", 4) != 0 ||
            !rowSpan(page, *layout, int(pageRow & 0xff), &span))
            return false;
        *row = QByteArray(reinterpret_cast<const char *>(page) + span.start, span.end - span.start);
        return true;
    };

    // A value shorter than its stated length is damage, not a shorter text.
    switch (word & 0xc0000000) {
    case 0x80000000: // inline
        if (int(length) > size - MemoHeader)
            return false;
        *value = QByteArray(reinterpret_cast<const char *>(header) + MemoHeader, int(length));
        return true;
    case 0x40000000: // one LVAL row
        if (!lvalRow(get32(header, 4), value) || quint32(value->size()) < length)
            return false;
        value->truncate(length);
        return true;
    case 0: { // a chain of LVAL rows, each starting with the next one's page and row
        quint32 next = get32(header, 4);
        for (quint32 hops = 0; next != 0 && quint32(value->size()) < length; ++hops) {
            QByteArray row;
            if (hops >= pageCount || !lvalRow(next, &row) || row.size() < 4)
                return false;
            next = get32(bytes(row), 0);
            value->append(row.mid(4));
        }
        if (quint32(value->size()) < length)
            return false;
        value->truncate(length);
        return true;
    }
    default:
        return false;
    }
}

// One row already in libmdb's main page buffer: cracked by libmdb, values read from the
// stored bytes (libmdb's own conversion prints numbers and dates through printf formats,
// which follow the process locale).
bool AccessFile::Impl::decodeRow(TableDef &table, const RowSpan &span,
                                 std::vector<MdbField> &fields, QVector<QVariant> &values,
                                 const std::vector<bool> &wanted)
{
    const int rowColumns =
        mdb_crack_row(table.mdb, span.start, size_t(span.end - span.start), fields.data());
    if (rowColumns < 0)
        return false;
    const unsigned char *page = mdb->pg_buf;
    for (size_t i = 0; i < table.columns.size(); ++i) {
        const ColumnDef &c = table.columns[i];
        const MdbField &f = fields[i];
        QVariant &v = values[int(i)];
        if (!wanted.empty() && !wanted[i]) {
            v = QVariant();
            continue;
        }
        // A column added after the row was written has no place in it.
        const bool present = c.number < rowColumns;
        if (c.type == MDB_BOOL) {
            v = present && !f.is_null;
            continue;
        }
        if (!present || f.is_null) {
            v = QVariant();
            continue;
        }
        if (f.siz < 0 || f.start < span.start || f.start + f.siz > span.end)
            return false;
        const unsigned char *p = page + f.start;
        const int need = fixedSize(c.type);
        if (need && f.siz < need)
            return false;
        switch (c.type) {
        case MDB_TEXT:
            v = decodeText(reinterpret_cast<const char *>(p), f.siz);
            break;
        case MDB_MEMO: {
            QByteArray stored;
            if (!readLongValue(p, f.siz, &stored))
                return false;
            v = decodeText(stored.constData(), int(stored.size()));
            break;
        }
        case MDB_OLE: {
            QByteArray stored;
            if (!readLongValue(p, f.siz, &stored))
                return false;
            v = stored;
            break;
        }
        case MDB_BYTE:
            v = qlonglong(p[0]);
            break;
        case MDB_INT:
            v = qlonglong(qint16(get16(p, 0)));
            break;
        case MDB_LONGINT:
            v = qlonglong(qint32(get32(p, 0)));
            break;
        case MDB_FLOAT:
            v = widenSingle(mdb_get_single(const_cast<unsigned char *>(p), 0));
            break;
        case MDB_DOUBLE:
            v = mdb_get_double(const_cast<unsigned char *>(p), 0);
            break;
        case MDB_DATETIME: {
            QDateTime when;
            if (!oleDate(mdb_get_double(const_cast<unsigned char *>(p), 0), &when))
                return false;
            v = when;
            break;
        }
        default:
            v = QByteArray(reinterpret_cast<const char *>(p), f.siz);
            break;
        }
    }
    return true;
}

Result<void> AccessFile::Impl::walkRows(TableDef &table,
                                        const std::function<void(const QVector<QVariant> &)> &onRow,
                                        const std::vector<bool> &wanted)
{
    const Layout &l = *layout;
    std::vector<MdbField> fields(table.columns.size());
    QVector<QVariant> values(int(table.columns.size()));
    auto fail = [&](quint32 page) {
        return Failure{QStringLiteral("Tabulku '%1' nelze přečíst: soubor '%2' je poškozený "
                                      "(stránka %3).")
                           .arg(table.name, path)
                           .arg(page)};
    };

    for (const quint32 page : table.pages) {
        if (!readMainPage(page))
            return fail(page);
        // The usage map may also hold pages of other kinds.
        if (!isDataPageOf(mdb->pg_buf, table.page))
            continue;
        const int rows = int(get16(mdb->pg_buf, l.rowCountOffset));
        if (l.rowCountOffset + 2 + rows * 2 > l.pageSize)
            return fail(page);
        for (int row = 0; row < rows; ++row) {
            // onRow may have read other pages (a nested readRows), and a moved row others.
            if (mdb->cur_pg != page && !readMainPage(page))
                return fail(page);
            const quint32 raw = get16(mdb->pg_buf, l.rowCountOffset + 2 + row * 2);
            if (raw & DeletedRow)
                continue; // also the new places of moved rows: they are reached from the old
            RowSpan span;
            if (!rowSpan(mdb->pg_buf, l, row, &span))
                return fail(page);
            quint32 at = page;
            for (int moves = 0; span.flags & MovedRow; ++moves) {
                // The old place keeps the new one: row number, then a 3-byte page number.
                if (moves >= MaxMoves || span.end - span.start < 4)
                    return fail(at);
                const int newRow = mdb->pg_buf[span.start];
                at = get24(mdb->pg_buf, span.start + 1);
                if (!readMainPage(at) || !isDataPageOf(mdb->pg_buf, table.page) ||
                    !rowSpan(mdb->pg_buf, l, newRow, &span))
                    return fail(at);
                // The new place is marked deleted; only a further move counts there.
                span.flags &= MovedRow;
            }
            if (!decodeRow(table, span, fields, values, wanted))
                return fail(at);
            onRow(values);
        }
    }
    return {};
}

// The user tables from MSysObjects, read with the same row walk (libmdb's catalogue reader
// would list deleted tables too).
Result<void> AccessFile::Impl::readCatalogue()
{
    catalogue.name = QStringLiteral("MSysObjects");
    catalogue.page = CataloguePage;
    if (!readDefinition(catalogue) || !attach(catalogue))
        return Failure{damaged(path)};
    auto column = [&](const char *name) {
        for (size_t i = 0; i < catalogue.columns.size(); ++i)
            if (catalogue.columns[i].name.compare(QLatin1String(name), Qt::CaseInsensitive) == 0)
                return int(i);
        return -1;
    };
    const int id = column("Id"), name = column("Name"), type = column("Type"),
              flags = column("Flags"), properties = column("LvProp");
    if (id < 0 || name < 0 || type < 0)
        return Failure{damaged(path)};

    // Forms, modules and queries keep long values there too; they are not read.
    std::vector<bool> wanted(catalogue.columns.size(), false);
    for (const int i : {id, name, type, flags, properties})
        if (i >= 0)
            wanted[size_t(i)] = true;

    QSet<QString> names;
    std::vector<std::unique_ptr<TableDef>> found;
    const Result<void> read = walkRows(
        catalogue,
        [&](const QVector<QVariant> &row) {
            // System tables carry flag bits; MSys* and "~" names are hidden by Access too.
            const QString tableName = row[name].toString();
            const quint32 objectFlags = flags < 0 ? 0 : quint32(row[flags].toLongLong());
            if (row[type].toLongLong() != MDB_TABLE || (objectFlags & 0x80000002u) ||
                tableName.isEmpty() ||
                tableName.startsWith(QLatin1String("MSys"), Qt::CaseInsensitive) ||
                tableName.startsWith(QLatin1Char('~')) || names.contains(tableName.toLower()))
                return;
            names.insert(tableName.toLower());
            auto table = std::make_unique<TableDef>();
            table->name = tableName;
            table->page = quint32(row[id].toLongLong()) & 0x00ffffff;
            if (properties >= 0)
                table->properties = row[properties].toByteArray();
            found.push_back(std::move(table));
        },
        wanted);
    if (!read)
        return Failure{damaged(path)};

    for (auto &table : found) {
        if (!readDefinition(*table) || !attach(*table))
            return Failure{fileMessage(path, QStringLiteral("je poškozený nebo neúplný: tabulku "
                                                            "'%1' nelze načíst.")
                                                 .arg(table->name))};
        const QSet<QString> flagged = detail::objectsWithFlag(
            table->properties, QStringLiteral("Required"),
            [this](const char *data, int size) { return decodeText(data, size); });
        for (const QString &object : flagged)
            table->required.insert(object.toLower());
        table->properties.clear();
        tables.push_back(std::move(table));
    }
    return {};
}

AccessFile::AccessFile(std::unique_ptr<Impl> impl) : d(std::move(impl)) {}

AccessFile::~AccessFile() = default;
AccessFile::AccessFile(AccessFile &&) noexcept = default;
AccessFile &AccessFile::operator=(AccessFile &&) noexcept = default;

Result<AccessFile> AccessFile::open(const QString &path)
{
    switch (detectFormat(path)) {
    case FileFormat::Missing:
        return Failure{fileMessage(path, QStringLiteral("neexistuje."))};
    case FileFormat::Empty:
        return Failure{fileMessage(path, QStringLiteral("je prázdný."))};
    case FileFormat::Tamvel:
        return Failure{fileMessage(path, QStringLiteral("není databáze Access, je to už databáze "
                                                        "programu Tamvel."))};
    case FileFormat::Unknown:
        return Failure{fileMessage(path, QStringLiteral("není databáze Access (.mdb) nebo jej "
                                                        "nelze číst."))};
    case FileFormat::Access:
        break;
    }

    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return Failure{fileMessage(path, QStringLiteral("nelze číst: %1").arg(file.errorString()))};
    const qint64 size = file.size();
    const QByteArray head = file.read(0x20);
    file.close();
    if (head.size() < 0x20 || head[0] != 0)
        return Failure{damaged(path)};
    // Jet 3 has 2 KiB pages; Jet 4 and the later Access versions 4 KiB.
    const int version = uchar(head[0x14]);
    if (version > MDB_VER_ACCDB_2019)
        return Failure{
            fileMessage(path, QStringLiteral("je v nepodporované verzi formátu Access."))};
    auto d = std::make_unique<Impl>();
    d->path = path;
    d->jet = version == MDB_VER_JET3 ? 3 : 4;
    d->layout = d->jet == 3 ? &Jet3 : &Jet4;
    if (size % d->layout->pageSize != 0 || size / d->layout->pageSize < MinPages ||
        size / d->layout->pageSize > 0xffffff)
        return Failure{damaged(path)};
    d->pageCount = quint32(size / d->layout->pageSize);

    d->mdb = mdb_open(QFile::encodeName(path).constData(), MDB_NOFLAGS);
    if (!d->mdb)
        return Failure{fileMessage(path, QStringLiteral("nelze otevřít jako databázi Access."))};
    if (int(d->mdb->f->jet_version) != version || d->mdb->fmt->pg_size != d->layout->pageSize)
        return Failure{damaged(path)};
    if (const Result<void> text = d->setUpText(); !text)
        return Failure{text.error()};
    if (const Result<void> catalogue = d->readCatalogue(); !catalogue)
        return Failure{catalogue.error()};
    return AccessFile(std::move(d));
}

int AccessFile::jetVersion() const
{
    return d->jet;
}

QStringList AccessFile::tableNames() const
{
    QStringList names;
    for (const auto &table : d->tables)
        names << table->name;
    return names;
}

std::optional<AccessTable> AccessFile::table(const QString &name) const
{
    const TableDef *t = d->find(name);
    if (!t)
        return std::nullopt;
    AccessTable result;
    result.name = t->name;
    result.primaryKey = t->primaryKey;
    for (const ColumnDef &c : t->columns) {
        int size = c.size;
        if (c.type == MDB_TEXT && d->jet == 4)
            size /= 2; // stored as UCS-2
        else if (c.type == MDB_BOOL || c.type == MDB_MEMO || c.type == MDB_OLE)
            size = 0;
        result.columns.push_back(
            {c.name, apiType(c.type), size, t->required.contains(c.name.toLower())});
    }
    return result;
}

Result<void> AccessFile::readRows(const QString &table,
                                  const std::function<void(const QVector<QVariant> &)> &onRow) const
{
    TableDef *t = d->find(table);
    if (!t)
        return Failure{
            QStringLiteral("Tabulka '%1' v souboru '%2' neexistuje.").arg(table, d->path)};
    return d->walkRows(*t, onRow);
}

} // namespace tamvel::legacy
