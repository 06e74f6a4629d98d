#include "RecordingHost.h"
#include "ScriptedMessages.h"
#include "TestDatabase.h"
#include "WindowCheck.h"

#include "app/DemoDatabase.h"
#include "risks/FrmRizikaGrd.h"
#include "risks/GridSearch.h"
#include "risks/RiskGrid.h"
#include "risks/RiskRecord.h"

#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>

using namespace tamvel;
using namespace tamvel::risks;

class TestRiskGrid : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void queriesAndColumnSets();
    void gridShowsTheRegisterAsUsersReadIt();
    void sortArrowPointsUpForAscending();
    void searchFoldsCaseAndDiacritics();
    void levelsAndDeadlinesColourTheirCells();
    void keysMouseAndToolbarDoWhatThePopupWould();
    void quickSearchNarrowsTheListedRisks();
    void overviewKeepsTheRiskAndOffersTheEditor(); // empties the register at its end

private:
    // A copy of the demo register for a test that changes it.
    std::unique_ptr<Database> copy(const char *name)
    {
        const QString path = m_dir.filePath(QString::fromUtf8(name));
        QFile::copy(m_path, path);
        return Database::open(path);
    }

    QTemporaryDir m_dir;
    QString m_path;
};

namespace {

// The overview over a register, recording the editors it asks for as "mode id".
struct Overview
{
    ScriptedMessages messages;
    RecordingHost host;
    OverviewState state;
    QStringList opened;
    QVector<qint64> exported;
    FrmRizikaGrd window;

