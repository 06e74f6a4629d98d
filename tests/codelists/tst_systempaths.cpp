#include "TestDatabase.h"

#include "codelists/SystemPaths.h"

#include <QTemporaryDir>
#include <QTest>

using namespace tamvel;

class TestSystemPaths : public QObject
{
    Q_OBJECT

private slots:
    void pathsRunFromTheRootDown();
    void damagedTreesNeverHang();
};

void TestSystemPaths::pathsRunFromTheRootDown()
{
    QTemporaryDir dir;
    auto db = newDatabase(dir);
    const QString add =
        QStringLiteral("INSERT INTO systemy (system, system_nadrazeny) VALUES (?, ?)");
    db->execute(add, {QStringLiteral("A"), QString()});
    db->execute(add, {QStringLiteral("Lisovna"), QStringLiteral("A")});
    db->execute(add, {QStringLiteral("Lis 1"), QStringLiteral("Lisovna")});
    db->execute(add, {QStringLiteral("Sirotek"), QStringLiteral("Smazaný")});
    const systems::ParentMap parents = systems::loadParents(*db);

    QCOMPARE(systems::path(QStringLiteral("A"), parents), QStringLiteral("A"));
    QCOMPARE(systems::path(QStringLiteral("Lis 1"), parents), QStringLiteral("A/Lisovna/Lis 1"));
    // A parent that is no longer a system ends the walk; its stored name still shows.
    QCOMPARE(systems::path(QStringLiteral("Sirotek"), parents), QStringLiteral("Smazaný/Sirotek"));
    // So does a name that is not a system at all.
    QCOMPARE(systems::path(QStringLiteral("Neznámý"), parents), QStringLiteral("Neznámý"));
}

void TestSystemPaths::damagedTreesNeverHang()
{
    systems::ParentMap parents;
    parents.insert(QStringLiteral("A"), QStringLiteral("B"));
    parents.insert(QStringLiteral("B"), QStringLiteral("C"));
    parents.insert(QStringLiteral("C"), QStringLiteral("A"));
    parents.insert(QStringLiteral("D"), QStringLiteral("C"));
    parents.insert(QStringLiteral("S"), QStringLiteral("S"));
    QCOMPARE(systems::path(QStringLiteral("A"), parents), QStringLiteral("C/B/A"));
    QCOMPARE(systems::path(QStringLiteral("D"), parents), QStringLiteral("B/A/C/D"));
    QCOMPARE(systems::path(QStringLiteral("S"), parents), QStringLiteral("S"));

    // A deep chain far beyond a thousand systems.
    systems::ParentMap chain;
    chain.insert(QStringLiteral("s0"), QString());
    for (int i = 1; i <= 5000; ++i)
        chain.insert(QStringLiteral("s%1").arg(i), QStringLiteral("s%1").arg(i - 1));
    const QString deep = systems::path(QStringLiteral("s5000"), chain);
    QVERIFY(deep.startsWith(QStringLiteral("s0/s1/s2/")));
    QCOMPARE(deep.count(QLatin1Char('/')), 5000);
}

QTEST_GUILESS_MAIN(TestSystemPaths)
#include "tst_systempaths.moc"
