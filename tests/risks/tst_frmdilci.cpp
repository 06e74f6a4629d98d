#include "RecordingHost.h"
#include "ScriptedMessages.h"
#include "TestDatabase.h"
#include "WindowCheck.h"

#include "risks/FrmDilci.h"
#include "risks/FrmDilciUkol.h"
#include "risks/Highlights.h"
#include "ui/DateField.h"

#include <QHash>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

#include <array>

using namespace tamvel;

class TestFrmDilci : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void listsEverySubTaskWithTheRiskOfTheHighlightedOne();
    void sortingTwiceReturnsWithTheHighlightKept();
    void refillKeepsTheHighlightedSubTask();
    void detailShowsTheSubTask();
    void deadlinesOfOpenRisksAreColoured();

private:
    void risk(qint64 id, const std::array<const char *, 7> &fields);
    void subTask(qint64 risk, const char *task, const QDate &deadline, const char *responsible);

    QTemporaryDir m_dir;
    std::unique_ptr<Database> m_db;
    ScriptedMessages m_messages;
    RecordingHost m_host;
};

static QStringList strings(std::initializer_list<const char *> texts)
{
    QStringList list;
    for (const char *text : texts)
        list << QString::fromUtf8(text);
    return list;
}

static QStringList column(const QTableView *grid, int col)
{
    QStringList texts;
    for (int row = 0; row < grid->model()->rowCount(); ++row)
        texts << grid->model()->index(row, col).data().toString();
    return texts;
}

static QString current(const QTableView *grid, int col = 0)
{
    return grid->model()->index(grid->currentIndex().row(), col).data().toString();
}

static QString box(const QWidget &window, const char *name)
{
    auto *edit = window.findChild<QLineEdit *>(QString::fromUtf8(name));
    return edit ? edit->text() : QStringLiteral("<missing %1>").arg(QString::fromUtf8(name));
}

// A risk with the seven fields shown under the grid, in the order of the boxes.
void TestFrmDilci::risk(qint64 id, const std::array<const char *, 7> &fields)
{
    Values values{id};
    for (const char *field : fields)
        values << QString::fromUtf8(field);
    m_db->execute(QStringLiteral("INSERT INTO rizika (id_riziko, system, pracovnik, "
                                 "nebezpeci_kategorie, nebezpeci_druh, nebezpeci_zdroj, "
                                 "poskozeni_cast_tela, poskozeni_charakter) "
                                 "VALUES (?,?,?,?,?,?,?,?)"),
                  values);
}

void TestFrmDilci::subTask(qint64 risk, const char *task, const QDate &deadline,
                           const char *responsible)
{
    m_db->execute(QStringLiteral("INSERT INTO dilci_ukoly (id_riziko, ukol, termin, zodpovida) "
                                 "VALUES (?,?,?,?)"),
                  {risk, QString::fromUtf8(task), deadline, QString::fromUtf8(responsible)});
}

void TestFrmDilci::init()
{
    m_db = newDatabase(
        m_dir, QStringLiteral("%1.mdb").arg(QString::fromUtf8(QTest::currentTestFunction())));
    m_messages.shown.clear();
    risk(1, {"Dílna", "Soustružník", "Mechanické", "Pořezání", "Ostré hrany obrobku", "Ruka",
             "Řezná rána"});
    risk(2, {"Sklad", "Skladník", "Pád", "Pád z výšky", "Regály", "Hlava", "Zlomenina"});
    subTask(1, "Hlídat ostří nástrojů", QDate(2024, 3, 5), "Novák");
    subTask(1, "Chránit ruce rukavicemi", QDate(2023, 12, 1), "Černý");
    subTask(2, "Čistit regály", QDate(2024, 1, 15), "Adámek");
    subTask(2, "Zkontrolovat žebřík", QDate(2025, 2, 10), "Dvořák");
    subTask(2, "Bezpečnostní značení", QDate(2024, 2, 28), "Bílý");
}

static const QStringList CzechOrder =
    strings({"Bezpečnostní značení", "Čistit regály", "Hlídat ostří nástrojů",
             "Chránit ruce rukavicemi", "Zkontrolovat žebřík"});

