#include "RecordingHost.h"
#include "ScriptedMessages.h"
#include "TestDatabase.h"
#include "WindowCheck.h"

#include "app/DemoDatabase.h"
#include "risks/FormulaSlots.h"
#include "risks/FrmRiziko.h"
#include "risks/Highlights.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

using namespace tamvel;
using namespace tamvel::risks;

class TestFrmRiziko : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void pagesInputsAndModes();
    void eachRequiredFieldIsRefused_data();
    void eachRequiredFieldIsRefused();
    void newRiskThroughTheInputs();
    void levelFollowsTheComputedValue();
    void closedRiskIsReadOnly();
    void aColleaguesChangeIsNeverOverwritten();
    void closingRecordsTheFormulaActiveThen();

private:
    QTemporaryDir m_dir;
    std::unique_ptr<Database> m_db;
    int m_counter = 0;
    ScriptedMessages m_messages;
    RecordingHost m_host;

    std::unique_ptr<FrmRiziko> open(const char *mode, qint64 id)
    {
        return std::make_unique<FrmRiziko>(*m_db, m_messages, m_host,
                                           *modeOfWord(QString::fromUtf8(mode)), id,
                                           QStringLiteral("Z*P*F"));
    }
    void typeRequiredInputs(FrmRiziko &editor, const QString &left);
};

void TestFrmRiziko::init()
{
    m_db.reset();
    const QString path = m_dir.filePath(QStringLiteral("f%1.mdb").arg(++m_counter));
    demo::writeDemoDatabase(path, 20);
    m_db = Database::open(path);
    m_messages.shown.clear();
}

// Every required input but `left` filled as a user does it: the system from its picker, the
// choices by typing their first letters, the source typed.
void TestFrmRiziko::typeRequiredInputs(FrmRiziko &editor, const QString &left)
{
    editor.show();
    QApplication::setActiveWindow(&editor);
    QVERIFY(QTest::qWaitForWindowActive(&editor));
    if (left != QStringLiteral("txtSystem"))
        editor.setSystem(QStringLiteral("Lis LEN 160"));
    const std::pair<const char *, const char *> typed[] = {
        {"cmbPracovnik", "Lisa"},    {"cmbNebezpeciKategorie", "Fyz"}, {"cmbNebezpeciDruh", "Hl"},
        {"txtZdroj", "Lis 7"},       {"cmbPoskozeniCastTela", "Sl"},   {"cmbZavaznost", "V"},
        {"cmbPravdepodobnost", "Zc"}};
    for (const auto &[name, keys] : typed) {
        if (left == QString::fromUtf8(name))
            continue;
        QWidget *input = editor.findChild<QWidget *>(QString::fromUtf8(name));
        editor.pages()->setCurrentIndex(editor.pages()->indexOf(input->parentWidget()));
        QTest::keyClicks(input, QString::fromUtf8(keys));
        // A list that follows an empty choice (workers, kinds) offers nothing to choose.
        if (auto *box = qobject_cast<QComboBox *>(input); box && box->count() > 0)
            QVERIFY2(box->currentIndex() >= 0, name);
    }
}