    explicit Overview(Database &db)
        : window(
              db, messages, host, state, QStringLiteral("Administrator"), true,
              [this](EditMode mode, qint64 id) -> QWidget * {
                  opened << modeWord(mode) + QLatin1Char(' ') + QString::number(id);
                  return nullptr;
              },
              [this](const QVector<qint64> &ids) { exported = ids; })
    {
    }
    QTableView *view() const { return window.grid(); }
    QString status() const
    {
        return window.findChild<QStatusBar *>(QStringLiteral("stbPocet"))->currentMessage();
    }
    QAction *tool(const char *name) const
    {
        return window.findChild<QAction *>(QString::fromUtf8(name));
    }
    QStringList enabledTools() const
    {
        QStringList names;
        for (QAction *a : window.findChild<QToolBar *>(QStringLiteral("tlbRizika"))->actions())
            if (!a->isSeparator() && a->isEnabled())
                names << a->objectName();
        return names;
    }
    // The listed row of a risk, brought into view.
    QModelIndex indexOf(qint64 id, int column = 0) const
    {
        const QModelIndex index = view()->model()->index(listedRow(id), column);
        view()->scrollTo(index);
        return index;
    }
    int listedRow(qint64 id) const { return int(window.listedIds().indexOf(id)); }
    void doubleClick(qint64 id) const
    {
        // The press and release of a double-click's first click, then the double-click.
        const QPoint at = view()->visualRect(indexOf(id)).center();
        QTest::mouseClick(view()->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(view()->viewport(), Qt::LeftButton, {}, at);
    }
    // Clicks a row and presses a key on the grid.
    void key(qint64 id, Qt::Key key, Qt::KeyboardModifiers modifiers = {}) const
    {
        QTest::mouseClick(view()->viewport(), Qt::LeftButton, {},
                          view()->visualRect(indexOf(id)).center());
        QTest::keyClick(view(), key, modifiers);
    }
    void show()
    {
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
    }
};

} // namespace

void TestRiskGrid::initTestCase()
{
    m_path = m_dir.filePath(QStringLiteral("grid.mdb"));
    demo::writeDemoDatabase(m_path, 120);
}

void TestRiskGrid::queriesAndColumnSets()
{
    // A text sort in Czech order; equal keys in one order, so sorting back gives the same list.
    QCOMPARE(gridQuery({}, RiskFilter::openOnly(), QStringLiteral("Porušení požadavků"), true).sql,
             QStringLiteral("SELECT id_riziko, opatreni_splneno IS NULL AND program_splneno IS "
                            "NULL FROM rizika WHERE opatreni_splneno IS NULL AND program_splneno "
                            "IS NULL ORDER BY legislativa COLLATE CS, id_riziko"));
    QCOMPARE(fieldOfCaption(QStringLiteral("Neznámý")), QStringLiteral("id_riziko"));

    for (const char *empty : {"", "  ", "#960#", "#912#", "#960##960#"})
        QCOMPARE(columnSetText(parseColumnSet(QString::fromUtf8(empty))), defaultColumnSet());
    const QVector<GridColumn> two = parseColumnSet(QStringLiteral("ID#500#Cesta#3000#"));
    QCOMPARE(two[1].field, QStringLiteral("cesta"));
    QCOMPARE(columnSetText(two), QStringLiteral("ID#500#Cesta#3000#"));
    // A field named again is shown once, at its first width (an old set of 29 "#960#" pairs:
    // overviewKeepsTheRiskAndOffersTheEditor).
    QCOMPARE(
        columnSetText(parseColumnSet(QStringLiteral("Cesta#900#ID#500#Cesta#3000#Neznámý#70#"))),
        QStringLiteral("Cesta#900#ID#500#"));
}

void TestRiskGrid::gridShowsTheRegisterAsUsersReadIt()
{
    auto db = Database::open(m_path);
    const QString columns = QStringLiteral("ID#500#Systém#1200#Riziko#900#Porušení požadavků#600#"
                                           "Opatření-splněno#1000#");
    // Either completion date alone closes a risk: 1 has only the corrective one, 2 only the
    // programme's.
    db->execute(QStringLiteral("UPDATE rizika SET opatreni_splneno = CASE id_riziko WHEN 1 THEN "
                               "'2024-02-01' END, program_splneno = CASE id_riziko WHEN 2 THEN "
                               "'2024-02-01' END WHERE id_riziko IN (1, 2)"));
    const RiskGrid onlyClosed =
        fillRiskGrid(*db, columns, RiskFilter::closedOnly(), QString(), false);
    const RiskGrid onlyOpen = fillRiskGrid(*db, columns, RiskFilter::openOnly(), QString(), false);
    for (const qint64 id : {1, 2}) {
        QVERIFY(onlyClosed.ids.contains(id));
        QVERIFY(!onlyOpen.ids.contains(id));
        QVERIFY(loadRisk(*db, id)->closed());
    }
    const qint64 open =
        db->scalarInt(QStringLiteral("SELECT count(*) FROM rizika WHERE opatreni_splneno IS NULL "
                                     "AND program_splneno IS NULL"));

    RiskGrid all = fillRiskGrid(*db, columns, {}, QString(), false);
    QCOMPARE(all.statusText(), QStringLiteral("Počet záznamů : 120"));
    QCOMPARE(all.ids.first(), 120); // newest first
    for (int row = 0; row < all.rowCount(); ++row) {
        const RiskRecord risk = *loadRisk(*db, all.ids[row]);
        QCOMPARE(all.closed[row], risk.closed());
        QCOMPARE(all.cell(row, 2), risk.value);
        QCOMPARE(all.cell(row, 3), risk.breach ? QStringLiteral("ano") : QStringLiteral("ne"));
        QCOMPARE(all.cell(row, 4), risk.correctiveDone.isValid()
                                       ? risk.correctiveDone.toString(QStringLiteral("dd.MM.yyyy"))
                                       : QString());
    }

    QVERIFY(!onlyOpen.closed.contains(true));
    QCOMPARE(onlyOpen.statusText(),
             QStringLiteral("Počet záznamů  ( celkem / filtr ) : 120 / %1").arg(open));

    // Czech order of a text column.
    const RiskGrid bySystem = fillRiskGrid(*db, columns, {}, QStringLiteral("Systém"), true);
    QStringList systems;
    for (int row = 0; row < bySystem.rowCount(); ++row)
        systems << bySystem.cell(row, 1);
    QVERIFY(systems.indexOf(QStringLiteral("Lakovací kabina")) <
            systems.indexOf(QStringLiteral("Lis CKW 400")));
    QVERIFY(systems.lastIndexOf(QStringLiteral("Expedice")) <
            systems.indexOf(QStringLiteral("Kanceláře")));
    QVERIFY(systems.lastIndexOf(QStringLiteral("Elektrodílna")) <
            systems.indexOf(QStringLiteral("Expedice")));
}

void TestRiskGrid::searchFoldsCaseAndDiacritics()
{
    QCOMPARE(searchFolded(u"ČAS Žluťoučký kůň ÄÖÜ ß"), QStringLiteral("cas zlutoucky kun aou ß"));
    // Text written decomposed (a letter, then its accent) and letters beyond Latin.
    QCOMPARE(searchFolded(u"C\u030Cas Ấ Ω"), QStringLiteral("cas a ω"));

    RiskGrid grid;
    grid.columns = parseColumnSet(QStringLiteral("Systém#1#Poznámky#1#"));
    const QString shared = QStringLiteral("Čas");
    const QStringList cells = {shared,
                               QString(),
                               shared,
                               QStringLiteral("x"),
                               QStringLiteral("y"),
                               QStringLiteral("ČASOVÝ plán"),
                               QString(),
                               QStringLiteral("bez")};
    for (int row = 0; row < 4; ++row) {
        grid.ids << row + 1;
        grid.cells << cells[row * 2] << cells[row * 2 + 1];
    }
    GridSearch search;
    QCOMPARE(search.rowsContaining(grid, QStringLiteral("cas")), (QVector<int>{0, 1, 2}));
    // A longer text narrows the rows found so far; a shorter one looks at every row again.
    QCOMPARE(search.rowsContaining(grid, QStringLiteral("časo")), QVector<int>{2});
    QCOMPARE(search.rowsContaining(grid, QStringLiteral("Ý PL")), QVector<int>{2});
    QCOMPARE(search.rowsContaining(grid, QStringLiteral("E")), (QVector<int>{3}));
    QCOMPARE(search.rowsContaining(grid, QString()), (QVector<int>{0, 1, 2, 3}));
    // A refilled grid is folded again once reset.
    grid.cells[7] = QStringLiteral("čas");
    search.reset();
    QCOMPARE(search.rowsContaining(grid, QStringLiteral("CAS")), (QVector<int>{0, 1, 2, 3}));
}

void TestRiskGrid::levelsAndDeadlinesColourTheirCells()
{
    auto db = copy("levels.mdb");
    const QDate today = QDate::currentDate();
    db->execute(QStringLiteral("DELETE FROM urovne_rizika"));
    for (const auto &[from, name] : QList<QPair<int, QString>>{{10, QStringLiteral("Nízké")},
                                                               {100, QStringLiteral("Vysoké")},
                                                               {50, QStringLiteral("Střední")}})
        db->execute(QStringLiteral("INSERT INTO urovne_rizika (riziko_od, limitni_uroven_rizika) "
                                   "VALUES (?, ?)"),
                    {from, name});
    // Risk 1 below the lowest band, 2 on a bound, 3 in the middle band, 4 in the highest.
    // Deadlines: 1 passed, 2 due in 14 days, 3 in 15, 4 passed but its programme done.
    const QVector<double> values = {5, 10, 60, 150.5};
    const QVector<int> dueIn = {-1, 14, 15, -1};
    for (int i = 0; i < 4; ++i)
        db->execute(QStringLiteral("UPDATE rizika SET riziko = ?, opatreni_termin = ?, "
                                   "opatreni_splneno = NULL, program_termin = ?, program_splneno "
                                   "= ? WHERE id_riziko = ?"),
                    {values[i], today.addDays(dueIn[i]), today.addDays(dueIn[i]),
                     i == 3 ? QVariant(today) : QVariant(), i + 1});

    Overview o(*db);
    o.state.columnSet = QStringLiteral("ID#500#Riziko#900#Úroveň rizika#1200#Opatření-termín#"
                                       "1000#Program-termín#1000#");
    o.state.filter = RiskFilter();
    o.show();
    o.window.activated();
    QCOMPARE(o.view()->model()->columnCount(), 5); // the level is a column of its own
    const RiskLevels levels = RiskLevels::load(*db);
    const auto background = [&](qint64 id, int column) {
        return o.indexOf(id, column).data(Qt::BackgroundRole).value<QColor>();
    };
    const auto colour = [](std::optional<Rgb> rgb) {
        return rgb ? QColor(rgb->red, rgb->green, rgb->blue) : QColor();
    };
    const QStringList names = {QString(), QStringLiteral("Nízké"), QStringLiteral("Střední"),
                               QStringLiteral("Vysoké")};
    for (int i = 0; i < 4; ++i) {
        QCOMPARE(o.indexOf(i + 1, 2).data().toString(), names[i]);
        const QColor level = colour(i == 0 ? std::nullopt : std::optional(levels.colour(i - 1)));
        QCOMPARE(background(i + 1, 1), level);
        QCOMPARE(background(i + 1, 2), level);
        if (i < 3) // open: the palette's text
            QVERIFY(!o.indexOf(i + 1, 2).data(Qt::ForegroundRole).isValid());
    }
    QCOMPARE(background(1, 3), colour(deadlineColour(Deadline::Overdue)));
    QCOMPARE(background(2, 3), colour(deadlineColour(Deadline::Soon)));
    QCOMPARE(background(3, 3), QColor());
    QCOMPARE(background(1, 4), colour(deadlineColour(Deadline::Overdue)));
    QCOMPARE(background(4, 3), colour(deadlineColour(Deadline::Overdue)));
    QCOMPARE(background(4, 4), QColor()); // done
    QCOMPARE(background(4, 0), QColor());
    // A closed risk keeps its grey text on the level colour.
    QCOMPARE(o.indexOf(4, 2).data(Qt::ForegroundRole).value<QColor>(), QColor(0xC0, 0xC0, 0xC0));

    // On a dark palette the deep shades.
    QPalette dark = o.view()->palette();
    dark.setColor(QPalette::Base, Qt::black);
    o.view()->setPalette(dark);
    o.window.activated();
    QCOMPARE(background(3, 2), colour(levels.colour(1, true)));
    QCOMPARE(background(1, 3), colour(deadlineColour(Deadline::Overdue, true)));
    o.view()->setPalette(QPalette());

    // A click on the level's header sorts by the value.
    QHeaderView *header = o.view()->horizontalHeader();
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                      QPoint(header->sectionViewportPosition(2) + 5, header->height() / 2));
    QCOMPARE(o.state.sortCaption, QStringLiteral("Úroveň rizika"));
    double previous = -1;
    for (int row = 0; row < o.window.rows().rowCount(); ++row) {
        const double value = QString(o.window.rows().cell(row, 1))
                                 .replace(QLatin1Char(','), QLatin1Char('.'))
                                 .toDouble();
        QVERIFY(value >= previous);
        previous = value;
    }

