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
    void failedAttemptsAskAgainUntilStorno();
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

// A started session whose current database is path, with a scripted login dialog.
struct StartedSession : Session
{
    ScriptedLogin login;
    ScriptedMessages messages;

    explicit StartedSession(const QString &path)
    {
        startUp();
        databasePath = path;
    }
    // The dialog answers once with name and password, then Storno.
    bool logInAs(const QString &name, const QString &password = QString())
    {
        login.add(name, password);
        return logIn(*this, login, messages);
    }
};

void TestLogin::namesAndPasswordsAreTrimmed()
{
    Database::open(m_path)->execute(
        QStringLiteral("INSERT INTO uzivatele (uzivatel, heslo, skupina) VALUES (?, ?, ?)"),
        {QStringLiteral("Novák"), QStringLiteral("tajné"), QStringLiteral("admin")});

    // The built-in account: a stored blank matches an empty password box.
    StartedSession session(m_path);
    QVERIFY(session.logInAs(QStringLiteral("  Administrator ")));
    QVERIFY(session.messages.shown.isEmpty());
    QVERIFY(session.loggedIn);
    QCOMPARE(session.userName, QStringLiteral("Administrator"));
    QVERIFY(session.database() != nullptr);
    QCOMPARE(settings::lastLogin(), QStringLiteral("Administrator"));

    // A password typed with blanks around it matches the stored one without them.
    StartedSession second(m_path);
    QVERIFY(second.logInAs(QStringLiteral("Novák"), QStringLiteral("  tajné  ")));
    QCOMPARE(second.password, QStringLiteral("tajné"));
    QCOMPARE(settings::lastLogin(), QStringLiteral("Novák"));
    QCOMPARE(second.login.prefilled, QStringList{QStringLiteral("Administrator")});
}

void TestLogin::failedAttemptsAskAgainUntilStorno()
{
    settings::setLastLogin(QStringLiteral("Novák"));
    StartedSession session(m_path);
    // wrong password, then Storno
    QVERIFY(!session.logInAs(QStringLiteral("Administrator"), QStringLiteral("špatné")));
    QVERIFY(session.loginCancelled);
    QVERIFY(!session.loggedIn);
    QVERIFY(session.database() == nullptr);

    // The next attempt clears the flag again.
    session.login.add(QStringLiteral("administrator"), QString()); // letter case counts
    QVERIFY(session.logInAs(QStringLiteral("Administrator")));
    QVERIFY(!session.loginCancelled);

    const QList<ScriptedMessages::Shown> &shown = session.messages.shown;
    QCOMPARE(shown.size(), 2);
    QCOMPARE(shown[0].kind, QStringLiteral("fail"));
    QCOMPARE(shown[0].title, WrongPasswordTitle);
    QCOMPARE(shown[0].text, QStringLiteral("Chybně zadané heslo !"));
    QCOMPARE(shown[1].title, QStringLiteral("Přihlášení do Tamvel"));
    QCOMPARE(shown[1].text, QStringLiteral("Chybně zadané jméno !"));
    // Each fresh dialog shows the last successful login, not the name just tried.
    QCOMPARE(session.login.prefilled, QStringList(4, QStringLiteral("Novák")));
    QCOMPARE(settings::lastLogin(), QStringLiteral("Administrator"));
}

void TestLogin::missingDatabaseStopsTheLogin()
{
    const QString missing = m_dir.filePath(QStringLiteral("neni.mdb"));
    StartedSession session(missing);
    QVERIFY(!session.logInAs(QStringLiteral("Administrator")));
    QCOMPARE(session.messages.kinds(), QStringList{QStringLiteral("fail")});
    QCOMPARE(session.messages.lastText(),
             QStringLiteral("Databáze  '%1'  nenalezena ! Zvolte databázi.").arg(missing));
    QVERIFY(!QFileInfo::exists(missing));
    QVERIFY(!session.loggedIn);

    session.databasePath.clear();
    QVERIFY(!session.logInAs(QStringLiteral("Administrator")));
    QCOMPARE(session.messages.lastText(),
             QStringLiteral("Nebyla zvolena odpovídající databáze ! Zvolte databázi."));
    QVERIFY(!session.loggedIn);
}

void TestLogin::foreignStructureVersionOnlyWarns()
{
    const QString update = QStringLiteral(
        "UPDATE uzivatelske_nastaveni SET hodnota1 = ? WHERE uzivatel = 'administrator' AND "
        "typ = 'rizika' AND polozka = 'verze'");
    // A login that goes on after the warning; messages gets what it showed.
    const auto loginWith = [&](ScriptedMessages &messages) {
        StartedSession session(m_path);
        const bool in = session.logInAs(QStringLiteral("Administrator")) && session.loggedIn;
        messages = session.messages;
        return in;
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
    QVERIFY(session.logInAs(QStringLiteral("Administrator")));
    Database *first = session.database();

    const QString text = m_dir.filePath(QStringLiteral("poznamky.mdb"));
    {
        QFile f(text);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(QByteArray("Toto není databáze.\n").repeated(300));
    }
    const QByteArray before = fileBytes(text);
    session.databasePath = text;
    QVERIFY(!session.logInAs(QStringLiteral("Administrator")));
    QCOMPARE(session.messages.kinds(), QStringList{QStringLiteral("fail")});
    QVERIFY(session.messages.lastText().contains(text));
    QVERIFY(session.messages.lastText().contains(QStringLiteral("(chyba 26)")));
    QCOMPARE(fileBytes(text), before);
    // The earlier login and its database are untouched.
    QVERIFY(session.loggedIn);
    QCOMPARE(session.database(), first);
}

void TestLogin::windowSizeIsOneRowPerUser()
{
    auto db = Database::open(m_path);
    const QString user = QStringLiteral("Administrator");
    const auto sizeOf = [&](const QString &name) {
        const WindowSize size = loadWindowSize(*db, name);
        return QSize(size.width, size.height);
    };
    const QSize standard(WindowSize::DefaultWidth, WindowSize::DefaultHeight);
    QCOMPARE(sizeOf(user), standard);

    for (int i = 1; i <= 3; ++i)
        saveWindowSize(*db, user, WindowSize{6000 + i, 9000 + i});
    saveWindowSize(*db, QStringLiteral("Novák"), WindowSize{5000, 7000});
    QCOMPARE(db->scalarInt(QStringLiteral("SELECT count(*) FROM uzivatelske_nastaveni WHERE "
                                          "uzivatel = ? AND typ = 'MDITamvel'"),
                           {user}),
             1);
    QCOMPARE(sizeOf(user), QSize(9003, 6003));
    QCOMPARE(sizeOf(QStringLiteral("Novák")), QSize(7000, 5000));

    // A damaged row gives the default size.
    db->execute(QStringLiteral("UPDATE uzivatelske_nastaveni SET hodnota1 = 'x', hodnota2 = '' "
                               "WHERE uzivatel = ? AND typ = 'MDITamvel'"),
                {user});
    QCOMPARE(sizeOf(user), standard);
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

    // The documents folder is kept without blanks around it.
    setDocumentsFolder(session, QStringLiteral("  /srv/predpisy "));
    QCOMPARE(settings::documentsFolder(), QStringLiteral("/srv/predpisy"));
    QCOMPARE(session.documentsFolder, QStringLiteral("/srv/predpisy"));
}

QTEST_GUILESS_MAIN(TestLogin)
#include "tst_login.moc"
