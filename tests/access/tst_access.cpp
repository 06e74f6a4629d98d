#include "ScriptedMessages.h"
#include "TestDatabase.h"

#include "access/Access.h"

#include <QTemporaryDir>
#include <QTest>

using namespace tamvel;
using namespace tamvel::access;

class TestAccess : public QObject
{
    Q_OBJECT

private slots:
    void rightsStringIsReadBackByPosition();
    void rightsGrantByPositionAndAdministrator();
    void usersAreAddedWithTheirChecks();
    void refusedDeletionsChangeNothing();
    void groupsAreAddedAndRemoved();
    void passwordChangeFollowsItsRules();
};

void TestAccess::rightsStringIsReadBackByPosition()
{
    std::array<bool, Rights::LastPosition + 1> granted{};
    granted[48] = true;
    // Its blanks and places are checked where the editor saves it (tst_accesswindows).
    const QString only48 = rightsString(granted);
    QVERIFY(Rights(only48).granted(48));
    QVERIFY(!Rights(only48).granted(47));
    QVERIFY(!Rights(only48).admin());

    granted = {};
    granted[1] = granted[12] = granted[23] = true;
    const Rights mixed(rightsString(granted));
    QCOMPARE(mixed.text().size(), 48);
    QVERIFY(mixed.admin() && mixed.granted(40) && mixed.print());
}

void TestAccess::rightsGrantByPositionAndAdministrator()
{
    QTemporaryDir dir;
    auto db = newDatabase(dir);
    db->execute(QStringLiteral("INSERT INTO skupiny (skupina, prava) VALUES ('prazdna', '')"));
    db->execute(QStringLiteral("INSERT INTO skupiny (skupina, prava) VALUES ('tisk', ?)"),
                {QString(11, QLatin1Char(' ')) + QStringLiteral("1")});
    db->execute(QStringLiteral("INSERT INTO uzivatele VALUES ('Nikdo', ' ', 'prazdna'), "
                               "('Tiskar', ' ', 'tisk'), ('Sirotek', ' ', 'zrusena')"));

    const Rights admin = rightsOf(*db, QStringLiteral("Administrator"));
    for (const MenuRight &item : menuRights())
        QVERIFY2(admin.granted(item.position), qPrintable(item.action));
    QVERIFY(admin.print());

    for (const char *user : {"Nikdo", "Sirotek", "Neznamy"}) {
        const Rights none = rightsOf(*db, QString::fromUtf8(user));
        for (const MenuRight &item : menuRights())
            QVERIFY2(!none.granted(item.position), user);
        QVERIFY(!none.print());
    }

    const Rights print = rightsOf(*db, QStringLiteral("Tiskar"));
    QVERIFY(print.print());
    QVERIFY(!print.granted(10) && !print.granted(11) && !print.admin());
    // Positions past the end of a short string grant nothing.
    QVERIFY(!Rights(QStringLiteral("0")).granted(48));
}

void TestAccess::usersAreAddedWithTheirChecks()
{
    QTemporaryDir dir;
    auto db = newDatabase(dir);
    UserField focus = UserField::None;

    ScriptedMessages messages;
    QVERIFY(
        !addUser(*db, QStringLiteral("   "), QString(), QStringLiteral("admin"), messages, &focus));
    QCOMPARE(messages.lastText(), QStringLiteral("Nutno vyplnit jméno!"));
    QCOMPARE(focus, UserField::Name);
    QVERIFY(
        !addUser(*db, QStringLiteral("Novák"), QString(), QStringLiteral(" "), messages, &focus));
    QCOMPARE(messages.lastText(), QStringLiteral("Nutno vybrat skupinu!"));
    QCOMPARE(focus, UserField::Group);
    QVERIFY(!addUser(*db, QStringLiteral(" Administrator "), QString(), QStringLiteral("admin"),
                     messages, &focus));
    QCOMPARE(messages.lastText(), QStringLiteral("Uzivatel 'Administrator' již existuje!"));
    QCOMPARE(messages.shown.last().title, QStringLiteral("Přidání uživatele"));
    QCOMPARE(messages.kinds(), QStringList(3, QStringLiteral("fail")));

    // An empty password is stored as one blank, others trimmed.
    QVERIFY(addUser(*db, QStringLiteral(" Novák "), QStringLiteral("  "), QStringLiteral("admin"),
                    messages));
    QVERIFY(addUser(*db, QStringLiteral("Dvořák"), QStringLiteral(" heslo "),
                    QStringLiteral("admin"), messages));
    QCOMPARE(
        db->scalarText(QStringLiteral("SELECT group_concat(uzivatel || '=' || heslo, ';') FROM "
                                      "(SELECT * FROM uzivatele WHERE uzivatel <> "
                                      "'Administrator' ORDER BY uzivatel)")),
        QStringLiteral("Dvořák=heslo;Novák= "));
    QVERIFY(userEntries(*db).contains(QStringLiteral("Novák (admin)")));
    QCOMPARE(userOfEntry(QStringLiteral(" Novák (admin)")), QStringLiteral("Novák"));
}

