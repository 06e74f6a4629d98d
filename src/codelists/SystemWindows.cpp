#include "codelists/SystemWindows.h"
#include "ui/Widgets.h"

#include "codelists/CodeListWindows.h"
#include "core/Messages.h"
#include "db/Database.h"

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QStyle>
#include <QTimer>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <QVBoxLayout>

using namespace tamvel::ui;

namespace tamvel::codelists {

namespace {

// The "nezařazené" node is no system: it carries no name in this role.
constexpr int NameRole = Qt::UserRole;

const QString PopupName = QStringLiteral("mnuSystTrv");

QString systemOf(const QTreeWidgetItem *item)
{
    return item ? item->data(0, NameRole).toString() : QString();
}

QStringList texts(const QListWidget *list)
{
    QStringList result;
    for (int i = 0; i < list->count(); ++i)
        result << list->item(i)->text();
    return result;
}

void setTexts(QListWidget *list, QStringList items)
{
    systems::sortCzech(items);
    list->clear();
    list->addItems(items);
}

bool sameSet(QStringList a, QStringList b)
{
    a.sort();
    b.sort();
    return a == b;
}

// A popup item hidden or disabled while one popup is shown, then put back.
class PopupItemState
{
public:
    PopupItemState(QWidget *window, const QString &item)
        : m_action(window->findChild<QAction *>(PopupName + item))
    {
        if (m_action) {
            m_visible = m_action->isVisible();
            m_enabled = m_action->isEnabled();
        }
    }
    ~PopupItemState()
    {
        if (m_action) {
            m_action->setVisible(m_visible);
            m_action->setEnabled(m_enabled);
        }
    }
    PopupItemState(const PopupItemState &) = delete;
    PopupItemState &operator=(const PopupItemState &) = delete;

    void hideUnless(bool keep)
    {
        if (m_action && !keep)
            m_action->setVisible(false);
    }
    void disableUnless(bool keep)
    {
        if (m_action && !keep)
            m_action->setEnabled(false);
    }

private:
    QPointer<QAction> m_action;
    bool m_visible = true;
    bool m_enabled = true;
};

} // namespace

FrmSystemy::FrmSystemy(Database &db, Messages &messages, BrowserHost &host, QWidget *parent)
    : QWidget(parent), m_db(db), m_messages(messages), m_host(host), m_tree(new QTreeWidget(this)),
      m_name(new QLineEdit(this)), m_parent(new QComboBox(this)), m_workers(new QListWidget(this)),
      m_staff(new QPushButton(QStringLiteral("Pracovníci..."), this)),
      m_save(new QPushButton(this)), m_close(new QPushButton(QStringLiteral("Zavřít"), this))
{
    setObjectName(QStringLiteral("frmSystemy"));
    setWindowTitle(QStringLiteral("Systémy"));

    m_tree->setObjectName(QStringLiteral("trvSystemy"));
    m_tree->setHeaderHidden(true);
    m_tree->setSelectionMode(QAbstractItemView::SingleSelection);
    m_tree->setContextMenuPolicy(Qt::CustomContextMenu);
    m_name->setObjectName(QStringLiteral("txtSystem"));
    m_name->setMaxLength(50);
    m_parent->setObjectName(QStringLiteral("cmbNadrazeny"));
    // Not editable: typed text only picks an entry of the list.
    m_parent->setEditable(false);
    m_parent->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    m_parent->setMinimumContentsLength(20);
    m_workers->setObjectName(QStringLiteral("lstPracovnici"));
    m_workers->setSelectionMode(QAbstractItemView::NoSelection);
    m_staff->setObjectName(QStringLiteral("cmdPracovnici"));
    m_save->setObjectName(QStringLiteral("cmdUlozit"));
    m_close->setObjectName(QStringLiteral("cmdZavrit"));

    auto *form = new QFormLayout;
    auto *nameLabel = new QLabel(QStringLiteral("Systém :"), this);
    nameLabel->setBuddy(m_name);
    form->addRow(nameLabel, m_name);
    auto *parentLabel = new QLabel(QStringLiteral("Nadřazený systém :"), this);
    parentLabel->setBuddy(m_parent);
    form->addRow(parentLabel, m_parent);
    auto *workersLabel = new QLabel(QStringLiteral("Pracovníci :"), this);
    workersLabel->setBuddy(m_workers);
    form->addRow(workersLabel, m_workers);
    auto *staffRow = new QHBoxLayout;
    staffRow->addStretch();
    staffRow->addWidget(m_staff);
    form->addRow(staffRow);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_save);
    buttons->addWidget(m_close);
    auto *right = new QVBoxLayout;
    right->addLayout(form, 1);
    right->addLayout(buttons);
    auto *layout = new QHBoxLayout(this);
    layout->addWidget(m_tree, 1);
    layout->addLayout(right, 1);