void TestFrmRiziko::pagesInputsAndModes()
{
    auto editor = open("upravit", 1);
    QCOMPARE(editor->windowTitle(), QStringLiteral("Riziko (Upravit záznam)"));
    // Each page under its caption, with its inputs.
    const std::pair<const char *, const char *> pageInputs[] = {
        {"Riziko", "txtSystem cmdPracovnici cmbPracovnik cmbNebezpeciKategorie cmbNebezpeciDruh "
                   "txtZdroj cmbPoskozeniCastTela txtPoskozeniCharakter"},
        {"Přijatá opatření", "txtBezpecnostniOpatreni lstPoskytnuteOOPP"},
        {"Hodnocení", "cmbZavaznost cmbPravdepodobnost cmbFrekvence txtAlgoritmus cmdVypocitat "
                      "txtRiziko lblUroven grdUrov chkLegislativa"},
        {"Nápravná opatření", "txtNapravnaOpatreni medNapravnaOpatreniTermin "
                              "medNapravnaOpatreniSplneno lstChybejiciOOPP"},
        {"Požadavky ", "txtPozadavek cmdvybratPozadavek grdPredpis"},
        {"Programy", "txtCil medProgramSplneno"},
        {"Dílčí úkoly", "grdUkoly"},
        {"Poznámky", "txtPoznamky"}};
    QTabWidget *pages = editor->pages();
    QCOMPARE(pages->count(), 8);
    for (int i = 0; i < pages->count(); ++i) {
        QCOMPARE(pages->tabText(i), QString::fromUtf8(pageInputs[i].first));
        for (const QString &name : QString::fromUtf8(pageInputs[i].second).split(QLatin1Char(' ')))
            QVERIFY2(pages->widget(i)->findChild<QWidget *>(name), qPrintable(name));
        // At the size it opens, every control of the page is inside the window.
        pages->setCurrentIndex(i);
        const QStringList misplaced =
            misplacedControls(*editor, QStringLiteral("riziko-%1").arg(i + 1));
        QVERIFY2(misplaced.isEmpty(), qPrintable(misplaced.join(QLatin1Char('\n'))));
    }
    for (const char *name : {"cmdUlozit", "cmdStorno"})
        QVERIFY2(editor->findChild<QPushButton *>(QString::fromUtf8(name)), name);
    // The stored risk fills the inputs; combos offer only their lists.
    const RiskRecord stored = *loadRisk(*m_db, 1);
    QCOMPARE(editor->record().fields(), stored.fields());
    QVERIFY(!editor->findChild<QComboBox *>(QStringLiteral("cmbPracovnik"))->isEditable());

    auto copy = open("kopie", 1);
    QCOMPARE(copy->windowTitle(), QStringLiteral("Riziko (Kopie záznamu)"));
    QVERIFY(copy->isCopy());
    QCOMPARE(copy->mode(), EditMode::Edit);
    auto removing = open("vymazat", 1);
    QCOMPARE(removing->findChild<QPushButton *>(QStringLiteral("cmdUlozit"))->text(),
             QStringLiteral("Vymazat"));
    QVERIFY(!removing->pages()->widget(0)->isEnabled());
    auto viewing = open("zobrazit", 1);
    QVERIFY(!viewing->findChild<QPushButton *>(QStringLiteral("cmdUlozit"))
                 ->isVisibleTo(viewing.get()));
}

void TestFrmRiziko::eachRequiredFieldIsRefused_data()
{
    QTest::addColumn<QString>("left");  // the input the user leaves empty
    QTest::addColumn<QString>("focus"); // where the editor puts the cursor
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("text");
    const auto row = [](const char *left, const char *focus, const char *title, const char *text) {
        QTest::newRow(left) << QString::fromUtf8(left) << QString::fromUtf8(focus)
                            << QString::fromUtf8(title) << QString::fromUtf8(text);
    };
    row("txtSystem", "cmdPracovnici", "Systém", "Pole Systém musí být zvoleno !");
    row("cmbPracovnik", "cmbPracovnik", "Pracovník/činnost",
        "Pole Pracovník/činnost musí být zvoleno !");
    row("cmbNebezpeciKategorie", "cmbNebezpeciKategorie", "Kategorie",
        "Pole Kategorie musí být zvoleno !");
    row("cmbNebezpeciDruh", "cmbNebezpeciDruh", "Druh", "Pole Druh musí být zvoleno !");
    row("txtZdroj", "txtZdroj", "Zdroj", "Pole Zdroj musí být vyplněno !");
    row("cmbPoskozeniCastTela", "cmbPoskozeniCastTela", "Předmět poškození",
        "Pole Předmět poškození musí být zvoleno !");
    row("cmbZavaznost", "cmbZavaznost", "Závažnost", "Pole Závažnost musí být zvoleno !");
    row("cmbPravdepodobnost", "cmbPravdepodobnost", "Pravděpodobnost",
        "Pole Pravděpodobnost musí být zvoleno !");
}

