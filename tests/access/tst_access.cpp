#include "ScriptedMessages.h"
#include "TestDatabase.h"

#include "access/Access.h"

#include <QTemporaryDir>
#include <QTest>

#include <functional>

using namespace tamvel;
using namespace tamvel::access;

class TestAccess : public QObject
{
    Q_OBJECT

private slots:
    void rightsGrantByPositionAndAdministrator();
    void usersAreAddedWithTheirChecks();
    void refusedDeletionsChangeNothing();
    void groupsAreAddedAndRemoved();
    void passwordChangeFollowsItsRules();
    void aChangeMeanwhileIsNeverOverwritten_data();
    void aChangeMeanwhileIsNeverOverwritten();
};

static QStringList entries(Database &db)
{
    QStringList result;
    for (const User &user : loadUsers(db))
        result << user.entry();
    return result;
}

// Answers Yes; another copy writes while the question is open.
class AnsweredMeanwhile : public ScriptedMessages
{
public:
    std::function<void()> meanwhile;
    bool ask(const QString &title, const QString &text, Tone tone) override
    {
        meanwhile();
        answers = {true};
        return ScriptedMessages::ask(title, text, tone);
    }
};

template <class Row> static const Row *named(const QVector<Row> &rows, const char *name)
{
    for (const Row &row : rows)
        if (row.name.trimmed() == QString::fromUtf8(name))
            return &row;
    return nullptr;
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
    // Positions past the end of a short string grant nothing; the last one is read back.
    QVERIFY(!Rights(QStringLiteral("0")).granted(48));
    std::array<bool, Rights::LastPosition + 1> last{};
    last[48] = true;
    QVERIFY(Rights(rightsString(last)).granted(48) && !Rights(rightsString(last)).granted(47));
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
    // Letter case aside, it is the same user.
    QVERIFY(!addUser(*db, QStringLiteral("ADMINISTRATOR"), QString(), QStringLiteral("admin"),
                     messages));
    QCOMPARE(messages.lastText(), QStringLiteral("Uzivatel 'ADMINISTRATOR' již existuje!"));
    QCOMPARE(messages.shown.last().title, QStringLiteral("Přidání uživatele"));
    QCOMPARE(messages.kinds(), QStringList(4, QStringLiteral("fail")));
    QCOMPARE(db->transactionDepth(), 0);

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
    QVERIFY(entries(*db).contains(QStringLiteral("Novák (admin)")));
}

void TestAccess::refusedDeletionsChangeNothing()
{
    QTemporaryDir dir;
    auto db = newDatabase(dir);
    ScriptedMessages setup;
    addUser(*db, QStringLiteral("Novák"), QString(), QStringLiteral("admin"), setup);
    const QVector<User> users = loadUsers(*db);
    const QStringList groupsBefore = groups(*db);

    ScriptedMessages messages;
    messages.answers = {true, true, true, true};
    QVERIFY(!removeUser(*db, nullptr, QStringLiteral("Novák"), messages));
    QCOMPARE(messages.lastText(), QStringLiteral("Nutno zvolit uživatele !"));
    QVERIFY(!removeUser(*db, named(users, "Novák"), QStringLiteral("Novák"), messages));
    QCOMPARE(messages.lastText(), QStringLiteral("Nelze smazat aktuálně přihlášeného uživatele !"));
    // The built-in account, whatever the letter case of the logged-in user.
    QVERIFY(!removeUser(*db, named(users, "Administrator"), QStringLiteral("Novák"), messages));
    QCOMPARE(messages.lastText(), QStringLiteral("Nelze smazat uživatele 'administrator' !"));
    QCOMPARE(messages.kinds(), QStringList(3, QStringLiteral("warn")));
    QCOMPARE(messages.shown[0].title, QStringLiteral("Uživatel"));

    const Group admin{QStringLiteral(" admin "), QStringLiteral("1")};
    QVERIFY(!removeGroup(*db, &admin, messages));
    QCOMPARE(messages.lastText(), QStringLiteral("Nelze odebrat skupinu 'admin' !"));
    db->execute(QStringLiteral("INSERT INTO skupiny VALUES ('ucetni', ' ')"));
    db->execute(QStringLiteral("UPDATE uzivatele SET skupina = 'ucetni' WHERE uzivatel = 'Novák'"));
    QVERIFY(!removeGroup(*db, named(loadGroups(*db), "ucetni"), messages));
    QCOMPARE(messages.lastText(), QStringLiteral("Nelze odebrat, skupina obsahuje uživatele!"));
    QVERIFY(!removeGroup(*db, nullptr, messages));
    QCOMPARE(messages.lastText(), QStringLiteral("Nutno zvolit skupinu !"));
    QVERIFY(!messages.kinds().contains(QStringLiteral("ask")));

    QCOMPARE(loadUsers(*db).size(), users.size());
    QCOMPARE(groups(*db), groupsBefore + QStringList{QStringLiteral("ucetni")});

    // A confirmed deletion of an ordinary user goes through; No keeps the user.
    const QVector<User> listed = loadUsers(*db);
    ScriptedMessages no;
    QVERIFY(!removeUser(*db, named(listed, "Novák"), QStringLiteral("Administrator"), no));
    QCOMPARE(no.shown[0].text, QStringLiteral("Opravdu chcete smazat uživatele 'Novák' ?"));
    ScriptedMessages yes;
    yes.answers = {true};
    QVERIFY(removeUser(*db, named(listed, "Novák"), QStringLiteral("Administrator"), yes));
    QCOMPARE(entries(*db), QStringList{QStringLiteral("Administrator (admin)")});
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

    saveGroupRights(*db, QStringLiteral("mistri"), groupRights(*db, QStringLiteral("mistri")),
                    QStringLiteral("0        100"));
    QVERIFY(groupRights(*db, QStringLiteral("mistri")).granted(10));

    messages.answers = {true};
    QVERIFY(removeGroup(*db, named(loadGroups(*db), "mistri"), messages));
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
}

