#pragma once

#include "core/EditMode.h"
#include "risks/Attachments.h"

#include <QString>
#include <QVector>

#include <optional>

namespace tamvel {

class Messages;

namespace risks {

// "Dílčí úkol (Nový záznam)" and the like.
QString subTaskCaption(EditMode mode);
// "Uložit" or "Vymazat"; empty when the main button is hidden.
QString subTaskButtonText(EditMode mode);
// Inputs locked and the calendar button disabled.
bool subTaskLocked(EditMode mode);

// The field sizes of dilci_ukoly and the capacity of the risk editor's list.
inline constexpr int SubTaskTaskLength = 250;
inline constexpr int SubTaskResponsibleLength = 50;
inline constexpr int MaxSubTasks = 1000;

// What the dialog holds, the deadline as typed ("dd.mm.yyyy" or the empty mask).
struct SubTaskInput
{
    QString task;
    QString deadline;
    QString responsible;
};

enum class SubTaskField { None, Task, Deadline, Responsible };

struct SubTaskResult
{
    bool changed = false;                    // the list was changed: the dialog closes
    SubTaskField focus = SubTaskField::None; // where a refusal puts the focus
};

// The dialog's main button: checks the input and adds (New), overwrites (Edit) or removes
// (Delete) the row at `row` of the risk's in-memory list. Refusals are shown through
// messages and leave the list as it was. The display modes change nothing.
SubTaskResult applySubTask(QVector<SubTask> &list, EditMode mode, int row,
                           const SubTaskInput &input, Messages &messages);

} // namespace risks
} // namespace tamvel
