#include "ScriptedMessages.h"

#include "risks/FrmDilciUkol.h"
#include "ui/DateField.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
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
    void newSubTaskIsAddedAndTheDialogCloses();
    void refusalsKeepTheDialogOpenAndTheListUnchanged();
    void deadlineRefusesAnImpossibleDate();
    void deleteRemovesTheShownRowAndStornoNothing();
    void screenshot();
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
    QCOMPARE(child<QLineEdit>(dialog, "txtUkol")->isReadOnly(), locked);
    QCOMPARE(child<QLineEdit>(dialog, "medDilciTermin")->isReadOnly(), locked);
    QCOMPARE(child<QLineEdit>(dialog, "txtZodpovida")->isReadOnly(), locked);
    QCOMPARE(child<QToolButton>(dialog, "cmdDilciKalendar")->isEnabled(), !locked);
    QCOMPARE(child<QLineEdit>(dialog, "txtUkol")->maxLength(), 250);
    QCOMPARE(child<QLineEdit>(dialog, "txtZodpovida")->maxLength(), 50);

    // Every mode but "novy" shows the selected row, the deadline as "dd.mm.yyyy".
    const bool shows = mode != EditMode::New;
    QCOMPARE(child<QLineEdit>(dialog, "txtUkol")->text(), shows ? Two[1].task : QString());
    QCOMPARE(child<QLineEdit>(dialog, "medDilciTermin")->text(),
             shows ? QStringLiteral("30.06.2024") : QStringLiteral(".."));
    QCOMPARE(child<QLineEdit>(dialog, "txtZodpovida")->text(),
             shows ? Two[1].responsible : QString());
    QCOMPARE(child<QLineEdit>(dialog, "medDilciTermin")->displayText(),
             shows ? QStringLiteral("30.06.2024") : QStringLiteral("__.__.____"));
}

void TestSubTaskDialog::newSubTaskIsAddedAndTheDialogCloses()
{
    QVector<SubTask> list = Two;
    ScriptedMessages messages;
    FrmDilciUkol dialog(EditMode::New, list, 0, messages);
    dialog.show();
    QSignalSpy saved(&dialog, &FrmDilciUkol::saved);
    type(dialog, "txtUkol", QStringLiteral("Měření hluku"));
    type(dialog, "medDilciTermin", QStringLiteral("01122025"));
    type(dialog, "txtZodpovida", QStringLiteral("Černý"));
    QTest::mouseClick(child<QPushButton>(dialog, "cmdUlozit"), Qt::LeftButton);
    QVERIFY(messages.shown.isEmpty());
    QCOMPARE(saved.count(), 1);
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QVERIFY(!dialog.isVisible());
    QCOMPARE(list.size(), 3);
    QCOMPARE(list[2].task, QStringLiteral("Měření hluku"));
    QCOMPARE(list[2].deadline, QDate(2025, 12, 1));
    QCOMPARE(list[2].responsible, QStringLiteral("Černý"));
}

void TestSubTaskDialog::refusalsKeepTheDialogOpenAndTheListUnchanged()
{
    struct Case
    {
        EditMode mode;
        QString task, deadline, responsible, title, text;
    };
    const QList<Case> cases{
        {EditMode::New, Two[0].task, QStringLiteral("05032024"), Two[0].responsible,
         QStringLiteral("Duplicita"), QStringLiteral("Duplicitní dílčí úkol")},
        {EditMode::New, QStringLiteral("Úkol"), QString(), QStringLiteral("Novák"),
         QStringLiteral("Termín"), QStringLiteral("Nutno zadat Termín")},
        {EditMode::Edit, QStringLiteral("  "), QStringLiteral("05032024"), QStringLiteral("Novák"),
         QStringLiteral("Úkol"), QStringLiteral("Nutno zadat úkol")},
        {EditMode::Edit, Two[0].task, QStringLiteral("05032024"), Two[0].responsible,
         QStringLiteral("Duplicita"), QStringLiteral("Duplicitní dílčí úkol")},
    };
    for (const Case &c : cases) {
        QVector<SubTask> list = Two;
        ScriptedMessages messages;
        FrmDilciUkol dialog(c.mode, list, 1, messages);
        dialog.show();
        type(dialog, "txtUkol", c.task);
        type(dialog, "medDilciTermin", c.deadline);
        type(dialog, "txtZodpovida", c.responsible);
        QTest::mouseClick(child<QPushButton>(dialog, "cmdUlozit"), Qt::LeftButton);
        QCOMPARE(messages.shown.size(), 1);
        QCOMPARE(messages.shown[0].title, c.title);
        QCOMPARE(messages.shown[0].text, c.text);
        QVERIFY(dialog.isVisible());
        QCOMPARE(list, Two);
    }

    // Saving an edited row unchanged is accepted.
    QVector<SubTask> list = Two;
    ScriptedMessages messages;
    FrmDilciUkol dialog(EditMode::Edit, list, 0, messages);
    dialog.show();
    QTest::mouseClick(child<QPushButton>(dialog, "cmdUlozit"), Qt::LeftButton);
    QVERIFY(messages.shown.isEmpty());
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(list, Two);
}

void TestSubTaskDialog::deadlineRefusesAnImpossibleDate()
{
    QVector<SubTask> list = Two;
    ScriptedMessages messages;
    FrmDilciUkol dialog(EditMode::Edit, list, 0, messages);
    dialog.show();
    type(dialog, "medDilciTermin", QStringLiteral("31022024"));
    // Leaving the field (here by Enter) checks it at once.
    QTest::keyClick(child<QLineEdit>(dialog, "medDilciTermin"), Qt::Key_Return);
    QCOMPARE(messages.shown.size(), 1);
    QCOMPARE(messages.shown[0].kind, QStringLiteral("warn"));
    QCOMPARE(messages.shown[0].title, QStringLiteral("Datum"));
    QCOMPARE(messages.shown[0].text, QStringLiteral("Zadejte datum ve tvaru DD.MM.RRRR !"));
    QVERIFY(!dialog.deadlineField()->date());
    // Saving anyway is refused with the same message.
    dialog.save();
    QCOMPARE(messages.shown.size(), 2);
    QCOMPARE(messages.shown[1].text, QStringLiteral("Zadejte datum ve tvaru DD.MM.RRRR !"));
    QVERIFY(dialog.isVisible());
    QCOMPARE(list, Two);
    // 29.02.2024 is a real day.
    type(dialog, "medDilciTermin", QStringLiteral("29022024"));
    dialog.save();
    QCOMPARE(messages.shown.size(), 2);
    QCOMPARE(list[0].deadline, QDate(2024, 2, 29));
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

void TestSubTaskDialog::screenshot()
{
    const QString folder = qEnvironmentVariable("TAMVEL_SCREENSHOTS");
    if (folder.isEmpty())
        QSKIP("TAMVEL_SCREENSHOTS is not set");
    QVector<SubTask> list = Two;
    ScriptedMessages messages;
    for (EditMode mode : {EditMode::Edit, EditMode::ViewFromOverview}) {
        FrmDilciUkol dialog(mode, list, 0, messages);
        dialog.show();
        QCoreApplication::processEvents();
        QVERIFY(dialog.grab().save(
            folder + QStringLiteral("/frmdilciukol_%1.png").arg(modeWord(mode))));
    }
}

QTEST_MAIN(TestSubTaskDialog)
#include "tst_subtaskdialog.moc"
