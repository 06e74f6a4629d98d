#include "ScriptedMessages.h"
#include "TestDatabase.h"

#include "risks/ColumnSets.h"
#include "risks/RiskFields.h"
#include "risks/RiskGrid.h"

#include <QTemporaryDir>
#include <QTest>

#include <functional>

using namespace tamvel;
using namespace tamvel::risks;

namespace {

QString s(const char *text)
{
    return QString::fromUtf8(text);
}

// Every catalogue caption, last first, at a width of the user's own.
QString thirtyColumns()
{
    QString set;
    const auto &catalogue = overviewFields();
    for (auto it = catalogue.rbegin(); it != catalogue.rend(); ++it)
        set += (*it)->overviewCaption + QStringLiteral("#1234#");
    return set;
}

} // namespace

class TestColumnSets : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void chosenCaptionsInCatalogueOrderAtDefaultWidths();
    void setsAreStoredInThreePiecesAndRestoredWhole();
    void tooLongSetIsRefusedAndNothingWritten();
    void overwriteAsksAndKeepsTheOldRowOnNoOrFailure();
    void defaultIsSharedButNeitherSavedNorDeleted();
    void defaultRestoresTheSameRowEveryTime();
    void deletingAMissingNameTellsTheUser();
    void aSetChangedMeanwhileIsNotOverwritten_data();
    void aSetChangedMeanwhileIsNotOverwritten();

private:
    int rowCount();
    QString stored(const QString &user, const QString &name, const char *field);
    ColumnSetStore novaksSets() { return ColumnSetStore(*m_db, s("novák")); }

    QTemporaryDir m_dir;
    std::unique_ptr<Database> m_db;
    ScriptedMessages m_messages;
    int m_serial = 0;
};

void TestColumnSets::init()
{
    m_db = newDatabase(m_dir, QStringLiteral("sets%1.mdb").arg(++m_serial));
    m_messages.shown.clear();
    m_messages.answers.clear();
}

int TestColumnSets::rowCount()
{
    return int(m_db->scalarInt(QStringLiteral("SELECT count(*) FROM uzivatelske_nastaveni")));
}

QString TestColumnSets::stored(const QString &user, const QString &name, const char *field)
{
    return m_db->scalarText(QStringLiteral("SELECT %1 FROM uzivatelske_nastaveni WHERE uzivatel "
                                           "= ? AND typ = 'rizikagrd' AND polozka = ?")
                                .arg(QString::fromLatin1(field)),
                            {user, name});
}

void TestColumnSets::chosenCaptionsInCatalogueOrderAtDefaultWidths()
{
    // Whole captions only: "Cílová hodnota" does not choose "Cíl"; unknown ones are left out.
    QCOMPARE(chosenCaptions(s("Cílová hodnota#1850#Riziko#500#Neznámý#100#")),
             QStringList({s("Riziko"), s("Cílová hodnota")}));
    QCOMPARE(columnSetOfCaptions({s("Poznámky"), s("Neznámý"), s("ID")}),
             s("Poznámky#3210#ID#800#"));
    QCOMPARE(columnSetOfCaptions(chosenCaptions(s("Riziko#500#Systém#100#Cesta#7000#"))),
             s("Systém#1200#Cesta#1200#Riziko#1065#"));
    QCOMPARE(columnSetOfCaptions(chosenCaptions(defaultColumnSet())),
             s("Systém#1200#Pracovník/činnost#2400#Kategorie nebezpečí#2400#Druh nebezpečí#1890#"
               "Závažnost#1485#Pravděpodobnost#2085#Frekvence#1500#Riziko#1065#"));
}

void TestColumnSets::setsAreStoredInThreePiecesAndRestoredWhole()
{
    const QString set = thirtyColumns();
    QVERIFY(set.size() > 2 * ColumnSetPieceLength && set.size() <= ColumnSetMaxLength);
    ColumnSetStore store = novaksSets();
    QCOMPARE(store.save(s("  široký  "), set, m_messages), ColumnSetStore::Saved::Written);
    QVERIFY(m_messages.shown.isEmpty());
    const QString user = s("novák"), name = s("široký");
    QCOMPARE(stored(user, name, "hodnota1").size(), 250);
    QCOMPARE(stored(user, name, "hodnota2").size(), 250);
    QCOMPARE(stored(user, name, "hodnota3").size(), set.size() - 500);
    QCOMPARE(store.restore(name), std::optional<QString>(set));
    QCOMPARE(store.restore(s(" široký ")), std::optional<QString>(set));
    QCOMPARE(store.restore(s("jiný")), std::nullopt);

    // The blank of a caption on a piece border survives.
    const QString border = s("ID#8#").repeated(47) + s("ID#80#Kategorie nebezpečí#2400#");
    QCOMPARE(border.at(ColumnSetPieceLength), QLatin1Char(' '));
    QCOMPARE(store.save(s("hranice"), border, m_messages), ColumnSetStore::Saved::Written);
    QCOMPARE(store.restore(s("hranice")), std::optional<QString>(border));
}