void TestAccess::refusedDeletionsChangeNothing()
{
    QTemporaryDir dir;
    auto db = newDatabase(dir);
    ScriptedMessages setup;
    addUser(*db, QStringLiteral("Novák"), QString(), QStringLiteral("admin"), setup);
    const QStringList usersBefore = userEntries(*db);
    const QStringList groupsBefore = groups(*db);

    ScriptedMessages messages;
    messages.answers = {true, true, true, true};
    QVERIFY(!removeUser(*db, QString(), QStringLiteral("Novák"), messages));
    QCOMPARE(messages.lastText(), QStringLiteral("Nutno zvolit uživatele !"));
    QVERIFY(!removeUser(*db, QStringLiteral("Novák (admin)"), QStringLiteral("Novák"), messages));
    QCOMPARE(messages.lastText(), QStringLiteral("Nelze smazat aktuálně přihlášeného uživatele !"));
    // The built-in account, whatever the letter case of the logged-in user.
    QVERIFY(!removeUser(*db, QStringLiteral("Administrator (admin)"), QStringLiteral("Novák"),
                        messages));
    QCOMPARE(messages.lastText(), QStringLiteral("Nelze smazat uživatele 'administrator' !"));
    QCOMPARE(messages.kinds(), QStringList(3, QStringLiteral("warn")));
    QCOMPARE(messages.shown[0].title, QStringLiteral("Uživatel"));

    QVERIFY(!removeGroup(*db, QStringLiteral(" admin "), messages));
    QCOMPARE(messages.lastText(), QStringLiteral("Nelze odebrat skupinu 'admin' !"));
    db->execute(QStringLiteral("INSERT INTO skupiny VALUES ('ucetni', ' ')"));
    db->execute(QStringLiteral("UPDATE uzivatele SET skupina = 'ucetni' WHERE uzivatel = 'Novák'"));
    QVERIFY(!removeGroup(*db, QStringLiteral("ucetni"), messages));
    QCOMPARE(messages.lastText(), QStringLiteral("Nelze odebrat, skupina obsahuje uživatele!"));
    QVERIFY(!removeGroup(*db, QString(), messages));
    QCOMPARE(messages.lastText(), QStringLiteral("Nutno zvolit skupinu !"));
    QVERIFY(!messages.kinds().contains(QStringLiteral("ask")));

    QCOMPARE(userEntries(*db).size(), usersBefore.size());
    QCOMPARE(groups(*db), groupsBefore + QStringList{QStringLiteral("ucetni")});

    // A confirmed deletion of an ordinary user goes through; No keeps the user.
    ScriptedMessages no;
    QVERIFY(
        !removeUser(*db, QStringLiteral("Novák (ucetni)"), QStringLiteral("Administrator"), no));
    QCOMPARE(no.shown[0].text, QStringLiteral("Opravdu chcete smazat uživatele 'Novák' ?"));
    ScriptedMessages yes;
    yes.answers = {true};
    QVERIFY(
        removeUser(*db, QStringLiteral("Novák (ucetni)"), QStringLiteral("Administrator"), yes));
    QCOMPARE(userEntries(*db), QStringList{QStringLiteral("Administrator (admin)")});
}

