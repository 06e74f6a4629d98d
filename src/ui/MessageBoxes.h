#pragma once

#include "core/Messages.h"

#include <functional>

class QWidget;

namespace tamvel {

// Messages shown in modal QMessageBox dialogs over a parent window.
class MessageBoxes : public Messages
{
public:
    explicit MessageBoxes(QWidget *parent = nullptr) : m_parent(parent) {}
    void setParent(QWidget *parent) { m_parent = parent; }

    void inform(const QString &title, const QString &text) override;
    void warn(const QString &title, const QString &text) override;
    void fail(const QString &title, const QString &text) override;
    bool ask(const QString &title, const QString &text, Tone tone = Tone::Question) override;
    Choice askYesNoCancel(const QString &title, const QString &text) override;
    void failWithHelp(const QString &title, const QString &text, const QString &helpPage) override;
    // How the help button opens a help page.
    void setHelpHandler(std::function<void(const QString &)> handler)
    {
        m_help = std::move(handler);
    }

private:
    QWidget *m_parent;
    std::function<void(const QString &)> m_help;
};

} // namespace tamvel
