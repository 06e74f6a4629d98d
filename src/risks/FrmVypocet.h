#pragma once

#include "risks/FormulaSlots.h"

#include <QWidget>

class QButtonGroup;
class QLineEdit;
class QRadioButton;

namespace tamvel {

class Database;
class Messages;

// The formula editor "Výpočet rizika": five formula slots, each with its text, its
// "Aktuální" option and a check button; Uložit stores the slots and recomputes the open
// risks, Storno closes without a change.
class FrmVypocet : public QWidget
{
    Q_OBJECT

public:
    FrmVypocet(Database &db, Messages &messages, QWidget *parent = nullptr);

    // The slots as they stand on the screen.
    FormulaSlots formulaSlots() const;

signals:
    // The formulas were stored and the open risks recomputed; the active formula may differ.
    void saved();

private:
    void load();
    void check(int slot);
    void save();
    void focusSlot(int slot);
    void closeWindow();

    Database &m_db;
    Messages &m_messages;
    QLineEdit *m_texts[FormulaSlotCount];
    QRadioButton *m_options[FormulaSlotCount];
    QButtonGroup *m_optionGroup;
    QVector<FormulaSlot> m_loaded; // what a save must still find stored
};

} // namespace tamvel
