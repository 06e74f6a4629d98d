#include "ScriptedMessages.h"

#include "risks/FrmDilciUkol.h"
#include "ui/DateField.h"

#include <QApplication>
#include <QCalendarWidget>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <QToolButton>

using namespace tamvel;
using namespace tamvel::risks;

Q_DECLARE_METATYPE(tamvel::EditMode)

class TestSubTaskDialog : public QObject
{
    Q_OBJECT

private slots:
    void eachModeShowsItsCaptionButtonAndLocking_data();
    void eachModeShowsItsCaptionButtonAndLocking();
    void newSubTaskIsAddedTrimmedAndTheDialogCloses();
    void refusalsTellWhyAndPointAtTheField_data();
    void refusalsTellWhyAndPointAtTheField();
    void leavingTheDeadlineChecksIt_data();
    void leavingTheDeadlineChecksIt();
    void calendarClosesWhenLeft_data();
    void calendarClosesWhenLeft();
    void deleteRemovesTheShownRowAndStornoNothing();
};

static const QVector<SubTask> Two{
    {QStringLiteral("Revize hasicích přístrojů"), QDate(2024, 3, 5), QStringLiteral("Novák")},
    {QStringLiteral("Školení BOZP"), QDate(2024, 6, 30), QStringLiteral("Dvořáková")}};

template <class T> static T *child(QWidget &parent, const char *name)
{
    T *found = parent.findChild<T *>(QString::fromUtf8(name));
    if (!found)
        qFatal("no child %s", name);
    return found;
}

static void type(QWidget &dialog, const char *name, const QString &text)
{
    QLineEdit *edit = child<QLineEdit>(dialog, name);
    edit->clear();
    if (edit->inputMask().isEmpty()) {
        // Key clicks carry Latin-1 only; Czech text is entered as pasted.
        edit->insert(text);
        return;
    }
    // The masked date is typed digit by digit from its first position.
    edit->setCursorPosition(0);
    QTest::keyClicks(edit, text);
}

// Each message as "kind|title|text".
static QStringList described(const ScriptedMessages &messages)
{
    QStringList result;
    for (const ScriptedMessages::Shown &s : messages.shown)
        result << QStringList{s.kind, s.title, s.text}.join(u'|');
    return result;
}

static const QString BadDate = QStringLiteral("warn|Datum|Zadejte datum ve tvaru DD.MM.RRRR !");

void TestSubTaskDialog::eachModeShowsItsCaptionButtonAndLocking_data()
{
    QTest::addColumn<EditMode>("mode");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("button"); // empty: hidden
    QTest::addColumn<bool>("locked");
    QTest::newRow("novy") << EditMode::New << "Dílčí úkol (Nový záznam)"
                          << "Uložit" << false;
    QTest::newRow("upravit") << EditMode::Edit << "Dílčí úkol (Upravit záznam)"
                             << "Uložit" << false;
    QTest::newRow("vymazat") << EditMode::Delete << "Dílčí úkol (Vymazat záznam)"
                             << "Vymazat" << true;
    QTest::newRow("zobrazit") << EditMode::View << "Dílčí úkol (Zobrazit záznam)"
                              << "" << true;
    QTest::newRow("zobrazitdu") << EditMode::ViewFromOverview << "Dílčí úkol (Zobrazit záznam)"
                                << "" << true;
}

void TestSubTaskDialog::eachModeShowsItsCaptionButtonAndLocking()
{
    QFETCH(EditMode, mode);
    QFETCH(QString, caption);
    QFETCH(QString, button);
    QFETCH(bool, locked);
    QVector<SubTask> list = Two;
    ScriptedMessages messages;
    FrmDilciUkol dialog(mode, list, 1, messages);
    dialog.show();
    QCOMPARE(dialog.objectName(), QStringLiteral("frmDilciUkol"));
    QCOMPARE(dialog.windowTitle(), caption);
    QVERIFY(dialog.isModal());
    auto *save = child<QPushButton>(dialog, "cmdUlozit");
    QCOMPARE(save->isVisible(), !button.isEmpty());
    if (!button.isEmpty())
        QCOMPARE(save->text(), button);
    QCOMPARE(child<QPushButton>(dialog, "cmdStorno")->text(), QStringLiteral("Storno"));
    auto *task = child<QLineEdit>(dialog, "txtUkol");
    auto *deadline = child<QLineEdit>(dialog, "medDilciTermin");
    auto *responsible = child<QLineEdit>(dialog, "txtZodpovida");
    QCOMPARE(task->isReadOnly(), locked);
    QCOMPARE(deadline->isReadOnly(), locked);
    QCOMPARE(responsible->isReadOnly(), locked);
    QCOMPARE(child<QToolButton>(dialog, "cmdDilciKalendar")->isEnabled(), !locked);
    QCOMPARE(task->maxLength(), 250);
    QCOMPARE(responsible->maxLength(), 50);

    // Every mode but "novy" shows the selected row, the deadline as "dd.mm.yyyy".
    const bool shows = mode != EditMode::New;
    QCOMPARE(task->text(), shows ? Two[1].task : QString());
    QCOMPARE(deadline->displayText(),
             shows ? QStringLiteral("30.06.2024") : QStringLiteral("__.__.____"));
    QCOMPARE(responsible->text(), shows ? Two[1].responsible : QString());

    // The row's name is the mode's word as the session stores it: exact lower case.
    const QString word = QString::fromUtf8(QTest::currentDataTag());
    QCOMPARE(modeWord(mode), word);
    QCOMPARE(modeOfWord(word), std::optional<EditMode>(mode));
    QVERIFY(!modeOfWord(word.toUpper()));
}

