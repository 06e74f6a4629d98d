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
        QString kind; // "inform", "warn", "fail" or "ask"
        QString title;
        QString text;
    };

    QList<Shown> shown;
    QList<bool> answers;

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

    QStringList kinds() const
    {
        QStringList result;
        for (const Shown &s : shown)
            result << s.kind;
        return result;
    }
    QString lastText() const { return shown.isEmpty() ? QString() : shown.last().text; }
};
