#pragma once

#include "codelists/CodeList.h"

#include <QDate>

namespace tamvel {

class Database;
class Messages;

namespace codelists {

// Regulation types: abbreviation and name; regulations store the name.
CodeList regulationTypes();
// Regulations: browsed as a code list, edited in their own editor (documents, a date).
CodeList regulations();

struct Regulation
{
    qint64 id = 0;
    QString type;
    QString number;
    QString title;
    QDate issued; // null: no date
    QString note;
    QStringList documents; // file names in the documents folder

    bool operator==(const Regulation &other) const;
};

std::optional<Regulation> loadRegulation(Database &db, qint64 id);

// The smallest number from 1 to 50000 that no regulation has; none when all are taken.
std::optional<qint64> freeRegulationId(Database &db);

// Fields of the regulation editor, for the focus after a refusal.
enum RegulationField { TypeField, NumberField, TitleField, IssuedField, NoteField };

// "Uložit" of the regulation editor: the regulation row with its whole document list, for
// commitSave(); a regulation that requirements name is not deleted.
SavePlan checkRegulation(Database &db, EditMode mode, const Regulation &old, const Regulation &now);

// The document buttons first need the documents folder; without it the user is told where
// to set it.
bool requireDocumentsFolder(const QString &folder, Messages &messages);

// The file name a picked document adds to the list: it must lie in the documents folder
// (letter case aside) and not be listed yet. Empty when nothing is added.
QString documentToAdd(const QString &pickedPath, const QString &folder, const QStringList &listed,
                      Messages &messages);

// The document's full path, or empty after telling the user that the file is missing.
QString documentToOpen(const QString &folder, const QString &fileName, Messages &messages);

// The names the document picker offers.
QStringList documentPatterns();

} // namespace codelists
} // namespace tamvel
