#pragma once

#include <QByteArray>
#include <QString>

#include <exception>

namespace tamvel {

// A failure of the database: the engine's error number (SQLite result code) and its text,
// or a failure the program found itself, told in Czech.
class DbError : public std::exception
{
public:
    // A failure the program describes itself; the text is Czech.
    DbError(int code, QString text);
    // A failure the engine reported, with the engine's own (English) text.
    static DbError fromEngine(int code, QString text);

    int code() const noexcept { return m_code; }
    const QString &text() const noexcept { return m_text; }

    // Another connection holds a lock that did not go away within the busy timeout.
    bool isBusy() const noexcept;

    // For messages: what happened in Czech, with the engine's text and number on a line below
    // ("text (chyba N)"); a failure of the program's own is its text with the number.
    QString describe() const;

    const char *what() const noexcept override { return m_what.constData(); }

private:
    DbError(int code, QString text, bool fromEngine);

    int m_code;
    QString m_text;
    bool m_fromEngine = false;
    QByteArray m_what;
};

// A save found the record it loaded changed or deleted by someone else since; nothing was
// written.
class ChangedMeanwhile : public DbError
{
public:
    ChangedMeanwhile();
};

class Messages;

// The common error trap: the engine's text and number in a message box.
void showEngineError(Messages &messages, const DbError &error);

// After ChangedMeanwhile: tells the user and asks whether to load the record as it is now
// (true) or to go back to the editor with the typed values (false).
bool askReloadAfterConflict(Messages &messages);

// A write that did not change exactly one row: "Nepředpokládaná chyba" with the number.
void showWriteError(Messages &messages, int errorNumber,
                    const QString &what = QStringLiteral("Řádek nebyl vložen"));

} // namespace tamvel
