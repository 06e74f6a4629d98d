#include "ScriptedMessages.h"
#include "TestDatabase.h"

#include "risks/FormulaSlots.h"
#include "risks/Highlights.h"
#include "risks/RiskValue.h"
#include "risks/StarterValues.h"

#include <QTemporaryDir>
#include <QTest>

using namespace tamvel;
using namespace tamvel::risks;

class TestStarterValues : public QObject
{
    Q_OBJECT

private:
    // Every row of the tables the starter values touch, to tell that nothing changed.
    static QStringList contents(Database &db)
    {
        QStringList rows;
        for (const char *table :
             {"zavaznost", "pravdepodobnost", "frekvence", "urovne_rizika", "algoritmy"}) {
            const Rows r = db.query(
                QStringLiteral("SELECT * FROM %1 ORDER BY rowid").arg(QString::fromLatin1(table)));
            for (int i = 0; i < r.size(); ++i) {
                QStringList cells{QString::fromLatin1(table)};
                for (int c = 0; c < r.columnCount(); ++c)
                    cells << r.at(i, c).toString();
                rows << cells.join(QLatin1Char('|'));
            }
        }
        return rows;
    }

private slots:
    void aFilledRegisterRatesRisksAtOnce()
    {
        QTemporaryDir dir;
        auto db = newDatabase(dir);
        db->execute(
            QStringLiteral("INSERT INTO algoritmy (algoritmus, aktivni) VALUES ('Z*P', 1)"));
        QVERIFY(scalesEmpty(*db));
        ScriptedMessages messages;
        QVERIFY(fillStarterValues(*db, messages));
        QCOMPARE(messages.kinds(), QStringList{QStringLiteral("inform")});
        QCOMPARE(messages.lastText(),
                 QStringLiteral("Doplněno: 6 závažností, 7 pravděpodobností, 6 frekvencí, 5 "
                                "úrovní rizika a aktivní vzorec Z*P*F."));
        QVERIFY(!scalesEmpty(*db));
        // The only active formula now; the earlier one stays in its slot.
        QCOMPARE(loadActiveFormula(*db), QStringLiteral("Z*P*F"));
        QCOMPARE(loadFormulas(*db), (QVector<FormulaSlot>{{QStringLiteral("Z*P"), false},
                                                          {QStringLiteral("Z*P*F"), true}}));

        // A risk is computed from the new scales and falls in a band.
        const Evaluation one =
            evaluateRatings(*db, QStringLiteral("Jedna oběť"),
                            QStringLiteral("Neobvyklá, ale možná"), QStringLiteral("Denně"));
        QVERIFY(one.notices.isEmpty());
        QCOMPARE(one.value, std::optional<double>(270));
        const RiskLevels levels = RiskLevels::load(*db);
        QCOMPARE(levels.nameOf(one.value), QStringLiteral("Vysoké"));
        QCOMPARE(levels.nameOf(evaluateRatings(*db, QStringLiteral("Drobné, první pomoc"),
                                               QStringLiteral("Téměř nemyslitelná"),
                                               QStringLiteral("Velmi zřídka"))
                                   .value),
                 QStringLiteral("Přijatelné"));
        QCOMPARE(levels.nameOf(evaluateRatings(*db, QStringLiteral("Katastrofa, mnoho obětí"),
                                               QStringLiteral("Lze očekávat"),
                                               QStringLiteral("Nepřetržitě"))
                                   .value),
                 QStringLiteral("Velmi vysoké"));
        // Without a frequency the value is 0, still in the lowest band.
        QCOMPARE(levels.nameOf(evaluateRatings(*db, QStringLiteral("Několik obětí"),
                                               QStringLiteral("Zcela možná"), QString())
                                   .value),
                 QStringLiteral("Přijatelné"));

        // A second run, or a run over one filled scale, changes nothing.
        const QStringList filled = contents(*db);
        QCOMPARE(fillStarterValues(*db).status, StarterOutcome::ScalesNotEmpty);
        QVERIFY(!fillStarterValues(*db, messages));
        QCOMPARE(messages.shown.last().kind, QStringLiteral("warn"));
        QVERIFY(messages.lastText().endsWith(QStringLiteral("Nic nebylo změněno.")));
        QCOMPARE(contents(*db), filled);

        auto other = newDatabase(dir, QStringLiteral("o.mdb"));
        other->execute(
            QStringLiteral("INSERT INTO frekvence (frekvence_popis, frekvence) VALUES ('x', 10)"));
        const QStringList before = contents(*other);
        QVERIFY(!scalesEmpty(*other));
        QCOMPARE(fillStarterValues(*other).status, StarterOutcome::ScalesNotEmpty);
        QCOMPARE(contents(*other), before);
    }

    void theRegistersOwnLevelsAndFormulasStay()
    {
        QTemporaryDir dir;
        // Own levels are kept as they are; Z*P*F stored already becomes active, not doubled.
        auto db = newDatabase(dir);
        db->execute(QStringLiteral(
            "INSERT INTO urovne_rizika (limitni_uroven_rizika, riziko_od) VALUES ('Nízké', 0), "
            "('Vysoké', 100)"));
        db->execute(QStringLiteral("INSERT INTO algoritmy (algoritmus, aktivni) VALUES "
                                   "('Z*P*F', 0), ('Z+P', 1)"));
        ScriptedMessages messages;
        QVERIFY(fillStarterValues(*db, messages));
        QVERIFY(messages.lastText().contains(
            QStringLiteral("Úrovně rizika zůstaly beze změny (počet úrovní: 2).")));
        QCOMPARE(db->scalarInt(QStringLiteral("SELECT count(*) FROM urovne_rizika")), 2);
        QCOMPARE(loadFormulas(*db), (QVector<FormulaSlot>{{QStringLiteral("Z*P*F"), true},
                                                          {QStringLiteral("Z+P"), false}}));

        // Every formula slot taken by others: refused before anything is written.
        auto full = newDatabase(dir, QStringLiteral("full.mdb"));
        for (const char *formula : {"Z", "P", "F", "Z*P", "Z+P+F"})
            full->execute(
                QStringLiteral("INSERT INTO algoritmy (algoritmus, aktivni) VALUES (?, 0)"),
                {QString::fromLatin1(formula)});
        const QStringList before = contents(*full);
        QVERIFY(!fillStarterValues(*full, messages));
        QCOMPARE(messages.shown.last().kind, QStringLiteral("warn"));
        QVERIFY(messages.lastText().startsWith(QStringLiteral("Vzorec Z*P*F nelze doplnit")));
        QCOMPARE(contents(*full), before);
        QVERIFY(scalesEmpty(*full));
    }
};

QTEST_GUILESS_MAIN(TestStarterValues)
#include "tst_startervalues.moc"