    // No bands at all: F5 shows no level and no colour.
    db->execute(QStringLiteral("DELETE FROM urovne_rizika"));
    o.view()->setFocus();
    QTest::keyClick(o.view(), Qt::Key_F5);
    QCOMPARE(o.indexOf(4, 2).data().toString(), QString());
    QCOMPARE(background(4, 1), QColor());
}

void TestRiskGrid::keysMouseAndToolbarDoWhatThePopupWould()
{
    auto db = copy("keys.mdb");
    db->execute(QStringLiteral("UPDATE rizika SET opatreni_splneno = CASE id_riziko WHEN 2 THEN "
                               "'2024-02-01' END, program_splneno = NULL WHERE id_riziko < 4"));
    Overview o(*db);
    o.state.filter = RiskFilter();
    o.show();
    o.window.activated();
    const QStringList misplaced = misplacedControls(o.window, QStringLiteral("rizikagrd"));
    QVERIFY2(misplaced.isEmpty(), qPrintable(misplaced.join(QLatin1Char('\n'))));

    // Open risk 1 is edited, closed risk 2 shown; Insert is Nový, Delete Vymazat.
    o.doubleClick(1);
    o.key(2, Qt::Key_Return);
    o.key(3, Qt::Key_Enter);
    o.key(3, Qt::Key_Insert);
    o.key(1, Qt::Key_Delete);
    QCOMPARE(o.opened, (QStringList{QStringLiteral("upravit 1"), QStringLiteral("zobrazit 2"),
                                    QStringLiteral("upravit 3"), QStringLiteral("novy 3"),
                                    QStringLiteral("vymazat 1")}));
    QCOMPARE(o.host.mode, QStringLiteral("vymazat"));
    // The toolbar, Ctrl+N and the popup's Kopie by a click on its button.
    o.opened.clear();
    QTest::keyClick(o.view(), Qt::Key_N, Qt::ControlModifier);
    QTest::mouseClick(o.window.findChild<QToolBar *>()->widgetForAction(o.tool("cmdTlbKopie")),
                      Qt::LeftButton);
    QCOMPARE(o.opened, (QStringList{QStringLiteral("novy 1"), QStringLiteral("kopie 1")}));
    QCOMPARE(o.enabledTools(),
             (QStringList{QStringLiteral("cmdTlbNovy"), QStringLiteral("cmdTlbUpravit"),
                          QStringLiteral("cmdTlbKopie"), QStringLiteral("cmdTlbVymazat"),
                          QStringLiteral("cmdTlbFiltr"), QStringLiteral("cmdTlbExport")}));

    // Without the right to edit, an open risk is shown; without Zobrazit either, nothing.
    o.host.disabledItems =
        QStringList{QStringLiteral("mnuRizikaGrdUpravit"), QStringLiteral("mnuRizikaGrdNovy")};
    o.window.setPrintRight(false); // as the rights timer calls it
    QCOMPARE(o.enabledTools(),
             (QStringList{QStringLiteral("cmdTlbKopie"), QStringLiteral("cmdTlbVymazat"),
                          QStringLiteral("cmdTlbFiltr")}));
    o.opened.clear();
    o.doubleClick(3);
    o.key(3, Qt::Key_Insert);
    QTest::keyClick(o.view(), Qt::Key_N, Qt::ControlModifier);
    o.host.disabledItems << QStringLiteral("mnuRizikaGrdZobrazit");
    o.doubleClick(1);
    QCOMPARE(o.opened, QStringList{QStringLiteral("zobrazit 3")});
    o.host.disabledItems.clear();
    o.window.setPrintRight(true);

    // Ctrl+F goes to the search box with its text selected; Esc there empties it.
    QTest::keyClicks(o.window.findChild<QLineEdit *>(QStringLiteral("txtHledat")),
                     QStringLiteral("nic takoveho"));
    auto *search = o.window.findChild<QLineEdit *>(QStringLiteral("txtHledat"));
    o.view()->setFocus();
    QTest::keyClick(o.view(), Qt::Key_F, Qt::ControlModifier);
    QVERIFY(search->hasFocus());
    QCOMPARE(search->selectedText(), QStringLiteral("nic takoveho"));

    // Nothing listed: the hint, only Nový and Filtr, and the keys do nothing.
    auto *hint = o.view()->viewport()->findChild<QLabel *>(QStringLiteral("lblPrazdny"));
    QVERIFY(hint->isVisible());
    QCOMPARE(o.status(), QStringLiteral("Počet záznamů  ( celkem / filtr ) : 120 / 0"));
    QCOMPARE(o.enabledTools(),
             (QStringList{QStringLiteral("cmdTlbNovy"), QStringLiteral("cmdTlbFiltr")}));
    o.opened.clear();
    o.view()->setFocus();
    for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Delete})
        QTest::keyClick(o.view(), key);
    QVERIFY(o.opened.isEmpty());
    QTest::keyClick(search, Qt::Key_Escape);
    QVERIFY(search->text().isEmpty());
    QVERIFY(!hint->isVisible());
    QCOMPARE(o.status(), QStringLiteral("Počet záznamů : 120"));
}

