#pragma once

#include "core/EditMode.h"
#include "risks/GridSearch.h"
#include "risks/RiskFilter.h"

#include <QAbstractTableModel>
#include <QWidget>

#include <functional>
#include <optional>

class QAction;
class QLineEdit;
class QPushButton;
class QStatusBar;
class QTableView;
class QToolBar;

namespace tamvel {

class Database;
class Messages;

namespace codelists {
class BrowserHost;
}

namespace risks {

// The rows of the overview for the view; only the visible ones are ever painted. The quick
// search lists some of the grid's rows, by their index in the grid.
class RiskGridModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    using QAbstractTableModel::QAbstractTableModel;

    // `listed`: the grid's rows to list, ascending; nullopt lists every row.
    void setGrid(RiskGrid grid, std::optional<QVector<int>> listed = std::nullopt);
    void setListed(std::optional<QVector<int>> listed);
    const RiskGrid &grid() const { return m_grid; }
    int gridRow(int row) const { return m_listed ? (*m_listed)[row] : row; }
    // The listed row of a risk; -1 when it is not listed.
    int rowOf(qint64 id) const;
    QVector<qint64> listedIds() const;
    // Level and deadline colours for a dark or a light palette.
    void setDarkPalette(bool dark);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    enum class Highlight { None, Level, Deadline };

    RiskGrid m_grid;
    std::optional<QVector<int>> m_listed;
    QVector<Highlight> m_highlights; // by column
    bool m_dark = false;
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
    // Every risk the filter lets through, also those the quick search hides.
    const RiskGrid &rows() const { return m_model->grid(); }
    // The risks listed now, in the order shown.
    QVector<qint64> listedIds() const { return m_model->listedIds(); }
    qint64 currentId() const;
    // Whether the user had a size of this window stored when it opened.
    bool hasStoredSize() const { return m_storedSize; }
    void sortBy(int column);
    void setPrintRight(bool printRight);
    void clearFilter();
    void openEditor(EditMode mode);

public slots:
    // Every activation lists the risks as they are now, the same risk highlighted.
    void activated();

protected:
    void closeEvent(QCloseEvent *event) override;
    void changeEvent(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void captureLayout();
    void showPopup(const QPoint &pos);
    void updateButtons();
    // Whether an item of the popup (e.g. "Upravit") may be chosen for the listed rows now.
    bool popupItemEnabled(const char *item) const;
    // Opens the editor as the popup's item does, when the item may be chosen.
    void runPopupItem(const char *item);
    // Double-click and Enter: Upravit, or Zobrazit for a closed risk or without Upravit.
    void openCurrent();
    // The quick search's rows, from the current grid.
    std::optional<QVector<int>> searchedRows();
    void narrow();
    // Makes a listed row current (none for -1) and shows the counts.
    void selectRow(int row);
    bool darkPalette() const;

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
    QPushButton *m_setFilter;
    QToolBar *m_toolBar;
    QAction *m_newAction;
    QAction *m_editAction;
    QAction *m_copyAction;
    QAction *m_deleteAction;
    QAction *m_filterAction;
    QAction *m_exportAction;
    QLineEdit *m_search;
    GridSearch m_searchIndex;
    int m_pendingRow = -1; // the row of a risk being deleted
    bool m_filling = false;
    bool m_storedSize = false;
};

} // namespace risks
} // namespace tamvel
