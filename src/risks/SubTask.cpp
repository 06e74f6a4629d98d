#include "risks/SubTask.h"

#include "core/DateText.h"
#include "core/Messages.h"

namespace tamvel::risks {

namespace {

struct ModeText
{
    EditMode mode;
    const char *caption;
    const char *button;
};

const ModeText Modes[] = {
    {EditMode::New, "Dílčí úkol (Nový záznam)", "Uložit"},
    {EditMode::Edit, "Dílčí úkol (Upravit záznam)", "Uložit"},
    {EditMode::Delete, "Dílčí úkol (Vymazat záznam)", "Vymazat"},
    {EditMode::View, "Dílčí úkol (Zobrazit záznam)", ""},
    {EditMode::ViewFromOverview, "Dílčí úkol (Zobrazit záznam)", ""},
};

const ModeText &textOf(EditMode mode)
{
    for (const ModeText &text : Modes)
        if (text.mode == mode)
            return text;
    return Modes[0];
}

SubTaskResult refuse(SubTaskField field)
{
    return SubTaskResult{false, field};
}

} // namespace

QString subTaskCaption(EditMode mode)
{
    return QString::fromUtf8(textOf(mode).caption);
}

QString subTaskButtonText(EditMode mode)
{
    return QString::fromUtf8(textOf(mode).button);
}

bool subTaskLocked(EditMode mode)
{
    return mode != EditMode::New && mode != EditMode::Edit;
}

SubTaskResult applySubTask(QVector<SubTask> &list, EditMode mode, int row,
                           const SubTaskInput &input, Messages &messages)
{
    const bool rowExists = row >= 0 && row < list.size();
    if (mode == EditMode::Delete) {
        if (!rowExists)
            return refuse(SubTaskField::None);
        list.remove(row);
        return SubTaskResult{true, SubTaskField::None};
    }
    if (mode != EditMode::New && !(mode == EditMode::Edit && rowExists))
        return refuse(SubTaskField::None);

    const SubTask entered{input.task.trimmed(), QDate(), input.responsible.trimmed()};
    if (entered.task.isEmpty()) {
        messages.warn(QStringLiteral("Úkol"), QStringLiteral("Nutno zadat úkol"));
        return refuse(SubTaskField::Task);
    }
    if (entered.responsible.isEmpty()) {
        messages.warn(QStringLiteral("Zodpovídá"), QStringLiteral("Nutno zadat pole Zodpovídá"));
        return refuse(SubTaskField::Responsible);
    }
    const std::optional<QDate> deadline = dateOfText(input.deadline);
    if (deadline && deadline->isNull()) {
        messages.warn(QStringLiteral("Termín"), QStringLiteral("Nutno zadat Termín"));
        return refuse(SubTaskField::Deadline);
    }
    // A date that the field's own check let through (e.g. saved with Enter) is refused
    // here with the same message rather than stored as no date.
    if (!deadline) {
        messages.warn(QStringLiteral("Datum"),
                      QStringLiteral("Zadejte datum ve tvaru DD.MM.RRRR !"));
        return refuse(SubTaskField::Deadline);
    }
    SubTask task = entered;
    task.deadline = *deadline;

    for (int i = 0; i < list.size(); ++i) {
        if (mode == EditMode::Edit && i == row)
            continue;
        if (list[i] == task) {
            messages.fail(QStringLiteral("Duplicita"), QStringLiteral("Duplicitní dílčí úkol"));
            return refuse(SubTaskField::Task);
        }
    }

    if (mode == EditMode::Edit) {
        list[row] = task;
        return SubTaskResult{true, SubTaskField::None};
    }
    // The risk editor stores at most this many; a further row would be lost silently.
    if (list.size() >= MaxSubTasks) {
        messages.warn(
            QStringLiteral("Dílčí úkol"),
            QStringLiteral("Riziko může mít nejvýše %1 dílčích úkolů !").arg(MaxSubTasks));
        return refuse(SubTaskField::Task);
    }
    list.append(task);
    return SubTaskResult{true, SubTaskField::None};
}

} // namespace tamvel::risks
