#include "ui/BusyCursor.h"

#include <QCursor>
#include <QGuiApplication>

namespace tamvel {

BusyCursor::BusyCursor(Messages &inner) : m_inner(inner)
{
    QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
}

BusyCursor::~BusyCursor()
{
    QGuiApplication::restoreOverrideCursor();
}

template <class Show> auto BusyCursor::paused(Show &&show)
{
    QGuiApplication::restoreOverrideCursor();
    struct Resume
    {
        ~Resume() { QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor)); }
    } resume;
    return show();
}

void BusyCursor::inform(const QString &title, const QString &text)
{
    paused([&] { m_inner.inform(title, text); });
}

void BusyCursor::warn(const QString &title, const QString &text)
{
    paused([&] { m_inner.warn(title, text); });
}

void BusyCursor::fail(const QString &title, const QString &text)
{
    paused([&] { m_inner.fail(title, text); });
}

void BusyCursor::failWithHelp(const QString &title, const QString &text, const QString &helpPage)
{
    paused([&] { m_inner.failWithHelp(title, text, helpPage); });
}

bool BusyCursor::ask(const QString &title, const QString &text, Tone tone)
{
    return paused([&] { return m_inner.ask(title, text, tone); });
}

} // namespace tamvel
