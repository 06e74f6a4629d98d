#pragma once

#include "codelists/SystemPaths.h"

#include <QString>
#include <QStringList>
#include <QVector>

#include <vector>

namespace tamvel {

class Database;
class Messages;

namespace systems {

// The worker/activity every system has; it never leaves a system's list.
QString others();
// The caption of the top-level node that holds the systems whose parent never appears in
// the tree; the node is not a row of `systemy`.
QString unassigned();

// One row of `systemy`.
struct SystemRow
{
    QString name;
    QString parent; // "" for a root
};

// All systems in Czech order of names.
QVector<SystemRow> loadSystems(Database &db);

struct TreeNode
{
    QString name;
    bool unassigned = false; // the "nezařazené" node
    std::vector<TreeNode> children;
};
using Tree = std::vector<TreeNode>;

// The tree of the rows: the roots first, every system under its parent, children in the
// order of the rows. Systems that no root reaches (their parent is missing, or they are
// their own ancestor) go under one last "nezařazené" node: a system of a cycle and a
// system with a missing parent directly, the systems below them under them.
Tree buildTree(const QVector<SystemRow> &rows);
Tree loadTree(Database &db);

// "123", " 7 ", "12,5", "-3", "1 000": a name that is a number as a whole.
bool readsAsNumber(const QString &name);

// What the systems window edits.
struct SystemData
{
    QString name;
    QString parent; // "" for a root
    QStringList workers;

    bool operator==(const SystemData &other) const
    {
        return name == other.name && parent == other.parent && workers == other.workers;
    }
};

// A stored system with its workers in Czech order; an empty name when it is gone.
SystemData loadSystem(Database &db, const QString &name);

enum class Outcome {
    Saved,     // written
    Refused,   // a check failed and its message was shown
    Cancelled, // the user answered No
    Failed,    // the engine failed; its message was shown, nothing was written
};

struct SaveResult
{
    Outcome outcome = Outcome::Refused;
    bool focusName = false; // the name is what has to change
    QString system;         // the saved system (its new name)

    bool saved() const { return outcome == Outcome::Saved; }
};

// The saves of the systems window; each writes in one transaction or not at all, asks and
// tells through messages. The rules that depend on other systems (a name taken, a parent
// gone or below) are checked again inside the transaction, where no other copy can write.
SaveResult saveNew(Database &db, const SystemData &system, Messages &messages);
// `loaded` is the system as the window showed it before the changes (loadSystem()). Throws
// ChangedMeanwhile, and writes nothing, when it is no longer stored so; nothing else.
SaveResult saveChanges(Database &db, const SystemData &loaded, const SystemData &edited,
                       Messages &messages);
SaveResult deleteSystem(Database &db, const SystemData &loaded, Messages &messages);

// Staffing.
// Trimmed, without blanks or repeats, "ostatní" always in.
QStringList withOthers(const QStringList &workers);
void sortCzech(QStringList &names);
QStringList workersOf(Database &db, const QString &system);
// Every worker/activity of `pracovnici` not in the list, in Czech order.
QStringList possibleWorkers(Database &db, const QStringList &inSystem);
bool workerInOpenRisks(Database &db, const QString &system, const QString &worker);
// Whether a worker may leave a system's list: "ostatní" never does (silently); a worker of
// open risks of the system is refused with a message.
bool mayRemoveWorker(Database &db, const QString &system, const QString &worker,
                     Messages &messages);

// The path check: shows the message for the first system whose path is too long; true when
// every path fits.
bool checkPathLengths(Database &db, Messages &messages);
QString tooLongText(const QString &system);

} // namespace systems
} // namespace tamvel