void TestFrmRiziko::eachRequiredFieldIsRefused()
{
    QFETCH(QString, left);
    QFETCH(QString, focus);
    QFETCH(QString, title);
    QFETCH(QString, text);
    const qint64 before = m_db->scalarInt(QStringLiteral("SELECT count(*) FROM rizika"));
    auto editor = open("novy", 0);
    typeRequiredInputs(*editor, left);
    m_messages.shown.clear();
    QTest::mouseClick(editor->findChild<QPushButton *>(QStringLiteral("cmdUlozit")),
                      Qt::LeftButton);
    QCOMPARE(m_messages.shown.size(), 1);
    QCOMPARE(m_messages.shown.last().title, title);
    QCOMPARE(m_messages.lastText(), text);
    QCOMPARE(QApplication::focusWidget()->objectName(), focus);
    QVERIFY(editor->isVisible());
    QCOMPARE(m_db->scalarInt(QStringLiteral("SELECT count(*) FROM rizika")), before);
}

void TestFrmRiziko::newRiskThroughTheInputs()
{
    auto editor = open("novy", 0);
    QCOMPARE(editor->windowTitle(), QStringLiteral("Riziko"));
    typeRequiredInputs(*editor, QString());

    // A half-typed deadline keeps the cursor when "Uložit" is clicked: told once, not saved.
    auto *due = editor->findChild<QLineEdit *>(QStringLiteral("medNapravnaOpatreniTermin"));
    auto *save = editor->findChild<QPushButton *>(QStringLiteral("cmdUlozit"));
    editor->pages()->setCurrentIndex(3);
    QTest::mouseClick(due, Qt::LeftButton);
    due->setCursorPosition(0);
    QTest::keyClicks(due, QStringLiteral("2802"));
    m_messages.shown.clear();
    QSignalSpy saved(editor.get(), &FrmRiziko::saved);
    QTest::mouseClick(save, Qt::LeftButton);
    QCOMPARE(m_messages.kinds(), QStringList{QStringLiteral("warn")});
    QCOMPARE(m_messages.lastText(), QStringLiteral("Zadejte datum ve tvaru DD.MM.RRRR !"));
    QCOMPARE(QApplication::focusWidget(), due);
    QCOMPARE(saved.size(), 0);
    QTest::keyClicks(due, QStringLiteral("2027"));
    QTest::mouseClick(save, Qt::LeftButton);
    QCOMPARE(m_messages.shown.size(), 1);
    QCOMPARE(saved.size(), 1);
    QCOMPARE(saved.first().first().toLongLong(), 21);
    const RiskRecord stored = *loadRisk(*m_db, 21);
    QCOMPARE(stored.kind, QStringLiteral("Hluk"));
    QCOMPARE(stored.source, QStringLiteral("Lis 7"));
    QCOMPARE(stored.value, QStringLiteral("0")); // no frequency: F counts as 0
    QCOMPARE(stored.correctiveDue, QDate(2027, 2, 28));
}

