#pragma once

#include <QString>

namespace tamvel {

// Every message box of the program goes through this interface, so that the logic can
// ask and tell without widgets and tests can script the answers.
class Messages
{
public:
    // The icon of a yes/no question: a question mark, an exclamation mark or a stop sign.
    enum class Tone { Question, Warning, Critical };

    virtual ~Messages() = default;

    virtual void inform(const QString &title, const QString &text) = 0; // information icon
    virtual void warn(const QString &title, const QString &text) = 0;   // exclamation icon
    virtual void fail(const QString &title, const QString &text) = 0;   // critical icon
    // A critical message with a help button that opens the help at a page.
    virtual void failWithHelp(const QString &title, const QString &text, const QString &helpPage)
    {
        Q_UNUSED(helpPage);
        fail(title, text);
    }
    // Yes/No; true only for Yes.
    virtual bool ask(const QString &title, const QString &text, Tone tone = Tone::Question) = 0;
    // Ano/Ne/Storno with the question icon.
    enum class Choice { Yes, No, Cancel };
    virtual Choice askYesNoCancel(const QString &title, const QString &text)
    {
        return ask(title, text) ? Choice::Yes : Choice::No;
    }
};

} // namespace tamvel
