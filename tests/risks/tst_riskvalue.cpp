#include "RiskRegister.h"
#include "ScriptedMessages.h"

#include "risks/FormulaSlots.h"
#include "risks/RiskFilter.h"
#include "risks/RiskGrid.h"
#include "risks/RiskRecord.h"
#include "risks/RiskValue.h"

#include <QTest>

using namespace tamvel;

class TestRiskValue : public QObject
{
    Q_OBJECT

private slots:
    void activeFormulaIsTheOneMarkedRow();
    void evaluation_data();
    void evaluation();
    void recomputationTouchesOpenRisksOnly();
    void recomputationReportsEachKindOnce();
    void valuesAreKeptAsSingles();
    void savingRepeatedTextsWithoutAMarkOrFailing();
    void formulasChangedMeanwhileAreNotOverwritten_data();
    void formulasChangedMeanwhileAreNotOverwritten();
};

using Stored = QList<QPair<QString, double>>;

static const QString Severe = QStringLiteral("Vážný úraz");
static const QString Likely = QStringLiteral("Zcela možná");
static const QString Daily = QStringLiteral("Často (denně)");

// One entry per scale: severity 30 (3), probability 60 (6), frequency 25 (2.5).
static void fillScales(RiskRegister &r)
{
    r.scale("zavaznost", Severe, 30);
    r.scale("pravdepodobnost", Likely, 60);
    r.scale("frekvence", Daily, 25);
}

// Each message as "kind|title|text".
static QStringList described(const ScriptedMessages &messages)
{
    QStringList result;
    for (const ScriptedMessages::Shown &s : messages.shown)
        result << s.kind + QLatin1Char('|') + s.title + QLatin1Char('|') + s.text;
    return result;
}

static QString shown(const char *kind, const char *title, const QString &text)
{
    return QString::fromUtf8(kind) + QLatin1Char('|') + QString::fromUtf8(title) +
           QLatin1Char('|') + text;
}

static QString mismatch(const char *scale)
{
    return QStringLiteral("Nesoulad mezi rizikem a číselníkem ") + QString::fromUtf8(scale);
}

static const QString NoFormula =
    shown("fail", "Tamvel", QStringLiteral("Nezvolen algoritmus výpočtu"));

// Slots from texts; the slot numbered `active` (1..5) is marked, 0 marks none.
static FormulaSlots slotsOf(const QStringList &texts, int active)
{
    FormulaSlots result;
    for (int i = 0; i < texts.size(); ++i)
        result[size_t(i)] = FormulaSlot{texts[i], i + 1 == active};
    return result;
}

void TestRiskValue::activeFormulaIsTheOneMarkedRow()
{
    RiskRegister r;
    QCOMPARE(loadActiveFormula(*r.db), QString());
    r.formula(QStringLiteral("Z*P"), false);
    QCOMPARE(loadActiveFormula(*r.db), QString());
    r.formula(QStringLiteral("Z * P * F"), true);
    QCOMPARE(loadActiveFormula(*r.db), QStringLiteral("Z * P * F"));
    r.formula(QStringLiteral("Z+P"), true);
    QCOMPARE(loadActiveFormula(*r.db), QString()); // two marked rows: none is active

    // The editor's slots hold the first five rows in stored order, marks included.
    for (const char *text : {"Z", "P", "F"})
        r.formula(QString::fromUtf8(text), text[0] == 'F');
    const FormulaSlots read = formulaSlotsOf(loadFormulas(*r.db));
    QCOMPARE(read[4].text, QStringLiteral("P"));
    for (int i = 0; i < FormulaSlotCount; ++i)
        QCOMPARE(read[size_t(i)].active, i == 1 || i == 2);
}

