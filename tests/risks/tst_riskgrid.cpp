#include "RecordingHost.h"
#include "ScriptedMessages.h"
#include "TestDatabase.h"

#include "app/DemoDatabase.h"
#include "risks/FrmRizikaGrd.h"
#include "risks/RiskGrid.h"
#include "risks/RiskRecord.h"

#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

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
    void overviewKeepsTheRiskAndOffersTheEditor(); // empties the register at its end

private:
    QTemporaryDir m_dir;
    QString m_path;
};

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
