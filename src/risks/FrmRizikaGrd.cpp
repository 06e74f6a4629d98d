#include "risks/FrmRizikaGrd.h"
#include "ui/SortArrow.h"
#include "ui/Widgets.h"

#include "codelists/CodeListWindows.h"
#include "core/Messages.h"
#include "db/Database.h"
#include "risks/FrmRizikaFiltr.h"
#include "risks/FrmRizikaNastaveni.h"
#include "risks/FrmRizikaNastaveniUloz.h"

#include <QAction>
#include <QCloseEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTableView>
#include <QVBoxLayout>

using namespace tamvel::ui;

namespace tamvel::risks {

void RiskGridModel::setGrid(RiskGrid grid)
{
    beginResetModel();
    m_grid = std::move(grid);
    endResetModel();
}

int RiskGridModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_grid.rowCount();
}

int RiskGridModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_grid.columns.size());
}

QVariant RiskGridModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid())
        return {};
    if (role == Qt::DisplayRole)
        return m_grid.cell(index.row(), index.column());
    // Closed risks in grey.
    if (role == Qt::ForegroundRole && m_grid.closed[index.row()])
        return QColor(0xC0, 0xC0, 0xC0);
    return {};
}

QVariant RiskGridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section < m_grid.columns.size())
        return m_grid.columns[section].caption;
    return {};
}