void TestRiskValue::evaluation_data()
{
    QTest::addColumn<QStringList>("active"); // the formulas marked active
    QTest::addColumn<QString>("severity");
    QTest::addColumn<QString>("probability");
    QTest::addColumn<QString>("frequency");
    QTest::addColumn<QVariant>("value"); // invalid: none
    QTest::addColumn<QStringList>("messages");
    const auto row = [](const char *name, const char *formula, const QString &severity,
                        const QString &probability, const QString &frequency, const QVariant &value,
                        const QStringList &messages = {}) {
        const QStringList active = QString::fromUtf8(formula).split(u';', Qt::SkipEmptyParts);
        QTest::newRow(name) << active << severity << probability << frequency << value << messages;
    };
    const QString empty;
    row("stored tenths", "Z * P * F", Severe, Likely, Daily, 3 * 6 * 2.5);
    // An empty frequency counts as 0 without a message.
    row("empty frequency", "Z + P + F", Severe, Likely, empty, 9.0);
    row("blank frequency", "Z + P + F", Severe, Likely, QStringLiteral("  "), 9.0);
    row("failed evaluation tells nothing", "Z/F", Severe, Likely, empty, QVariant());
    // The editor's texts are used unchanged: blanks around a description do not match.
    row("each scale mismatched, in order", "Z + P + F + 1", QStringLiteral(" ") + Severe,
        QStringLiteral("zcela možná"), QStringLiteral("Denně"), 1.0,
        {shown("fail", "Nesoulad", mismatch("závažnosti")),
         shown("fail", "Nesoulad", mismatch("pravděpodobnosti")),
         shown("fail", "Nesoulad", mismatch("frekvence"))});
    row("empty probability mismatched", "Z + P + F + 1", Severe, empty, Daily, 3 + 2.5 + 1,
        {shown("fail", "Nesoulad", mismatch("pravděpodobnosti"))});
    // The lookups come first, then the missing formula.
    row("no active formula", "", QStringLiteral("?"), Likely, Daily, QVariant(),
        {shown("fail", "Nesoulad", mismatch("závažnosti")), NoFormula});
    row("two active formulas", "Z+P;Z-P", Severe, Likely, Daily, QVariant(), {NoFormula});
}

void TestRiskValue::evaluation()
{
    QFETCH(QStringList, active);
    QFETCH(QString, severity);
    QFETCH(QString, probability);
    QFETCH(QString, frequency);
    QFETCH(QVariant, value);
    QFETCH(QStringList, messages);
    RiskRegister r;
    fillScales(r);
    for (const QString &formula : active)
        r.formula(formula, true);
    const Evaluation e = evaluateRatings(*r.db, severity, probability, frequency);
    QCOMPARE(e.value.has_value(), value.isValid());
    if (e.value)
        QCOMPARE(*e.value, value.toDouble());
    // The notices shown as the editor shows them.
    ScriptedMessages shownNotices;
    showPrompts(shownNotices, e.notices);
    QCOMPARE(described(shownNotices), messages);
}

void TestRiskValue::recomputationTouchesOpenRisksOnly()
{
    RiskRegister r;
    fillScales(r);
    r.formula(QStringLiteral("Z * P / F"), false);
    r.risk(2, Severe, Likely, Daily, 2.0, RiskRegister::MeasureDone);
    r.risk(3, Severe, Likely, Daily, 3.0, RiskRegister::ProgrammeDone);
    // No open risk: even a missing formula is not reported.
    ScriptedMessages messages;
    RecomputeResult result = recomputeOpenRisks(*r.db, messages);
    QVERIFY(messages.shown.isEmpty());
    QCOMPARE(result.openRisks, 0);
    QVERIFY(!result.noActiveFormula);

    // Open risks without an active formula: one message, no mismatch told, nothing changed.
    r.risk(1, Severe, Likely, Daily, 1.0);
    r.risk(7, QStringLiteral("Neznámá"), Likely, Daily, 6.0);
    result = recomputeOpenRisks(*r.db, messages);
    QVERIFY(result.noActiveFormula);
    QCOMPARE(result.updated, 0);
    QCOMPARE(described(messages), QStringList{NoFormula});
    QCOMPARE((QVariantList{r.value(1), r.value(7)}), (QVariantList{1.0, 6.0}));

    r.db->execute(QStringLiteral("UPDATE algoritmy SET aktivni = 1"));
    r.db->execute(QStringLiteral("DELETE FROM rizika WHERE id_riziko = 7"));
    const QString padded = QStringLiteral("  ") + Severe + QStringLiteral(" ");
    r.risk(4, Severe, Likely, QString(), 4.0);                          // F = 0: division by zero
    r.risk(5, padded, Likely, QStringLiteral(" ") + Daily, QVariant()); // trimmed descriptions
    r.risk(6, Severe, Likely, Daily, 7.2);                              // already right
    messages.shown.clear();
    result = recomputeOpenRisks(*r.db, messages);
    QCOMPARE((QVariantList{r.value(1), r.value(2), r.value(3), r.value(4), r.value(5), r.value(6)}),
             (QVariantList{7.2, 2.0, 3.0, 4.0, 7.2, 7.2}));
    QCOMPARE(result.openRisks, 4);
    QCOMPARE(result.updated, 2);
    QCOMPARE(result.failedIds, QList<qint64>{4});
    QCOMPARE(described(messages),
             QStringList{shown("warn", "Přepočet rizik",
                               QStringLiteral("Hodnotu rizika nelze vypočítat (např. dělení "
                                              "nulou), ponechána původní hodnota: riziko 4"))});
    QCOMPARE(r.db->transactionDepth(), 0);
}

