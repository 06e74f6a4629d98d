#pragma once

#include "core/EditMode.h"
#include "core/Prompts.h"

#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>

#include <functional>
#include <optional>

namespace tamvel {

class Database;
class Messages;

namespace codelists {

// " (Nový záznam)", " (Upravit záznam)", " (Vymazat záznam)", " (Zobrazit záznam)"
QString captionSuffix(EditMode mode);

// How a stored value is shown: text as it is, tenths with one decimal comma, whole numbers.
enum class Display { Text, Tenths, Whole, Date };
QString display(const QVariant &stored, Display how);
// "12,5" or "12.5" → 125: the integer part of ten times the number, exactly; empty when the
// text is not a number.
std::optional<qint64> tenthsOf(const QString &text);

struct Column
{
    QString header;
    QString field;
    Display display = Display::Text;
};

enum class InputKind { Text, Tenths, Whole, Category };

// An input of an editor; it shows the browser column of the same index.
struct Input
{
    QString objectName;
    QString label;
    InputKind kind = InputKind::Text;
    int maxLength = 50;
};

// A statement of a save, run in the save's transaction.
struct Statement
{
    QString sql;
    QVariantList values;
};

// What "Uložit" of an editor will do, decided without asking: the prompts the editor shows
// first, then either nothing to write or the statements commitSave() writes.
struct SavePlan
{
    QVector<Prompt> prompts; // in order; a refusal comes last
    int focus = -1;          // after a refusal: the input to focus
    bool selectAll = false;  // ...with its whole text selected
    bool unchanged = false;  // nothing to write: the editor just closes
    QVector<Statement> cascade;
    Statement entry;       // the entry's own statement: it must change exactly one row
    QStringList activeKey; // the entry the browser selects next; empty: as it was
    // For an edit or a delete: whether the record is still stored as the editor loaded it,
    // asked first inside the commit's transaction. Empty for a new record.
    std::function<bool(Database &)> asLoaded;
};

using CheckFunction = std::function<SavePlan(Database &, EditMode, const QStringList &oldValues,
                                             const QStringList &newValues)>;

// Writes a plan: the cascade and the entry's statement in one transaction, kept only when the
// entry changed exactly one row. False when it did not (nothing kept); throws ChangedMeanwhile
// when the record is no longer stored as loaded, DbError for any other failure (nothing kept).
bool commitSave(Database &db, const SavePlan &plan);

// One code list: its table, how it is browsed and how its editor saves.
struct CodeList
{
    QString table;
    QVector<Column> columns;
    QVector<int> keyColumns = {0}; // the columns that find an entry
    QString keyField;              // when set, a field not shown finds an entry instead
    int initialSortColumn = 0;
    QString hiddenEntry; // never listed (workers: "ostatní")

    QString browserName;
    QString browserCaption;
    QString gridName;
    QString popupName;
    QString pickItem;        // a picker's only popup item (after the popup's name), e.g. "Pridat"
    int browserWidth = 5070; // twips
    int browserHeight = 2850;

    QString editorName;
    QString editorTitle; // followed by the mode's caption suffix
    QString frameName;
    QString frameCaption;
    QVector<Input> inputs;
    CheckFunction check;
};

// The code lists maintained with the browser and editor pattern.
const QVector<CodeList> &members();
const CodeList *memberByBrowser(const QString &browserName);
// The regulations browser again, as the picker of the requirements catalogue.
const CodeList &regulationPicker();

// A browser's rows: the key of each entry and the texts shown, in the chosen order (Czech
// order for text).
struct Listing
{
    QVector<QStringList> keys;
    QVector<QStringList> shown;
};
Listing list(Database &db, const CodeList &codeList, int sortColumn, bool ascending);

// The values an editor shows for an entry (as the browser shows them); empty when the entry
// is gone.
QStringList load(Database &db, const CodeList &codeList, const QStringList &key);

} // namespace codelists
} // namespace tamvel