void TestSubTaskDialog::newSubTaskIsAddedTrimmedAndTheDialogCloses()
{
    QVector<SubTask> list = Two;
    ScriptedMessages messages;
    FrmDilciUkol dialog(EditMode::New, list, 0, messages);
    dialog.show();
    QSignalSpy saved(&dialog, &FrmDilciUkol::saved);
    type(dialog, "txtUkol", QStringLiteral(" Měření hluku  "));
    type(dialog, "medDilciTermin", QStringLiteral("01122025"));
    type(dialog, "txtZodpovida", QStringLiteral("Černý "));
    QTest::mouseClick(child<QPushButton>(dialog, "cmdUlozit"), Qt::LeftButton);
    QVERIFY(messages.shown.isEmpty());
    QCOMPARE(saved.count(), 1);
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QVERIFY(!dialog.isVisible());
    // Compared field by field: SubTask's == ignores blanks around.
    QCOMPARE(list.size(), 3);
    QCOMPARE(list[2].task, QStringLiteral("Měření hluku"));
    QCOMPARE(list[2].deadline, QDate(2025, 12, 1));
    QCOMPARE(list[2].responsible, QStringLiteral("Černý"));
}

void TestSubTaskDialog::refusalsTellWhyAndPointAtTheField_data()
{
    QTest::addColumn<QString>("task");
    QTest::addColumn<QString>("deadline"); // the digits typed
    QTest::addColumn<QString>("responsible");
    QTest::addColumn<QString>("message"); // kind|title|text
    QTest::addColumn<QString>("focus");
    const auto row = [](const char *name, const QString &task, const char *deadline,
                        const QString &responsible, const QString &message, const char *focus) {
        QTest::newRow(name) << task << QString::fromUtf8(deadline) << responsible << message
                            << QString::fromUtf8(focus);
    };
    const QString task = QStringLiteral("Úkol");
    const QString novak = QStringLiteral("Novák");
    // In the order of the checks: each row passes the ones before it.
    row("all empty: task first", QString(), "", QString(),
        QStringLiteral("warn|Úkol|Nutno zadat úkol"), "txtUkol");
    row("task only blanks", QStringLiteral("   "), "05032024", novak,
        QStringLiteral("warn|Úkol|Nutno zadat úkol"), "txtUkol");
    row("responsible before deadline", task, "", QStringLiteral(" "),
        QStringLiteral("warn|Zodpovídá|Nutno zadat pole Zodpovídá"), "txtZodpovida");
    row("deadline the empty mask", task, "", novak,
        QStringLiteral("warn|Termín|Nutno zadat Termín"), "medDilciTermin");
    row("deadline 31.02.2024", task, "31022024", novak, BadDate, "medDilciTermin");
    row("deadline half typed", task, "050320", novak, BadDate, "medDilciTermin");
    row("duplicate of the other row", Two[0].task, "05032024", Two[0].responsible,
        QStringLiteral("fail|Duplicita|Duplicitní dílčí úkol"), "txtUkol");
}

void TestSubTaskDialog::refusalsTellWhyAndPointAtTheField()
{
    QFETCH(QString, task);
    QFETCH(QString, deadline);
    QFETCH(QString, responsible);
    QFETCH(QString, message);
    QFETCH(QString, focus);
    // A new row and an edit of the second row are checked alike.
    for (EditMode mode : {EditMode::New, EditMode::Edit}) {
        QVector<SubTask> list = Two;
        ScriptedMessages messages;
        FrmDilciUkol dialog(mode, list, 1, messages);
        dialog.show();
        QApplication::setActiveWindow(&dialog);
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        type(dialog, "txtUkol", task);
        type(dialog, "medDilciTermin", deadline);
        type(dialog, "txtZodpovida", responsible);
        QTest::mouseClick(child<QPushButton>(dialog, "cmdUlozit"), Qt::LeftButton);
        QCOMPARE(described(messages), QStringList{message});
        QCOMPARE(QApplication::focusWidget()->objectName(), focus);
        QVERIFY(dialog.isVisible());
        QCOMPARE(list, Two);
    }
}