void TestRiskValue::recomputationReportsEachKindOnce()
{
    RiskRegister r;
    fillScales(r);
    r.formula(QStringLiteral("Z + P + F"), true);
    r.risk(3, QStringLiteral("Neznámá"), Likely, Daily, 0.0);
    r.risk(7, QStringLiteral("Jiná"), Likely, QStringLiteral("Zřídka"), 0.0);
    r.risk(5, Severe, QStringLiteral("Žádná"), Daily, 0.0);
    r.risk(9, Severe, Likely, Daily, 0.0);
    r.risk(10, QStringLiteral("Neznámá"), Likely, Daily, 0.0, RiskRegister::MeasureDone);

    ScriptedMessages messages;
    QCOMPARE(recomputeOpenRisks(*r.db, messages).updated, 4);
    QCOMPARE(described(messages),
             QStringList{shown("fail", "Nesoulad",
                               mismatch("závažnosti") + QStringLiteral(": rizika 3, 7\n") +
                                   mismatch("pravděpodobnosti") + QStringLiteral(": riziko 5\n") +
                                   mismatch("frekvence") + QStringLiteral(": riziko 7"))});
    // A failed lookup counts as 0; each risk gets its own value.
    QCOMPARE((QVariantList{r.value(3), r.value(7), r.value(5), r.value(9), r.value(10)}),
             (QVariantList{0 + 6 + 2.5, 0 + 6 + 0.0, 3 + 0 + 2.5, 3 + 6 + 2.5, 0.0}));

    // A long list of risks is cut.
    r.db->execute(QStringLiteral("DELETE FROM rizika"));
    r.db->execute(QStringLiteral("UPDATE algoritmy SET algoritmus = ?"), {QStringLiteral("Z/F")});
    QStringList first;
    for (int id = 100; id < 160; ++id) {
        r.risk(id, Severe, Likely, QString(), 1.0);
        if (id < 150)
            first << QString::number(id);
    }
    ScriptedMessages many;
    QCOMPARE(recomputeOpenRisks(*r.db, many).failedIds.size(), 60);
    QCOMPARE(many.kinds(), QStringList{QStringLiteral("warn")});
    QVERIFY(many.lastText().endsWith(QStringLiteral(": rizika ") +
                                     first.join(QStringLiteral(", ")) +
                                     QStringLiteral(" a dalších 10")));
    QCOMPARE(r.value(100), QVariant(1.0));
}

// Saves the slots over the formulas stored now.
static SaveOutcome saveOverStored(RiskRegister &r, Messages &messages, const FormulaSlots &formulas)
{
    return saveFormulas(*r.db, messages, formulas, loadFormulas(*r.db));
}

// Storing the typed texts, closing the gaps and recomputing are checked in tst_frmvypocet.
// Exact, unlike QCOMPARE on doubles.
static QString exact(const QVariant &value)
{
    return QString::number(value.toDouble(), 'g', 17);
}

