#pragma once

#include <QDate>
#include <QString>

#include <optional>

namespace tamvel {

// The masked date fields show "dd.mm.yyyy"; the empty mask is "__.__.____".
inline const QString EmptyDateMask = QStringLiteral("__.__.____");

inline QString dateText(const QDate &date)
{
    return date.isValid() ? date.toString(QStringLiteral("dd.MM.yyyy")) : EmptyDateMask;
}

// The date a masked field holds: a null QDate for the empty mask (or blanks), nothing when
// the day, month and year do not form a real calendar date.
inline std::optional<QDate> dateOfText(const QString &text)
{
    QString cleaned = text;
    cleaned.replace(QLatin1Char('_'), QLatin1Char(' '));
    if (cleaned.remove(QLatin1Char('.')).trimmed().isEmpty())
        return QDate();
    bool okDay = false, okMonth = false, okYear = false;
    const int day = text.mid(0, 2).trimmed().toInt(&okDay);
    const int month = text.mid(3, 2).trimmed().toInt(&okMonth);
    const int year = text.mid(6, 4).trimmed().toInt(&okYear);
    const QDate date(year, month, day);
    if (!okDay || !okMonth || !okYear || text.mid(6, 4).trimmed().size() != 4 || !date.isValid())
        return std::nullopt;
    return date;
}

} // namespace tamvel
