#include "export/EquipmentExport.h"

#include "db/Database.h"
#include "export/Workbook.h"

#include <QFile>

#include <stdexcept>

#include <stdexcept>

namespace tamvel::exports {

namespace {

const QString ProgressStart = QStringLiteral("Export dat do sešitu MS Excel ...");
const QString ProgressSheet = QStringLiteral("Probíhá export a formátování OOPP.");
const QString Title = QStringLiteral("Seznam osobních ochranných pracovních prostředků (OOPP)");
const QString SystemsPrefix = QStringLiteral("Pro systémy: ");
// The print header: nothing left, the page in the centre, the print date right.
const char PageHeader[] = "&CStránka &P z &N&R&D";

void addOnce(QStringList &names, const QString &name)
{
    if (!name.isEmpty() && !names.contains(name))
        names << name;
}

void collect(WorkerEquipment &into, const Rows &rows)
{
    for (int r = 0; r < rows.size(); ++r) {
        const QString flag = rows.text(r, QStringLiteral("oop_poskytnuto"));
        const QString name = rows.text(r, QStringLiteral("oop"));
        if (flag == QLatin1String("a"))
            addOnce(into.provided, name);
        else if (flag == QLatin1String("n"))
            addOnce(into.missing, name);
    }
}

} // namespace

QStringList equipmentWorkers(Database &db)
{
    QStringList workers;
    db.forEach(QStringLiteral("SELECT pracovnik FROM pracovnici"), {},
               [&](const RowView &row) { workers << row.value(0).toString(); });
    return workers;
}

EquipmentChoice workersOfSystems(Database &db, const QStringList &systems)
{
    EquipmentChoice choice;
    choice.throughSystems = true;
    choice.systems = systems;
    for (const QString &system : systems) {
        db.forEach(QStringLiteral("SELECT pracovnik, id_riziko FROM rizika WHERE system = ? "
                                  "ORDER BY id_riziko"),
                   {system}, [&](const RowView &row) {
                       const QString worker = row.value(0).toString();
                       if (worker.isEmpty())
                           return;
                       auto it = choice.risksOf.find(worker);
                       if (it == choice.risksOf.end()) {
                           choice.workers << worker;
                           it = choice.risksOf.insert(worker, {});
                       }
                       it->append(row.value(1).toLongLong());
                   });
    }
    return choice;
}

WorkerEquipment equipmentOfWorker(Database &db, const QString &worker)
{
    WorkerEquipment result;
    collect(result, db.query(QStringLiteral("SELECT oop, oop_poskytnuto FROM oop_rizika WHERE "
                                            "id_riziko IN (SELECT id_riziko FROM rizika WHERE "
                                            "pracovnik = ?) ORDER BY id_riziko, oop"),
                             {worker}));
    return result;
}

WorkerEquipment equipmentOfRisks(Database &db, const QVector<qint64> &ids)
{
    WorkerEquipment result;
    for (const qint64 id : ids)
        collect(result, db.query(QStringLiteral("SELECT oop, oop_poskytnuto FROM oop_rizika "
                                                "WHERE id_riziko = ? ORDER BY oop"),
                                 {id}));
    return result;
}

QString equipmentCell(const QStringList &names)
{
    return names.join(QStringLiteral(", "));
}

ExportResult writeEquipmentExport(Database &db, const EquipmentChoice &choice, const QString &path,
                                  const ExportProgress &progress)
{
    const int count = int(choice.workers.size());
    const auto report = [&](const QString &text, int current) {
        if (progress && !progress(text, current, count))
            throw ExportCancelled();
    };

    return writeWorkbook(path, [&](Workbook &book) {
        report(ProgressStart, 0);
        lxw_worksheet *sheet = book.addSheet(EquipmentListSheet);
        Workbook::fitToPageWidth(sheet);
        if (!sheet)
            throw std::runtime_error("Sešit nelze vytvořit.");

        lxw_format *title = book.addFormat();
        format_set_bold(title);
        format_set_font_name(title, "Arial CE");
        format_set_font_size(title, 12);
        format_set_align(title, LXW_ALIGN_CENTER);
        lxw_format *header = book.addFormat();
        format_set_bold(header);
        format_set_border(header, LXW_BORDER_THIN);
        format_set_bg_color(header, 0xD9D9D9);
        lxw_format *cell = book.addFormat();
        format_set_text_wrap(cell);
        format_set_align(cell, LXW_ALIGN_VERTICAL_TOP);
        format_set_border(cell, LXW_BORDER_THIN);

        report(ProgressSheet, 0);
        worksheet_set_column(sheet, 0, 0, 35, nullptr);
        worksheet_set_column(sheet, 1, 2, 45, nullptr);
        const QByteArray titleText = Title.toUtf8();
        worksheet_set_row(sheet, 0, 18, nullptr);
        worksheet_merge_range(sheet, 0, 0, 0, 2, titleText.constData(), title);
        int row = 1;
        if (choice.throughSystems)
            Workbook::writeText(sheet, row++, 0,
                                SystemsPrefix + choice.systems.join(QStringLiteral(", ")));
        ++row; // the blank row
        const int headerRow = row;
        Workbook::writeText(sheet, row, 0, QStringLiteral("Pracovník/činnost"), header);
        Workbook::writeText(sheet, row, 1, QStringLiteral("Přidělené OOPP"), header);
        Workbook::writeText(sheet, row, 2, QStringLiteral("Chybějící OOPP"), header);
        ++row;

        // Page setup: everything down to the headers repeats on each printed page.
        worksheet_repeat_rows(sheet, 0, lxw_row_t(headerRow));
        worksheet_set_header(sheet, PageHeader);

        for (int i = 0; i < count; ++i) {
            const QString &worker = choice.workers[i];
            const WorkerEquipment equipment =
                choice.throughSystems ? equipmentOfRisks(db, choice.risksOf.value(worker))
                                      : equipmentOfWorker(db, worker);
            Workbook::writeText(sheet, row, 0, worker, cell);
            Workbook::writeText(sheet, row, 1, equipmentCell(equipment.provided), cell);
            Workbook::writeText(sheet, row, 2, equipmentCell(equipment.missing), cell);
            ++row;
            report(
                QStringLiteral("Probíhá export a formátování rizik. (%1/%2)").arg(i + 1).arg(count),
                i + 1);
        }
    });
}

} // namespace tamvel::exports
