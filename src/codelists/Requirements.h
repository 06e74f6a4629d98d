#pragma once

#include <QString>
#include <QStringList>
#include <QVector>

#include <optional>

namespace tamvel {

class Database;
class Messages;

namespace codelists {

// A regulation as the requirement windows list it.
struct LinkedRegulation
{
    qint64 id = 0;
    QString number;
    QString type;
    QString title;
    QString issued; // "dd.mm.yyyy" or empty
    QString note;
};

struct Requirement
{
    qint64 id = 0;
    QStringList parts; // the four parts of the text
    QVector<qint64> regulations;

    bool operator==(const Requirement &other) const
    {
        return id == other.id && parts == other.parts && regulations == other.regulations;
    }
};

// The numbers of all requirements in order: the navigation set of the catalogue.
QVector<qint64> requirementIds(Database &db);
// The parts as stored, the regulations in the order of their numbers.
std::optional<Requirement> loadRequirement(Database &db, qint64 id);
// The regulations, ordered by their number.
QVector<LinkedRegulation> linkedRegulations(Database &db, const QVector<qint64> &ids);
// The requirement's text as one line: the parts joined and trimmed.
QString requirementText(const QStringList &parts);

// The smallest number from 1 to 50000 that no requirement has.
std::optional<qint64> freeRequirementId(Database &db);

// "Uložit" of the catalogue, new (`loaded` with id 0) or edited: the guards for risks that use
// it, the duplicate test over the four parts, then the row and its regulation links in one
// transaction. Returns the saved requirement's number, or nothing when refused. `loaded` is the
// requirement as the catalogue loaded it; throws ChangedMeanwhile when it is no longer stored
// so (nothing written).
std::optional<qint64> saveRequirement(Database &db, const Requirement &loaded,
                                      const Requirement &edited, Messages &messages);

// "Vymazat": refused while open risks use it, asked, then deleted with its links; throws
// ChangedMeanwhile as saveRequirement() does.
bool deleteRequirement(Database &db, const Requirement &loaded, Messages &messages);

} // namespace codelists
} // namespace tamvel