    connect(m_tree, &QTreeWidget::currentItemChanged, this, &FrmSystemy::currentChanged);
    connect(m_tree, &QWidget::customContextMenuRequested, this, &FrmSystemy::showPopup);
    connect(m_name, &QLineEdit::textChanged, this, &FrmSystemy::trackChanges);
    connect(m_parent, &QComboBox::currentIndexChanged, this, &FrmSystemy::trackChanges);
    connect(m_staff, &QPushButton::clicked, this, &FrmSystemy::editWorkers);
    connect(m_save, &QPushButton::clicked, this, &FrmSystemy::save);
    connect(m_close, &QPushButton::clicked, this, &FrmSystemy::closeWindow);

    resize(twips(this, 9600), twips(this, 5400));
    setViewing();
    rebuild(QString());
}

void FrmSystemy::activated()
{
    // Changes made elsewhere show up; an edit in progress is left alone.
    if (m_mode == EditMode::View)
        rebuild(m_loaded.name);
}

void FrmSystemy::rebuild(const QString &select)
{
    systems::Tree tree;
    QVector<systems::SystemRow> rows;
    if (!trapped(m_messages, [&] { rows = systems::loadSystems(m_db); }))
        return;
    tree = systems::buildTree(rows);
    m_systems.clear();
    for (const systems::SystemRow &row : std::as_const(rows))
        m_systems << row.name;

    m_filling = true;
    m_tree->clear();
    const QIcon branch = style()->standardIcon(QStyle::SP_DirIcon);
    const QIcon leaf = style()->standardIcon(QStyle::SP_FileIcon);
    const QIcon lost = style()->standardIcon(QStyle::SP_MessageBoxWarning);
    // Iterative, so that a very deep tree needs no deep recursion.
    std::vector<std::pair<const systems::TreeNode *, QTreeWidgetItem *>> pending;
    for (const systems::TreeNode &node : tree) {
        auto *item = new QTreeWidgetItem(m_tree, QStringList{node.name});
        pending.emplace_back(&node, item);
    }
    while (!pending.empty()) {
        const auto [node, item] = pending.back();
        pending.pop_back();
        if (node->unassigned) {
            QFont font = item->font(0);
            font.setItalic(true);
            item->setFont(0, font);
            item->setIcon(0, lost);
        } else {
            item->setData(0, NameRole, node->name);
            item->setIcon(0, node->children.empty() ? leaf : branch);
        }
        for (const systems::TreeNode &child : node->children)
            pending.emplace_back(&child, new QTreeWidgetItem(item, QStringList{child.name}));
    }
    m_tree->expandAll();

    QTreeWidgetItem *current = itemOf(select);
    if (!current)
        current = m_tree->topLevelItem(0);
    m_tree->setCurrentItem(current);
    m_filling = false;
    showSystem(systemOf(current));
}

QTreeWidgetItem *FrmSystemy::itemOf(const QString &name) const
{
    if (name.isEmpty())
        return nullptr;
    for (QTreeWidgetItemIterator it(m_tree); *it; ++it)
        if (systemOf(*it) == name)
            return *it;
    return nullptr;
}

void FrmSystemy::showSystem(const QString &name)
{
    systems::SystemData data;
    if (!name.isEmpty())
        trapped(m_messages, [&] { data = systems::loadSystem(m_db, name); });
    m_loaded = data;
    m_name->setText(data.name);
    fillParents({}, data.parent);
    m_workers->clear();
    m_workers->addItems(data.workers);
    trackChanges();
}

void FrmSystemy::fillParents(const QStringList &excluded, const QString &current)
{
    const QSignalBlocker blocker(m_parent);
    m_parent->clear();
    m_parent->addItem(QString()); // a root
    for (const QString &system : std::as_const(m_systems))
        if (!excluded.contains(system))
            m_parent->addItem(system);
    // A parent that is gone or below the system still shows what is stored.
    if (!current.isEmpty() && m_parent->findText(current) < 0)
        m_parent->addItem(current);
    m_parent->setCurrentIndex(current.isEmpty() ? 0 : m_parent->findText(current));
}

