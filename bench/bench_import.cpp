// Bringing a large register over from the Access format. No Access writer is at hand, so
// the reader and the rest are measured apart:
//  - readAccess: every row of every table of a test database, the per-row cost of reading;
//  - the import of 100,000 risks (and their tables) of the current structure into a new
//    database, alternated (Alternate.h) with the engine inserting the same rows into the
//    same tables;
//  - importOldest: the same register in the oldest structure, conversions included.
//
//   build/bench/bench_import [--risks N] [--pairs N]   (default 100000 risks, 5 pairs)

#include "Alternate.h"
#include "BenchArguments.h"
#include "GoogleBenchmark.h"

#include "app/DemoDatabase.h"
#include "core/Messages.h"
#include "db/Database.h"
#include "db/Schema.h"
#include "legacy/AccessFile.h"
#include "legacy/Import.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdio>

using namespace tamvel;

namespace {

int g_risks = 100000;
QString g_folder;
QString g_demo;
QString g_fixture;

// The demo register's tables as an Access file would hand them over, in a structure.
class DemoSource : public legacy::TableSource
{
public:
    // accessDates: dates as the Access reader gives them; else as the engine stores them.
    DemoSource(Database &db, int structure, bool accessDates = true)
        : m_db(db), m_structure(structure), m_accessDates(accessDates)
    {
    }

    QStringList tableNames() const override
    {
        QStringList names;
        for (const schema::Table &t : schema::tables(m_structure))
            names << t.name;
        return names;
    }
    std::optional<legacy::AccessTable> table(const QString &name) const override
    {
        legacy::AccessTable table{name, {}, {}};
        for (const schema::Field &f : schema::table(name, m_structure).fields)
            table.columns.append(
                {f.name,
                 f.type == schema::FieldType::Text   ? legacy::AccessColumn::Type::Text
                 : f.type == schema::FieldType::Date ? legacy::AccessColumn::Type::Date
                                                     : legacy::AccessColumn::Type::Single,
                 f.size, f.required});
        return table;
    }
    Result<void>
    readRows(const QString &name,
             const std::function<void(const QVector<QVariant> &)> &onRow) const override
    {
        const schema::Table &layout = schema::table(name, m_structure);
        QVector<QVariant> row(layout.fields.size());
        m_db.forEach(QStringLiteral("SELECT %1 FROM %2")
                         .arg(layout.fieldNames().join(QLatin1Char(',')), name),
                     {}, [&](const RowView &view) {
                         for (int i = 0; i < row.size(); ++i) {
                             QVariant value = view.value(i);
                             if (m_accessDates &&
                                 layout.fields[i].type == schema::FieldType::Date &&
                                 value.isValid())
                                 value = QDateTime(Database::toDate(value), QTime(), Qt::UTC);
                             row[i] = std::move(value);
                         }
                         onRow(row);
                     });
        return {};
    }

private:
    Database &m_db;
    int m_structure;
    bool m_accessDates;
};

class GoOn : public Messages
{
public:
    void inform(const QString &, const QString &) override {}
    void warn(const QString &, const QString &) override {}
    void fail(const QString &, const QString &text) override
    {
        std::fprintf(stderr, "%s\n", qPrintable(text));
    }
    bool ask(const QString &, const QString &, Tone) override { return true; }
};

void import(benchmark::State &state, int structure)
{
    auto demo = Database::open(g_demo);
    const DemoSource source(*demo, structure);
    const QString target = g_folder + QStringLiteral("/target.mdb");
    for (auto _ : state) {
        state.PauseTiming();
        QFile::remove(target);
        state.ResumeTiming();
        GoOn messages;
        if (!legacy::importTables(source, g_demo, target, false, messages))
            state.SkipWithError("import failed");
    }
}

void importOldest(benchmark::State &state)
{
    import(state, 0);
}

// The current structure's import, once; true when it was written.
bool importOnce(const DemoSource &source)
{
    GoOn messages;
    return legacy::importTables(source, g_demo, g_folder + QStringLiteral("/target.mdb"), false,
                                messages)
        .has_value();
}

// An empty database of the current structure for the floor, made untimed.
std::unique_ptr<Database> emptyFloor()
{
    const QString target = g_folder + QStringLiteral("/floor.mdb");
    QFile::remove(target);
    auto db = Database::create(target);
    schema::createStructure(*db);
    for (const char *table : {"uzivatelske_nastaveni", "uzivatele", "skupiny"})
        db->execute(QStringLiteral("DELETE FROM ") + QString::fromUtf8(table));
    return db;
}

// The same rows, read the same way, inserted by the engine into the same tables with
// nothing checked or converted by the program.
void insertFloor(Database &db, const DemoSource &source)
{
    inTransaction(db, [&] {
        for (const schema::Table &table : schema::tables()) {
            const QString insert =
                QStringLiteral("INSERT INTO %1 VALUES (%2)")
                    .arg(table.name, QStringList(table.fields.size(), QStringLiteral("?"))
                                         .join(QLatin1Char(',')));
            static_cast<void>(source.readRows(table.name, [&](const QVector<QVariant> &row) {
                db.execute(insert, Values(row.begin(), row.end()));
            }));
        }
    });
}

void readAccess(benchmark::State &state)
{
    const auto file = legacy::AccessFile::open(g_fixture);
    if (!file) {
        state.SkipWithError(qPrintable(file.error()));
        return;
    }
    qint64 rows = 0;
    for (auto _ : state)
        for (const QString &table : file->tableNames())
            static_cast<void>(file->readRows(table, [&](const QVector<QVariant> &row) {
                benchmark::DoNotOptimize(row.data());
                ++rows;
            }));
    state.counters[QStringLiteral("rows").toStdString()] =
        benchmark::Counter(double(rows), benchmark::Counter::kIsRate);
}

} // namespace