void TestSubTaskDialog::leavingTheDeadlineChecksIt_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("click");           // leaves by clicking "Uložit", else by Tab
    QTest::addColumn<QStringList>("messages"); // every message shown
    QTest::addColumn<bool>("stays");           // the cursor is still in the deadline
    QTest::addColumn<QDate>("stored");         // the row's deadline afterwards
    const QDate before = Two[0].deadline;
    const auto row = [](const char *name, const char *typed, bool click, QStringList messages,
                        bool stays, QDate stored) {
        QTest::addRow("%s %s", name, click ? "click" : "tab")
            << QString::fromLatin1(typed) << click << messages << stays << stored;
    };
    for (bool click : {false, true}) {
        row("half typed", "1203", click, {BadDate}, true, before);
        row("31.02.2020", "31022020", click, {BadDate}, true, before);
        row("valid", "15032025", click, {}, false, click ? QDate(2025, 3, 15) : before);
    }
    row("empty", "", false, {}, false, before);
    row("empty", "", true, {QStringLiteral("warn|Termín|Nutno zadat Termín")}, true, before);
}

void TestSubTaskDialog::leavingTheDeadlineChecksIt()
{
    QFETCH(QString, typed);
    QFETCH(bool, click);
    QFETCH(QStringList, messages);
    QFETCH(bool, stays);
    QFETCH(QDate, stored);
    QVector<SubTask> list = Two;
    ScriptedMessages shown;
    FrmDilciUkol dialog(EditMode::Edit, list, 0, shown);
    dialog.show();
    QApplication::setActiveWindow(&dialog);
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    auto *deadline = child<QLineEdit>(dialog, "medDilciTermin");
    QTest::mouseClick(deadline, Qt::LeftButton);
    QCOMPARE(QApplication::focusWidget(), deadline);
    type(dialog, "medDilciTermin", typed);
    if (click)
        QTest::mouseClick(child<QPushButton>(dialog, "cmdUlozit"), Qt::LeftButton);
    else
        QTest::keyClick(deadline, Qt::Key_Tab);
    // Told once: the click that left the field does not save and tell it again.
    QCOMPARE(described(shown), messages);
    QCOMPARE(QApplication::focusWidget() == deadline, stays);
    QCOMPARE(list[0].deadline, stored);
    QCOMPARE(dialog.isVisible(), !click || stays);
}

void TestSubTaskDialog::calendarClosesWhenLeft_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<QString>("shown"); // the deadline afterwards
    QTest::newRow("next day chosen") << "day"
                                     << "06.03.2024";
    QTest::newRow("Esc") << "esc"
                         << "05.03.2024";
    QTest::newRow("click elsewhere in the window") << "click"
                                                   << "05.03.2024";
    QTest::newRow("another window") << "window"
                                    << "05.03.2024";
}

void TestSubTaskDialog::calendarClosesWhenLeft()
{
    QFETCH(QString, how);
    QFETCH(QString, shown);
    QVector<SubTask> list = Two;
    ScriptedMessages messages;
    FrmDilciUkol dialog(EditMode::Edit, list, 0, messages);
    dialog.show();
    QApplication::setActiveWindow(&dialog);
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    QWidget other;
    other.resize(200, 100);
    bool opened = false;
    bool forced = false;
    QTimer::singleShot(0, this, [&] {
        auto *calendar = qobject_cast<FrmKalendar *>(QApplication::activePopupWidget());
        opened = calendar && calendar->calendar()->selectedDate() == QDate(2024, 3, 5);
        if (!calendar)
            return;
        auto *days = calendar->calendar()->findChild<QTableView *>();
        if (how == QStringLiteral("day")) {
            QTest::keyClick(days, Qt::Key_Right);
            QTest::keyClick(days, Qt::Key_Return);
        } else if (how == QStringLiteral("esc")) {
            QTest::keyClick(days, Qt::Key_Escape);
        } else if (how == QStringLiteral("click")) {
            QTest::mouseClick(dialog.windowHandle(), Qt::LeftButton, {}, QPoint(3, 3));
        } else {
            other.show();
            other.activateWindow();
        }
    });
    // A calendar that stays open is closed after a while, and the test fails.
    QTimer::singleShot(2000, this, [&] {
        if (QWidget *popup = QApplication::activePopupWidget()) {
            forced = true;
            popup->close();
        }
    });
    QTest::mouseClick(child<QToolButton>(dialog, "cmdDilciKalendar"), Qt::LeftButton);
    QVERIFY(opened);
    QVERIFY(!forced);
    QCOMPARE(child<QLineEdit>(dialog, "medDilciTermin")->displayText(), shown);
    QVERIFY(messages.shown.isEmpty());
}

void TestSubTaskDialog::deleteRemovesTheShownRowAndStornoNothing()
{
    QVector<SubTask> list = Two;
    ScriptedMessages messages;
    {
        FrmDilciUkol dialog(EditMode::Edit, list, 0, messages);
        dialog.show();
        type(dialog, "txtUkol", QStringLiteral("Jiný"));
        QTest::mouseClick(child<QPushButton>(dialog, "cmdStorno"), Qt::LeftButton);
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QVERIFY(!dialog.isVisible());
        QCOMPARE(list, Two);
    }
    FrmDilciUkol dialog(EditMode::Delete, list, 0, messages);
    dialog.show();
    QTest::mouseClick(child<QPushButton>(dialog, "cmdUlozit"), Qt::LeftButton);
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(list, QVector<SubTask>{Two[1]});
    QVERIFY(messages.shown.isEmpty());
}

QTEST_MAIN(TestSubTaskDialog)
#include "tst_subtaskdialog.moc"