QString FrmSystemy::currentParent() const
{
    return m_parent->currentText();
}

void FrmSystemy::selectSystem(const QString &name)
{
    if (QTreeWidgetItem *item = itemOf(name))
        m_tree->setCurrentItem(item);
}

void FrmSystemy::currentChanged(QTreeWidgetItem *current, QTreeWidgetItem *previous)
{
    if (m_filling || m_revertPending)
        return;
    if (m_unsaved) {
        const QString name = m_mode == EditMode::New ? m_name->text().trimmed() : m_loaded.name;
        if (!m_messages.ask(
                QStringLiteral("Neuložené změny"),
                QStringLiteral("Změny v systému ") + name +
                    QStringLiteral(" nejsou uloženy! Chcete pokračovat bez uložení?"))) {
            // The view finishes its click first; then the edited node comes back.
            m_revertPending = true;
            QTimer::singleShot(0, this, [this, previous] {
                // The tree was not refilled meanwhile, but the node is looked up to be sure.
                for (QTreeWidgetItemIterator it(m_tree); *it; ++it)
                    if (*it == previous)
                        m_tree->setCurrentItem(previous);
                m_revertPending = false;
                m_save->setFocus();
            });
            return;
        }
    }
    setViewing();
    showSystem(systemOf(current));
}

void FrmSystemy::showPopup(const QPoint &pos)
{
    if (m_revertPending)
        return;
    QTreeWidgetItem *item = m_tree->itemAt(pos);
    if (item && item != m_tree->currentItem()) {
        m_tree->setCurrentItem(item);
        if (m_revertPending)
            return;
    }
    item = m_tree->currentItem();
    const bool isSystem = !systemOf(item).isEmpty();
    QAction *chosen = nullptr;
    {
        // The popup belongs to the main window; only leaves offer "&Vymazat".
        PopupItemState edit(window(), QStringLiteral("Upravit"));
        PopupItemState remove(window(), QStringLiteral("Vymazat"));
        edit.disableUnless(isSystem);
        remove.hideUnless(isSystem && item->childCount() == 0);
        chosen = m_host.popup(PopupName, m_tree->viewport()->mapToGlobal(pos), m_systems.isEmpty());
    }
    if (chosen)
        popupItem(chosen->objectName());
}

void FrmSystemy::popupItem(const QString &actionName)
{
    const QString item = actionName.mid(PopupName.size());
    const std::optional<EditMode> mode = modeOfPopupItem(item);
    if (!mode || !actionName.startsWith(PopupName))
        return;
    const QTreeWidgetItem *node = m_tree->currentItem();
    const QString shown = systemOf(node);
    switch (*mode) {
    case EditMode::New:
        m_host.setMode(EditMode::New);
        m_mode = EditMode::New;
        // The new system becomes a child of the chosen one.
        fillParents({}, shown);
        m_name->clear();
        m_workers->clear();
        m_workers->addItem(systems::others());
        m_save->setText(QStringLiteral("Uložit nový systém"));
        unlock();
        m_name->setFocus();
        break;
    case EditMode::Edit: {
        if (shown.isEmpty())
            return;
        QStringList excluded{shown};
        if (!trapped(m_messages,
                     [&] { excluded += systems::descendants(shown, systems::loadParents(m_db)); }))
            return;
        m_host.setMode(EditMode::Edit);
        m_mode = EditMode::Edit;
        // Neither the system nor anything below it can become its parent.
        fillParents(excluded, m_loaded.parent);
        m_save->setText(QStringLiteral("Uložit změny v systému"));
        unlock();
        m_name->setFocus();
        break;
    }
    case EditMode::Delete:
        if (shown.isEmpty() || node->childCount() > 0)
            return;
        m_host.setMode(EditMode::Delete);
        setViewing();
        m_mode = EditMode::Delete;
        m_save->setText(QStringLiteral("Vymazat systém: '") + shown + QStringLiteral("'"));
        break;
    case EditMode::Copy: // no such item in the tree's popup
    case EditMode::View:
    case EditMode::ViewFromOverview:
        return;
    }
    trackChanges();
}

void FrmSystemy::setViewing()
{
    m_mode = EditMode::View;
    m_name->setReadOnly(true);
    m_parent->setEnabled(false);
    m_staff->setEnabled(false);
    trackChanges();
}

