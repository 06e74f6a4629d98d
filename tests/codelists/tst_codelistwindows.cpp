#include "RecordingHost.h"
#include "ScriptedMessages.h"
#include "TestDatabase.h"
#include "WindowCheck.h"

#include "codelists/CodeListWindows.h"
#include "codelists/RegulationWindows.h"
#include "codelists/RequirementWindows.h"

#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTableView>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

using namespace tamvel;
using namespace tamvel::codelists;
using namespace Qt::StringLiterals;

class TestCodeListWindows : public QObject
{
    Q_OBJECT

private slots:
    void sortingTwiceReturnsWithTheHighlightKept();
    void popupOpensTheEditorInItsMode();
    void gridKeysDoWhatThePopupWould();
    void editorsFollowTheirMode();
    void editorAsksBeforeReplacingTheTypedValues();
    void requirementCatalogueNavigatesAndLinks();
    void regulationEditorChecksItsDate();
};

static QStringList column(const QTableView *grid, int col = 0)
{
    QStringList texts;
    for (int row = 0; row < grid->model()->rowCount(); ++row)
        texts << grid->model()->index(row, col).data().toString();
    return texts;
}

// As the mouse does it: the first click's press and release, then the double-click.
static void doubleClick(QAbstractItemView *view, int row)
{
    const QPoint at = view->visualRect(view->model()->index(row, 0)).center();
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, at);
}

void TestCodeListWindows::sortingTwiceReturnsWithTheHighlightKept()
{
    QTemporaryDir dir;
    auto db = newDatabase(dir);
    for (const char *name : {"Svářeč", "Chemik", "ostatní", "Hasič", "Čistič"})
        db->execute(u"INSERT INTO pracovnici VALUES (?)"_s, {QString::fromUtf8(name)});
    ScriptedMessages messages;
    RecordingHost host;
    FrmCodeListGrid browser(*memberByBrowser(u"frmPracGrid"_s), *db, messages, host);
    QTableView *grid = browser.findChild<QTableView *>(u"grdPrac"_s);
    QVERIFY(grid);
    const QStringList first = column(grid);
    QCOMPARE(first, (QStringList{u"Čistič"_s, u"Hasič"_s, u"Chemik"_s, u"Svářeč"_s}));
    QCOMPARE(grid->model()->headerData(0, Qt::Horizontal).toString(), u"Pracovnici"_s);
    QCOMPARE(grid->currentIndex().row(), 0);

    // Highlight "Chemik", sort twice: the order comes back and "Chemik" stays highlighted.
    grid->setCurrentIndex(grid->model()->index(2, 0));
    grid->horizontalHeader()->sectionClicked(0);
    QVERIFY(!browser.ascending());
    QCOMPARE(grid->horizontalHeader()->sortIndicatorOrder(), Qt::DescendingOrder);
    QCOMPARE(grid->currentIndex().data().toString(), u"Chemik"_s);
    QCOMPARE(grid->currentIndex().row(), 1);
    grid->horizontalHeader()->sectionClicked(0);
    QCOMPARE(column(grid), first);
    QCOMPARE(grid->currentIndex().data().toString(), u"Chemik"_s);
    QCOMPARE(browser.activeEntry(), QStringList{u"Chemik"_s});

    // A refill after a change elsewhere keeps it too.
    db->execute(u"INSERT INTO pracovnici VALUES ('Automechanik')"_s);
    browser.activated();
    QCOMPARE(grid->model()->rowCount(), 5);
    QCOMPARE(grid->currentIndex().data().toString(), u"Chemik"_s);
}

