#include "access/Access.h"

#include "core/Messages.h"
#include "db/Database.h"

namespace tamvel::access {

namespace {

const QString UserTitle = QStringLiteral("Uživatel");
const QString GroupTitle = QStringLiteral("Skupina");
const QString AddUserTitle = QStringLiteral("Přidání uživatele");
const QString PasswordTitle = QStringLiteral("Změna hesla");

// The built-in account every database is created with; it is stored as "Administrator".
const QString BuiltInUser = QStringLiteral("administrator");
const QString BuiltInGroup = QStringLiteral("admin");

} // namespace

const QVector<int> &editablePositions()
{
    static const QVector<int> positions = {1,  10, 11, 12, 20, 21, 22, 23, 24,
                                           40, 41, 42, 43, 44, 45, 46, 47, 48};
    return positions;
}

QString rightsString(const std::array<bool, Rights::LastPosition + 1> &granted)
{
    QString text(Rights::LastPosition, QLatin1Char(' '));
    for (int position : editablePositions())
        text[position - 1] = granted[size_t(position)] ? QLatin1Char('1') : QLatin1Char('0');
    return text.trimmed();
}

const QVector<MenuRight> &menuRights()
{
    static const QVector<MenuRight> rights = [] {
        QVector<MenuRight> list;
        const auto add = [&list](const char *action, int position, bool visibility = false) {
            list.append({QString::fromUtf8(action), position, visibility});
        };
        add("mnuAdmiUziv", 1);
        add("mnuSkup", 1);
        add("mnuNastKopi", 1, true);
        add("mnuAdmiVymaz", 1, true);
        add("mnuRiziPreh", 10);
        add("mnuRiziDilc", 11);
        add("mnuHodnZava", 20);
        add("mnuHodnPrav", 21);
        add("mnuHodnFrek", 22);
        add("mnuHodnVypo", 23);
        add("mnuHodnUrov", 24);
        add("mnuCisePrac", 40);
        add("mnuCiseSyst", 41);
        add("mnuCiseKate", 42);
        add("mnuCiseDruh", 43);
        add("mnuCisePosk", 44);
        add("mnuCiseTyp", 45);
        add("mnuCisePred", 46);
        add("mnuCisePoza", 47);
        add("mnuCiseOchr", 48);
        return list;
    }();
    return rights;
}

Rights rightsOf(Database &db, const QString &user)
{
    const QString group =
        db.scalarText(QStringLiteral("SELECT skupina FROM uzivatele WHERE uzivatel = ?"), {user});
    return groupRights(db, group);
}

Rights groupRights(Database &db, const QString &group)
{
    return Rights(db.scalarText(QStringLiteral("SELECT prava FROM skupiny WHERE skupina = ?"),
                                {group.trimmed()}));
}

QStringList userEntries(Database &db)
{
    QStringList entries;
    const Rows rows = db.query(QStringLiteral("SELECT uzivatel, skupina FROM uzivatele"));
    for (int i = 0; i < rows.size(); ++i)
        entries << rows.at(i, 0).toString().trimmed() + QStringLiteral(" (") +
                       rows.at(i, 1).toString().trimmed() + QLatin1Char(')');
    return entries;
}

QString userOfEntry(const QString &entry)
{
    const qsizetype bracket = entry.indexOf(QLatin1Char('('));
    return (bracket < 0 ? entry : entry.left(bracket)).trimmed();
}

bool removeUser(Database &db, const QString &entry, const QString &currentUser, Messages &messages)
{
    if (entry.isEmpty()) {
        messages.warn(UserTitle, QStringLiteral("Nutno zvolit uživatele !"));
        return false;
    }
    const QString name = userOfEntry(entry);
    if (name == currentUser) {
        messages.warn(UserTitle, QStringLiteral("Nelze smazat aktuálně přihlášeného uživatele !"));
        return false;
    }
    // Letter case is ignored here: the built-in account is stored as "Administrator".
    if (name.compare(BuiltInUser, Qt::CaseInsensitive) == 0) {
        messages.warn(UserTitle, QStringLiteral("Nelze smazat uživatele 'administrator' !"));
        return false;
    }
    if (!messages.ask(UserTitle,
                      QStringLiteral("Opravdu chcete smazat uživatele '%1' ?").arg(name)))
        return false;
    return db.execute(QStringLiteral("DELETE FROM uzivatele WHERE uzivatel = ?"), {name}) == 1;
}

bool addUser(Database &db, const QString &name, const QString &password, const QString &group,
             Messages &messages, UserField *focus)
{
    const auto refuse = [&](UserField field, const QString &text) {
        messages.fail(AddUserTitle, text);
        if (focus)
            *focus = field;
        return false;
    };
    const QString user = name.trimmed();
    const QString groupName = group.trimmed();
    if (user.isEmpty())
        return refuse(UserField::Name, QStringLiteral("Nutno vyplnit jméno!"));
    if (groupName.isEmpty())
        return refuse(UserField::Group, QStringLiteral("Nutno vybrat skupinu!"));
    if (db.scalarInt(QStringLiteral("SELECT count(*) FROM uzivatele WHERE uzivatel = ?"), {user}) >
        0)
        return refuse(UserField::Name, QStringLiteral("Uzivatel '%1' již existuje!").arg(user));
    const QString stored = password.trimmed().isEmpty() ? QStringLiteral(" ") : password.trimmed();
    return db.execute(
               QStringLiteral("INSERT INTO uzivatele (uzivatel, heslo, skupina) VALUES (?, ?, ?)"),
               {user, stored, groupName}) == 1;
}

QStringList groups(Database &db)
{
    QStringList names;
    const Rows rows = db.query(QStringLiteral("SELECT skupina FROM skupiny"));
    for (int i = 0; i < rows.size(); ++i)
        names << rows.at(i, 0).toString().trimmed();
    return names;
}

bool removeGroup(Database &db, const QString &group, Messages &messages)
{
    const QString name = group.trimmed();
    if (name.isEmpty()) {
        messages.warn(GroupTitle, QStringLiteral("Nutno zvolit skupinu !"));
        return false;
    }
    if (name == BuiltInGroup) {
        messages.fail(GroupTitle, QStringLiteral("Nelze odebrat skupinu 'admin' !"));
        return false;
    }
    if (db.scalarInt(QStringLiteral("SELECT count(*) FROM uzivatele WHERE skupina = ?"), {name}) >
        0) {
        messages.fail(GroupTitle, QStringLiteral("Nelze odebrat, skupina obsahuje uživatele!"));
        return false;
    }
    if (!messages.ask(GroupTitle,
                      QStringLiteral("Opravdu chcete odebrat skupinu : '%1' ?").arg(name)))
        return false;
    return db.execute(QStringLiteral("DELETE FROM skupiny WHERE skupina = ?"), {name}) == 1;
}

GroupAdded addGroup(Database &db, const QString &group, Messages &messages)
{
    const QString name = group.trimmed();
    if (name.isEmpty())
        return GroupAdded::Nothing;
    if (db.scalarInt(QStringLiteral("SELECT count(*) FROM skupiny WHERE skupina = ?"), {name}) >
        0) {
        messages.fail(GroupTitle, QStringLiteral("Tato skupina již existuje!"));
        return GroupAdded::Refused;
    }
    // A new group starts with no right at all.
    const qint64 added =
        db.execute(QStringLiteral("INSERT INTO skupiny (skupina, prava) VALUES (?, ' ')"), {name});
    return added == 1 ? GroupAdded::Added : GroupAdded::Refused;
}

bool saveGroupRights(Database &db, const QString &group, const QString &rights)
{
    return db.execute(QStringLiteral("UPDATE skupiny SET prava = ? WHERE skupina = ?"),
                      {rights.trimmed(), group.trimmed()}) == 1;
}

PasswordChange changePassword(Database &db, const QString &user, QString &currentPassword,
                              const QString &oldPassword, const QString &newPassword,
                              const QString &confirmation, Messages &messages)
{
    const QString old = oldPassword.trimmed();
    const QString fresh = newPassword.trimmed();
    const QString again = confirmation.trimmed();
    if (fresh == old && again == old)
        return PasswordChange::Unchanged;
    if (old != currentPassword) {
        messages.fail(PasswordTitle, QStringLiteral("Chybně zadané staré heslo !"));
        return PasswordChange::Refused;
    }
    if (fresh != again) {
        messages.fail(PasswordTitle, QStringLiteral("Neloulad nového hesla a potvrzení !"));
        return PasswordChange::Refused;
    }
    int errorNumber = 0;
    qint64 changed = 0;
    try {
        changed = db.execute(QStringLiteral("UPDATE uzivatele SET heslo = ? WHERE uzivatel = ?"),
                             {fresh.isEmpty() ? QStringLiteral(" ") : fresh, user});
    } catch (const DbError &e) {
        errorNumber = e.code();
    }
    if (changed != 1) {
        // The login keeps its password: the stored one did not change.
        messages.warn(QStringLiteral("Nepředpokládaná chyba"),
                      QStringLiteral("Řádek nebyl vložen z důvodu chyby: %1. Kontaktujte "
                                     "administrátora úlohy !")
                          .arg(errorNumber));
        return PasswordChange::Failed;
    }
    currentPassword = fresh;
    messages.warn(PasswordTitle, QStringLiteral("Heslo bylo úspěšně změněno !"));
    return PasswordChange::Changed;
}

} // namespace tamvel::access
