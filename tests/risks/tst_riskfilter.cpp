#include "ScriptedMessages.h"
#include "TestDatabase.h"
#include "WindowCheck.h"

#include "app/DemoDatabase.h"
#include "risks/FrmRizikaFiltr.h"
#include "risks/RiskFilter.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

using namespace tamvel;
using namespace tamvel::risks;

class TestRiskFilter : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void comparisonsBecomeBoundConditions();
    void valuesAreOnlyValues();
    void badFiltersAreRefused();
    void valueListsAndTheWindow();
    void valuesStayAsTyped_data();
    void valuesStayAsTyped();
    void resetClearsEveryRowWhole();

private:
    qint64 count(const QString &where, const Values &values = {})
    {
        return m_db->scalarInt(QStringLiteral("SELECT count(*) FROM rizika WHERE ") + where,
                               values);
    }
    qint64 count(const RiskFilter &f) { return count(f.condition, f.values); }
    static FilterRow row(const char *caption, const char *op, const QString &value,
                         const char *joiner = "And")
    {
        return {0, QString::fromUtf8(caption), QString::fromUtf8(op), value,
                0, QString::fromUtf8(joiner)};
    }

    QTemporaryDir m_dir;
    std::unique_ptr<Database> m_db;
};

void TestRiskFilter::initTestCase()
{
    const QString path = m_dir.filePath(QStringLiteral("filter.mdb"));
    demo::writeDemoDatabase(path, 200);
    m_db = Database::open(path);
}

void TestRiskFilter::comparisonsBecomeBoundConditions()
{
    ScriptedMessages messages;
    FilterChoice choice;
    choice.rows[0] = row("Riziko", ">", QStringLiteral("70"));
    const RiskFilter high = *compileFilter(*m_db, choice, messages);
    QCOMPARE(high.condition, QStringLiteral("single_value(riziko) > ?"));
    QCOMPARE(high.description, QStringLiteral("riziko > 70"));
    QCOMPARE(count(high), count(QStringLiteral("riziko > 70")));

    // Two systems joined by Or, open risks only.
    choice = FilterChoice();
    choice.rows[0] = row("Systém", "=", QStringLiteral("Lisovna"), "Or");
    choice.rows[1] = row("Systém", "=", QStringLiteral("Svařovna"));
    choice.onlyOpen = true;
    const RiskFilter two = *compileFilter(*m_db, choice, messages);
    QCOMPARE(two.description,
             QStringLiteral("Pouze neuzavřená rizika a zároveň ...\r\nsystem = 'Lisovna' Or "
                            "system = 'Svařovna'"));
    QCOMPARE(count(two), count(QStringLiteral("system IN ('Lisovna', 'Svařovna') AND "
                                              "opatreni_splneno IS NULL AND program_splneno IS "
                                              "NULL")));
    QVERIFY(messages.shown.isEmpty());

    // Only the closing state, dates and missing dates.
    choice = FilterChoice();
    choice.onlyClosed = true;
    QCOMPARE(count(*compileFilter(*m_db, choice, messages)),
             m_db->scalarInt(QStringLiteral("SELECT count(*) FROM rizika_uzavrene")));
    choice.onlyClosed = false;
    choice.rows[0] = row("Opatření-splněno", "=", NotFilled, "And");
    choice.rows[1] = row("Program-termín", ">=", QStringLiteral("01.01.2026"));
    const RiskFilter dated = *compileFilter(*m_db, choice, messages);
    QCOMPARE(dated.description,
             QStringLiteral("opatreni_splneno = null And program_termin >= #01/01/2026#"));
    QCOMPARE(count(dated), count(QStringLiteral("opatreni_splneno IS NULL AND program_termin >= "
                                                "'2026-01-01'")));
}

void TestRiskFilter::valuesAreOnlyValues()
{
    // A value with an apostrophe, "Or", brackets and a column caption matches literally.
    m_db->execute(QStringLiteral("UPDATE rizika SET poznamky = ? WHERE id_riziko = 7"),
                  {QStringLiteral("O'Neil) Or (1=1 Systém")});
    ScriptedMessages messages;
    FilterChoice choice;
    choice.rows[0] = row("Poznámky", "=", QStringLiteral("O'Neil) Or (1=1 Systém"));
    const RiskFilter f = *compileFilter(*m_db, choice, messages);
    QCOMPARE(count(f), 1);

    // "nevyplněno" on a text: no text and an empty text alike, and everything else for "<>".
    m_db->execute(QStringLiteral("UPDATE rizika SET zdroje = NULL WHERE id_riziko = 3"));
    m_db->execute(QStringLiteral("UPDATE rizika SET zdroje = '' WHERE id_riziko = 4"));
    m_db->execute(QStringLiteral("UPDATE rizika SET zdroje = 'Rozpočet' WHERE id_riziko <> 3 "
                                 "AND id_riziko <> 4 AND (zdroje IS NULL OR zdroje = '')"));
    for (const char *op : {"=", "<>"}) {
        choice.rows[0] = row("Zdroje", op, NotFilled);
        const RiskFilter missing = *compileFilter(*m_db, choice, messages);
        QCOMPARE(count(missing), QByteArray(op) == "=" ? 2 : 198);
        QVERIFY(messages.shown.isEmpty());
    }

    // A cancelled system loses its mark.
    m_db->execute(QStringLiteral("UPDATE rizika SET system = 'Stará hala' WHERE id_riziko = 8"));
    choice.rows[0] = row("Systém", "=", QStringLiteral("Stará hala") + Cancelled);
    QCOMPARE(count(*compileFilter(*m_db, choice, messages)), 1);
    QVERIFY(filterValues(*m_db, QStringLiteral("Systém"))
                .contains(QStringLiteral("Stará hala") + Cancelled));
}