void TestAccess::groupsAreAddedAndRemoved()
{
    QTemporaryDir dir;
    auto db = newDatabase(dir);
    ScriptedMessages messages;
    QCOMPARE(addGroup(*db, QStringLiteral("   "), messages), GroupAdded::Nothing);
    QCOMPARE(addGroup(*db, QStringLiteral(" mistri "), messages), GroupAdded::Added);
    QCOMPARE(groupRights(*db, QStringLiteral("mistri")).text(), QStringLiteral(" "));
    QCOMPARE(addGroup(*db, QStringLiteral("mistri"), messages), GroupAdded::Refused);
    QCOMPARE(messages.lastText(), QStringLiteral("Tato skupina již existuje!"));

    QVERIFY(saveGroupRights(*db, QStringLiteral("mistri"), QStringLiteral("0        100")));
    QVERIFY(groupRights(*db, QStringLiteral("mistri")).granted(10));
    QVERIFY(!saveGroupRights(*db, QStringLiteral("neni"), QStringLiteral("1")));

    messages.answers = {true};
    QVERIFY(removeGroup(*db, QStringLiteral("mistri"), messages));
    QCOMPARE(messages.shown.last().text,
             QStringLiteral("Opravdu chcete odebrat skupinu : 'mistri' ?"));
    QCOMPARE(groups(*db), QStringList{QStringLiteral("admin")});
}

void TestAccess::passwordChangeFollowsItsRules()
{
    QTemporaryDir dir;
    auto db = newDatabase(dir);
    const QString user = QStringLiteral("Administrator");
    QString login; // logged in with an empty password
    const auto stored = [&] {
        return db->scalarText(QStringLiteral("SELECT heslo FROM uzivatele WHERE uzivatel = ?"),
                              {user});
    };

    ScriptedMessages messages;
    QCOMPARE(changePassword(*db, user, login, QString(), QStringLiteral(" "), QString(), messages),
             PasswordChange::Unchanged);
    QVERIFY(messages.shown.isEmpty());
    QCOMPARE(changePassword(*db, user, login, QStringLiteral("x"), QStringLiteral("a"),
                            QStringLiteral("a"), messages),
             PasswordChange::Refused);
    QCOMPARE(messages.lastText(), QStringLiteral("Chybně zadané staré heslo !"));
    QCOMPARE(changePassword(*db, user, login, QString(), QStringLiteral("a"), QStringLiteral("b"),
                            messages),
             PasswordChange::Refused);
    QCOMPARE(messages.lastText(), QStringLiteral("Neloulad nového hesla a potvrzení !"));
    QCOMPARE(stored(), QStringLiteral(" "));

    QCOMPARE(changePassword(*db, user, login, QString(), QStringLiteral(" tajne "),
                            QStringLiteral("tajne"), messages),
             PasswordChange::Changed);
    QCOMPARE(messages.shown.last().kind, QStringLiteral("warn"));
    QCOMPARE(messages.lastText(), QStringLiteral("Heslo bylo úspěšně změněno !"));
    QCOMPARE(stored(), QStringLiteral("tajne"));
    QCOMPARE(login, QStringLiteral("tajne"));

    // Back to an empty password: stored as one blank.
    QCOMPARE(
        changePassword(*db, user, login, QStringLiteral("tajne"), QString(), QString(), messages),
        PasswordChange::Changed);
    QCOMPARE(stored(), QStringLiteral(" "));
    QCOMPARE(login, QString());

    // A user that vanished meanwhile: the change is reported as failed, the login keeps its
    // password.
    QString other = QStringLiteral("stare");
    QCOMPARE(changePassword(*db, QStringLiteral("Smazany"), other, QStringLiteral("stare"),
                            QStringLiteral("nove"), QStringLiteral("nove"), messages),
             PasswordChange::Failed);
    QCOMPARE(messages.shown.last().title, QStringLiteral("Nepředpokládaná chyba"));
    QCOMPARE(other, QStringLiteral("stare"));
}

QTEST_GUILESS_MAIN(TestAccess)
#include "tst_access.moc"
