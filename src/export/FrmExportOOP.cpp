#include "export/FrmExportOOP.h"

#include "codelists/Systems.h"
#include "core/FileDialogs.h"
#include "core/Messages.h"
#include "db/Database.h"
#include "export/FrmAnimCopy.h"
#include "export/Workbook.h"
#include "ui/Widgets.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace tamvel {

namespace {

const QString Caption = QStringLiteral("Export OOPP");
const QString StateSystem = QStringLiteral("System");
const QString StateWorkers = QStringLiteral("Pracovnici");
const QString StateTree = QStringLiteral("System1");
const QString StateSystemWorkers = QStringLiteral("System2");
const QString StateWorkerList = QStringLiteral("Pracovnici1");
const QString SelectAll = QStringLiteral("Vyber vše");
const QString ClearAll = QStringLiteral("Zruš vše");
// Marks the node of systems without a reachable parent: it is not a system itself.
constexpr int UnassignedRole = Qt::UserRole + 1;

using ui::named;

void addNodes(QTreeWidgetItem *parent, QTreeWidget *tree, const systems::Tree &nodes)
{
    for (const systems::TreeNode &node : nodes) {
        auto *item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(tree);
        item->setText(0, node.name);
        item->setData(0, UnassignedRole, node.unassigned);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(0, Qt::Unchecked);
        addNodes(item, tree, node.children);
    }
}

void checkedBelow(const QTreeWidgetItem *item, QStringList &names)
{
    if (item->checkState(0) == Qt::Checked && !item->data(0, UnassignedRole).toBool())
        names << item->text(0);
    for (int i = 0; i < item->childCount(); ++i)
        checkedBelow(item->child(i), names);
}

void setBelow(QTreeWidgetItem *item, Qt::CheckState state)
{
    for (int i = 0; i < item->childCount(); ++i) {
        item->child(i)->setCheckState(0, state);
        setBelow(item->child(i), state);
    }
}

} // namespace

FrmExportOOP::FrmExportOOP(Database &db, Messages &messages, FileDialogs &files,
                           const QString &user, QWidget *parent)
    : QWidget(parent), m_db(db), m_messages(messages), m_files(files), m_user(user),
      m_opener([](const QUrl &url) { return QDesktopServices::openUrl(url); })
{
    setObjectName(QStringLiteral("frmExportOOP"));
    setWindowTitle(Caption);
    setAttribute(Qt::WA_DeleteOnClose);

    m_frame1 = named(new QGroupBox(QStringLiteral("OOPP pro"), this), "Frame1");
    m_optSystem = named(new QRadioButton(QStringLiteral("Systémy")), "optSystem");
    m_optPracovnici = named(new QRadioButton(QStringLiteral("Pracovníky")), "optPracovnici");
    m_optSystem->setChecked(true);
    auto *frameLayout = new QVBoxLayout(m_frame1);
    frameLayout->addWidget(m_optSystem);
    frameLayout->addWidget(m_optPracovnici);

    m_trvSystemy = named(new QTreeWidget(this), "trvSystemy");
    m_trvSystemy->setHeaderHidden(true);
    m_lstPracovnici = named(new QListWidget(this), "lstPracovnici");
    m_lstPracovnici->setSelectionMode(QAbstractItemView::MultiSelection);
    m_cmdVyber = ui::button(this, "cmdVyber", SelectAll);
    m_cmdZpet = ui::button(this, "cmdZpet", QStringLiteral("Storno"));
    m_cmdTam = ui::button(this, "cmdTam", QStringLiteral(">>"));
    m_cmdTam->setDefault(true);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_frame1);
    layout->addWidget(m_trvSystemy, 1);
    layout->addWidget(m_lstPracovnici, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_cmdVyber);
    buttons->addStretch();
    buttons->addWidget(m_cmdZpet);
    buttons->addWidget(m_cmdTam);
    layout->addLayout(buttons);

    connect(m_optSystem, &QRadioButton::toggled, this, [this](bool on) {
        if (m_state == StateSystem || m_state == StateWorkers)
            m_state = on ? StateSystem : StateWorkers;
    });
    connect(m_cmdZpet, &QPushButton::clicked, this, &FrmExportOOP::back);
    connect(m_cmdTam, &QPushButton::clicked, this, &FrmExportOOP::forward);
    connect(m_cmdVyber, &QPushButton::clicked, this, &FrmExportOOP::toggleAll);
    connect(m_trvSystemy, &QTreeWidget::itemChanged, this, &FrmExportOOP::carryCheck);

    ui::fitPages(this, {[this] { showFirstPage(); }, [this] { showSystems(); },
                        [this] { showWorkers({}); }});
}

FrmExportOOP::~FrmExportOOP() = default;

void FrmExportOOP::showFirstPage()
{
    m_state = m_optSystem->isChecked() ? StateSystem : StateWorkers;
    m_frame1->setVisible(true);
    m_trvSystemy->setVisible(false);
    m_lstPracovnici->setVisible(false);
    m_cmdVyber->setVisible(false);
    m_cmdZpet->setText(QStringLiteral("Storno"));
    m_cmdTam->setText(QStringLiteral(">>"));
}

