#include "risks/FrmRizikaAddOOPP.h"

#include "db/Database.h"
#include "risks/Equipment.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace tamvel {

FrmRizikaAddOOPP::FrmRizikaAddOOPP(Database &db, Messages &messages,
                                   QVector<risks::EquipmentLine> &lines, const QString &flag,
                                   QWidget *parent)
    : QDialog(parent), m_lines(lines), m_flag(flag), m_list(new QListWidget(this))
{
    setObjectName(QStringLiteral("frmRizikaAddOOPP"));
    setWindowTitle(flag == risks::Missing ? QStringLiteral("Chybějící OOPP")
                                          : QStringLiteral("Poskytnuté OOPP"));
    setModal(true);
    m_list->setObjectName(QStringLiteral("lstOOPP"));
    m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    try {
        m_list->addItems(risks::offeredEquipment(db, lines, flag));
    } catch (const DbError &error) {
        showEngineError(messages, error);
    }

    auto *add = new QPushButton(QStringLiteral("Přidat"), this);
    add->setObjectName(QStringLiteral("cmdPridat"));
    add->setAutoDefault(false);
    auto *cancel = new QPushButton(QStringLiteral("Storno"), this);
    cancel->setObjectName(QStringLiteral("cmdStorno"));
    cancel->setAutoDefault(false);
    connect(add, &QPushButton::clicked, this, &FrmRizikaAddOOPP::add);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_list, &QListWidget::itemDoubleClicked, this, &FrmRizikaAddOOPP::add);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(add);
    buttons->addWidget(cancel);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Osobní ochranné pracovní prostředky :"), this));
    layout->addWidget(m_list);
    layout->addLayout(buttons);
    resize(fontMetrics().averageCharWidth() * 50, fontMetrics().height() * 22);
}

void FrmRizikaAddOOPP::add()
{
    QStringList chosen;
    // Keep the list's order, not the order of clicking.
    for (int i = 0; i < m_list->count(); ++i)
        if (m_list->item(i)->isSelected())
            chosen << m_list->item(i)->text();
    const int count = risks::addEquipment(m_lines, chosen, m_flag);
    if (count > 0)
        emit added(count);
    accept();
}

} // namespace tamvel