void TestFrmDilci::listsEverySubTaskWithTheRiskOfTheHighlightedOne()
{
    FrmDilci window(*m_db, m_messages, m_host);
    QCOMPARE(window.objectName(), QStringLiteral("frmDilci"));
    QCOMPARE(window.windowTitle(), QStringLiteral("Dílčí úkoly - přehled"));
    QTableView *grid = window.grid();
    QCOMPARE(grid->objectName(), QStringLiteral("grdUkoly"));
    QStringList headers;
    for (int col = 0; col < grid->model()->columnCount(); ++col)
        headers << grid->model()->headerData(col, Qt::Horizontal).toString();
    QCOMPARE(headers, strings({"Úkol", "Termín", "Zodpovídá"}));
    QCOMPARE(column(grid, 0), CzechOrder);
    QCOMPARE(grid->currentIndex().row(), 0);
    QCOMPARE(grid->editTriggers(), QAbstractItemView::NoEditTriggers);
    QVERIFY(m_messages.shown.isEmpty());

    // Row 0 belongs to risk 2; each box read-only under its caption.
    QHash<QString, QString> captions;
    for (const QLabel *label : window.findChildren<QLabel *>())
        if (label->buddy())
            captions.insert(label->buddy()->objectName(), label->text());
    const std::tuple<const char *, const char *, QString> second[] = {
        {"txtSystem", "Systém :", QStringLiteral("Sklad")},
        {"txtPracovnik", "Pracovník :", QStringLiteral("Skladník")},
        {"txtKategorie", "Kategorie :", QStringLiteral("Pád")},
        {"txtDruh", "Druh :", QStringLiteral("Pád z výšky")},
        {"txtZdroj", "Zdroj :", QStringLiteral("Regály")},
        {"txtCastTela", "Část těla :", QStringLiteral("Hlava")},
        {"txtCharakter", "Charakter :", QStringLiteral("Zlomenina")}};
    for (const auto &[name, caption, text] : second) {
        QCOMPARE(box(window, name), text);
        QCOMPARE(captions.value(QString::fromUtf8(name)), QString::fromUtf8(caption));
        QVERIFY(window.findChild<QLineEdit *>(QString::fromUtf8(name))->isReadOnly());
    }
    grid->setCurrentIndex(grid->model()->index(2, 1)); // "Hlídat ostří nástrojů", risk 1
    QCOMPARE(box(window, "txtSystem"), QStringLiteral("Dílna"));
    QCOMPARE(box(window, "txtPracovnik"), QStringLiteral("Soustružník"));
    QCOMPARE(box(window, "txtZdroj"), QStringLiteral("Ostré hrany obrobku"));
    QCOMPARE(box(window, "txtCharakter"), QStringLiteral("Řezná rána"));
}

void TestFrmDilci::sortingTwiceReturnsWithTheHighlightKept()
{
    FrmDilci window(*m_db, m_messages, m_host);
    QTableView *grid = window.grid();
    grid->setCurrentIndex(grid->model()->index(3, 0)); // "Chránit ruce rukavicemi"

    // Dates sort as dates, not as their "dd.mm.yyyy" text; the first click sorts down.
    emit grid->horizontalHeader()->sectionClicked(1);
    QCOMPARE(column(grid, 1),
             strings({"10.02.2025", "05.03.2024", "28.02.2024", "15.01.2024", "01.12.2023"}));
    QCOMPARE(current(grid), QStringLiteral("Chránit ruce rukavicemi"));
    QCOMPARE(grid->horizontalHeader()->sortIndicatorSection(), 1);
    QCOMPARE(grid->horizontalHeader()->sortIndicatorOrder(), Qt::DescendingOrder);
    window.sortBy(1);
    QCOMPARE(column(grid, 1).first(), QStringLiteral("01.12.2023"));
    QCOMPARE(current(grid), QStringLiteral("Chránit ruce rukavicemi"));

    // The task column: one click reverses, the second returns to the first order.
    window.sortBy(0);
    window.sortBy(0);
    QCOMPARE(column(grid, 0), CzechOrder);
    QCOMPARE(grid->currentIndex().row(), 3);
    QCOMPARE(box(window, "txtSystem"), QStringLiteral("Dílna"));

    // Responsible people in Czech order too: "Č" after "C", before "D".
    window.sortBy(2);
    QCOMPARE(column(grid, 2), strings({"Novák", "Dvořák", "Černý", "Bílý", "Adámek"}));
    QCOMPARE(current(grid, 2), QStringLiteral("Černý"));
}

