#include "ScriptedDialogs.h"
#include "ScriptedMessages.h"
#include "TestDatabase.h"
#include "TestSettings.h"

#include "access/Access.h"
#include "access/AccessWindows.h"
#include "app/MDITamvel.h"
#include "app/Session.h"
#include "app/Settings.h"

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

using namespace tamvel;

class TestAccessWindows : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void administratorBoxRulesTheOthers();
    void rightsEditorNeverOverwritesAColleague();
    void rightsReachTheMenusAtTheNextTick();
    void passwordDialogEmptiesTheSessionPassword();
    void listKeysAreTheirButtons();

private:
    IsolatedSettings m_settings;
    QTemporaryDir m_dir;
    QString m_path;
};

void TestAccessWindows::init()
{
    m_path = m_dir.filePath(QStringLiteral("a-%1.mdb").arg(QDateTime::currentMSecsSinceEpoch()));
    files::writeNewDatabase(m_path);
    settings::setDatabasePath(m_path);
}

void TestAccessWindows::administratorBoxRulesTheOthers()
{
    auto db = Database::open(m_path);
    db->execute(QStringLiteral("INSERT INTO skupiny VALUES ('mistri', ?)"),
                {QStringLiteral("0        110       10000")});
    ScriptedMessages messages;
    FrmPrava editor(*db, QStringLiteral("mistri"), messages);
    QCOMPARE(editor.windowTitle(), QStringLiteral("Přístupová práva"));
    QVERIFY(editor.box(10)->isChecked() && editor.box(11)->isChecked());
    QVERIFY(!editor.box(12)->isChecked() && editor.box(20)->isChecked());
    QVERIFY(editor.box(48)->isEnabled());

    QCheckBox *administrator = editor.box(1);
    administrator->click();
    for (int position : access::editablePositions())
        QVERIFY(editor.box(position)->isChecked());
    QVERIFY(!editor.box(40)->isEnabled());

    // Unticking it clears every other box.
    administrator->click();
    for (int position : access::editablePositions()) {
        QVERIFY(!editor.box(position)->isChecked());
        QVERIFY(editor.box(position)->isEnabled());
    }

    editor.box(48)->click();
    editor.findChild<QPushButton *>(QStringLiteral("cmdOk"))->click();
    QCOMPARE(editor.result(), int(QDialog::Accepted));
    QCOMPARE(db->scalarText(QStringLiteral("SELECT prava FROM skupiny WHERE skupina = 'mistri'")),
             QStringLiteral("0        000       00000               000000001"));

    // The admin group opens with everything ticked and locked.
    FrmPrava admin(*db, QStringLiteral("admin"), messages);
    QVERIFY(admin.box(1)->isChecked());
    QVERIFY(admin.box(47)->isChecked() && !admin.box(47)->isEnabled());
}

void TestAccessWindows::rightsEditorNeverOverwritesAColleague()
{
    auto db = Database::open(m_path);
    db->execute(QStringLiteral("INSERT INTO skupiny VALUES ('mistri', '0        100')"));
    ScriptedMessages messages;
    FrmPrava editor(*db, QStringLiteral("mistri"), messages);
    QSignalSpy rejected(&editor, &QDialog::rejected);
    auto colleague = Database::open(m_path);
    colleague->execute(QStringLiteral("UPDATE skupiny SET prava = '1' WHERE skupina = 'mistri'"));
    editor.box(48)->click();
    auto *ok = editor.findChild<QPushButton *>(QStringLiteral("cmdOk"));

    // "No": the boxes as the user left them, nothing written.
    ok->click();
    QCOMPARE(messages.kinds(), QStringList{QStringLiteral("ask")});
    QCOMPARE(messages.shown[0].title, QStringLiteral("Tamvel"));
    QVERIFY(editor.box(48)->isChecked() && !editor.box(1)->isChecked());
    QCOMPARE(access::groupRights(*colleague, QStringLiteral("mistri")).text(), QStringLiteral("1"));
    // "Yes": the colleague's rights, the administrator box locking the others.
    messages.answers = {true};
    ok->click();
    QVERIFY(editor.box(1)->isChecked() && editor.box(11)->isChecked());
    QVERIFY(!editor.box(48)->isEnabled());
    // A group removed meanwhile: "Yes" closes the editor.
    colleague->execute(QStringLiteral("DELETE FROM skupiny WHERE skupina = 'mistri'"));
    messages.answers = {true};
    ok->click();
    QCOMPARE(messages.kinds(), QStringList(3, QStringLiteral("ask")));
    QCOMPARE(rejected.count(), 1);
    QVERIFY(!access::groups(*colleague).contains(QStringLiteral("mistri")));
}