FrmRizikaGrd::FrmRizikaGrd(Database &db, Messages &messages, codelists::BrowserHost &host,
                           OverviewState &state, const QString &user, bool printRight,
                           EditorOpener openEditor, ExportOpener openExport, QWidget *parent)
    : QWidget(parent), m_db(db), m_messages(messages), m_host(host), m_state(state), m_user(user),
      m_printRight(printRight), m_openEditor(std::move(openEditor)),
      m_openExport(std::move(openExport)), m_model(new RiskGridModel(this)),
      m_view(named(new QTableView(this), "grdRizika")),
      m_status(named(new QStatusBar(this), "stbPocet")),
      m_filterText(named(new QLineEdit(this), "txtFiltr")),
      m_clearFilter(named(new QPushButton(QStringLiteral("Zrušit"), this), "cmdZrusit")),
      m_export(named(new QPushButton(QStringLiteral("Export"), this), "cmdExport"))
{
    setObjectName(QStringLiteral("frmRizikaGrd"));
    setWindowTitle(QStringLiteral("Rizika - přehled"));
    m_view->setModel(m_model);
    m_view->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_view->setSelectionMode(QAbstractItemView::SingleSelection);
    m_view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_view->setContextMenuPolicy(Qt::CustomContextMenu);
    m_view->setWordWrap(false);
    m_view->verticalHeader()->hide();
    m_view->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_view->verticalHeader()->setDefaultSectionSize(m_view->fontMetrics().height() + 6);
    m_view->horizontalHeader()->setSectionsClickable(true);
    m_view->horizontalHeader()->setHighlightSections(false);
    paintSortArrowByOrder(m_view->horizontalHeader());
    connect(m_view->horizontalHeader(), &QHeaderView::sectionClicked, this, &FrmRizikaGrd::sortBy);
    connect(m_view->horizontalHeader(), &QHeaderView::sectionResized, this, [this] {
        if (!m_filling)
            captureLayout();
    });
    connect(m_view, &QWidget::customContextMenuRequested, this, &FrmRizikaGrd::showPopup);
    connect(m_view->selectionModel(), &QItemSelectionModel::currentRowChanged, this, [this] {
        if (!m_filling)
            m_state.selectedId = currentId();
    });

    auto *fields = named(new QPushButton(QStringLiteral("Výběr polí"), this), "cmdVyber");
    auto *sets = named(new QPushButton(QStringLiteral("Nastavení"), this), "cmdNastaveni");
    auto *filterFrame = named(new QGroupBox(QStringLiteral("Filtr"), this), "fraFiltr");
    auto *setFilter = named(new QPushButton(QStringLiteral("Nastavit"), this), "cmdFiltr");
    m_filterText->setReadOnly(true);
    auto *filterLayout = new QHBoxLayout(filterFrame);
    filterLayout->addWidget(m_filterText, 1);
    filterLayout->addWidget(setFilter);
    filterLayout->addWidget(m_clearFilter);
    connect(m_clearFilter, &QPushButton::clicked, this, &FrmRizikaGrd::clearFilter);
    // The export list is every listed risk, in the order shown.
    connect(m_export, &QPushButton::clicked, this, [this] {
        if (m_openExport && !rows().ids.isEmpty())
            m_openExport(rows().ids);
    });
    connect(fields, &QPushButton::clicked, this, [this] {
        FrmRizikaNastaveni dialog(m_state.columnSet, m_messages, this);
        if (dialog.exec() == QDialog::Accepted)
            m_state.columnSet = dialog.columnSet();
        activated();
    });
    connect(sets, &QPushButton::clicked, this, [this] {
        captureLayout(); // the named set stores the columns as the user laid them out
        FrmRizikaNastaveniUloz dialog(m_db, m_user, m_state.columnSet, m_messages, this);
        if (dialog.exec() == QDialog::Accepted && !dialog.restoredColumnSet().isEmpty())
            m_state.columnSet = dialog.restoredColumnSet();
        activated();
    });
    connect(setFilter, &QPushButton::clicked, this, [this] {
        FrmRizikaFiltr dialog(m_db, m_messages, m_state.filterChoice, this);
        if (dialog.exec() == QDialog::Accepted) {
            m_state.filter = dialog.filter();
            m_state.filterChoice = dialog.choice();
        }
        activated();
    });

    auto *buttons = new QVBoxLayout;
    buttons->addWidget(fields);
    buttons->addWidget(m_export);
    buttons->addWidget(sets);
    auto *bottom = new QHBoxLayout;
    bottom->addWidget(filterFrame, 1);
    bottom->addLayout(buttons);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 0);
    layout->addWidget(m_view, 1);
    layout->addLayout(bottom);
    layout->addWidget(m_status);

    // The user's own size of this window; the first view lists open risks only.
    int height = 4950, width = 7935;
    try {
        const Rows size = m_db.query(QStringLiteral("SELECT hodnota1, hodnota2 FROM "
                                                    "uzivatelske_nastaveni WHERE uzivatel = ? AND "
                                                    "typ = 'frmrizikagrd' AND polozka = "
                                                    "'rozmery'"),
                                     {m_user});
        if (!size.isEmpty()) {
            height =
                size.at(0, 0).toString().toInt() > 0 ? size.at(0, 0).toString().toInt() : height;
            width = size.at(0, 1).toString().toInt() > 0 ? size.at(0, 1).toString().toInt() : width;
        }
    } catch (const DbError &) {
    }
    // Held at its minimum while resized, and never below what its controls need.
    setMinimumSize(QSize(twips(this, 4010), twips(this, 2265)).expandedTo(layout->minimumSize()));
    resize(twips(this, width), twips(this, height));
    m_state.filter = RiskFilter::openOnly();
    m_state.filterChoice = FilterChoice();
    m_state.filterChoice.onlyOpen = true;
    // Filled when it first comes to the front (activated()), not here as well.
}

qint64 FrmRizikaGrd::currentId() const
{
    const int row = m_view->currentIndex().row();
    return row >= 0 && row < rows().rowCount() ? rows().ids[row] : 0;
}

