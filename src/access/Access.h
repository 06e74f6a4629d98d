#pragma once

#include <QString>
#include <QStringList>
#include <QVector>

#include <array>

namespace tamvel {

class Database;
class Messages;

namespace access {

// A group's rights string: position N (from 1) grants right N when it holds "1";
// position 1 is the administrator right and grants every other position too.
class Rights
{
public:
    Rights() = default;
    explicit Rights(QString text) : m_text(std::move(text)) {}

    bool admin() const { return has(1); }
    bool granted(int position) const { return admin() || has(position); }
    // The print right: the overview's export button.
    bool print() const { return granted(PrintPosition); }
    const QString &text() const { return m_text; }

    static constexpr int PrintPosition = 12;
    static constexpr int LastPosition = 48;

private:
    bool has(int position) const
    {
        return position <= m_text.size() && m_text[position - 1] == QLatin1Char('1');
    }
    QString m_text;
};

// The positions the rights editor offers, in the order of the string.
const QVector<int> &editablePositions();

// The string the rights editor stores: position 1, 8 blanks, 10-12, 7 blanks, 20-24,
// 15 blanks, 40-48; "1" granted, "0" refused; 48 characters.
QString rightsString(const std::array<bool, Rights::LastPosition + 1> &granted);

// A menu item of the main window and the position that governs it.
struct MenuRight
{
    QString action;
    int position;
    bool governsVisibility; // hidden without the right, instead of greyed
};
const QVector<MenuRight> &menuRights();

// The rights of a user's group; empty when the user, the group or its string is missing.
Rights rightsOf(Database &db, const QString &user);

// A row of uzivatele as read: what the user list shows and what its removal compares with.
struct User
{
    QString name;
    QString password;
    QString group;

    bool operator==(const User &other) const
    {
        return name == other.name && password == other.password && group == other.group;
    }
    bool operator!=(const User &other) const { return !(*this == other); }
    // "name (group)", as the list shows it.
    QString entry() const;
};
QVector<User> loadUsers(Database &db);

// "&Odebrat" of the user list; null when nothing is selected. True when the user was
// deleted. Deletes only while the user is stored as the list loaded it: ChangedMeanwhile.
bool removeUser(Database &db, const User *selected, const QString &currentUser, Messages &messages);

enum class UserField { None, Name, Group };
// "Uložit" of the new-user dialog; on a refusal *focus names the field to fix. A name
// differing from a stored one only in letter case is the same user. The check and the
// insert share one transaction, so a user added meanwhile by another copy is refused too.
bool addUser(Database &db, const QString &name, const QString &password, const QString &group,
             Messages &messages, UserField *focus = nullptr);

// A row of skupiny as read, for the group list.
struct Group
{
    QString name;
    QString rights;

    bool operator==(const Group &other) const
    {
        return name == other.name && rights == other.rights;
    }
    bool operator!=(const Group &other) const { return !(*this == other); }
};
QVector<Group> loadGroups(Database &db);
// The trimmed names of the groups.
QStringList groups(Database &db);
// "&Odebrat" of the group list; null when nothing is selected. Deletes only while the group
// is stored as the list loaded it and has no user: ChangedMeanwhile.
bool removeGroup(Database &db, const Group *selected, Messages &messages);

enum class GroupAdded { Nothing, Refused, Added };
// Checked and inserted in one transaction, as addUser.
GroupAdded addGroup(Database &db, const QString &group, Messages &messages);

// The group's rights as stored, for the editor.
Rights groupRights(Database &db, const QString &group);
// Stores the editor's string while the group's rights are still `loaded`, the string the
// editor opened with; ChangedMeanwhile otherwise.
void saveGroupRights(Database &db, const QString &group, const Rights &loaded,
                     const QString &rights);

enum class PasswordChange { Unchanged, Refused, Changed, Failed, Conflict };
// "OK" of the password change. currentPassword is the password of the login; it becomes
// the new one when the change was stored. The change is stored only while the stored
// password is still the old one typed; Conflict (nothing told) when another copy changed
// it or removed the user.
PasswordChange changePassword(Database &db, const QString &user, QString &currentPassword,
                              const QString &oldPassword, const QString &newPassword,
                              const QString &confirmation, Messages &messages);

} // namespace access
} // namespace tamvel
