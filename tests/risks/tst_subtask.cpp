#include "ScriptedMessages.h"

#include "risks/SubTask.h"

#include <QTest>

using namespace tamvel;
using namespace tamvel::risks;

Q_DECLARE_METATYPE(tamvel::EditMode)
Q_DECLARE_METATYPE(tamvel::risks::SubTaskField)

class TestSubTask : public QObject
{
    Q_OBJECT

private slots:
    void modesGiveCaptionButtonAndLocking_data();
    void modesGiveCaptionButtonAndLocking();
    void checksRunInOrderAndStopAtTheFirst_data();
    void checksRunInOrderAndStopAtTheFirst();
    void newRowIsTrimmedAndAppended();
    void duplicateRule_data();
    void duplicateRule();
    void editOverwritesOnlyItsRow();
    void deleteMovesTheRowsBelowUp();
    void displayModesAndMissingRowsChangeNothing();
    void listHoldsAtMostAThousand();
};

static const SubTask First{QStringLiteral("Revize hasicích přístrojů"), QDate(2024, 3, 5),
                           QStringLiteral("Novák")};
static const SubTask Second{QStringLiteral("Školení BOZP"), QDate(2024, 6, 30),
                            QStringLiteral("Dvořáková")};

void TestSubTask::modesGiveCaptionButtonAndLocking_data()
{
    QTest::addColumn<QString>("word");
    QTest::addColumn<EditMode>("mode");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("button");
    QTest::addColumn<bool>("locked");
    QTest::newRow("novy") << "novy" << EditMode::New << "Dílčí úkol (Nový záznam)"
                          << "Uložit" << false;
    QTest::newRow("upravit") << "upravit" << EditMode::Edit << "Dílčí úkol (Upravit záznam)"
                             << "Uložit" << false;
    QTest::newRow("vymazat") << "vymazat" << EditMode::Delete << "Dílčí úkol (Vymazat záznam)"
                             << "Vymazat" << true;
    QTest::newRow("zobrazit") << "zobrazit" << EditMode::View << "Dílčí úkol (Zobrazit záznam)"
                              << "" << true;
    QTest::newRow("zobrazitdu") << "zobrazitdu" << EditMode::ViewFromOverview
                                << "Dílčí úkol (Zobrazit záznam)"
                                << "" << true;
}

void TestSubTask::modesGiveCaptionButtonAndLocking()
{
    QFETCH(QString, word);
    QFETCH(EditMode, mode);
    QFETCH(QString, caption);
    QFETCH(QString, button);
    QFETCH(bool, locked);
    QCOMPARE(modeOfWord(word), std::optional<EditMode>(mode));
    QCOMPARE(modeWord(mode), word);
    QCOMPARE(subTaskCaption(mode), caption);
    QCOMPARE(subTaskButtonText(mode), button);
    QCOMPARE(subTaskLocked(mode), locked);
    // Mode words are exact lower-case texts.
    QVERIFY(!modeOfWord(word.toUpper()));
}

void TestSubTask::checksRunInOrderAndStopAtTheFirst_data()
{
    QTest::addColumn<QString>("task");
    QTest::addColumn<QString>("deadline");
    QTest::addColumn<QString>("responsible");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("text");
    QTest::addColumn<SubTaskField>("focus");
    const QString empty = QStringLiteral("__.__.____");
    QTest::newRow("all empty: task first") << "" << empty << ""
                                           << "Úkol"
                                           << "Nutno zadat úkol" << SubTaskField::Task;
    QTest::newRow("task only blanks") << "   "
                                      << "05.03.2024"
                                      << "Novák"
                                      << "Úkol"
                                      << "Nutno zadat úkol" << SubTaskField::Task;
    QTest::newRow("responsible before deadline")
        << "Úkol" << empty << " "
        << "Zodpovídá"
        << "Nutno zadat pole Zodpovídá" << SubTaskField::Responsible;
    QTest::newRow("deadline the empty mask") << "Úkol" << empty << "Novák"
                                             << "Termín"
                                             << "Nutno zadat Termín" << SubTaskField::Deadline;
    QTest::newRow("deadline 31.02.2024")
        << "Úkol"
        << "31.02.2024"
        << "Novák"
        << "Datum"
        << "Zadejte datum ve tvaru DD.MM.RRRR !" << SubTaskField::Deadline;
    QTest::newRow("deadline half typed")
        << "Úkol"
        << "05.03.20__"
        << "Novák"
        << "Datum"
        << "Zadejte datum ve tvaru DD.MM.RRRR !" << SubTaskField::Deadline;
}

void TestSubTask::checksRunInOrderAndStopAtTheFirst()
{
    QFETCH(QString, task);
    QFETCH(QString, deadline);
    QFETCH(QString, responsible);
    QFETCH(QString, title);
    QFETCH(QString, text);
    QFETCH(SubTaskField, focus);
    for (EditMode mode : {EditMode::New, EditMode::Edit}) {
        QVector<SubTask> list{First};
        ScriptedMessages messages;
        const SubTaskResult result =
            applySubTask(list, mode, 0, {task, deadline, responsible}, messages);
        QVERIFY(!result.changed);
        QCOMPARE(result.focus, focus);
        QCOMPARE(list, QVector<SubTask>{First});
        QCOMPARE(messages.shown.size(), 1);
        QCOMPARE(messages.shown[0].kind, QStringLiteral("warn"));
        QCOMPARE(messages.shown[0].title, title);
        QCOMPARE(messages.shown[0].text, text);
    }
}

