#pragma once

#include "core/Messages.h"

#include <QVector>

namespace tamvel {

// A message a save shows before it writes. A save is decided apart from asking: the logic's
// check lists the prompts in the order the user meets them, the window shows them with
// showPrompts(), and only then does the logic's commit write, without asking anything.
struct Prompt
{
    enum class Kind { Tell, Ask, Refuse };
    Kind kind = Kind::Tell;
    Messages::Tone tone = Messages::Tone::Warning; // the icon
    QString title;
    QString text;

    static Prompt tell(QString title, QString text, Messages::Tone tone = Messages::Tone::Critical)
    {
        return {Kind::Tell, tone, std::move(title), std::move(text)};
    }
    static Prompt ask(QString title, QString text, Messages::Tone tone = Messages::Tone::Question)
    {
        return {Kind::Ask, tone, std::move(title), std::move(text)};
    }
    static Prompt refuse(QString title, QString text, Messages::Tone tone = Messages::Tone::Warning)
    {
        return {Kind::Refuse, tone, std::move(title), std::move(text)};
    }
};

// How the prompts of a save ended: every question answered Yes, one answered No, or a refusal.
enum class PromptResult { Accepted, Declined, Refused };

// Shows the prompts in order, up to the first refusal or question answered No; the prompts
// after it are not shown.
inline PromptResult showPrompts(Messages &messages, const QVector<Prompt> &prompts)
{
    for (const Prompt &p : prompts) {
        if (p.kind == Prompt::Kind::Ask) {
            if (!messages.ask(p.title, p.text, p.tone))
                return PromptResult::Declined;
            continue;
        }
        switch (p.tone) {
        case Messages::Tone::Question:
            messages.inform(p.title, p.text);
            break;
        case Messages::Tone::Warning:
            messages.warn(p.title, p.text);
            break;
        case Messages::Tone::Critical:
            messages.fail(p.title, p.text);
            break;
        }
        if (p.kind == Prompt::Kind::Refuse)
            return PromptResult::Refused;
    }
    return PromptResult::Accepted;
}

} // namespace tamvel