void TestFrmDilci::refillKeepsTheHighlightedSubTask()
{
    FrmDilci window(*m_db, m_messages, m_host);
    QTableView *grid = window.grid();
    grid->setCurrentIndex(grid->model()->index(1, 0)); // "Čistit regály"
    subTask(1, "Aktualizovat pokyny", QDate(2024, 5, 1), "Novák");
    window.activated();
    QCOMPARE(grid->model()->rowCount(), 6);
    QCOMPARE(current(grid), QStringLiteral("Čistit regály"));
    // The highlighted sub-task gone: the first row is highlighted.
    m_db->execute(QStringLiteral("DELETE FROM dilci_ukoly WHERE ukol = ?"),
                  {QStringLiteral("Čistit regály")});
    window.activated();
    QCOMPARE(current(grid), QStringLiteral("Aktualizovat pokyny"));
    QCOMPARE(box(window, "txtSystem"), QStringLiteral("Dílna"));
    // A sub-task whose risk is gone shows empty boxes.
    m_db->execute(QStringLiteral("DELETE FROM rizika WHERE id_riziko = 1"));
    window.activated();
    QCOMPARE(current(grid), QStringLiteral("Aktualizovat pokyny"));
    QCOMPARE(box(window, "txtSystem"), QString());
    QCOMPARE(box(window, "txtCastTela"), QString());
    // Nothing left: nothing highlighted, empty boxes.
    m_db->execute(QStringLiteral("DELETE FROM dilci_ukoly"));
    window.activated();
    QCOMPARE(grid->model()->rowCount(), 0);
    QCOMPARE(box(window, "txtSystem"), QString());
}

void TestFrmDilci::detailShowsTheSubTask()
{
    RecordingHost host;
    FrmDilci window(*m_db, m_messages, host);
    window.show();
    QTableView *grid = window.grid();
    host.chosen = QStringLiteral("Detail");
    emit grid->customContextMenuRequested(grid->visualRect(grid->model()->index(3, 0)).center());
    QCOMPARE(host.popups, QStringList{QStringLiteral("mnuDUgrd")});
    QCOMPARE(host.emptyGrids, QList<bool>{false});
    QCOMPARE(host.mode, QStringLiteral("zobrazitdu"));
    auto *dialog = window.findChild<FrmDilciUkol *>();
    QVERIFY(dialog);
    QVERIFY(dialog->isVisible());
    QVERIFY(dialog->isModal());
    // The read-only mode; what it locks is checked in tst_subtaskdialog.
    QCOMPARE(dialog->windowTitle(), QStringLiteral("Dílčí úkol (Zobrazit záznam)"));
    QCOMPARE(dialog->taskEdit()->text(), QStringLiteral("Chránit ruce rukavicemi"));
    QCOMPARE(dialog->deadlineField()->edit()->text(), QStringLiteral("01.12.2023"));
    QCOMPARE(dialog->responsibleEdit()->text(), QStringLiteral("Černý"));
    dialog->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!window.findChild<FrmDilciUkol *>());

    // Double-click and Enter are "&Detail" when it can be chosen; Insert and Delete nothing,
    // as the popup has no such items.
    const auto shownTask = [&] {
        auto *open = window.findChild<FrmDilciUkol *>();
        const QString task = open ? open->taskEdit()->text() : QString();
        delete open;
        return task;
    };
    const QPoint second = grid->visualRect(grid->model()->index(1, 2)).center();
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, second);
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, second);
    QCOMPARE(shownTask(), QStringLiteral("Čistit regály"));
    QTest::keyClick(grid, Qt::Key_Down);
    QTest::keyClick(grid, Qt::Key_Return);
    QCOMPARE(shownTask(), QStringLiteral("Hlídat ostří nástrojů"));
    host.disabledItems = {QStringLiteral("mnuDUgrdDetail")};
    QTest::keyClick(grid, Qt::Key_Enter);
    QTest::keyClick(grid, Qt::Key_Insert);
    QTest::keyClick(grid, Qt::Key_Delete);
    QCOMPARE(shownTask(), QString());
    QCOMPARE(grid->model()->rowCount(), 5);
    auto *hint = grid->findChild<QLabel *>(QStringLiteral("lblPrazdny"));
    QVERIFY(hint && !hint->isVisible());

    // An empty grid: the popup is told so and "Detail" opens nothing; the hint shows.
    m_db->execute(QStringLiteral("DELETE FROM dilci_ukoly"));
    window.activated();
    host.mode.clear();
    host.disabledItems.clear();
    emit grid->customContextMenuRequested(QPoint(5, 5));
    QCOMPARE(host.emptyGrids.last(), true);
    QVERIFY(host.mode.isEmpty());
    QVERIFY(!window.findChild<FrmDilciUkol *>());
    QVERIFY(!window.openDetail());
    QVERIFY(hint->isVisible());
}

