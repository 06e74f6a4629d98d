#include "ScriptedMessages.h"

#include "risks/SubTask.h"

#include <QTest>

using namespace tamvel;
using namespace tamvel::risks;

// The checks of a single entry and their messages are driven through the dialog in
// tst_subtaskdialog; here the rules that need several rows.
class TestSubTask : public QObject
{
    Q_OBJECT

private slots:
    void duplicateRule_data();
    void duplicateRule();
    void deleteMovesTheRowsBelowUp();
    void displayModesAndMissingRowsChangeNothing();
    void listHoldsAtMostAThousand();
};

static const SubTask First{QStringLiteral("Revize hasicích přístrojů"), QDate(2024, 3, 5),
                           QStringLiteral("Novák")};
static const SubTask Second{QStringLiteral("Školení BOZP"), QDate(2024, 6, 30),
                            QStringLiteral("Dvořáková")};

void TestSubTask::duplicateRule_data()
{
    QTest::addColumn<QString>("task");
    QTest::addColumn<QString>("deadline");
    QTest::addColumn<QString>("responsible");
    QTest::addColumn<bool>("duplicate");
    QTest::newRow("same three") << First.task << "05.03.2024" << First.responsible << true;
    QTest::newRow("same with blanks around") << (QStringLiteral(" ") + First.task) << "05.03.2024"
                                             << (First.responsible + QStringLiteral("  ")) << true;
    QTest::newRow("other deadline") << First.task << "06.03.2024" << First.responsible << false;
    QTest::newRow("other responsible") << First.task << "05.03.2024"
                                       << "Nováková" << false;
    QTest::newRow("other task, blanks around") << " Revize "
                                               << "05.03.2024" << First.responsible << false;
    // Equality is exact: letter case counts.
    QTest::newRow("other case") << First.task.toUpper() << "05.03.2024" << First.responsible
                                << false;
}

void TestSubTask::duplicateRule()
{
    QFETCH(QString, task);
    QFETCH(QString, deadline);
    QFETCH(QString, responsible);
    QFETCH(bool, duplicate);
    const SubTaskInput input{task, deadline, responsible};
    const SubTask entered{task.trimmed(), QDate::fromString(deadline, QStringLiteral("dd.MM.yyyy")),
                          responsible.trimmed()};
    const QVector<SubTask> before{Second, First};

    // A new row is compared with every row; an accepted one is appended trimmed.
    QVector<SubTask> list = before;
    ScriptedMessages messages;
    QCOMPARE(applySubTask(list, EditMode::New, -1, input, messages).changed, !duplicate);
    QCOMPARE(list, (duplicate ? before : before + QVector<SubTask>{entered}));

    // Editing the row itself into these values is never a duplicate and changes only it.
    list = before;
    QVERIFY(applySubTask(list, EditMode::Edit, 1, input, messages).changed);
    QCOMPARE(list, (QVector<SubTask>{Second, entered}));

    // Editing the other row into them is, when they equal this row.
    list = before;
    QCOMPARE(applySubTask(list, EditMode::Edit, 0, input, messages).changed, !duplicate);
    QCOMPARE(list, (duplicate ? before : QVector<SubTask>{entered, First}));
    const QString fail = QStringLiteral("fail");
    QCOMPARE(messages.kinds(), (duplicate ? QStringList{fail, fail} : QStringList{}));
}

void TestSubTask::deleteMovesTheRowsBelowUp()
{
    const SubTask third{QStringLiteral("Měření hluku"), QDate(2024, 1, 2), QStringLiteral("Černý")};
    QVector<SubTask> list{First, Second, third};
    ScriptedMessages messages;
    // The inputs are not checked: the shown row goes, whatever the locked fields hold.
    QVERIFY(applySubTask(list, EditMode::Delete, 1, {}, messages).changed);
    QCOMPARE(list, (QVector<SubTask>{First, third}));
    QVERIFY(messages.shown.isEmpty());
}

void TestSubTask::displayModesAndMissingRowsChangeNothing()
{
    const SubTaskInput input{QStringLiteral("X"), QStringLiteral("01.01.2024"),
                             QStringLiteral("Y")};
    const std::pair<EditMode, int> cases[] = {
        {EditMode::View, 0}, {EditMode::ViewFromOverview, 0}, {EditMode::Edit, -1},
        {EditMode::Edit, 1}, {EditMode::Delete, -1},          {EditMode::Delete, 1}};
    for (const auto &[mode, row] : cases) {
        QVector<SubTask> list{First};
        ScriptedMessages messages;
        QVERIFY(!applySubTask(list, mode, row, input, messages).changed);
        QCOMPARE(list, QVector<SubTask>{First});
        QVERIFY(messages.shown.isEmpty());
    }
}

void TestSubTask::listHoldsAtMostAThousand()
{
    QVector<SubTask> list;
    for (int i = 0; i < MaxSubTasks - 1; ++i)
        list.append({QStringLiteral("Úkol %1").arg(i), QDate(2024, 1, 1), QStringLiteral("N")});
    ScriptedMessages messages;
    const auto apply = [&](EditMode mode, int row, const char *task) {
        const SubTaskInput input{QString::fromUtf8(task), QStringLiteral("01.01.2024"),
                                 QStringLiteral("N")};
        return applySubTask(list, mode, row, input, messages).changed;
    };
    QVERIFY(apply(EditMode::New, -1, "Poslední"));
    QCOMPARE(list.size(), MaxSubTasks);
    QVERIFY(!apply(EditMode::New, -1, "Navíc"));
    QCOMPARE(list.size(), MaxSubTasks);
    QCOMPARE(messages.kinds(), QStringList{QStringLiteral("warn")});
    // A full list can still be edited.
    QVERIFY(apply(EditMode::Edit, 0, "Změněný"));
}

QTEST_GUILESS_MAIN(TestSubTask)
#include "tst_subtask.moc"
