#include "ExportRegister.h"
#include "TestDatabase.h"
#include "XlsxReader.h"
#include "export/RiskExport.h"
#include "risks/Highlights.h"

#include <QFile>
#include <QProcess>
#include <QSysInfo>
#include <QTest>

using namespace tamvel;
using namespace tamvel::exports;

class TestRiskExport : public QObject
{
    Q_OBJECT

private:
    static RiskExportOptions plain(bool risks, bool subTasks, bool equipment, bool regulations)
    {
        RiskExportOptions o;
        o.formatted = false;
        o.risks = risks;
        o.subTasks = subTasks;
        o.equipment = equipment;
        o.regulations = regulations;
        return o;
    }

    // The form with the given fields; every field and sub-table when none are given.
    static RiskExportOptions form(const QStringList &fields = {})
    {
        RiskExportOptions o;
        o.formatted = true;
        o.title = QStringLiteral("Přehled rizik");
        o.fields = fields;
        if (fields.isEmpty()) {
            for (const Shown &f : shownFields())
                o.fields << QString::fromLatin1(f.field);
            o.formRegulations = o.formEquipment = o.formSubTasks = true;
        }
        return o;
    }

    // The risk sheet's header and the form's label of each stored field, in their order.
    struct Shown
    {
        const char *header;
        const char *label; // nullptr: not on the form
        const char *field;
    };
    static const QVector<Shown> &shownFields()
    {
        static const QVector<Shown> fields = {
            {"Riziko ID", nullptr, "id_riziko"},
            {"Systém", "Systém :", "system"},
            {"Pracovník/činnost", "Pracovník/činnost :", "pracovnik"},
            {"Kategorie nebezpečí", "Kategorie nebezpečí :", "nebezpeci_kategorie"},
            {"Druh nebezpečí", "Druh nebezpečí :", "nebezpeci_druh"},
            {"Zdroj nebezpečí", "Zdroj nebezpečí :", "nebezpeci_zdroj"},
            {"Předmět poškození", "Předmět poškození :", "poskozeni_cast_tela"},
            {"Charakter poškození", "Poškození(charakter) :", "poskozeni_charakter"},
            {"Opatření", "Přijatá opatření :", "bezpecnostni_opatreni"},
            {"Závažnost", "Závažnost :", "zavaznost_popis"},
            {"Pravděpodobnost", "Pravděpodobnost :", "pravdepodobnost_popis"},
            {"Frekvence", "Frekvence :", "frekvence_popis"},
            {"Riziko", "Riziko :", "riziko"},
            {"Porušení požadavků", "Porušení požadavků :", "legislativa"},
            {"Nápravná opatření", "Nápravná opatření :", "napravna_opatreni"},
            {"Opatření - zodpovídá", "Opatření - zodpovídá :", "opatreni_zodpovida"},
            {"Opatření - termín", "Opatření - termín :", "opatreni_termin"},
            {"Opatření - splněno", "Opatření - splněno :", "opatreni_splneno"},
            {"Požadavek", "Požadavek :", "pozadavek_id"},
            {"Cíl", "Cíl :", "cil"},
            {"Cílová hodnota", "Cílová hodnota :", "cilova_hodnota"},
            {"Zdroje", "Zdroje :", "zdroje"},
            {"Program_zodpovídá", "Program - zodpovídá :", "program_zodpovida"},
            {"Program termín", "Program - termín :", "program_termin"},
            {"Program splněno", "Program - splněno :", "program_splneno"},
            {"Poznámky", "Poznámky :", "poznamky"},
        };
        return fields;
    }

