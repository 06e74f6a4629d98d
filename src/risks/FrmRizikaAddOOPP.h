#pragma once

#include "risks/Attachments.h"

#include <QDialog>

class QListWidget;

namespace tamvel {

class Database;
class Messages;

// The equipment chooser "frmRizikaAddOOPP": offers the equipment not yet listed with the
// flag ("a" provided, "n" missing) and adds the selected ones to the risk's in-memory list.
class FrmRizikaAddOOPP : public QDialog
{
    Q_OBJECT

public:
    // `lines` must outlive the dialog.
    FrmRizikaAddOOPP(Database &db, Messages &messages, QVector<risks::EquipmentLine> &lines,
                     const QString &flag, QWidget *parent = nullptr);

    QListWidget *list() const { return m_list; }

    // "Přidat": adds the selected lines, emits added() when there were any, and closes.
    void add();

signals:
    void added(int count);

private:
    QVector<risks::EquipmentLine> &m_lines;
    QString m_flag;
    QListWidget *m_list;
};

} // namespace tamvel
