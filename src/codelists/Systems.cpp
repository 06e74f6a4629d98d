#include "codelists/Systems.h"

#include "core/Messages.h"
#include "db/Database.h"
#include "db/RiskState.h"

#include <QCollator>
#include <QDate>
#include <QHash>
#include <QLocale>
#include <QRegularExpression>
#include <QSet>

#include <algorithm>

namespace tamvel::systems {

namespace {

QString title()
{
    return QStringLiteral("Systém");
}

template <class Work> SaveResult trapped(Messages &messages, Work &&work)
{
    try {
        return work();
    } catch (const ChangedMeanwhile &) {
        throw; // the window asks what to do
    } catch (const DbError &e) {
        // A failed statement rolled the whole save back; the window stays as it was.
        showEngineError(messages, e);
        return {Outcome::Failed, false, {}};
    }
}

SaveResult refused(bool focusName = false)
{
    return {Outcome::Refused, focusName, {}};
}

bool systemExists(Database &db, const QString &name)
{
    return db.exists(QStringLiteral("SELECT 1 FROM systemy WHERE system = ?"), {name});
}

struct Refusal
{
    QString text;
    bool focusName = false;
};

SaveResult refuse(const Refusal &refusal, Messages &messages)
{
    messages.fail(title(), refusal.text);
    return refused(refusal.focusName);
}

// The first rule a typed name and parent break: the name filled in, not a number, not another
// system's; a chosen parent that exists and is neither the system nor below it. `loaded` is
// null for a new system.
std::optional<Refusal> nameOrParentRefusal(Database &db, const SystemData *loaded,
                                           const QString &name, const QString &parent)
{
    if (name.isEmpty())
        return Refusal{QStringLiteral("Název systému musí být vyplněn!"), true};
    if (readsAsNumber(name))
        return Refusal{QStringLiteral("Název systému musí obsahovat alespoň 1 nenumerický znak! "),
                       true};
    if ((!loaded || name != loaded->name) && systemExists(db, name))
        return Refusal{QStringLiteral("Systém '") + name + QStringLiteral("' již existuje!!!"),
                       true};
    const Refusal missingParent{QStringLiteral("Nadřazený systém '") + parent +
                                QStringLiteral("' již neexistuje!")};
    if (!loaded) {
        if (!parent.isEmpty() && !systemExists(db, parent))
            return missingParent;
        return std::nullopt;
    }
    if (parent != loaded->parent && !parent.isEmpty()) {
        const ParentMap parents = loadParents(db);
        if (parent == loaded->name || descendants(loaded->name, parents).contains(parent))
            return Refusal{QStringLiteral("Systém nelze přesunout pod sebe sama ani pod svůj "
                                          "podřízený systém!")};
        if (!parents.contains(parent))
            return missingParent;
    }
    return std::nullopt;
}

// Inside the write's transaction: another copy may have renamed, moved, restaffed or deleted
// the system, or deleted it and created one of the same name, since the window loaded it.
void requireAsLoaded(Database &db, const SystemData &loaded)
{
    if (!(loadSystem(db, loaded.name) == loaded))
        throw ChangedMeanwhile();
}

bool hasChildren(Database &db, const QString &name)
{
    return db.exists(
        QStringLiteral("SELECT 1 FROM systemy WHERE system_nadrazeny = ? AND system <> ?"),
        {name, name});
}

void writeWorkers(Database &db, const QString &system, const QStringList &workers)
{
    // Rows that a system of this name once left behind would break the table's key.
    db.execute(QStringLiteral("DELETE FROM system_pracovnik WHERE system = ?"), {system});
    for (const QString &worker : workers)
        db.execute(QStringLiteral("INSERT INTO system_pracovnik (system, pracovnik) VALUES (?, ?)"),
                   {system, worker});
}

} // namespace

QString others()
{
    return QStringLiteral("ostatní");
}

QString unassigned()
{
    return QStringLiteral("nezařazené");
}

QVector<SystemRow> loadSystems(Database &db)
{
    QVector<SystemRow> result;
    db.forEach(
        QStringLiteral("SELECT system, system_nadrazeny FROM systemy ORDER BY system COLLATE CS"),
        {}, [&](const RowView &row) {
            result.append({row.value(0).toString(), row.value(1).toString()});
        });
    return result;
}

Tree buildTree(const QVector<SystemRow> &rows)
{
    const int count = int(rows.size());
    QHash<QString, int> indexOf;
    indexOf.reserve(count);
    for (int i = 0; i < count; ++i)
        indexOf.insert(rows[i].name, i);
    QHash<QString, QVector<int>> childrenOf;
    for (int i = 0; i < count; ++i)
        if (!rows[i].parent.isEmpty())
            childrenOf[rows[i].parent].append(i);
    const auto parentIndex = [&](int i) {
        return rows[i].parent.isEmpty() ? -1 : indexOf.value(rows[i].parent, -1);
    };

    std::vector<bool> placed(size_t(count), false);
    std::vector<bool> onCycle(size_t(count), false);
    // Places everything below the node that is not placed yet. A node's children are all
    // added before pointers to them are taken, so the pointers stay valid.
    const auto fill = [&](TreeNode &top) {
        std::vector<TreeNode *> pending{&top};
        while (!pending.empty()) {
            TreeNode *node = pending.back();
            pending.pop_back();
            for (int child : childrenOf.value(node->name)) {
                if (placed[size_t(child)] || onCycle[size_t(child)])
                    continue;
                placed[size_t(child)] = true;
                node->children.push_back(TreeNode{rows[child].name, false, {}});
            }
            for (TreeNode &child : node->children)
                pending.push_back(&child);
        }
    };

    Tree tree;
    for (int i = 0; i < count; ++i) {
        if (rows[i].parent.isEmpty()) {
            placed[size_t(i)] = true;
            tree.push_back(TreeNode{rows[i].name, false, {}});
        }
    }
    for (TreeNode &root : tree)
        fill(root);

    // What no root reaches either has a missing parent or climbs into a cycle. Each walk
    // up marks its systems, so every system is visited once however long the chains are.
    std::vector<char> state(size_t(count), 0); // 0 not seen, 1 on this walk, 2 done
    for (int i = 0; i < count; ++i) {
        if (placed[size_t(i)] || state[size_t(i)] != 0)
            continue;
        std::vector<int> walk;
        int current = i;
        while (current >= 0 && state[size_t(current)] == 0) {
            state[size_t(current)] = 1;
            walk.push_back(current);
            current = parentIndex(current);
        }
        if (current >= 0 && state[size_t(current)] == 1) {
            const auto start = std::find(walk.begin(), walk.end(), current);
            for (auto it = start; it != walk.end(); ++it)
                onCycle[size_t(*it)] = true;
        }
        for (int visited : walk)
            state[size_t(visited)] = 2;
    }
    TreeNode rest{unassigned(), true, {}};
    for (int i = 0; i < count; ++i) {
        if (!placed[size_t(i)] && (parentIndex(i) < 0 || onCycle[size_t(i)])) {
            placed[size_t(i)] = true;
            rest.children.push_back(TreeNode{rows[i].name, false, {}});
        }
    }
    if (!rest.children.empty()) {
        for (TreeNode &top : rest.children)
            fill(top);
        tree.push_back(std::move(rest));
    }
    return tree;
}

Tree loadTree(Database &db)
{
    return buildTree(loadSystems(db));
}

bool readsAsNumber(const QString &name)
{
    // A sign, digits in groups parted by blanks, one decimal comma or point.
    static const QRegularExpression number(
        QStringLiteral("^[+-]?\\s*(\\d+([\\s\\x{00A0}]\\d+)*([.,]\\d*)?|[.,]\\d+)$"));
    return number.match(name.trimmed()).hasMatch();
}

SystemData loadSystem(Database &db, const QString &name)
{
    SystemData data;
    const Rows rows = db.query(
        QStringLiteral("SELECT system, system_nadrazeny FROM systemy WHERE system = ?"), {name});
    if (rows.isEmpty())
        return data;
    data.name = rows.at(0, 0).toString();
    data.parent = rows.at(0, 1).toString();
    data.workers = workersOf(db, name);
    return data;
}

SaveResult saveNew(Database &db, const SystemData &system, Messages &messages)
{
    return trapped(messages, [&]() -> SaveResult {
        const QString name = system.name.trimmed();
        if (const std::optional<Refusal> refusal =
                nameOrParentRefusal(db, nullptr, name, system.parent))
            return refuse(*refusal, messages);
        std::optional<Refusal> refusal;
        {
            Transaction transaction(db);
            refusal = nameOrParentRefusal(db, nullptr, name, system.parent);
            if (!refusal) {
                db.execute(
                    QStringLiteral("INSERT INTO systemy (system_nadrazeny, system) VALUES (?, ?)"),
                    {system.parent, name});
                writeWorkers(db, name, withOthers(system.workers));
                transaction.commit();
                return {Outcome::Saved, false, name};
            }
        }
        return refuse(*refusal, messages);
    });
}

SaveResult saveChanges(Database &db, const SystemData &loaded, const SystemData &edited,
                       Messages &messages)
{
    return trapped(messages, [&]() -> SaveResult {
        const QString old = loaded.name;
        const QString name = edited.name.trimmed();
        const bool renamed = name != old;
        const QString parent = edited.parent;
        if (const std::optional<Refusal> refusal = nameOrParentRefusal(db, &loaded, name, parent))
            return refuse(*refusal, messages);

        const QStringList workers = withOthers(edited.workers);
        for (const QString &worker : loaded.workers)
            if (!workers.contains(worker) && !mayRemoveWorker(db, old, worker, messages))
                return refused();

        if (renamed &&
            db.scalarInt(QStringLiteral("SELECT count(*) FROM rizika WHERE system = ?"), {old}) >
                0 &&
            !messages.ask(title(),
                          QStringLiteral("Pozor, tento systém je používán!!! Pokud budete se "
                                         "změnou souhlasit, bude provedena ve všech neuzavřených "
                                         "položkách rizik.)"),
                          Messages::Tone::Warning))
            return {Outcome::Cancelled, false, {}};

        std::optional<Refusal> refusal;
        bool written = false;
        {
            Transaction transaction(db);
            requireAsLoaded(db, loaded);
            refusal = nameOrParentRefusal(db, &loaded, name, parent);
            if (!refusal) {
                if (renamed)
                    db.execute(
                        QStringLiteral("UPDATE rizika SET system = ? WHERE system = ? AND ") +
                            OpenRiskCondition,
                        {name, old});
                written = db.execute(QStringLiteral("UPDATE systemy SET system_nadrazeny = ?, "
                                                    "system = ? WHERE system = ?"),
                                     {parent, name, old}) == 1;
            }
            if (written) {
                if (renamed) {
                    db.execute(QStringLiteral("UPDATE systemy SET system_nadrazeny = ? WHERE "
                                              "system_nadrazeny = ?"),
                               {name, old});
                    db.execute(QStringLiteral("DELETE FROM system_pracovnik WHERE system = ?"),
                               {old});
                }
                writeWorkers(db, name, workers);
                // A new name or parent changes the path of every system below as well.
                refreshOpenRiskPathsOfBranch(db, name);
                transaction.commit();
                return {Outcome::Saved, false, name};
            }
        }
        if (refusal)
            return refuse(*refusal, messages);
        showWriteError(messages, 0);
        return {Outcome::Failed, false, {}};
    });
}

SaveResult deleteSystem(Database &db, const SystemData &loaded, Messages &messages)
{
    return trapped(messages, [&]() -> SaveResult {
        const QString name = loaded.name;
        // Only a leaf goes: the systems below would lose their place in the tree.
        const Refusal parentOfOthers{QStringLiteral("Systém '") + name +
                                     QStringLiteral("' obsahuje podřízené systémy a nelze jej "
                                                    "vymazat!")};
        if (hasChildren(db, name))
            return refuse(parentOfOthers, messages);
        const bool openRisks = db.exists(
            QStringLiteral("SELECT 1 FROM rizika WHERE system = ? AND ") + OpenRiskCondition,
            {name});
        if (openRisks &&
            !messages.ask(title(),
                          QStringLiteral("Tento systém obsahuje neuzavřená rizika! Chcete přesto "
                                         "tento systém zrušit (všechna rizika budou uzavřena)? "),
                          Messages::Tone::Warning))
            return {Outcome::Cancelled, false, {}};

        bool childrenNow = false;
        {
            Transaction transaction(db);
            requireAsLoaded(db, loaded);
            // Another copy may have moved a system below it meanwhile.
            childrenNow = hasChildren(db, name);
            // The closed risks keep the system's name and path.
            if (!childrenNow && openRisks)
                db.execute(QStringLiteral("UPDATE rizika SET opatreni_splneno = ?, "
                                          "napravna_opatreni = ? WHERE system = ? AND ") +
                               OpenRiskCondition,
                           {QDate::currentDate(), QStringLiteral("zrušení systému"), name});
            if (!childrenNow &&
                db.execute(QStringLiteral("DELETE FROM systemy WHERE system = ?"), {name}) == 1) {
                db.execute(QStringLiteral("DELETE FROM system_pracovnik WHERE system = ?"), {name});
                transaction.commit();
                return {Outcome::Saved, false, name};
            }
        }
        if (childrenNow)
            return refuse(parentOfOthers, messages);
        showWriteError(messages, 0);
        return {Outcome::Failed, false, {}};
    });
}

QStringList withOthers(const QStringList &workers)
{
    QStringList result;
    QSet<QString> seen;
    for (const QString &worker : workers) {
        if (worker.trimmed().isEmpty() || seen.contains(worker))
            continue;
        seen.insert(worker);
        result << worker;
    }
    if (!seen.contains(others()))
        result.prepend(others());
    return result;
}

void sortCzech(QStringList &names)
{
    QCollator collator{QLocale(QLocale::Czech, QLocale::CzechRepublic)};
    std::sort(names.begin(), names.end(),
              [&](const QString &a, const QString &b) { return collator.compare(a, b) < 0; });
}

QStringList workersOf(Database &db, const QString &system)
{
    QStringList result;
    const Rows rows = db.query(QStringLiteral("SELECT pracovnik FROM system_pracovnik WHERE "
                                              "system = ? ORDER BY pracovnik COLLATE CS"),
                               {system});
    for (int i = 0; i < rows.size(); ++i)
        result << rows.at(i, 0).toString();
    return result;
}

QStringList possibleWorkers(Database &db, const QStringList &inSystem)
{
    const QSet<QString> taken(inSystem.begin(), inSystem.end());
    QStringList result;
    const Rows rows =
        db.query(QStringLiteral("SELECT pracovnik FROM pracovnici ORDER BY pracovnik COLLATE CS"));
    for (int i = 0; i < rows.size(); ++i) {
        const QString worker = rows.at(i, 0).toString();
        if (!taken.contains(worker))
            result << worker;
    }
    return result;
}

bool workerInOpenRisks(Database &db, const QString &system, const QString &worker)
{
    return db.exists(
        QStringLiteral("SELECT 1 FROM rizika WHERE system = ? AND pracovnik = ? AND ") +
            OpenRiskCondition,
        {system, worker});
}

bool mayRemoveWorker(Database &db, const QString &system, const QString &worker, Messages &messages)
{
    if (worker == others())
        return false;
    if (workerInOpenRisks(db, system, worker)) {
        messages.warn(QStringLiteral("Pracovník/činnost"),
                      QStringLiteral("Pracovníka/činnost ") + worker +
                          QStringLiteral(" z tohoto systému nelze odebrat (je zavedena v "
                                         "neuzavřených položkách rizik) !!! "));
        return false;
    }
    return true;
}

QString tooLongText(const QString &system)
{
    return QStringLiteral("Strom systémů se systémem '") + system +
           QStringLiteral("' přesahuje maximální povolenou délku. Upravte systém/strom systémů.");
}

bool checkPathLengths(Database &db, Messages &messages)
{
    std::optional<QString> tooLong;
    try {
        tooLong = firstTooLongPath(db);
    } catch (const DbError &e) {
        // An unreadable tree is reported but never holds the window open.
        showEngineError(messages, e);
        return true;
    }
    if (tooLong)
        messages.fail(title(), tooLongText(*tooLong));
    return !tooLong;
}

} // namespace tamvel::systems
