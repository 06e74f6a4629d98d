#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace tamvel {

class Database;
class Messages;

namespace risks {

// The width in twips the field-selection window gives a catalogue caption; 0 for a
// caption outside the catalogue.
int defaultColumnWidth(const QString &caption);
// A column set of the captions in the given order at their default widths; captions
// without a default width are left out.
QString columnSetOfCaptions(const QStringList &captions);
// The catalogue captions that a column set shows, in catalogue order. Whole captions
// only: "Cílová hodnota" does not choose "Cíl". An empty set shows the default columns.
QStringList chosenCaptions(const QString &columnSet);

// A stored set lies in three fields of 250 characters.
inline constexpr int ColumnSetPieceLength = 250;
inline constexpr int ColumnSetMaxLength = 3 * ColumnSetPieceLength;
// The name every user is offered and nobody saves or deletes here.
QString sharedColumnSetName();
QString columnSetTooLongMessage();

// Named column sets of one user in uzivatelske_nastaveni (typ "rizikagrd"). Engine
// failures throw DbError and leave the stored sets as they were.
class ColumnSetStore
{
public:
    ColumnSetStore(Database &db, QString user);

    // The user's own names and "default", each once, in Czech order.
    QStringList names();
    // The user has a set of this name (trimmed).
    bool isStored(const QString &name);
    // The user's own set of this name (trimmed) exactly as stored, for comparing; none when
    // there is none.
    std::optional<QString> stored(const QString &name);

    enum class Saved { Written, Kept, Refused };
    // Stores the set under the name, asking before it replaces a stored one. A set that
    // does not fit whole, an empty name and "default" are refused; nothing is written.
    // Writes only while the stored set of that name is still the one the user decided
    // about (none, or the one stored at the question): ChangedMeanwhile otherwise.
    Saved save(const QString &name, const QString &columnSet, Messages &messages);
    // The stored set of that name. For "default": the user's own, else administrator's,
    // else any user's "default" row (first by user name), so the choice never varies.
    std::optional<QString> restore(const QString &name);
    // Deletes the user's set while it is stored as `loaded` (stored() when the window listed
    // it): ChangedMeanwhile otherwise. False (after telling the user) when there is none.
    bool remove(const QString &name, const std::optional<QString> &loaded, Messages &messages);

private:
    Database &m_db;
    QString m_user;
};

} // namespace risks
} // namespace tamvel