void TestCodeListWindows::popupOpensTheEditorInItsMode()
{
    QTemporaryDir dir;
    auto db = newDatabase(dir);
    ScriptedMessages messages;
    RecordingHost host;
    FrmCodeListGrid browser(*memberByBrowser(u"frmOOPGrd"_s), *db, messages, host);
    QVERIFY(browser.isEmpty());

    // An empty grid: the popup is asked to offer only "&Nový"; the other modes open nothing.
    host.chosen = u"Upravit"_s;
    emit browser.grid()->customContextMenuRequested(QPoint(5, 5));
    QCOMPARE(host.emptyGrids, QList<bool>{true});
    QVERIFY(host.editors.isEmpty());

    host.chosen = u"Novy"_s;
    emit browser.grid()->customContextMenuRequested(QPoint(5, 5));
    QCOMPARE(host.mode, u"novy"_s);
    QCOMPARE(host.editors.size(), 1);
    auto *editor = qobject_cast<CodeListEditor *>(host.editors.last());
    QCOMPARE(editor->objectName(), u"frmOOP"_s);
    qobject_cast<QLineEdit *>(editor->input(0))->setText(u"Přilba"_s);
    editor->save();
    QVERIFY(messages.shown.isEmpty());
    browser.activated();
    QCOMPARE(column(browser.grid()), QStringList{u"Přilba"_s});
    QCOMPARE(browser.activeEntry(), QStringList{u"Přilba"_s});

    host.chosen = u"Export"_s;
    emit browser.grid()->customContextMenuRequested(QPoint(5, 5));
    QCOMPARE(host.emptyGrids.last(), false);
    QCOMPARE(host.extras, QStringList{u"mnuOopGrdExport"_s});
}

void TestCodeListWindows::gridKeysDoWhatThePopupWould()
{
    QTemporaryDir dir;
    auto db = newDatabase(dir);
    ScriptedMessages messages;
    RecordingHost host;
    FrmCodeListGrid browser(*memberByBrowser(u"frmPracGrid"_s), *db, messages, host);
    QTableView *grid = browser.grid();
    const auto editorTitle = [&] {
        return host.editors.isEmpty() || !host.editors.last() ? QString()
                                                              : host.editors.last()->windowTitle();
    };
    const auto editorText = [&] {
        return host.editors.last()->findChild<QLineEdit *>(u"txtPrac"_s)->text();
    };
    const auto save = [&] {
        host.editors.last()->show();
        QTest::mouseClick(host.editors.last()->findChild<QPushButton *>(u"cmdUlozit"_s),
                          Qt::LeftButton);
    };

    // Empty: the hint over the grid; Enter and Delete have no entry to act on.
    const QStringList misplaced = misplacedControls(browser, u"prac-prazdny"_s);
    QVERIFY2(misplaced.isEmpty(), qPrintable(misplaced.join(u'\n')));
    auto *hint = grid->findChild<QLabel *>(u"lblPrazdny"_s);
    QVERIFY(hint && hint->isVisible());
    QCOMPARE(hint->text(), u"Seznam je prázdný – nový záznam přidáte klávesou Insert nebo pravým "
                           "tlačítkem myši."_s);
    QTest::keyClick(grid, Qt::Key_Return);
    QTest::keyClick(grid, Qt::Key_Delete);
    QVERIFY(host.editors.isEmpty());

    // Insert is "&Nový", unless the popup would not offer it.
    host.disabledItems = {u"mnuPracGrdNovy"_s};
    QTest::keyClick(grid, Qt::Key_Insert);
    QVERIFY(host.editors.isEmpty());
    host.disabledItems.clear();
    QTest::keyClick(grid, Qt::Key_Insert);
    QCOMPARE(host.mode, u"novy"_s);
    QCOMPARE(editorTitle(), u"Pracovníci (Nový záznam)"_s);
    QTest::keyClicks(host.editors.last()->findChild<QLineEdit *>(u"txtPrac"_s), u"Lakyrnik"_s);
    save();
    db->execute(u"INSERT INTO pracovnici VALUES ('Svarec')"_s);
    browser.activated();
    QCOMPARE(column(grid), (QStringList{u"Lakyrnik"_s, u"Svarec"_s}));
    QVERIFY(!hint->isVisible());

    // Double-click and Enter are "&Upravit", or "&Zobrazit" where that cannot be chosen.
    doubleClick(grid, 1);
    QCOMPARE(host.mode, u"upravit"_s);
    QCOMPARE(editorTitle(), u"Pracovníci (Upravit záznam)"_s);
    QCOMPARE(editorText(), u"Svarec"_s);
    host.disabledItems = {u"mnuPracGrdUpravit"_s};
    QTest::keyClick(grid, Qt::Key_Enter);
    QCOMPARE(editorTitle(), u"Pracovníci (Zobrazit záznam)"_s);
    doubleClick(grid, 0);
    QCOMPARE(host.mode, u"zobrazit"_s);
    QCOMPARE(editorText(), u"Lakyrnik"_s);
    host.disabledItems << u"mnuPracGrdZobrazit"_s << u"mnuPracGrdVymazat"_s;
    const qsizetype opened = host.editors.size();
    doubleClick(grid, 1);
    QTest::keyClick(grid, Qt::Key_Delete);
    QCOMPARE(host.editors.size(), opened);

    // Delete is "&Vymazat": its editor deletes only when told to.
    host.disabledItems.clear();
    QTest::keyClick(grid, Qt::Key_Delete);
    QCOMPARE(editorTitle(), u"Pracovníci (Vymazat záznam)"_s);
    QCOMPARE(db->scalarInt(u"SELECT count(*) FROM pracovnici WHERE pracovnik = 'Svarec'"_s), 1);
    save();
    QCOMPARE(db->scalarInt(u"SELECT count(*) FROM pracovnici WHERE pracovnik = 'Svarec'"_s), 0);
    QVERIFY(messages.shown.isEmpty());
}

