#include "TestDatabase.h"
#include "XlsxReader.h"
#include "export/EquipmentExport.h"

#include <QTest>

using namespace tamvel;
using namespace tamvel::exports;

// Two systems, a child system, three workers and their equipment.
struct EquipmentRegister
{
    QTemporaryDir dir;
    std::unique_ptr<Database> db = newDatabase(dir);

    EquipmentRegister()
    {
        for (const char *sql :
             {"INSERT INTO systemy (system, system_nadrazeny) VALUES ('Dílna', ''), "
              "('Sklad', ''), ('Lakovna', 'Dílna')",
              "INSERT INTO pracovnici (pracovnik) VALUES ('Svářeč'), ('Lakýrník'), ('Skladník')",
              "INSERT INTO rizika (id_riziko, system, pracovnik) VALUES (1, 'Dílna', 'Svářeč'), "
              "(2, 'Sklad', 'Svářeč'), (3, 'Lakovna', 'Lakýrník'), (4, 'Sklad', 'Skladník')",
              // Gloves are provided in risk 1 and missing in risk 2.
              "INSERT INTO oop_rizika (id_riziko, oop, oop_poskytnuto) VALUES "
              "(1, 'Rukavice', 'a'), (1, 'Štít', 'n'), (2, 'Rukavice', 'n'), (2, 'Obuv', 'a'), "
              "(3, 'Respirátor', 'a'), (3, 'Rukavice', 'a'), (4, 'Přilba', 'n')"})
            db->execute(QString::fromUtf8(sql));
    }
};

class TestEquipmentExport : public QObject
{
    Q_OBJECT

private slots:
    void systemsGiveTheirWorkersOnce()
    {
        EquipmentRegister reg;
        QCOMPARE(equipmentWorkers(*reg.db).size(), 3); // the workers route offers the code list
        const EquipmentChoice c = workersOfSystems(
            *reg.db, {QStringLiteral("Dílna"), QStringLiteral("Lakovna"), QStringLiteral("Sklad")});
        QVERIFY(c.throughSystems);
        QCOMPARE(c.workers, (QStringList{QStringLiteral("Svářeč"), QStringLiteral("Lakýrník"),
                                         QStringLiteral("Skladník")}));
        QCOMPARE(c.risksOf.value(QStringLiteral("Svářeč")), (QVector<qint64>{1, 2}));
    }

    void workersRouteSheet()
    {
        EquipmentRegister reg;
        EquipmentChoice c;
        c.workers = QStringList{QStringLiteral("Svářeč"), QStringLiteral("Skladník")};
        const QString path = reg.dir.filePath(QStringLiteral("OOPP.xlsx"));
        QStringList steps;
        const ExportResult r =
            writeEquipmentExport(*reg.db, c, path, [&](const QString &text, int, int) {
                steps << text;
                return true;
            });
        QCOMPARE(r.outcome, ExportResult::Written);
        QVERIFY(steps.contains(QStringLiteral("Export dat do sešitu MS Excel ...")));
        QVERIFY(steps.contains(QStringLiteral("Probíhá export a formátování OOPP.")));
        QCOMPARE(steps.last(), QStringLiteral("Probíhá export a formátování rizik. (2/2)"));

        const XlsxReader book(path);
        QCOMPARE(book.sheets(), QStringList{QStringLiteral("OOPP")});
        const auto s = book.sheet(QStringLiteral("OOPP"));
        QCOMPARE(s.at(QStringLiteral("A1")),
                 QStringLiteral("Seznam osobních ochranných pracovních prostředků (OOPP)"));
        QVERIFY(s.merged.contains(QStringLiteral("A1:C1")));
        QCOMPARE(s.row(2, 3), QStringLiteral("||"));
        QCOMPARE(s.row(3, 3), QStringLiteral("Pracovník/činnost|Přidělené OOPP|Chybějící OOPP"));
        QCOMPARE(s.row(4, 3), QStringLiteral("Svářeč|Rukavice, Obuv|Štít, Rukavice"));
        QCOMPARE(s.row(5, 3), QStringLiteral("Skladník||Přilba"));
        QCOMPARE(s.lastRow, 5);

        const QString xml =
            QString::fromUtf8(book.part(QStringLiteral("xl/worksheets/sheet1.xml")));
        QVERIFY2(xml.contains(QStringLiteral(
                     "<oddHeader>&amp;CStránka &amp;P z &amp;N&amp;R&amp;D</oddHeader>")),
                 qPrintable(xml));
        const QString workbook = QString::fromUtf8(book.part(QStringLiteral("xl/workbook.xml")));
        QVERIFY2(workbook.contains(QStringLiteral("OOPP!$1:$3")), qPrintable(workbook));
        const QString styles = QString::fromUtf8(book.part(QStringLiteral("xl/styles.xml")));
        QVERIFY(styles.contains(QStringLiteral("Arial CE")));
    }

    void systemsRouteSheet()
    {
        EquipmentRegister reg;
        EquipmentChoice c =
            workersOfSystems(*reg.db, {QStringLiteral("Dílna"), QStringLiteral("Lakovna")});
        const QString path = reg.dir.filePath(QStringLiteral("OOPP.xlsx"));
        QCOMPARE(writeEquipmentExport(*reg.db, c, path).outcome, ExportResult::Written);
        const XlsxReader book(path);
        const auto s = book.sheet(QStringLiteral("OOPP"));
        QCOMPARE(s.at(QStringLiteral("A2")), QStringLiteral("Pro systémy: Dílna, Lakovna"));
        QVERIFY(s.at(QStringLiteral("A3")).isEmpty());
        QCOMPARE(s.at(QStringLiteral("A4")), QStringLiteral("Pracovník/činnost"));
        // risk 2 lies in "Sklad", not chosen
        QCOMPARE(s.row(5, 3), QStringLiteral("Svářeč|Rukavice|Štít"));
        QCOMPARE(s.row(6, 3), QStringLiteral("Lakýrník|Respirátor, Rukavice|"));
        const QString workbook = QString::fromUtf8(book.part(QStringLiteral("xl/workbook.xml")));
        QVERIFY2(workbook.contains(QStringLiteral("OOPP!$1:$4")), qPrintable(workbook));
    }

    void cancelLeavesNoFile()
    {
        EquipmentRegister reg;
        EquipmentChoice c;
        c.workers = QStringList{QStringLiteral("Svářeč"), QStringLiteral("Skladník")};
        const QString path = reg.dir.filePath(QStringLiteral("OOPP.xlsx"));
        const ExportResult r = writeEquipmentExport(
            *reg.db, c, path, [](const QString &, int current, int) { return current < 1; });
        QCOMPARE(r.outcome, ExportResult::Cancelled);
        QCOMPARE(folderEntries(reg.dir.path()), QStringList{QStringLiteral("t.mdb")});
    }
};

QTEST_GUILESS_MAIN(TestEquipmentExport)
#include "tst_equipmentexport.moc"