    // Gives every text field of the risk a value of its own, so that a field shown under
    // another's header or label cannot pass.
    static void distinctValues(ExportRegister &reg)
    {
        const QStringList notText = {QStringLiteral("id_riziko"), QStringLiteral("riziko"),
                                     QStringLiteral("legislativa"), QStringLiteral("pozadavek_id")};
        for (const Shown &f : shownFields()) {
            const QString field = QString::fromLatin1(f.field);
            if (!notText.contains(field) && !field.endsWith(QStringLiteral("_termin")) &&
                !field.endsWith(QStringLiteral("_splneno")))
                reg.db->execute(QStringLiteral("UPDATE rizika SET %1 = substr(?, 1, 15) WHERE "
                                               "id_riziko = ?")
                                    .arg(field),
                                {field, reg.first});
        }
        reg.db->execute(QStringLiteral("UPDATE rizika SET poznamky = NULL, opatreni_splneno = "
                                       "'2024-03-06', program_termin = '2024-03-07', "
                                       "program_splneno = '2024-03-08' WHERE id_riziko = ?"),
                        {reg.first});
    }

private slots:
    void plainSheetsHoldTheRecordsInListOrder()
    {
        ExportRegister reg;
        const QString path = reg.dir.filePath(QStringLiteral("Rizika.xlsx"));
        const ExportResult result =
            writeRiskExport(*reg.db, reg.ids, plain(true, true, true, true), path);
        QCOMPARE(result.outcome, ExportResult::Written);
        QCOMPARE(fileBytes(path).left(2), QByteArray("PK"));

        const XlsxReader book(path);
        QCOMPARE(book.sheets(),
                 (QStringList{QStringLiteral("rizika "), QStringLiteral("dílčí úkoly"),
                              QStringLiteral("OOPP"), QStringLiteral("Predpisy")}));

        const auto risks = book.sheet(QStringLiteral("rizika "));
        QCOMPARE(risks.lastRow, int(reg.ids.size()) + 1);
        for (int i = 0; i < reg.ids.size(); ++i)
            QCOMPARE(risks.at(0, i + 2), QString::number(reg.ids[i]));
        QCOMPARE(risks.at(QStringLiteral("N3")), QStringLiteral("ne"));
        QVERIFY(!reg.requirementText.isEmpty());

        const auto tasks = book.sheet(QStringLiteral("dílčí úkoly"));
        QCOMPARE(tasks.row(1, 4), QStringLiteral("Riziko ID|Termín|Zodpovídá|Úkol"));
        QCOMPARE(tasks.row(2, 4), QStringLiteral("%1|15.01.2024|Dvořák|První úkol").arg(reg.first));
        QCOMPARE(tasks.at(QStringLiteral("B3")), QStringLiteral("01.06.2024"));

        const auto equipment = book.sheet(QStringLiteral("OOPP"));
        QCOMPARE(equipment.row(1, 3), QStringLiteral("Riziko ID|OOP|OOPP poskytnuto"));
        QCOMPARE(equipment.row(2, 3), QStringLiteral("%1|Brýle|ne").arg(reg.first));
        QCOMPARE(equipment.row(3, 3), QStringLiteral("%1|Rukavice|ano").arg(reg.first));

        const auto regulations = book.sheet(QStringLiteral("Predpisy"));
        QCOMPARE(regulations.row(1, 6),
                 QStringLiteral("Riziko ID|Typ|Číslo|Název|Vydáno|Poznámka"));
        QCOMPARE(regulations.at(QStringLiteral("A2")), QString::number(reg.first));
        QCOMPARE(regulations.at(QStringLiteral("C2")),
                 reg.db->scalarText(QStringLiteral("SELECT p.cislo FROM pozadavky_predpisy pp "
                                                   "JOIN predpisy p USING (predpis_id) WHERE "
                                                   "pp.pozadavek_id = ? ORDER BY predpis_id"),
                                    {reg.requirement}));
    }