void TestFrmRiziko::levelFollowsTheComputedValue()
{
    auto editor = open("novy", 0);
    typeRequiredInputs(*editor, QString()); // severity 7, probability 3
    editor->pages()->setCurrentIndex(2);
    auto *frequency = editor->findChild<QComboBox *>(QStringLiteral("cmbFrekvence"));
    auto *value = editor->findChild<QLineEdit *>(QStringLiteral("txtRiziko"));
    auto *level = editor->findChild<QLabel *>(QStringLiteral("lblUroven"));
    auto *compute = editor->findChild<QPushButton *>(QStringLiteral("cmdVypocitat"));
    const RiskLevels bands = RiskLevels::load(*m_db);
    QCOMPARE(bands.bands().size(), 4);
    QCOMPARE(level->text(), QString());
    const auto background = [level] {
        return level->autoFillBackground() ? level->palette().color(QPalette::Window) : QColor();
    };
    const auto colourOf = [&](int index, bool dark = false) {
        const Rgb c = bands.colour(index, dark);
        return QColor(c.red, c.green, c.blue);
    };

    // The frequency typed, the value computed: its level in its colour, green to red.
    QTest::keyClick(frequency, Qt::Key_End); // "Trvale", 10
    QTest::keyClick(frequency, Qt::Key_Up);  // "Často (denně)", 6
    QTest::mouseClick(compute, Qt::LeftButton);
    QCOMPARE(value->text(), QStringLiteral("126"));
    QCOMPARE(level->text(), QStringLiteral("Významné riziko"));
    QCOMPARE(background(), colourOf(1));
    QTest::keyClick(frequency, Qt::Key_Down);                   // "Trvale", 10
    QCOMPARE(level->text(), QStringLiteral("Významné riziko")); // until computed again
    QTest::mouseClick(compute, Qt::LeftButton);
    QCOMPARE(value->text(), QStringLiteral("210"));
    QCOMPARE(level->text(), QStringLiteral("Vysoké riziko"));
    QCOMPARE(background(), colourOf(2));
    // The table of bands beside it is the legend, in the same colours.
    const auto *table = editor->findChild<QTableWidget *>(QStringLiteral("grdUrov"));
    QCOMPARE(table->item(2, 1)->background().color(), colourOf(2));
    QCOMPARE(table->item(0, 1)->background().color(), colourOf(0));
    const QStringList misplaced = misplacedControls(*editor, QStringLiteral("riziko-uroven"));
    QVERIFY2(misplaced.isEmpty(), qPrintable(misplaced.join(QLatin1Char('\n'))));

    // A dark palette gets the deep shade of the same level.
    QPalette dark;
    dark.setColor(QPalette::Window, QColor(0x30, 0x30, 0x30));
    dark.setColor(QPalette::WindowText, Qt::white);
    editor->setPalette(dark);
    QCOMPARE(background(), colourOf(2, true));
    editor->setPalette(QPalette());
    QCOMPARE(background(), colourOf(2));

    // Without a frequency the value is 0, below every band: no level, no colour.
    QTest::keyClick(frequency, Qt::Key_Home);
    QTest::mouseClick(compute, Qt::LeftButton);
    QCOMPARE(value->text(), QStringLiteral("0"));
    QCOMPARE(level->text(), QString());
    QCOMPARE(background(), QColor());
}

void TestFrmRiziko::closedRiskIsReadOnly()
{
    const qint64 closed =
        m_db->scalarInt(QStringLiteral("SELECT min(id_riziko) FROM rizika_uzavrene"));
    QVERIFY(closed > 0);
    // Closed under another formula than the active one, which it keeps showing.
    m_db->execute(QStringLiteral("UPDATE rizika_uzavrene SET algoritmus = 'Z*P'"));
    // Its stored value keeps its level, though the ratings would give another one now.
    m_db->execute(QStringLiteral("UPDATE rizika SET riziko = 450 WHERE id_riziko = ?"), {closed});
    for (const char *mode : {"upravit", "kopie"}) {
        auto editor = open(mode, closed);
        QVERIFY(!editor->findChild<QPushButton *>(QStringLiteral("cmdUlozit"))
                     ->isVisibleTo(editor.get()));
        QVERIFY(!editor->pages()->widget(0)->isEnabled());
        QCOMPARE(editor->findChild<QLineEdit *>(QStringLiteral("txtAlgoritmus"))->text(),
                 QStringLiteral("Z*P"));
        QCOMPARE(editor->findChild<QLabel *>(QStringLiteral("lblUroven"))->text(),
                 QStringLiteral("Nepřijatelné riziko"));
    }
}