void FrmRizikaGrd::activated()
{
    RiskGrid grid;
    try {
        grid = fillRiskGrid(m_db, m_state.columnSet, m_state.filter, m_state.sortCaption,
                            m_state.ascending);
    } catch (const DbError &e) {
        showEngineError(m_messages, e);
        return;
    }
    m_filling = true;
    const int previous = m_model->grid().rowCount();
    Q_UNUSED(previous);
    m_model->setGrid(std::move(grid));
    const RiskGrid &shown = m_model->grid();
    for (int c = 0; c < shown.columns.size(); ++c)
        m_view->setColumnWidth(c, std::max(8, twips(this, shown.columns[c].width)));
    const int sortColumn = [&] {
        for (int c = 0; c < shown.columns.size(); ++c)
            if (shown.columns[c].caption == m_state.sortCaption)
                return c;
        return -1;
    }();
    QHeaderView *header = m_view->horizontalHeader();
    header->setSortIndicatorShown(sortColumn >= 0 && shown.rowCount() >= 2);
    if (sortColumn >= 0)
        header->setSortIndicator(sortColumn,
                                 m_state.ascending ? Qt::AscendingOrder : Qt::DescendingOrder);
    int row = shown.rowOf(m_state.selectedId);
    if (m_pendingRow >= 0) {
        // After a deletion the row above the deleted one.
        row = std::max(0, m_pendingRow - 1);
        m_pendingRow = -1;
    } else if (row < 0) {
        row = shown.rowCount() - 1;
    }
    if (row >= 0 && row < shown.rowCount()) {
        m_view->setCurrentIndex(m_model->index(row, 0));
        m_view->scrollTo(m_model->index(row, 0));
        m_state.selectedId = shown.ids[row];
    }
    m_filling = false;
    m_status->showMessage(shown.statusText());
    m_filterText->setText(m_state.filter.description);
    updateButtons();
}

void FrmRizikaGrd::updateButtons()
{
    m_clearFilter->setVisible(!m_filterText->text().isEmpty());
    m_export->setEnabled(rows().filtered > 0 && m_printRight);
}

void FrmRizikaGrd::setPrintRight(bool printRight)
{
    m_printRight = printRight;
    updateButtons();
}

void FrmRizikaGrd::clearFilter()
{
    m_state.filter = RiskFilter();
    m_state.filterChoice = FilterChoice();
    activated();
}

void FrmRizikaGrd::captureLayout()
{
    QVector<GridColumn> columns = rows().columns;
    for (int c = 0; c < columns.size(); ++c)
        columns[c].width = toTwips(this, m_view->columnWidth(c));
    m_state.columnSet = columnSetText(columns);
}

void FrmRizikaGrd::sortBy(int column)
{
    if (column >= 0 && column < rows().columns.size())
        m_state.sortCaption = rows().columns[column].caption;
    m_state.ascending = !m_state.ascending;
    m_state.selectedId = currentId();
    captureLayout();
    activated();
}

void FrmRizikaGrd::showPopup(const QPoint &pos)
{
    const QModelIndex under = m_view->indexAt(pos);
    if (under.isValid())
        m_view->setCurrentIndex(under);
    QAction *chosen = m_host.popup(QStringLiteral("mnuRizikaGrd"),
                                   m_view->viewport()->mapToGlobal(pos), rows().filtered == 0);
    if (!chosen)
        return;
    const QString item = chosen->objectName().mid(QStringLiteral("mnuRizikaGrd").size());
    if (const std::optional<EditMode> mode = modeOfPopupItem(item))
        openEditor(*mode);
}

void FrmRizikaGrd::openEditor(EditMode mode)
{
    const qint64 id = currentId();
    if (mode != EditMode::New && id == 0)
        return;
    const int row = m_view->currentIndex().row();
    m_host.setMode(mode);
    // The user may stay in an editor already open instead.
    if (m_openEditor(mode, id) && mode == EditMode::Delete)
        m_pendingRow = row;
}

void FrmRizikaGrd::closeEvent(QCloseEvent *event)
{
    try {
        inTransaction(m_db, [&] {
            m_db.execute(QStringLiteral("DELETE FROM uzivatelske_nastaveni WHERE uzivatel = ? AND "
                                        "typ = 'frmrizikagrd' AND polozka = 'rozmery'"),
                         {m_user});
            m_db.execute(QStringLiteral("INSERT INTO uzivatelske_nastaveni (uzivatel, typ, "
                                        "polozka, hodnota1, hodnota2) VALUES (?, 'frmrizikagrd', "
                                        "'rozmery', ?, ?)"),
                         {m_user, QString::number(toTwips(this, height())),
                          QString::number(toTwips(this, width()))});
        });
    } catch (const DbError &) {
        // The size is a convenience; the window closes anyway.
    }
    event->accept();
}

} // namespace tamvel::risks
