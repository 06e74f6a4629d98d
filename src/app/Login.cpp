#include "app/Login.h"

#include "app/Session.h"
#include "app/Settings.h"
#include "core/Messages.h"
#include "db/Database.h"
#include "db/DatabaseFiles.h"
#include "db/Version.h"

#include <QFileInfo>

namespace tamvel {

namespace {

const QString VersionTitle = QStringLiteral("Nekompatibilita programu a databáze");

int twipsOr(const QVariant &value, int fallback)
{
    bool ok = false;
    const int twips = value.toString().trimmed().toInt(&ok);
    return ok && twips > 0 ? twips : fallback;
}

} // namespace

bool logIn(Session &session, LoginPrompt &prompt, Messages &messages, WindowSize *size)
{
    for (;;) {
        const LoginAnswer answer = prompt.ask(settings::lastLogin(), session.databasePath);
        session.loginCancelled = false;
        if (!answer.confirmed) {
            session.loginCancelled = true;
            return false;
        }
        const QString user = answer.user.trimmed();
        const QString password = answer.password.trimmed();
        const QString path = session.databasePath;

        if (path.trimmed().isEmpty()) {
            messages.fail(
                QStringLiteral("Tamvel"),
                QStringLiteral("Nebyla zvolena odpovídající databáze ! Zvolte databázi."));
            return false;
        }
        if (!QFileInfo(path).isFile()) {
            messages.fail(
                QStringLiteral("Tamvel"),
                QStringLiteral("Databáze  '%1'  nenalezena ! Zvolte databázi.").arg(path));
            return false;
        }

        std::unique_ptr<Database> db;
        Rows users;
        try {
            db = Database::open(path);
            users =
                db->query(QStringLiteral("SELECT heslo FROM uzivatele WHERE uzivatel = ?"), {user});
        } catch (const DbError &e) {
            messages.fail(
                QStringLiteral("Přihlášení do aplikace Tamvel"),
                QStringLiteral("Databázi '%1' nelze otevřít.\n%2").arg(path, e.describe()));
            return false;
        }

        if (users.size() == 1) {
            if (users.text(0, QStringLiteral("heslo")).trimmed() != password) {
                messages.fail(QStringLiteral("Přihlášení do aplikace Tamvel"),
                              QStringLiteral("Chybně zadané heslo !"));
                continue;
            }
        } else if (users.isEmpty()) {
            messages.fail(QStringLiteral("Přihlášení do Tamvel"),
                          QStringLiteral("Chybně zadané jméno !"));
            continue;
        } else {
            messages.fail(QStringLiteral("Přihlášení do Kvarn"),
                          QStringLiteral("Chyba v administraci uživatelů, kontaktujte "
                                         "administrátora úlohy !"));
            continue;
        }

        checkStructureVersion(*db, messages);
        settings::setLastLogin(user);
        settings::rememberDatabase(path);
        session.userName = user;
        session.password = password;
        session.loggedIn = true;
        if (size)
            *size = loadWindowSize(*db, user);
        session.setDatabase(std::move(db));
        return true;
    }
}

void checkStructureVersion(Database &db, Messages &messages)
{
    Rows rows;
    try {
        rows = db.query(QStringLiteral("SELECT hodnota1 FROM uzivatelske_nastaveni WHERE "
                                       "uzivatel = 'administrator' AND typ = 'rizika' AND "
                                       "polozka = 'verze'"));
    } catch (const DbError &) {
        // An unreadable settings table counts as a missing version row.
    }
    if (rows.size() == 1) {
        const QString stored = rows.text(0, QStringLiteral("hodnota1"));
        if (stored.trimmed().toDouble() != StructureVersion)
            messages.fail(VersionTitle,
                          QStringLiteral("Verze aktuální databáze byla vytvořena ve verzi "
                                         "programu x.%1.x která používá odlišnou strukturu "
                                         "databáze. Pro odstranění této nekompability použíjte "
                                         "nejnovější verzi programu, či kontaktujte fy Vostrel "
                                         "za účelem konverze databáze !!!")
                              .arg(stored));
        return;
    }
    messages.fail(VersionTitle,
                  QStringLiteral("Verze aktuální databáze byla vytvořena ve verzi programu, "
                                 "která používá jinou strukturu databáze než aktuální verze. Pro "
                                 "odstranění této nekompability použíjte nejnovější verzi "
                                 "programu, či kontaktujte fy Vostrel za účelem konverze "
                                 "databáze !!!"));
}

WindowSize loadWindowSize(Database &db, const QString &user)
{
    WindowSize size;
    try {
        const Rows rows = db.query(QStringLiteral("SELECT hodnota1, hodnota2 FROM "
                                                  "uzivatelske_nastaveni WHERE uzivatel = ? AND "
                                                  "typ = 'MDITamvel' AND polozka = 'rozmery'"),
                                   {user});
        if (!rows.isEmpty()) {
            size.height = twipsOr(rows.at(0, 0), WindowSize::DefaultHeight);
            size.width = twipsOr(rows.at(0, 1), WindowSize::DefaultWidth);
        }
    } catch (const DbError &) {
    }
    return size;
}

void saveWindowSize(Database &db, const QString &user, const WindowSize &size)
{
    try {
        inTransaction(db, [&] {
            db.execute(QStringLiteral("DELETE FROM uzivatelske_nastaveni WHERE uzivatel = ? AND "
                                      "typ = 'MDITamvel' AND polozka = 'rozmery'"),
                       {user});
            db.execute(QStringLiteral("INSERT INTO uzivatelske_nastaveni "
                                      "(uzivatel, typ, polozka, hodnota1, hodnota2) "
                                      "VALUES (?, 'MDITamvel', 'rozmery', ?, ?)"),
                       {user, QString::number(size.height), QString::number(size.width)});
        });
    } catch (const DbError &) {
    }
}

QString selectDatabase(Session &session, const QString &chosenName)
{
    const QString path = files::withMdbExtension(chosenName);
    settings::setDatabasePath(path);
    session.databasePath = path;
    return path;
}

void setDocumentsFolder(Session &session, const QString &folder)
{
    const QString trimmed = folder.trimmed();
    session.documentsFolder = trimmed;
    if (settings::documentsFolder() != trimmed)
        settings::setDocumentsFolder(trimmed);
}

} // namespace tamvel
