#pragma once

#include "risks/RiskGrid.h"

#include <QString>
#include <QVector>

namespace tamvel::risks {

// A text as the quick search compares it: lower case, without diacritics ("ČAS" → "cas").
QString searchFolded(QStringView text);

// The overview's quick search: the rows with a cell that contains a text, whatever its
// letter case and diacritics. Each distinct cell text is folded once per grid, when the grid
// is first searched; a longer text only looks among the rows the shorter one found.
class GridSearch
{
public:
    // Forgets the folded cells: call it whenever the grid is filled again.
    void reset();
    // The rows of `grid` (ascending) with a cell containing `text`; every row for an empty
    // text.
    QVector<int> rowsContaining(const RiskGrid &grid, const QString &text);

private:
    void build(const RiskGrid &grid);

    bool m_built = false;
    QVector<QString> m_texts; // distinct folded cell texts
    QVector<int> m_cells;     // the text of every cell, row after row
    QString m_lastQuery;      // folded
    QVector<int> m_lastRows;
};

} // namespace tamvel::risks
