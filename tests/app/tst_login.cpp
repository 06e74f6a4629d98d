#include "ScriptedDialogs.h"
#include "ScriptedMessages.h"
#include "TestDatabase.h"
#include "TestSettings.h"

#include "app/Login.h"
#include "app/Session.h"
#include "app/Settings.h"

#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

using namespace tamvel;

class TestLogin : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void namesAndPasswordsAreTrimmed();
    void failedAttemptsAskAgainWithTheLastLogin();
    void stornoCancelsTheLogin();
    void missingDatabaseStopsTheLogin();
    void foreignStructureVersionOnlyWarns();
    void unopenableFileLeavesTheSessionAsItWas();
    void windowSizeIsOneRowPerUser();
    void startUpForgetsAVanishedDatabase();

private:
    IsolatedSettings m_settings;
    QTemporaryDir m_dir;
    QString m_path;
};

static const QString WrongPasswordTitle = QStringLiteral("Přihlášení do aplikace Tamvel");
static const QString VersionTitle = QStringLiteral("Nekompatibilita programu a databáze");

void TestLogin::init()
{
    m_path =
        m_dir.filePath(QStringLiteral("login-%1.mdb").arg(QDateTime::currentMSecsSinceEpoch()));
    files::writeNewDatabase(m_path);
    settings::setLastLogin(QString());
}

// A started session whose current database is path.
struct StartedSession : Session
{
    explicit StartedSession(const QString &path)
    {
        startUp();
        databasePath = path;
    }
};

void TestLogin::namesAndPasswordsAreTrimmed()
{
    Database::open(m_path)->execute(
        QStringLiteral("INSERT INTO uzivatele (uzivatel, heslo, skupina) VALUES (?, ?, ?)"),
        {QStringLiteral("Novák"), QStringLiteral("tajné"), QStringLiteral("admin")});

    // The built-in account: a stored blank matches an empty password box.
    StartedSession session(m_path);
    ScriptedLogin login;
    login.add(QStringLiteral("  Administrator "), QString());
    ScriptedMessages messages;
    QVERIFY(logIn(session, login, messages));
    QVERIFY(messages.shown.isEmpty());
    QVERIFY(session.loggedIn);
    QCOMPARE(session.userName, QStringLiteral("Administrator"));
    QVERIFY(session.database() != nullptr);
    QCOMPARE(settings::lastLogin(), QStringLiteral("Administrator"));

    // A password typed with blanks around it matches the stored one without them.
    StartedSession second(m_path);
    ScriptedLogin again;
    again.add(QStringLiteral("Novák"), QStringLiteral("  tajné  "));
    QVERIFY(logIn(second, again, messages));
    QCOMPARE(second.password, QStringLiteral("tajné"));
    QCOMPARE(settings::lastLogin(), QStringLiteral("Novák"));
    QCOMPARE(again.prefilled, QStringList{QStringLiteral("Administrator")});
}

void TestLogin::failedAttemptsAskAgainWithTheLastLogin()
{
    settings::setLastLogin(QStringLiteral("Novák"));
    StartedSession session(m_path);
    ScriptedLogin login;
    login.add(QStringLiteral("Administrator"), QStringLiteral("špatné"));
    login.add(QStringLiteral("administrator"), QString()); // letter case counts
    login.add(QStringLiteral("Administrator"), QString());
    ScriptedMessages messages;
    QVERIFY(logIn(session, login, messages));

    QCOMPARE(messages.shown.size(), 2);
    QCOMPARE(messages.shown[0].kind, QStringLiteral("fail"));
    QCOMPARE(messages.shown[0].title, WrongPasswordTitle);
    QCOMPARE(messages.shown[0].text, QStringLiteral("Chybně zadané heslo !"));
    QCOMPARE(messages.shown[1].title, QStringLiteral("Přihlášení do Tamvel"));
    QCOMPARE(messages.shown[1].text, QStringLiteral("Chybně zadané jméno !"));
    // Each fresh dialog shows the last successful login, not the name just tried.
    QCOMPARE(login.prefilled, QStringList(3, QStringLiteral("Novák")));
    QCOMPARE(settings::lastLogin(), QStringLiteral("Administrator"));
}

