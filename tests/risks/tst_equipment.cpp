#include "TestDatabase.h"

#include "risks/Equipment.h"

#include <QTemporaryDir>
#include <QTest>

using namespace tamvel;
using namespace tamvel::risks;

class TestEquipment : public QObject
{
    Q_OBJECT

private slots:
    void offersTheCodeListInCzechOrderWithoutWhatIsListed();
    void addingSkipsWhatIsListedAndStopsAtTheCapacity();
};

static EquipmentLine line(const char *name, const QString &flag)
{
    return EquipmentLine{QString::fromUtf8(name), flag};
}

void TestEquipment::offersTheCodeListInCzechOrderWithoutWhatIsListed()
{
    QTemporaryDir dir;
    auto db = newDatabase(dir);
    for (const char *name : {"Helma", "Chrániče sluchu", "Čepice", "Cvičky", "Brýle"})
        db->execute(QStringLiteral("INSERT INTO oop (oop) VALUES (?)"), {QString::fromUtf8(name)});
    // Provided equipment is not offered again as provided, but still as missing. Lines match
    // trimmed and in the same case only. Czech order: "č" after "c", "ch" after "h".
    const QVector<EquipmentLine> lines{line("Čepice ", Provided), line("helma", Provided),
                                       line("Brýle", Missing)};
    QCOMPARE(offeredEquipment(*db, lines, Provided),
             (QStringList{QStringLiteral("Brýle"), QStringLiteral("Cvičky"),
                          QStringLiteral("Helma"), QStringLiteral("Chrániče sluchu")}));
    QCOMPARE(offeredEquipment(*db, lines, Missing),
             (QStringList{QStringLiteral("Cvičky"), QStringLiteral("Čepice"),
                          QStringLiteral("Helma"), QStringLiteral("Chrániče sluchu")}));
}

void TestEquipment::addingSkipsWhatIsListedAndStopsAtTheCapacity()
{
    QVector<EquipmentLine> lines{line("Helma", Provided)};
    const QStringList chosen{QStringLiteral("Brýle"), QStringLiteral("Helma"),
                             QStringLiteral("Brýle"), QString()};
    QCOMPARE(addEquipment(lines, chosen, Provided), 1);
    QCOMPARE(lines, (QVector<EquipmentLine>{line("Helma", Provided), line("Brýle", Provided)}));
    // The same equipment may still be listed as missing.
    QCOMPARE(addEquipment(lines, {QStringLiteral("Helma")}, Missing), 1);
    QCOMPARE(lines.last(), line("Helma", Missing));

    QVector<EquipmentLine> full;
    for (int i = 0; i < MaxEquipmentLines - 1; ++i)
        full.append({QStringLiteral("OOPP %1").arg(i), Provided});
    QCOMPARE(addEquipment(full, {QStringLiteral("X"), QStringLiteral("Y")}, Missing), 1);
    QCOMPARE(full.size(), MaxEquipmentLines);
    QCOMPARE(full.last(), (EquipmentLine{QStringLiteral("X"), Missing}));
}

QTEST_GUILESS_MAIN(TestEquipment)
#include "tst_equipment.moc"