BENCHMARK(readAccess)->Unit(benchmark::kMicrosecond);
BENCHMARK(importOldest)->Unit(benchmark::kMillisecond);

int main(int argc, char **argv)
{
    g_risks = risksArgument(argc, argv, g_risks);
    QCoreApplication app(argc, argv);
    initializeBenchmark(&argc, &argv);

    QTemporaryDir dir;
    g_folder = dir.path();
    g_demo = dir.filePath(QStringLiteral("demo.mdb"));
    demo::writeDemoDatabase(g_demo, g_risks);
    g_fixture = dir.filePath(QStringLiteral("legacy.mdb"));
    QFile::copy(QStringLiteral(TAMVEL_LEGACY_FIXTURES "/legacy-v3.mdb"), g_fixture);

    benchmark::RunSpecifiedBenchmarks();

    auto demo = Database::open(g_demo);
    const DemoSource imported(*demo, StructureVersion);
    const DemoSource inserted(*demo, StructureVersion, false);
    std::unique_ptr<Database> floor;
    bool failed = false;
    const bench::Ratios ratios = bench::alternate(
        "import / engine inserts", bench::pairsArgument(argc, argv),
        [&] { failed = !importOnce(imported) || failed; }, [&] { insertFloor(*floor, inserted); },
        [&] { QFile::remove(g_folder + QStringLiteral("/target.mdb")); },
        [&] {
            floor.reset();
            floor = emptyFloor();
        });
    floor.reset();
    if (failed) {
        std::fprintf(stderr, "an import failed\n");
        return 1;
    }
    std::printf("\nImport of %d risks of the current structure / engine inserting the same rows, "
                "CPU min/median: %.2f / %.2f (A %.3f s, B %.3f s; goal <= 2.00)\n",
                g_risks, ratios.minCpu, ratios.medianCpu, ratios.medianCpuA, ratios.medianCpuB);
    benchmark::Shutdown();
    return 0;
}