void TestSubTask::newRowIsTrimmedAndAppended()
{
    QVector<SubTask> list{First};
    ScriptedMessages messages;
    const SubTaskResult result =
        applySubTask(list, EditMode::New, -1,
                     {QStringLiteral("  Školení BOZP "), QStringLiteral("30.06.2024"),
                      QStringLiteral(" Dvořáková")},
                     messages);
    QVERIFY(result.changed);
    QVERIFY(messages.shown.isEmpty());
    QCOMPARE(list.size(), 2);
    QCOMPARE(list[1].task, Second.task);
    QCOMPARE(list[1].deadline, Second.deadline);
    QCOMPARE(list[1].responsible, Second.responsible);
}

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
    QTest::newRow("other task") << "Revize"
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
    const QVector<SubTask> before{Second, First};

    // A new row is compared with every row.
    QVector<SubTask> list = before;
    ScriptedMessages messages;
    SubTaskResult result =
        applySubTask(list, EditMode::New, -1, {task, deadline, responsible}, messages);
    QCOMPARE(result.changed, !duplicate);
    QCOMPARE(list.size(), duplicate ? 2 : 3);
    if (duplicate) {
        QCOMPARE(messages.shown.size(), 1);
        QCOMPARE(messages.shown[0].kind, QStringLiteral("fail"));
        QCOMPARE(messages.shown[0].title, QStringLiteral("Duplicita"));
        QCOMPARE(messages.shown[0].text, QStringLiteral("Duplicitní dílčí úkol"));
    } else {
        QVERIFY(messages.shown.isEmpty());
    }

    // Editing the row itself into these values is never a duplicate.
    list = before;
    messages.shown.clear();
    result = applySubTask(list, EditMode::Edit, 1, {task, deadline, responsible}, messages);
    QVERIFY(result.changed);
    QVERIFY(messages.shown.isEmpty());

    // Editing the other row into them is, when they equal this row.
    list = before;
    result = applySubTask(list, EditMode::Edit, 0, {task, deadline, responsible}, messages);
    QCOMPARE(result.changed, !duplicate);
    QCOMPARE(list[0] == before[0], duplicate);
    QCOMPARE(messages.kinds(), duplicate ? QStringList{QStringLiteral("fail")} : QStringList{});
}

void TestSubTask::editOverwritesOnlyItsRow()
{
    QVector<SubTask> list{First, Second};
    ScriptedMessages messages;
    QVERIFY(applySubTask(
                list, EditMode::Edit, 0,
                {QStringLiteral("Revize"), QStringLiteral("01.12.2025"), QStringLiteral("Svoboda")},
                messages)
                .changed);
    QCOMPARE(list.size(), 2);
    QCOMPARE(list[0].task, QStringLiteral("Revize"));
    QCOMPARE(list[0].deadline, QDate(2025, 12, 1));
    QCOMPARE(list[0].responsible, QStringLiteral("Svoboda"));
    QCOMPARE(list[1], Second);
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
    const QVector<SubTask> before{First};
    for (EditMode mode : {EditMode::View, EditMode::ViewFromOverview}) {
        QVector<SubTask> list = before;
        ScriptedMessages messages;
        QVERIFY(!applySubTask(list, mode, 0, input, messages).changed);
        QCOMPARE(list, before);
        QVERIFY(messages.shown.isEmpty());
    }
    for (EditMode mode : {EditMode::Edit, EditMode::Delete}) {
        for (int row : {-1, 1}) {
            QVector<SubTask> list = before;
            ScriptedMessages messages;
            QVERIFY(!applySubTask(list, mode, row, input, messages).changed);
            QCOMPARE(list, before);
        }
    }
}

void TestSubTask::listHoldsAtMostAThousand()
{
    QVector<SubTask> list;
    for (int i = 0; i < MaxSubTasks - 1; ++i)
        list.append({QStringLiteral("Úkol %1").arg(i), QDate(2024, 1, 1), QStringLiteral("N")});
    ScriptedMessages messages;
    const SubTaskInput input{QStringLiteral("Poslední"), QStringLiteral("01.01.2024"),
                             QStringLiteral("N")};
    QVERIFY(applySubTask(list, EditMode::New, -1, input, messages).changed);
    QCOMPARE(list.size(), MaxSubTasks);
    QVERIFY(
        !applySubTask(list, EditMode::New, -1,
                      {QStringLiteral("Navíc"), QStringLiteral("01.01.2024"), QStringLiteral("N")},
                      messages)
             .changed);
    QCOMPARE(list.size(), MaxSubTasks);
    QCOMPARE(messages.kinds(), QStringList{QStringLiteral("warn")});
    // A full list can still be edited.
    QVERIFY(
        applySubTask(list, EditMode::Edit, 0,
                     {QStringLiteral("Změněný"), QStringLiteral("01.01.2024"), QStringLiteral("N")},
                     messages)
            .changed);
}

QTEST_GUILESS_MAIN(TestSubTask)
#include "tst_subtask.moc"