void TestFrmRiziko::aColleaguesChangeIsNeverOverwritten()
{
    const qint64 id =
        m_db->scalarInt(QStringLiteral("SELECT min(id_riziko) FROM rizika WHERE opatreni_splneno "
                                       "IS NULL AND program_splneno IS NULL"));
    auto editor = open("upravit", id);
    editor->show();
    // Another copy saves a change of the measures while this editor is open.
    auto colleague = Database::open(m_db->path());
    colleague->execute(QStringLiteral("UPDATE rizika SET bezpecnostni_opatreni = 'Nový kryt' "
                                      "WHERE id_riziko = ?"),
                       {id});
    auto *notes = editor->findChild<QLineEdit *>(QStringLiteral("txtPoznamky"));
    editor->pages()->setCurrentIndex(editor->pages()->count() - 1);
    notes->clear();
    QTest::keyClicks(notes, QStringLiteral("Moje poznamka"));
    auto *save = editor->findChild<QPushButton *>(QStringLiteral("cmdUlozit"));

    // "No": back to the typed values, nothing written.
    m_messages.answers = {false};
    QTest::mouseClick(save, Qt::LeftButton);
    QCOMPARE(m_messages.shown.last().kind, QStringLiteral("ask"));
    QCOMPARE(m_messages.shown.last().title, QStringLiteral("Tamvel"));
    QVERIFY(m_messages.lastText().startsWith(
        QStringLiteral("Záznam mezitím změnil nebo vymazal jiný uživatel. Změny nebyly uloženy.")));
    QVERIFY(editor->isVisible());
    QCOMPARE(notes->text(), QStringLiteral("Moje poznamka"));
    QCOMPARE(loadRisk(*colleague, id)->measures, QStringLiteral("Nový kryt"));
    QVERIFY(loadRisk(*colleague, id)->notes != notes->text());

    // "Yes": the risk as stored now; a save after that keeps the colleague's change.
    m_messages.answers = {true};
    QTest::mouseClick(save, Qt::LeftButton);
    QCOMPARE(editor->findChild<QLineEdit *>(QStringLiteral("txtBezpecnostniOpatreni"))->text(),
             QStringLiteral("Nový kryt"));
    QVERIFY(notes->text() != QStringLiteral("Moje poznamka"));
    notes->clear();
    QTest::keyClicks(notes, QStringLiteral("Moje poznamka"));
    QTest::mouseClick(save, Qt::LeftButton);
    const RiskRecord stored = *loadRisk(*colleague, id);
    QCOMPARE(stored.measures, QStringLiteral("Nový kryt"));
    QCOMPARE(stored.notes, QStringLiteral("Moje poznamka"));

    // A risk deleted meanwhile: "Yes" closes the editor, nothing comes back.
    auto stale = open("upravit", id);
    colleague->execute(QStringLiteral("DELETE FROM rizika WHERE id_riziko = ?"), {id});
    m_messages.answers = {true};
    stale->show();
    QTest::keyClicks(stale->findChild<QLineEdit *>(QStringLiteral("txtPoznamky")),
                     QStringLiteral("!"));
    const int shown = int(m_messages.shown.size());
    QTest::mouseClick(stale->findChild<QPushButton *>(QStringLiteral("cmdUlozit")), Qt::LeftButton);
    QCOMPARE(m_messages.shown.size(), shown + 1);
    QCOMPARE(m_messages.shown.last().kind, QStringLiteral("ask"));
    QVERIFY(!stale->isVisible());
    QVERIFY(!loadRisk(*colleague, id));
}

void TestFrmRiziko::closingRecordsTheFormulaActiveThen()
{
    const qint64 id =
        m_db->scalarInt(QStringLiteral("SELECT min(id_riziko) FROM rizika WHERE opatreni_splneno "
                                       "IS NULL AND program_splneno IS NULL"));
    auto editor = open("upravit", id);
    editor->show();
    QApplication::setActiveWindow(editor.get());
    QVERIFY(QTest::qWaitForWindowActive(editor.get()));
    // Meanwhile another copy makes another formula active; it gives every risk the same value.
    auto colleague = Database::open(m_db->path());
    ScriptedMessages quiet;
    const SaveOutcome formulas = saveFormulas(
        *colleague, quiet, {{{QStringLiteral("F*P*Z"), true}}}, loadFormulas(*colleague));
    QCOMPARE(formulas.status, SaveOutcome::Saved);
    QCOMPARE(formulas.recomputed.updated, 0);
    // The user closes the risk: done today, yes to closing, no open copy.
    editor->pages()->setCurrentIndex(3);
    auto *done = editor->findChild<QLineEdit *>(QStringLiteral("medNapravnaOpatreniSplneno"));
    QTest::mouseClick(done, Qt::LeftButton);
    done->setCursorPosition(0);
    QTest::keyClicks(done, QDate::currentDate().toString(QStringLiteral("ddMMyyyy")));
    m_messages.answers = {true, false};
    QTest::mouseClick(editor->findChild<QPushButton *>(QStringLiteral("cmdUlozit")),
                      Qt::LeftButton);
    QVERIFY(!editor->isVisible());
    QVERIFY(loadRisk(*colleague, id)->closed());
    QCOMPARE(closingFormula(*colleague, id), QStringLiteral("F*P*Z"));
}

QTEST_MAIN(TestFrmRiziko)
#include "tst_frmriziko.moc"
