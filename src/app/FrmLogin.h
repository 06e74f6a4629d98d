#pragma once

#include "app/Login.h"

#include <QDialog>

class QLineEdit;

namespace tamvel {

// The login dialog "Přihlášení": name and password, OK and Storno.
class FrmLogin : public QDialog
{
    Q_OBJECT

public:
    // The database the login opens is named under the fields.
    FrmLogin(const QString &lastLogin, const QString &databasePath, QWidget *parent = nullptr);

    LoginAnswer answer() const;

protected:
    void showEvent(QShowEvent *event) override;

private:
    QLineEdit *m_user;
    QLineEdit *m_password;
};

// Each question shows a fresh login dialog over the parent window.
class LoginDialogPrompt : public LoginPrompt
{
public:
    explicit LoginDialogPrompt(QWidget *parent = nullptr) : m_parent(parent) {}
    void setParent(QWidget *parent) { m_parent = parent; }
    LoginAnswer ask(const QString &lastLogin, const QString &databasePath) override;

private:
    QWidget *m_parent;
};

} // namespace tamvel
