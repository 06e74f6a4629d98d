#pragma once

#include "access/Access.h"

#include <QDialog>
#include <QHash>
#include <QWidget>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QListWidget;

namespace tamvel {

class Database;
class Messages;

// "Uživatelé": the users with their groups; add and remove.
class FrmUzivatele : public QWidget
{
    Q_OBJECT

public:
    FrmUzivatele(Database &db, const QString &currentUser, Messages &messages,
                 QWidget *parent = nullptr);

public slots:
    // Every activation shows the users as they are now.
    void activated();

private:
    void add();
    void remove();

    Database &m_db;
    QString m_currentUser;
    Messages &m_messages;
    QListWidget *m_list;
    QVector<access::User> m_users; // as listed
};

// "Přidání uživatele".
class FrmUzivateleAdd : public QDialog
{
    Q_OBJECT

public:
    FrmUzivateleAdd(Database &db, Messages &messages, QWidget *parent = nullptr);

private:
    void save();

    Database &m_db;
    Messages &m_messages;
    QLineEdit *m_login;
    QLineEdit *m_password;
    QComboBox *m_group;
};

// "Skupiny": the groups; add, remove and edit their rights.
class FrmSkupina : public QWidget
{
    Q_OBJECT

public:
    FrmSkupina(Database &db, Messages &messages, QWidget *parent = nullptr);

public slots:
    void activated();

private:
    void add();
    void remove();
    void editRights();

    Database &m_db;
    Messages &m_messages;
    QListWidget *m_list;
    QVector<access::Group> m_groups; // as listed
};

// "Přidat skupinu"; offers the rights editor for the new group.
class FrmSkupinaAdd : public QDialog
{
    Q_OBJECT

public:
    FrmSkupinaAdd(Database &db, Messages &messages, QWidget *parent = nullptr);

private:
    void save();

    Database &m_db;
    Messages &m_messages;
    QLineEdit *m_name;
};

// "Přístupová práva" of one group.
class FrmPrava : public QDialog
{
    Q_OBJECT

public:
    FrmPrava(Database &db, const QString &group, Messages &messages, QWidget *parent = nullptr);

    QCheckBox *box(int position) const { return m_boxes.value(position); }
    // The string OK would store.
    QString rightsText() const;

private:
    // Shows the rights as stored now.
    void load();
    void applyAdministratorRule();
    void save();

    Database &m_db;
    QString m_group;
    Messages &m_messages;
    QHash<int, QCheckBox *> m_boxes;
    access::Rights m_loaded; // what a save must still find stored
};

// "Změna hesla" of the logged-in user; the login's password follows a stored change.
class FrmChPassw : public QDialog
{
    Q_OBJECT

public:
    FrmChPassw(Database &db, const QString &user, QString &loginPassword, Messages &messages,
               QWidget *parent = nullptr);

private:
    void save();

    Database &m_db;
    QString m_user;
    QString &m_loginPassword;
    Messages &m_messages;
    QLineEdit *m_old;
    QLineEdit *m_new;
    QLineEdit *m_confirm;
};

} // namespace tamvel
