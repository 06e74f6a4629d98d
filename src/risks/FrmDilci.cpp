#include "risks/FrmDilci.h"

#include "codelists/CodeListWindows.h"
#include "core/DateText.h"
#include "db/Database.h"
#include "db/RiskState.h"
#include "risks/FrmDilciUkol.h"
#include "risks/Highlights.h"
#include "risks/RiskFields.h"
#include "ui/GridCommands.h"
#include "ui/SortArrow.h"

#include <QAbstractTableModel>
#include <QAction>
#include <QBrush>
#include <QEvent>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QTableView>
#include <QVBoxLayout>

namespace tamvel {

namespace risks {

// The rows of the overview, held plainly: the register may have hundreds of thousands.
class SubTaskOverviewModel : public QAbstractTableModel
{
public:
    struct Row
    {
        qint64 riskId;
        SubTask task;
        bool openRisk = false;
    };

    using QAbstractTableModel::QAbstractTableModel;

    int rowCount(const QModelIndex &parent = {}) const override
    {
        return parent.isValid() ? 0 : int(m_rows.size());
    }
    int columnCount(const QModelIndex &parent = {}) const override
    {
        return parent.isValid() ? 0 : 3;
    }
    QVariant data(const QModelIndex &index, int role) const override
    {
        if (!index.isValid() || index.row() >= m_rows.size())
            return {};
        if (role == Qt::BackgroundRole && index.column() == 1)
            return deadlineBrush(m_rows[index.row()]);
        if (role != Qt::DisplayRole)
            return {};
        const SubTask &task = m_rows[index.row()].task;
        switch (index.column()) {
        case 0:
            return task.task;
        case 1:
            return task.deadline.isValid() ? dateText(task.deadline) : QString();
        default:
            return task.responsible;
        }
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
            return QAbstractTableModel::headerData(section, orientation, role);
        static const char *const headers[] = {"Úkol", "Termín", "Zodpovídá"};
        return section >= 0 && section < 3 ? QString::fromUtf8(headers[section]) : QVariant();
    }

    const QVector<Row> &rows() const { return m_rows; }
    void setRows(QVector<Row> &&rows, const QDate &today)
    {
        beginResetModel();
        m_rows = std::move(rows);
        m_today = today;
        endResetModel();
    }
    void setDarkPalette(bool dark)
    {
        if (dark == m_dark)
            return;
        m_dark = dark;
        if (!m_rows.isEmpty())
            emit dataChanged(index(0, 1), index(int(m_rows.size()) - 1, 1), {Qt::BackgroundRole});
    }

private:
    // Only an open risk's deadlines still matter: a closed risk's sub-tasks stay plain.
    QVariant deadlineBrush(const Row &row) const
    {
        if (!row.openRisk)
            return {};
        const std::optional<Rgb> colour =
            deadlineColour(deadlineOf(row.task.deadline, QDate(), m_today), m_dark);
        if (!colour)
            return {};
        return QBrush(QColor(colour->red, colour->green, colour->blue));
    }