void FrmExportOOP::showSystems()
{
    m_state = StateTree;
    m_frame1->setVisible(false);
    m_trvSystemy->setVisible(true);
    m_lstPracovnici->setVisible(false);
    m_cmdVyber->setVisible(false);
    m_cmdZpet->setText(QStringLiteral("<<"));
    m_cmdTam->setText(QStringLiteral(">>"));
}

void FrmExportOOP::showWorkers(const QStringList &workers)
{
    m_lstPracovnici->clear();
    m_lstPracovnici->addItems(workers);
    m_cmdVyber->setText(SelectAll);
    m_frame1->setVisible(false);
    m_trvSystemy->setVisible(false);
    m_lstPracovnici->setVisible(true);
    m_cmdVyber->setVisible(true);
    m_cmdZpet->setText(QStringLiteral("<<"));
    m_cmdTam->setText(QStringLiteral("Export"));
}

void FrmExportOOP::back()
{
    if (m_state == StateSystemWorkers)
        showSystems(); // the tree keeps its checks
    else if (m_state == StateTree || m_state == StateWorkerList)
        showFirstPage();
    else
        close();
}

void FrmExportOOP::forward()
{
    if (m_state == StateSystem || m_state == StateWorkers) {
        if (m_optPracovnici->isChecked()) {
            QStringList workers;
            if (!ui::trapped(m_messages, [&] { workers = exports::equipmentWorkers(m_db); }))
                return;
            showWorkers(workers);
            m_state = StateWorkerList;
        } else {
            systems::Tree tree;
            if (!ui::trapped(m_messages, [&] { tree = systems::loadTree(m_db); }))
                return;
            m_carrying = true;
            m_trvSystemy->clear();
            addNodes(nullptr, m_trvSystemy, tree);
            m_trvSystemy->expandAll();
            m_carrying = false;
            showSystems();
        }
    } else if (m_state == StateTree) {
        exports::EquipmentChoice found;
        const QStringList chosen = checkedSystems();
        if (!ui::trapped(m_messages, [&] { found = exports::workersOfSystems(m_db, chosen); }))
            return;
        m_systemsChoice = found;
        showWorkers(found.workers);
        m_state = StateSystemWorkers;
    } else {
        runExport();
    }
}

void FrmExportOOP::toggleAll()
{
    const bool select = m_cmdVyber->text() == SelectAll;
    if (select)
        m_lstPracovnici->selectAll();
    else
        m_lstPracovnici->clearSelection();
    m_cmdVyber->setText(select ? ClearAll : SelectAll);
}

// A node's new state goes to its whole subtree.
void FrmExportOOP::carryCheck(QTreeWidgetItem *item, int column)
{
    if (m_carrying || column != 0)
        return;
    m_carrying = true;
    setBelow(item, item->checkState(0));
    m_carrying = false;
}

QStringList FrmExportOOP::checkedSystems() const
{
    QStringList names;
    for (int i = 0; i < m_trvSystemy->topLevelItemCount(); ++i)
        checkedBelow(m_trvSystemy->topLevelItem(i), names);
    return names;
}

exports::EquipmentChoice FrmExportOOP::choice() const
{
    exports::EquipmentChoice result;
    if (m_state == StateSystemWorkers) {
        result = m_systemsChoice;
        result.workers.clear();
    }
    for (int i = 0; i < m_lstPracovnici->count(); ++i)
        if (m_lstPracovnici->item(i)->isSelected())
            result.workers << m_lstPracovnici->item(i)->text();
    return result;
}

void FrmExportOOP::runExport()
{
    QString folder;
    if (!ui::trapped(m_messages, [&] { folder = exports::rememberedExportFolder(m_db, m_user); }))
        return;
    if (folder.isEmpty() || !QDir(folder).exists())
        folder = QDir::homePath();

    QString path = m_files.saveFile(QStringLiteral("Export dat do MS Excel"), folder,
                                    exports::EquipmentFileName,
                                    QStringLiteral("Sešit Microsoft Excel (*.xlsx)"));
    if (path.isEmpty())
        return;
    if (QFileInfo(path).suffix().isEmpty())
        path += QStringLiteral(".xlsx");

    if (!ui::trapped(m_messages, [&] {
            exports::rememberExportFolder(m_db, m_user,
                                          QDir::toNativeSeparators(QFileInfo(path).absolutePath()));
        }))
        return;

    if (!exports::mayOverwrite(path, m_messages))
        return;

    exports::ExportResult result;
    {
        ProgressRun progress(this, QStringLiteral("Export dat do sešitu MS Excel ..."), Caption);
        result = exports::writeEquipmentExport(m_db, choice(), path, progress.callback());
    }

    if (!finishExport(result, path, Caption, m_messages, m_opener))
        return;
    m_written = path;
    close();
}

} // namespace tamvel
