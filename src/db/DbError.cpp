#include "db/DbError.h"

#include "core/Messages.h"

#include <sqlite3.h>

namespace tamvel {

DbError::DbError(int code, QString text)
    : m_code(code), m_text(std::move(text)), m_what(describe().toUtf8())
{
}

bool DbError::isBusy() const noexcept
{
    const int primary = m_code & 0xff;
    return primary == SQLITE_BUSY || primary == SQLITE_LOCKED;
}

QString DbError::describe() const
{
    return QStringLiteral("%1 (chyba %2)").arg(m_text).arg(m_code);
}

void showEngineError(Messages &messages, const DbError &error)
{
    messages.fail(QStringLiteral("Tamvel"), error.describe());
}

void showWriteError(Messages &messages, int errorNumber, const QString &what)
{
    messages.fail(QStringLiteral("Nepředpokládaná chyba"),
                  QStringLiteral("%1 z důvodu chyby: %2. Kontaktujte administrátora úlohy !")
                      .arg(what)
                      .arg(errorNumber));
}

} // namespace tamvel