void TestCodeListWindows::editorsFollowTheirMode()
{
    QTemporaryDir dir;
    auto db = newDatabase(dir);
    db->execute(u"INSERT INTO pracovnici VALUES ('Lakýrník')"_s);
    db->execute(u"INSERT INTO nebezpeci_kategorie VALUES ('Chemické')"_s);
    db->execute(u"INSERT INTO nebezpeci_kategorie_druh VALUES ('Výpary', 'Chemické')"_s);
    ScriptedMessages messages;
    const CodeList &workers = *memberByBrowser(u"frmPracGrid"_s);
    const QStringList key{u"Lakýrník"_s};

    const struct
    {
        EditMode mode;
        const char *caption;
        const char *button; // nullptr: hidden
        bool locked;
    } cases[] = {
        {EditMode::New, "Pracovníci (Nový záznam)", "Uložit", false},
        {EditMode::Edit, "Pracovníci (Upravit záznam)", "Uložit", false},
        {EditMode::Delete, "Pracovníci (Vymazat záznam)", "Vymazat", true},
        {EditMode::View, "Pracovníci (Zobrazit záznam)", nullptr, true},
    };
    for (const auto &c : cases) {
        CodeListEditor editor(workers, c.mode, key, *db, messages, nullptr);
        QCOMPARE(editor.windowTitle(), QString::fromUtf8(c.caption));
        auto *text = editor.findChild<QLineEdit *>(u"txtPrac"_s);
        QCOMPARE(text->text(), c.mode == EditMode::New ? QString() : key.first());
        QCOMPARE(text->isReadOnly(), c.locked);
        auto *save = editor.findChild<QPushButton *>(u"cmdUlozit"_s);
        QCOMPARE(save->isVisibleTo(&editor), c.button != nullptr);
        if (c.button)
            QCOMPARE(save->text(), QString::fromUtf8(c.button));
        const QStringList misplaced = misplacedControls(editor, u"prac-"_s + modeWord(c.mode));
        QVERIFY2(misplaced.isEmpty(), qPrintable(misplaced.join(u'\n')));
    }

    // The kinds editor offers the categories and shows the pair; scale values filter keys.
    const CodeList &kinds = *memberByBrowser(u"frmNebezpeciDruhGrd"_s);
    CodeListEditor kind(kinds, EditMode::Edit, {u"Výpary"_s, u"Chemické"_s}, *db, messages,
                        nullptr);
    const QStringList misplaced = misplacedControls(kind, u"druh"_s);
    QVERIFY2(misplaced.isEmpty(), qPrintable(misplaced.join(u'\n')));
    auto *combo = kind.findChild<QComboBox *>(u"cmbKategorie"_s);
    QCOMPARE(combo->currentText(), u"Chemické"_s);
    QCOMPARE(kind.findChild<QLineEdit *>(u"txtDruh"_s)->text(), u"Výpary"_s);

    CodeListEditor scale(*memberByBrowser(u"frmZavaznostGrd"_s), EditMode::New, {}, *db, messages,
                         nullptr);
    auto *value = scale.findChild<QLineEdit *>(u"txtZavaznostHodnota"_s);
    QTest::keyClicks(value, u"1a2,5b"_s);
    QCOMPARE(value->text(), u"12,5"_s);
    CodeListEditor level(*memberByBrowser(u"frmUrovneGrd"_s), EditMode::New, {}, *db, messages,
                         nullptr);
    auto *threshold = level.findChild<QLineEdit *>(u"txtUrovenHodnota"_s);
    QTest::keyClicks(threshold, u"7x0,5"_s);
    QCOMPARE(threshold->text(), u"705"_s);
}