    void everyFieldUnderItsHeaderAndBesideItsLabel()
    {
        ExportRegister reg;
        distinctValues(reg);
        const Rows stored =
            reg.db->query(QStringLiteral("SELECT * FROM rizika WHERE id_riziko = ?"), {reg.first});
        // What a cell shows of each field: the sheet keeps numbers as numbers, the form shows
        // the program's decimal comma and a blank for nothing.
        const auto expected = [&](const QString &field, bool form) {
            const QVariant v = stored.value(0, field);
            if (field == QStringLiteral("riziko"))
                return form ? QStringLiteral("12,5") : QStringLiteral("12.5");
            if (field == QStringLiteral("legislativa"))
                return QStringLiteral("ano");
            if (field == QStringLiteral("pozadavek_id"))
                return reg.requirementText;
            if (field.endsWith(QStringLiteral("_termin")) ||
                field.endsWith(QStringLiteral("_splneno")))
                return Database::toDate(v).toString(QStringLiteral("dd.MM.yyyy"));
            const QString text = v.toString();
            return text.isEmpty() && form ? QStringLiteral(" ") : text;
        };

        const QString sheetPath = reg.dir.filePath(QStringLiteral("s.xlsx"));
        QCOMPARE(writeRiskExport(*reg.db, {reg.first}, plain(true, false, false, false), sheetPath)
                     .outcome,
                 ExportResult::Written);
        const auto risks = XlsxReader(sheetPath).sheet(QStringLiteral("rizika "));
        QCOMPARE(risks.at(int(shownFields().size()), 1), QString()); // nothing right of it
        for (int c = 0; c < shownFields().size(); ++c) {
            const Shown &f = shownFields()[c];
            QCOMPARE(risks.at(c, 1), QString::fromUtf8(f.header));
            QCOMPARE(risks.at(c, 2), expected(QString::fromLatin1(f.field), false));
        }

        const QString formPath = reg.dir.filePath(QStringLiteral("f.xlsx"));
        QCOMPARE(writeRiskExport(*reg.db, {reg.first}, form(), formPath).outcome,
                 ExportResult::Written);
        const auto sheet = XlsxReader(formPath).sheet(QStringLiteral("Rizika"));
        int row = sheet.rowOf(QStringLiteral("Systém :"));
        QVERIFY(row > 2);
        for (const Shown &f : shownFields()) {
            if (!f.label)
                continue;
            QCOMPARE(sheet.at(0, row), QString::fromUtf8(f.label));
            QCOMPARE(sheet.at(2, row), expected(QString::fromLatin1(f.field), true));
            ++row;
            // the value's level below it: 12,5 lies below every band
            if (QByteArray(f.field) == "riziko")
                QCOMPARE(sheet.row(row++, 3), QStringLiteral("Úroveň rizika :|| "));
        }
        QCOMPARE(sheet.at(0, row), QStringLiteral("Číslo předpisu"));
    }

    void formShowsLabelledRowsPerRisk()
    {
        ExportRegister reg;
        const QString path = reg.dir.filePath(QStringLiteral("f.xlsx"));
        QStringList texts;
        const auto progress = [&](const QString &text, int, int) {
            texts << text;
            return true;
        };
        QCOMPARE(writeRiskExport(*reg.db, reg.ids, form(), path, progress).outcome,
                 ExportResult::Written);
        QVERIFY(texts.contains(QStringLiteral("Export dat do sešitu MS Excel ...")));
        QVERIFY(texts.contains(
            QStringLiteral("Probíhá export a formátování rizik. (1/%1)").arg(reg.ids.size())));

        const XlsxReader book(path);
        QCOMPARE(book.sheets(), QStringList{QStringLiteral("Rizika")});
        const auto sheet = book.sheet(QStringLiteral("Rizika"));
        QCOMPARE(sheet.at(QStringLiteral("A1")), QStringLiteral("Přehled rizik"));
        QVERIFY(sheet.merged.contains(QStringLiteral("A1:D1")));
        QVERIFY(sheet.merged.contains(QStringLiteral("A2:D2")));

        // the first block's sub-tables after its labelled rows
        const int top = sheet.rowOf(QStringLiteral("Systém :"));
        QVERIFY(top > 2);
        const int equipment = sheet.rowOf(QStringLiteral("OOPP"), top);
        QCOMPARE(sheet.row(equipment, 2), QStringLiteral("OOPP|Poskytnuto"));
        QCOMPARE(sheet.row(equipment + 1, 2), QStringLiteral("Brýle|ne"));
        const int tasks = sheet.rowOf(QStringLiteral("Termín"), equipment);
        QCOMPARE(sheet.row(tasks, 3), QStringLiteral("Termín|Odpovědnost|Dílčí úkol"));
        QCOMPARE(sheet.row(tasks + 1, 3), QStringLiteral("15.01.2024|Dvořák|První úkol"));
        // the second risk's block follows
        QVERIFY(sheet.rowOf(QStringLiteral("Systém :"), tasks) > tasks);
    }

