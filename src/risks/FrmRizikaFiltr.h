#pragma once

#include "risks/RiskFilter.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QPushButton;

namespace tamvel {

class Database;
class Messages;

namespace risks {

// "Filtr přehledu rizik": up to five comparisons joined by And/Or and grouped by brackets,
// and the choice of open or closed risks only.
class FrmRizikaFiltr : public QDialog
{
    Q_OBJECT

public:
    FrmRizikaFiltr(Database &db, Messages &messages, const FilterChoice &choice,
                   QWidget *parent = nullptr);

    // The rows as the window shows them.
    FilterChoice choice() const;
    // After "Použít": the compiled filter.
    const RiskFilter &filter() const { return m_filter; }

    void pickField(int row, const QString &caption);
    void apply(); // "Použít"
    void reset(); // "Reset položek filtru"

private:
    struct Row
    {
        QPushButton *open;
        QComboBox *field;
        QPushButton *comparison;
        QComboBox *value;
        QPushButton *close;
        QPushButton *joiner; // none for the last row
    };

    void show(const FilterChoice &choice);
    void fillValues(int row);

    Database &m_db;
    Messages &m_messages;
    QVector<Row> m_rows;
    QCheckBox *m_onlyOpen;
    QCheckBox *m_onlyClosed;
    RiskFilter m_filter;
    bool m_showing = false;
};

} // namespace risks
} // namespace tamvel
