#include "RecordingHost.h"
#include "ScriptedMessages.h"
#include "TestDatabase.h"

#include "codelists/CodeListWindows.h"
#include "risks/FrmDilci.h"
#include "risks/FrmDilciUkol.h"
#include "ui/DateField.h"

#include <QAction>
#include <QHash>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

using namespace tamvel;

class TestFrmDilci : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void listsEverySubTaskInCzechOrder();
    void sortingTwiceReturnsWithTheHighlightKept();
    void showsTheRiskOfTheHighlightedSubTask();
    void refillKeepsTheHighlightedSubTask();
    void detailShowsTheSubTaskReadOnly();

private:
    void risk(qint64 id, const QStringList &fields);
    void subTask(qint64 risk, const QString &task, const QDate &deadline,
                 const QString &responsible);

    QTemporaryDir m_dir;
    std::unique_ptr<Database> m_db;
    ScriptedMessages m_messages;
    RecordingHost m_host;
};

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

void TestFrmDilci::risk(qint64 id, const QStringList &fields)
{
    m_db->execute(QStringLiteral("INSERT INTO rizika (id_riziko, system, pracovnik, "
                                 "nebezpeci_kategorie, nebezpeci_druh, nebezpeci_zdroj, "
                                 "poskozeni_cast_tela, poskozeni_charakter) "
                                 "VALUES (?,?,?,?,?,?,?,?)"),
                  {id, fields.value(0), fields.value(1), fields.value(2), fields.value(3),
                   fields.value(4), fields.value(5), fields.value(6)});
}

void TestFrmDilci::subTask(qint64 risk, const QString &task, const QDate &deadline,
                           const QString &responsible)
{
    m_db->execute(QStringLiteral("INSERT INTO dilci_ukoly (id_riziko, ukol, termin, zodpovida) "
                                 "VALUES (?,?,?,?)"),
                  {risk, task, deadline, responsible});
}

void TestFrmDilci::init()
{
    m_db = newDatabase(
        m_dir, QStringLiteral("%1.mdb").arg(QString::fromUtf8(QTest::currentTestFunction())));
    m_messages.shown.clear();
    m_host.chosen.clear();
    m_host.popups.clear();
    m_host.emptyGrids.clear();
    m_host.mode.clear();
    risk(1, {QStringLiteral("Dílna"), QStringLiteral("Soustružník"), QStringLiteral("Mechanické"),
             QStringLiteral("Pořezání"), QStringLiteral("Ostré hrany obrobku"),
             QStringLiteral("Ruka"), QStringLiteral("Řezná rána")});
    risk(2, {QStringLiteral("Sklad"), QStringLiteral("Skladník"), QStringLiteral("Pád"),
             QStringLiteral("Pád z výšky"), QStringLiteral("Regály"), QStringLiteral("Hlava"),
             QStringLiteral("Zlomenina")});
    subTask(1, QStringLiteral("Hlídat ostří nástrojů"), QDate(2024, 3, 5), QStringLiteral("Novák"));
    subTask(1, QStringLiteral("Chránit ruce rukavicemi"), QDate(2023, 12, 1),
            QStringLiteral("Černý"));
    subTask(2, QStringLiteral("Čistit regály"), QDate(2024, 1, 15), QStringLiteral("Adámek"));
    subTask(2, QStringLiteral("Zkontrolovat žebřík"), QDate(2025, 2, 10), QStringLiteral("Dvořák"));
    subTask(2, QStringLiteral("Bezpečnostní značení"), QDate(2024, 2, 28), QStringLiteral("Bílý"));
}

static const QStringList CzechOrder{
    QStringLiteral("Bezpečnostní značení"), QStringLiteral("Čistit regály"),
    QStringLiteral("Hlídat ostří nástrojů"), QStringLiteral("Chránit ruce rukavicemi"),
    QStringLiteral("Zkontrolovat žebřík")};