    void formShowsOnlyTheChosenItems()
    {
        ExportRegister reg;
        const QString path = reg.dir.filePath(QStringLiteral("f.xlsx"));
        QCOMPARE(writeRiskExport(*reg.db, {reg.first},
                                 form({QStringLiteral("poznamky"), QStringLiteral("legislativa")}),
                                 path)
                     .outcome,
                 ExportResult::Written);
        const auto sheet = XlsxReader(path).sheet(QStringLiteral("Rizika"));
        const int top = sheet.rowOf(QStringLiteral("Porušení požadavků :"));
        QVERIFY(top > 0);
        QCOMPARE(sheet.at(0, top + 1), QStringLiteral("Poznámky :"));
        QCOMPARE(sheet.lastRow, top + 1);
    }

    void formShowsTheLevelOfTheValueInItsColour()
    {
        ExportRegister reg(2);
        reg.db->execute(QStringLiteral("UPDATE rizika SET riziko = 250 WHERE id_riziko = ?"),
                        {reg.ids[1]});
        const QString path = reg.dir.filePath(QStringLiteral("f.xlsx"));
        const auto exportValues = [&] {
            return writeRiskExport(*reg.db, reg.ids, form({QStringLiteral("riziko")}), path)
                .outcome;
        };
        QCOMPARE(exportValues(), ExportResult::Written);
        auto sheet = XlsxReader(path).sheet(QStringLiteral("Rizika"));
        // 12,5 is below the lowest band: no level, no colour.
        const int first = sheet.rowOf(QStringLiteral("Riziko :"));
        QCOMPARE(sheet.row(first, 3), QStringLiteral("Riziko :||12,5"));
        QCOMPARE(sheet.row(first + 1, 3), QStringLiteral("Úroveň rizika :|| "));
        // 250 lies in the third of four bands: value and level in its light tint.
        const int second = sheet.rowOf(QStringLiteral("Riziko :"), first + 1);
        QCOMPARE(sheet.row(second, 3), QStringLiteral("Riziko :||250"));
        QCOMPARE(sheet.row(second + 1, 3), QStringLiteral("Úroveň rizika :||Vysoké riziko"));
        const risks::Rgb c = risks::levelColour(2, 4);
        const QString tint = QStringLiteral("%1%2%3")
                                 .arg(c.red, 2, 16, QLatin1Char('0'))
                                 .arg(c.green, 2, 16, QLatin1Char('0'))
                                 .arg(c.blue, 2, 16, QLatin1Char('0'))
                                 .toUpper();
        QStringList filled;
        for (int r : {second, second + 1})
            for (const char *column : {"C", "D"})
                filled << QString::fromLatin1(column) + QString::number(r);
        for (const QString &cell : filled)
            QCOMPARE(sheet.fills.value(cell), tint);
        QCOMPARE(sheet.fills.size(), filled.size());

        // A register without levels keeps the form as it was.
        reg.db->execute(QStringLiteral("DELETE FROM urovne_rizika"));
        QCOMPARE(exportValues(), ExportResult::Written);
        sheet = XlsxReader(path).sheet(QStringLiteral("Rizika"));
        QVERIFY(sheet.rowOf(QStringLiteral("Riziko :")) > 0);
        QCOMPARE(sheet.rowOf(QStringLiteral("Úroveň rizika :")), 0);
        QVERIFY(sheet.fills.isEmpty());
    }

