#include "risks/FrmRizikaNastaveni.h"
#include "ui/Widgets.h"

#include "core/Messages.h"
#include "risks/ColumnSets.h"
#include "risks/RiskFields.h"
#include "risks/RiskGrid.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

using namespace tamvel::ui;

namespace tamvel::risks {

FrmRizikaNastaveni::FrmRizikaNastaveni(const QString &currentColumnSet, Messages &messages,
                                       QWidget *parent)
    : QDialog(parent), m_messages(messages), m_available(named(new QListWidget, "lstOd")),
      m_chosen(named(new QListWidget, "lstDo"))
{
    setObjectName(QStringLiteral("frmRizikaNastaveni"));
    setWindowTitle(QStringLiteral("Rizika - nastavení přehledu"));
    setModal(true);

    auto *frame = named(new QGroupBox(QStringLiteral("Nastavení přehledu"), this), "fraNastaveni");
    auto *toChosen = named(new QPushButton(QStringLiteral(">")), "cmdTam");
    auto *allToChosen = named(new QPushButton(QStringLiteral(">>")), "cmdTamAll");
    auto *back = named(new QPushButton(QStringLiteral("<")), "cmdZpet");
    auto *allBack = named(new QPushButton(QStringLiteral("<<")), "cmdZpetAll");
    auto *showButton = named(new QPushButton(QStringLiteral("Zobrazit")), "cmdUlozit");
    auto *cancel = named(new QPushButton(QStringLiteral("Storno")), "cmdStorno");
    showButton->setDefault(true);

    auto *moves = new QVBoxLayout;
    moves->addStretch();
    for (QPushButton *button : {toChosen, allToChosen, back, allBack}) {
        button->setFixedWidth(40);
        moves->addWidget(button);
    }
    moves->addStretch();
    auto *lists = new QGridLayout(frame);
    lists->addWidget(new QLabel(QStringLiteral("Možná pole :")), 0, 0);
    lists->addWidget(new QLabel(QStringLiteral("Do přehledu rizik:")), 0, 2);
    lists->addWidget(m_available, 1, 0);
    lists->addLayout(moves, 1, 1);
    lists->addWidget(m_chosen, 1, 2);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(showButton);
    buttons->addWidget(cancel);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(frame, 1);
    layout->addLayout(buttons);

    const QStringList chosen = chosenCaptions(currentColumnSet);
    for (QListWidget *list : {m_available, m_chosen})
        list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    for (const RiskField *f : overviewFields())
        (chosen.contains(f->overviewCaption) ? m_chosen : m_available)->addItem(f->overviewCaption);

    connect(m_available, &QAbstractItemView::pressed, m_chosen, &QAbstractItemView::clearSelection);
    connect(m_chosen, &QAbstractItemView::pressed, m_available, &QAbstractItemView::clearSelection);
    connect(toChosen, &QPushButton::clicked, this,
            [this] { moveItems(m_available, m_chosen, false); });
    connect(allToChosen, &QPushButton::clicked, this,
            [this] { moveItems(m_available, m_chosen, true); });
    connect(back, &QPushButton::clicked, this, [this] { moveItems(m_chosen, m_available, false); });
    connect(allBack, &QPushButton::clicked, this,
            [this] { moveItems(m_chosen, m_available, true); });
    connect(showButton, &QPushButton::clicked, this, &FrmRizikaNastaveni::apply);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    resize(520, 400);
}

void FrmRizikaNastaveni::moveItems(QListWidget *from, QListWidget *to, bool all)
{
    for (int row = 0; row < from->count();) {
        if (all || from->item(row)->isSelected())
            to->addItem(from->takeItem(row));
        else
            ++row;
    }
}

void FrmRizikaNastaveni::apply()
{
    if (m_chosen->count() == 0) {
        m_messages.inform(QStringLiteral("Výběr polí"),
                          QStringLiteral("Nebylo vybráno žádné pole"));
        return;
    }
    QStringList captions;
    for (int row = 0; row < m_chosen->count(); ++row)
        captions << m_chosen->item(row)->text();
    m_columnSet = columnSetOfCaptions(captions);
    accept();
}

} // namespace tamvel::risks