void TestLogin::stornoCancelsTheLogin()
{
    StartedSession session(m_path);
    ScriptedLogin login;
    login.add(QStringLiteral("Administrator"), QStringLiteral("x"));
    ScriptedMessages messages;
    QVERIFY(!logIn(session, login, messages)); // wrong password, then Storno
    QVERIFY(session.loginCancelled);
    QVERIFY(!session.loggedIn);
    QVERIFY(session.database() == nullptr);
    QCOMPARE(login.prefilled.size(), 2);

    // The next attempt clears the flag again.
    login.add(QStringLiteral("Administrator"), QString());
    QVERIFY(logIn(session, login, messages));
    QVERIFY(!session.loginCancelled);
}

void TestLogin::missingDatabaseStopsTheLogin()
{
    const QString missing = m_dir.filePath(QStringLiteral("neni.mdb"));
    StartedSession session(missing);
    ScriptedLogin login;
    login.add(QStringLiteral("Administrator"), QString());
    login.add(QStringLiteral("Administrator"), QString());
    ScriptedMessages messages;
    QVERIFY(!logIn(session, login, messages));
    QCOMPARE(messages.kinds(), QStringList{QStringLiteral("fail")});
    QCOMPARE(messages.lastText(),
             QStringLiteral("Databáze  '%1'  nenalezena ! Zvolte databázi.").arg(missing));
    QVERIFY(!QFileInfo::exists(missing));
    QVERIFY(!session.loggedIn);

    session.databasePath.clear();
    QVERIFY(!logIn(session, login, messages));
    QCOMPARE(messages.lastText(),
             QStringLiteral("Nebyla zvolena odpovídající databáze ! Zvolte databázi."));
    QVERIFY(!session.loggedIn);
}

void TestLogin::foreignStructureVersionOnlyWarns()
{
    const QString update = QStringLiteral(
        "UPDATE uzivatelske_nastaveni SET hodnota1 = ? WHERE uzivatel = 'administrator' AND "
        "typ = 'rizika' AND polozka = 'verze'");
    const auto loginWith = [&](ScriptedMessages &messages) {
        StartedSession session(m_path);
        ScriptedLogin login;
        login.add(QStringLiteral("Administrator"), QString());
        return logIn(session, login, messages) && session.loggedIn;
    };

    Database::open(m_path)->execute(update, {QStringLiteral("2")});
    ScriptedMessages two;
    QVERIFY(loginWith(two));
    QCOMPARE(two.kinds(), QStringList{QStringLiteral("fail")});
    QCOMPARE(two.shown[0].title, VersionTitle);
    QCOMPARE(two.lastText(),
             QStringLiteral("Verze aktuální databáze byla vytvořena ve verzi programu x.2.x která "
                            "používá odlišnou strukturu databáze. Pro odstranění této "
                            "nekompability použíjte nejnovější verzi programu, či kontaktujte fy "
                            "Vostrel za účelem konverze databáze !!!"));

    Database::open(m_path)->execute(update, {QStringLiteral("3.0")});
    ScriptedMessages same;
    QVERIFY(loginWith(same));
    QVERIFY(same.shown.isEmpty());

    Database::open(m_path)->execute(
        QStringLiteral("DELETE FROM uzivatelske_nastaveni WHERE polozka = 'verze'"));
    ScriptedMessages none;
    QVERIFY(loginWith(none));
    QCOMPARE(none.shown.size(), 1);
    QCOMPARE(none.shown[0].title, VersionTitle);
    QVERIFY(none.lastText().startsWith(
        QStringLiteral("Verze aktuální databáze byla vytvořena ve verzi programu, která používá "
                       "jinou strukturu databáze než aktuální verze.")));
}

