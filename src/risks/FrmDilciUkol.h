#pragma once

#include "risks/SubTask.h"

#include <QDialog>

class QLineEdit;
class QPushButton;

namespace tamvel {

class DateField;
class Messages;

// The sub-task dialog "frmDilciUkol": shows one row of a risk's in-memory sub-task list
// and adds, changes or removes it by its mode. Nothing is written to the database.
class FrmDilciUkol : public QDialog
{
    Q_OBJECT

public:
    // `row` is the selected sub-task (ignored for New); `list` must outlive the dialog.
    FrmDilciUkol(EditMode mode, QVector<risks::SubTask> &list, int row, Messages &messages,
                 QWidget *parent = nullptr);

    EditMode mode() const { return m_mode; }
    QLineEdit *taskEdit() const { return m_task; }
    DateField *deadlineField() const { return m_deadline; }
    QLineEdit *responsibleEdit() const { return m_responsible; }

    // The main button: on success the list is changed, saved() is emitted and the dialog
    // is accepted; a refusal leaves it open with the focus on the field.
    void save();

signals:
    void saved();

private:
    EditMode m_mode;
    QVector<risks::SubTask> &m_list;
    int m_row;
    Messages &m_messages;
    QLineEdit *m_task;
    DateField *m_deadline;
    QLineEdit *m_responsible;
    QPushButton *m_save;
};

} // namespace tamvel