void FrmSystemy::unlock()
{
    m_name->setReadOnly(false);
    m_parent->setEnabled(true);
    m_staff->setEnabled(true);
}

void FrmSystemy::trackChanges()
{
    switch (m_mode) {
    case EditMode::New:
        m_unsaved = !m_name->text().trimmed().isEmpty();
        break;
    case EditMode::Edit:
        m_unsaved = m_name->text().trimmed() != m_loaded.name ||
                    currentParent() != m_loaded.parent || !sameSet(workers(), m_loaded.workers);
        break;
    case EditMode::Delete:
        m_unsaved = true;
        break;
    case EditMode::Copy:
    case EditMode::View:
    case EditMode::ViewFromOverview:
        m_unsaved = false;
        break;
    }
    m_save->setVisible(m_unsaved);
}

QStringList FrmSystemy::workers() const
{
    return texts(m_workers);
}

void FrmSystemy::setWorkers(const QStringList &workers)
{
    m_workers->clear();
    m_workers->addItems(systems::withOthers(workers));
    trackChanges();
}

void FrmSystemy::editWorkers()
{
    if (m_mode != EditMode::New && m_mode != EditMode::Edit)
        return;
    // The risks still carry the stored name until the save.
    const QString system = m_mode == EditMode::Edit ? m_loaded.name : m_name->text().trimmed();
    FrmSystemPracovnici dialog(m_db, m_messages, system, workers(), this);
    if (dialog.exec() == QDialog::Accepted)
        setWorkers(dialog.workers());
}

void FrmSystemy::save()
{
    const systems::SystemData edited{m_name->text(), currentParent(), workers()};
    systems::SaveResult result;
    QString select;
    try {
        switch (m_mode) {
        case EditMode::New:
            result = systems::saveNew(m_db, edited, m_messages);
            select = result.system;
            break;
        case EditMode::Edit:
            result = systems::saveChanges(m_db, m_loaded, edited, m_messages);
            select = result.system;
            break;
        case EditMode::Delete:
            result = systems::deleteSystem(m_db, m_loaded, m_messages);
            select = m_loaded.parent;
            break;
        case EditMode::Copy: // no such item in the tree's popup
        case EditMode::View:
        case EditMode::ViewFromOverview:
            return;
        }
    } catch (const ChangedMeanwhile &) {
        // The typed values go only when the user says so; then the tree shows what is stored.
        if (askReloadAfterConflict(m_messages)) {
            setViewing();
            rebuild(m_loaded.name);
        }
        return;
    }
    if (!result.saved()) {
        if (result.focusName) {
            m_name->setFocus();
            m_name->selectAll();
        }
        return;
    }
    setViewing();
    rebuild(select);
    // The save stands; a too long path is for the user to shorten.
    pathsFit();
}

bool FrmSystemy::pathsFit()
{
    if (m_checking)
        return true;
    m_checking = true;
    const bool fit = systems::checkPathLengths(m_db, m_messages);
    m_checking = false;
    return fit;
}

void FrmSystemy::closeWindow()
{
    // The frame asks this widget through its close event, so the check runs either way.
    if (auto *sub = qobject_cast<QMdiSubWindow *>(parentWidget()))
        sub->close();
    else
        close();
}

void FrmSystemy::closeUnchecked()
{
    m_closeUnchecked = true;
    closeWindow();
}

void FrmSystemy::closeEvent(QCloseEvent *event)
{
    if (m_closeUnchecked) {
        event->accept();
        return;
    }
    // A check already showing its message answers for this close too.
    if (m_checking || !pathsFit()) {
        event->ignore();
        return;
    }
    event->accept();
}

void FrmSystemy::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    watchActivation();
}

void FrmSystemy::watchActivation()
{
    if (m_area)
        return;
    for (QWidget *w = parentWidget(); w; w = w->parentWidget()) {
        if (auto *area = qobject_cast<QMdiArea *>(w)) {
            m_area = area;
            m_active = area->activeSubWindow() == parentWidget();
            connect(area, &QMdiArea::subWindowActivated, this, &FrmSystemy::subWindowActivated);
            return;
        }
    }
}

void FrmSystemy::subWindowActivated(QMdiSubWindow *now)
{
    if (!now)
        return; // the whole program lost the focus, e.g. to a message box: not a leave
    if (now == parentWidget()) {
        m_active = true;
        return;
    }
    if (!m_active)
        return;
    m_active = false;
    // Once per leave, after the switch has finished; the message never re-triggers it.
    QTimer::singleShot(0, this, [this] { pathsFit(); });
}