void TestLogin::unopenableFileLeavesTheSessionAsItWas()
{
    StartedSession session(m_path);
    ScriptedLogin login;
    login.add(QStringLiteral("Administrator"), QString());
    ScriptedMessages messages;
    QVERIFY(logIn(session, login, messages));
    Database *first = session.database();

    const QString text = m_dir.filePath(QStringLiteral("poznamky.mdb"));
    {
        QFile f(text);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(QByteArray("Toto není databáze.\n").repeated(300));
    }
    const QByteArray before = fileBytes(text);
    session.databasePath = text;
    login.add(QStringLiteral("Administrator"), QString());
    QVERIFY(!logIn(session, login, messages));
    QCOMPARE(messages.shown.last().kind, QStringLiteral("fail"));
    QVERIFY(messages.lastText().contains(text));
    QVERIFY(messages.lastText().contains(QStringLiteral("(chyba 26)")));
    QCOMPARE(fileBytes(text), before);
    // The earlier login and its database are untouched.
    QVERIFY(session.loggedIn);
    QCOMPARE(session.database(), first);
}

void TestLogin::windowSizeIsOneRowPerUser()
{
    auto db = Database::open(m_path);
    const QString user = QStringLiteral("Administrator");
    QCOMPARE(loadWindowSize(*db, user).height, WindowSize::DefaultHeight);
    QCOMPARE(loadWindowSize(*db, user).width, WindowSize::DefaultWidth);

    for (int i = 1; i <= 3; ++i)
        saveWindowSize(*db, user, WindowSize{6000 + i, 9000 + i});
    saveWindowSize(*db, QStringLiteral("Novák"), WindowSize{5000, 7000});
    QCOMPARE(db->scalarInt(QStringLiteral("SELECT count(*) FROM uzivatelske_nastaveni WHERE "
                                          "uzivatel = ? AND typ = 'MDITamvel'"),
                           {user}),
             1);
    const WindowSize restored = loadWindowSize(*db, user);
    QCOMPARE(restored.height, 6003);
    QCOMPARE(restored.width, 9003);
    QCOMPARE(loadWindowSize(*db, QStringLiteral("Novák")).width, 7000);

    // A damaged row gives the default size.
    db->execute(QStringLiteral("UPDATE uzivatelske_nastaveni SET hodnota1 = 'x', hodnota2 = '' "
                               "WHERE uzivatel = ? AND typ = 'MDITamvel'"),
                {user});
    QCOMPARE(loadWindowSize(*db, user).height, WindowSize::DefaultHeight);
    QCOMPARE(loadWindowSize(*db, user).width, WindowSize::DefaultWidth);
}

void TestLogin::startUpForgetsAVanishedDatabase()
{
    const QString gone = m_dir.filePath(QStringLiteral("smazana.mdb"));
    settings::setDatabasePath(gone);
    settings::setDocumentsFolder(QStringLiteral("/srv/dokumenty"));
    Session session;
    session.startUp();
    QCOMPARE(session.databasePath, QString());
    QCOMPARE(session.documentsFolder, QStringLiteral("/srv/dokumenty"));
    QCOMPARE(session.riskFilter, Session::openRisksFilter());
    QVERIFY(!session.loggedIn && !session.loginCancelled && !session.autoLoginDone);

    // The ".mdb" rule when another database is chosen; upper-case MDB stays.
    QCOMPARE(selectDatabase(session, m_dir.filePath(QStringLiteral("nova"))),
             m_dir.filePath(QStringLiteral("nova.mdb")));
    QCOMPARE(settings::databasePath(), m_dir.filePath(QStringLiteral("nova.mdb")));
    QCOMPARE(selectDatabase(session, QStringLiteral("/x/STARA.MDB")),
             QStringLiteral("/x/STARA.MDB"));

    setDocumentsFolder(session, QStringLiteral("  /srv/predpisy "));
    QCOMPARE(settings::documentsFolder(), QStringLiteral("/srv/predpisy"));
    QCOMPARE(session.documentsFolder, QStringLiteral("/srv/predpisy"));
}

QTEST_GUILESS_MAIN(TestLogin)
#include "tst_login.moc"