void TestAccess::aChangeMeanwhileIsNeverOverwritten_data()
{
    QTest::addColumn<QString>("write"); // what this copy saves, on what it loaded before
    // What another copy does after the load: during the question of a removal.
    QTest::addColumn<QStringList>("meanwhile");
    QTest::addColumn<bool>("refused");
    const auto row = [](const char *name, const char *write, QStringList sql, bool refused) {
        QTest::newRow(name) << QString::fromUtf8(write) << sql << refused;
    };
    const QString dropNovak = QStringLiteral("DELETE FROM uzivatele WHERE uzivatel = 'Novák'");
    const QString dropEmpty = QStringLiteral("DELETE FROM skupiny WHERE skupina = 'prazdna'");
    const QString dropMasters = QStringLiteral("DELETE FROM skupiny WHERE skupina = 'mistri'");
    row("user: nothing", "user", {}, false);
    row("user: password", "user",
        {QStringLiteral("UPDATE uzivatele SET heslo = 'jine' WHERE uzivatel = 'Novák'")}, true);
    row("user: deleted", "user", {dropNovak}, true);
    row("user: deleted and the name taken again", "user",
        {dropNovak, QStringLiteral("INSERT INTO uzivatele VALUES ('Novák', 'stare', 'prazdna')")},
        true);
    row("group: nothing", "group", {}, false);
    row("group: rights", "group",
        {QStringLiteral("UPDATE skupiny SET prava = '1' WHERE skupina = 'prazdna'")}, true);
    row("group: a user joined", "group",
        {QStringLiteral("INSERT INTO uzivatele VALUES ('Dvořák', ' ', 'prazdna')")}, true);
    row("group: deleted", "group", {dropEmpty}, true);
    row("rights: nothing", "rights", {}, false);
    row("rights: changed", "rights",
        {QStringLiteral("UPDATE skupiny SET prava = '0        110' WHERE skupina = 'mistri'")},
        true);
    row("rights: deleted", "rights", {dropMasters}, true);
    row("password: nothing", "password", {}, false);
    row("password: changed", "password",
        {QStringLiteral("UPDATE uzivatele SET heslo = 'jine' WHERE uzivatel = 'Novák'")}, true);
    row("password: user deleted", "password", {dropNovak}, true);
}

void TestAccess::aChangeMeanwhileIsNeverOverwritten()
{
    QFETCH(QString, write);
    QFETCH(QStringList, meanwhile);
    QFETCH(bool, refused);
    QTemporaryDir dir;
    auto db = newDatabase(dir);
    db->execute(QStringLiteral("INSERT INTO skupiny VALUES ('mistri', '0        100'), "
                               "('prazdna', ' ')"));
    db->execute(QStringLiteral("INSERT INTO uzivatele VALUES ('Novák', 'stare', 'mistri')"));
    // What the windows loaded: the lists, the rights editor, the login.
    const QVector<User> users = loadUsers(*db);
    const QVector<Group> groups = loadGroups(*db);
    const Rights rights = groupRights(*db, QStringLiteral("mistri"));
    QString login = QStringLiteral("stare");

    auto other = Database::open(db->path());
    const auto stored = [&] {
        return other->scalarText(QStringLiteral(
            "SELECT group_concat(r, ';') FROM (SELECT uzivatel || heslo || skupina AS r FROM "
            "uzivatele UNION ALL SELECT skupina || prava FROM skupiny)"));
    };
    QString before;
    AnsweredMeanwhile messages;
    messages.meanwhile = [&] {
        for (const QString &sql : meanwhile)
            other->execute(sql);
        before = stored();
    };
    if (write == QLatin1String("rights") || write == QLatin1String("password"))
        messages.meanwhile(); // no question before these
    const auto save = [&] {
        if (write == QLatin1String("user"))
            return removeUser(*db, named(users, "Novák"), QStringLiteral("Administrator"),
                              messages);
        if (write == QLatin1String("group"))
            return removeGroup(*db, named(groups, "prazdna"), messages);
        if (write == QLatin1String("rights")) {
            saveGroupRights(*db, QStringLiteral("mistri"), rights, QStringLiteral("1"));
            return true;
        }
        const PasswordChange change =
            changePassword(*db, QStringLiteral("Novák"), login, QStringLiteral("stare"),
                           QStringLiteral("nove"), QStringLiteral("nove"), messages);
        if (change == PasswordChange::Conflict)
            throw ChangedMeanwhile();
        return change == PasswordChange::Changed;
    };
    if (refused) {
        QVERIFY_THROWS_EXCEPTION(ChangedMeanwhile, save());
        QCOMPARE(stored(), before);
        QCOMPARE(login, QStringLiteral("stare"));
        QCOMPARE(db->transactionDepth(), 0);
    } else {
        QVERIFY(save());
        QVERIFY(stored() != before);
    }
}

QTEST_GUILESS_MAIN(TestAccess)
#include "tst_access.moc"
