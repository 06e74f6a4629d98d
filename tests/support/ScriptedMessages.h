#pragma once

#include "core/Messages.h"

#include <QList>
#include <QString>

// Records every message and answers questions from a script (No once it runs out).
class ScriptedMessages : public tamvel::Messages
{
public:
    struct Shown
    {
        QString kind; // "inform", "warn", "fail", "ask" or "choose"
        QString title;
        QString text;
    };

    QList<Shown> shown;
    QList<bool> answers;
    QList<Choice> choices; // Ano/Ne/Storno questions; Storno once it runs out

    void inform(const QString &title, const QString &text) override
    {
        shown << Shown{QStringLiteral("inform"), title, text};
    }
    void warn(const QString &title, const QString &text) override
    {
        shown << Shown{QStringLiteral("warn"), title, text};
    }
    void fail(const QString &title, const QString &text) override
    {
        shown << Shown{QStringLiteral("fail"), title, text};
    }
    bool ask(const QString &title, const QString &text, Tone) override
    {
        shown << Shown{QStringLiteral("ask"), title, text};
        return answers.isEmpty() ? false : answers.takeFirst();
    }

    Choice askYesNoCancel(const QString &title, const QString &text) override
    {
        shown << Shown{QStringLiteral("choose"), title, text};
        return choices.isEmpty() ? Choice::Cancel : choices.takeFirst();
    }

    QStringList kinds() const
    {
        QStringList result;
        for (const Shown &s : shown)
            result << s.kind;
        return result;
    }
    QString lastText() const { return shown.isEmpty() ? QString() : shown.last().text; }
};