void TestFrmDilci::deadlinesOfOpenRisksAreColoured()
{
    // Risk 1 open, risk 2 closed, no risk 3.
    const QDate today = QDate::currentDate();
    m_db->execute(QStringLiteral("DELETE FROM dilci_ukoly"));
    m_db->execute(QStringLiteral("UPDATE rizika SET program_splneno = ? WHERE id_riziko = 2"),
                  {today.addDays(-30)});
    subTask(1, "a včera", today.addDays(-1), "Novák");
    subTask(1, "b dnes", today, "Novák");
    subTask(1, "c za 14 dní", today.addDays(14), "Novák");
    subTask(1, "d za 15 dní", today.addDays(15), "Novák");
    subTask(1, "e bez termínu", QDate(), "Novák");
    subTask(2, "f uzavřené riziko", today.addDays(-1), "Novák");
    subTask(3, "g bez rizika", today.addDays(-1), "Novák");
    FrmDilci window(*m_db, m_messages, m_host);
    const QStringList misplaced = misplacedControls(window, QStringLiteral("dilci-terminy"));
    QVERIFY2(misplaced.isEmpty(), qPrintable(misplaced.join(QLatin1Char('\n'))));
    QTableView *grid = window.grid();
    const auto backgrounds = [&](int column) {
        QStringList names;
        for (int row = 0; row < grid->model()->rowCount(); ++row) {
            const QVariant brush = grid->model()->index(row, column).data(Qt::BackgroundRole);
            names << (brush.isValid() ? brush.value<QBrush>().color().name() : QString());
        }
        return names;
    };
    const auto colour = [](risks::Deadline deadline, bool dark) {
        const risks::Rgb rgb = risks::deadlineColour(deadline, dark).value();
        return QColor(rgb.red, rgb.green, rgb.blue).name();
    };
    const auto expected = [&](bool dark) {
        const QString overdue = colour(risks::Deadline::Overdue, dark);
        const QString soon = colour(risks::Deadline::Soon, dark);
        return QStringList{overdue, soon, soon, {}, {}, {}, {}};
    };
    QCOMPARE(backgrounds(1), expected(false));
    // Only the deadline's cell.
    QCOMPARE(backgrounds(0), QStringList(7));
    QCOMPARE(backgrounds(2), QStringList(7));

    // A dark palette takes the deep shades.
    QPalette dark = window.palette();
    dark.setColor(QPalette::Window, QColor(30, 30, 30));
    window.setPalette(dark);
    QCOMPARE(backgrounds(1), expected(true));
    QVERIFY(expected(true) != expected(false));
}

QTEST_MAIN(TestFrmDilci)
#include "tst_frmdilci.moc"