void TestRiskGrid::quickSearchNarrowsTheListedRisks()
{
    auto db = copy("search.mdb");
    const QStringList workers = {QStringLiteral("Ďáblík"), QStringLiteral("ĎÁBLÍK a spol."),
                                 QStringLiteral("zámečník dablik")};
    for (int i = 0; i < workers.size(); ++i)
        db->execute(QStringLiteral("UPDATE rizika SET pracovnik = ?, opatreni_splneno = NULL, "
                                   "program_splneno = NULL WHERE id_riziko = ?"),
                    {workers[i], 20 + i});
    Overview o(*db);
    o.show();
    o.window.activated();
    auto *search = o.window.findChild<QLineEdit *>(QStringLiteral("txtHledat"));
    QCOMPARE(search->placeholderText(), QStringLiteral("Hledat (Ctrl+F)"));
    QTest::mouseClick(o.view()->viewport(), Qt::LeftButton, {},
                      o.view()->visualRect(o.indexOf(21)).center());
    o.view()->setColumnWidth(1, 77); // as the user dragged it
    QTest::keyClicks(search, QStringLiteral("dabli"));
    QCOMPARE(o.window.listedIds(), (QVector<qint64>{22, 21, 20}));
    QCOMPARE(o.window.currentId(), 21); // still listed, still current
    QCOMPARE(o.status(), QStringLiteral("Počet záznamů  ( celkem / filtr ) : 120 / 3"));
    QCOMPARE(o.view()->columnWidth(1), 77);
    QTest::keyClicks(search, QStringLiteral("k a"));
    QCOMPARE(o.window.listedIds(), QVector<qint64>{21});

    // It stays through a sort, F5, another filter and an export of what is listed.
    search->setText(QStringLiteral("DABLIK"));
    QHeaderView *header = o.view()->horizontalHeader();
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                      QPoint(header->sectionViewportPosition(0) + 5, header->height() / 2));
    QCOMPARE(o.window.listedIds().size(), 3);
    QCOMPARE(o.window.currentId(), 21);
    QTest::keyClick(o.view(), Qt::Key_F5);
    o.window.clearFilter();
    QCOMPARE(o.window.listedIds().size(), 3);
    QCOMPARE(o.status(), QStringLiteral("Počet záznamů  ( celkem / filtr ) : 120 / 3"));
    QTest::mouseClick(o.window.findChild<QPushButton *>(QStringLiteral("cmdExport")),
                      Qt::LeftButton);
    QCOMPARE(o.exported, o.window.listedIds());

    QTest::keyClick(search, Qt::Key_Escape);
    QCOMPARE(o.window.listedIds().size(), 120);
    QCOMPARE(o.window.currentId(), 21);
}