void TestColumnSets::tooLongSetIsRefusedAndNothingWritten()
{
    ColumnSetStore store = novaksSets();
    const QString exact = QString(ColumnSetMaxLength, QLatin1Char('x'));
    QCOMPARE(store.save(s("plný"), exact, m_messages), ColumnSetStore::Saved::Written);
    const int before = rowCount();
    QCOMPARE(store.save(s("dlouhý"), exact + QLatin1Char('y'), m_messages),
             ColumnSetStore::Saved::Refused);
    QCOMPARE(m_messages.kinds(), QStringList{s("warn")});
    QCOMPARE(m_messages.lastText(), columnSetTooLongMessage());
    QCOMPARE(rowCount(), before);
    // Refused before the overwrite question: the stored one stays whole.
    QCOMPARE(store.save(s("plný"), exact + QLatin1Char('y'), m_messages),
             ColumnSetStore::Saved::Refused);
    QCOMPARE(m_messages.shown.size(), 2);
    QCOMPARE(store.restore(s("plný")), std::optional<QString>(exact));
}

void TestColumnSets::overwriteAsksAndKeepsTheOldRowOnNoOrFailure()
{
    ColumnSetStore store = novaksSets();
    QCOMPARE(store.save(s("moje"), s("ID#800#"), m_messages), ColumnSetStore::Saved::Written);
    m_messages.answers << false;
    QCOMPARE(store.save(s("moje"), s("Cíl#100#"), m_messages), ColumnSetStore::Saved::Kept);
    QCOMPARE(m_messages.lastText(), s("Toto nastavení již existuje. Přejete si jej přepsat ?"));
    QCOMPARE(store.restore(s("moje")), std::optional<QString>(s("ID#800#")));
    // Yes, but the new row cannot be written: the old one stays.
    m_db->execute(QStringLiteral("CREATE TEMP TRIGGER refuse BEFORE INSERT ON "
                                 "uzivatelske_nastaveni WHEN NEW.hodnota1 = 'Cíl#1#' BEGIN "
                                 "SELECT RAISE(ABORT, 'refused'); END"));
    m_messages.answers << true;
    QVERIFY_THROWS_EXCEPTION(DbError, store.save(s("moje"), s("Cíl#1#"), m_messages));
    QCOMPARE(store.restore(s("moje")), std::optional<QString>(s("ID#800#")));
    m_messages.answers << true;
    QCOMPARE(store.save(s("moje"), s("Cíl#100#"), m_messages), ColumnSetStore::Saved::Written);
    QCOMPARE(store.restore(s("moje")), std::optional<QString>(s("Cíl#100#")));
    QCOMPARE(m_db->scalarInt(QStringLiteral("SELECT count(*) FROM uzivatelske_nastaveni WHERE "
                                            "polozka = 'moje'")),
             1);
}

void TestColumnSets::defaultIsSharedButNeitherSavedNorDeleted()
{
    ColumnSetStore novak = novaksSets();
    ColumnSetStore svoboda(*m_db, s("svoboda"));
    QCOMPARE(novak.save(s("čtení"), s("ID#800#"), m_messages), ColumnSetStore::Saved::Written);
    QCOMPARE(novak.save(s("cesty"), s("Cesta#800#"), m_messages), ColumnSetStore::Saved::Written);
    QCOMPARE(novak.names(), QStringList({s("cesty"), s("čtení"), s("default")}));
    QCOMPARE(svoboda.names(), QStringList{s("default")});

    const int before = rowCount();
    QCOMPARE(svoboda.save(s(" default "), s("ID#800#"), m_messages),
             ColumnSetStore::Saved::Refused);
    QVERIFY(!svoboda.remove(s("default"), svoboda.stored(s("default")), m_messages));
    QVERIFY(!novak.remove(s("default"), std::nullopt, m_messages));
    QCOMPARE(m_messages.kinds(), QStringList({s("warn"), s("warn"), s("warn")}));
    QCOMPARE(svoboda.save(QString(), s("ID#800#"), m_messages), ColumnSetStore::Saved::Refused);
    QCOMPARE(rowCount(), before);
}

