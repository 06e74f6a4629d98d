#pragma once

#include "risks/Attachments.h"

#include <QWidget>

class QLineEdit;
class QTableView;

namespace tamvel {

class Database;
class FrmDilciUkol;
class Messages;

namespace codelists {
class BrowserHost;
}

namespace risks {
class SubTaskOverviewModel;
}

// "Dílčí úkoly - přehled": every sub-task of every risk, sorted by a header click, with
// the risk of the highlighted sub-task below. Read-only; "&Detail" shows one sub-task.
class FrmDilci : public QWidget
{
    Q_OBJECT

public:
    FrmDilci(Database &db, Messages &messages, codelists::BrowserHost &host,
             QWidget *parent = nullptr);
    ~FrmDilci() override;

    QTableView *grid() const { return m_grid; }
    int sortColumn() const { return m_sortColumn; }
    bool ascending() const { return m_ascending; }

    // As a click on a column header: sorts by it and toggles the direction.
    void sortBy(int column);
    // "&Detail": the mode word "zobrazitdu" and the sub-task dialog, read-only, on the
    // highlighted sub-task; nullptr when the grid is empty.
    FrmDilciUkol *openDetail();

public slots:
    // Re-reads every sub-task, keeping the highlighted one.
    void activated();

protected:
    void changeEvent(QEvent *event) override;

private:
    void showPopup(const QPoint &pos);
    void rowChanged();
    void showRisk(qint64 id);
    void select(int row);

    Database &m_db;
    Messages &m_messages;
    codelists::BrowserHost &m_host;
    QTableView *m_grid;
    risks::SubTaskOverviewModel *m_model;
    QVector<QLineEdit *> m_riskBoxes;
    QVector<risks::SubTask> m_detail;
    int m_sortColumn = 0;
    bool m_ascending = true;
    bool m_filling = false;
    bool m_hasActive = false;
    qint64 m_activeRisk = 0;
    risks::SubTask m_active;
    qint64 m_shownRisk = -1;
};

} // namespace tamvel
