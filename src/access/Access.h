#pragma once

#include <QHash>
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

// "name (group)" for each user.
QStringList userEntries(Database &db);
// The user name of a list entry: the trimmed text before its first "(".
QString userOfEntry(const QString &entry);

// "&Odebrat" of the user list; an empty entry means nothing is selected.
// True when the user was deleted.
bool removeUser(Database &db, const QString &entry, const QString &currentUser, Messages &messages);

enum class UserField { None, Name, Group };
// "Uložit" of the new-user dialog; on a refusal *focus names the field to fix.
bool addUser(Database &db, const QString &name, const QString &password, const QString &group,
             Messages &messages, UserField *focus = nullptr);

QStringList groups(Database &db);
bool removeGroup(Database &db, const QString &group, Messages &messages);

enum class GroupAdded { Nothing, Refused, Added };
GroupAdded addGroup(Database &db, const QString &group, Messages &messages);

// The group's rights as stored, for the editor.
Rights groupRights(Database &db, const QString &group);
// Stores the editor's string; true when exactly one group was changed.
bool saveGroupRights(Database &db, const QString &group, const QString &rights);

enum class PasswordChange { Unchanged, Refused, Changed, Failed };
// "OK" of the password change. currentPassword is the password of the login; it becomes
// the new one when the change was stored.
PasswordChange changePassword(Database &db, const QString &user, QString &currentPassword,
                              const QString &oldPassword, const QString &newPassword,
                              const QString &confirmation, Messages &messages);

} // namespace access
} // namespace tamvel