void TestRiskFilter::badFiltersAreRefused()
{
    const QString error = QStringLiteral("Chyba v sestavení filtru. Opravte filtr!!!");
    const auto refused = [&](const FilterChoice &choice) {
        ScriptedMessages messages;
        const bool none = !compileFilter(*m_db, choice, messages);
        return none && messages.lastText() == error &&
               messages.shown.last().title == QStringLiteral("Filtr");
    };
    FilterChoice choice;
    choice.rows[0] = row("Systém", "=", QString());
    QVERIFY(refused(choice)); // a field without a value
    choice.rows[0] = row("Riziko", ">", QStringLiteral("vysoké"));
    QVERIFY(refused(choice)); // no number
    choice.rows[0] = row("Opatření-termín", "=", QStringLiteral("31.02.2024"));
    QVERIFY(refused(choice)); // no date
    choice.rows[0] = row("Systém", "=", QStringLiteral("Lisovna"));
    choice.rows[0].open = 2;
    choice.rows[0].close = 1;
    QVERIFY(refused(choice)); // brackets that do not match
    choice.rows[0].open = 0;
    QVERIFY(refused(choice));
}

void TestRiskFilter::valueListsAndTheWindow()
{
    QCOMPARE(filterCaptions().size(), 29);
    QVERIFY(!filterCaptions().contains(QStringLiteral("ID")));
    QCOMPARE(filterValues(*m_db, QStringLiteral("Opatření-splněno")).first(), NotFilled);

    ScriptedMessages messages;
    FrmRizikaFiltr window(*m_db, messages, FilterChoice());
    QCOMPARE(window.windowTitle(), QStringLiteral("Filtr přehledu rizik"));
    // Rows fill from the top: a field in row 2 with no value in row 1 is undone.
    window.pickField(1, QStringLiteral("Systém"));
    QCOMPARE(window.choice().rows[1].caption, QString());
    window.pickField(0, QStringLiteral("Systém"));
    auto *value = window.findChild<QComboBox *>(QStringLiteral("cmbHodnota1"));
    QVERIFY(value->count() > 3);
    // A long value list does not size the box: every control stays inside the window.
    QCOMPARE(misplacedControls(window, QStringLiteral("frmRizikaFiltr")), QStringList());
    value->setCurrentText(QStringLiteral("Lisovna"));
    window.pickField(1, QStringLiteral("Systém"));
    QCOMPARE(window.choice().rows[1].caption, QStringLiteral("Systém"));
    QCOMPARE(window.choice().rows[0].joiner, QStringLiteral("Or"));

    // The buttons cycle.
    auto *open = window.findChild<QPushButton *>(QStringLiteral("cmdLeva1"));
    for (const char *expected : {"(", "( (", "( ( (", ""}) {
        open->click();
        QCOMPARE(open->text(), QString::fromUtf8(expected));
    }
    auto *comparison = window.findChild<QPushButton *>(QStringLiteral("cmdPorovnani1"));
    comparison->click();
    QCOMPARE(comparison->text(), QStringLiteral("<"));
    auto *onlyOpen = window.findChild<QCheckBox *>(QStringLiteral("chkPouzeNeuzavrena"));
    auto *onlyClosed = window.findChild<QCheckBox *>(QStringLiteral("chkPouzeUzavrena"));
    onlyOpen->setChecked(true);
    onlyClosed->setChecked(true);
    QVERIFY(!onlyOpen->isChecked());

    window.findChild<QPushButton *>(QStringLiteral("cmdReset"))->click();
    window.apply();
    QCOMPARE(window.result(), int(QDialog::Accepted));
    QCOMPARE(window.filter().condition, RiskFilter::closedOnly().condition);
}

// A prefix of a listed value that is not listed itself, typed as Latin-1 keys.
static QString unlistedPrefix(const QStringList &values, int length)
{
    for (const QString &v : values) {
        const QString prefix = v.left(length);
        if (v.size() > length && !values.contains(prefix) && prefix.toLatin1() == prefix.toUtf8())
            return prefix;
    }
    return QString();
}

