#include "RecordingHost.h"
#include "ScriptedMessages.h"
#include "TestDatabase.h"

#include "codelists/CodeListWindows.h"
#include "codelists/RegulationWindows.h"
#include "codelists/RequirementWindows.h"

#include <QAction>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>
#include <QTableView>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

using namespace tamvel;
using namespace tamvel::codelists;

class TestCodeListWindows : public QObject
{
    Q_OBJECT

private slots:
    void sortingTwiceReturnsWithTheHighlightKept();
    void popupOpensTheEditorInItsMode();
    void editorsFollowTheirMode();
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

static void grab(QWidget &widget, const char *name)
{
    const QString folder = qEnvironmentVariable("TAMVEL_SCREENSHOTS");
    if (folder.isEmpty())
        return;
    widget.show();
    QCoreApplication::processEvents();
    widget.grab().save(folder + QLatin1Char('/') + QString::fromUtf8(name));
}

void TestCodeListWindows::sortingTwiceReturnsWithTheHighlightKept()
{
    QTemporaryDir dir;
    auto db = newDatabase(dir);
    for (const char *name : {"Svářeč", "Chemik", "ostatní", "Hasič", "Čistič"})
        db->execute(QStringLiteral("INSERT INTO pracovnici VALUES (?)"), {QString::fromUtf8(name)});
    ScriptedMessages messages;
    RecordingHost host;
    FrmCodeListGrid browser(*memberByBrowser(QStringLiteral("frmPracGrid")), *db, messages, host);
    QCOMPARE(browser.windowTitle(), QStringLiteral("Pracovník/činnost - přehled"));
    QTableView *grid = browser.findChild<QTableView *>(QStringLiteral("grdPrac"));
    QVERIFY(grid);
    const QStringList first = column(grid);
    QCOMPARE(first, (QStringList{QStringLiteral("Čistič"), QStringLiteral("Hasič"),
                                 QStringLiteral("Chemik"), QStringLiteral("Svářeč")}));
    QCOMPARE(grid->model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("Pracovnici"));
    QCOMPARE(grid->currentIndex().row(), 0);

    // Highlight "Chemik", sort twice: the order comes back and "Chemik" stays highlighted.
    grid->setCurrentIndex(grid->model()->index(2, 0));
    grid->horizontalHeader()->sectionClicked(0);
    QVERIFY(!browser.ascending());
    QCOMPARE(grid->horizontalHeader()->sortIndicatorOrder(), Qt::DescendingOrder);
    QCOMPARE(grid->currentIndex().data().toString(), QStringLiteral("Chemik"));
    QCOMPARE(grid->currentIndex().row(), 1);
    grid->horizontalHeader()->sectionClicked(0);
    QCOMPARE(column(grid), first);
    QCOMPARE(grid->currentIndex().data().toString(), QStringLiteral("Chemik"));
    QCOMPARE(browser.activeEntry(), QStringList{QStringLiteral("Chemik")});

    // A refill after a change elsewhere keeps it too.
    db->execute(QStringLiteral("INSERT INTO pracovnici VALUES ('Automechanik')"));
    browser.activated();
    QCOMPARE(grid->model()->rowCount(), 5);
    QCOMPARE(grid->currentIndex().data().toString(), QStringLiteral("Chemik"));
    grab(browser, "browser.png");
}

void TestCodeListWindows::popupOpensTheEditorInItsMode()
{
    QTemporaryDir dir;
    auto db = newDatabase(dir);
    ScriptedMessages messages;
    RecordingHost host;
    FrmCodeListGrid browser(*memberByBrowser(QStringLiteral("frmOOPGrd")), *db, messages, host);
    QVERIFY(browser.isEmpty());

    // An empty grid: the popup is asked to offer only "&Nový"; the other modes open nothing.
    host.chosen = QStringLiteral("Upravit");
    emit browser.grid()->customContextMenuRequested(QPoint(5, 5));
    QCOMPARE(host.emptyGrids, QList<bool>{true});
    QVERIFY(host.editors.isEmpty());

    host.chosen = QStringLiteral("Novy");
    emit browser.grid()->customContextMenuRequested(QPoint(5, 5));
    QCOMPARE(host.mode, QStringLiteral("novy"));
    QCOMPARE(host.editors.size(), 1);
    auto *editor = qobject_cast<CodeListEditor *>(host.editors.last());
    QCOMPARE(editor->objectName(), QStringLiteral("frmOOP"));
    qobject_cast<QLineEdit *>(editor->input(0))->setText(QStringLiteral("Přilba"));
    editor->save();
    QVERIFY(messages.shown.isEmpty());
    browser.activated();
    QCOMPARE(column(browser.grid()), QStringList{QStringLiteral("Přilba")});
    QCOMPARE(browser.activeEntry(), QStringList{QStringLiteral("Přilba")});

    host.chosen = QStringLiteral("Export");
    emit browser.grid()->customContextMenuRequested(QPoint(5, 5));
    QCOMPARE(host.emptyGrids.last(), false);
    QCOMPARE(host.extras, QStringList{QStringLiteral("mnuOopGrdExport")});
}

void TestCodeListWindows::editorsFollowTheirMode()
{
    QTemporaryDir dir;
    auto db = newDatabase(dir);
    db->execute(QStringLiteral("INSERT INTO pracovnici VALUES ('Lakýrník')"));
    db->execute(QStringLiteral("INSERT INTO nebezpeci_kategorie VALUES ('Chemické')"));
    db->execute(
        QStringLiteral("INSERT INTO nebezpeci_kategorie_druh VALUES ('Výpary', 'Chemické')"));
    ScriptedMessages messages;
    const CodeList &workers = *memberByBrowser(QStringLiteral("frmPracGrid"));
    const QStringList key{QStringLiteral("Lakýrník")};

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
        auto *text = editor.findChild<QLineEdit *>(QStringLiteral("txtPrac"));
        QCOMPARE(text->text(), c.mode == EditMode::New ? QString() : key.first());
        QCOMPARE(text->isReadOnly(), c.locked);
        auto *save = editor.findChild<QPushButton *>(QStringLiteral("cmdUlozit"));
        QCOMPARE(save->isVisibleTo(&editor), c.button != nullptr);
        if (c.button)
            QCOMPARE(save->text(), QString::fromUtf8(c.button));
        if (c.mode == EditMode::Edit)
            grab(editor, "editor.png");
    }