void TestRiskValue::valuesAreKeptAsSingles()
{
    RiskRegister r;
    r.scale("zavaznost", Severe, 4); // 0.4
    r.scale("pravdepodobnost", Likely, 30);
    r.scale("frekvence", Daily, 10);
    r.formula(QStringLiteral("Z * P"), true);
    const double noisy = 0.4 * 3;
    QCOMPARE(exact(noisy), QStringLiteral("1.2000000000000002"));

    // Computed as a Single; a value too large for one is no value.
    QCOMPARE(exact(*evaluateRatings(*r.db, Severe, Likely, Daily).value), QStringLiteral("1.2"));
    QVERIFY(!Formula(QStringLiteral("Z * 1000000000000000000000000000000000000000"))
                 .evaluate(Ratings{1, 1, 1}));

    // Kept with noise by an older version: shown, filtered and sorted as its Single.
    r.risk(1, Severe, Likely, Daily, noisy);
    r.risk(2, Severe, Likely, Daily, 1.2);
    r.risk(3, Severe, Likely, Daily, 1.1);
    QCOMPARE(risks::valueText(noisy), QStringLiteral("1,2"));
    QCOMPARE(risks::valueText(1234.5), QStringLiteral("1234,5"));
    const auto listed = [&](const risks::RiskFilter &filter, bool ascending) {
        const risks::RiskGrid grid = risks::fillRiskGrid(
            *r.db, QStringLiteral("Riziko#1000#"), filter, QStringLiteral("Riziko"), ascending);
        QStringList rows;
        for (int row = 0; row < grid.rowCount(); ++row)
            rows << QString::number(grid.ids[row]) + QLatin1Char(':') + grid.cell(row, 0);
        return rows.join(QLatin1Char(' '));
    };
    QCOMPARE(listed({}, true), QStringLiteral("3:1,1 1:1,2 2:1,2"));
    QCOMPARE(listed({}, false), QStringLiteral("2:1,2 1:1,2 3:1,1"));
    ScriptedMessages messages;
    for (const auto &[op, typed, rows] : {std::tuple{"=", "1,2", "1:1,2 2:1,2"},
                                          {">", "1,2", ""},
                                          {"<>", "1,2", "3:1,1"},
                                          {">=", "1.2", "1:1,2 2:1,2"},
                                          {"<", "1,2000000000000002", "3:1,1"}}) {
        risks::FilterChoice choice;
        choice.rows[0].caption = QStringLiteral("Riziko");
        choice.rows[0].comparison = QString::fromUtf8(op);
        choice.rows[0].value = QString::fromUtf8(typed);
        const std::optional<risks::RiskFilter> filter = compileFilter(*r.db, choice, messages);
        QVERIFY(filter);
        QCOMPARE(listed(*filter, true), QString::fromUtf8(rows));
    }
    QVERIFY(messages.shown.isEmpty());
    QCOMPARE(risks::filterValues(*r.db, QStringLiteral("Riziko")),
             (QStringList{QStringLiteral("1,1"), QStringLiteral("1,2")}));

    // Cleaned when recomputed.
    QCOMPARE(recomputeOpenRisks(*r.db, messages).updated, 2);
    for (qint64 id : {1, 2, 3})
        QCOMPARE(exact(r.value(id)), QStringLiteral("1.2"));
}

void TestRiskValue::savingRepeatedTextsWithoutAMarkOrFailing()
{
    RiskRegister r;
    fillScales(r);
    r.formula(QStringLiteral("Z*P*F"), true);
    r.risk(1, Severe, Likely, Daily, 45.0);
    const QString product = QStringLiteral("Z*P");

    // A repeated text is stored once, from its first slot.
    ScriptedMessages messages;
    SaveOutcome outcome = saveOverStored(
        r, messages, slotsOf({product, QStringLiteral("Z+P"), QString(), product}, 1));
    QCOMPARE(outcome.status, SaveOutcome::Saved);
    QCOMPARE(r.formulas(), (Stored{{product, 1.0}, {QStringLiteral("Z+P"), 0.0}}));
    QCOMPARE(r.value(1), QVariant(18.0));
    QVERIFY(messages.shown.isEmpty());

    // The marked slot repeats an earlier one: stored without an active formula; the open
    // risks keep their values.
    outcome = saveOverStored(r, messages, slotsOf({product, product}, 2));
    QCOMPARE(outcome.status, SaveOutcome::Saved);
    QVERIFY(outcome.recomputed.noActiveFormula);
    QCOMPARE(r.formulas(), (Stored{{product, 0.0}}));
    QCOMPARE(described(messages), QStringList{NoFormula});
    QCOMPARE(r.value(1), QVariant(18.0));
    // So with no slot marked.
    QCOMPARE(saveOverStored(r, messages, slotsOf({QStringLiteral("Z")}, 0)).status,
             SaveOutcome::Saved);
    const Stored before = r.formulas();

    // A failed save changes nothing. A text longer than the table holds passes the check but
    // not the engine.
    const QString tooLong = QStringLiteral("1") + QStringLiteral("+1").repeated(25);
    ScriptedMessages engine;
    outcome = saveOverStored(r, engine, slotsOf({QStringLiteral("Z+P"), tooLong}, 1));
    QCOMPARE(outcome.status, SaveOutcome::EngineError);
    QCOMPARE(engine.kinds(), QStringList{QStringLiteral("fail")});
    QCOMPARE(engine.shown[0].title, QStringLiteral("Tamvel"));
    QVERIFY2(engine.lastText().contains(QStringLiteral("(chyba ")), qPrintable(engine.lastText()));
    QCOMPARE(r.formulas(), before);

    // A failure while recomputing rolls back the rewritten formulas too.
    r.db->execute(QStringLiteral("CREATE TEMP TRIGGER refuse BEFORE UPDATE ON rizika BEGIN "
                                 "SELECT RAISE(ABORT, 'zamítnuto'); END"));
    ScriptedMessages recompute;
    outcome = saveOverStored(r, recompute, slotsOf({QStringLiteral("Z+P")}, 1));
    QCOMPARE(outcome.status, SaveOutcome::EngineError);
    QCOMPARE(recompute.shown.size(), 1);
    // Said in Czech first, the engine's own text below.
    QVERIFY(recompute.lastText().startsWith(QStringLiteral("Údaje porušují pravidla databáze")));
    QVERIFY(recompute.lastText().contains(QStringLiteral("\nzamítnuto (chyba ")));
    QCOMPARE(r.formulas(), before);
    QCOMPARE(r.value(1), QVariant(18.0));
    QCOMPARE(r.db->transactionDepth(), 0);
}