    // Cancelled part-way or at once, or failed, an export leaves neither its file nor a
    // half-written one: an earlier file of that name stays until an export is finished.
    void unfinishedExportKeepsWhatWasThere()
    {
        ExportRegister reg;
        const QString path = reg.dir.filePath(QStringLiteral("Rizika.xlsx"));
        const QStringList before = folderEntries(reg.dir.path());
        int calls = 0;
        const auto cancelSoon = [&](const QString &, int, int) { return ++calls < 3; };
        QCOMPARE(writeRiskExport(*reg.db, reg.ids, plain(true, true, true, true), path, cancelSoon)
                     .outcome,
                 ExportResult::Cancelled);
        QCOMPARE(folderEntries(reg.dir.path()), before);

        QFile old(path);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("old");
        old.close();
        const auto cancel = [](const QString &, int, int) { return false; };
        QCOMPARE(writeRiskExport(*reg.db, reg.ids, form(), path, cancel).outcome,
                 ExportResult::Cancelled);
        QCOMPARE(fileBytes(path), QByteArray("old"));
        QCOMPARE(writeRiskExport(*reg.db, reg.ids, form(), path).outcome, ExportResult::Written);
        QCOMPARE(fileBytes(path).left(2), QByteArray("PK"));
        QCOMPARE(folderEntries(reg.dir.path()).size(), before.size() + 1);

        // A folder that is not there: a failure, and no file.
        const QString missing = reg.dir.filePath(QStringLiteral("missing/Rizika.xlsx"));
        const ExportResult result = writeRiskExport(*reg.db, reg.ids, form(), missing);
        QCOMPARE(result.outcome, ExportResult::Failed);
        QVERIFY(!result.error.isEmpty());
        QVERIFY(!QFile::exists(missing));
    }

    // What a killed export left in the folder goes with the next export into it; the files
    // of a process that still runs (this one) stay.
    void exportRemovesWhatKilledExportsLeft()
    {
        ExportRegister reg;
        const QString path = reg.dir.filePath(QStringLiteral("Rizika.xlsx"));
        QProcess killed;
        killed.start(QStringLiteral("sleep"), {QStringLiteral("60")});
        QVERIFY(killed.waitForStarted());
        const qint64 dead = killed.processId();
        killed.kill();
        QVERIFY(killed.waitForFinished());
        const QString host = QSysInfo::machineHostName();
        const QString left =
            files::temporaryPrefix(path, host, dead) + QStringLiteral("xYzAbC.part");
        const QString own = files::temporaryPrefix(path) + QStringLiteral("xYzAbC.part");
        for (const QString &name : {left, own}) {
            QFile file(name);
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        QCOMPARE(writeRiskExport(*reg.db, reg.ids, form(), path).outcome, ExportResult::Written);
        QVERIFY(!QFile::exists(left));
        QVERIFY(QFile::exists(own));
        QCOMPARE(fileBytes(own), QByteArray());
    }

    void exportFolderIsRememberedPerUser()
    {
        ExportRegister reg;
        QCOMPARE(rememberedExportFolder(*reg.db, QStringLiteral("jan")), QString());
        rememberExportFolder(*reg.db, QStringLiteral("jan"), QStringLiteral("/tmp/a"));
        rememberExportFolder(*reg.db, QStringLiteral("jan"), QStringLiteral("/tmp/b'c"));
        rememberExportFolder(*reg.db, QStringLiteral("eva"), QStringLiteral("/tmp/e"));
        QCOMPARE(rememberedExportFolder(*reg.db, QStringLiteral("jan")),
                 QStringLiteral("/tmp/b'c"));
        QCOMPARE(rememberedExportFolder(*reg.db, QStringLiteral("eva")), QStringLiteral("/tmp/e"));
        QCOMPARE(reg.db->scalarInt(QStringLiteral("SELECT count(*) FROM uzivatelske_nastaveni "
                                                  "WHERE uzivatel = 'jan' AND typ = 'cesta' AND "
                                                  "polozka = 'export'")),
                 qint64(1));
    }

    void cellHelpers()
    {
        // A flag or a date that is there is read back from the sheets above.
        QCOMPARE(yesNo(QString()), QStringLiteral("ne"));
        QCOMPARE(dateText(QVariant()), QString());
    }
};

QTEST_GUILESS_MAIN(TestRiskExport)
#include "tst_riskexport.moc"
