// The risk export of a large register: the formatted form with every item ticked and the
// unformatted export with all four sheets, each beside a floor measured in the same run —
// as many cell texts written into a workbook by libxlsxwriter in a plain loop, no database.
//
//   build/bench/bench_export [--risks N]   (default 10000)

#include "BenchArguments.h"
#include "GoogleBenchmark.h"
#include "RatioReporter.h"

#include "app/DemoDatabase.h"
#include "db/Database.h"
#include "export/RiskExport.h"
#include "risks/RiskFields.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <xlsxwriter.h>

#include <cstdio>

namespace {

int g_risks = 10000;
QString g_register;
QString g_folder;
QVector<qint64> g_ids;
// The cell texts each export writes, counted from the register before the runs.
long g_formattedTexts = 0;
long g_plainTexts = 0;

using tamvel::exports::RiskExportOptions;

RiskExportOptions formattedOptions()
{
    RiskExportOptions options;
    options.formatted = true;
    options.title = QStringLiteral("Hodnocení rizik");
    for (const tamvel::risks::RiskField &field : tamvel::risks::riskFields())
        if (!field.formLabel.isEmpty())
            options.fields << field.column;
    options.formRegulations = options.formEquipment = options.formSubTasks = true;
    return options;
}

RiskExportOptions plainOptions()
{
    RiskExportOptions options;
    options.formatted = false;
    options.risks = options.subTasks = options.equipment = options.regulations = true;
    return options;
}

long count(tamvel::Database &db, const char *sql)
{
    return db.query(QString::fromLatin1(sql)).at(0, 0).toLongLong();
}

void countTexts()
{
    auto db = tamvel::Database::open(g_register);
    const long risks = count(*db, "SELECT COUNT(*) FROM rizika");
    const long subTasks = count(*db, "SELECT COUNT(*) FROM dilci_ukoly");
    const long equipment = count(*db, "SELECT COUNT(*) FROM oop_rizika");
    const long regulations =
        count(*db, "SELECT COUNT(*) FROM rizika r JOIN pozadavky_predpisy pp "
                   "ON pp.pozadavek_id = r.pozadavek_id JOIN predpisy p "
                   "ON p.predpis_id = pp.predpis_id WHERE r.pozadavek_id <> 0");
    // form: title; per risk 25 labels and values and three sub-table headers; the rows
    g_formattedTexts =
        1 + risks * (25 * 2 + 3 + 2 + 3) + regulations * 3 + equipment * 2 + subTasks * 3;
    // sheets: header and one line per record
    g_plainTexts =
        (1 + risks) * 26 + (1 + subTasks) * 4 + (1 + equipment) * 3 + (1 + regulations) * 6;
    g_ids.clear();
    const tamvel::Rows ids =
        db->query(QStringLiteral("SELECT id_riziko FROM rizika ORDER BY id_riziko"));
    for (int r = 0; r < ids.size(); ++r)
        g_ids << ids.at(r, 0).toLongLong();
}

void exportWith(benchmark::State &state, const RiskExportOptions &options)
{
    auto db = tamvel::Database::open(g_register);
    const QString path = g_folder + QStringLiteral("/export.xlsx");
    for (auto _ : state) {
        const auto result = tamvel::exports::writeRiskExport(*db, g_ids, options, path);
        if (result.outcome != tamvel::exports::ExportResult::Written)
            state.SkipWithError("export failed");
    }
}

// As many texts, four to a row, of a length like the register's.
void floorWith(benchmark::State &state, long texts)
{
    const QByteArray path = (g_folder + QStringLiteral("/floor.xlsx")).toUtf8();
    char text[64];
    for (auto _ : state) {
        lxw_workbook *book = workbook_new(path.constData());
        lxw_worksheet *sheet = workbook_add_worksheet(book, nullptr);
        for (long i = 0; i < texts; ++i) {
            std::snprintf(text, sizeof text, "Zdroj nebezpečí číslo %ld", i);
            worksheet_write_string(sheet, lxw_row_t(i / 4), lxw_col_t(i % 4), text, nullptr);
        }
        if (workbook_close(book) != LXW_NO_ERROR)
            state.SkipWithError("floor failed");
    }
}

void formattedExport(benchmark::State &state)
{
    exportWith(state, formattedOptions());
}
void formattedFloor(benchmark::State &state)
{
    floorWith(state, g_formattedTexts);
}
void plainExport(benchmark::State &state)
{
    exportWith(state, plainOptions());
}
void plainFloor(benchmark::State &state)
{
    floorWith(state, g_plainTexts);
}

} // namespace

BENCHMARK(formattedExport)->Unit(benchmark::kMillisecond);
BENCHMARK(formattedFloor)->Unit(benchmark::kMillisecond);
BENCHMARK(plainExport)->Unit(benchmark::kMillisecond);
BENCHMARK(plainFloor)->Unit(benchmark::kMillisecond);

int main(int argc, char **argv)
{
    g_risks = risksArgument(argc, argv, g_risks);
    QCoreApplication app(argc, argv);
    initializeBenchmark(&argc, &argv);

    QTemporaryDir dir;
    g_folder = dir.path();
    g_register = dir.filePath(QStringLiteral("register.mdb"));
    tamvel::demo::writeDemoDatabase(g_register, g_risks);
    countTexts();

    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    std::printf("\nExport of %d risks / plain libxlsxwriter loop: formatted (%ld texts) %.2f, "
                "unformatted (%ld texts) %.2f (goal <= 3.00)\n",
                g_risks, g_formattedTexts, reporter.ratio("formattedExport", "formattedFloor"),
                g_plainTexts, reporter.ratio("plainExport", "plainFloor"));
    benchmark::Shutdown();
    return 0;
}
