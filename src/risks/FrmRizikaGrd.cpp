#include "risks/FrmRizikaGrd.h"
#include "ui/GridCommands.h"
#include "ui/SortArrow.h"
#include "ui/Widgets.h"

#include "codelists/CodeListWindows.h"
#include "core/Messages.h"
#include "db/Database.h"
#include "risks/FrmRizikaFiltr.h"
#include "risks/FrmRizikaNastaveni.h"
#include "risks/FrmRizikaNastaveniUloz.h"
#include "risks/RiskFields.h"

#include <QAction>
#include <QCloseEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QStyle>
#include <QTableView>
#include <QToolBar>
#include <QVBoxLayout>

using namespace tamvel::ui;

namespace tamvel::risks {

void RiskGridModel::setGrid(RiskGrid grid, std::optional<QVector<int>> listed)
{
    beginResetModel();
    m_grid = std::move(grid);
    m_listed = std::move(listed);
    m_highlights.clear();
    for (const GridColumn &column : m_grid.columns) {
        m_highlights << (column.field == LevelColumn || column.field == QLatin1String("riziko")
                             ? Highlight::Level
                         : column.field == QLatin1String("opatreni_termin") ||
                                 column.field == QLatin1String("program_termin")
                             ? Highlight::Deadline
                             : Highlight::None);
    }
    endResetModel();
}

void RiskGridModel::setListed(std::optional<QVector<int>> listed)
{
    // Rows out and in rather than a reset, which would lose the columns' widths.
    if (const int count = rowCount(); count > 0) {
        beginRemoveRows({}, 0, count - 1);
        m_listed = QVector<int>();
        endRemoveRows();
    }
    const int count = listed ? int(listed->size()) : m_grid.rowCount();
    if (count > 0)
        beginInsertRows({}, 0, count - 1);
    m_listed = std::move(listed);
    if (count > 0)
        endInsertRows();
}

int RiskGridModel::rowOf(qint64 id) const
{
    const int row = m_grid.rowOf(id);
    if (!m_listed || row < 0)
        return row;
    const auto found = std::lower_bound(m_listed->begin(), m_listed->end(), row);
    return found != m_listed->end() && *found == row ? int(found - m_listed->begin()) : -1;
}

QVector<qint64> RiskGridModel::listedIds() const
{
    if (!m_listed)
        return m_grid.ids;
    QVector<qint64> ids;
    ids.reserve(m_listed->size());
    for (const int row : *m_listed)
        ids << m_grid.ids[row];
    return ids;
}

void RiskGridModel::setDarkPalette(bool dark)
{
    if (dark == m_dark)
        return;
    m_dark = dark;
    if (rowCount() > 0 && columnCount() > 0)
        emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1),
                         {Qt::BackgroundRole});
}

int RiskGridModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_listed ? int(m_listed->size()) : m_grid.rowCount();
}

int RiskGridModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_grid.columns.size());
}

