#pragma once

#include "core/EditMode.h"
#include "risks/RiskFilter.h"

#include <QAbstractTableModel>
#include <QWidget>

#include <functional>

class QLineEdit;
class QPushButton;
class QStatusBar;
class QTableView;

namespace tamvel {

class Database;
class Messages;

namespace codelists {
class BrowserHost;
}

namespace risks {

// The rows of the overview for the view; only the visible ones are ever painted.
class RiskGridModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    using QAbstractTableModel::QAbstractTableModel;

    void setGrid(RiskGrid grid);
    const RiskGrid &grid() const { return m_grid; }

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    RiskGrid m_grid;
};

// "Rizika - přehled": the listed risks, sorted by a header click, opened in the editor
// through the popup menu.
class FrmRizikaGrd : public QWidget
{
    Q_OBJECT

public:
    // Opens the risk editor in a mode on a risk; returns the editor window.
    using EditorOpener = std::function<QWidget *(EditMode mode, qint64 id)>;
    // Opens the export of the listed risks, in the overview's order.
    using ExportOpener = std::function<void(const QVector<qint64> &ids)>;

    FrmRizikaGrd(Database &db, Messages &messages, codelists::BrowserHost &host,
                 OverviewState &state, const QString &user, bool printRight,
                 EditorOpener openEditor, ExportOpener openExport = {}, QWidget *parent = nullptr);

    QTableView *grid() const { return m_view; }
    const RiskGrid &rows() const { return m_model->grid(); }
    qint64 currentId() const;
    void sortBy(int column);
    void setPrintRight(bool printRight);
    void clearFilter();
    void openEditor(EditMode mode);

public slots:
    // Every activation lists the risks as they are now, the same risk highlighted.
    void activated();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void captureLayout();
    void showPopup(const QPoint &pos);
    void updateButtons();

    Database &m_db;
    Messages &m_messages;
    codelists::BrowserHost &m_host;
    OverviewState &m_state;
    QString m_user;
    bool m_printRight;
    EditorOpener m_openEditor;
    ExportOpener m_openExport;
    RiskGridModel *m_model;
    QTableView *m_view;
    QStatusBar *m_status;
    QLineEdit *m_filterText;
    QPushButton *m_clearFilter;
    QPushButton *m_export;
    int m_pendingRow = -1; // the row of a risk being deleted
    bool m_filling = false;
};

} // namespace risks
} // namespace tamvel