void TestRiskValue::formulasChangedMeanwhileAreNotOverwritten_data()
{
    QTest::addColumn<QStringList>("meanwhile"); // what another copy does after the load
    QTest::addColumn<bool>("refused");
    QTest::newRow("nothing") << QStringList() << false;
    QTest::newRow("a text") << QStringList{QStringLiteral(
                                   "UPDATE algoritmy SET algoritmus = 'Z*F' WHERE aktivni = 1")}
                            << true;
    QTest::newRow("the mark") << QStringList{QStringLiteral("UPDATE algoritmy SET aktivni = 0")}
                              << true;
    QTest::newRow("deleted") << QStringList{QStringLiteral("DELETE FROM algoritmy WHERE aktivni = "
                                                           "0")}
                             << true;
    QTest::newRow("added") << QStringList{QStringLiteral("INSERT INTO algoritmy VALUES ('F', 0)")}
                           << true;
    // The same rows again, in another order: another slot each.
    QTest::newRow("deleted and stored again")
        << QStringList{QStringLiteral("DELETE FROM algoritmy WHERE aktivni = 1"),
                       QStringLiteral("INSERT INTO algoritmy VALUES ('Z*P', 1)")}
        << true;
}

void TestRiskValue::formulasChangedMeanwhileAreNotOverwritten()
{
    QFETCH(QStringList, meanwhile);
    QFETCH(bool, refused);
    RiskRegister r;
    fillScales(r);
    r.formula(QStringLiteral("Z*P"), true);
    r.formula(QStringLiteral("Z+P"), false);
    r.risk(1, Severe, Likely, Daily, 18.0);
    const QVector<FormulaSlot> loaded = loadFormulas(*r.db);

    auto other = Database::open(r.db->path());
    for (const QString &sql : meanwhile)
        other->execute(sql);
    const Stored before = r.formulas();

    ScriptedMessages messages;
    const SaveOutcome outcome =
        saveFormulas(*r.db, messages, slotsOf({QStringLiteral("Z+P")}, 1), loaded);
    if (refused) {
        QCOMPARE(outcome.status, SaveOutcome::Conflict);
        QVERIFY(messages.shown.isEmpty());
        QCOMPARE(r.formulas(), before);
        QCOMPARE(r.value(1), QVariant(18.0));
        QCOMPARE(r.db->transactionDepth(), 0);
    } else {
        QCOMPARE(outcome.status, SaveOutcome::Saved);
        QCOMPARE(r.formulas(), (Stored{{QStringLiteral("Z+P"), 1.0}}));
        QCOMPARE(r.value(1), QVariant(9.0));
    }
}

QTEST_GUILESS_MAIN(TestRiskValue)
#include "tst_riskvalue.moc"