QVariant RiskGridModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid())
        return {};
    const int row = gridRow(index.row());
    if (role == Qt::DisplayRole)
        return m_grid.cell(row, index.column());
    // Closed risks in grey.
    if (role == Qt::ForegroundRole && m_grid.closed[row])
        return QColor(0xC0, 0xC0, 0xC0);
    if (role == Qt::BackgroundRole) {
        std::optional<Rgb> colour;
        switch (m_highlights[index.column()]) {
        case Highlight::Level:
            if (const int band = m_grid.levelOf(row); band >= 0)
                colour = m_grid.levels.colour(band, m_dark);
            break;
        case Highlight::Deadline:
            colour = deadlineColour(m_grid.deadlineAt(row, index.column()), m_dark);
            break;
        case Highlight::None:
            break;
        }
        if (colour)
            return QColor(colour->red, colour->green, colour->blue);
    }
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
      m_export(named(new QPushButton(QStringLiteral("Export"), this), "cmdExport")),
      m_setFilter(named(new QPushButton(QStringLiteral("Nastavit"), this), "cmdFiltr")),
      m_toolBar(named(new QToolBar(this), "tlbRizika")),
      m_search(named(new QLineEdit(this), "txtHledat"))
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
        if (m_filling)
            return;
        m_state.selectedId = currentId();
        updateButtons();
    });
    ui::installGridCommands(m_view, {[this] { openCurrent(); }, [this] { runPopupItem("Novy"); },
                                     [this] { runPopupItem("Vymazat"); }});

    auto *fields = named(new QPushButton(QStringLiteral("Výběr polí"), this), "cmdVyber");
    auto *sets = named(new QPushButton(QStringLiteral("Nastavení"), this), "cmdNastaveni");
    auto *filterFrame = named(new QGroupBox(QStringLiteral("Filtr"), this), "fraFiltr");
    m_filterText->setReadOnly(true);
    auto *filterLayout = new QHBoxLayout(filterFrame);
    filterLayout->addWidget(m_filterText, 1);
    filterLayout->addWidget(m_setFilter);
    filterLayout->addWidget(m_clearFilter);
    connect(m_clearFilter, &QPushButton::clicked, this, &FrmRizikaGrd::clearFilter);
    // The export list is every listed risk, in the order shown.
    connect(m_export, &QPushButton::clicked, this, [this] {
        if (m_openExport && m_model->rowCount() > 0)
            m_openExport(listedIds());
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
    connect(m_setFilter, &QPushButton::clicked, this, [this] {
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
    // The toolbar repeats the popup's items and the buttons, each as it may be used now.
    m_toolBar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    m_toolBar->setIconSize(QSize(16, 16));
    // A narrow window keeps the items that do not fit behind the toolbar's extension button.
    m_toolBar->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    const auto tool = [this](const char *name, const char *caption, QStyle::StandardPixmap icon) {
        QAction *action =
            m_toolBar->addAction(style()->standardIcon(icon), QString::fromUtf8(caption));
        action->setObjectName(QString::fromUtf8(name));
        return action;
    };
    m_newAction = tool("cmdTlbNovy", "Nový", QStyle::SP_FileIcon);
    m_editAction = tool("cmdTlbUpravit", "Upravit", QStyle::SP_FileDialogContentsView);
    m_copyAction = tool("cmdTlbKopie", "Kopie", QStyle::SP_FileLinkIcon);
    m_deleteAction = tool("cmdTlbVymazat", "Vymazat", QStyle::SP_TrashIcon);
    m_toolBar->addSeparator();
    m_filterAction = tool("cmdTlbFiltr", "Filtr", QStyle::SP_FileDialogListView);
    m_exportAction = tool("cmdTlbExport", "Export", QStyle::SP_DialogSaveButton);
    // Printing will follow the export here.
    connect(m_newAction, &QAction::triggered, this, [this] { runPopupItem("Novy"); });
    connect(m_editAction, &QAction::triggered, this, [this] { runPopupItem("Upravit"); });
    connect(m_copyAction, &QAction::triggered, this, [this] { runPopupItem("Kopie"); });
    connect(m_deleteAction, &QAction::triggered, this, [this] { runPopupItem("Vymazat"); });
    connect(m_filterAction, &QAction::triggered, m_setFilter, &QPushButton::click);
    connect(m_exportAction, &QAction::triggered, m_export, &QPushButton::click);

    m_search->setPlaceholderText(QStringLiteral("Hledat (Ctrl+F)"));
    m_search->setClearButtonEnabled(true);
    m_search->setMaximumWidth(twips(this, 2700));
    m_search->installEventFilter(this);
    connect(m_search, &QLineEdit::textChanged, this, &FrmRizikaGrd::narrow);

    // The overview's own keys, active only while it or one of its controls has the focus.
    const auto shortcut = [this](QAction *action, const QKeySequence &keys) {
        action->setShortcut(keys);
        action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        addAction(action);
    };
    shortcut(m_newAction, QKeySequence(Qt::CTRL | Qt::Key_N));
    auto *find = new QAction(this);
    find->setObjectName(QStringLiteral("actHledat"));
    shortcut(find, QKeySequence(Qt::CTRL | Qt::Key_F));
    connect(find, &QAction::triggered, this, [this] {
        m_search->setFocus(Qt::ShortcutFocusReason);
        m_search->selectAll();
    });
    auto *refresh = new QAction(this);
    refresh->setObjectName(QStringLiteral("actObnovit"));
    shortcut(refresh, QKeySequence(Qt::Key_F5));
    connect(refresh, &QAction::triggered, this, &FrmRizikaGrd::activated);

    auto *top = new QHBoxLayout;
    top->addWidget(m_toolBar, 1);
    top->addWidget(m_search);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 0);
    layout->addLayout(top);
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
        m_storedSize = !size.isEmpty();
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
    return row >= 0 && row < m_model->rowCount() ? rows().ids[m_model->gridRow(row)] : 0;
}

std::optional<QVector<int>> FrmRizikaGrd::searchedRows()
{
    if (m_search->text().isEmpty())
        return std::nullopt;
    return m_searchIndex.rowsContaining(rows(), m_search->text());
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
    // The quick search applies to the new rows as well.
    m_searchIndex.reset();
    std::optional<QVector<int>> listed;
    if (!m_search->text().isEmpty())
        listed = m_searchIndex.rowsContaining(grid, m_search->text());
    m_model->setDarkPalette(darkPalette());
    m_model->setGrid(std::move(grid), std::move(listed));
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
    int row = m_model->rowOf(m_state.selectedId);
    if (m_pendingRow >= 0) {
        // After a deletion the row above the deleted one.
        row = std::max(0, m_pendingRow - 1);
        m_pendingRow = -1;
    } else if (row < 0) {
        row = m_model->rowCount() - 1;
    }
    selectRow(row);
    m_filterText->setText(m_state.filter.description);
    updateButtons();
}

void FrmRizikaGrd::narrow()
{
    m_filling = true;
    m_model->setListed(searchedRows());
    // The highlighted risk stays when it is still listed, else the first listed one.
    const int row = m_model->rowOf(m_state.selectedId);
    selectRow(row >= 0 ? row : (m_model->rowCount() > 0 ? 0 : -1));
    updateButtons();
}

void FrmRizikaGrd::selectRow(int row)
{
    m_filling = true;
    if (row >= 0 && row < m_model->rowCount()) {
        m_view->setCurrentIndex(m_model->index(row, 0));
        m_view->scrollTo(m_model->index(row, 0));
        m_state.selectedId = currentId();
    }
    m_filling = false;
    m_status->showMessage(rows().statusText(m_model->rowCount()));
}

bool FrmRizikaGrd::darkPalette() const
{
    return m_view->palette().color(QPalette::Base).lightness() < 128;
}

bool FrmRizikaGrd::popupItemEnabled(const char *item) const
{
    // With nothing listed the popup offers only "Nový".
    if (qstrcmp(item, "Novy") != 0 && currentId() == 0)
        return false;
    return m_host.popupItemEnabled(QStringLiteral("mnuRizikaGrd") + QString::fromUtf8(item));
}

void FrmRizikaGrd::runPopupItem(const char *item)
{
    if (!popupItemEnabled(item))
        return;
    if (const std::optional<EditMode> mode = modeOfPopupItem(QString::fromUtf8(item)))
        openEditor(*mode);
}

void FrmRizikaGrd::openCurrent()
{
    const int row = m_view->currentIndex().row();
    if (row < 0 || row >= m_model->rowCount())
        return;
    const bool closed = rows().closed[m_model->gridRow(row)];
    runPopupItem(!closed && popupItemEnabled("Upravit") ? "Upravit" : "Zobrazit");
}

void FrmRizikaGrd::updateButtons()
{
    m_clearFilter->setVisible(!m_filterText->text().isEmpty());
    m_export->setEnabled(m_model->rowCount() > 0 && m_printRight);
    m_newAction->setEnabled(popupItemEnabled("Novy"));
    m_editAction->setEnabled(popupItemEnabled("Upravit"));
    m_copyAction->setEnabled(popupItemEnabled("Kopie"));
    m_deleteAction->setEnabled(popupItemEnabled("Vymazat"));
    m_filterAction->setEnabled(m_setFilter->isEnabled());
    m_exportAction->setEnabled(m_export->isEnabled());
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
                                   m_view->viewport()->mapToGlobal(pos), m_model->rowCount() == 0);
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

void FrmRizikaGrd::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::PaletteChange)
        m_model->setDarkPalette(darkPalette());
    QWidget::changeEvent(event);
}

bool FrmRizikaGrd::eventFilter(QObject *watched, QEvent *event)
{
    // Esc in the search box lists every risk again; an empty box lets it pass.
    if (watched == m_search && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape && !m_search->text().isEmpty()) {
        m_search->clear();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace tamvel::risks