    QVector<Row> m_rows;
    QDate m_today;
    bool m_dark = false;
};

} // namespace risks

using risks::SubTask;
using risks::SubTaskOverviewModel;

namespace {

// The order of each column: Czech for texts; the stored ISO text orders dates as dates.
// rowid keeps equal rows in one order, so sorting back returns the same list.
const char *const SortSql[] = {"ukol COLLATE CS", "termin", "zodpovida COLLATE CS"};

// The fields of the highlighted task's risk shown below the grid.
QVector<const risks::RiskField *> riskBoxFields()
{
    QVector<const risks::RiskField *> fields;
    for (const risks::RiskField &f : risks::riskFields())
        if (!f.detailBoxName.isEmpty())
            fields << &f;
    return fields;
}

bool darkPalette(const QWidget *widget)
{
    return widget->palette().color(QPalette::Window).lightness() < 128;
}

bool sameRow(const SubTaskOverviewModel::Row &row, qint64 riskId, const SubTask &task)
{
    return row.riskId == riskId && row.task.task == task.task &&
           row.task.deadline == task.deadline && row.task.responsible == task.responsible;
}

} // namespace

FrmDilci::FrmDilci(Database &db, Messages &messages, codelists::BrowserHost &host, QWidget *parent)
    : QWidget(parent), m_db(db), m_messages(messages), m_host(host), m_grid(new QTableView(this)),
      m_model(new SubTaskOverviewModel(this))
{
    setObjectName(QStringLiteral("frmDilci"));
    setWindowTitle(QStringLiteral("Dílčí úkoly - přehled"));

    m_grid->setObjectName(QStringLiteral("grdUkoly"));
    m_grid->setModel(m_model);
    m_grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_grid->setSelectionMode(QAbstractItemView::SingleSelection);
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->setContextMenuPolicy(Qt::CustomContextMenu);
    m_grid->setWordWrap(false);
    // Fixed row heights: no row is measured, however long the list.
    m_grid->verticalHeader()->hide();
    m_grid->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_grid->verticalHeader()->setDefaultSectionSize(m_grid->fontMetrics().height() + 6);
    QHeaderView *header = m_grid->horizontalHeader();
    header->setSectionsClickable(true);
    header->setSortIndicatorShown(true);
    ui::paintSortArrowByOrder(header);
    header->setStretchLastSection(true);
    const int charWidth = m_grid->fontMetrics().averageCharWidth();
    m_grid->setColumnWidth(0, charWidth * 60);
    m_grid->setColumnWidth(1, charWidth * 14);
    connect(header, &QHeaderView::sectionClicked, this, &FrmDilci::sortBy);
    connect(m_grid, &QWidget::customContextMenuRequested, this, &FrmDilci::showPopup);
    connect(m_grid->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            &FrmDilci::rowChanged);

    auto *boxes = new QGridLayout;
    int index = 0;
    for (const risks::RiskField *field : riskBoxFields()) {
        auto *edit = new QLineEdit(this);
        edit->setObjectName(field->detailBoxName);
        edit->setReadOnly(true);
        auto *label = new QLabel(field->detailBoxCaption, this);
        label->setBuddy(edit);
        // Pairs side by side; the long texts (source, body part, character) on full rows.
        const int row = index < 4 ? index / 2 : index - 2;
        const int column = index < 4 ? (index % 2) * 2 : 0;
        boxes->addWidget(label, row, column);
        boxes->addWidget(edit, row, column + 1, 1, index < 4 ? 1 : 3);
        m_riskBoxes << edit;
        ++index;
    }
    boxes->setColumnStretch(1, 1);
    boxes->setColumnStretch(3, 1);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(m_grid, 1);
    layout->addLayout(boxes);
    resize(charWidth * 110, m_grid->fontMetrics().height() * 34);
    m_model->setDarkPalette(darkPalette(this));
    activated();
    // The popup has only "&Detail": double-click and Enter choose it, nothing else.
    ui::installGridCommands(m_grid,
                            {[this] {
                                 if (m_host.popupItemEnabled(QStringLiteral("mnuDUgrdDetail")))
                                     openDetail();
                             },
                             {},
                             {}});
}

FrmDilci::~FrmDilci() = default;

void FrmDilci::activated()
{
    QVector<SubTaskOverviewModel::Row> rows;
    try {
        // Whether the sub-task's risk is still open, looked up by the risk's key.
        const QString sql =
            QStringLiteral("SELECT id_riziko, ukol, termin, zodpovida, EXISTS (SELECT 1 FROM "
                           "rizika r WHERE r.id_riziko = dilci_ukoly.id_riziko AND ") +
            OpenRiskCondition + QStringLiteral(") FROM dilci_ukoly ORDER BY ") +
            QString::fromUtf8(SortSql[m_sortColumn]) +
            (m_ascending ? QStringLiteral(" ASC, rowid ASC") : QStringLiteral(" DESC, rowid DESC"));
        m_db.forEach(sql, {}, [&rows](const RowView &row) {
            rows.append({row.value(0).toLongLong(),
                         SubTask{row.value(1).toString(), Database::toDate(row.value(2)),
                                 row.value(3).toString()},
                         row.value(4).toLongLong() != 0});
        });
    } catch (const DbError &error) {
        showEngineError(m_messages, error);
        return;
    }

    m_filling = true;
    m_model->setRows(std::move(rows), QDate::currentDate());
    m_grid->horizontalHeader()->setSortIndicator(m_sortColumn, m_ascending ? Qt::AscendingOrder
                                                                           : Qt::DescendingOrder);
    int selected = m_model->rowCount() > 0 ? 0 : -1;
    if (m_hasActive) {
        const QVector<SubTaskOverviewModel::Row> &all = m_model->rows();
        for (int i = 0; i < all.size(); ++i) {
            if (sameRow(all[i], m_activeRisk, m_active)) {
                selected = i;
                break;
            }
        }
    }
    m_filling = false;
    // The risk may have changed since it was shown: read it again.
    m_shownRisk = -1;
    select(selected);
}

void FrmDilci::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange)
        m_model->setDarkPalette(darkPalette(this));
}

