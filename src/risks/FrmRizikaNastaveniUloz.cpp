#include "risks/FrmRizikaNastaveniUloz.h"
#include "ui/Widgets.h"

#include "core/Messages.h"
#include "db/Database.h"
#include "risks/ColumnSets.h"
#include "risks/RiskGrid.h"

#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

using namespace tamvel::ui;

namespace tamvel::risks {

FrmRizikaNastaveniUloz::FrmRizikaNastaveniUloz(Database &db, const QString &user,
                                               const QString &currentLayout, Messages &messages,
                                               QWidget *parent)
    : QDialog(parent), m_db(db), m_user(user), m_layout(currentLayout), m_messages(messages),
      m_name(named(new QComboBox, "cmbNastaveni")),
      m_save(named(new QPushButton(QStringLiteral("Uložit")), "cmdOk")),
      m_restore(named(new QPushButton(QStringLiteral("Obnovit")), "cmdObnovit")),
      m_delete(named(new QPushButton(QStringLiteral("Vymazat")), "cmdVymazat"))
{
    setObjectName(QStringLiteral("frmRizikaNastaveniUloz"));
    setWindowTitle(QStringLiteral("Nastavení"));
    setModal(true);

    auto *frame = named(new QGroupBox(QStringLiteral("Název nastavení"), this), "fraNazev");
    auto *label = named(new QLabel(QStringLiteral("Název nastavení :")), "lblNazev");
    auto *cancel = named(new QPushButton(QStringLiteral("Storno")), "cmdStorno");
    m_name->setEditable(true);
    m_name->setInsertPolicy(QComboBox::NoInsert);
    m_name->lineEdit()->setMaxLength(50); // the size of polozka
    m_name->setMinimumWidth(220);
    label->setBuddy(m_name);
    auto *row = new QHBoxLayout(frame);
    row->addWidget(label);
    row->addWidget(m_name, 1);
    auto *buttons = new QHBoxLayout;
    for (QPushButton *button : {m_save, m_restore, m_delete, cancel})
        buttons->addWidget(button);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(frame);
    layout->addLayout(buttons);

    load();
    m_name->setCurrentIndex(-1);
    m_name->setFocus();

    connect(m_name, &QComboBox::editTextChanged, this, &FrmRizikaNastaveniUloz::updateButtons);
    connect(m_save, &QPushButton::clicked, this, &FrmRizikaNastaveniUloz::save);
    connect(m_restore, &QPushButton::clicked, this, &FrmRizikaNastaveniUloz::restore);
    connect(m_delete, &QPushButton::clicked, this, &FrmRizikaNastaveniUloz::remove);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    updateButtons();
}

void FrmRizikaNastaveniUloz::load()
{
    m_names.clear();
    m_sets.clear();
    try {
        ColumnSetStore store(m_db, m_user);
        m_names = store.names();
        for (const QString &name : std::as_const(m_names))
            if (const std::optional<QString> set = store.stored(name))
                m_sets.insert(name, *set);
    } catch (const DbError &e) {
        showEngineError(m_messages, e);
    }
    // The typed name stays.
    const QString typed = m_name->currentText();
    const QSignalBlocker blocker(m_name);
    m_name->clear();
    m_name->addItems(m_names);
    m_name->setEditText(typed);
}

void FrmRizikaNastaveniUloz::updateButtons()
{
    const QString name = m_name->currentText().trimmed();
    const bool listed = m_names.contains(name);
    const bool shared = name == sharedColumnSetName();
    m_save->setEnabled(!name.isEmpty() && !shared);
    m_restore->setEnabled(listed);
    m_delete->setEnabled(listed && !shared);
}

void FrmRizikaNastaveniUloz::save()
{
    try {
        switch (ColumnSetStore(m_db, m_user).save(m_name->currentText(), m_layout, m_messages)) {
        case ColumnSetStore::Saved::Written:
            accept();
            return;
        case ColumnSetStore::Saved::Kept:
            m_name->setFocus();
            m_name->lineEdit()->selectAll();
            return;
        case ColumnSetStore::Saved::Refused:
            return;
        }
    } catch (const ChangedMeanwhile &) {
        reloadAfterConflict();
    } catch (const DbError &e) {
        showEngineError(m_messages, e);
    }
}

void FrmRizikaNastaveniUloz::reloadAfterConflict()
{
    if (!askReloadAfterConflict(m_messages))
        return;
    load();
    updateButtons();
}

void FrmRizikaNastaveniUloz::restore()
{
    try {
        const std::optional<QString> set =
            ColumnSetStore(m_db, m_user).restore(m_name->currentText());
        if (!set) {
            m_messages.inform(windowTitle(), QStringLiteral("Toto nastavení není uloženo !"));
            return;
        }
        // A stored empty set means the default columns, as the overview shows it.
        m_restored = set->isEmpty() ? defaultColumnSet() : *set;
        accept();
    } catch (const DbError &e) {
        showEngineError(m_messages, e);
    }
}

void FrmRizikaNastaveniUloz::remove()
{
    const QString name = m_name->currentText().trimmed();
    const auto listed = m_sets.constFind(name);
    try {
        if (ColumnSetStore(m_db, m_user)
                .remove(name,
                        listed == m_sets.cend() ? std::nullopt : std::optional<QString>(*listed),
                        m_messages))
            accept();
    } catch (const ChangedMeanwhile &) {
        reloadAfterConflict();
    } catch (const DbError &e) {
        showEngineError(m_messages, e);
    }
}

} // namespace tamvel::risks
