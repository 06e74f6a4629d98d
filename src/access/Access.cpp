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

const QString UserQuery = QStringLiteral("SELECT uzivatel, heslo, skupina FROM uzivatele");
const QString GroupQuery = QStringLiteral("SELECT skupina, prava FROM skupiny");

QVector<User> usersOf(const Rows &rows)
{
    QVector<User> users;
    for (int i = 0; i < rows.size(); ++i)
        users.append(
            {rows.at(i, 0).toString(), rows.at(i, 1).toString(), rows.at(i, 2).toString()});
    return users;
}

QVector<Group> groupsOf(const Rows &rows)
{
    QVector<Group> groups;
    for (int i = 0; i < rows.size(); ++i)
        groups.append({rows.at(i, 0).toString(), rows.at(i, 1).toString()});
    return groups;
}

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

QString User::entry() const
{
    return name.trimmed() + QStringLiteral(" (") + group.trimmed() + QLatin1Char(')');
}

QVector<User> loadUsers(Database &db)
{
    return usersOf(db.query(UserQuery));
}

bool removeUser(Database &db, const User *selected, const QString &currentUser, Messages &messages)
{
    if (!selected) {
        messages.warn(UserTitle, QStringLiteral("Nutno zvolit uživatele !"));
        return false;
    }
    const QString name = selected->name.trimmed();
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
    Transaction transaction(db);
    // Another copy may have changed or removed the user since the list was read, or removed
    // it and added another of the same name.
    const QVector<User> stored =
        usersOf(db.query(UserQuery + QStringLiteral(" WHERE uzivatel = ?"), {selected->name}));
    if (stored.size() != 1 || stored[0] != *selected)
        throw ChangedMeanwhile();
    db.execute(QStringLiteral("DELETE FROM uzivatele WHERE uzivatel = ?"), {selected->name});
    transaction.commit();
    return true;
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
    const QString stored = password.trimmed().isEmpty() ? QStringLiteral(" ") : password.trimmed();
    bool taken = false;
    inTransaction(db, [&] {
        for (const User &u : loadUsers(db))
            taken = taken || u.name.trimmed().compare(user, Qt::CaseInsensitive) == 0;
        if (!taken)
            db.execute(
                QStringLiteral("INSERT INTO uzivatele (uzivatel, heslo, skupina) VALUES (?, ?, ?)"),
                {user, stored, groupName});
    });
    // Told only after the transaction: no lock is held while the message is open.
    if (taken)
        return refuse(UserField::Name, QStringLiteral("Uzivatel '%1' již existuje!").arg(user));
    return true;
}

QVector<Group> loadGroups(Database &db)
{
    return groupsOf(db.query(GroupQuery));
}

QStringList groups(Database &db)
{
    QStringList names;
    for (const Group &g : loadGroups(db))
        names << g.name.trimmed();
    return names;
}

bool removeGroup(Database &db, const Group *selected, Messages &messages)
{
    const QString name = selected ? selected->name.trimmed() : QString();
    if (name.isEmpty()) {
        messages.warn(GroupTitle, QStringLiteral("Nutno zvolit skupinu !"));
        return false;
    }
    if (name == BuiltInGroup) {
        messages.fail(GroupTitle, QStringLiteral("Nelze odebrat skupinu 'admin' !"));
        return false;
    }
    const auto members = [&] {
        return db.scalarInt(QStringLiteral("SELECT count(*) FROM uzivatele WHERE skupina = ?"),
                            {name});
    };
    if (members() > 0) {
        messages.fail(GroupTitle, QStringLiteral("Nelze odebrat, skupina obsahuje uživatele!"));
        return false;
    }
    if (!messages.ask(GroupTitle,
                      QStringLiteral("Opravdu chcete odebrat skupinu : '%1' ?").arg(name)))
        return false;
    Transaction transaction(db);
    // As the list read it, and still without users: another copy may have added one.
    const QVector<Group> stored =
        groupsOf(db.query(GroupQuery + QStringLiteral(" WHERE skupina = ?"), {selected->name}));
    if (stored.size() != 1 || stored[0] != *selected || members() > 0)
        throw ChangedMeanwhile();
    db.execute(QStringLiteral("DELETE FROM skupiny WHERE skupina = ?"), {selected->name});
    transaction.commit();
    return true;
}

GroupAdded addGroup(Database &db, const QString &group, Messages &messages)
{
    const QString name = group.trimmed();
    if (name.isEmpty())
        return GroupAdded::Nothing;
    bool taken = false;
    inTransaction(db, [&] {
        taken = db.exists(QStringLiteral("SELECT 1 FROM skupiny WHERE skupina = ?"), {name});
        // A new group starts with no right at all.
        if (!taken)
            db.execute(QStringLiteral("INSERT INTO skupiny (skupina, prava) VALUES (?, ' ')"),
                       {name});
    });
    if (taken) {
        messages.fail(GroupTitle, QStringLiteral("Tato skupina již existuje!"));
        return GroupAdded::Refused;
    }
    return GroupAdded::Added;
}

void saveGroupRights(Database &db, const QString &group, const Rights &loaded,
                     const QString &rights)
{
    Transaction transaction(db);
    const Rows stored =
        db.query(QStringLiteral("SELECT prava FROM skupiny WHERE skupina = ?"), {group.trimmed()});
    if (stored.size() != 1 || stored.at(0, 0).toString() != loaded.text())
        throw ChangedMeanwhile();
    db.execute(QStringLiteral("UPDATE skupiny SET prava = ? WHERE skupina = ?"),
               {rights.trimmed(), group.trimmed()});
    transaction.commit();
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
        Transaction transaction(db);
        // The login's password is what the old one was checked against; the stored one may
        // have been changed since by another copy.
        const Rows stored =
            db.query(QStringLiteral("SELECT heslo FROM uzivatele WHERE uzivatel = ?"), {user});
        if (stored.size() != 1 || stored.at(0, 0).toString().trimmed() != old)
            return PasswordChange::Conflict;
        changed = db.execute(QStringLiteral("UPDATE uzivatele SET heslo = ? WHERE uzivatel = ?"),
                             {fresh.isEmpty() ? QStringLiteral(" ") : fresh, user});
        transaction.commit();
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