void TestRiskGrid::overviewKeepsTheRiskAndOffersTheEditor()
{
    auto db = Database::open(m_path);
    ScriptedMessages messages;
    RecordingHost host;
    OverviewState state;
    QStringList opened;
    QVector<qint64> exported;
    FrmRizikaGrd overview(
        *db, messages, host, state, QStringLiteral("Administrator"), false,
        [&](EditMode mode, qint64 id) -> QWidget * {
            opened << modeWord(mode) + QLatin1Char(' ') + QString::number(id);
            return nullptr;
        },
        [&](const QVector<qint64> &ids) { exported = ids; });
    QCOMPARE(overview.rows().rowCount(), 0); // filled when it comes to the front
    overview.activated();
    QCOMPARE(overview.windowTitle(), QStringLiteral("Rizika - přehled"));
    QCOMPARE(overview.findChild<QLineEdit *>(QStringLiteral("txtFiltr"))->text(),
             QStringLiteral("Pouze neuzavřená rizika"));
    for (const char *button : {"cmdVyber", "cmdNastaveni", "cmdFiltr"})
        QVERIFY2(overview.findChild<QPushButton *>(QString::fromUtf8(button))->isEnabled(), button);
    auto *exportButton = overview.findChild<QPushButton *>(QStringLiteral("cmdExport"));
    QVERIFY(!exportButton->isEnabled()); // no print right
    overview.setPrintRight(true);
    QVERIFY(exportButton->isEnabled());
    // The export takes every listed risk in the order shown.
    exportButton->click();
    QCOMPARE(exported, overview.rows().ids);
    QVERIFY(!overview.rows().closed.contains(true));

    // The highlighted risk survives a sort and a refill.
    overview.grid()->setCurrentIndex(overview.grid()->model()->index(5, 0));
    const qint64 chosen = overview.currentId();
    overview.sortBy(1);
    QCOMPARE(overview.currentId(), chosen);
    QVERIFY(overview.grid()->horizontalHeader()->isSortIndicatorShown());
    overview.activated();
    QCOMPARE(overview.currentId(), chosen);

    // An old set naming one field 29 times shows one column.
    state.columnSet = QStringLiteral("#960#").repeated(29);
    overview.activated();
    QCOMPARE(overview.grid()->horizontalHeader()->count(), 1);
    QCOMPARE(overview.grid()->currentIndex().siblingAtColumn(0).data().toString(),
             QString::number(chosen));
    state.columnSet.clear();
    overview.activated();

    // The popup opens the editor in its mode on the highlighted risk.
    host.chosen = QStringLiteral("Upravit");
    emit overview.grid()->customContextMenuRequested(QPoint(5, 5));
    QCOMPARE(host.mode, QStringLiteral("upravit"));
    QCOMPARE(opened, QStringList{QStringLiteral("upravit %1").arg(overview.currentId())});

    // Without a filter every risk is listed, closed ones in grey.
    overview.clearFilter();
    QCOMPARE(overview.rows().filtered, 120);
    const int closedRow = int(overview.rows().closed.indexOf(true));
    QCOMPARE(overview.grid()->model()->index(closedRow, 0).data(Qt::ForegroundRole).value<QColor>(),
             QColor(0xC0, 0xC0, 0xC0));
    QVERIFY(
        !overview.findChild<QPushButton *>(QStringLiteral("cmdZrusit"))->isVisibleTo(&overview));

    // An empty register: the popup is told so, export is off.
    db->execute(QStringLiteral("DELETE FROM rizika"));
    overview.activated();
    QVERIFY(!exportButton->isEnabled());
    host.chosen.clear();
    emit overview.grid()->customContextMenuRequested(QPoint(5, 5));
    QCOMPARE(host.emptyGrids.last(), true);
    QCOMPARE(overview.findChild<QStatusBar *>(QStringLiteral("stbPocet"))->currentMessage(),
             QStringLiteral("Počet záznamů : 0"));
}