void TestColumnSets::defaultRestoresTheSameRowEveryTime()
{
    const QString insert = QStringLiteral("INSERT INTO uzivatelske_nastaveni "
                                          "(uzivatel,typ,polozka,hodnota1,hodnota2,hodnota3) "
                                          "VALUES (?,'rizikagrd','default',?,'','')");
    m_db->execute(insert, {s("adam"), s("ID#1#")});
    m_db->execute(insert, {s("zdeněk"), s("ID#2#")});
    QCOMPARE(novaksSets().names(), QStringList{s("default")});
    QCOMPARE(novaksSets().restore(s("default")),
             std::optional<QString>(stored(s("administrator"), s("default"), "hodnota1")));
    QCOMPARE(ColumnSetStore(*m_db, s("zdeněk")).restore(s("default")),
             std::optional<QString>(s("ID#2#")));
    m_db->execute(QStringLiteral("DELETE FROM uzivatelske_nastaveni WHERE uzivatel = "
                                 "'administrator'"));
    QCOMPARE(novaksSets().restore(s("default")), std::optional<QString>(s("ID#1#")));
}

void TestColumnSets::deletingAMissingNameTellsTheUser()
{
    ColumnSetStore store = novaksSets();
    QCOMPARE(store.save(s("moje"), s("ID#800#"), m_messages), ColumnSetStore::Saved::Written);
    // Another user's set of that name is not the user's.
    ColumnSetStore svoboda(*m_db, s("svoboda"));
    QVERIFY(!svoboda.remove(s("moje"), svoboda.stored(s("moje")), m_messages));
    QCOMPARE(m_messages.lastText(), s("Toto nastavení není uloženo !"));
    QVERIFY(store.isStored(s("moje")));
    QVERIFY(store.remove(s(" moje "), store.stored(s("moje")), m_messages));
    QVERIFY(!store.isStored(s("moje")));
    QCOMPARE(m_messages.shown.size(), 1);
    QVERIFY(!store.remove(s("moje"), std::nullopt, m_messages));
    QCOMPARE(m_messages.shown.size(), 2);
}

// Answers Yes once another copy has written while the question was open.
class AnsweredMeanwhile : public ScriptedMessages
{
public:
    explicit AnsweredMeanwhile(std::function<void()> meanwhile) : m_meanwhile(std::move(meanwhile))
    {
    }
    bool ask(const QString &title, const QString &text, Tone tone) override
    {
        m_meanwhile();
        answers = {true};
        return ScriptedMessages::ask(title, text, tone);
    }

private:
    std::function<void()> m_meanwhile;
};

void TestColumnSets::aSetChangedMeanwhileIsNotOverwritten_data()
{
    QTest::addColumn<bool>("remove");           // else save over it
    QTest::addColumn<QStringList>("meanwhile"); // what another copy does after the question
    QTest::addColumn<bool>("refused");
    const QString update =
        QStringLiteral("UPDATE uzivatelske_nastaveni SET hodnota1 = 'Riziko#500#' WHERE "
                       "polozka = 'moje'");
    const QString drop = QStringLiteral("DELETE FROM uzivatelske_nastaveni WHERE polozka = 'moje'");
    for (const bool remove : {false, true}) {
        const auto row = [&](const char *name, const QStringList &sql, bool refused) {
            QTest::addRow("%s: %s", remove ? "remove" : "save", name) << remove << sql << refused;
        };
        row("nothing", {}, false);
        row("changed", {update}, true);
        row("deleted", {drop}, true);
    }
}

void TestColumnSets::aSetChangedMeanwhileIsNotOverwritten()
{
    QFETCH(bool, remove);
    QFETCH(QStringList, meanwhile);
    QFETCH(bool, refused);
    ColumnSetStore store = novaksSets();
    QCOMPARE(store.save(s("moje"), s("ID#800#"), m_messages), ColumnSetStore::Saved::Written);
    auto other = Database::open(m_db->path());
    const auto actMeanwhile = [&] {
        for (const QString &sql : meanwhile)
            other->execute(sql);
    };
    const auto stored = [&] { return ColumnSetStore(*other, s("novák")).stored(s("moje")); };

    std::optional<QString> before;
    const auto write = [&] {
        if (remove) {
            const std::optional<QString> listed = store.stored(s("moje"));
            actMeanwhile();
            before = stored();
            return store.remove(s("moje"), listed, m_messages);
        }
        AnsweredMeanwhile messages([&] {
            actMeanwhile();
            before = stored();
        });
        return store.save(s("moje"), s("Cíl#100#"), messages) == ColumnSetStore::Saved::Written;
    };
    if (refused) {
        QVERIFY_THROWS_EXCEPTION(ChangedMeanwhile, write());
        QCOMPARE(stored(), before);
        QCOMPARE(m_db->transactionDepth(), 0);
    } else {
        QVERIFY(write());
        QCOMPARE(stored(), remove ? std::nullopt : std::optional<QString>(s("Cíl#100#")));
    }
}

QTEST_GUILESS_MAIN(TestColumnSets)
#include "tst_columnsets.moc"