void TestAccessWindows::rightsReachTheMenusAtTheNextTick()
{
    auto db = Database::open(m_path);
    db->execute(QStringLiteral("INSERT INTO skupiny VALUES ('mistri', '0        100')"));
    db->execute(QStringLiteral("INSERT INTO uzivatele VALUES ('Mistr', ' ', 'mistri')"));
    Session session;
    session.startUp();
    ScriptedMessages messages;
    ScriptedFiles files;
    ScriptedLogin login;
    login.add(QStringLiteral("Mistr"), QString());
    MDITamvel window(session, {messages, files, login});
    window.activate();
    QVERIFY(session.loggedIn);
    QCoreApplication::processEvents(); // the activation that follows the login's show()

    const auto enabled = [&](const char *name) {
        return window.action(QString::fromUtf8(name))->isEnabled();
    };
    const auto visible = [&](const char *name) {
        return window.action(QString::fromUtf8(name))->isVisible();
    };
    QVERIFY(enabled("mnuRiziPreh"));
    QVERIFY(!enabled("mnuRiziDilc") && !enabled("mnuHodnZava") && !enabled("mnuCiseOchr"));
    QVERIFY(!enabled("mnuAdmiUziv") && !enabled("mnuSkup"));
    QVERIFY(!visible("mnuNastKopi") && !visible("mnuAdmiVymaz"));
    QVERIFY(!session.printRight);
    // Items no right governs stay open to everybody.
    QVERIFY(enabled("mnuZmen") && enabled("mnuNastVybe") && enabled("mnuNapoKont"));

    auto *timer = window.findChild<QTimer *>(QStringLiteral("tmrPrava"));
    QVERIFY(timer && timer->isActive());
    QCOMPARE(timer->interval(), 10000);

    // An administrator elsewhere grants severity and printing, and takes the overview away.
    db->execute(QStringLiteral("UPDATE skupiny SET prava = '0        001       10000' WHERE "
                               "skupina = 'mistri'"));
    QVERIFY(enabled("mnuRiziPreh"));
    timer->setInterval(20);
    QTRY_VERIFY(enabled("mnuHodnZava"));
    QVERIFY(!enabled("mnuRiziPreh"));
    QVERIFY(session.printRight);

    // Made administrator: everything, and the two administrator items appear.
    db->execute(QStringLiteral("UPDATE skupiny SET prava = '1' WHERE skupina = 'mistri'"));
    QTRY_VERIFY(visible("mnuNastKopi"));
    QVERIFY(visible("mnuAdmiVymaz") && enabled("mnuSkup") && enabled("mnuCiseOchr"));
}

void TestAccessWindows::passwordDialogEmptiesTheSessionPassword()
{
    Database::open(m_path)->execute(QStringLiteral("UPDATE uzivatele SET heslo = 'tajne'"));
    Session session;
    session.startUp();
    ScriptedMessages messages;
    ScriptedLogin login;
    login.add(QStringLiteral("Administrator"), QStringLiteral("tajne"));
    QVERIFY(logIn(session, login, messages));

    FrmChPassw dialog(*session.database(), session.userName, session.password, messages);
    dialog.findChild<QLineEdit *>(QStringLiteral("txtOldPassw"))->setText(QStringLiteral("tajne"));
    dialog.findChild<QPushButton *>(QStringLiteral("cmdOk"))->click();
    QCOMPARE(messages.lastText(), QStringLiteral("Heslo bylo úspěšně změněno !"));
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    // Stored as one blank, which an empty box matches (tst_access, tst_login).
    QCOMPARE(session.password, QString());
}