void TestFrmDilci::listsEverySubTaskInCzechOrder()
{
    FrmDilci window(*m_db, m_messages, m_host);
    QCOMPARE(window.objectName(), QStringLiteral("frmDilci"));
    QCOMPARE(window.windowTitle(), QStringLiteral("Dílčí úkoly - přehled"));
    QTableView *grid = window.grid();
    QCOMPARE(grid->objectName(), QStringLiteral("grdUkoly"));
    QStringList headers;
    for (int col = 0; col < grid->model()->columnCount(); ++col)
        headers << grid->model()->headerData(col, Qt::Horizontal).toString();
    QCOMPARE(headers, (QStringList{QStringLiteral("Úkol"), QStringLiteral("Termín"),
                                   QStringLiteral("Zodpovídá")}));
    QCOMPARE(column(grid, 0), CzechOrder);
    QCOMPARE(column(grid, 1),
             (QStringList{QStringLiteral("28.02.2024"), QStringLiteral("15.01.2024"),
                          QStringLiteral("05.03.2024"), QStringLiteral("01.12.2023"),
                          QStringLiteral("10.02.2025")}));
    QCOMPARE(grid->currentIndex().row(), 0);
    QCOMPARE(grid->editTriggers(), QAbstractItemView::NoEditTriggers);
    QVERIFY(m_messages.shown.isEmpty());
}

void TestFrmDilci::sortingTwiceReturnsWithTheHighlightKept()
{
    FrmDilci window(*m_db, m_messages, m_host);
    QTableView *grid = window.grid();
    grid->setCurrentIndex(grid->model()->index(3, 0)); // "Chránit ruce rukavicemi"

    // Dates sort as dates, not as their "dd.mm.yyyy" text.
    emit grid->horizontalHeader()->sectionClicked(1);
    QCOMPARE(window.sortColumn(), 1);
    QVERIFY(!window.ascending());
    QCOMPARE(column(grid, 1),
             (QStringList{QStringLiteral("10.02.2025"), QStringLiteral("05.03.2024"),
                          QStringLiteral("28.02.2024"), QStringLiteral("15.01.2024"),
                          QStringLiteral("01.12.2023")}));
    QCOMPARE(current(grid), QStringLiteral("Chránit ruce rukavicemi"));
    QCOMPARE(grid->horizontalHeader()->sortIndicatorSection(), 1);
    QCOMPARE(grid->horizontalHeader()->sortIndicatorOrder(), Qt::DescendingOrder);
    window.sortBy(1);
    QVERIFY(window.ascending());
    QCOMPARE(column(grid, 1).first(), QStringLiteral("01.12.2023"));
    QCOMPARE(current(grid), QStringLiteral("Chránit ruce rukavicemi"));

    // The task column: one click reverses, the second returns to the first order.
    window.sortBy(0);
    window.sortBy(0);
    QCOMPARE(window.sortColumn(), 0);
    QVERIFY(window.ascending());
    QCOMPARE(column(grid, 0), CzechOrder);
    QCOMPARE(grid->currentIndex().row(), 3);
    QCOMPARE(box(window, "txtSystem"), QStringLiteral("Dílna"));

    // Responsible people in Czech order too: "Č" after "C", before "D".
    window.sortBy(2);
    QCOMPARE(column(grid, 2), (QStringList{QStringLiteral("Novák"), QStringLiteral("Dvořák"),
                                           QStringLiteral("Černý"), QStringLiteral("Bílý"),
                                           QStringLiteral("Adámek")}));
    QCOMPARE(current(grid, 2), QStringLiteral("Černý"));
}

