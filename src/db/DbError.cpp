#include "db/DbError.h"

#include "core/Messages.h"

#include <sqlite3.h>

namespace tamvel {

namespace {

const QString ChangedText =
    QStringLiteral("Záznam mezitím změnil nebo vymazal jiný uživatel. Změny nebyly uloženy.");

// What an engine failure means for the user, by the engine's number (and text where the
// number says too little); empty when there is nothing better than the engine's text.
QString czechMeaning(int code, const QString &text)
{
    switch (code & 0xff) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return QStringLiteral(
            "Databázi právě upravuje jiný uživatel. Nic nebylo uloženo, zkuste to znovu.");
    case SQLITE_READONLY:
        return QStringLiteral("Do databáze nelze zapisovat: soubor nebo jeho složka je jen pro "
                              "čtení. Nic nebylo uloženo.");
    case SQLITE_FULL:
        return QStringLiteral("Na disku není místo. Nic nebylo uloženo.");
    case SQLITE_NOTADB:
        return QStringLiteral("Soubor není databáze programu Tamvel.");
    case SQLITE_CORRUPT:
        return QStringLiteral("Databáze je poškozená. Obnovte ji ze zálohy (Kopie databáze).");
    case SQLITE_CANTOPEN:
        return QStringLiteral("Soubor databáze nelze otevřít.");
    case SQLITE_IOERR:
        return QStringLiteral("Soubor databáze nelze číst nebo zapsat. Nic nebylo uloženo.");
    case SQLITE_PERM:
    case SQLITE_AUTH:
        return QStringLiteral("K databázi chybí oprávnění.");
    case SQLITE_CONSTRAINT:
        return QStringLiteral("Údaje porušují pravidla databáze (délka, povinná hodnota nebo "
                              "jedinečnost). Nic nebylo uloženo.");
    case SQLITE_ERROR:
        if (text.startsWith(QLatin1String("no such table")) ||
            text.startsWith(QLatin1String("no such column")))
            return QStringLiteral("Soubor je databáze jiného programu nebo jiné struktury.");
        break;
    default:
        break;
    }
    return QString();
}

} // namespace

DbError::DbError(int code, QString text) : DbError(code, std::move(text), false) {}

DbError::DbError(int code, QString text, bool fromEngine)
    : m_code(code), m_text(std::move(text)), m_fromEngine(fromEngine), m_what(describe().toUtf8())
{
}

DbError DbError::fromEngine(int code, QString text)
{
    return DbError(code, std::move(text), true);
}

bool DbError::isBusy() const noexcept
{
    const int primary = m_code & 0xff;
    return primary == SQLITE_BUSY || primary == SQLITE_LOCKED;
}

QString DbError::describe() const
{
    const QString engine = QStringLiteral("%1 (chyba %2)").arg(m_text).arg(m_code);
    const QString meaning = m_fromEngine ? czechMeaning(m_code, m_text) : QString();
    return meaning.isEmpty() ? engine : meaning + QLatin1Char('\n') + engine;
}

ChangedMeanwhile::ChangedMeanwhile() : DbError(SQLITE_ABORT, ChangedText) {}

void showEngineError(Messages &messages, const DbError &error)
{
    if (dynamic_cast<const ChangedMeanwhile *>(&error))
        messages.warn(QStringLiteral("Tamvel"), ChangedText);
    else
        messages.fail(QStringLiteral("Tamvel"), error.describe());
}

bool askReloadAfterConflict(Messages &messages)
{
    return messages.ask(QStringLiteral("Tamvel"),
                        ChangedText + QStringLiteral("\n\nNačíst záznam tak, jak je uložen teď? "
                                                     "(Ne: zpět k rozepsaným změnám)"),
                        Messages::Tone::Warning);
}

void showWriteError(Messages &messages, int errorNumber, const QString &what)
{
    messages.warn(QStringLiteral("Nepředpokládaná chyba"),
                  QStringLiteral("%1 z důvodu chyby: %2. Kontaktujte administrátora úlohy !")
                      .arg(what)
                      .arg(errorNumber));
}

} // namespace tamvel