    // The kinds editor offers the categories and shows the pair; scale values filter keys.
    const CodeList &kinds = *memberByBrowser(QStringLiteral("frmNebezpeciDruhGrd"));
    CodeListEditor kind(kinds, EditMode::Edit,
                        {QStringLiteral("Výpary"), QStringLiteral("Chemické")}, *db, messages,
                        nullptr);
    auto *combo = kind.findChild<QComboBox *>(QStringLiteral("cmbKategorie"));
    QCOMPARE(combo->currentText(), QStringLiteral("Chemické"));
    QCOMPARE(kind.findChild<QLineEdit *>(QStringLiteral("txtDruh"))->text(),
             QStringLiteral("Výpary"));

    CodeListEditor scale(*memberByBrowser(QStringLiteral("frmZavaznostGrd")), EditMode::New, {},
                         *db, messages, nullptr);
    auto *value = scale.findChild<QLineEdit *>(QStringLiteral("txtZavaznostHodnota"));
    QTest::keyClicks(value, QStringLiteral("1a2,5b"));
    QCOMPARE(value->text(), QStringLiteral("12,5"));
    CodeListEditor level(*memberByBrowser(QStringLiteral("frmUrovneGrd")), EditMode::New, {}, *db,
                         messages, nullptr);
    auto *threshold = level.findChild<QLineEdit *>(QStringLiteral("txtUrovenHodnota"));
    QTest::keyClicks(threshold, QStringLiteral("7x0,5"));
    QCOMPARE(threshold->text(), QStringLiteral("705"));
}

