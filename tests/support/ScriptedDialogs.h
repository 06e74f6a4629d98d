#pragma once

#include "app/Login.h"
#include "core/FileDialogs.h"

#include <QList>
#include <QStringList>

// Answers the login dialog from a script and records what each fresh dialog showed.
class ScriptedLogin : public tamvel::LoginPrompt
{
public:
    QList<tamvel::LoginAnswer> answers; // Storno once it runs out
    QStringList prefilled;              // the name box of each dialog shown

    QStringList databases; // the database each dialog named

    tamvel::LoginAnswer ask(const QString &lastLogin, const QString &databasePath) override
    {
        prefilled << lastLogin;
        databases << databasePath;
        return answers.isEmpty() ? tamvel::LoginAnswer{} : answers.takeFirst();
    }

    void add(const QString &user, const QString &password)
    {
        answers << tamvel::LoginAnswer{true, user, password};
    }
};

// Answers file dialogs from a script (cancel once it runs out) and records their titles.
class ScriptedFiles : public tamvel::FileDialogs
{
public:
    QStringList answers;
    QStringList titles;
    QStringList proposedNames;

    QString openFile(const QString &title, const QString &, const QString &) override
    {
        titles << title;
        return answers.isEmpty() ? QString() : answers.takeFirst();
    }
    QString saveFile(const QString &title, const QString &, const QString &proposedName,
                     const QString &) override
    {
        titles << title;
        proposedNames << proposedName;
        return answers.isEmpty() ? QString() : answers.takeFirst();
    }
};
