#include "codelists/RequirementWindows.h"
#include "ui/GridCommands.h"
#include "ui/Widgets.h"

#include "codelists/CodeListWindows.h"
#include "core/Messages.h"
#include "db/Database.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTableWidget>
#include <QVBoxLayout>

using namespace tamvel::ui;

namespace tamvel::codelists {

FrmPozadavky::FrmPozadavky(Database &db, Messages &messages, BrowserHost &host, bool picker,
                           QWidget *parent)
    : QWidget(parent), m_db(db), m_messages(messages), m_host(host), m_pickerMode(picker),
      m_count(new QLabel(this)), m_scroll(new QScrollBar(Qt::Horizontal, this)),
      m_grid(new QTableWidget(0, 5, this)),
      m_first(button(this, "cmdPoza1", QStringLiteral("Nový"))),
      m_second(button(this, "cmdPoza2", QStringLiteral("Upravit"))),
      m_delete(button(this, "cmdPoza3", QStringLiteral("Vymazat"))),
      m_add(button(this, "cmdPred1", QStringLiteral("Přidat"))),
      m_removeRegulation(button(this, "cmdPred2", QStringLiteral("Odebrat")))
{
    setObjectName(QStringLiteral("frmPozadavky"));
    setWindowTitle(QStringLiteral("Požadavky"));
    m_count->setObjectName(QStringLiteral("lblPocet"));
    m_scroll->setObjectName(QStringLiteral("hscPozadavky"));
    m_grid->setObjectName(QStringLiteral("grdPredpis"));
    m_grid->setHorizontalHeaderLabels({QStringLiteral("Číslo"), QStringLiteral("Typ"),
                                       QStringLiteral("Název"), QStringLiteral("Vydáno"),
                                       QStringLiteral("Poznámka")});
    m_grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_grid->setSelectionMode(QAbstractItemView::SingleSelection);
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->verticalHeader()->hide();
    m_grid->horizontalHeader()->setStretchLastSection(true);

    auto *texts = new QVBoxLayout;
    texts->addWidget(new QLabel(QStringLiteral("Požadavek:"), this));
    for (int i = 1; i <= 4; ++i) {
        auto *part = new QLineEdit(this);
        part->setObjectName(QStringLiteral("txtPozadavek%1").arg(i));
        part->setMaxLength(250);
        m_parts << part;
        texts->addWidget(part);
    }
    auto *navigation = new QHBoxLayout;
    navigation->addWidget(m_scroll, 1);
    navigation->addWidget(m_count);
    texts->addLayout(navigation);

    QPushButton *detail = button(this, "cmdPred3", QStringLiteral("Detail"));
    auto *requirementButtons = new QHBoxLayout;
    requirementButtons->addWidget(m_first);
    requirementButtons->addWidget(m_second);
    requirementButtons->addWidget(m_delete);
    requirementButtons->addStretch();
    auto *regulationButtons = new QHBoxLayout;
    regulationButtons->addWidget(m_add);
    regulationButtons->addWidget(m_removeRegulation);
    regulationButtons->addWidget(detail);
    regulationButtons->addStretch();

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(texts);
    layout->addLayout(requirementButtons);
    layout->addWidget(new QLabel(QStringLiteral("Související předpisy:"), this));
    layout->addWidget(m_grid, 1);
    layout->addLayout(regulationButtons);
    resize(720, 480);

    connect(m_scroll, &QScrollBar::valueChanged, this, &FrmPozadavky::moveTo);
    connect(m_first, &QPushButton::clicked, this, &FrmPozadavky::newOrSave);
    connect(m_second, &QPushButton::clicked, this, &FrmPozadavky::editOrCancel);
    connect(m_delete, &QPushButton::clicked, this, &FrmPozadavky::remove);
    connect(m_add, &QPushButton::clicked, this, &FrmPozadavky::pickRegulation);
    connect(m_removeRegulation, &QPushButton::clicked, this, &FrmPozadavky::removeRegulation);
    reload(0);
    setState(State::Browsing);
    // The keys of the regulations' grid are its buttons, usable when they are: "Přidat" and
    // "Odebrat" while editing; "Detail" has no action, so neither has a double-click.
    installGridCommands(m_grid, {{},
                                 [this] {
                                     if (m_add->isEnabled())
                                         pickRegulation();
                                 },
                                 [this] {
                                     if (m_removeRegulation->isEnabled())
                                         removeRegulation();
                                 }});
}

int FrmPozadavky::position() const
{
    return int(m_ids.indexOf(m_current)) + 1;
}

void FrmPozadavky::activated()
{
    if (m_state == State::Browsing)
        reload(m_current);
}

void FrmPozadavky::reload(qint64 select)
{
    try {
        m_ids = requirementIds(m_db);
    } catch (const DbError &e) {
        showEngineError(m_messages, e);
        return;
    }
    const QSignalBlocker blocker(m_scroll);
    if (m_ids.isEmpty()) {
        m_current = 0;
        m_scroll->setRange(0, 0);
        m_scroll->setEnabled(false);
    } else {
        m_scroll->setEnabled(true);
        m_scroll->setRange(1, int(m_ids.size()));
        m_current = m_ids.contains(select) ? select : m_ids.first();
        m_scroll->setValue(position());
    }
    showRequirement();
}

void FrmPozadavky::moveTo(int newPosition)
{
    if (newPosition < 1 || newPosition > m_ids.size())
        return;
    m_current = m_ids[newPosition - 1];
    const QSignalBlocker blocker(m_scroll);
    m_scroll->setValue(newPosition);
    showRequirement();
}

void FrmPozadavky::showRequirement()
{
    m_count->setText(QStringLiteral("(%1/%2)").arg(position()).arg(m_ids.size()));
    Requirement shown;
    try {
        if (m_current != 0)
            shown = loadRequirement(m_db, m_current).value_or(Requirement());
    } catch (const DbError &e) {
        showEngineError(m_messages, e);
    }
    m_loaded = shown;
    for (int i = 0; i < 4; ++i)
        m_parts[i]->setText(shown.parts.value(i).trimmed());
    m_regulations = shown.regulations;
    showRegulations();
}

void FrmPozadavky::showRegulations()
{
    QVector<LinkedRegulation> rows;
    try {
        rows = linkedRegulations(m_db, m_regulations);
    } catch (const DbError &e) {
        showEngineError(m_messages, e);
    }
    m_grid->setRowCount(int(rows.size()));
    for (int row = 0; row < rows.size(); ++row) {
        const LinkedRegulation &r = rows[row];
        const QStringList cells = {r.number, r.type, r.title, r.issued, r.note};
        for (int column = 0; column < cells.size(); ++column) {
            auto *item = new QTableWidgetItem(cells[column]);
            item->setData(Qt::UserRole, r.id);
            m_grid->setItem(row, column, item);
        }
    }
}

void FrmPozadavky::setState(State state)
{
    m_state = state;
    const bool browsing = state == State::Browsing;
    for (QLineEdit *part : std::as_const(m_parts))
        part->setReadOnly(browsing);
    m_first->setText(browsing ? (m_pickerMode ? QStringLiteral("Vybrat") : QStringLiteral("Nový"))
                              : QStringLiteral("Uložit"));
    m_second->setText(browsing ? QStringLiteral("Upravit") : QStringLiteral("Storno"));
    m_second->setEnabled(!browsing || m_current != 0);
    m_delete->setVisible(browsing);
    m_delete->setEnabled(m_current != 0);
    m_scroll->setEnabled(browsing && !m_ids.isEmpty());
    // The links are written with the requirement, so they change only while editing.
    m_add->setEnabled(!browsing);
    m_removeRegulation->setEnabled(!browsing);
}

void FrmPozadavky::newOrSave()
{
    if (m_state == State::Browsing && m_pickerMode) {
        if (m_current != 0)
            emit requirementChosen(m_current);
        return;
    }
    if (m_state == State::Browsing) {
        for (QLineEdit *part : std::as_const(m_parts))
            part->clear();
        m_regulations.clear();
        showRegulations();
        setState(State::New);
        m_parts.first()->setFocus();
        return;
    }
    Requirement requirement;
    requirement.id = m_state == State::New ? 0 : m_current;
    for (QLineEdit *part : std::as_const(m_parts))
        requirement.parts << part->text();
    requirement.regulations = m_regulations;
    std::optional<qint64> saved;
    try {
        saved = saveRequirement(m_db, m_state == State::New ? Requirement() : m_loaded, requirement,
                                m_messages);
    } catch (const ChangedMeanwhile &) {
        conflict();
        return;
    } catch (const DbError &e) {
        showEngineError(m_messages, e);
    }
    if (!saved)
        return;
    setState(State::Browsing);
    reload(*saved);
    setState(State::Browsing);
}

void FrmPozadavky::editOrCancel()
{
    if (m_state == State::Browsing) {
        if (m_current == 0)
            return;
        setState(State::Editing);
        m_parts.first()->setFocus();
        return;
    }
    setState(State::Browsing);
    showRequirement();
    setState(State::Browsing);
}

void FrmPozadavky::remove()
{
    if (m_current == 0)
        return;
    bool deleted = false;
    try {
        deleted = deleteRequirement(m_db, m_loaded, m_messages);
    } catch (const ChangedMeanwhile &) {
        conflict();
        return;
    } catch (const DbError &e) {
        showEngineError(m_messages, e);
    }
    if (!deleted)
        return;
    const int at = position();
    reload(0);
    if (!m_ids.isEmpty())
        moveTo(std::min(at, int(m_ids.size())));
    setState(State::Browsing);
}

void FrmPozadavky::conflict()
{
    // The typed values go only when the user says so.
    if (!askReloadAfterConflict(m_messages))
        return;
    // An edit goes on from the stored requirement; a deleted one leaves the catalogue browsing.
    showRequirement();
    if (m_state == State::Editing && m_loaded.id == m_current)
        return;
    setState(State::Browsing);
    reload(m_current);
    setState(State::Browsing);
}

void FrmPozadavky::addRegulation(qint64 id)
{
    if (id <= 0 || m_regulations.contains(id))
        return;
    m_regulations << id;
    showRegulations();
}

void FrmPozadavky::removeRegulation()
{
    const QTableWidgetItem *item = m_grid->item(m_grid->currentRow(), 0);
    if (!item)
        return;
    m_regulations.removeAll(item->data(Qt::UserRole).toLongLong());
    showRegulations();
}

void FrmPozadavky::pickRegulation()
{
    if (m_picker) {
        m_host.showEditor(m_picker);
        return;
    }
    auto *picker = new FrmCodeListGrid(regulationPicker(), m_db, m_messages, m_host);
    picker->setObjectName(regulationPicker().browserName);
    connect(picker, &FrmCodeListGrid::popupItemChosen, this, [this, picker](const QString &name) {
        if (name == QStringLiteral("mnuPredpisPozadavekGrdPridat") && m_state != State::Browsing)
            addRegulation(picker->activeEntry().value(0).toLongLong());
    });
    m_picker = picker;
    m_host.showEditor(picker);
}

} // namespace tamvel::codelists