void TestFrmDilci::showsTheRiskOfTheHighlightedSubTask()
{
    FrmDilci window(*m_db, m_messages, m_host);
    QTableView *grid = window.grid();
    // Row 0 belongs to risk 2; each box under its caption.
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

    // A sub-task whose risk is gone shows empty boxes.
    m_db->execute(QStringLiteral("DELETE FROM rizika WHERE id_riziko = 1"));
    window.activated();
    QCOMPARE(current(grid), QStringLiteral("Hlídat ostří nástrojů"));
    QCOMPARE(box(window, "txtSystem"), QString());
    QCOMPARE(box(window, "txtCastTela"), QString());
}

void TestFrmDilci::refillKeepsTheHighlightedSubTask()
{
    FrmDilci window(*m_db, m_messages, m_host);
    QTableView *grid = window.grid();
    grid->setCurrentIndex(grid->model()->index(1, 0)); // "Čistit regály"
    subTask(1, QStringLiteral("Aktualizovat pokyny"), QDate(2024, 5, 1), QStringLiteral("Novák"));
    window.activated();
    QCOMPARE(grid->model()->rowCount(), 6);
    QCOMPARE(grid->currentIndex().row(), 2);
    QCOMPARE(current(grid), QStringLiteral("Čistit regály"));
    // The highlighted sub-task gone: the first row is highlighted.
    m_db->execute(QStringLiteral("DELETE FROM dilci_ukoly WHERE ukol = ?"),
                  {QStringLiteral("Čistit regály")});
    window.activated();
    QCOMPARE(grid->currentIndex().row(), 0);
    QCOMPARE(current(grid), QStringLiteral("Aktualizovat pokyny"));
    QCOMPARE(box(window, "txtSystem"), QStringLiteral("Dílna"));
    // Nothing left: nothing highlighted, empty boxes.
    m_db->execute(QStringLiteral("DELETE FROM dilci_ukoly"));
    window.activated();
    QCOMPARE(grid->model()->rowCount(), 0);
    QCOMPARE(box(window, "txtSystem"), QString());
}

void TestFrmDilci::detailShowsTheSubTaskReadOnly()
{
    FrmDilci window(*m_db, m_messages, m_host);
    window.show();
    QTableView *grid = window.grid();
    m_host.chosen = QStringLiteral("Detail");
    emit grid->customContextMenuRequested(grid->visualRect(grid->model()->index(3, 0)).center());
    QCOMPARE(m_host.popups, QStringList{QStringLiteral("mnuDUgrd")});
    QCOMPARE(m_host.emptyGrids, QList<bool>{false});
    QCOMPARE(m_host.mode, QStringLiteral("zobrazitdu"));
    auto *dialog = window.findChild<FrmDilciUkol *>();
    QVERIFY(dialog);
    QVERIFY(dialog->isVisible());
    QVERIFY(dialog->isModal());
    QCOMPARE(dialog->windowTitle(), QStringLiteral("Dílčí úkol (Zobrazit záznam)"));
    QCOMPARE(dialog->taskEdit()->text(), QStringLiteral("Chránit ruce rukavicemi"));
    QCOMPARE(dialog->deadlineField()->edit()->text(), QStringLiteral("01.12.2023"));
    QCOMPARE(dialog->responsibleEdit()->text(), QStringLiteral("Černý"));
    QVERIFY(dialog->taskEdit()->isReadOnly());
    QVERIFY(!dialog->findChild<QPushButton *>(QStringLiteral("cmdUlozit"))->isVisible());
    dialog->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!window.findChild<FrmDilciUkol *>());

    // An empty grid: the popup is told so and "Detail" opens nothing.
    m_db->execute(QStringLiteral("DELETE FROM dilci_ukoly"));
    window.activated();
    m_host.mode.clear();
    emit grid->customContextMenuRequested(QPoint(5, 5));
    QCOMPARE(m_host.emptyGrids.last(), true);
    QVERIFY(m_host.mode.isEmpty());
    QVERIFY(!window.findChild<FrmDilciUkol *>());
    QVERIFY(!window.openDetail());
}

QTEST_MAIN(TestFrmDilci)
#include "tst_frmdilci.moc"