FrmSystemPracovnici::FrmSystemPracovnici(Database &db, Messages &messages, const QString &system,
                                         const QStringList &workers, QWidget *parent)
    : QDialog(parent), m_db(db), m_messages(messages), m_system(system),
      m_inSystem(new QListWidget(this)), m_possible(new QListWidget(this))
{
    setObjectName(QStringLiteral("frmSystemPracovnici"));
    setWindowTitle(QStringLiteral("Pracovníci"));
    setModal(true);
    m_inSystem->setObjectName(QStringLiteral("lstVsystemu"));
    m_possible->setObjectName(QStringLiteral("lstMozny"));
    for (QListWidget *list : {m_inSystem, m_possible})
        list->setSelectionMode(QAbstractItemView::ExtendedSelection);

    const auto button = [this](const char *name, const char *caption) {
        auto *b = new QPushButton(QString::fromUtf8(caption), this);
        b->setObjectName(QString::fromUtf8(name));
        b->setAutoDefault(false);
        return b;
    };
    QPushButton *left = button("cmdLeft", "<");
    QPushButton *leftAll = button("cmdLeftAll", "<<");
    QPushButton *right = button("cmdRight", ">");
    QPushButton *rightAll = button("cmdRightAll", ">>");
    QPushButton *save = button("cmdUlozit", "Uložit");
    QPushButton *cancel = button("cmdStorno", "Storno");
    connect(left, &QPushButton::clicked, this, [this] { moveLeft(false); });
    connect(leftAll, &QPushButton::clicked, this, [this] { moveLeft(true); });
    connect(right, &QPushButton::clicked, this, [this] { moveRight(false); });
    connect(rightAll, &QPushButton::clicked, this, [this] { moveRight(true); });
    connect(save, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto *arrows = new QVBoxLayout;
    arrows->addStretch();
    for (QPushButton *b : {left, leftAll, right, rightAll})
        arrows->addWidget(b);
    arrows->addStretch();
    auto *grid = new QGridLayout;
    grid->addWidget(new QLabel(QStringLiteral("V systému"), this), 0, 0);
    grid->addWidget(new QLabel(QStringLiteral("Možný"), this), 0, 2);
    grid->addWidget(m_inSystem, 1, 0);
    grid->addLayout(arrows, 1, 1);
    grid->addWidget(m_possible, 1, 2);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(save);
    buttons->addWidget(cancel);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(buttons);

    const QStringList inSystem = systems::withOthers(workers);
    setTexts(m_inSystem, inSystem);
    QStringList possible;
    trapped(m_messages, [&] { possible = systems::possibleWorkers(m_db, inSystem); });
    setTexts(m_possible, possible);
    resize(twips(this, 7200), twips(this, 4800));
}

QStringList FrmSystemPracovnici::workers() const
{
    return texts(m_inSystem);
}

QStringList FrmSystemPracovnici::possible() const
{
    return texts(m_possible);
}

void FrmSystemPracovnici::moveLeft(bool all)
{
    QStringList moved;
    for (int i = 0; i < m_possible->count(); ++i)
        if (all || m_possible->item(i)->isSelected())
            moved << m_possible->item(i)->text();
    if (moved.isEmpty())
        return;
    QStringList staying = possible();
    for (const QString &worker : std::as_const(moved))
        staying.removeOne(worker);
    setTexts(m_inSystem, workers() + moved);
    setTexts(m_possible, staying);
}

void FrmSystemPracovnici::moveRight(bool all)
{
    QStringList chosen;
    for (int i = 0; i < m_inSystem->count(); ++i)
        if (all || m_inSystem->item(i)->isSelected())
            chosen << m_inSystem->item(i)->text();
    QStringList moved;
    trapped(m_messages, [&] {
        for (const QString &worker : std::as_const(chosen))
            if (systems::mayRemoveWorker(m_db, m_system, worker, m_messages))
                moved << worker;
    });
    if (moved.isEmpty())
        return;
    QStringList staying = workers();
    for (const QString &worker : std::as_const(moved))
        staying.removeOne(worker);
    setTexts(m_inSystem, staying);
    setTexts(m_possible, possible() + moved);
}

} // namespace tamvel::codelists
