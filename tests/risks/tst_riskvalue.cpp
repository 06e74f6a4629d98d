#include "RiskRegister.h"
#include "ScriptedMessages.h"

#include "risks/FormulaSlots.h"
#include "risks/RiskValue.h"

#include <QTest>

using namespace tamvel;

// The value, with the notices shown as the editor shows them.
static std::optional<double> evaluated(Database &db, Messages &messages, const QString &severity,
                                       const QString &probability, const QString &frequency)
{
    const Evaluation e = evaluateRatings(db, severity, probability, frequency);
    showPrompts(messages, e.notices);
    return e.value;
}

class TestRiskValue : public QObject
{
    Q_OBJECT

private slots:
    void activeFormulaAndRatingsGiveTheValue();
    void evaluationMessagesComeInOrder();
    void recomputationTouchesOpenRisksOnly();
    void recomputationReportsEachKindOnce();
    void recomputationWithoutWorkOrFormula();
    void slotsAreReadInStoredOrder();
    void savingRefusesBadSlots();
    void savingRewritesTheTableAndRecomputes();
    void repeatedTextIsStoredOnceFromTheFirstSlot();
    void failedSaveChangesNothing();
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

void TestRiskValue::activeFormulaAndRatingsGiveTheValue()
{
    RiskRegister r;
    QCOMPARE(loadActiveFormula(*r.db), QString());
    r.formula(QStringLiteral("Z*P"), false);
    QCOMPARE(loadActiveFormula(*r.db), QString());
    r.formula(QStringLiteral("Z * P * F"), true);
    QCOMPARE(loadActiveFormula(*r.db), QStringLiteral("Z * P * F"));

    r.scale("zavaznost", QStringLiteral("Smrt"), 300);
    r.scale("zavaznost", QStringLiteral("Lehký"), 25);
    r.scale("pravdepodobnost", QStringLiteral("Jistá"), 200);
    r.scale("frekvence", QStringLiteral("Trvale"), 70);
    ScriptedMessages messages;
    const auto value = [&](const char *z, const char *f) {
        return evaluated(*r.db, messages, QString::fromUtf8(z), QStringLiteral("Jistá"),
                         QString::fromUtf8(f));
    };
    // An empty frequency counts as 0 without a message.
    QCOMPARE(value("Smrt", ""), std::optional(0.0));
    QCOMPARE(value("Smrt", "  "), std::optional(0.0));
    QCOMPARE(value("Smrt", "Trvale"), std::optional(30.0 * 20 * 7));
    // A stored 25 takes part as 2.5.
    r.db->execute(QStringLiteral("UPDATE algoritmy SET algoritmus = ? WHERE aktivni = 1"),
                  {QStringLiteral("Z*2")});
    QCOMPARE(value("Lehký", ""), std::optional(5.0));
    // A failed evaluation gives no value and no message.
    r.db->execute(QStringLiteral("UPDATE algoritmy SET algoritmus = ? WHERE aktivni = 1"),
                  {QStringLiteral("Z/F")});
    QVERIFY(!value("Lehký", ""));
    QVERIFY(messages.shown.isEmpty());

    r.formula(QStringLiteral("Z+P"), true);
    QCOMPARE(loadActiveFormula(*r.db), QString()); // two marked rows: none is active
}

void TestRiskValue::evaluationMessagesComeInOrder()
{
    RiskRegister r;
    fillScales(r);
    r.formula(QStringLiteral("Z + P + F + 1"), true);

    // The editor's texts are used unchanged: blanks around a description do not match.
    ScriptedMessages messages;
    QCOMPARE(evaluated(*r.db, messages, QStringLiteral(" ") + Severe, QStringLiteral("zcela možná"),
                       QStringLiteral("Denně")),
             std::optional(1.0));
    QCOMPARE(described(messages),
             (QStringList{shown("fail", "Nesoulad", mismatch("závažnosti")),
                          shown("fail", "Nesoulad", mismatch("pravděpodobnosti")),
                          shown("fail", "Nesoulad", mismatch("frekvence"))}));

    ScriptedMessages one;
    QCOMPARE(evaluated(*r.db, one, Severe, QString(), Daily), std::optional(3 + 2.5 + 1));
    QCOMPARE(described(one), QStringList{shown("fail", "Nesoulad", mismatch("pravděpodobnosti"))});

    // The lookups come first, then the missing formula.
    r.db->execute(QStringLiteral("UPDATE algoritmy SET aktivni = 0"));
    ScriptedMessages none;
    QVERIFY(!evaluated(*r.db, none, QStringLiteral("?"), Likely, Daily));
    QCOMPARE(described(none),
             (QStringList{shown("fail", "Nesoulad", mismatch("závažnosti")), NoFormula}));

    r.formula(QStringLiteral("Z+P"), true);
    r.formula(QStringLiteral("Z-P"), true);
    ScriptedMessages two;
    QVERIFY(!evaluated(*r.db, two, Severe, Likely, Daily));
    QCOMPARE(described(two), QStringList{NoFormula});
}

void TestRiskValue::recomputationTouchesOpenRisksOnly()
{
    RiskRegister r;
    fillScales(r);
    r.formula(QStringLiteral("Z * P / F"), true);
    const QString padded = QStringLiteral("  ") + Severe + QStringLiteral(" ");
    r.risk(1, Severe, Likely, Daily, 1.0);
    r.risk(2, Severe, Likely, Daily, 2.0, RiskRegister::MeasureDone);
    r.risk(3, Severe, Likely, Daily, 3.0, RiskRegister::ProgrammeDone);
    r.risk(4, Severe, Likely, QString(), 4.0);                          // F = 0: division by zero
    r.risk(5, padded, Likely, QStringLiteral(" ") + Daily, QVariant()); // trimmed descriptions
    r.risk(6, Severe, Likely, Daily, 7.2);                              // already right

    ScriptedMessages messages;
    const RecomputeResult result = recomputeOpenRisks(*r.db, messages);
    QCOMPARE((QVariantList{r.value(1), r.value(2), r.value(3), r.value(4), r.value(5), r.value(6)}),
             (QVariantList{7.2, 2.0, 3.0, 4.0, 7.2, 7.2}));
    QCOMPARE(result.openRisks, 4);
    QCOMPARE(result.updated, 2);
    QCOMPARE(result.failedIds, QList<qint64>{4});
    QCOMPARE(described(messages),
             QStringList{shown("warn", "Přepočet rizik",
                               QStringLiteral("Hodnotu rizika nelze vypočítat (např. dělení "
                                              "nulou), ponechána původní hodnota: riziko 4"))});

    // Nothing is left to change.
    ScriptedMessages again;
    QCOMPARE(recomputeOpenRisks(*r.db, again).updated, 0);
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

void TestRiskValue::recomputationWithoutWorkOrFormula()
{
    RiskRegister r;
    fillScales(r);
    r.formula(QStringLiteral("Z*P"), false);
    // No open risk: even a missing formula is not reported.
    r.risk(1, QStringLiteral("Neznámá"), Likely, Daily, 5.0, RiskRegister::ProgrammeDone);
    ScriptedMessages quiet;
    RecomputeResult result = recomputeOpenRisks(*r.db, quiet);
    QVERIFY(quiet.shown.isEmpty());
    QCOMPARE(result.openRisks, 0);
    QVERIFY(!result.noActiveFormula);

    // Open risks without an active formula: one message, nothing changed.
    r.risk(2, QStringLiteral("Neznámá"), Likely, Daily, 6.0);
    r.risk(3, Severe, Likely, Daily, 7.0);
    ScriptedMessages messages;
    result = recomputeOpenRisks(*r.db, messages);
    QVERIFY(result.noActiveFormula);
    QCOMPARE(result.updated, 0);
    QCOMPARE(described(messages), QStringList{NoFormula});
    QCOMPARE((QVariantList{r.value(1), r.value(2), r.value(3)}), (QVariantList{5.0, 6.0, 7.0}));
}

void TestRiskValue::slotsAreReadInStoredOrder()
{
    RiskRegister r;
    QCOMPARE(loadFormulaSlots(*r.db)[0].text, QString());
    const QStringList texts = {QStringLiteral("Z*P*F"), QStringLiteral("Z+P"), QStringLiteral("A"),
                               QStringLiteral("Z"),     QStringLiteral("P"),   QStringLiteral("F")};
    for (int i = 0; i < texts.size(); ++i)
        r.formula(texts[i], i == 1 || i == 5);
    const FormulaSlots read = loadFormulaSlots(*r.db);
    for (int i = 0; i < FormulaSlotCount; ++i) {
        QCOMPARE(read[size_t(i)].text, texts[i]);
        QCOMPARE(read[size_t(i)].active, i == 1);
    }
}

void TestRiskValue::savingRefusesBadSlots()
{
    RiskRegister r;
    r.formula(QStringLiteral("Z*P*F"), true);
    const Stored before = r.formulas();

    // The first failing slot stops the saving.
    ScriptedMessages messages;
    SaveOutcome outcome = saveFormulas(
        *r.db, messages,
        slotsOf({QStringLiteral("Z*P"), QStringLiteral("Z*p"), QStringLiteral("ZP")}, 1));
    QCOMPARE(outcome.status, SaveOutcome::CheckFailed);
    QCOMPARE(outcome.slot, 2);
    QCOMPARE(outcome.failure, CheckFailure::IllegalCharacter);
    QCOMPARE(described(messages),
             QStringList{shown("fail", "Chybný vzorec",
                               QStringLiteral("Nepovolený znak 'p' v algoritmu č.2"))});

    ScriptedMessages brackets;
    outcome = saveFormulas(*r.db, brackets,
                           slotsOf({QStringLiteral("Z"), QString(), QStringLiteral("((Z)))")}, 1));
    QCOMPARE(outcome.slot, 3);
    QCOMPARE(outcome.failure, CheckFailure::Parentheses);
    QCOMPARE(brackets.lastText(), QStringLiteral("Nesouhlasí počet závorek v algoritmu č.3"));

    // An empty marked slot.
    ScriptedMessages empty;
    outcome =
        saveFormulas(*r.db, empty, slotsOf({QStringLiteral("Z*P"), QStringLiteral("   ")}, 2));
    QCOMPARE(outcome.status, SaveOutcome::ActiveSlotEmpty);
    QCOMPARE(described(empty),
             QStringList{
                 shown("warn", "Algorimus", QStringLiteral("Není zvolen algoritmus výpočtu !!!"))});
    QCOMPARE(r.formulas(), before);
}

void TestRiskValue::savingRewritesTheTableAndRecomputes()
{
    RiskRegister r;
    fillScales(r);
    r.formula(QStringLiteral("Z*P*F"), true);
    r.formula(QStringLiteral("Z"), false);
    r.risk(1, Severe, Likely, Daily, 45.0);
    r.risk(2, Severe, Likely, Daily, 45.0, RiskRegister::MeasureDone);

    ScriptedMessages messages;
    SaveOutcome outcome = saveFormulas(
        *r.db, messages, slotsOf({QStringLiteral(" Z*P "), QString(), QStringLiteral("Z+P")}, 3));
    QCOMPARE(outcome.status, SaveOutcome::Saved);
    QVERIFY(messages.shown.isEmpty());
    // Texts as typed, gaps closed; the next opening shows them in slots 1 and 2.
    QCOMPARE(r.formulas(), (Stored{{QStringLiteral(" Z*P "), 0.0}, {QStringLiteral("Z+P"), 1.0}}));
    const FormulaSlots reopened = loadFormulaSlots(*r.db);
    QCOMPARE(reopened[1].text, QStringLiteral("Z+P"));
    QVERIFY(reopened[1].active && !reopened[0].active);
    QCOMPARE(loadActiveFormula(*r.db), QStringLiteral("Z+P"));
    QCOMPARE(outcome.recomputed.updated, 1);
    QCOMPARE((QVariantList{r.value(1), r.value(2)}), (QVariantList{9.0, 45.0}));

    // No slot marked: stored without an active formula; the open risks keep their values.
    ScriptedMessages none;
    outcome = saveFormulas(*r.db, none, slotsOf({QStringLiteral("Z")}, 0));
    QCOMPARE(outcome.status, SaveOutcome::Saved);
    QVERIFY(outcome.recomputed.noActiveFormula);
    QCOMPARE(r.formulas(), (Stored{{QStringLiteral("Z"), 0.0}}));
    QCOMPARE(described(none), QStringList{NoFormula});
    QCOMPARE(r.value(1), QVariant(9.0));
}

void TestRiskValue::repeatedTextIsStoredOnceFromTheFirstSlot()
{
    RiskRegister r;
    ScriptedMessages messages;
    SaveOutcome outcome = saveFormulas(
        *r.db, messages,
        slotsOf({QStringLiteral("Z*P"), QStringLiteral("Z+P"), QString(), QStringLiteral("Z*P")},
                1));
    QCOMPARE(outcome.status, SaveOutcome::Saved);
    QCOMPARE(r.formulas(), (Stored{{QStringLiteral("Z*P"), 1.0}, {QStringLiteral("Z+P"), 0.0}}));

    // The repeated slot was the marked one: its row is not stored, so nothing is active.
    outcome =
        saveFormulas(*r.db, messages, slotsOf({QStringLiteral("Z*P"), QStringLiteral("Z*P")}, 2));
    QCOMPARE(outcome.status, SaveOutcome::Saved);
    QCOMPARE(r.formulas(), (Stored{{QStringLiteral("Z*P"), 0.0}}));
    QVERIFY(messages.shown.isEmpty()); // no open risks, no message
}

void TestRiskValue::failedSaveChangesNothing()
{
    RiskRegister r;
    fillScales(r);
    r.formula(QStringLiteral("Z*P*F"), true);
    r.risk(1, Severe, Likely, Daily, 45.0);
    const Stored before = r.formulas();

    // A text longer than the table holds passes the check but not the engine.
    const QString tooLong = QStringLiteral("1") + QStringLiteral("+1").repeated(25);
    ScriptedMessages messages;
    SaveOutcome outcome =
        saveFormulas(*r.db, messages, slotsOf({QStringLiteral("Z+P"), tooLong}, 1));
    QCOMPARE(outcome.status, SaveOutcome::EngineError);
    QCOMPARE(messages.kinds(), QStringList{QStringLiteral("fail")});
    QCOMPARE(messages.shown[0].title, QStringLiteral("Tamvel"));
    QVERIFY2(messages.lastText().contains(QStringLiteral("(chyba ")),
             qPrintable(messages.lastText()));
    QCOMPARE(r.formulas(), before);

    // A failure while recomputing rolls back the rewritten formulas too.
    r.db->execute(QStringLiteral("CREATE TEMP TRIGGER refuse BEFORE UPDATE ON rizika BEGIN "
                                 "SELECT RAISE(ABORT, 'zamítnuto'); END"));
    ScriptedMessages recompute;
    outcome = saveFormulas(*r.db, recompute, slotsOf({QStringLiteral("Z+P")}, 1));
    QCOMPARE(outcome.status, SaveOutcome::EngineError);
    QCOMPARE(recompute.shown.size(), 1);
    QVERIFY(recompute.lastText().startsWith(QStringLiteral("zamítnuto (chyba ")));
    QCOMPARE(r.formulas(), before);
    QCOMPARE(r.value(1), QVariant(45.0));
    QCOMPARE(r.db->transactionDepth(), 0);
}

QTEST_GUILESS_MAIN(TestRiskValue)
#include "tst_riskvalue.moc"
