// The risk export of a large register: the formatted form with every item ticked and the
// unformatted export with all four sheets, each alternated with a floor: libxlsxwriter
// writing, in a plain loop, exactly the cells that export wrote (read back from its file:
// the same places, numbers as numbers, the same texts, repeated as often), no database and
// no formats.
//
//   build/bench/bench_export [--risks N] [--pairs N]   (default 10000 risks, 5 pairs)

#include "Alternate.h"
#include "BenchArguments.h"
#include "WrittenCells.h"

#include "app/DemoDatabase.h"
#include "db/Database.h"
#include "export/RiskExport.h"
#include "risks/RiskFields.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include <xlsxwriter.h>

#include <cstdio>

namespace {

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

bool writeExport(tamvel::Database &db, const QVector<qint64> &ids, const RiskExportOptions &options,
                 const QString &path)
{
    return tamvel::exports::writeRiskExport(db, ids, options, path).outcome ==
           tamvel::exports::ExportResult::Written;
}

bool writeFloor(const bench::WrittenBook &cells, const QString &path)
{
    lxw_workbook *book = workbook_new(path.toUtf8().constData());
    for (const bench::WrittenSheet &sheet : cells.sheets) {
        lxw_worksheet *s = workbook_add_worksheet(book, sheet.name.c_str());
        for (const bench::WrittenCell &cell : sheet.cells) {
            if (cell.number)
                worksheet_write_number(s, lxw_row_t(cell.row), lxw_col_t(cell.column), cell.value,
                                       nullptr);
            else
                worksheet_write_string(s, lxw_row_t(cell.row), lxw_col_t(cell.column),
                                       cell.text.c_str(), nullptr);
        }
    }
    return workbook_close(book) == LXW_NO_ERROR;
}

} // namespace

int main(int argc, char **argv)
{
    const int risks = risksArgument(argc, argv, 10000);
    const int pairs = bench::pairsArgument(argc, argv);
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const QString registerPath = dir.filePath(QStringLiteral("register.mdb"));
    tamvel::demo::writeDemoDatabase(registerPath, risks);
    auto db = tamvel::Database::open(registerPath);
    QVector<qint64> ids;
    const tamvel::Rows rows =
        db->query(QStringLiteral("SELECT id_riziko FROM rizika ORDER BY id_riziko"));
    for (int r = 0; r < rows.size(); ++r)
        ids << rows.at(r, 0).toLongLong();

    const QString exportPath = dir.filePath(QStringLiteral("export.xlsx"));
    const QString floorPath = dir.filePath(QStringLiteral("floor.xlsx"));
    bool failed = false;
    const auto measure = [&](const char *name, const RiskExportOptions &options) {
        failed = failed || !writeExport(*db, ids, options, exportPath);
        const bench::WrittenBook cells = bench::readWrittenBook(exportPath);
        std::printf("%s: %ld cells in %zu sheets, %ld of them numbers, %ld distinct texts\n", name,
                    cells.cells, cells.sheets.size(), cells.numbers, cells.distinctTexts);
        failed = failed || cells.cells == 0;
        return bench::alternate(
            name, pairs, [&] { failed = failed || !writeExport(*db, ids, options, exportPath); },
            [&] { failed = failed || !writeFloor(cells, floorPath); });
    };
    const bench::Ratios formatted = measure("formatted export", formattedOptions());
    const bench::Ratios plain = measure("unformatted export", plainOptions());
    if (failed) {
        std::fprintf(stderr, "an export or a floor failed\n");
        return 1;
    }
    std::printf("\nExport of %d risks / the same cells written in a plain loop, CPU min/median: "
                "formatted %.2f / %.2f (A %.3f s, B %.3f s), unformatted %.2f / %.2f (A %.3f s, "
                "B %.3f s) (goal <= 3.00)\n",
                risks, formatted.minCpu, formatted.medianCpu, formatted.medianCpuA,
                formatted.medianCpuB, plain.minCpu, plain.medianCpu, plain.medianCpuA,
                plain.medianCpuB);
    return 0;
}
