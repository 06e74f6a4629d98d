#include "risks/FrmDilciUkol.h"

#include "core/DateText.h"
#include "ui/DateField.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace tamvel {

using namespace risks;

FrmDilciUkol::FrmDilciUkol(EditMode mode, QVector<SubTask> &list, int row, Messages &messages,
                           QWidget *parent)
    : QDialog(parent), m_mode(mode), m_list(list), m_row(row), m_messages(messages),
      m_task(new QLineEdit(this)),
      m_deadline(new DateField(QStringLiteral("medDilciTermin"), QStringLiteral("cmdDilciKalendar"),
                               &messages, this)),
      m_responsible(new QLineEdit(this)), m_save(new QPushButton(this))
{
    setObjectName(QStringLiteral("frmDilciUkol"));
    setWindowTitle(subTaskCaption(mode));
    setModal(true);

    m_task->setObjectName(QStringLiteral("txtUkol"));
    m_task->setMaxLength(SubTaskTaskLength);
    m_responsible->setObjectName(QStringLiteral("txtZodpovida"));
    m_responsible->setMaxLength(SubTaskResponsibleLength);

    const bool locked = subTaskLocked(mode);
    m_task->setReadOnly(locked);
    m_responsible->setReadOnly(locked);
    m_deadline->setLocked(locked);

    if (mode != EditMode::New && row >= 0 && row < list.size()) {
        m_task->setText(list[row].task);
        m_deadline->setDate(list[row].deadline);
        m_responsible->setText(list[row].responsible);
    }

    auto *form = new QFormLayout;
    auto addRow = [&](const QString &caption, QWidget *field, QWidget *focus) {
        auto *label = new QLabel(caption, this);
        label->setBuddy(focus);
        form->addRow(label, field);
    };
    addRow(QStringLiteral("Úkol :"), m_task, m_task);
    addRow(QStringLiteral("Termín :"), m_deadline, m_deadline->edit());
    addRow(QStringLiteral("Zodpovídá :"), m_responsible, m_responsible);

    m_save->setObjectName(QStringLiteral("cmdUlozit"));
    m_save->setText(subTaskButtonText(mode));
    m_save->setVisible(!subTaskButtonText(mode).isEmpty());
    m_save->setAutoDefault(false);
    auto *cancel = new QPushButton(QStringLiteral("Storno"), this);
    cancel->setObjectName(QStringLiteral("cmdStorno"));
    cancel->setAutoDefault(false);
    connect(m_save, &QPushButton::clicked, this, &FrmDilciUkol::save);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_save);
    buttons->addWidget(cancel);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addStretch();
    layout->addLayout(buttons);
    setMinimumWidth(m_task->fontMetrics().averageCharWidth() * 90);
}

void FrmDilciUkol::save()
{
    const SubTaskResult result = applySubTask(
        m_list, m_mode, m_row, {m_task->text(), m_deadline->edit()->text(), m_responsible->text()},
        m_messages);
    if (result.changed) {
        emit saved();
        accept();
        return;
    }
    switch (result.focus) {
    case SubTaskField::Task:
        m_task->setFocus();
        break;
    case SubTaskField::Deadline:
        m_deadline->edit()->setFocus();
        break;
    case SubTaskField::Responsible:
        m_responsible->setFocus();
        break;
    case SubTaskField::None:
        break;
    }
}

} // namespace tamvel