void TestCodeListWindows::editorAsksBeforeReplacingTheTypedValues()
{
    QTemporaryDir dir;
    auto db = newDatabase(dir);
    db->execute(u"INSERT INTO zavaznost VALUES ('Vážný', 125)"_s);
    ScriptedMessages messages;
    const CodeList &scale = *memberByBrowser(u"frmZavaznostGrd"_s);
    CodeListEditor editor(scale, EditMode::Edit, {u"Vážný"_s}, *db, messages, nullptr);
    editor.show();
    auto *name = editor.findChild<QLineEdit *>(u"txtZavaznostPopis"_s);
    auto *value = editor.findChild<QLineEdit *>(u"txtZavaznostHodnota"_s);
    auto *save = editor.findChild<QPushButton *>(u"cmdUlozit"_s);
    // Another copy saves a new value while the editor is open.
    auto colleague = Database::open(db->path());
    colleague->execute(u"UPDATE zavaznost SET zavaznost = 200"_s);
    name->clear();
    QTest::keyClicks(name, u"Kriticky"_s);

    // "No": back to the typed values, nothing written.
    QTest::mouseClick(save, Qt::LeftButton);
    QCOMPARE(messages.kinds(), QStringList{u"ask"_s});
    QCOMPARE(messages.shown.last().title, u"Tamvel"_s);
    QVERIFY(messages.lastText().startsWith(
        u"Záznam mezitím změnil nebo vymazal jiný uživatel. Změny nebyly uloženy."_s));
    QVERIFY(editor.isVisible());
    QCOMPARE(name->text(), u"Kriticky"_s);
    QCOMPARE(load(*colleague, scale, {u"Vážný"_s}), (QStringList{u"Vážný"_s, u"20"_s}));

    // "Yes": the entry as stored now; a save after that keeps the colleague's value.
    messages.answers = {true};
    QTest::mouseClick(save, Qt::LeftButton);
    QVERIFY(editor.isVisible());
    QCOMPARE(name->text(), u"Vážný"_s);
    QCOMPARE(value->text(), u"20"_s);
    name->clear();
    QTest::keyClicks(name, u"Kriticky"_s);
    QTest::mouseClick(save, Qt::LeftButton);
    QVERIFY(!editor.isVisible());
    QCOMPARE(load(*colleague, scale, {u"Kriticky"_s}), (QStringList{u"Kriticky"_s, u"20"_s}));

    // Deleted meanwhile: "Yes" closes the editor, nothing comes back.
    CodeListEditor stale(scale, EditMode::Delete, {u"Kriticky"_s}, *db, messages, nullptr);
    stale.show();
    colleague->execute(u"DELETE FROM zavaznost"_s);
    messages.answers = {true};
    const int shown = int(messages.shown.size());
    QTest::mouseClick(stale.findChild<QPushButton *>(u"cmdUlozit"_s), Qt::LeftButton);
    QCOMPARE(messages.shown.size(), shown + 1);
    QCOMPARE(messages.shown.last().kind, u"ask"_s);
    QVERIFY(!stale.isVisible());
    QCOMPARE(colleague->scalarInt(u"SELECT count(*) FROM zavaznost"_s), 0);
}

