#pragma once

#include "core/EditMode.h"

#include <QString>
#include <QStringList>
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

// The outcome of "Uložit": whether the editor closes, or which input gets the focus.
struct SaveResult
{
    bool close = false;
    int focus = -1;         // input to focus when the editor stays open
    bool selectAll = false; // ...with its whole text selected
    QStringList activeKey;  // the entry the browser selects next; empty: as it was
};

using SaveFunction = std::function<SaveResult(Database &, EditMode, const QStringList &oldValues,
                                              const QStringList &newValues, Messages &)>;

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
    int browserWidth = 5070; // twips
    int browserHeight = 2850;

    QString editorName;
    QString editorTitle; // followed by the mode's caption suffix
    QString frameName;
    QString frameCaption;
    QVector<Input> inputs;
    SaveFunction save;
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
