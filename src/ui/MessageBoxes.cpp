#include "ui/MessageBoxes.h"

#include <QAbstractButton>
#include <QMessageBox>

namespace tamvel {

void MessageBoxes::inform(const QString &title, const QString &text)
{
    QMessageBox::information(m_parent, title, text);
}

void MessageBoxes::warn(const QString &title, const QString &text)
{
    QMessageBox::warning(m_parent, title, text);
}

void MessageBoxes::fail(const QString &title, const QString &text)
{
    QMessageBox::critical(m_parent, title, text);
}

void MessageBoxes::failWithHelp(const QString &title, const QString &text, const QString &helpPage)
{
    QMessageBox box(QMessageBox::Critical, title, text, QMessageBox::Ok | QMessageBox::Help,
                    m_parent);
    box.button(QMessageBox::Help)->setText(QStringLiteral("&Nápověda"));
    if (box.exec() == QMessageBox::Help && m_help)
        m_help(helpPage);
}

bool MessageBoxes::ask(const QString &title, const QString &text, Tone tone)
{
    QMessageBox box(m_parent);
    box.setWindowTitle(title);
    box.setText(text);
    switch (tone) {
    case Tone::Question:
        box.setIcon(QMessageBox::Question);
        break;
    case Tone::Warning:
        box.setIcon(QMessageBox::Warning);
        break;
    case Tone::Critical:
        box.setIcon(QMessageBox::Critical);
        break;
    }
    box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
    box.setDefaultButton(QMessageBox::Yes);
    box.button(QMessageBox::Yes)->setText(QStringLiteral("&Ano"));
    box.button(QMessageBox::No)->setText(QStringLiteral("&Ne"));
    return box.exec() == QMessageBox::Yes;
}

Messages::Choice MessageBoxes::askYesNoCancel(const QString &title, const QString &text)
{
    QMessageBox box(QMessageBox::Question, title, text,
                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, m_parent);
    box.setDefaultButton(QMessageBox::Yes);
    box.button(QMessageBox::Yes)->setText(QStringLiteral("&Ano"));
    box.button(QMessageBox::No)->setText(QStringLiteral("&Ne"));
    box.button(QMessageBox::Cancel)->setText(QStringLiteral("Storno"));
    switch (box.exec()) {
    case QMessageBox::Yes:
        return Choice::Yes;
    case QMessageBox::No:
        return Choice::No;
    default:
        return Choice::Cancel;
    }
}

} // namespace tamvel