void TestCodeListWindows::requirementCatalogueNavigatesAndLinks()
{
    QTemporaryDir dir;
    auto db = newDatabase(dir);
    db->execute(
        u"INSERT INTO predpisy VALUES (5, 'Zákon', '262/2006', 'Zákoník práce', '2006-04-21', "
        "'')"_s);
    ScriptedMessages messages;
    RecordingHost host;
    FrmPozadavky catalogue(*db, messages, host);
    const auto label = [&] { return catalogue.findChild<QLabel *>(u"lblPocet"_s)->text(); };
    const auto part = [&](int i) {
        return catalogue.findChild<QLineEdit *>(u"txtPozadavek%1"_s.arg(i));
    };
    QCOMPARE(label(), u"(0/0)"_s);
    QVERIFY(part(1)->isReadOnly());
    // The regulations' keys are their buttons, which wait for an edit.
    catalogue.show();
    auto *grid = catalogue.findChild<QTableWidget *>(u"grdPredpis"_s);
    QTest::keyClick(grid, Qt::Key_Insert);
    QVERIFY(host.editors.isEmpty());

    // "Nový", two parts, a regulation from the picker (Insert is "Přidat"), "Uložit".
    catalogue.newOrSave();
    QCOMPARE(catalogue.state(), FrmPozadavky::State::New);
    QCOMPARE(catalogue.findChild<QPushButton *>(u"cmdPoza1"_s)->text(), u"Uložit"_s);
    part(1)->setText(u"Používat chrániče sluchu"_s);
    QTest::keyClick(grid, Qt::Key_Insert);
    QCOMPARE(host.editors.size(), 1);
    auto *picker = qobject_cast<FrmCodeListGrid *>(host.editors.last());
    QCOMPARE(picker->windowTitle(), u"Předpisy - přehled"_s);
    picker->show();
    // A double-click in the picker is its only item, "&Přidat", when that can be chosen.
    const auto pickFirst = [&] { doubleClick(picker->grid(), 0); };
    host.disabledItems = {u"mnuPredpisPozadavekGrdPridat"_s};
    pickFirst();
    QCOMPARE(grid->rowCount(), 0);
    host.disabledItems.clear();
    pickFirst();
    QCOMPARE(grid->rowCount(), 1);
    host.chosen = u"Pridat"_s;
    emit picker->grid()->customContextMenuRequested(QPoint(5, 5)); // the same one again
    QCOMPARE(grid->rowCount(), 1);
    QCOMPARE(grid->item(0, 0)->text(), u"262/2006"_s);
    QTest::keyClick(picker->grid(), Qt::Key_Delete); // no such item in its popup
    QTest::keyClick(picker->grid(), Qt::Key_Insert);
    QCOMPARE(host.editors.size(), 1);
    // Delete is "Odebrat": the row goes from the screen, the popup brings it back.
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {},
                      grid->visualRect(grid->model()->index(0, 0)).center());
    QTest::keyClick(grid, Qt::Key_Delete);
    QCOMPARE(grid->rowCount(), 0);
    emit picker->grid()->customContextMenuRequested(QPoint(5, 5));
    QCOMPARE(grid->rowCount(), 1);
    catalogue.newOrSave();
    QCOMPARE(catalogue.state(), FrmPozadavky::State::Browsing);
    QCOMPARE(label(), u"(1/1)"_s);
    QCOMPARE(db->scalarInt(u"SELECT predpis_id FROM pozadavky_predpisy"_s), 5);

    db->execute(u"INSERT INTO pozadavky VALUES (2, 'Druhý', '', '', '')"_s);
    catalogue.activated();
    QCOMPARE(label(), u"(1/2)"_s);
    catalogue.findChild<QScrollBar *>(u"hscPozadavky"_s)->setValue(2);
    QCOMPARE(label(), u"(2/2)"_s);
    QCOMPARE(part(1)->text(), u"Druhý"_s);
    QCOMPARE(grid->rowCount(), 0);

    // A colleague's change while editing: "No" keeps the typed text, "Yes" shows the stored one
    // and the edit goes on; deleted meanwhile, "Yes" leaves the catalogue browsing.
    catalogue.editOrCancel();
    Database::open(db->path())
        ->execute(u"UPDATE pozadavky SET pozadavek2 = 'x' WHERE "
                  "pozadavek_id = 2"_s);
    part(1)->setText(u"Můj"_s);
    catalogue.newOrSave();
    QCOMPARE(messages.shown.last().title, u"Tamvel"_s);
    QCOMPARE(catalogue.state(), FrmPozadavky::State::Editing);
    QCOMPARE(part(1)->text(), u"Můj"_s);
    messages.answers = {true};
    catalogue.newOrSave();
    QCOMPARE(catalogue.state(), FrmPozadavky::State::Editing);
    QCOMPARE(part(1)->text() + part(2)->text(), u"Druhýx"_s);
    Database::open(db->path())->execute(u"DELETE FROM pozadavky WHERE pozadavek_id = 2"_s);
    messages.answers = {true};
    catalogue.newOrSave();
    QCOMPARE(catalogue.state(), FrmPozadavky::State::Browsing);
    QCOMPARE(label(), u"(1/1)"_s);
}