// The modal dialog an action opens, closed again at once: its name, empty when none opened.
static QString dialogOpenedBy(const std::function<void()> &action)
{
    QString opened;
    QTimer closer;
    closer.setSingleShot(true);
    QObject::connect(&closer, &QTimer::timeout, [&opened] {
        if (QWidget *dialog = QApplication::activeModalWidget()) {
            opened = dialog->objectName();
            dialog->close();
        }
    });
    closer.start(0);
    action();
    return opened;
}

static void clickRow(QListWidget *list, const QString &text, bool twice = false)
{
    const QList<QListWidgetItem *> found = list->findItems(text, Qt::MatchExactly);
    QVERIFY2(found.size() == 1, qPrintable(text));
    const QPoint at = list->visualItemRect(found.first()).center();
    // A double-click is the first click's press and release, then the double-click.
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
    if (twice)
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
}

void TestAccessWindows::listKeysAreTheirButtons()
{
    auto db = Database::open(m_path);
    db->execute(QStringLiteral("INSERT INTO skupiny VALUES ('mistri', ' ')"));
    db->execute(QStringLiteral("INSERT INTO uzivatele VALUES ('Novák', ' ', 'mistri')"));
    ScriptedMessages messages;

    // Users: Insert is "Přidat...", Delete "Odebrat" with its refusals and its question; there
    // is nothing to edit, so a double-click opens nothing.
    FrmUzivatele users(*db, QStringLiteral("Administrator"), messages);
    users.show();
    auto *list = users.findChild<QListWidget *>(QStringLiteral("lstUsers"));
    QCOMPARE(list->count(), 2);
    clickRow(list, QStringLiteral("Administrator (admin)"));
    QTest::keyClick(list, Qt::Key_Delete);
    QCOMPARE(messages.lastText(), QStringLiteral("Nelze smazat aktuálně přihlášeného uživatele !"));
    QCOMPARE(dialogOpenedBy([&] { QTest::keyClick(list, Qt::Key_Insert); }),
             QStringLiteral("frmUzivateleAdd"));
    QCOMPARE(dialogOpenedBy([&] { clickRow(list, QStringLiteral("Novák (mistri)"), true); }),
             QString());
    QTest::keyClick(list, Qt::Key_Delete);
    QCOMPARE(messages.lastText(), QStringLiteral("Opravdu chcete smazat uživatele 'Novák' ?"));
    QCOMPARE(list->count(), 2);
    messages.answers = {true};
    QTest::keyClick(list, Qt::Key_Delete);
    QCOMPARE(list->count(), 1);
    QCOMPARE(db->scalarInt(QStringLiteral("SELECT count(*) FROM uzivatele")), 1);
    // A user added elsewhere shows at the next activation.
    db->execute(QStringLiteral("INSERT INTO uzivatele VALUES ('Dvořák', ' ', 'admin')"));
    users.activated();
    QCOMPARE(list->count(), 2);

    // Groups: a double-click or Enter edits the rights, as "Práva..." does.
    FrmSkupina groups(*db, messages);
    groups.show();
    auto *names = groups.findChild<QListWidget *>(QStringLiteral("lstSkupiny"));
    QCOMPARE(dialogOpenedBy([&] { clickRow(names, QStringLiteral("admin"), true); }),
             QStringLiteral("frmPrava"));
    QCOMPARE(dialogOpenedBy([&] { QTest::keyClick(names, Qt::Key_Enter); }),
             QStringLiteral("frmPrava"));
    QCOMPARE(dialogOpenedBy([&] { QTest::keyClick(names, Qt::Key_Insert); }),
             QStringLiteral("frmSkupinaAdd"));
    clickRow(names, QStringLiteral("mistri"));
    messages.answers = {false};
    QTest::keyClick(names, Qt::Key_Delete);
    QCOMPARE(messages.lastText(), QStringLiteral("Opravdu chcete odebrat skupinu : 'mistri' ?"));
    QCOMPARE(names->count(), 2);
    messages.answers = {true};
    QTest::keyClick(names, Qt::Key_Delete);
    QCOMPARE(names->count(), 1);
    QVERIFY(!access::groups(*db).contains(QStringLiteral("mistri")));
}

QTEST_MAIN(TestAccessWindows)
#include "tst_accesswindows.moc"