void FrmDilci::select(int row)
{
    if (row < 0) {
        m_hasActive = false;
        showRisk(-1);
        return;
    }
    const QModelIndex index = m_model->index(row, 0);
    m_grid->setCurrentIndex(index);
    m_grid->scrollTo(index);
    rowChanged();
}

void FrmDilci::rowChanged()
{
    const int row = m_grid->currentIndex().row();
    if (m_filling || row < 0 || row >= m_model->rowCount())
        return;
    const SubTaskOverviewModel::Row &current = m_model->rows()[row];
    m_hasActive = true;
    m_activeRisk = current.riskId;
    m_active = current.task;
    if (current.riskId != m_shownRisk)
        showRisk(current.riskId);
}

void FrmDilci::showRisk(qint64 id)
{
    m_shownRisk = id;
    Rows rows;
    if (id >= 0) {
        try {
            QStringList columns;
            for (const risks::RiskField *field : riskBoxFields())
                columns << field->column;
            rows = m_db.query(QStringLiteral("SELECT %1 FROM rizika WHERE id_riziko = ?")
                                  .arg(columns.join(QStringLiteral(", "))),
                              {id});
        } catch (const DbError &error) {
            showEngineError(m_messages, error);
        }
    }
    for (int i = 0; i < m_riskBoxes.size(); ++i) {
        const QString text = rows.isEmpty() ? QString() : rows.at(0, i).toString().trimmed();
        m_riskBoxes[i]->setText(text);
        m_riskBoxes[i]->setCursorPosition(0);
    }
}

void FrmDilci::sortBy(int column)
{
    // Every click toggles the direction, also on a newly chosen column, as in the code lists.
    if (column >= 0 && column < 3)
        m_sortColumn = column;
    m_ascending = !m_ascending;
    activated();
}

void FrmDilci::showPopup(const QPoint &pos)
{
    const QModelIndex under = m_grid->indexAt(pos);
    if (under.isValid())
        m_grid->setCurrentIndex(under);
    QAction *chosen = m_host.popup(QStringLiteral("mnuDUgrd"), m_grid->viewport()->mapToGlobal(pos),
                                   m_model->rowCount() == 0);
    if (chosen && chosen->objectName() == QStringLiteral("mnuDUgrdDetail"))
        openDetail();
}

FrmDilciUkol *FrmDilci::openDetail()
{
    const int row = m_grid->currentIndex().row();
    if (row < 0 || row >= m_model->rowCount())
        return nullptr;
    m_host.setMode(EditMode::ViewFromOverview);
    // The dialog shows a copy: the overview never changes a sub-task.
    m_detail = {m_model->rows()[row].task};
    auto *dialog = new FrmDilciUkol(EditMode::ViewFromOverview, m_detail, 0, m_messages, this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->show();
    return dialog;
}

} // namespace tamvel
