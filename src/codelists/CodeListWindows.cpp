#include "codelists/CodeListWindows.h"
#include "ui/GridCommands.h"
#include "ui/SortArrow.h"
#include "ui/Widgets.h"

#include "codelists/RegulationWindows.h"
#include "core/Messages.h"
#include "db/Database.h"

#include <QAction>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QStandardItemModel>
#include <QTableView>
#include <QVBoxLayout>

using namespace tamvel::ui;

namespace tamvel::codelists {

FrmCodeListGrid::FrmCodeListGrid(const CodeList &codeList, Database &db, Messages &messages,
                                 BrowserHost &host, QWidget *parent)
    : QWidget(parent), m_list(codeList), m_db(db), m_messages(messages), m_host(host),
      m_grid(new QTableView(this)), m_model(new QStandardItemModel(this))
{
    setWindowTitle(codeList.browserCaption);
    m_grid->setObjectName(codeList.gridName);
    QStringList headers;
    for (const Column &column : codeList.columns)
        headers << column.header;
    m_model->setHorizontalHeaderLabels(headers);
    m_grid->setModel(m_model);
    m_grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_grid->setSelectionMode(QAbstractItemView::SingleSelection);
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->setContextMenuPolicy(Qt::CustomContextMenu);
    m_grid->verticalHeader()->hide();
    m_grid->verticalHeader()->setDefaultSectionSize(m_grid->fontMetrics().height() + 6);
    m_grid->horizontalHeader()->setSectionsClickable(true);
    m_grid->horizontalHeader()->setSortIndicatorShown(true);
    ui::paintSortArrowByOrder(m_grid->horizontalHeader());
    m_grid->horizontalHeader()->setStretchLastSection(true);
    connect(m_grid->horizontalHeader(), &QHeaderView::sectionClicked, this,
            &FrmCodeListGrid::sortBy);
    connect(m_grid, &QWidget::customContextMenuRequested, this, &FrmCodeListGrid::showPopup);
    connect(m_grid->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            &FrmCodeListGrid::rowChanged);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(m_grid);
    resize(twips(this, codeList.browserWidth), twips(this, codeList.browserHeight));
    m_sortColumn = codeList.initialSortColumn;
    activated();
    installGridCommands(m_grid, gridCommands());
}

GridCommands FrmCodeListGrid::gridCommands()
{
    // Only what the popup would offer now: its items by their names, none on an empty grid
    // but "&Nový".
    const auto usable = [this](const char *item, bool needsEntry) {
        return (!needsEntry || !isEmpty()) &&
               m_host.popupItemEnabled(m_list.popupName + QLatin1String(item));
    };
    GridCommands commands;
    if (!m_list.pickItem.isEmpty()) {
        commands.open = [this] {
            const QString item = m_list.popupName + m_list.pickItem;
            if (!isEmpty() && m_host.popupItemEnabled(item))
                choose(item);
        };
        return commands;
    }
    commands.open = [this, usable] {
        if (usable("Upravit", true))
            openEditor(EditMode::Edit);
        else if (usable("Zobrazit", true))
            openEditor(EditMode::View);
    };
    commands.insert = [this, usable] {
        if (usable("Novy", false))
            openEditor(EditMode::New);
    };
    commands.remove = [this, usable] {
        if (usable("Vymazat", true))
            openEditor(EditMode::Delete);
    };
    return commands;
}

void FrmCodeListGrid::activated()
{
    Listing listing;
    if (!trapped(m_messages, [&] { listing = list(m_db, m_list, m_sortColumn, m_ascending); }))
        return;
    m_filling = true;
    m_model->removeRows(0, m_model->rowCount());
    m_keys = listing.keys;
    int select = m_keys.isEmpty() ? -1 : 0;
    for (int row = 0; row < listing.shown.size(); ++row) {
        QList<QStandardItem *> items;
        for (const QString &text : listing.shown[row])
            items << new QStandardItem(text);
        m_model->appendRow(items);
        if (!m_active.isEmpty() && m_keys[row] == m_active)
            select = row;
    }
    m_grid->horizontalHeader()->setSortIndicator(m_sortColumn, m_ascending ? Qt::AscendingOrder
                                                                           : Qt::DescendingOrder);
    if (select >= 0) {
        m_grid->setCurrentIndex(m_model->index(select, 0));
        m_grid->scrollTo(m_model->index(select, 0));
        m_active = m_keys[select];
    }
    m_filling = false;
}

void FrmCodeListGrid::rowChanged()
{
    const int row = m_grid->currentIndex().row();
    if (!m_filling && row >= 0 && row < m_keys.size())
        m_active = m_keys[row];
}

void FrmCodeListGrid::sortBy(int column)
{
    // Every click toggles the direction, also on a newly chosen column.
    if (column >= 0 && column < m_list.columns.size())
        m_sortColumn = column;
    m_ascending = !m_ascending;
    activated();
}

void FrmCodeListGrid::showPopup(const QPoint &pos)
{
    const QModelIndex under = m_grid->indexAt(pos);
    if (under.isValid())
        m_grid->setCurrentIndex(under);
    QAction *chosen =
        m_host.popup(m_list.popupName, m_grid->viewport()->mapToGlobal(pos), isEmpty());
    if (chosen)
        choose(chosen->objectName());
}

void FrmCodeListGrid::choose(const QString &actionName)
{
    const QString item = actionName.mid(m_list.popupName.size());
    if (const std::optional<EditMode> mode = modeOfPopupItem(item)) {
        openEditor(*mode);
        return;
    }
    m_host.extraAction(actionName);
    emit popupItemChosen(actionName);
    // An item such as "&Import" may have changed the list.
    activated();
}

QWidget *FrmCodeListGrid::openEditor(EditMode mode)
{
    if (mode != EditMode::New && (isEmpty() || m_active.isEmpty()))
        return nullptr;
    m_host.setMode(mode);
    QWidget *editor;
    if (m_list.editorName == QStringLiteral("frmPredpis"))
        editor = new FrmPredpis(mode, mode == EditMode::New ? 0 : m_active.value(0).toLongLong(),
                                m_db, m_messages, m_host.documentsFolder(), this);
    else
        editor = new CodeListEditor(m_list, mode, m_active, m_db, m_messages, this);
    m_host.showEditor(editor);
    return editor;
}

CodeListEditor::CodeListEditor(const CodeList &codeList, EditMode mode, const QStringList &key,
                               Database &db, Messages &messages, FrmCodeListGrid *browser,
                               QWidget *parent)
    : QWidget(parent), m_list(codeList), m_mode(mode), m_db(db), m_messages(messages),
      m_browser(browser), m_key(key)
{
    setObjectName(codeList.editorName);
    setWindowTitle(codeList.editorTitle + captionSuffix(mode));
    // Made before the inputs: the save button comes first in the tab order.
    const SaveCancelRow buttons = saveCancelRow(
        this, mode == EditMode::Delete ? QStringLiteral("Vymazat") : QStringLiteral("Uložit"));
    m_save = buttons.save;

    auto *frame = new QGroupBox(codeList.frameCaption, this);
    frame->setObjectName(codeList.frameName);
    auto *form = new QFormLayout(frame);
    const bool locked = mode == EditMode::Delete || mode == EditMode::View;
    for (const Input &input : codeList.inputs) {
        QWidget *widget;
        if (input.kind == InputKind::Category) {
            auto *combo = new QComboBox(this);
            combo->setEnabled(!locked);
            widget = combo;
        } else {
            auto *edit = new QLineEdit(this);
            edit->setMaxLength(input.maxLength);
            edit->setReadOnly(locked);
            // Pasted text is held to the same characters as typed text.
            if (input.kind == InputKind::Tenths)
                edit->setValidator(new QRegularExpressionValidator(
                    QRegularExpression(QStringLiteral("[0-9.,]*")), edit));
            else if (input.kind == InputKind::Whole)
                edit->setValidator(new QRegularExpressionValidator(
                    QRegularExpression(QStringLiteral("[0-9]*")), edit));
            widget = edit;
        }
        widget->setObjectName(input.objectName);
        auto *label = new QLabel(input.label, this);
        label->setBuddy(widget);
        form->addRow(label, widget);
        m_inputs << widget;
    }

    // Storno comes last.
    if (!m_inputs.isEmpty())
        setTabOrder(m_inputs.last(), buttons.cancel);
    m_save->setVisible(mode != EditMode::View);
    m_save->setDefault(true);
    connect(m_save, &QPushButton::clicked, this, &CodeListEditor::save);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(frame);
    layout->addLayout(buttons.layout);

    activated();
    if (mode == EditMode::New) {
        for (int i = 0; i < codeList.inputs.size(); ++i)
            m_old << QString();
    } else {
        reload();
    }
    setMinimumWidth(360);
}

bool CodeListEditor::reload()
{
    QStringList stored;
    if (!trapped(m_messages, [&] { stored = load(m_db, m_list, m_key); }))
        return true; // unreadable now: the editor stays as it is
    if (stored.isEmpty())
        return false;
    m_old = stored;
    setValues(m_old);
    return true;
}

void CodeListEditor::activated()
{
    for (QWidget *widget : std::as_const(m_inputs)) {
        auto *combo = qobject_cast<QComboBox *>(widget);
        if (!combo)
            continue;
        const QString current = combo->currentText();
        trapped(m_messages, [&] {
            const Rows rows = m_db.query(QStringLiteral(
                "SELECT nebezpeci_kategorie FROM nebezpeci_kategorie ORDER BY nebezpeci_kategorie "
                "COLLATE CS"));
            combo->clear();
            for (int i = 0; i < rows.size(); ++i)
                combo->addItem(rows.at(i, 0).toString().trimmed());
        });
        combo->setCurrentIndex(combo->findText(current));
    }
}

void CodeListEditor::setValues(const QStringList &values)
{
    for (int i = 0; i < m_inputs.size(); ++i) {
        if (auto *edit = qobject_cast<QLineEdit *>(m_inputs[i])) {
            edit->setText(values.value(i));
        } else if (auto *combo = qobject_cast<QComboBox *>(m_inputs[i])) {
            // A category no longer in the list still shows what the entry holds.
            if (combo->findText(values.value(i)) < 0 && !values.value(i).isEmpty())
                combo->addItem(values.value(i));
            combo->setCurrentIndex(combo->findText(values.value(i)));
        }
    }
}

QStringList CodeListEditor::values() const
{
    QStringList result;
    for (QWidget *widget : m_inputs) {
        if (auto *edit = qobject_cast<QLineEdit *>(widget))
            result << edit->text();
        else if (auto *combo = qobject_cast<QComboBox *>(widget))
            result << combo->currentText();
    }
    return result;
}

void CodeListEditor::save()
{
    SavePlan plan;
    if (!trapped(m_messages, [&] { plan = m_list.check(m_db, m_mode, m_old, values()); }))
        return;
    switch (showPrompts(m_messages, plan.prompts)) {
    case PromptResult::Declined:
        return;
    case PromptResult::Refused:
        if (QWidget *widget = m_inputs.value(plan.focus)) {
            widget->setFocus();
            if (auto *edit = qobject_cast<QLineEdit *>(widget); edit && plan.selectAll)
                edit->selectAll();
        }
        return;
    case PromptResult::Accepted:
        break;
    }
    if (commitPlan(m_db, m_messages, plan, m_browser, [this] { return reload(); }))
        close();
}

bool commitPlan(Database &db, Messages &messages, const SavePlan &plan, FrmCodeListGrid *browser,
                const std::function<bool()> &reload)
{
    if (plan.unchanged)
        return true;
    bool written = false;
    try {
        written = commitSave(db, plan);
    } catch (const ChangedMeanwhile &) {
        // The typed values go only when the user says so.
        return askReloadAfterConflict(messages) && !reload();
    } catch (const DbError &e) {
        showEngineError(messages, e);
        return false;
    }
    if (!written) {
        showWriteError(messages, 0);
        return true;
    }
    if (browser && !plan.activeKey.isEmpty())
        browser->setActiveEntry(plan.activeKey);
    return true;
}

} // namespace tamvel::codelists