void TestCodeListWindows::requirementCatalogueNavigatesAndLinks()
{
    QTemporaryDir dir;
    auto db = newDatabase(dir);
    db->execute(QStringLiteral("INSERT INTO predpisy VALUES (5, 'Zákon', '262/2006', 'Zákoník "
                               "práce', '2006-04-21', '')"));
    ScriptedMessages messages;
    RecordingHost host;
    FrmPozadavky catalogue(*db, messages, host);
    const auto label = [&] {
        return catalogue.findChild<QLabel *>(QStringLiteral("lblPocet"))->text();
    };
    const auto part = [&](int i) {
        return catalogue.findChild<QLineEdit *>(QStringLiteral("txtPozadavek%1").arg(i));
    };
    QCOMPARE(label(), QStringLiteral("(0/0)"));
    QVERIFY(part(1)->isReadOnly());

    // "Nový", two parts, a regulation from the picker, "Uložit".
    catalogue.newOrSave();
    QCOMPARE(catalogue.state(), FrmPozadavky::State::New);
    QCOMPARE(catalogue.findChild<QPushButton *>(QStringLiteral("cmdPoza1"))->text(),
             QStringLiteral("Uložit"));
    part(1)->setText(QStringLiteral("Používat chrániče sluchu"));
    catalogue.pickRegulation();
    auto *picker = qobject_cast<FrmCodeListGrid *>(host.editors.last());
    QCOMPARE(picker->windowTitle(), QStringLiteral("Předpisy - přehled"));
    host.chosen = QStringLiteral("Pridat");
    emit picker->grid()->customContextMenuRequested(QPoint(5, 5));
    emit picker->grid()->customContextMenuRequested(QPoint(5, 5)); // the same one again
    auto *grid = catalogue.findChild<QTableWidget *>(QStringLiteral("grdPredpis"));
    QCOMPARE(grid->rowCount(), 1);
    QCOMPARE(grid->item(0, 0)->text(), QStringLiteral("262/2006"));
    catalogue.newOrSave();
    QCOMPARE(catalogue.state(), FrmPozadavky::State::Browsing);
    QCOMPARE(label(), QStringLiteral("(1/1)"));
    QCOMPARE(db->scalarInt(QStringLiteral("SELECT predpis_id FROM pozadavky_predpisy")), 5);

    db->execute(QStringLiteral("INSERT INTO pozadavky VALUES (2, 'Druhý', '', '', '')"));
    catalogue.activated();
    QCOMPARE(label(), QStringLiteral("(1/2)"));
    catalogue.findChild<QScrollBar *>(QStringLiteral("hscPozadavky"))->setValue(2);
    QCOMPARE(label(), QStringLiteral("(2/2)"));
    QCOMPARE(part(1)->text(), QStringLiteral("Druhý"));
    QCOMPARE(grid->rowCount(), 0);
}

void TestCodeListWindows::regulationEditorChecksItsDate()
{
    QTemporaryDir dir;
    auto db = newDatabase(dir);
    db->execute(QStringLiteral("INSERT INTO typ VALUES ('Zákon', 'ZA')"));
    ScriptedMessages messages;
    FrmPredpis editor(EditMode::New, 0, *db, messages, QString(), nullptr);
    QCOMPARE(editor.windowTitle(), QStringLiteral("Předpisy (Nový záznam)"));
    editor.findChild<QComboBox *>(QStringLiteral("cmbTyp"))->setCurrentIndex(0);
    editor.findChild<QLineEdit *>(QStringLiteral("txtCislo"))->setText(QStringLiteral("1/2000"));
    auto *issued = editor.findChild<QLineEdit *>(QStringLiteral("medVydano"));
    QCOMPARE(issued->displayText(), QStringLiteral("__.__.____"));
    issued->setText(QStringLiteral("31.02.2024"));
    editor.save();
    QCOMPARE(messages.lastText(), QStringLiteral("Zadejte datum ve tvaru DD.MM.RRRR !"));
    QCOMPARE(db->scalarInt(QStringLiteral("SELECT count(*) FROM predpisy")), 0);
    issued->setText(QStringLiteral("29.02.2024"));
    editor.save();
    QCOMPARE(db->scalarText(QStringLiteral("SELECT vydano FROM predpisy")),
             QStringLiteral("2024-02-29"));

    // Without a documents folder the document buttons only say where to set it.
    editor.findChild<QPushButton *>(QStringLiteral("cmdZobrazit"))->click();
    QCOMPARE(messages.lastText(), QStringLiteral("Není nastavena cesta k dokumentům!"));
}

QTEST_MAIN(TestCodeListWindows)
#include "tst_codelistwindows.moc"
