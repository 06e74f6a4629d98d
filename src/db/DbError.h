#pragma once

#include <QByteArray>
#include <QString>

#include <exception>

namespace tamvel {

// An engine failure: the engine's error number (SQLite result code) and its text.
class DbError : public std::exception
{
public:
    DbError(int code, QString text);

    int code() const noexcept { return m_code; }
    const QString &text() const noexcept { return m_text; }

    // Another connection holds a lock that did not go away within the busy timeout.
    bool isBusy() const noexcept;

    // "text (chyba N)" for messages that show the engine's error.
    QString describe() const;

    const char *what() const noexcept override { return m_what.constData(); }

private:
    int m_code;
    QString m_text;
    QByteArray m_what;
};

class Messages;

// The common error trap: the engine's text and number in a message box.
void showEngineError(Messages &messages, const DbError &error);

// A write that did not change exactly one row: "Nepředpokládaná chyba" with the number.
void showWriteError(Messages &messages, int errorNumber,
                    const QString &what = QStringLiteral("Řádek nebyl vložen"));

} // namespace tamvel