void TestRiskFilter::valuesStayAsTyped_data()
{
    QTest::addColumn<QString>("field");   // keys into the field box
    QTest::addColumn<int>("comparisons"); // clicks on the comparison
    QTest::addColumn<QString>("typed");   // keys into the value box
    QTest::addColumn<int>("downs");       // then Down presses: picks from the list
    QTest::addColumn<QString>("condition");
    const QStringList numbers = filterValues(*m_db, QStringLiteral("Riziko"));
    const QStringList systems = filterValues(*m_db, QStringLiteral("Systém"));
    const QString number = unlistedPrefix(numbers, 1);
    const QString system = unlistedPrefix(systems, 3);
    QVERIFY(!number.isEmpty() && !system.isEmpty());
    const auto row = [](const char *name, const char *field, int comparisons, const QString &typed,
                        int downs, const QString &condition) {
        QTest::newRow(name) << QString::fromLatin1(field) << comparisons << typed << downs
                            << condition;
    };
    row("number typed", "Riz", 3, number, 0, QStringLiteral("riziko > ") + number);
    row("text typed", "Sys", 0, system, 0, QStringLiteral("system = '%1'").arg(system));
    row("text picked", "Sys", 0, QString(), 2,
        QStringLiteral("system = '%1'").arg(systems.value(1)));
}

void TestRiskFilter::valuesStayAsTyped()
{
    QFETCH(QString, field);
    QFETCH(int, comparisons);
    QFETCH(QString, typed);
    QFETCH(int, downs);
    QFETCH(QString, condition);
    ScriptedMessages messages;
    FrmRizikaFiltr window(*m_db, messages, FilterChoice());
    window.QDialog::show();
    QApplication::setActiveWindow(&window);
    QVERIFY(QTest::qWaitForWindowActive(&window));
    QTest::keyClicks(window.findChild<QComboBox *>(QStringLiteral("cmbPole1")), field);
    for (int i = 0; i < comparisons; ++i)
        QTest::mouseClick(window.findChild<QPushButton *>(QStringLiteral("cmdPorovnani1")),
                          Qt::LeftButton);
    auto *value = window.findChild<QComboBox *>(QStringLiteral("cmbHodnota1"));
    QTest::mouseClick(value->lineEdit(), Qt::LeftButton);
    QTest::keyClicks(value, typed);
    for (int i = 0; i < downs; ++i)
        QTest::keyClick(value, Qt::Key_Down);
    QTest::mouseClick(window.findChild<QPushButton *>(QStringLiteral("cmdUlozit")), Qt::LeftButton);
    QCOMPARE(window.result(), int(QDialog::Accepted));
    QCOMPARE(window.filter().description, condition);
    QVERIFY(messages.shown.isEmpty());
}

void TestRiskFilter::resetClearsEveryRowWhole()
{
    ScriptedMessages messages;
    FrmRizikaFiltr window(*m_db, messages, FilterChoice());
    window.QDialog::show();
    const auto button = [&](const char *name, int row) {
        return window.findChild<QPushButton *>(QString::fromLatin1(name) + QString::number(row));
    };
    const auto box = [&](const char *name, int row) {
        return window.findChild<QComboBox *>(QString::fromLatin1(name) + QString::number(row));
    };
    for (int row = 1; row <= 2; ++row) {
        QTest::mouseClick(button("cmdLeva", row), Qt::LeftButton);
        QTest::keyClicks(box("cmbPole", row), QStringLiteral("Zdroj"));
        QTest::mouseClick(button("cmdPorovnani", row), Qt::LeftButton);
        QTest::keyClicks(box("cmbHodnota", row), QStringLiteral("abc"));
        QTest::mouseClick(button("cmdPrava", row), Qt::LeftButton);
    }
    QCOMPARE(button("cmdOperator", 1)->text(), QStringLiteral("Or"));
    QCOMPARE(box("cmbHodnota", 2)->currentText(), QStringLiteral("abc"));
    QTest::mouseClick(window.findChild<QPushButton *>(QStringLiteral("cmdReset")), Qt::LeftButton);
    for (int row = 1; row <= 5; ++row) {
        const QStringList shown = {button("cmdLeva", row)->text(),
                                   box("cmbPole", row)->currentText(),
                                   button("cmdPorovnani", row)->text(),
                                   box("cmbHodnota", row)->currentText(),
                                   button("cmdPrava", row)->text(),
                                   row < 5 ? button("cmdOperator", row)->text()
                                           : QStringLiteral("And")};
        QCOMPARE(shown.join(u'|'), QStringLiteral("||=|||And"));
    }
}

QTEST_MAIN(TestRiskFilter)
#include "tst_riskfilter.moc"