void TestRiskGrid::sortArrowPointsUpForAscending()
{
    auto db = Database::open(m_path);
    ScriptedMessages messages;
    RecordingHost host;
    OverviewState state;
    FrmRizikaGrd overview(*db, messages, host, state, QStringLiteral("Administrator"), false,
                          [](EditMode, qint64) -> QWidget * { return nullptr; });
    overview.resize(900, 400);
    overview.show();
    overview.activated();
    QVERIFY(overview.rows().rowCount() >= 2); // fewer rows show no arrow
    QHeaderView *header = overview.grid()->horizontalHeader();
    // Clicks the header of "Systém" as the user does; the header as it is painted then.
    const auto clickAndGrab = [&] {
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                          QPoint(header->sectionViewportPosition(0) + 10, header->height() / 2));
        return header->grab().toImage();
    };
    const QImage ascending = clickAndGrab();
    QVERIFY(state.ascending);
    QCOMPARE(state.sortCaption, QStringLiteral("Systém"));
    const QImage descending = clickAndGrab();
    QVERIFY(!state.ascending);

    // Where the two arrows differ, each picture is darker where its own arrow is wide: an
    // arrow pointing up is wide at its bottom.
    double ascendingY = 0, descendingY = 0;
    int ascendingCount = 0, descendingCount = 0;
    for (int y = 0; y < ascending.height(); ++y) {
        for (int x = 0; x < ascending.width(); ++x) {
            const int a = qGray(ascending.pixel(x, y)), d = qGray(descending.pixel(x, y));
            if (a + 40 < d) {
                ascendingY += y;
                ++ascendingCount;
            } else if (d + 40 < a) {
                descendingY += y;
                ++descendingCount;
            }
        }
    }
    QVERIFY(ascendingCount > 2 && descendingCount > 2);
    QVERIFY2(ascendingY / ascendingCount > descendingY / descendingCount,
             "the arrow of an ascending sort points down");
}

QTEST_MAIN(TestRiskGrid)
#include "tst_riskgrid.moc"
