#include "export/RiskExport.h"

#include "codelists/Requirements.h"
#include "core/SingleValue.h"
#include "db/Database.h"
#include "db/DatabaseFiles.h"
#include "export/Workbook.h"
#include "risks/Highlights.h"
#include "risks/RiskFields.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <QTemporaryFile>

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace tamvel::exports {

using risks::FieldKind;
using risks::RiskField;
using risks::riskFields;
using risks::valueText;

namespace {

const QString ProgressStart = QStringLiteral("Export dat do sešitu MS Excel ...");
const QString ProgressFormatted = QStringLiteral("Probíhá export a formátování rizik.");

// The fields of the risk sheet, in their order; the form's rows are those with a label.
const QVector<const RiskField *> &sheetFields()
{
    static const QVector<const RiskField *> fields = [] {
        QVector<const RiskField *> list;
        for (const RiskField &f : riskFields())
            if (!f.sheetHeader.isEmpty())
                list << &f;
        return list;
    }();
    return fields;
}

// Where the requirement lies in a risk row: regulations are read through it.
int requirementColumn()
{
    static const int column = [] {
        const auto &fields = sheetFields();
        for (int i = 0; i < fields.size(); ++i)
            if (fields[i]->kind == FieldKind::Requirement)
                return i;
        qFatal("the export has no requirement");
    }();
    return column;
}

// How many risks one read covers: one query per table for each such chunk of the list.
constexpr int ChunkSize = 500;

// "?, ?, ..." for `count` bound values.
QString placeholders(qsizetype count)
{
    QString list;
    list.reserve(count * 3);
    for (qsizetype i = 0; i < count; ++i)
        list += i ? QStringLiteral(", ?") : QStringLiteral("?");
    return list;
}

// The rows of one read, grouped by a key column: which rows belong to each key, in order.
struct Grouped
{
    Rows rows;
    QHash<qint64, QVector<int>> byKey;

    void group(int keyColumn)
    {
        byKey.clear();
        byKey.reserve(rows.size());
        for (int r = 0; r < rows.size(); ++r)
            byKey[rows.at(r, keyColumn).toLongLong()].append(r);
    }
    const QVector<int> &of(qint64 key) const
    {
        static const QVector<int> none;
        const auto it = byKey.constFind(key);
        return it == byKey.cend() ? none : *it;
    }
};

// Reads what the sheets show, one chunk of risks at a time; requirement texts and
// regulation lists repeat over risks.
class Source
{
public:
    explicit Source(Database &db) : m_db(db) {}

    // The risk rows of the ids, by id; the columns as sheetFields().
    void risks(const QVector<qint64> &ids, Grouped &out)
    {
        static const QString fields = [] {
            QStringList list;
            for (const RiskField *f : sheetFields())
                list << f->column;
            return list.join(QStringLiteral(", "));
        }();
        out.rows = m_db.query(QStringLiteral("SELECT %1 FROM rizika WHERE id_riziko IN (%2)")
                                  .arg(fields, placeholders(ids.size())),
                              bound(ids));
        out.group(0);
    }

    risks::RiskLevels levels() { return risks::RiskLevels::load(m_db); }

    QString requirement(const QVariant &id)
    {
        if (!id.isValid() || id.toLongLong() == 0)
            return QString();
        const qint64 key = id.toLongLong();
        auto it = m_requirements.find(key);
        if (it == m_requirements.end()) {
            const auto r = codelists::loadRequirement(m_db, key);
            it = m_requirements.insert(key, r ? codelists::requirementText(r->parts) : QString());
        }
        return *it;
    }

    // pozadavek_id, typ, cislo, nazev, vydano, poznamka of the requirements' regulations,
    // by requirement.
    void regulations(const QVector<qint64> &requirementIds, Grouped &out)
    {
        out.rows = m_db.query(
            QStringLiteral("SELECT pp.pozadavek_id, p.typ, p.cislo, p.nazev, p.vydano, p.poznamka "
                           "FROM pozadavky_predpisy pp JOIN predpisy p "
                           "ON p.predpis_id = pp.predpis_id WHERE pp.pozadavek_id IN (%1) "
                           "ORDER BY pp.pozadavek_id, pp.predpis_id")
                .arg(placeholders(requirementIds.size())),
            bound(requirementIds));
        out.group(0);
    }

    // id_riziko, termin, zodpovida, ukol, by risk.
    void subTasks(const QVector<qint64> &ids, Grouped &out)
    {
        out.rows =
            m_db.query(QStringLiteral("SELECT id_riziko, termin, zodpovida, ukol FROM dilci_ukoly "
                                      "WHERE id_riziko IN (%1) ORDER BY id_riziko, termin, rowid")
                           .arg(placeholders(ids.size())),
                       bound(ids));
        out.group(0);
    }

    // id_riziko, oop, oop_poskytnuto, by risk.
    void equipment(const QVector<qint64> &ids, Grouped &out)
    {
        out.rows = m_db.query(
            QStringLiteral("SELECT id_riziko, oop, oop_poskytnuto FROM oop_rizika "
                           "WHERE id_riziko IN (%1) ORDER BY id_riziko, oop COLLATE CS, rowid")
                .arg(placeholders(ids.size())),
            bound(ids));
        out.group(0);
    }

private:
    static Values bound(const QVector<qint64> &ids)
    {
        Values values;
        values.reserve(ids.size());
        for (qint64 id : ids)
            values << id;
        return values;
    }

    Database &m_db;
    QHash<qint64, QString> m_requirements;
};

// A cell as the sheets show it: text, or a number when the field is numeric.
QVariant cellValue(Source &source, const Rows &risks, int row, int column)
{
    const QVariant &stored = risks.at(row, column);
    switch (sheetFields()[column]->kind) {
    case FieldKind::Id:
        return stored.isValid() ? QVariant(stored.toDouble()) : QVariant();
    case FieldKind::Value:
        // A value stored with binary noise by an older version goes out as its Single.
        return stored.isValid() ? QVariant(asSingle(stored.toDouble()).value_or(stored.toDouble()))
                                : QVariant();
    case FieldKind::Date:
        return dateText(stored);
    case FieldKind::Breach:
        return yesNo(stored.toString());
    case FieldKind::Requirement:
        return source.requirement(stored);
    case FieldKind::Text:
    case FieldKind::Summary:
    case FieldKind::Level:
        break;
    }
    return stored.isValid() ? QVariant(stored.toString()) : QVariant();
}

QString shownText(const QVariant &value)
{
    if (value.metaType().id() == QMetaType::Double)
        return QString::number(value.toDouble(), 'g', 15);
    return value.toString();
}

// A plain table: header in row 1, records below, columns as wide as their content.
class TableSheet
{
public:
    TableSheet(Workbook &book, lxw_worksheet *sheet, const QStringList &header)
        : m_sheet(sheet), m_widths(header.size(), 0)
    {
        m_bold = book.addFormat();
        format_set_bold(m_bold);
        add(QVariantList(header.cbegin(), header.cend()), m_bold);
    }

    void add(const QVariantList &cells, lxw_format *format = nullptr)
    {
        for (int c = 0; c < cells.size(); ++c) {
            const QVariant &v = cells[c];
            if (v.metaType().id() == QMetaType::Double)
                Workbook::writeNumber(m_sheet, m_row, c, v.toDouble(), format);
            else if (v.isValid())
                Workbook::writeText(m_sheet, m_row, c, v.toString(), format);
            m_widths[c] = std::max(m_widths[c], int(shownText(v).size()));
        }
        ++m_row;
    }

    // No automatic fitting in the file format: the widths follow the longest text.
    void fitColumns()
    {
        for (int c = 0; c < m_widths.size(); ++c)
            worksheet_set_column(m_sheet, lxw_col_t(c), lxw_col_t(c),
                                 std::clamp(m_widths[c] + 2, 6, 100), nullptr);
    }

private:
    lxw_worksheet *m_sheet;
    QVector<int> m_widths;
    lxw_format *m_bold = nullptr;
    int m_row = 0;
};

class Writer
{
public:
    Writer(Database &db, Workbook &book, const QVector<qint64> &ids, const ExportProgress &progress)
        : m_source(db), m_book(book), m_ids(ids), m_progress(progress)
    {
    }

    void report(const QString &text, int current)
    {
        if (m_progress && !m_progress(text, current, int(m_ids.size())))
            throw ExportCancelled();
    }

    lxw_worksheet *sheet(const QString &name)
    {
        lxw_worksheet *s = m_book.addSheet(name);
        if (!s)
            throw std::runtime_error("sheet");
        return s;
    }

    void risksSheet()
    {
        const QString text = QStringLiteral("Probíhá export neformátovaných dat (rizika)");
        QStringList header;
        for (const RiskField *f : sheetFields())
            header << f->sheetHeader;
        TableSheet table(m_book, sheet(RisksSheet), header);
        eachChunk(Read::Risks, [&](int i) {
            report(text, i + 1);
            for (int r : m_risks.of(m_ids[i])) {
                QVariantList cells;
                for (int c = 0; c < sheetFields().size(); ++c)
                    cells << cellValue(m_source, m_risks.rows, r, c);
                table.add(cells);
                break; // one row per id
            }
        });
        table.fitColumns();
    }

    void subTasksSheet()
    {
        const QString text = QStringLiteral("Probíhá export neformátovaných dat (dílčí úkoly)");
        TableSheet table(m_book, sheet(SubTasksSheet),
                         {QStringLiteral("Riziko ID"), QStringLiteral("Termín"),
                          QStringLiteral("Zodpovídá"), QStringLiteral("Úkol")});
        eachChunk(Read::SubTasks, [&](int i) {
            report(text, i + 1);
            const Rows &rows = m_subTasks.rows;
            for (int r : m_subTasks.of(m_ids[i]))
                table.add({double(m_ids[i]), dateText(rows.at(r, 1)), rows.at(r, 2).toString(),
                           rows.at(r, 3).toString()});
        });
        table.fitColumns();
    }

    void equipmentSheet()
    {
        const QString text = QStringLiteral("Probíhá export neformátovaných dat (OOPP)");
        TableSheet table(m_book, sheet(EquipmentSheet),
                         {QStringLiteral("Riziko ID"), QStringLiteral("OOP"),
                          QStringLiteral("OOPP poskytnuto")});
        eachChunk(Read::Equipment, [&](int i) {
            report(text, i + 1);
            const Rows &rows = m_equipment.rows;
            for (int r : m_equipment.of(m_ids[i]))
                table.add(
                    {double(m_ids[i]), rows.at(r, 1).toString(), yesNo(rows.at(r, 2).toString())});
        });
        table.fitColumns();
    }

    void regulationsSheet()
    {
        const QString text = QStringLiteral("Probíhá export neformátovaných dat (Předpisy)");
        TableSheet table(m_book, sheet(RegulationsSheet),
                         {QStringLiteral("Riziko ID"), QStringLiteral("Typ"),
                          QStringLiteral("Číslo"), QStringLiteral("Název"),
                          QStringLiteral("Vydáno"), QStringLiteral("Poznámka")});
        eachChunk(Read::Risks | Read::Regulations, [&](int i) {
            report(text, i + 1);
            const QVariant requirement = requirementOf(m_ids[i]);
            if (!requirement.isValid() || requirement.toLongLong() == 0)
                return;
            const Rows &rows = m_regulations.rows;
            for (int r : m_regulations.of(requirement.toLongLong()))
                table.add({double(m_ids[i]), rows.at(r, 1).toString(), rows.at(r, 2).toString(),
                           rows.at(r, 3).toString(), dateText(rows.at(r, 4)),
                           rows.at(r, 5).toString()});
        });
        table.fitColumns();
    }

    void formattedSheet(const RiskExportOptions &options);

private:
    // What a chunk's read covers.
    enum Read { Risks = 1, SubTasks = 2, Equipment = 4, Regulations = 8 };

    // Reads the list chunk by chunk and calls `write` with each index of the chunk, in order.
    template <typename Write> void eachChunk(int reads, Write write)
    {
        for (qsizetype begin = 0; begin < m_ids.size(); begin += ChunkSize) {
            const qsizetype end = std::min<qsizetype>(begin + ChunkSize, m_ids.size());
            QVector<qint64> chunk;
            QSet<qint64> seen;
            for (qsizetype i = begin; i < end; ++i)
                if (!seen.contains(m_ids[i])) {
                    seen.insert(m_ids[i]);
                    chunk << m_ids[i];
                }
            if (reads & (Risks | Regulations))
                m_source.risks(chunk, m_risks);
            if (reads & SubTasks)
                m_source.subTasks(chunk, m_subTasks);
            if (reads & Equipment)
                m_source.equipment(chunk, m_equipment);
            if (reads & Regulations) {
                // a risk without a requirement reads as requirement 0
                QVector<qint64> requirements;
                QSet<qint64> known;
                for (int r = 0; r < m_risks.rows.size(); ++r) {
                    const qint64 key = m_risks.rows.at(r, requirementColumn()).toLongLong();
                    if (!known.contains(key)) {
                        known.insert(key);
                        requirements << key;
                    }
                }
                if (requirements.isEmpty())
                    m_regulations = Grouped();
                else
                    m_source.regulations(requirements, m_regulations);
            }
            for (qsizetype i = begin; i < end; ++i)
                write(int(i));
        }
    }

    // The requirement of a risk of the current chunk; invalid when the risk is missing.
    QVariant requirementOf(qint64 id) const
    {
        const QVector<int> &rows = m_risks.of(id);
        return rows.isEmpty() ? QVariant() : m_risks.rows.at(rows.first(), requirementColumn());
    }

    Source m_source;
    Grouped m_risks;
    Grouped m_subTasks;
    Grouped m_equipment;
    Grouped m_regulations;
    Workbook &m_book;
    const QVector<qint64> &m_ids;
    const ExportProgress &m_progress;
};

// Column widths of the form, in characters: label, short values, long values, spare.
constexpr double FormWidths[] = {24, 14, 60, 12};
constexpr double LineHeight = 15;

// How many lines a text needs in a wrapped column of this width.
int linesFor(const QString &text, double width)
{
    int lines = 0;
    for (const QString &part : text.split(QLatin1Char('\n')))
        lines += std::max(1, int(std::ceil(part.size() / std::max(1.0, width - 1))));
    return std::max(1, lines);
}

void Writer::formattedSheet(const RiskExportOptions &options)
{
    lxw_worksheet *s = sheet(FormattedSheet);
    Workbook::fitToPageWidth(s);
    for (int c = 0; c < 4; ++c)
        worksheet_set_column(s, lxw_col_t(c), lxw_col_t(c), FormWidths[c], nullptr);

    lxw_format *title = m_book.addFormat();
    format_set_font_name(title, "Arial CE");
    format_set_bold(title);
    format_set_font_size(title, 12);
    format_set_align(title, LXW_ALIGN_CENTER);
    format_set_align(title, LXW_ALIGN_VERTICAL_TOP);
    lxw_format *label = m_book.addFormat();
    format_set_bold(label);
    format_set_border(label, LXW_BORDER_THIN);
    format_set_align(label, LXW_ALIGN_VERTICAL_TOP);
    lxw_format *value = m_book.addFormat();
    format_set_text_wrap(value);
    format_set_border(value, LXW_BORDER_THIN);
    format_set_align(value, LXW_ALIGN_VERTICAL_TOP);
    lxw_format *header = m_book.addFormat();
    format_set_bold(header);
    format_set_border(header, LXW_BORDER_THIN);
    format_set_bg_color(header, 0xD9D9D9);

    // The value and its level share the level's colour, in the light tints that print well.
    const risks::RiskLevels levels = m_source.levels();
    QVector<lxw_format *> levelFormats(levels.bands().size(), nullptr);
    const auto levelFormat = [&](int index) {
        if (index < 0)
            return value;
        if (!levelFormats[index]) {
            const risks::Rgb c = levels.colour(index);
            lxw_format *f = levelFormats[index] = m_book.addFormat();
            format_set_text_wrap(f);
            format_set_border(f, LXW_BORDER_THIN);
            format_set_align(f, LXW_ALIGN_VERTICAL_TOP);
            format_set_bg_color(f, lxw_color_t((c.red << 16) | (c.green << 8) | c.blue));
        }
        return levelFormats[index];
    };

    const QByteArray titleText = options.title.toUtf8();
    worksheet_merge_range(s, 0, 0, 0, 3, titleText.constData(), title);
    worksheet_merge_range(s, 1, 0, 1, 3, "", nullptr);

    // One row of the form: every cell framed, the height enough for the wrapped texts.
    int row = 2;
    auto writeRow = [&](const QStringList &cells, lxw_format *format) {
        int lines = 1;
        for (int c = 0; c < 4; ++c) {
            const QString text = c < cells.size() ? cells[c] : QString();
            if (text.isEmpty())
                worksheet_write_blank(s, lxw_row_t(row), lxw_col_t(c), format);
            else
                Workbook::writeText(s, row, c, text, format);
            lines = std::max(lines, linesFor(text, FormWidths[c]));
        }
        if (lines > 1)
            worksheet_set_row(s, lxw_row_t(row), lines * LineHeight, nullptr);
        ++row;
    };

    // label in A, value in C
    const auto writeLabelled = [&](const QString &labelText, QString text, lxw_format *format) {
        if (text.isEmpty())
            text = QStringLiteral(" "); // a missing value shows as one blank
        Workbook::writeText(s, row, 0, labelText, label);
        worksheet_write_blank(s, lxw_row_t(row), 1, label);
        Workbook::writeText(s, row, 2, text, format);
        worksheet_write_blank(s, lxw_row_t(row), 3, format);
        const int lines = linesFor(text, FormWidths[2]);
        if (lines > 1)
            worksheet_set_row(s, lxw_row_t(row), lines * LineHeight, nullptr);
        ++row;
    };

    report(ProgressFormatted, 0);
    int reads = Risks;
    if (options.formRegulations)
        reads |= Regulations;
    if (options.formEquipment)
        reads |= Equipment;
    if (options.formSubTasks)
        reads |= SubTasks;
    eachChunk(reads, [&](int i) {
        report(QStringLiteral("%1 (%2/%3)").arg(ProgressFormatted).arg(i + 1).arg(m_ids.size()),
               i + 1);
        const QVector<int> &found = m_risks.of(m_ids[i]);
        if (found.isEmpty())
            return;
        const Rows &risk = m_risks.rows;
        const int at = found.first();
        ++row; // a free row before each block
        for (int column = 0; column < sheetFields().size(); ++column) {
            const RiskField &field = *sheetFields()[column];
            if (field.formLabel.isEmpty() || !options.fields.contains(field.column))
                continue;
            QString text = shownText(cellValue(m_source, risk, at, column));
            const bool isValue = field.kind == FieldKind::Value;
            std::optional<double> number;
            // the risk value as the program shows it, with a decimal comma
            if (isValue && risk.at(at, column).isValid()) {
                const double stored = risk.at(at, column).toDouble();
                number = asSingle(stored).value_or(stored);
                text = valueText(stored);
            }
            const int level = isValue ? levels.indexOf(number) : -1;
            writeLabelled(field.formLabel, text, levelFormat(level));
            // The level goes with the value, when the register has levels at all.
            if (isValue && !levels.bands().isEmpty())
                writeLabelled(QStringLiteral("Úroveň rizika :"), levels.nameOf(number),
                              levelFormat(level));
        }
        const qint64 id = m_ids[i];
        if (options.formRegulations) {
            writeRow({QStringLiteral("Číslo předpisu"), QStringLiteral("Vydáno"),
                      QStringLiteral("Název předpisu")},
                     header);
            const Rows &rows = m_regulations.rows;
            for (int r : m_regulations.of(risk.at(at, requirementColumn()).toLongLong()))
                writeRow(
                    {rows.at(r, 2).toString(), dateText(rows.at(r, 4)), rows.at(r, 3).toString()},
                    value);
        }
        if (options.formEquipment) {
            writeRow({QStringLiteral("OOPP"), QStringLiteral("Poskytnuto")}, header);
            const Rows &rows = m_equipment.rows;
            for (int r : m_equipment.of(id))
                writeRow({rows.at(r, 1).toString(), yesNo(rows.at(r, 2).toString())}, value);
        }
        if (options.formSubTasks) {
            writeRow({QStringLiteral("Termín"), QStringLiteral("Odpovědnost"),
                      QStringLiteral("Dílčí úkol")},
                     header);
            const Rows &rows = m_subTasks.rows;
            for (int r : m_subTasks.of(id))
                writeRow(
                    {dateText(rows.at(r, 1)), rows.at(r, 2).toString(), rows.at(r, 3).toString()},
                    value);
        }
    });
}

} // namespace

QString yesNo(const QString &flag)
{
    return flag == QStringLiteral("a") ? QStringLiteral("ano") : QStringLiteral("ne");
}

QString dateText(const QVariant &value)
{
    const QDate date = Database::toDate(value);
    return date.isValid() ? date.toString(QStringLiteral("dd.MM.yyyy")) : QString();
}

ExportResult writeRiskExport(Database &db, const QVector<qint64> &ids,
                             const RiskExportOptions &options, const QString &path,
                             const ExportProgress &progress)
{
    return writeWorkbook(path, [&](Workbook &book) {
        Writer writer(db, book, ids, progress);
        writer.report(ProgressStart, 0);
        if (options.formatted) {
            writer.formattedSheet(options);
        } else {
            if (options.risks)
                writer.risksSheet();
            if (options.subTasks)
                writer.subTasksSheet();
            if (options.equipment)
                writer.equipmentSheet();
            if (options.regulations)
                writer.regulationsSheet();
            // A workbook needs one sheet at least.
            if (!options.risks && !options.subTasks && !options.equipment && !options.regulations)
                writer.sheet(FormattedSheet);
        }
    });
}

ExportResult writeWorkbook(const QString &path, const std::function<void(Workbook &)> &fill)
{
    // Beside the target, so that the final rename stays on one file system; named as the
    // database files are, so that what a killed export left is removed.
    files::removeLeftovers(QFileInfo(path).absolutePath());
    QTemporaryFile temporary(files::temporaryPrefix(path) + QStringLiteral("XXXXXX.part"));
    if (!temporary.open())
        return {ExportResult::Failed, temporary.errorString()};
    temporary.close();
    try {
        Workbook book(temporary.fileName());
        if (!book.isOpen())
            return {ExportResult::Failed, QStringLiteral("Sešit nelze vytvořit.")};
        fill(book);
        if (const Result<void> closed = book.close(); !closed)
            return {ExportResult::Failed, closed.error()};
    } catch (const ExportCancelled &) {
        return {ExportResult::Cancelled, QString()};
    } catch (const DbError &e) {
        return {ExportResult::Failed, e.describe()};
    } catch (const std::exception &e) {
        return {ExportResult::Failed, QString::fromUtf8(e.what())};
    }

    // The old file goes only now that the new one is complete.
    temporary.setAutoRemove(false);
    if (const Result<void> moved = Workbook::moveIntoPlace(temporary.fileName(), path); !moved)
        return {ExportResult::Failed, moved.error()};
    return {ExportResult::Written, QString()};
}

QString rememberedExportFolder(Database &db, const QString &user)
{
    return db.scalarText(QStringLiteral("SELECT hodnota1 FROM uzivatelske_nastaveni WHERE "
                                        "uzivatel = ? AND typ = 'cesta' AND polozka = 'export'"),
                         {user});
}

void rememberExportFolder(Database &db, const QString &user, const QString &folder)
{
    inTransaction(db, [&] {
        db.execute(QStringLiteral("DELETE FROM uzivatelske_nastaveni WHERE uzivatel = ? AND "
                                  "typ = 'cesta' AND polozka = 'export'"),
                   {user});
        db.execute(QStringLiteral("INSERT INTO uzivatelske_nastaveni "
                                  "(uzivatel, typ, polozka, hodnota1) VALUES (?, 'cesta', "
                                  "'export', ?)"),
                   {user, folder});
    });
}

} // namespace tamvel::exports