void TestCodeListWindows::regulationEditorChecksItsDate()
{
    QTemporaryDir dir;
    auto db = newDatabase(dir);
    db->execute(u"INSERT INTO typ VALUES ('Zákon', 'ZA')"_s);
    ScriptedMessages messages;
    FrmPredpis editor(EditMode::New, 0, *db, messages, QString(), nullptr);
    QCOMPARE(editor.windowTitle(), u"Předpisy (Nový záznam)"_s);
    const QStringList misplaced = misplacedControls(editor, u"predpis"_s);
    QVERIFY2(misplaced.isEmpty(), qPrintable(misplaced.join(u'\n')));
    editor.findChild<QComboBox *>(u"cmbTyp"_s)->setCurrentIndex(0);
    editor.findChild<QLineEdit *>(u"txtCislo"_s)->setText(u"1/2000"_s);
    auto *issued = editor.findChild<QLineEdit *>(u"medVydano"_s);
    QCOMPARE(issued->displayText(), u"__.__.____"_s);
    issued->setText(u"31.02.2024"_s);
    editor.save();
    QCOMPARE(messages.lastText(), u"Zadejte datum ve tvaru DD.MM.RRRR !"_s);
    QCOMPARE(db->scalarInt(u"SELECT count(*) FROM predpisy"_s), 0);
    issued->setText(u"29.02.2024"_s);
    editor.save();
    QCOMPARE(db->scalarText(u"SELECT vydano FROM predpisy"_s), u"2024-02-29"_s);

    // Without a documents folder the document buttons only say where to set it.
    editor.findChild<QPushButton *>(u"cmdZobrazit"_s)->click();
    QCOMPARE(messages.lastText(), u"Není nastavena cesta k dokumentům!"_s);
}

QTEST_MAIN(TestCodeListWindows)
#include "tst_codelistwindows.moc"
